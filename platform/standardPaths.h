#pragma once
// The per-user folders the program works with. On Windows the shell's known
// folders; elsewhere wxStandardPaths with the XDG layout.
#include <wx/string.h>

wxString roamingDataDirectory();  // settings that follow the user (XDG_CONFIG_HOME)
wxString localDataDirectory();    // data that stays on this machine (XDG_DATA_HOME)
wxString documentsDirectory();
wxString temporaryDirectory();
