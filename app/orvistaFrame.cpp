#include "app/orvistaFrame.h"

#include <chrono>

#include <wx/dirdlg.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/splash.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "app/aboutDialog.h"
#include "app/commands.h"
#include "app/configError.h"
#include "display/vTimeline.h"
#include "app/siblingPrograms.h"
#include "export/copyRecordings.h"
#include "export/tempCopy.h"
#include "xmlconfig/configuratorDialog.h"
#include "recdb/dirTimelineScanner.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/loggerIni.h"
#include "platform/narrow.h"
#include "platform/openDocument.h"
#include "recdb/timeValue.h"
#include "resources/resourceIds.h"

// Menu commands are bound from the command table in the constructor.
wxBEGIN_EVENT_TABLE(orvistaFrame, wxFrame)
    EVT_CLOSE(orvistaFrame::onClose)
    EVT_UPDATE_UI_RANGE(cmdRefresh, cmdAbout, orvistaFrame::onUpdateCommand)
wxEND_EVENT_TABLE()

const std::vector<orvistaFrame::command>& orvistaFrame::commandTable()
{
    // Commands whose feature is still to come have no handler yet: they are
    // shown, disabled.
    static const std::vector<command> commands = {
        {cmdRefresh, "File", "Refresh", "Re-read the recording database", resRefresh, &orvistaFrame::onRefresh},
        {0, "File", nullptr, nullptr, -1, nullptr},
        {cmdConfigure, "File", "Configure", "Adjust ORV settings", resConfigure, &orvistaFrame::onConfigure},
        {0, "File", nullptr, nullptr, -1, nullptr},
        {cmdExit, "File", "Exit", "Quit Orvista", -1, &orvistaFrame::onExit},
        {cmdZoomIn, "View", "Zoom in", "Increase time scale", resZoomIn, &orvistaFrame::onZoomIn},
        {cmdZoomOut, "View", "Zoom out", "Decrease time scale", resZoomOut, &orvistaFrame::onZoomOut},
        {cmdZoomSelection, "View", "Zoom selection", "Set view to selection", resZoomSelection,
         &orvistaFrame::onZoomSelection},
        {cmdCopyTo, "Selection", "Copy To...", "Copy selected recordings to target directory", resCopyTo,
         &orvistaFrame::onCopyTo},
        {cmdOpenInCasebinder, "Selection", "Open in Casebinder", "Open selected recordings in Casebinder",
         resCasebinder, &orvistaFrame::onOpenInCasebinder},
        {cmdOpenInTracewise, "Selection", "Open in Tracewise", "Open selected recordings in Tracewise",
         resTracewise, &orvistaFrame::onOpenInTracewise},
        {cmdOpenCopyInCasebinder, "Selection", "Open copy in Casebinder",
         "Open a copy of selected recordings in Casebinder", resCopyCasebinder,
         &orvistaFrame::onOpenCopyInCasebinder},
        {cmdOpenCopyInTracewise, "Selection", "Open copy in Tracewise",
         "Open a copy of selected recordings in Tracewise", resCopyTracewise,
         &orvistaFrame::onOpenCopyInTracewise},
        {cmdOpenCopyInLivecue, "Selection", "Open copy in Livecue", "Open a copy of selected recordings in Livecue",
         resCopyLivecue, &orvistaFrame::onOpenCopyInLivecue},
        {cmdUsersGuide, "Help", "User's guide", "Displays the program's user guide", -1,
         &orvistaFrame::onUsersGuide},
        {cmdAbout, "Help", "About...", "About Orvista", -1, &orvistaFrame::onAbout},
    };
    return commands;
}

namespace {
const char* const programTitle = "VMK Orvista";
const char* const messageCaption = "Orvista";

// Documents are read and written with the encoding their declaration names.
bool loadDocument(wxXmlDocument& document, const wxString& path)
{
    wxString reason;
    return loadSettingsDocument(document, path, reason);
}
}

