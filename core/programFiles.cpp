#include "core/programFiles.h"

#include <wx/filename.h>

#include "platform/standardPaths.h"

programFiles::programFiles(const wxString& programFolder, const wxString& settingsFolder,
                           const wxString& cacheFolder)
    : program(programFolder), settings(settingsFolder), cache(cacheFolder)
{
}

programFiles programFiles::ofExecutable(const wxString& executablePath)
{
    wxFileName executable(executablePath);
    executable.MakeAbsolute();
    return programFiles(executable.GetPath(wxPATH_GET_VOLUME), userSettingsFolder(executable.GetName()),
                        userCacheFolder());
}

wxString programFiles::settingsFile() const
{
    return wxFileName(settings, "orv.xml").GetFullPath();
}

wxString programFiles::schemaFile() const
{
    return wxFileName(program, "orv-config-schema.xml").GetFullPath();
}

wxString programFiles::guideFile() const
{
    return wxFileName(program, "guide.pdf").GetFullPath();
}

wxString programFiles::userSettingsFolder(const wxString& programName)
{
    return wxFileName(roamingDataDirectory(), programName).GetFullPath();
}

wxString programFiles::userCacheFolder()
{
    return cacheDirectory();
}
