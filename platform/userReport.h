#pragma once
// A problem the user must hear of that has no window of its own to appear in
// (a settings write that fails as the program closes). Elsewhere than Windows
// it is a line on the error stream, as a program started from a terminal
// shows it; a Windows program has no such stream, so there it goes to the
// toolkit's log, which shows it at once in a message box.
#include <wx/string.h>

void reportToUser(const wxString& message);
