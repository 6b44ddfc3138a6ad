#include "app/orvistaFrame.h"

#include <ctime>
#include <memory>

#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/log.h>
#include <wx/filedlg.h>
#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/sizer.h>
#include <wx/splash.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "app/commands.h"
#include "app/configError.h"
#include "app/findPanel.h"
#include "display/vTimeline.h"
#include "resources/resourceIds.h"

wxBEGIN_EVENT_TABLE(orvistaFrame, wxFrame)
    EVT_CLOSE(orvistaFrame::onClose)
    EVT_MENU_RANGE(cmdRefresh, cmdLast, orvistaFrame::onCommand)
    EVT_UPDATE_UI_RANGE(cmdRefresh, cmdLast, orvistaFrame::onUpdateCommand)
wxEND_EVENT_TABLE()

namespace {
const char* const programTitle = "VMK Orvista";
const char* const messageCaption = "Orvista";
}

orvistaFrame::orvistaFrame(const programFiles& files)
    : wxFrame(nullptr, wxID_ANY, programTitle, wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE,
              "frame"),
      core(files), liveTimer(this)
{
    // The start-up runs before the program's event loop does. wxMSW's yield
    // dispatches window messages only through an active loop: without one the
    // splash screen would never be painted while the lines are scanned, and
    // Windows would take the program for hung.
    wxEventLoopGuarantor activeLoop;
    loadDocuments();

    core.readStartup(wxDateTime::Now());
    const startupSettings& settings = core.startup();
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
    timelinePanel = new vTimeline(this, settings.view);
    findCallsPanel = new findPanel(this, core, *timelinePanel);
    wxBoxSizer* client = new wxBoxSizer(wxVERTICAL);
    client->Add(findCallsPanel, 0, wxEXPAND);
    client->Add(timelinePanel, 1, wxEXPAND);
    SetSizer(client);

    locateLoggerIni();

    wxSplashScreen* splash =
        new wxSplashScreen(wxBitmap(loadResourceImage(resSplash)), wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_NO_TIMEOUT,
                           0, this, wxID_ANY);
    // Catalogs are read on worker threads; the rows paint what has arrived and
    // are painted again as more arrives.
    timelinePanel->watchArrivals([this] { return core.catalogsRead(); });
    loadLines();
    timelinePanel->applyLineStates(settings.lineSelection);
    splash->Destroy();

    buildMenus();
    Bind(wxEVT_TIMER, &orvistaFrame::onLiveTimer, this, liveTimer.GetId());
    applyLiveUpdates();
}

void orvistaFrame::applyLiveUpdates()
{
    const liveSettings live = core.liveUpdates();
    if (live.on)
        liveTimer.Start(live.seconds * 1000);
    else
        liveTimer.Stop();
}

void orvistaFrame::onLiveTimer(wxTimerEvent&)
{
    lookForNews();
}

void orvistaFrame::lookForNews()
{
    // The lines may change only while nothing reads them: not a search, and
    // not a command waiting for catalogs or a scan, whose progress yields to
    // the loop with the windows disabled (as a modal dialog has them).
    const wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (findCallsPanel->isSearching() || !IsEnabled() || (loop && loop->IsYielding()))
        return;
    const dynamicTimeline::news found = core.lookForNews(static_cast<std::int64_t>(std::time(nullptr)));
    timelinePanel->recordingsChanged(found.changed);
    for (const wxString& trouble : found.broken)
        wxLogError("%s", trouble);
}

orvistaFrame::~orvistaFrame()
{
    liveTimer.Stop();
    // Only a frame that finished its start-up gets here: a start-up that ended
    // with an error or a cancelled question writes nothing.
    saveSettings("");
    // The rows point into the session's timelines: the windows go first.
    DestroyChildren();
}

void orvistaFrame::loadDocuments()
{
    if (!core.loadDocuments()) {
        wxMessageBox("Could not load configuration file(s), aborting.", messageCaption, wxOK | wxICON_ERROR,
                     nullptr);
        throw configError();
    }
}

void orvistaFrame::locateLoggerIni()
{
    while (!core.loggerIniFound()) {
        int answer = wxMessageBox(
            "Could not find the Voxtrail configuration file, logger.ini.\nPlease specify its location.",
            messageCaption, wxOK | wxCANCEL | wxICON_ERROR, nullptr);
        if (answer != wxOK)
            throw configError();
        wxFileDialog dialog(nullptr, "Specify logger.ini location", wxEmptyString, wxEmptyString, "logger.ini",
                            wxFD_OPEN | wxFD_FILE_MUST_EXIST, wxDefaultPosition, wxDefaultSize, "filedlg");
        if (dialog.ShowModal() != wxID_OK)
            throw configError();
        core.chooseLoggerIni(dialog.GetPath());
    }
}

void orvistaFrame::loadLines()
{
    // Scanning is the slow part; the scanner calls back now and then so that the
    // splash screen and the window keep being painted (with the timelines the
    // panel still shows). The safe yield disables all windows meanwhile, so no
    // command can run half-way.
    // The hits of a search point into the lines that go.
    core.reload([] { wxSafeYield(nullptr, false); },
                [this](const std::vector<const timeline*>& lines) {
                    findCallsPanel->forgetLines();
                    timelinePanel->setTimelines(lines);
                });
    findCallsPanel->linesReplaced();
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
        addCommand(menu, entry.help, this, entry.id, entry.label, entry.picture, entry.keys ? entry.keys : "");
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
    core.keepView(currentViewState());
    // Remembered once the panel was used, or when the settings already hold
    // a search: an untouched file gets no element it never had.
    if (findCallsPanel->wasOpened() || core.hasFindSettings())
        core.keepFind(findCallsPanel->values());
    Destroy();
}

void orvistaFrame::onCommand(wxCommandEvent& event)
{
    const command* entry = findCommand(event.GetId());
    if (entry && entry->run && entry->enabled(*this))
        entry->run(*this);
}

void orvistaFrame::onUpdateCommand(wxUpdateUIEvent& event)
{
    const command* entry = findCommand(event.GetId());
    if (entry)
        event.Enable(entry->run && entry->enabled(*this));
}

bool orvistaFrame::readSelection()
{
    const vTimelineDisplayState* state = timelinePanel->displayState();
    std::unique_ptr<wxProgressDialog> dialog;
    const wxLongLong started = wxGetLocalTimeMillis();
    return core.readInterval(timelinePanel->includedLines(), state->selectionBegin, state->selectionEnd,
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

void orvistaFrame::saveSettings(const wxString& afterwards)
{
    wxString reason;
    if (!core.saveSettings(reason))
        wxMessageBox("The settings could not be saved to " + core.files().settingsFile() + ":\n" + reason +
                         afterwards,
                     messageCaption, wxOK | wxICON_ERROR, IsBeingDeleted() ? nullptr : this);
}