orvistaFrame::orvistaFrame(const wxString& programDirectory_, const wxString& settingsDirectory_)
    : wxFrame(nullptr, wxID_ANY, programTitle, wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE,
              "frame"),
      files(programDirectory_, settingsDirectory_)
{
    // The start-up runs before the program's event loop does. wxMSW's yield
    // dispatches window messages only through an active loop: without one the
    // splash screen would never be painted while the lines are scanned, and
    // Windows would take the program for hung.
    wxEventLoopGuarantor activeLoop;
    loadDocuments();

    startupSettings settings = readStartupSettings(settingsDocument.GetRoot(), wxDateTime::Now());
    loggerIniPath = settings.loggerIniPath;
    copyToDirectory = settings.copyToDirectory;
    lineSelection = settings.lineSelection;
    startupView = settings.view;
    if (settings.hasGeometry)
        applyGeometry(settings.geometry);
    else
        applyFirstStartSize();

    wxIconBundle icons;
    for (int id : {resIcon16, resIcon32, resIcon48, resIcon256}) {
        wxIcon icon;
        icon.CopyFromBitmap(wxBitmap(loadResourceImage(id)));
        icons.AddIcon(icon);
    }
    SetIcons(icons);
    CreateStatusBar(1, wxSTB_DEFAULT_STYLE, 0, "status_line");
    CreateToolBar(wxTB_DEFAULT_STYLE, wxID_ANY, "toolbar");
    timelinePanel = new vTimeline(this, startupView);

    locateLoggerIni(settings.pathsElement);

    wxSplashScreen* splash =
        new wxSplashScreen(wxBitmap(loadResourceImage(resSplash)), wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_NO_TIMEOUT,
                           0, this, wxID_ANY);
    // Catalogs are read on worker threads; the rows paint what has arrived and
    // are painted again as more arrives.
    loader = std::make_unique<catalogLoader>();
    catalogLoader* workers = loader.get();
    timelinePanel->watchArrivals([workers] { return workers->catalogsRead(); });
    loadLines();
    timelinePanel->applyLineStates(lineSelection);
    splash->Destroy();

    buildMenus();
    for (const command& entry : commandTable())
        if (entry.handler)
            Bind(wxEVT_MENU, entry.handler, this, entry.id);
}

orvistaFrame::~orvistaFrame()
{
    // Only a frame that finished its start-up gets here: a start-up that ended
    // with an error or a cancelled question writes nothing.
    saveSettings("");
    // The rows point into the timelines: the windows go first, then the
    // workers that read into them.
    DestroyChildren();
    loader.reset();
}

