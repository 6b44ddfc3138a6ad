#include "windowsDirectory.h"

#include "platform/win32Text.h"

std::string windowsDirectory()
{
    wchar_t buffer[MAX_PATH];
    UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    buffer[length] = 0;
    std::string narrow;
    narrowOf(buffer, narrow);
    return narrow;
}
