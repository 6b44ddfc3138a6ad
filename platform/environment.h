#pragma once
// Environment references in the logger's configuration values, expanded the
// same way on every system: %NAME%, $NAME, ${NAME} and $(NAME). The values are
// Windows text, where a backslash separates folders and escapes nothing:
// "D:\rec\%SITE%" expands its %SITE%. (wxConfigBase's own pass would take "\%"
// and "\$" for escapes and would see %NAME% only on Windows.)
#include <wx/string.h>

// Replaces every reference whose variable is set with its value. References to
// unset variables, lone '%' and '$' stay as they are written. The result is
// escaped so that wxConfigBase's expansion pass, which runs over whatever a
// configuration hands back, leaves it exactly so.
wxString expandEnvironmentReferences(const wxString& text);
