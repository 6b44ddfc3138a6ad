#include "app/orvistaFrame.h"

#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/splash.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "app/commands.h"
#include "app/configError.h"
#include "display/vTimeline.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/loggerIni.h"
#include "platform/narrow.h"
#include "recdb/timeValue.h"
#include "resources/resourceIds.h"

wxBEGIN_EVENT_TABLE(orvistaFrame, wxFrame)
    EVT_MENU(cmdExit, orvistaFrame::onExit)
    EVT_MENU(cmdZoomIn, orvistaFrame::onZoomIn)
    EVT_MENU(cmdZoomOut, orvistaFrame::onZoomOut)
    EVT_MENU(cmdZoomSelection, orvistaFrame::onZoomSelection)
wxEND_EVENT_TABLE()

namespace {
const char* const programTitle = "VMK Orvista";
const char* const messageCaption = "Orvista";

// Documents are read and written with the encoding their declaration names.
bool loadDocument(wxXmlDocument& document, const wxString& path)
{
    return document.Load(path) && document.GetRoot();
}
}

orvistaFrame::orvistaFrame(const wxString& programDirectory_, const wxString& settingsDirectory_)
    : wxFrame(nullptr, wxID_ANY, programTitle, wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE,
              "frame"),
      programDirectory(programDirectory_), settingsDirectory(settingsDirectory_)
{
    loadDocuments();

    startupSettings settings = readStartupSettings(settingsDocument.GetRoot(), wxDateTime::Now());
    loggerIniPath = settings.loggerIniPath;
    copyToDirectory = settings.copyToDirectory;
    lineSelection = settings.lineSelection;
    startupTimes[0] = toSeconds(settings.viewBegin);
    startupTimes[1] = toSeconds(settings.viewEnd);
    startupTimes[2] = toSeconds(settings.selectionBegin);
    startupTimes[3] = toSeconds(settings.selectionEnd);
    if (settings.hasGeometry)
        applyGeometry(settings.geometry);
    else
        applyFirstStartSize();

    CreateStatusBar(1, wxSTB_DEFAULT_STYLE, 0, "status_line");
    CreateToolBar(wxTB_DEFAULT_STYLE, wxID_ANY, "toolbar");
    timelinePanel = new vTimeline(this, settings.viewBegin, settings.viewEnd, settings.selectionBegin,
                                  settings.selectionEnd);

    locateLoggerIni(settings.pathsElement);

    wxSplashScreen* splash =
        new wxSplashScreen(wxBitmap(loadResourceImage(resSplash)), wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_NO_TIMEOUT,
                           0, this, wxID_ANY);
    readLoggerIni(loggerIniPath, channelDirectories);
    buildTimelines();
    std::vector<const timeline*> lines;
    for (const auto& line : timelines)
        lines.push_back(line.get());
    timelinePanel->setTimelines(lines);
    timelinePanel->applyLineStates(lineSelection);
    splash->Destroy();

    buildMenus();
}

orvistaFrame::~orvistaFrame()
{
    wxFileName file(settingsDirectory, "orv.xml");
    settingsDocument.Save(file.GetFullPath(), 1);
    // The rows point into the timelines: the windows go first.
    DestroyChildren();
}

void orvistaFrame::loadDocuments()
{
    bool settingsOk = loadDocument(settingsDocument, wxFileName(settingsDirectory, "orv.xml").GetFullPath());
    bool schemaOk =
        loadDocument(schemaDocument, wxFileName(programDirectory, "orv-config-schema.xml").GetFullPath());
    if (!settingsOk || !schemaOk) {
        wxMessageBox("Could not load configuration file(s), aborting.", messageCaption, wxOK | wxICON_ERROR,
                     nullptr);
        throw configError();
    }
}

void orvistaFrame::locateLoggerIni(wxXmlNode* pathsElement)
{
    while (!loggerIniExists(std::string(loggerIniPath))) {
        int answer = wxMessageBox(
            "Could not find the Voxtrail configuration file, logger.ini.\nPlease specify its location.",
            messageCaption, wxOK | wxCANCEL | wxICON_ERROR, nullptr);
        if (answer != wxOK)
            throw configError();
        wxFileDialog dialog(nullptr, "Specify logger.ini location", wxEmptyString, wxEmptyString, "logger.ini",
                            wxFD_OPEN | wxFD_FILE_MUST_EXIST, wxDefaultPosition, wxDefaultSize, "filedlg");
        if (dialog.ShowModal() != wxID_OK)
            throw configError();
        loggerIniPath = toNarrow(dialog.GetPath());
        // Without a "paths" element the choice holds for this run only: creating
        // one would put an element into the user's file that they never wrote.
        if (pathsElement) {
            pathsElement->DeleteAttribute("logger-ini");
            pathsElement->AddAttribute("logger-ini", dialog.GetPath());
        }
    }
}

