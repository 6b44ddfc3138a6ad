#include "xmlconfig/schemaText.h"

#include <wx/xml/xml.h>

#include "xmlconfig/substitution.h"

namespace {
wxString substituted(const wxXmlNode* element, const wxXmlNode* declaration, const wxString& text)
{
    std::string narrow = text.utf8_string();
    substituteReferences(element, declaration, narrow);
    return wxString::FromUTF8(narrow);
}

// "label", else "name", else the fallback.
wxString labelOrName(const wxXmlNode* e, const wxString& fallback)
{
    wxString value;
    if (e->GetAttribute("label", &value) || e->GetAttribute("name", &value))
        return value;
    return fallback;
}
}

wxString unescapeText(const wxString& text)
{
    wxString result = text;
    result.Replace("\\n", "\n");
    result.Replace("\\t", "\t");
    result.Replace("\\\\", "\\");
    return result;
}

wxString sampleText(const wxXmlNode* e, const wxString& attribute)
{
    wxString value;
    if (e && (e->GetAttribute("sample-" + attribute, &value) || e->GetAttribute(attribute, &value)))
        return value;
    return "Sample text";
}

wxString itemLabel(const wxXmlNode* element, const wxXmlNode* declaration)
{
    return substituted(element, declaration, labelOrName(declaration, "<unknown>"));
}

wxString itemTooltip(const wxXmlNode* element, const wxXmlNode* declaration)
{
    wxString text;
    if (!declaration->GetAttribute("tooltip", &text) && !declaration->GetAttribute("comment", &text))
        return wxString();
    return substituted(element, declaration, unescapeText(text));
}

wxString itemCaption(const wxXmlNode* element, const wxXmlNode* declaration)
{
    wxString text;
    if (!declaration->GetAttribute("caption", &text))
        text = labelOrName(declaration, wxString());
    return substituted(element, declaration, unescapeText(text));
}

wxString panelComment(const wxXmlNode* element, const wxXmlNode* declaration)
{
    return substituted(element, declaration, unescapeText(declaration->GetAttribute("comment")));
}

wxString windowCaption(const wxXmlNode* root, const wxXmlNode* declaration)
{
    wxString text;
    if (!declaration || !declaration->GetAttribute("window-caption", &text))
        return wxString();
    return substituted(root, declaration, text);
}

wxString propertyLabel(const wxXmlNode* element, const wxXmlNode* declaration, const wxXmlNode* property)
{
    return substituted(element, declaration, unescapeText(labelOrName(property, "<unnamed property>")));
}

wxString choiceLabel(const wxXmlNode* declaration)
{
    wxString text;
    if (declaration->GetAttribute("new-item-label", &text))
        return text;
    return labelOrName(declaration, "<unknown>");
}

wxString newItemTooltip(const wxXmlNode* declaration)
{
    return unescapeText(declaration->GetAttribute(
        "new-item-tooltip", "Click here, select an option and push `Insert' to add a new node."));
}

wxString newItemLabel(const wxXmlNode* declaration)
{
    return declaration->GetAttribute("new-node-creation-label", "<Insert new node>");
}

wxString templateLabel(const wxXmlNode* templateElement)
{
    return templateElement->GetAttribute("label", "<unlabeled template>");
}

wxString propertyTooltip(const wxXmlNode* property)
{
    return unescapeText(property->GetAttribute("comment"));
}
