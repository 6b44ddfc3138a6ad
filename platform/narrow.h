#pragma once
// Narrow strings are the program's byte strings: the ANSI code page on Windows,
// UTF-8 elsewhere. These two helpers are the only place that converts between
// them and wxString.
//
// Elsewhere than Windows, bytes that are not valid UTF-8 (a Latin-1 channel name,
// a damaged file) survive the round trip fromNarrow -> toNarrow unchanged: they
// are carried through wxString as private-use characters instead of being
// dropped, so a name read from a file still names the same folder on disk.
#include <string>

#include <wx/strconv.h>
#include <wx/string.h>

namespace narrowDetail {
#ifndef __WINDOWS__
inline wxMBConv& conversion()
{
    static wxMBConvUTF8 utf8(wxMBConvUTF8::MAP_INVALID_UTF8_TO_PUA);
    return utf8;
}
#else
inline wxMBConv& conversion()
{
    return wxConvLibc;
}
#endif
}

inline wxString fromNarrow(const std::string& text)
{
    if (text.empty())
        return wxString();
    return wxString(text.data(), narrowDetail::conversion(), text.size());
}

inline std::string toNarrow(const wxString& text)
{
    if (text.empty())
        return std::string();
    wxCharBuffer bytes = text.mb_str(narrowDetail::conversion());
    return std::string(bytes.data(), bytes.length());
}
