#include "app/siblingPrograms.h"

#include <cstring>

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include "export/tempCopy.h"
#include "platform/fileAccess.h"
#include "platform/fileReplace.h"
#include "platform/machineText.h"
#include "platform/narrow.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/standardPaths.h"

namespace {
// The two places Livecue's options file is written at: the folder to play,
// ended by a zero byte, and one byte cleared.
const std::size_t folderOffset = 265;
const std::size_t clearedOffset = 786;

// The program in the folder the registry names; the bare name when the registry
// names none (the start then looks for it as the system does).
std::string installedProgram(registryRoot root, const char* key, const char* value, const char* executable)
{
    std::string folder;
    readRegistryString(root, key, value, folder);
    return toNarrow(wxFileName(fromNarrow(folder), executable).GetFullPath());
}

// Paths for a message, one a line; past a screenful the rest are only counted.
wxString pathLines(const std::vector<std::string>& paths)
{
    const std::size_t shown = 10;
    wxString lines;
    for (std::size_t i = 0; i < paths.size() && i < shown; ++i)
        lines += (i ? "\n" : "") + fromNarrow(paths[i]);
    if (paths.size() > shown)
        lines += wxString::Format("\n(and %zu more)", paths.size() - shown);
    return lines;
}

// The folder's path as Livecue reads it from its options file; false, with the
// user's message, when it cannot be written there.
bool livecueFolderBytes(const std::string& folder, std::string& bytes, wxString& error)
{
    if (!machineTextFromNarrow(folder, bytes)) {
        error = "The copy folder's path holds characters that Windows' code page for older programs lacks, so "
                "Livecue cannot be pointed at it:\n" +
                fromNarrow(folder);
        return false;
    }
    // The folder and its zero byte must end before the second place, or that
    // write would cut the path. Livecue counts bytes, which a code page with
    // two-byte characters makes more than the characters.
    if (folderOffset + bytes.size() + 1 > clearedOffset) {
        error = wxString::Format("The copy folder's path is too long for Livecue (at most %zu characters):\n%s",
                                 clearedOffset - folderOffset - 1, fromNarrow(folder));
        return false;
    }
    return true;
}

// The two places are written into the file as it is; everything else stays as
// Livecue left it.
void patchLivecueOptions(std::vector<char>& options, const std::string& folderBytes)
{
    if (options.size() < clearedOffset + 1)
        options.resize(clearedOffset + 1, 0);
    std::memcpy(options.data() + folderOffset, folderBytes.c_str(), folderBytes.size() + 1);
    options[clearedOffset] = 0;
}
}

void launchCasebinder(const std::string& folder)
{
    const std::string program = installedProgram(registryRoot::localMachine, "Software\\Vellmark, Inc.\\Casebinder",
                                                 "InstallDir", "Casebinder.exe");
    startProgram({program, folder}, nullptr);
}

void launchTracewise(const std::vector<std::string>& files, bool copies, wxWindow* parent)
{
    std::vector<std::string> leftOut;
    wxFile list;
    const wxString listFile =
        createTemporaryFile(wxFileName(temporaryDirectory(), "orvista-list-").GetFullPath(), list);
    if (!listFile.empty()) {
        std::string bytes;
        for (const std::string& file : files) {
            if (!machineTextFromNarrow(file, bytes)) {
                leftOut.push_back(file);
                continue;
            }
            list.Write(bytes.data(), bytes.size());
            list.Write("\r\n", 2);
        }
        list.Close();
    }
    if (!leftOut.empty()) {
        // Tracewise never hears of these copies, so it cannot delete them.
        if (copies)
            for (const std::string& file : leftOut)
                wxRemoveFile(fromNarrow(file));
        wxMessageBox("These recordings cannot be handed to Tracewise: their paths hold characters that Windows' "
                     "code page for older programs lacks:\n" +
                         pathLines(leftOut),
                     "Error", wxOK | wxICON_ERROR, parent);
    }
    const std::string program = installedProgram(registryRoot::currentUser, "Software\\Vellmark, Inc.\\Tracewise",
                                                 "InstallPath", "Tracewise.exe");
    startProgram({program, copies ? "/filelist" : "/filelist_nodelete", toNarrow(listFile)}, nullptr);
}

