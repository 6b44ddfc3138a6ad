#include "directoryWalk.h"

#include <utility>
#include <vector>

#include <windows.h>

// The listing carries each entry's attributes, so the walk needs one listing
// per folder and no call per entry. Paths are narrow strings (the ANSI code
// page), which the ANSI functions take as they are.
namespace {
#ifndef IO_REPARSE_TAG_AF_UNIX
#define IO_REPARSE_TAG_AF_UNIX 0x80000023L
#endif

// A file whose contents can be read: not a device and not a socket (which is
// listed as a reparse point of its own kind). Links to files, and files that
// are reparse points for other reasons (cloud placeholders, deduplication),
// keep their data and count.
bool isRegularFile(const WIN32_FIND_DATAA& entry)
{
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        return false;
    return !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || entry.dwReserved0 != IO_REPARSE_TAG_AF_UNIX;
}

void walk(const std::string& folder, const std::function<void(const std::string&)>& onFile)
{
    std::string prefix = folder;
    if (prefix.empty() || (prefix.back() != '\\' && prefix.back() != '/'))
        prefix += '\\';
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileExA((prefix + "*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::string> folders;
    std::vector<std::string> files;
    do {
        const char* name = entry.cFileName;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            folders.push_back(prefix + name);
        else if (isRegularFile(entry))
            files.push_back(prefix + name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    for (const std::string& path : folders)
        walk(path, onFile);
    for (const std::string& path : files)
        onFile(path);
}
}

void walkDirectory(const std::string& root, const std::function<void(const std::string& path)>& onFile)
{
    DWORD attributes = GetFileAttributesA(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    walk(root, onFile);
}
