#pragma once
// Environment references in configuration values. wxConfigBase expands $NAME and
// ${NAME} everywhere but %NAME% only on Windows; values written for the Windows
// logger use %NAME%, so elsewhere they are rewritten first.
#include <wx/string.h>

// Replaces every %NAME% whose variable is set with its value, escaped so that the
// configuration base's own expansion pass leaves it as it is. References to unset
// variables and lone percent signs stay. On Windows the text is returned as it is
// (the base handles %NAME% there itself).
wxString expandPercentReferences(const wxString& text);
