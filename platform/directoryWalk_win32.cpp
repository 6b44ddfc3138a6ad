#include "directoryWalk.h"

// GetFileInformationByHandleEx came with Vista.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#endif

#include <utility>
#include <vector>

#include <wx/log.h>

#include "platform/folderListing.h"
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
bool isRegularFile(const WIN32_FIND_DATAW& entry, const std::wstring& path, walkCounts& counts)
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
    ++counts.lookups;
    return identityOf(path, id, isFolder) && !isFolder;
}

// Opens the listing of `folder` at its first entry; `prefix` becomes the
// folder with a trailing separator, to put before the entries' names.
HANDLE startListing(const std::wstring& folder, std::wstring& prefix, WIN32_FIND_DATAW& entry)
{
    prefix = folder;
    if (prefix.empty() || (prefix.back() != L'\\' && prefix.back() != L'/'))
        prefix += L'\\';
    return FindFirstFileExW(systemPath(wxString(prefix + L"*")).c_str(), FindExInfoBasic, &entry,
                            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
}

void walk(std::vector<openFolder>& open, const std::function<void(const std::string&)>& onFile, walkCounts& counts)
{
    std::wstring prefix;
    WIN32_FIND_DATAW entry;
    HANDLE find = startListing(open.back().path, prefix, entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    ++counts.listings;
    std::vector<std::pair<std::wstring, bool>> folders; // path, reached through a link
    std::vector<std::wstring> files;
    do {
        const wchar_t* name = entry.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)))
            continue;
        std::wstring path = prefix + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.emplace_back(std::move(path), (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
        else if (isRegularFile(entry, path, counts))
            files.push_back(std::move(path));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    for (const auto& folder : folders) {
        openFolder next(folder.first);
        if (folder.second) {
            bool isFolder = false;
            ++counts.lookups;
            if (!identityOf(folder.first, next.id, isFolder) || !isFolder || isOpen(open, next.id))
                continue; // dangling, or back into a folder being walked
            next.looked = next.known = true;
        }
        open.push_back(std::move(next));
        walk(open, onFile, counts);
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

void walkDirectory(const std::string& root, const std::function<void(const std::string& path)>& onFile,
                   walkCounts* counts)
{
    walkCounts ignored;
    walkCounts& counted = counts ? *counts : ignored;
    ++counted.lookups;
    DWORD attributes = GetFileAttributesW(systemPath(root).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    std::vector<openFolder> open{openFolder(std::wstring(fromNarrow(root).wc_str()))};
    walk(open, onFile, counted);
}

// --- What the remembering walk asks ------------------------------------------
//
// A folder is looked at through a handle of its own rather than through its
// parent's listing: the times a listing shows are copies kept in the parent,
// which the file system may bring up to date only later.

namespace {
std::uint64_t combine(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}
}

pathKind lookAtPath(const std::string& path, folderStamp& stamp)
{
    HANDLE handle = CreateFileW(systemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return pathKind::nothing;
    BY_HANDLE_FILE_INFORMATION info;
    FILE_BASIC_INFO basic;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    const bool hasBasic = known && GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) != 0;
    CloseHandle(handle);
    if (!known)
        return pathKind::nothing;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return pathKind::file;
    // 100-nanosecond steps since 1601, as seconds since 1970.
    const std::int64_t stepsFrom1601To1970 = 116444736000000000;
    const std::int64_t steps = static_cast<std::int64_t>(
                                   combine(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)) -
                               stepsFrom1601To1970;
    std::int64_t seconds = steps / 10000000, rest = steps % 10000000;
    if (rest < 0) {
        --seconds;
        rest += 10000000;
    }
    stamp.modifiedSeconds = seconds;
    stamp.modifiedNanoseconds = rest * 100;
    // Setting the write time back moves the change time on; a server that
    // does not tell it leaves the write time alone to tell a change.
    stamp.changed = hasBasic ? static_cast<std::int64_t>(basic.ChangeTime.QuadPart) : 0;
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.identity = combine(info.nFileIndexHigh, info.nFileIndexLow);
    return pathKind::folder;
}

bool listFolder(const std::string& folder, std::vector<listedEntry>& entries, bool& keepable)
{
    keepable = true;
    std::wstring prefix;
    WIN32_FIND_DATAW entry;
    HANDLE find = startListing(std::wstring(fromNarrow(folder).wc_str()), prefix, entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    entries.clear();
    do {
        const wchar_t* name = entry.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)))
            continue;
        const DWORD attributes = entry.dwFileAttributes;
        listedEntry listed;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            listed.kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? entryKind::folderLink : entryKind::folder;
        else if (attributes & FILE_ATTRIBUTE_DEVICE)
            continue;
        else if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            listed.kind = entryKind::file;
        else if (entry.dwReserved0 == IO_REPARSE_TAG_AF_UNIX)
            continue;
        else
            listed.kind = IsReparseTagNameSurrogate(entry.dwReserved0) ? entryKind::fileLink : entryKind::file;
        if (!narrowOf(name, listed.name)) {
            keepable = false;
            wxLogWarning("\"%s\" is left out: its name holds half of a UTF-16 character pair, which no program "
                         "can name reliably.",
                         wxString(prefix + name));
            continue;
        }
        entries.push_back(std::move(listed));
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return true;
}

bool checksEveryFolderForLoops()
{
    return false;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    std::string path = folder;
    if (path.empty() || (path.back() != '\\' && path.back() != '/'))
        path += '\\';
    return path + name;
}