void orvistaFrame::buildTimelines()
{
    // Scanning is the slow part of start-up; the scanner calls back now and then
    // so that the splash screen and any other window keep being painted. The safe
    // yield disables all windows meanwhile, so no command can run half-way.
    auto keepPainted = [] { wxSafeYield(nullptr, false); };
    timelines.clear();
    for (const auto& channel : channelDirectories)
        timelines.push_back(std::make_unique<dynamicTimeline>(channel.second, channel.first, keepPainted));
}

void orvistaFrame::applyGeometry(const windowGeometry& geometry)
{
    // A damaged file can hold sizes no window system accepts (GTK gives up
    // beyond 32767 pixels and the window is never seen): start as without one.
    const int largest = 32767;
    if (geometry.width < 1 || geometry.height < 1 || geometry.width > largest || geometry.height > largest) {
        applyFirstStartSize();
        return;
    }
    SetSize(geometry.x, geometry.y, geometry.width, geometry.height);
    // A window saved on a display that is gone would open where nobody sees it.
    bool onSomeDisplay = false;
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i)
        onSomeDisplay = onSomeDisplay || wxDisplay(i).GetGeometry().Intersects(GetRect());
    if (!onSomeDisplay)
        Centre();
    Maximize(geometry.maximized);
}

void orvistaFrame::applyFirstStartSize()
{
    // The toolkit's default frame size (400 by 250 on GTK) shows hardly a row of
    // the timeline; without a saved geometry start large, on the main display.
    wxRect area = wxDisplay(0u).GetClientArea();
    SetSize(wxMin(1100, area.width * 9 / 10), wxMin(760, area.height * 9 / 10));
    Centre();
}

void orvistaFrame::buildMenus()
{
    wxMenuBar* menuBar = new wxMenuBar;
    wxToolBar* toolBar = GetToolBar();

    wxMenu* file = new wxMenu;
    addCommand(file, "Re-read the recording database", this, cmdRefresh, "Refresh", resRefresh);
    file->AppendSeparator();
    addCommand(file, "Adjust ORV settings", this, cmdConfigure, "Configure", resConfigure);
    file->AppendSeparator();
    addCommand(file, "Quit Orvista", this, cmdExit, "Exit", -1);
    menuBar->Append(file, "File");
    toolBar->AddSeparator();

    wxMenu* view = new wxMenu;
    addCommand(view, "Increase time scale", this, cmdZoomIn, "Zoom in", resZoomIn);
    addCommand(view, "Decrease time scale", this, cmdZoomOut, "Zoom out", resZoomOut);
    addCommand(view, "Set view to selection", this, cmdZoomSelection, "Zoom selection", resZoomSelection);
    menuBar->Append(view, "View");
    toolBar->AddSeparator();

    wxMenu* selection = new wxMenu;
    addCommand(selection, "Copy selected recordings to target directory", this, cmdCopyTo, "Copy To...",
               resCopyTo);
    addCommand(selection, "Open selected recordings in Casebinder", this, cmdOpenInCasebinder,
               "Open in Casebinder", resCasebinder);
    addCommand(selection, "Open selected recordings in Tracewise", this, cmdOpenInTracewise,
               "Open in Tracewise", resTracewise);
    addCommand(selection, "Open a copy of selected recordings in Casebinder", this, cmdOpenCopyInCasebinder,
               "Open copy in Casebinder", resCopyCasebinder);
    addCommand(selection, "Open a copy of selected recordings in Tracewise", this, cmdOpenCopyInTracewise,
               "Open copy in Tracewise", resCopyTracewise);
    addCommand(selection, "Open a copy of selected recordings in Livecue", this, cmdOpenCopyInLivecue,
               "Open copy in Livecue", resCopyLivecue);
    menuBar->Append(selection, "Selection");

    wxMenu* help = new wxMenu;
    addCommand(help, "Displays the program's user guide", this, cmdUsersGuide, "User's guide", -1);
    addCommand(help, "About Orvista", this, cmdAbout, "About...", -1);
    menuBar->Append(help, "Help");

    SetMenuBar(menuBar);
    toolBar->Realize();
}

void orvistaFrame::onExit(wxCommandEvent&)
{
    Close(); // not forced: the close handler decides
}

void orvistaFrame::onZoomIn(wxCommandEvent&)
{
    timelinePanel->zoomIn();
}

void orvistaFrame::onZoomOut(wxCommandEvent&)
{
    timelinePanel->zoomOut();
}

void orvistaFrame::onZoomSelection(wxCommandEvent&)
{
    const vTimelineDisplayState* state = timelinePanel->displayState();
    if (state->selectionBegin < state->selectionEnd)
        timelinePanel->zoomToSelection();
    else
        wxMessageBox("The selection has zero length!", "Error!", wxOK | wxICON_ERROR, this);
}
