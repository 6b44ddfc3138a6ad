#include "platform/environment.h"

#include <wx/utils.h>

namespace {
// The configuration base drops a backslash before '$' or '%' and keeps the
// character; a backslash before anything else stays as it is.
void appendEscaped(wxString& out, const wxString& text)
{
    for (wxUniChar c : text) {
        if (c == '$' || c == '%')
            out += '\\';
        out += c;
    }
}

bool isNameCharacter(wxUniChar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The reference starting at `at` ('%' or '$'): its variable's name and the
// length of the whole reference; false when there is none.
bool referenceAt(const wxString& text, size_t at, wxString& name, size_t& length)
{
    const wxUniChar first = text[at];
    size_t begin = at + 1, end = wxString::npos;
    size_t closing = 1;
    if (first == '%') {
        end = text.find('%', begin);
    } else if (begin < text.length() && (text[begin] == '{' || text[begin] == '(')) {
        end = text.find(text[begin] == '{' ? '}' : ')', begin + 1);
        ++begin;
    } else {
        end = begin;
        while (end < text.length() && isNameCharacter(text[end]))
            ++end;
        closing = 0;
    }
    if (end == wxString::npos || end == begin)
        return false;
    name = text.substr(begin, end - begin);
    length = end + closing - at;
    return true;
}
}

wxString expandEnvironmentReferences(const wxString& text)
{
    wxString out;
    size_t i = 0;
    while (i < text.length()) {
        const wxUniChar c = text[i];
        wxString name, value;
        size_t length = 0;
        if ((c == '%' || c == '$') && referenceAt(text, i, name, length) && wxGetEnv(name, &value)) {
            appendEscaped(out, value);
            i += length;
            continue;
        }
        appendEscaped(out, wxString(c));
        ++i;
    }
    return out;
}
