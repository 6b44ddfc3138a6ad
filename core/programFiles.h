#pragma once
// The program's own files and folders, named in this one place for the
// program and orvista-cli alike: the settings file in the user's settings
// folder, the schema and the guide next to the executable, the catalog index
// in the user's cache folder.
#include <wx/string.h>

class programFiles {
public:
    // The folders as given: tests and the tools choose their own. Without a
    // cache folder catalogs are read afresh on every start.
    programFiles(const wxString& programFolder, const wxString& settingsFolder,
                 const wxString& cacheFolder = wxString());
    // The installed program's: its executable's folder, and the user's
    // settings folder named after the program ("orvista", whatever the
    // executable's extension).
    static programFiles ofExecutable(const wxString& executablePath);

    const wxString& programFolder() const { return program; }
    const wxString& settingsFolder() const { return settings; }
    const wxString& cacheFolder() const { return cache; }
    wxString settingsFile() const; // "orv.xml"
    wxString schemaFile() const;   // "orv-config-schema.xml"
    wxString guideFile() const;    // "guide.pdf"

    // The settings folder of a program of that name in the user's roaming data.
    static wxString userSettingsFolder(const wxString& programName = "orvista");
    // The user's cache folder for the program; empty where the system has none.
    static wxString userCacheFolder();

private:
    wxString program;
    wxString settings;
    wxString cache;
};
