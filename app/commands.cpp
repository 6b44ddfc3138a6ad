#include "app/commands.h"

#include <string>

#include <wx/bitmap.h>
#include <wx/dirdlg.h>
#include <wx/filefn.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/mstream.h>
#include <wx/textctrl.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include "app/aboutDialog.h"
#include "app/findPanel.h"
#include "app/orvistaFrame.h"
#include "app/siblingPrograms.h"
#include "display/vTimeline.h"
#include "export/copyRecordings.h"
#include "export/tempCopy.h"
#include "platform/narrow.h"
#include "platform/openDocument.h"
#include "platform/resources.h"
#include "resources/resourceIds.h"
#include "xmlconfig/configuratorDialog.h"

namespace {
bool always(const orvistaFrame&)
{
    return true;
}

void refresh(orvistaFrame& frame)
{
    // The path chosen at start-up is used as it is: no question this time, and a
    // "logger.ini" that has gone leaves the display without lines.
    wxBusyCursor busy;
    frame.loadLines();
}

void configure(orvistaFrame& frame)
{
    orvistaSession& session = frame.session();
    // The editor works on a copy: Cancel leaves the settings as they were.
    wxXmlDocument edited(session.settings());
    if (!runConfigurator(session.schema(), edited))
        return;
    session.replaceSettings(edited);
    frame.applyLiveUpdates();
    // Written at once; paths and the like take effect at the next start. The
    // edits stay in memory either way, and are written again at exit.
    frame.saveSettings("\n\nThe changes are kept and saved again when Orvista closes.");
}

void exitProgram(orvistaFrame& frame)
{
    frame.Close(); // not forced: the close handler decides
}

void zoomIn(orvistaFrame& frame)
{
    frame.panel()->zoomIn();
}

void zoomOut(orvistaFrame& frame)
{
    frame.panel()->zoomOut();
}

void zoomSelection(orvistaFrame& frame)
{
    const vTimelineDisplayState* state = frame.panel()->displayState();
    if (state->selectionBegin < state->selectionEnd)
        frame.panel()->zoomToSelection();
    else
        wxMessageBox("The selection has zero length!", "Error!", wxOK | wxICON_ERROR, &frame);
}

void findCalls(orvistaFrame& frame)
{
    // Again while open: back to the query, to type the next one.
    frame.finder()->setOpen(true);
    frame.finder()->queryField()->SetFocus();
    frame.finder()->queryField()->SelectAll();
}

void copyTo(orvistaFrame& frame)
{
    orvistaSession& session = frame.session();
    wxDirDialog dialog(&frame, "Select a directory to put selected files into", session.copyToFolder(),
                       wxDD_DEFAULT_STYLE, wxDefaultPosition, wxDefaultSize, "wxDirCtrl");
    dialog.SetName("wxDirCtrl"); // wxGTK gives every folder dialog a fixed name of its own
    if (dialog.ShowModal() != wxID_OK)
        return;
    const wxString folder = dialog.GetPath();
    if (!representable(folder)) {
        // Windows allows names no other program (nor this one) can spell.
        wxMessageBox("The folder cannot be used: its name holds half of a UTF-16 character pair.\n" + folder,
                     "Error", wxOK | wxICON_ERROR, &frame);
        return;
    }
    recordingList selected;
    if (frame.gatherSelectedRecordings(selected))
        copyRecordings(toNarrow(folder), nullptr, CopyRequest{&frame}, selected);
    // Offered again next time in this run; the settings file keeps its own value.
    session.setCopyToFolder(folder);
}

void openInCasebinder(orvistaFrame& frame)
{
    wxMessageBox("Casebinder can only work with a copy of recordings at the moment.", "Error", wxOK | wxICON_NONE,
                 &frame);
}

void openInTracewise(orvistaFrame& frame)
{
    recordingList selected;
    if (!frame.gatherSelectedRecordings(selected))
        return;
    std::vector<std::string> files;
    for (const recording* r : selected) {
        std::string file = r->fileName();
        if (!file.empty())
            files.push_back(std::move(file));
    }
    launchTracewise(files, false, &frame);
}

// Copies the selection into a new temporary folder for a sibling program.
// With `mustSelect`, an empty selection is refused with a message. False (and
// no folder left) when nothing is to be started.
bool copySelectionToTemporaryFolder(orvistaFrame& frame, bool mustSelect, std::string& folder,
                                    std::vector<std::string>& copies)
{
    recordingList selected;
    if (mustSelect && !frame.gatherSelectedRecordings(selected))
        return false;
    if (!mustSelect) {
        if (!frame.readSelection())
            return false;
        frame.panel()->selectedRecordings(selected);
    }
    folder = makeTemporaryCopyFolder();
    if (folder.empty()) {
        wxMessageBox("No folder for the copy can be made in the temporary folder.", "Error", wxOK | wxICON_ERROR,
                     &frame);
        return false;
    }
    if (copyRecordings(folder, &copies, CopyRequest{&frame}, selected))
        return true;
    // Nothing will use the copy: it does not stay behind.
    removeFolderTree(folder);
    return false;
}

void openCopyInCasebinder(orvistaFrame& frame)
{
    // An empty selection still starts Casebinder, on an empty folder.
    std::string folder;
    std::vector<std::string> copies;
    if (copySelectionToTemporaryFolder(frame, false, folder, copies))
        launchCasebinder(folder);
}

void openCopyInTracewise(orvistaFrame& frame)
{
    std::string folder;
    std::vector<std::string> copies;
    if (copySelectionToTemporaryFolder(frame, true, folder, copies))
        launchTracewise(copies, true, &frame);
}

void openCopyInLivecue(orvistaFrame& frame)
{
    const LivecueLocation livecue = locateLivecue();
    if (!livecue.found) {
        wxMessageBox("LCQ not found!", "Error", wxOK | wxICON_ERROR, &frame);
        return;
    }
    std::string folder;
    std::vector<std::string> copies;
    if (copySelectionToTemporaryFolder(frame, false, folder, copies))
        startLivecueOnCopy(folder, livecue, &frame);
}

void usersGuide(orvistaFrame& frame)
{
    const wxString guide = frame.session().files().guideFile();
    if (!wxFileExists(guide)) {
        wxMessageBox("The user guide has not been found. Reinstalling the application may solve this problem.",
                     "File not found", wxOK | wxICON_ERROR, nullptr);
        return;
    }
    // A viewer that fails to start is not reported further.
    openDocument(guide);
}

void about(orvistaFrame& frame)
{
    orvAboutDialog dialog(&frame);
    dialog.ShowModal();
}
}

