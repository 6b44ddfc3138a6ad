#include "standardPaths.h"

#include <wx/filename.h>

#include <windows.h>
#include <shlobj.h>

namespace {
wxString shellFolder(int csidl)
{
    wchar_t buffer[MAX_PATH];
    if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK)
        return wxString();
    return wxString(buffer);
}
}

wxString roamingDataDirectory()
{
    return shellFolder(CSIDL_APPDATA);
}

wxString localDataDirectory()
{
    return shellFolder(CSIDL_LOCAL_APPDATA);
}

wxString documentsDirectory()
{
    return shellFolder(CSIDL_PERSONAL);
}

wxString temporaryDirectory()
{
    return wxFileName::GetTempDir();
}

wxString cacheDirectory()
{
    const wxString local = shellFolder(CSIDL_LOCAL_APPDATA);
    if (local.empty())
        return wxString();
    return wxFileName(local, "Orvista").GetFullPath();
}
