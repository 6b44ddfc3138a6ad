// The configuration editor's window-free half on a schema and a settings
// document: the input is the schema, a NUL byte, then the document. Walks the
// document as the editor's tree does (declarations, positions, conformance,
// texts, validation of every value). Makes the element of every choice the
// editor offers for every set and inserts it, alone as a document's root and
// into the settings document wherever the editor would offer it; each
// document written must read back with every element and attribute.
#include <cstring>
#include <memory>
#include <set>
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
    const std::vector<const wxXmlNode*> children = elementChildren(element);
    std::vector<std::size_t> positions(children.size(), 0);
    if (declaration->GetAttribute("children") == "strict-sequence")
        positions = model.strictPositionsOf(children, declaration);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const std::string set = model.allowedSetAt(declaration, positions[i]);
        walk(model, children[i], model.lookupDeclaration(set, children[i]->GetName().utf8_string()), depth + 1);
    }
}

// What writing and reading back must keep: every element, in order, with its
// attributes and their values.
void outline(const wxXmlNode* element, std::string& out)
{
    out += "<" + element->GetName().utf8_string();
    for (const wxXmlAttribute* a = element->GetAttributes(); a; a = a->GetNext())
        out += " " + a->GetName().utf8_string() + "=" + a->GetValue().utf8_string();
    out += ">";
    for (const wxXmlNode* child : elementChildren(element))
        outline(child, out);
    out += "</>";
}

std::size_t countElements(const wxXmlNode* element)
{
    std::size_t count = 1;
    for (const wxXmlNode* child : elementChildren(element))
        count += countElements(child);
    return count;
}

// Writes the document as the program writes orv.xml and reads it back.
void checkWrittenDocument(const wxXmlDocument& document)
{
    wxMemoryOutputStream out;
    FUZZ_CHECK(document.Save(out, 1), "the document cannot be written");
    const std::string written(static_cast<const char*>(out.GetOutputStreamBuffer()->GetBufferStart()), out.GetSize());
    wxXmlDocument reread;
    wxMemoryInputStream in(written.data(), written.size());
    const bool loaded = reread.Load(in) && reread.GetRoot();
    FUZZ_CHECK(loaded, written.substr(0, 2000));
    std::string before, after;
    outline(document.GetRoot(), before);
    outline(reread.GetRoot(), after);
    FUZZ_CHECK(before == after, before.substr(0, 1000) + "\nread back as\n" + after.substr(0, 1000));
}

// Bounds the work of one input: a schema can make elements of ten thousand
// descendants, and every set may offer many.
struct effort {
    std::size_t elements = 0;
    bool spent() const { return elements > 50000; }
};

// The element of every choice for every set, each alone as the root of a
// document.
void makeEveryChoice(const SchemaModel& model, effort& spent)
{
    std::set<std::string> sets{model.rootSet};
    for (const auto& s : model.nodesBySet)
        sets.insert(s.first);
    for (const auto& s : model.templatesBySet)
        sets.insert(s.first);
    for (const std::string& set : sets) {
        for (const schemaChoice& choice : model.choicesFor(set)) {
            if (spent.spent())
                return;
            FUZZ_CHECK(choice.node, "a choice of nothing in set " + set);
            wxXmlDocument document;
            document.SetRoot(model.makeElement(choice));
            spent.elements += countElements(document.GetRoot());
            checkWrittenDocument(document);
        }
    }
}

// Inserts into the settings document what the editor would offer: every
// choice at the end of each sequence, and in place of each child of a strict
// sequence the first choice of its position.
void insertEverywhere(const SchemaModel& model, wxXmlNode* element, const wxXmlNode* declaration, int depth,
                      effort& spent)
{
    if (!declaration || depth > 64 || spent.spent())
        return;
    std::vector<wxXmlNode*> children;
    for (wxXmlNode* c = element->GetChildren(); c; c = c->GetNext())
        if (c->GetType() == wxXML_ELEMENT_NODE)
            children.push_back(c);
    const wxString kind = declaration->GetAttribute("children", "none");
    if (kind == "sequence") {
        const std::string set = model.allowedSetAt(declaration, 0);
        for (wxXmlNode* c : children)
            insertEverywhere(model, c, model.lookupDeclaration(set, c->GetName().utf8_string()), depth + 1, spent);
        for (const schemaChoice& choice : model.choicesFor(set)) {
            if (spent.spent())
                return;
            wxXmlNode* made = model.makeElement(choice);
            spent.elements += countElements(made);
            element->AddChild(made);
        }
    } else if (kind == "strict-sequence") {
        const std::vector<std::size_t> positions =
            model.strictPositionsOf(std::vector<const wxXmlNode*>(children.begin(), children.end()), declaration);
        for (std::size_t i = 0; i < children.size() && positions[i] != std::string::npos; ++i) {
            const std::vector<schemaChoice> choices = model.choicesFor(model.allowedSetAt(declaration, positions[i]));
            if (choices.empty() || spent.spent())
                continue;
            wxXmlNode* made = model.makeElement(choices.front());
            spent.elements += countElements(made);
            element->InsertChildAfter(made, children[i]);
            element->RemoveChild(children[i]);
            delete children[i];
        }
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

    effort spent;
    makeEveryChoice(model, spent);

    wxXmlDocument document;
    if (!nul || !parse(data + schemaSize + 1, size - schemaSize - 1, document))
        return;
    wxXmlNode* root = document.GetRoot();
    const wxXmlNode* declaration = model.lookupDeclaration(model.allowedSetAt(nullptr, 0), root->GetName().utf8_string());
    windowCaption(root, declaration);
    walk(model, root, declaration, 0);
    insertEverywhere(model, root, declaration, 0, spent);
    checkWrittenDocument(document);
}