const std::vector<command>& commandTable()
{
    // Every command can run whenever the window takes input: those that need a
    // selection or a sibling program say so in a message when they run.
    static const std::vector<command> commands = {
        {cmdRefresh, "File", "Refresh", "Re-read the recording database", resRefresh, refresh, always, "F5"},
        {0, "File", nullptr, nullptr, -1, nullptr, always},
        {cmdConfigure, "File", "Configure", "Adjust ORV settings", resConfigure, configure, always},
        {0, "File", nullptr, nullptr, -1, nullptr, always},
        {cmdExit, "File", "Exit", "Quit Orvista", -1, exitProgram, always, "Ctrl+Q"},
        {cmdZoomIn, "View", "Zoom in", "Increase time scale", resZoomIn, zoomIn, always, "Ctrl++"},
        {cmdZoomOut, "View", "Zoom out", "Decrease time scale", resZoomOut, zoomOut, always, "Ctrl+-"},
        {cmdZoomSelection, "View", "Zoom selection", "Set view to selection", resZoomSelection, zoomSelection,
         always, "Ctrl+E"},
        {0, "View", nullptr, nullptr, -1, nullptr, always},
        {cmdFind, "View", "Find calls...", "Find calls by number or label", resFind, findCalls, always, "Ctrl+F"},
        {cmdCopyTo, "Selection", "Copy To...", "Copy selected recordings to target directory", resCopyTo, copyTo,
         always, "Ctrl+Shift+C"},
        {cmdOpenInCasebinder, "Selection", "Open in Casebinder", "Open selected recordings in Casebinder",
         resCasebinder, openInCasebinder, always},
        {cmdOpenInTracewise, "Selection", "Open in Tracewise", "Open selected recordings in Tracewise",
         resTracewise, openInTracewise, always},
        {cmdOpenCopyInCasebinder, "Selection", "Open copy in Casebinder",
         "Open a copy of selected recordings in Casebinder", resCopyCasebinder, openCopyInCasebinder, always},
        {cmdOpenCopyInTracewise, "Selection", "Open copy in Tracewise",
         "Open a copy of selected recordings in Tracewise", resCopyTracewise, openCopyInTracewise, always},
        {cmdOpenCopyInLivecue, "Selection", "Open copy in Livecue", "Open a copy of selected recordings in Livecue",
         resCopyLivecue, openCopyInLivecue, always},
        {cmdUsersGuide, "Help", "User's guide", "Displays the program's user guide", -1, usersGuide, always,
         "F1"},
        {cmdAbout, "Help", "About...", "About Orvista", -1, about, always},
    };
    return commands;
}

const command* findCommand(int id)
{
    for (const command& entry : commandTable())
        if (entry.id != 0 && entry.id == id)
            return &entry;
    return nullptr;
}

void addCommand(wxMenu* menu, const wxString& help, wxFrame* frame, int id, const wxString& label,
                int pictureId, const wxString& keys)
{
    if (menu)
        menu->Append(id, keys.empty() ? label : label + "\t" + keys, help);
    if (pictureId == -1)
        return;
    wxToolBar* toolBar = frame->GetToolBar();
    if (!toolBar)
        return;
    wxImage image = loadResourceImage(pictureId);
    if (!image.IsOk())
        image = wxImage(16, 16, true); // a blank tool still works; a broken bitmap asserts
    wxBitmap picture(image);
    toolBar->AddTool(id, wxString(), picture, wxNullBitmap, wxITEM_NORMAL, label, help);
}

wxImage loadResourceImage(int resourceNumber)
{
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!findResource(resourceNumber, data, size))
        return wxImage();
    wxMemoryInputStream stream(data, size);
    return wxImage(stream, wxBITMAP_TYPE_ANY);
}
