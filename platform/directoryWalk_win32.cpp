#include "directoryWalk.h"

#include <utility>
#include <vector>

#include <wx/log.h>

#include "platform/win32Text.h"

// The listing carries each entry's attributes, so the walk needs one listing
// per folder and no call per entry. The walk keeps paths wide, as the system
// lists them, and hands each file on as narrow text.
namespace {
#ifndef IO_REPARSE_TAG_AF_UNIX
#define IO_REPARSE_TAG_AF_UNIX 0x80000023L
#endif
#ifndef IsReparseTagNameSurrogate
#define IsReparseTagNameSurrogate(tag) (((tag) & 0x20000000) != 0)
#endif

// What a path leads to, links followed: the volume and the file's number on it.
struct identity {
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const identity& other) const
    {
        return volume == other.volume && high == other.high && low == other.low;
    }
};

// Opens what the path leads to (a link's target, not the link); false when
// nothing is there. `isFolder` tells which kind it is.
bool identityOf(const std::wstring& path, identity& id, bool& isFolder)
{
    HANDLE handle = CreateFileW(systemPath(wxString(path)).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known)
        return false;
    id.volume = info.dwVolumeSerialNumber;
    id.high = info.nFileIndexHigh;
    id.low = info.nFileIndexLow;
    isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

// The folders being walked, from the root down. A loop needs a link (a
// symbolic link or a junction, listed as a reparse point), so identities are
// looked up only when one is met: a tree without links costs no call per folder.
struct openFolder {
    explicit openFolder(std::wstring path_) : path(std::move(path_)) {}
    std::wstring path;
    bool looked = false, known = false;
    identity id;
};

bool isOpen(std::vector<openFolder>& open, const identity& id)
{
    for (openFolder& folder : open) {
        if (!folder.looked) {
            bool isFolder = true;
            folder.known = identityOf(folder.path, folder.id, isFolder);
            folder.looked = true;
        }
        if (folder.known && folder.id == id)
            return true;
    }
    return false;
}

// A file whose contents can be read: not a device and not a socket (which is
// listed as a reparse point of its own kind). A link to a file counts if it
// leads to one, a dangling link does not. Files that are reparse points for
// other reasons (cloud placeholders, deduplication) keep their data and count.
bool isRegularFile(const WIN32_FIND_DATAW& entry, const std::wstring& path)
{
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        return false;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    if (entry.dwReserved0 == IO_REPARSE_TAG_AF_UNIX)
        return false;
    if (!IsReparseTagNameSurrogate(entry.dwReserved0))
        return true;
    identity id;
    bool isFolder = false;
    return identityOf(path, id, isFolder) && !isFolder;
}

void walk(std::vector<openFolder>& open, const std::function<void(const std::string&)>& onFile)
{
    std::wstring prefix = open.back().path;
    if (prefix.empty() || (prefix.back() != L'\\' && prefix.back() != L'/'))
        prefix += L'\\';
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileExW(systemPath(wxString(prefix + L"*")).c_str(), FindExInfoBasic, &entry,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::pair<std::wstring, bool>> folders; // path, reached through a link
    std::vector<std::wstring> files;
    do {
        const wchar_t* name = entry.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)))
            continue;
        std::wstring path = prefix + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.emplace_back(std::move(path), (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
        else if (isRegularFile(entry, path))
            files.push_back(std::move(path));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    for (const auto& folder : folders) {
        openFolder next(folder.first);
        if (folder.second) {
            bool isFolder = false;
            if (!identityOf(folder.first, next.id, isFolder) || !isFolder || isOpen(open, next.id))
                continue; // dangling, or back into a folder being walked
            next.looked = next.known = true;
        }
        open.push_back(std::move(next));
        walk(open, onFile);
        open.pop_back();
    }
    for (const std::wstring& path : files) {
        std::string narrow;
        if (narrowOf(path.c_str(), narrow))
            onFile(narrow);
        else
            wxLogWarning("\"%s\" is left out: its name holds half of a UTF-16 character pair, which no program "
                         "can name reliably.",
                         wxString(path));
    }
}
}

void walkDirectory(const std::string& root, const std::function<void(const std::string& path)>& onFile)
{
    DWORD attributes = GetFileAttributesW(systemPath(root).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    std::vector<openFolder> open{openFolder(std::wstring(fromNarrow(root).wc_str()))};
    walk(open, onFile);
}
