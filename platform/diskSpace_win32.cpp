#include "platform/diskSpace.h"

#include <wx/filename.h>

#include <windows.h>

#include <wx/log.h>

bool measureVolume(const wxString& existingPath, volumeSpace& space, wxString& error)
{
    // Windows measures through a folder only (a file gives ERROR_DIRECTORY),
    // so a file is measured through the folder that holds it.
    wxString folder = existingPath;
    const DWORD attributes = GetFileAttributesA(existingPath.mb_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        folder = wxFileName(existingPath).GetPath(wxPATH_GET_VOLUME | wxPATH_GET_SEPARATOR);
        if (folder.empty())
            folder = ".";
    }
    ULARGE_INTEGER available, capacity, free;
    if (!GetDiskFreeSpaceExA(folder.mb_str(), &available, &capacity, &free)) {
        error = wxSysErrorMsgStr(GetLastError()); // the system's own wording
        return false;
    }
    space.available = available.QuadPart;
    space.capacity = capacity.QuadPart;
    return true;
}
