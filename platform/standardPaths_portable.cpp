#include "standardPaths.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

namespace {
// The XDG base directory rule: the variable when it holds an absolute path,
// else the given folder below the home directory.
wxString xdgDirectory(const char* variable, const wxString& fallback)
{
    wxString value;
    if (wxGetEnv(variable, &value) && wxIsAbsolutePath(value))
        return value;
    wxFileName dir = wxFileName::DirName(wxGetHomeDir());
    dir.AppendDir(fallback.BeforeFirst('/'));
    if (fallback.Contains("/"))
        dir.AppendDir(fallback.AfterFirst('/'));
    return dir.GetPath();
}
}

wxString roamingDataDirectory()
{
    return xdgDirectory("XDG_CONFIG_HOME", ".config");
}

wxString localDataDirectory()
{
    return xdgDirectory("XDG_DATA_HOME", ".local/share");
}

wxString documentsDirectory()
{
    return wxStandardPaths::Get().GetDocumentsDir();
}

wxString temporaryDirectory()
{
    return wxFileName::GetTempDir();
}

wxString cacheDirectory()
{
    // Unlike the folders above, no guess: without a usable home there is no
    // cache, rather than one below the root or the working folder.
    wxString base;
    if (!wxGetEnv("XDG_CACHE_HOME", &base) || !wxIsAbsolutePath(base)) {
        base = wxGetUserHome();
        if (base.empty() || !wxIsAbsolutePath(base))
            return wxString();
        base = wxFileName(base, ".cache").GetFullPath();
    }
    return wxFileName(base, "orvista").GetFullPath();
}
