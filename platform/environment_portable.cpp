#include "environment.h"

#include <wx/utils.h>

namespace {
// The configuration base unescapes "\$" and "\%" in its own pass; a backslash
// before anything else stays as it is.
wxString escapedForBasePass(const wxString& value)
{
    wxString out;
    for (wxUniChar c : value) {
        if (c == '$' || c == '%')
            out += '\\';
        out += c;
    }
    return out;
}
}

wxString expandPercentReferences(const wxString& text)
{
    wxString out;
    size_t i = 0;
    while (i < text.length()) {
        wxUniChar c = text[i];
        if (c == '\\' && i + 1 < text.length() && (text[i + 1] == '%' || text[i + 1] == '$')) {
            // Already escaped for the base pass: keep both characters.
            out += c;
            out += text[i + 1];
            i += 2;
            continue;
        }
        if (c == '%') {
            size_t close = text.find('%', i + 1);
            if (close != wxString::npos && close > i + 1) {
                wxString name = text.substr(i + 1, close - i - 1);
                wxString value;
                if (wxGetEnv(name, &value)) {
                    out += escapedForBasePass(value);
                    i = close + 1;
                    continue;
                }
            }
        }
        out += c;
        ++i;
    }
    return out;
}
