#pragma once
// The main window. Its constructor is the program's start-up: it has the
// session load the settings and the schema, finds "logger.ini" (asking the
// user when needed), has the lines read under a splash screen and builds
// menus, tool bar and status bar from the command table. Closing it writes the
// view back into the settings.
#include <wx/frame.h>
#include <wx/timer.h>

#include "core/orvistaSession.h"
#include "recdb/timeline.h"

class findPanel;
class vTimeline;

class orvistaFrame : public wxFrame {
public:
    // Throws configError when start-up must stop.
    explicit orvistaFrame(const programFiles& files);
    // Writes the settings file.
    ~orvistaFrame() override;

    orvistaSession& session() { return core; }
    const orvistaSession& session() const { return core; }
    vTimeline* panel() const { return timelinePanel; }
    findPanel* finder() const { return findCallsPanel; }

    // What the commands share. Waits until the catalogs of the selected days on
    // the included lines are read, with a progress dialog when that takes long;
    // false when the user stopped the wait.
    bool readSelection();
    // The recordings of the included lines that overlap the selection, in row
    // order. When there are none the user is told so and the result is false.
    bool gatherSelectedRecordings(recordingList& out);
    // Reads "logger.ini" and scans every line's folder again, then hands the
    // new timelines to the panel.
    void loadLines();
    // Writes "orv.xml"; a failure is told in a message box, followed by `afterwards`.
    void saveSettings(const wxString& afterwards);
    // Starts or stops the looks for new calls as the settings say.
    void applyLiveUpdates();
    // One look for new calls, unless something reads the lines now.
    void lookForNews();

private:
    void loadDocuments();
    void locateLoggerIni();
    void applyGeometry(const windowGeometry& geometry);
    void applyFirstStartSize();
    void buildMenus();
    viewState currentViewState() const;

    void onClose(wxCloseEvent& event);
    void onCommand(wxCommandEvent& event);
    void onUpdateCommand(wxUpdateUIEvent& event);
    void onLiveTimer(wxTimerEvent& event);

    orvistaSession core;
    vTimeline* timelinePanel = nullptr; // the client area, under the find panel
    findPanel* findCallsPanel = nullptr; // hidden until View > Find calls...
    wxTimer liveTimer;

    wxDECLARE_EVENT_TABLE();
};
