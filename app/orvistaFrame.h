#pragma once
// The main window. Its constructor is the program's start-up: it loads the
// settings and the schema, finds "logger.ini" (asking the user when needed),
// reads the recording lines under a splash screen and builds menus, tool bar and
// status bar. Closing it writes the view back into the settings.
#include "core/programFiles.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/frame.h>
#include <wx/xml/xml.h>

#include "app/settings.h"
#include "recdb/catalogLoader.h"
#include "recdb/timeline.h"

class vTimeline;

class orvistaFrame : public wxFrame {
public:
    // Throws configError when start-up must stop.
    orvistaFrame(const wxString& programDirectory, const wxString& settingsDirectory);
    // Writes the settings file.
    ~orvistaFrame() override;

    // One entry of the menus, in menu order: the single description from which
    // menus, tool bar and command handling are built. An entry with id 0 is a
    // separator in its menu. Commands of one menu that have pictures form a
    // group on the tool bar; groups are separated. A command without a handler
    // is shown disabled.
    struct command {
        int id;
        const char* menu;  // title of the menu
        const char* label; // menu label and tool tip
        const char* help;  // status bar text and the tool's long help
        int picture;       // embedded picture number; -1: no tool
        void (orvistaFrame::*handler)(wxCommandEvent&);
    };
    static const std::vector<command>& commandTable();

    // The recordings of the included lines that overlap the selection, in row
    // order. When there are none the user is told so and the result is false.
    bool gatherSelectedRecordings(recordingList& out);

    // Read access for the panel (and tests).
    const wxXmlDocument& settings() const { return settingsDocument; }
    const std::string& loggerIni() const { return loggerIniPath; }
    const wxString& copyToFolder() const { return copyToDirectory; }
    const lineStateMap& startupLineSelection() const { return lineSelection; }
    const std::map<std::string, std::string>& channels() const { return channelDirectories; }
    // One timeline per channel, in channel-name order.
    const std::vector<std::unique_ptr<timeline>>& lineTimelines() const { return timelines; }
    // The view and selection read at start (-1 where not valid), as handed to
    // the timeline panel.
    const vTimelineDisplayState& startupViewAndSelection() const { return startupView; }
    vTimeline* panel() const { return timelinePanel; }

private:
    // Waits until the catalogs of the selected days on the included lines are
    // read, with a progress dialog when that takes long. False when the user
    // stopped the wait.
    bool readSelection();
    void loadDocuments();
    void locateLoggerIni(wxXmlNode* pathsElement);
    // Reads "logger.ini" and scans every line's folder, then hands the new
    // timelines to the panel; the previous ones are released only after that.
    void loadLines();
    void applyGeometry(const windowGeometry& geometry);
    void applyFirstStartSize();
    void buildMenus();
    viewState currentViewState() const;

    void onClose(wxCloseEvent& event);
    void onUpdateCommand(wxUpdateUIEvent& event);
    void onRefresh(wxCommandEvent& event);
    void onExit(wxCommandEvent& event);
    void onZoomIn(wxCommandEvent& event);
    void onZoomOut(wxCommandEvent& event);
    void onZoomSelection(wxCommandEvent& event);
    // Copies the selection into a new temporary folder for a sibling program.
    // With `mustSelect`, an empty selection is refused with a message. False
    // (and no folder left) when nothing is to be started.
    bool copySelectionToTemporaryFolder(bool mustSelect, std::string& folder, std::vector<std::string>& copies);
    // Writes "orv.xml"; a failure is told in a message box, followed by `afterwards`.
    void saveSettings(const wxString& afterwards);
    void onConfigure(wxCommandEvent& event);
    void onCopyTo(wxCommandEvent& event);
    void onOpenInCasebinder(wxCommandEvent& event);
    void onOpenInTracewise(wxCommandEvent& event);
    void onOpenCopyInCasebinder(wxCommandEvent& event);
    void onOpenCopyInTracewise(wxCommandEvent& event);
    void onOpenCopyInLivecue(wxCommandEvent& event);
    void onUsersGuide(wxCommandEvent& event);
    void onAbout(wxCommandEvent& event);

    wxXmlDocument settingsDocument;
    wxXmlDocument schemaDocument;
    programFiles files;
    vTimeline* timelinePanel = nullptr; // the only child of the client area
    wxString copyToDirectory;
    std::string loggerIniPath;

    vTimelineDisplayState startupView{-1, -1, -1, -1};
    lineStateMap lineSelection;
    std::map<std::string, std::string> channelDirectories;
    std::vector<std::unique_ptr<timeline>> timelines;
    // Reads the catalogs the rows ask for; stopped before timelines go.
    std::unique_ptr<catalogLoader> loader;

    wxDECLARE_EVENT_TABLE();
};