LivecueLocation locateLivecue()
{
    LivecueLocation location;
    std::string install;
    if (!readRegistryString(registryRoot::localMachine,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Livecue_is1", "InstallLocation",
                            install))
        return location;
    const wxFileName executable(wxFileName::DirName(fromNarrow(install)).GetPath(), "livecue.exe");
    if (!executable.FileExists())
        return location;
    location.executable = toNarrow(executable.GetFullPath());
    location.optionsFile = livecueOptionsFile(install, localDataDirectory());
    location.found = !location.optionsFile.empty();
    return location;
}

std::string livecueOptionsFile(const std::string& installFolder, const wxString& localData)
{
    const wxFileName installDir = wxFileName::DirName(fromNarrow(installFolder));
    const wxFileName installed(installDir.GetPath(), "player.opt");
    if (canWriteFile(installed.GetFullPath()))
        return toNarrow(installed.GetFullPath());
    wxFileName store = wxFileName::DirName(localData);
    store.AppendDir("VirtualStore");
    for (const wxString& dir : installDir.GetDirs())
        store.AppendDir(dir);
    const wxFileName stored(store.GetPath(), "player.opt");
    if (stored.FileExists())
        return toNarrow(stored.GetFullPath());
    return installed.FileExists() ? toNarrow(installed.GetFullPath()) : std::string();
}

bool pointLivecueOptionsAt(std::vector<char>& options, const std::string& folder, wxString& error)
{
    std::string bytes;
    if (!livecueFolderBytes(folder, bytes, error))
        return false;
    patchLivecueOptions(options, bytes);
    return true;
}

bool startLivecueOnCopy(const std::string& folder, const LivecueLocation& location, wxWindow* parent)
{
    auto fail = [&](const wxString& text) {
        removeFolderTree(folder);
        wxMessageBox(text, "Error", wxOK | wxICON_ERROR, parent);
        return false;
    };
    // All that can be known before the file is touched comes first: a hold on
    // its content writes that back when let go.
    std::string folderBytes;
    wxString error;
    if (!livecueFolderBytes(folder, folderBytes, error))
        return fail(error);
    // Replacing the file would get past its read-only mark on some systems,
    // and a Livecue that cannot write it would not keep what it was given.
    if (!canWriteFile(fromNarrow(location.optionsFile)))
        return fail("Livecue's options file cannot be written:\n" + fromNarrow(location.optionsFile));
    // The content from before the first Livecue still running; a second one
    // must not save the file while it points at the first one's copy.
    std::shared_ptr<savedOptionsFile> saved = savedOptionsFile::hold(location.optionsFile);
    if (!saved)
        return fail("Livecue's options file cannot be read:\n" + fromNarrow(location.optionsFile));

    std::vector<char> patched;
    if (!readFileBytes(fromNarrow(location.optionsFile), patched))
        return fail("Livecue's options file cannot be read:\n" + fromNarrow(location.optionsFile));
    patchLivecueOptions(patched, folderBytes);
    if (!writeFileReplacing(fromNarrow(location.optionsFile), patched.data(), patched.size(), error))
        return fail("Livecue's options file cannot be written:\n" + fromNarrow(location.optionsFile) + "\n" + error);

    auto* cleanup = new directoryCleanup(folder, saved);
    saved.reset(); // the clean-up holds it now
    if (startProgram({location.executable}, cleanup) != 0)
        return true;
    // It never started, so it never ends: clean up now.
    cleanup->OnTerminate(0, -1);
    wxMessageBox("Livecue could not be started:\n" + fromNarrow(location.executable), "Error", wxOK | wxICON_ERROR,
                 parent);
    return false;
}
