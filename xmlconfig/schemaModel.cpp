#include "xmlconfig/schemaModel.h"

#include <set>

#include <wx/log.h>
#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include "xmlconfig/schemaText.h"

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

// XML 1.0 (fifth edition) NameStartChar and NameChar.
bool isNameStart(wxUint32 c)
{
    return c == ':' || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

// Where wxString holds UTF-16 (Windows), characters beyond the BMP come as two
// surrogates: they pass here and the parser judges the pair (isXmlName).
bool isSurrogate(wxUint32 c)
{
    return sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDFFF;
}

bool isNameChar(wxUint32 c)
{
    return isNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

bool isBlank(const wxString& text)
{
    for (wxUniChar c : text)
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            return false;
    return true;
}
}

bool isXmlName(const wxString& name)
{
    if (name.empty())
        return false;
    bool ascii = true;
    for (wxString::const_iterator i = name.begin(); i != name.end(); ++i) {
        const wxUint32 c = static_cast<wxUint32>(*i);
        if (!(i == name.begin() ? isNameStart(c) : isNameChar(c)) && !isSurrogate(c))
            return false;
        ascii = ascii && c < 0x80;
    }
    if (ascii)
        return true;
    // Beyond ASCII the parser keeps the older, narrower letter classes of
    // XML 1.0 before its fifth edition: a name it refuses would make the
    // written file unreadable. Ask it.
    wxLogNull quiet;
    wxStringInputStream in("<" + name + "/>");
    wxXmlDocument probe;
    return probe.Load(in, "UTF-8") && probe.GetRoot() && probe.GetRoot()->GetName() == name;
}

std::vector<const wxXmlNode*> usableProperties(const wxXmlNode* declaration)
{
    std::vector<const wxXmlNode*> properties;
    std::set<wxString> names;
    for (const wxXmlNode* c : elementChildren(declaration)) {
        if (c->GetName() != "property")
            continue;
        const wxString name = c->GetAttribute("name");
        if (isXmlName(name) && names.insert(name).second)
            properties.push_back(c);
    }
    return properties;
}

const wxXmlNode* templateFragment(const wxXmlNode* templateElement)
{
    for (const wxXmlNode* c = templateElement ? templateElement->GetChildren() : nullptr; c; c = c->GetNext()) {
        switch (c->GetType()) {
        case wxXML_ELEMENT_NODE:
            return c;
        case wxXML_COMMENT_NODE:
        case wxXML_PI_NODE:
            continue;
        case wxXML_TEXT_NODE:
            if (isBlank(c->GetContent()))
                continue;
            return nullptr;
        default:
            return nullptr;
        }
    }
    return nullptr;
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
            if (!isXmlName(c->GetAttribute("name")))
                continue; // it could make no element the file could hold
            declarations.push_back(c);
            const std::string name = text(c->GetAttribute("name"));
            for (const wxXmlNode* in : elementChildren(c)) {
                wxString set;
                if (in->GetName() != "in" || !in->GetAttribute("set", &set))
                    continue;
                nodesBySetAndName[text(set)][name] = c;
                nodesBySet[text(set)].push_back(c);
            }
        } else if (c->GetName() == "template" && templateFragment(c)) {
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

std::vector<std::size_t> SchemaModel::strictPositionsOf(const std::vector<const wxXmlNode*>& children,
                                                     const wxXmlNode* declaration) const
{
    const std::vector<const wxXmlNode*> positions = childPositions(declaration);
    std::vector<std::size_t> paired;
    std::size_t next = 0;
    for (const wxXmlNode* child : children) {
        std::size_t taken = next;
        for (std::size_t p = next; p < positions.size(); ++p) {
            if (lookupDeclaration(text(positions[p]->GetAttribute("from-set")), text(child->GetName()))) {
                taken = p;
                break;
            }
        }
        if (taken >= positions.size()) {
            paired.push_back(std::string::npos);
            next = positions.size();
        } else {
            paired.push_back(taken);
            next = taken + 1;
        }
    }
    return paired;
}

bool SchemaModel::conformsTo(const wxXmlNode* element, const wxXmlNode* declaration) const
{
    if (!element || !declaration || element->GetName() != declaration->GetAttribute("name"))
        return false;
    for (const wxXmlNode* p : usableProperties(declaration))
        if (!schemaFlag(p, "optional") && !element->HasAttribute(p->GetAttribute("name")))
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
    for (const wxXmlNode* p : usableProperties(declaration))
        element->AddAttribute(p->GetAttribute("name"), p->GetAttribute("creation-value"));
    for (const wxXmlNode* c : elementChildren(declaration)) {
        if (c->GetName() == "content") {
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
        const wxXmlNode* fragment = found == defaultTemplateBySet.end() ? nullptr : templateFragment(found->second);
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

std::vector<schemaChoice> SchemaModel::choicesFor(const std::string& set) const
{
    std::vector<schemaChoice> choices;
    if (auto t = templatesBySet.find(set); t != templatesBySet.end())
        for (const wxXmlNode* templateElement : t->second)
            if (const wxXmlNode* fragment = templateFragment(templateElement))
                choices.push_back({schemaChoice::fragmentChoice, fragment, templateLabel(templateElement)});
    if (auto d = nodesBySet.find(set); d != nodesBySet.end())
        for (const wxXmlNode* declaration : d->second)
            choices.push_back({schemaChoice::declarationChoice, declaration, choiceLabel(declaration)});
    return choices;
}

wxXmlNode* SchemaModel::makeElement(const schemaChoice& choice) const
{
    if (choice.kind == schemaChoice::declarationChoice)
        return fillNewNode(choice.node);
    return new wxXmlNode(*choice.node);
}
