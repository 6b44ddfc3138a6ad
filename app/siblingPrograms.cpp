#include "app/siblingPrograms.h"

#include <cstring>

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include "export/tempCopy.h"
#include "platform/fileReplace.h"
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
}

void launchCasebinder(const std::string& folder)
{
    const std::string program = installedProgram(registryRoot::localMachine, "Software\\Vellmark, Inc.\\Casebinder",
                                                 "InstallDir", "Casebinder.exe");
    startProgram({program, folder}, nullptr);
}

void launchTracewise(const std::vector<std::string>& files, bool copies)
{
    wxFFile list;
    const wxString listFile = wxFileName::CreateTempFileName(
        wxFileName(temporaryDirectory(), "orvista-list-").GetFullPath(), &list);
    if (!listFile.empty()) {
        for (const std::string& file : files) {
            list.Write(file.data(), file.size());
            list.Write("\r\n", 2);
        }
        list.Close();
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
    const wxFileName installDir = wxFileName::DirName(fromNarrow(install));
    const wxFileName executable(installDir.GetPath(), "livecue.exe");
    if (!executable.FileExists())
        return location;
    location.executable = toNarrow(executable.GetFullPath());

    wxFileName options(installDir.GetPath(), "player.opt");
    if (!options.FileExists()) {
        // Windows keeps a per-user copy of files a program may not write in its
        // install folder: <local application data>\VirtualStore\<install path
        // without the drive>.
        wxFileName store = wxFileName::DirName(localDataDirectory());
        store.AppendDir("VirtualStore");
        for (const wxString& dir : installDir.GetDirs())
            store.AppendDir(dir);
        options = wxFileName(store.GetPath(), "player.opt");
        if (!options.FileExists())
            return location;
    }
    location.optionsFile = toNarrow(options.GetFullPath());
    location.found = true;
    return location;
}

bool startLivecueOnCopy(const std::string& folder, const LivecueLocation& location, wxWindow* parent)
{
    auto fail = [&](const wxString& text) {
        removeFolderTree(folder);
        wxMessageBox(text, "Error", wxOK | wxICON_ERROR, parent);
        return false;
    };
    // The folder and its zero byte must end before the second place, or that
    // write would cut the path.
    if (folderOffset + folder.size() + 1 > clearedOffset)
        return fail(wxString::Format("The copy folder's path is too long for Livecue (at most %zu characters):\n%s",
                                     clearedOffset - folderOffset - 1, fromNarrow(folder)));
    // The content from before the first Livecue still running; a second one
    // must not save the file while it points at the first one's copy.
    std::shared_ptr<savedOptionsFile> saved = savedOptionsFile::hold(location.optionsFile);
    if (!saved)
        return fail("Livecue's options file cannot be read:\n" + fromNarrow(location.optionsFile));

    // The two places are written into the file as it is now; everything else
    // stays as Livecue left it.
    std::vector<char> patched;
    if (!readFileBytes(fromNarrow(location.optionsFile), patched))
        return fail("Livecue's options file cannot be read:\n" + fromNarrow(location.optionsFile));
    if (patched.size() < clearedOffset + 1)
        patched.resize(clearedOffset + 1, 0);
    std::memcpy(patched.data() + folderOffset, folder.c_str(), folder.size() + 1);
    patched[clearedOffset] = 0;
    wxString error;
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