void orvistaFrame::loadDocuments()
{
    bool settingsOk = loadDocument(settingsDocument, files.settingsFile());
    bool schemaOk = loadDocument(schemaDocument, files.schemaFile());
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

void orvistaFrame::loadLines()
{
    std::map<std::string, std::string> directories;
    readLoggerIni(loggerIniPath, directories);
    // Scanning is the slow part; the scanner calls back now and then so that the
    // splash screen and the window keep being painted (with the timelines the
    // panel still shows). The safe yield disables all windows meanwhile, so no
    // command can run half-way.
    // Many short scans add up: between lines, too, the windows are kept
    // painted once 50 ms have passed.
    auto lastYield = std::chrono::steady_clock::now();
    auto keepPainted = [&lastYield] {
        wxSafeYield(nullptr, false);
        lastYield = std::chrono::steady_clock::now();
    };
    std::vector<std::unique_ptr<timeline>> scanned;
    for (const auto& channel : directories) {
        auto line = std::make_unique<dynamicTimeline>(channel.second, channel.first, keepPainted);
        line->setLoader(loader.get());
        scanned.push_back(std::move(line));
        if (std::chrono::steady_clock::now() - lastYield >= dirTimelineScanner::keepAliveInterval)
            keepPainted();
    }
    // Nothing may still be reading into the timelines about to go.
    loader->stop();

    std::vector<const timeline*> lines;
    for (const auto& line : scanned)
        lines.push_back(line.get());
    timelinePanel->setTimelines(lines);
    // The panel has let go of the previous timelines: they may go now.
    channelDirectories.swap(directories);
    timelines.swap(scanned);
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
    const wxSize wanted = FromDIP(wxSize(1100, 760));
    SetSize(wxMin(wanted.x, area.width * 9 / 10), wxMin(wanted.y, area.height * 9 / 10));
    Centre();
}

void orvistaFrame::buildMenus()
{
    wxMenuBar* menuBar = new wxMenuBar;
    wxToolBar* toolBar = GetToolBar();
    wxMenu* menu = nullptr;
    const char* title = nullptr;
    bool newGroup = false;
    for (const command& entry : commandTable()) {
        if (!menu || wxStrcmp(title, entry.menu) != 0) {
            if (menu)
                menuBar->Append(menu, title);
            menu = new wxMenu;
            title = entry.menu;
            newGroup = true;
        }
        if (entry.id == 0) {
            menu->AppendSeparator();
            continue;
        }
        // A separator goes between the tools of one menu and those of the next.
        if (entry.picture != -1 && newGroup && toolBar->GetToolsCount() > 0)
            toolBar->AddSeparator();
        if (entry.picture != -1)
            newGroup = false;
        addCommand(menu, entry.help, this, entry.id, entry.label, entry.picture);
    }
    if (menu)
        menuBar->Append(menu, title);
    SetMenuBar(menuBar);
    toolBar->Realize();
}


viewState orvistaFrame::currentViewState() const
{
    viewState view;
    view.view = *timelinePanel->displayState();
    // When maximised, the maximised rectangle is what is stored.
    const wxRect outer = GetRect();
    view.window = windowGeometry{outer.x, outer.y, outer.width, outer.height, IsMaximized()};
    timelinePanel->collectLineStates(view.lines);
    return view;
}

void orvistaFrame::onClose(wxCloseEvent&)
{
    // However the window is closed (Exit, close box, system menu), the view goes
    // into the settings document; the destructor writes the file. A close is
    // never vetoed.
    saveViewState(settingsDocument.GetRoot(), currentViewState());
    Destroy();
}

void orvistaFrame::onUpdateCommand(wxUpdateUIEvent& event)
{
    for (const command& entry : commandTable()) {
        if (entry.id == event.GetId()) {
            event.Enable(entry.handler != nullptr);
            return;
        }
    }
}

bool orvistaFrame::readSelection()
{
    const vTimelineDisplayState* state = timelinePanel->displayState();
    std::unique_ptr<wxProgressDialog> dialog;
    const wxLongLong started = wxGetLocalTimeMillis();
    return loadInterval(timelinePanel->includedLines(), state->selectionBegin, state->selectionEnd, loader.get(),
                        [&](std::size_t done, std::size_t total) {
                            // A short wait shows nothing; a long one can be stopped.
                            if (!dialog && wxGetLocalTimeMillis() - started > 400)
                                dialog = std::make_unique<wxProgressDialog>(
                                    "Reading recordings", "Reading the catalogs of the selected days...",
                                    static_cast<int>(total), this,
                                    wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
                            return !dialog || dialog->Update(static_cast<int>(done));
                        });
}

bool orvistaFrame::gatherSelectedRecordings(recordingList& out)
{
    out.clear();
    if (!readSelection())
        return false;
    timelinePanel->selectedRecordings(out);
    if (!out.empty())
        return true;
    wxMessageBox("No recordings selected.", "Error", wxOK | wxICON_ERROR, this);
    return false;
}

void orvistaFrame::onRefresh(wxCommandEvent&)
{
    // The path chosen at start-up is used as it is: no question this time, and a
    // "logger.ini" that has gone leaves the display without lines.
    wxBusyCursor busy;
    loadLines();
}

void orvistaFrame::onCopyTo(wxCommandEvent&)
{
    wxDirDialog dialog(this, "Select a directory to put selected files into", copyToDirectory, wxDD_DEFAULT_STYLE,
                       wxDefaultPosition, wxDefaultSize, "wxDirCtrl");
    dialog.SetName("wxDirCtrl"); // wxGTK gives every folder dialog a fixed name of its own
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxString folder = dialog.GetPath();
    if (!representable(folder)) {
        // Windows allows names no other program (nor this one) can spell.
        wxMessageBox("The folder cannot be used: its name holds half of a UTF-16 character pair.\n" + folder,
                     "Error", wxOK | wxICON_ERROR, this);
        return;
    }
    recordingList selected;
    if (gatherSelectedRecordings(selected))
        copyRecordings(toNarrow(folder), nullptr, CopyRequest{this}, selected);
    // Offered again next time in this run; the settings file keeps its own value.
    copyToDirectory = folder;
}

void orvistaFrame::onOpenInCasebinder(wxCommandEvent&)
{
    wxMessageBox("Casebinder can only work with a copy of recordings at the moment.", "Error", wxOK | wxICON_NONE,
                 this);
}

void orvistaFrame::onOpenInTracewise(wxCommandEvent&)
{
    recordingList selected;
    if (!gatherSelectedRecordings(selected))
        return;
    std::vector<std::string> files;
    for (const recording* r : selected)
        if (!r->getProperty("filename").empty())
            files.push_back(r->getProperty("filename"));
    launchTracewise(files, false, this);
}

bool orvistaFrame::copySelectionToTemporaryFolder(bool mustSelect, std::string& folder,
                                                  std::vector<std::string>& copies)
{
    recordingList selected;
    if (mustSelect && !gatherSelectedRecordings(selected))
        return false;
    if (!mustSelect) {
        if (!readSelection())
            return false;
        timelinePanel->selectedRecordings(selected);
    }
    folder = makeTemporaryCopyFolder();
    if (folder.empty()) {
        wxMessageBox("No folder for the copy can be made in the temporary folder.", "Error", wxOK | wxICON_ERROR,
                     this);
        return false;
    }
    if (copyRecordings(folder, &copies, CopyRequest{this}, selected))
        return true;
    // Nothing will use the copy: it does not stay behind.
    removeFolderTree(folder);
    return false;
}

void orvistaFrame::onOpenCopyInCasebinder(wxCommandEvent&)
{
    // An empty selection still starts Casebinder, on an empty folder.
    std::string folder;
    std::vector<std::string> copies;
    if (copySelectionToTemporaryFolder(false, folder, copies))
        launchCasebinder(folder);
}

void orvistaFrame::onOpenCopyInTracewise(wxCommandEvent&)
{
    std::string folder;
    std::vector<std::string> copies;
    if (copySelectionToTemporaryFolder(true, folder, copies))
        launchTracewise(copies, true, this);
}

void orvistaFrame::onOpenCopyInLivecue(wxCommandEvent&)
{
    const LivecueLocation livecue = locateLivecue();
    if (!livecue.found) {
        wxMessageBox("LCQ not found!", "Error", wxOK | wxICON_ERROR, this);
        return;
    }
    std::string folder;
    std::vector<std::string> copies;
    if (copySelectionToTemporaryFolder(false, folder, copies))
        startLivecueOnCopy(folder, livecue, this);
}

void orvistaFrame::onConfigure(wxCommandEvent&)
{
    // The editor works on a copy: Cancel leaves the settings as they were.
    wxXmlDocument edited(settingsDocument);
    if (!runConfigurator(schemaDocument, edited))
        return;
    settingsDocument = edited;
    // Written at once; paths and the like take effect at the next start. The
    // edits stay in memory either way, and are written again at exit.
    saveSettings("\n\nThe changes are kept and saved again when Orvista closes.");
}

void orvistaFrame::saveSettings(const wxString& afterwards)
{
    const wxString path = files.settingsFile();
    wxString reason;
    if (!writeSettingsFile(settingsDocument, path, reason))
        wxMessageBox("The settings could not be saved to " + path + ":\n" + reason + afterwards, messageCaption,
                     wxOK | wxICON_ERROR, IsBeingDeleted() ? nullptr : this);
}

void orvistaFrame::onUsersGuide(wxCommandEvent&)
{
    const wxString guide = files.guideFile();
    if (!wxFileExists(guide)) {
        wxMessageBox("The user guide has not been found. Reinstalling the application may solve this problem.",
                     "File not found", wxOK | wxICON_ERROR, nullptr);
        return;
    }
    // A viewer that fails to start is not reported further.
    openDocument(guide);
}

void orvistaFrame::onAbout(wxCommandEvent&)
{
    orvAboutDialog dialog(this);
    dialog.ShowModal();
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
