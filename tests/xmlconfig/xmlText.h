#pragma once
// XML written in a test, and an element written back as compact XML.
#include <string>

#include <gtest/gtest.h>

#include <wx/sstream.h>
#include <wx/xml/xml.h>

inline bool load(wxXmlDocument& document, const std::string& xml)
{
    wxStringInputStream in(wxString::FromUTF8(xml));
    const bool loaded = document.Load(in);
    EXPECT_TRUE(loaded) << xml;
    return loaded;
}

// The element with its subtree, without declaration or indentation.
inline std::string xmlOf(const wxXmlNode* node)
{
    wxXmlDocument document;
    document.SetRoot(new wxXmlNode(*node));
    wxStringOutputStream out;
    document.Save(out, wxXML_NO_INDENTATION);
    std::string text = out.GetString().utf8_string();
    text = text.substr(text.find("?>") + 3);
    return text.substr(0, text.find_last_not_of('\n') + 1);
}
