#pragma once
// Narrow strings are the program's byte strings, UTF-8 on every system (on
// Windows the platform layer hands them to the system's wide functions, so no
// character depends on the machine's code page). These helpers are the only
// place that converts between them and wxString.
//
// Bytes that are not valid UTF-8 (a Latin-1 channel name, a damaged file)
// survive the round trip fromNarrow -> toNarrow unchanged: they are carried
// through wxString as private-use characters instead of being dropped, so a
// name read from a file still names the same folder on disk.
//
// The one text that has no narrow form is a Windows name with half of a
// UTF-16 surrogate pair: toNarrow gives "" for it, and representable() tells
// such a text from an empty one.
#include <string>

#include <wx/strconv.h>
#include <wx/string.h>

namespace narrowDetail {
inline wxMBConv& conversion()
{
    static wxMBConvUTF8 utf8(wxMBConvUTF8::MAP_INVALID_UTF8_TO_PUA);
    return utf8;
}
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

// Makes wx name files with the same conversion, so that a name that is not
// UTF-8 (a Latin-1 folder "B\xFCro") reaches the system as the bytes it was
// read as: wx would otherwise turn its private-use characters into other
// bytes, or fail, and the file would not be found. Called once at the start
// of every program, before any file is named; Windows names files in UTF-16,
// so it changes nothing there.
inline void useNarrowFileNames()
{
    wxConvFileName = &narrowDetail::conversion();
}

// Whether `text` has a narrow form (see above).
inline bool representable(const wxString& text)
{
    return text.empty() || !toNarrow(text).empty();
}

// Narrow text from valid UTF-8 (as an XML parser hands text on), as toNarrow
// would make it of the same characters. The bytes are the narrow text already,
// except for the code points the conversion keeps for undecodable bytes (from
// U+100000, lead byte F4): those take its path.
inline std::string narrowFromUtf8(const std::string& text)
{
    if (text.find('\xF4') == std::string::npos)
        return text;
    return toNarrow(wxString::FromUTF8Unchecked(text.data(), text.size()));
}
