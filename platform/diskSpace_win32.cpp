#include "platform/diskSpace.h"

#include <wx/filename.h>

#include "platform/win32Text.h"

bool measureVolume(const wxString& existingPath, volumeSpace& space, wxString& error)
{
    // Windows measures through a folder only (a file gives ERROR_DIRECTORY),
    // so a file is measured through the folder that holds it.
    wxString folder = existingPath;
    const DWORD attributes = GetFileAttributesW(systemPath(existingPath).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        folder = wxFileName(existingPath).GetPath(wxPATH_GET_VOLUME | wxPATH_GET_SEPARATOR);
        if (folder.empty())
            folder = ".";
    }
    // The extended form names a folder only with its final separator.
    std::wstring path = systemPath(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/')
        path += L'\\';
    ULARGE_INTEGER available, capacity, free;
    if (!GetDiskFreeSpaceExW(path.c_str(), &available, &capacity, &free)) {
        error = systemMessage(GetLastError()); // the system's own wording
        return false;
    }
    space.available = available.QuadPart;
    space.capacity = capacity.QuadPart;
    return true;
}
