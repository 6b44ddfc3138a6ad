#include "platform/fileReplace.h"

#include "platform/win32Text.h"

bool replaceFile(const wxString& newFile, const wxString& target, wxString& error)
{
    // MoveFileEx replaces in one step; write-through returns only once the
    // move has reached the disk.
    if (MoveFileExW(systemPath(newFile).c_str(), systemPath(target).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = systemMessage(GetLastError()); // the system's own wording
    return false;
}

wxString linkedFile(const wxString& path)
{
    return path;
}
