#include "platform/fileStamp.h"

// GetFileInformationByHandleEx came with Vista.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#endif
#include <windows.h>

#include "platform/win32Text.h"

namespace {
// Every sharing mode is allowed so that the logger can go on writing, renaming
// or deleting the file while it is looked at.
HANDLE openShared(const std::string& path, DWORD access, DWORD flags)
{
    return CreateFileW(systemPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

std::string windowsMessage(DWORD code)
{
    return toNarrow(systemMessage(code));
}

std::uint64_t combine(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The stamp of an open handle; false for anything but a file on a disk (a
// directory, a pipe, a console, a device).
bool stampOf(HANDLE file, fileStamp& stamp)
{
    if (GetFileType(file) != FILE_TYPE_DISK)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    // The change time is not in the older call; restoring the last write time
    // (as copying tools do) leaves it moved on.
    FILE_BASIC_INFO basic;
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        return false;
    stamp.size = combine(info.nFileSizeHigh, info.nFileSizeLow);
    // Times in 100-nanosecond steps since 1601.
    stamp.modified = static_cast<std::int64_t>(combine(info.ftLastWriteTime.dwHighDateTime,
                                                       info.ftLastWriteTime.dwLowDateTime));
    stamp.changed = static_cast<std::int64_t>(basic.ChangeTime.QuadPart);
    stamp.volume = info.dwVolumeSerialNumber;
    stamp.identity = combine(info.nFileIndexHigh, info.nFileIndexLow);
    return true;
}
}

bool fileStampOf(const std::string& path, fileStamp& stamp)
{
    // Reading attributes only: no data access is asked for, so even a file
    // another program holds open exclusively for writing can be stamped.
    HANDLE file = openShared(path, FILE_READ_ATTRIBUTES, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    fileStamp found;
    const bool regular = stampOf(file, found);
    CloseHandle(file);
    if (regular)
        stamp = found;
    return regular;
}

bool readFileStamped(const std::string& path, std::vector<char>& bytes, fileStamp& stamp, std::string& error)
{
    HANDLE file = openShared(path, GENERIC_READ, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    if (file == INVALID_HANDLE_VALUE) {
        error = windowsMessage(GetLastError());
        return false;
    }
    fileStamp found;
    if (!stampOf(file, found)) {
        error = "not a regular file";
        CloseHandle(file);
        return false;
    }
    stamp = found;
    bytes.clear();
    // The size is a hint: a file that grows while it is read is read to its end.
    bytes.resize(static_cast<size_t>(found.size) + 1);
    size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() * 2);
        // ReadFile takes a DWORD count; big files are read in pieces.
        const size_t room = bytes.size() - used;
        const DWORD want = room > 0x40000000u ? 0x40000000u : static_cast<DWORD>(room);
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + used, want, &got, nullptr)) {
            error = windowsMessage(GetLastError());
            CloseHandle(file);
            return false;
        }
        if (got == 0)
            break;
        used += got;
    }
    CloseHandle(file);
    bytes.resize(used);
    return true;
}
