#include "export/tempCopy.h"

#include <cstdio>

#include <wx/dir.h>
#include <wx/filename.h>

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

directoryCleanup::directoryCleanup(const std::string& folder_, const std::string& optionsFile_,
                                   std::vector<char> savedContent_)
    : folder(folder_), optionsFile(optionsFile_), savedContent(std::move(savedContent_))
{
}

void directoryCleanup::OnTerminate(int, int)
{
    removeFolderTree(folder);
    wxString error;
    if (!writeFileReplacing(fromNarrow(optionsFile), savedContent.data(), savedContent.size(), error))
        std::fprintf(stderr, "orvista: could not restore %s: %s\n", optionsFile.c_str(),
                     static_cast<const char*>(error.utf8_str()));
    // Nobody else holds this handler once its program has ended.
    delete this;
}
