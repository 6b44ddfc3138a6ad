#pragma once
// The main window. Its constructor is the program's start-up: it loads the
// settings and the schema, finds "logger.ini" (asking the user when needed),
// reads the recording lines under a splash screen and builds menus, tool bar and
// status bar.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/frame.h>
#include <wx/xml/xml.h>

#include "app/settings.h"
#include "recdb/timeline.h"

class vTimeline;

class orvistaFrame : public wxFrame {
public:
    // Throws configError when start-up must stop.
    orvistaFrame(const wxString& programDirectory, const wxString& settingsDirectory);
    ~orvistaFrame() override;

    // Read access for the panel (and tests).
    const wxXmlDocument& settings() const { return settingsDocument; }
    const std::string& loggerIni() const { return loggerIniPath; }
    const wxString& copyToFolder() const { return copyToDirectory; }
    const lineStateMap& startupLineSelection() const { return lineSelection; }
    const std::map<std::string, std::string>& channels() const { return channelDirectories; }
    // One timeline per channel, in channel-name order.
    const std::vector<std::unique_ptr<timeline>>& lineTimelines() const { return timelines; }
    // View begin, view end, selection begin, selection end in seconds since 1970
    // (-1 when not valid), as handed to the timeline panel.
    const double* startupInstants() const { return startupTimes; }
    vTimeline* panel() const { return timelinePanel; }

private:
    void loadDocuments();
    void locateLoggerIni(wxXmlNode* pathsElement);
    void buildTimelines();
    void applyGeometry(const windowGeometry& geometry);
    void applyFirstStartSize();
    void buildMenus();
    void onExit(wxCommandEvent& event);
    void onZoomIn(wxCommandEvent& event);
    void onZoomOut(wxCommandEvent& event);
    void onZoomSelection(wxCommandEvent& event);

    wxXmlDocument settingsDocument;
    wxXmlDocument schemaDocument;
    wxString programDirectory;
    wxString settingsDirectory;
    vTimeline* timelinePanel = nullptr; // the only child of the client area
    wxString copyToDirectory;
    std::string loggerIniPath;

    double startupTimes[4] = {-1, -1, -1, -1};
    lineStateMap lineSelection;
    std::map<std::string, std::string> channelDirectories;
    std::vector<std::unique_ptr<timeline>> timelines;

    wxDECLARE_EVENT_TABLE();
};
