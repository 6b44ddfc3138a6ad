#include "xmlconfig/substitution.h"

#include <wx/xml/xml.h>

#include "xmlconfig/schemaModel.h"

varSubstFn::varSubstFn(varSubstitution* resolver_) : resolver(resolver_)
{
}

varSubstFn::~varSubstFn()
{
    delete resolver;
}

void varSubstFn::substitute(std::string& text)
{
    enum { plain, dollar, name } state = plain;
    std::size_t start = 0;
    std::string collected;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        switch (state) {
        case plain:
            if (c == '$') {
                start = i;
                collected.clear();
                state = dollar;
            }
            ++i;
            break;
        case dollar:
            if (c == '{') {
                state = name;
                ++i;
            } else {
                const std::string value = resolver->substituteFunction(c);
                text.replace(start, 2, value);
                i = start + value.size();
                state = plain;
            }
            break;
        case name:
            if (c == '}') {
                const std::string value = resolver->substituteVariable(collected);
                text.replace(start, i + 1 - start, value);
                i = start + value.size();
                state = plain;
            } else {
                collected += c;
                ++i;
            }
            break;
        }
    }
    if (state != plain)
        throw varSubstException();
}

xmlPropertySubstitution::xmlPropertySubstitution(const wxXmlNode* element_, const wxXmlNode* declaration_)
    : element(element_), declaration(declaration_)
{
}

std::string xmlPropertySubstitution::substituteFunction(char c)
{
    if (c != '@')
        throw varSubstException();
    const wxXmlNode* text = firstTextChild(element);
    return text ? text->GetContent().utf8_string() : std::string();
}

std::string xmlPropertySubstitution::substituteVariable(const std::string& name)
{
    const wxString attribute = wxString::FromUTF8(name);
    const std::string value = element ? element->GetAttribute(attribute).utf8_string() : std::string();
    const wxXmlNode* property = nullptr;
    for (const wxXmlNode* p : usableProperties(declaration))
        if (!property && p->GetAttribute("name") == attribute)
            property = p;
    // An attribute no property describes is shown as it is.
    if (!property)
        return value;
    if (value.empty())
        return property->GetAttribute("empty-property-substitution").utf8_string();
    wxString pattern;
    if (property->GetAttribute("substitution-pattern", &pattern)) {
        std::string result = pattern.utf8_string();
        for (std::size_t at = result.find("$@"); at != std::string::npos; at = result.find("$@", at + value.size())) {
            result.replace(at, 2, value);
        }
        return result;
    }
    if (property->GetAttribute("type") == "option") {
        for (const wxXmlNode* option = property->GetChildren(); option; option = option->GetNext()) {
            if (option->GetType() != wxXML_ELEMENT_NODE || option->GetName() != "option" ||
                option->GetAttribute("value").utf8_string() != value)
                continue;
            return option->GetAttribute("substitution-value", wxString::FromUTF8(value)).utf8_string();
        }
    }
    return value;
}

void substituteReferences(const wxXmlNode* element, const wxXmlNode* declaration, std::string& text)
{
    varSubstFn engine(new xmlPropertySubstitution(element, declaration));
    try {
        engine.substitute(text);
    } catch (const varSubstException&) {
        // The text keeps what was replaced; the rest stays as written.
    }
}
