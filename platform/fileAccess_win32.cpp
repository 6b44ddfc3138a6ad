#include "platform/fileAccess.h"

#include "platform/win32Text.h"

bool canWriteFile(const wxString& path)
{
    if (path.empty())
        return false;
    // The attribute is asked for first: it says "not writable" even where the
    // open would succeed anyway (Wine run by root).
    const DWORD attributes = GetFileAttributesW(systemPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    // Opening an existing file for writing changes neither its content nor its
    // times; it fails for a read-only file, for one the access list keeps this
    // user from writing (a standard user's view of Program Files, which no
    // VirtualStore redirects for a 64-bit program) and for a folder.
    const HANDLE file = CreateFileW(systemPath(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}
