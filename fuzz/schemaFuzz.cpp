// The configuration editor's window-free half on a schema and a settings
// document: the input is the schema, a NUL byte, then the document. Walks the
// document as the editor's tree does (declarations, positions, conformance,
// texts, validation of every value) and makes a new element of every
// declaration.
#include <cstring>
#include <memory>
#include <string>

#include <wx/mstream.h>
#include <wx/xml/xml.h>

#include "xmlconfig/schemaModel.h"
#include "xmlconfig/schemaText.h"
#include "xmlconfig/substitution.h"
#include "xmlconfig/validation.h"

#include "fuzzSupport.h"

namespace {
bool parse(const std::uint8_t* data, std::size_t size, wxXmlDocument& document)
{
    wxMemoryInputStream in(data, size);
    return document.Load(in, "UTF-8") && document.GetRoot();
}

wxString textOf(const wxXmlNode* element)
{
    const wxXmlNode* text = firstTextChild(element);
    return text ? text->GetContent() : wxString();
}

void showItem(const wxXmlNode* element, const wxXmlNode* declaration)
{
    itemLabel(element, declaration);
    itemTooltip(element, declaration);
    itemCaption(element, declaration);
    panelComment(element, declaration);
    for (const wxXmlNode* c : elementChildren(declaration)) {
        if (c->GetName() == "property") {
            propertyLabel(element, declaration, c);
            propertyTooltip(c);
            sampleText(c, "value");
            validationMessage(c, element->GetAttribute(c->GetAttribute("name")));
        } else if (c->GetName() == "content") {
            validationMessage(c, textOf(element));
        }
    }
    std::string text = textOf(element).utf8_string();
    substituteReferences(element, declaration, text);
}

void walk(const SchemaModel& model, const wxXmlNode* element, const wxXmlNode* declaration, int depth)
{
    model.conformsTo(element, declaration);
    if (!declaration || depth > 64)
        return; // elements the schema does not describe are shown as they are
    showItem(element, declaration);
    std::size_t index = 0;
    for (const wxXmlNode* child : elementChildren(element)) {
        const std::string set = model.allowedSetAt(declaration, index++);
        walk(model, child, model.lookupDeclaration(set, child->GetName().utf8_string()), depth + 1);
    }
}
}

void fuzzSchema(const std::uint8_t* data, std::size_t size)
{
    const void* nul = std::memchr(data, 0, size);
    const std::size_t schemaSize = nul ? static_cast<const std::uint8_t*>(nul) - data : size;
    wxXmlDocument schema;
    if (!parse(data, schemaSize, schema))
        return;
    const SchemaModel model(schema.GetRoot());

    for (const auto& set : model.nodesBySet) {
        model.firstDeclarationOf(set.first);
        for (const wxXmlNode* declaration : set.second) {
            std::unique_ptr<wxXmlNode> made(model.fillNewNode(declaration));
            choiceLabel(declaration);
            newItemTooltip(declaration);
            newItemLabel(declaration);
        }
    }
    for (const auto& set : model.templatesBySet)
        for (const wxXmlNode* fragment : set.second)
            templateLabel(fragment);

    wxXmlDocument document;
    if (!nul || !parse(data + schemaSize + 1, size - schemaSize - 1, document))
        return;
    const wxXmlNode* root = document.GetRoot();
    const wxXmlNode* declaration = model.lookupDeclaration(model.allowedSetAt(nullptr, 0), root->GetName().utf8_string());
    windowCaption(root, declaration);
    walk(model, root, declaration, 0);
}
