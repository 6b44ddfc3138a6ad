#include "platform/diskSpace.h"

#include <windows.h>

bool measureVolume(const wxString& existingPath, volumeSpace& space, wxString& error)
{
    ULARGE_INTEGER available, capacity, free;
    if (!GetDiskFreeSpaceExA(existingPath.mb_str(), &available, &capacity, &free)) {
        error = wxString::Format("Windows error %lu", GetLastError());
        return false;
    }
    space.available = available.QuadPart;
    space.capacity = capacity.QuadPart;
    return true;
}
