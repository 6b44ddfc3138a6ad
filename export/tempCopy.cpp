#include "export/tempCopy.h"

#include <cstdio>
#include <map>

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "platform/fileCopy.h"
#include "platform/fileReplace.h"
#include "platform/narrow.h"
#include "platform/standardPaths.h"

std::string makeTemporaryCopyFolder()
{
    wxFileName prefix(temporaryDirectory(), "orvista-");
    return toNarrow(makeUniqueFolder(prefix.GetFullPath()));
}

void removeFolderTree(const std::string& folder)
{
    wxLogNull quiet; // what cannot be deleted is simply left
    const wxString path = fromNarrow(folder);
    std::vector<wxString> entries;
    {
        wxDir dir;
        if (!dir.Open(path))
            return;
        wxString name;
        for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN); more;
             more = dir.GetNext(&name))
            entries.push_back(name);
    }
    for (const wxString& name : entries) {
        const wxString entry = wxFileName(path, name).GetFullPath();
        // A link is removed as a file: what it points to is not ours.
        if (wxFileName::Exists(entry, wxFILE_EXISTS_DIR | wxFILE_EXISTS_NO_FOLLOW))
            removeFolderTree(toNarrow(entry));
        else
            wxRemoveFile(entry);
    }
    wxRmdir(path);
}

namespace {
// Options files with programs still running on a copy through them.
std::map<std::string, std::weak_ptr<savedOptionsFile>>& heldFiles()
{
    static std::map<std::string, std::weak_ptr<savedOptionsFile>> files;
    return files;
}
}

std::shared_ptr<savedOptionsFile> savedOptionsFile::hold(const std::string& path)
{
    if (auto held = heldFiles()[path].lock())
        return held;
    std::vector<char> content;
    if (!readFileBytes(fromNarrow(path), content))
        return nullptr;
    std::shared_ptr<savedOptionsFile> held(new savedOptionsFile(path, std::move(content)));
    heldFiles()[path] = held;
    return held;
}

savedOptionsFile::savedOptionsFile(const std::string& path_, std::vector<char> content_)
    : path(path_), original(std::move(content_))
{
}

savedOptionsFile::~savedOptionsFile()
{
    heldFiles().erase(path);
    wxString error;
    if (!writeFileReplacing(fromNarrow(path), original.data(), original.size(), error))
        std::fprintf(stderr, "orvista: could not restore %s: %s\n", path.c_str(),
                     static_cast<const char*>(error.utf8_str()));
}

directoryCleanup::directoryCleanup(const std::string& folder_, std::shared_ptr<savedOptionsFile> options_)
    : folder(folder_), options(std::move(options_))
{
}

void directoryCleanup::OnTerminate(int, int)
{
    removeFolderTree(folder);
    options.reset();
    // Nobody else holds this handler once its program has ended.
    delete this;
}
