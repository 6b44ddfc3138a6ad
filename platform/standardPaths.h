#pragma once
// The per-user folders the program works with. On Windows the shell's known
// folders; elsewhere wxStandardPaths with the XDG layout.
#include <wx/string.h>

wxString roamingDataDirectory();  // settings that follow the user (XDG_CONFIG_HOME)
wxString localDataDirectory();    // data that stays on this machine (XDG_DATA_HOME)
wxString documentsDirectory();
wxString temporaryDirectory();
// This program's own folder for caches, data it can lose at any time:
// $XDG_CACHE_HOME/orvista (~/.cache/orvista without it), on Windows Orvista in
// the local application data. Empty when no such place is known.
wxString cacheDirectory();
