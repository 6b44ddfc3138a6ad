#include "platform/fileReplace.h"

#include <windows.h>

#include <wx/log.h>

bool replaceFile(const wxString& newFile, const wxString& target, wxString& error)
{
    // MoveFileEx replaces in one step; write-through returns only once the
    // move has reached the disk.
    if (MoveFileExA(newFile.mb_str(), target.mb_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = wxSysErrorMsgStr(GetLastError()); // the system's own wording
    return false;
}
