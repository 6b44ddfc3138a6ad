#include "xmlconfig/schemaModel.h"

#include <wx/xml/xml.h>

namespace {
std::string text(const wxString& s)
{
    return s.utf8_string();
}

// The "child" elements of a strict sequence, in order.
std::vector<const wxXmlNode*> childPositions(const wxXmlNode* declaration)
{
    std::vector<const wxXmlNode*> positions;
    for (const wxXmlNode* c : elementChildren(declaration))
        if (c->GetName() == "child")
            positions.push_back(c);
    return positions;
}
}

std::vector<const wxXmlNode*> elementChildren(const wxXmlNode* element)
{
    std::vector<const wxXmlNode*> children;
    for (const wxXmlNode* c = element ? element->GetChildren() : nullptr; c; c = c->GetNext())
        if (c->GetType() == wxXML_ELEMENT_NODE)
            children.push_back(c);
    return children;
}

wxXmlNode* firstTextChild(const wxXmlNode* element)
{
    for (wxXmlNode* c = element ? element->GetChildren() : nullptr; c; c = c->GetNext())
        if (c->GetType() == wxXML_TEXT_NODE || c->GetType() == wxXML_CDATA_SECTION_NODE)
            return c;
    return nullptr;
}

bool schemaFlag(const wxXmlNode* element, const wxString& attribute)
{
    return element && element->GetAttribute(attribute) == "true";
}

const wxXmlNode* firstChildNamed(const wxXmlNode* element, const wxString& name)
{
    for (const wxXmlNode* c = element ? element->GetChildren() : nullptr; c; c = c->GetNext())
        if (c->GetType() == wxXML_ELEMENT_NODE && c->GetName() == name)
            return c;
    return nullptr;
}

SchemaModel::SchemaModel(const wxXmlNode* root)
{
    if (!root)
        return;
    rootSet = text(root->GetAttribute("root-set"));
    for (const wxXmlNode* c : elementChildren(root)) {
        if (c->GetName() == "node") {
            const std::string name = text(c->GetAttribute("name"));
            for (const wxXmlNode* in : elementChildren(c)) {
                wxString set;
                if (in->GetName() != "in" || !in->GetAttribute("set", &set))
                    continue;
                nodesBySetAndName[text(set)][name] = c;
                nodesBySet[text(set)].push_back(c);
            }
        } else if (c->GetName() == "template") {
            const std::string set = text(c->GetAttribute("set-name"));
            if (c->GetAttribute("type") == "default")
                defaultTemplateBySet[set] = c;
            templatesBySet[set].push_back(c);
        }
    }
}

const wxXmlNode* SchemaModel::lookupDeclaration(const std::string& set, const std::string& name) const
{
    auto s = nodesBySetAndName.find(set);
    if (s == nodesBySetAndName.end())
        return nullptr;
    auto n = s->second.find(name);
    return n == s->second.end() ? nullptr : n->second;
}

const wxXmlNode* SchemaModel::firstDeclarationOf(const std::string& set) const
{
    auto s = nodesBySet.find(set);
    return s == nodesBySet.end() || s->second.empty() ? nullptr : s->second.front();
}

std::string SchemaModel::allowedSetAt(const wxXmlNode* parent, std::size_t index) const
{
    if (!parent)
        return rootSet;
    const wxString children = parent->GetAttribute("children", "none");
    if (children == "sequence")
        return text(parent->GetAttribute("child-set"));
    if (children == "strict-sequence") {
        std::vector<const wxXmlNode*> positions = childPositions(parent);
        return index < positions.size() ? text(positions[index]->GetAttribute("from-set")) : std::string();
    }
    return std::string();
}

bool SchemaModel::conformsTo(const wxXmlNode* element, const wxXmlNode* declaration) const
{
    if (!element || !declaration || element->GetName() != declaration->GetAttribute("name"))
        return false;
    for (const wxXmlNode* p : elementChildren(declaration))
        if (p->GetName() == "property" && !schemaFlag(p, "optional") && !element->HasAttribute(p->GetAttribute("name")))
            return false;
    const wxString model = declaration->GetAttribute("children", "none");
    const std::vector<const wxXmlNode*> children = elementChildren(element);
    if (model == "sequence") {
        const std::string set = text(declaration->GetAttribute("child-set"));
        for (const wxXmlNode* child : children)
            if (!conformsTo(child, lookupDeclaration(set, text(child->GetName()))))
                return false;
    } else if (model == "strict-sequence") {
        const std::vector<const wxXmlNode*> positions = childPositions(declaration);
        if (children.size() != positions.size())
            return false;
        for (std::size_t i = 0; i < children.size(); ++i) {
            const std::string set = text(positions[i]->GetAttribute("from-set"));
            if (!conformsTo(children[i], lookupDeclaration(set, text(children[i]->GetName()))))
                return false;
        }
    }
    return true;
}

void addCreationValues(wxXmlNode* element, const wxXmlNode* declaration)
{
    for (const wxXmlNode* c : elementChildren(declaration)) {
        if (c->GetName() == "property") {
            element->AddAttribute(c->GetAttribute("name", "<unnamed field>"), c->GetAttribute("creation-value"));
        } else if (c->GetName() == "content") {
            // The text is the element's one text child.
            for (wxXmlNode* t = element->GetChildren(); t;) {
                wxXmlNode* next = t->GetNext();
                if (t->GetType() == wxXML_TEXT_NODE || t->GetType() == wxXML_CDATA_SECTION_NODE) {
                    element->RemoveChild(t);
                    delete t;
                }
                t = next;
            }
            const wxString value = c->GetAttribute("creation-value");
            if (!value.empty())
                element->InsertChild(new wxXmlNode(wxXML_TEXT_NODE, wxEmptyString, value), element->GetChildren());
        }
    }
}

wxXmlNode* SchemaModel::fillNewNode(const wxXmlNode* declaration) const
{
    wxXmlNode* element = new wxXmlNode(wxXML_ELEMENT_NODE, declaration->GetAttribute("name"));
    fillNode(element, declaration);
    return element;
}

void SchemaModel::fillNode(wxXmlNode* element, const wxXmlNode* declaration) const
{
    int budget = maxNewElements;
    fillNode(element, declaration, 0, budget);
}

void SchemaModel::fillNode(wxXmlNode* element, const wxXmlNode* declaration, int depth, int& budget) const
{
    addCreationValues(element, declaration);
    if (declaration->GetAttribute("children", "none") != "strict-sequence")
        return;
    for (const wxXmlNode* position : childPositions(declaration)) {
        const std::string set = text(position->GetAttribute("from-set"));
        auto found = defaultTemplateBySet.find(set);
        const wxXmlNode* fragment = found == defaultTemplateBySet.end() ? nullptr : found->second->GetChildren();
        if (fragment) {
            element->AddChild(new wxXmlNode(*fragment));
        } else if (const wxXmlNode* first = firstDeclarationOf(set)) {
            if (depth < maxNewDepth && budget > 0) {
                --budget;
                wxXmlNode* child = new wxXmlNode(wxXML_ELEMENT_NODE, first->GetAttribute("name"));
                fillNode(child, first, depth + 1, budget);
                element->AddChild(child);
            }
        }
        // A set with neither offers nothing to make: the position stays empty
        // and the editor shows the element as it is.
    }
}
