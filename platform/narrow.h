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

// Narrow text from valid UTF-8 (as an XML parser hands text on), as toNarrow
// would make it of the same characters. Elsewhere than Windows the bytes are
// the narrow text already, except for the code points the conversion keeps for
// undecodable bytes (from U+100000, lead byte F4): those take its path.
inline std::string narrowFromUtf8(const std::string& text)
{
#ifndef __WINDOWS__
    if (text.find('\xF4') == std::string::npos)
        return text;
#endif
    return toNarrow(wxString::FromUTF8Unchecked(text.data(), text.size()));
}
