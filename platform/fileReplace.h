#pragma once
// Putting a freshly written file in place of another in one step, so that a
// reader (or a crash) sees either the old file or the new one, never half of it.
#include <wx/string.h>

// Moves `newFile` over `target`, replacing it. The new file takes the old one's
// access rights where the system has them. False (with `error` set) when the
// move failed; `newFile` is then left where it was.
bool replaceFile(const wxString& newFile, const wxString& target, wxString& error);
