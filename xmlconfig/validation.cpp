#include "xmlconfig/validation.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include <wx/filefn.h>
#include <wx/xml/xml.h>

#include "xmlconfig/schemaModel.h"

namespace {
bool isWholeLong(const std::string& text)
{
    if (text.empty())
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    std::strtol(begin, &end, 10);
    // strtol skips leading blanks and takes a sign; it must use every byte,
    // have found a digit, and the number must fit.
    return end != begin && *end == '\0' && errno != ERANGE && std::isdigit(static_cast<unsigned char>(end[-1]));
}

// Moves past digits; returns how many there were.
std::size_t skipDigits(const std::string& text, std::size_t& i)
{
    const std::size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    return i - start;
}

void skipSign(const std::string& text, std::size_t& i)
{
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
}

bool isDecimalReal(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    skipSign(text, i);
    std::size_t digits = skipDigits(text, i);
    if (i < text.size() && text[i] == '.') {
        ++i;
        digits += skipDigits(text, i);
    }
    if (digits == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        skipSign(text, i);
        if (skipDigits(text, i) == 0)
            return false;
    }
    return i == text.size();
}
}

wxString validationMessage(const wxXmlNode* e, const wxString& value)
{
    const wxString subject = e->GetName() == "content" ? wxString("content") : e->GetAttribute("name") + " property";
    if (value.empty())
        return schemaFlag(e, "optional") ? wxString() : "The " + subject + " of this item is required.";
    const wxString type = e->GetAttribute("type", "string");
    const std::string text = value.utf8_string();
    if (type == "integer" && !isWholeLong(text))
        return "The " + subject + " of this item has to be an integer.";
    if (type == "real" && !isDecimalReal(text))
        return "The " + subject + " of this item has to be a real number.";
    if (type == "fs:file" && !wxFileExists(value))
        return "The " + subject + " of this item has to point to an existing file.";
    if (type == "fs:directory" && !wxDirExists(value))
        return "The " + subject + " of this item has to point to an existing directory.";
    return wxString();
}
