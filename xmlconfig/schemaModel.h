#pragma once
// The schema of a settings document, indexed for the configuration editor.
//
// A schema declares the elements a settings document may hold ("node"
// elements, each a member of one or more named sets), their attributes
// ("property"), text ("content") and children, and ready-made fragments
// ("template"). Everything here reads the schema and never changes it; the
// index points into the schema document, which must outlive it.
#include <map>
#include <string>
#include <vector>

#include <wx/string.h>

class wxXmlNode;

// A boolean schema attribute: true only when it is exactly "true".
bool schemaFlag(const wxXmlNode* element, const wxString& attribute);

// The element's children that are elements, in order.
std::vector<const wxXmlNode*> elementChildren(const wxXmlNode* element);

// The element's text: its first text or CDATA child, or null.
wxXmlNode* firstTextChild(const wxXmlNode* element);

// The element's first element child of that name, or null.
const wxXmlNode* firstChildNamed(const wxXmlNode* element, const wxString& name);

class SchemaModel {
public:
    // Indexes the children of the schema's root element.
    explicit SchemaModel(const wxXmlNode* schemaRoot);

    // The set that declares the settings document's root element.
    std::string rootSet;
    // Set, then element name, to declaration; of two declarations of one name
    // in one set, the later.
    std::map<std::string, std::map<std::string, const wxXmlNode*>> nodesBySetAndName;
    // Set to its declarations in document order.
    std::map<std::string, std::vector<const wxXmlNode*>> nodesBySet;
    // Set to its templates in document order; and the last default template.
    std::map<std::string, std::vector<const wxXmlNode*>> templatesBySet;
    std::map<std::string, const wxXmlNode*> defaultTemplateBySet;

    const wxXmlNode* lookupDeclaration(const std::string& set, const std::string& name) const;
    // The set's first declaration, or null.
    const wxXmlNode* firstDeclarationOf(const std::string& set) const;
    // The set that governs the child at `index` (counting element children
    // from 0) of an element declared by `parentDeclaration`; with no parent
    // (the document's root) the root set. Empty when the position allows
    // nothing.
    std::string allowedSetAt(const wxXmlNode* parentDeclaration, std::size_t index) const;
    // Whether a settings element and its subtree match the declaration.
    bool conformsTo(const wxXmlNode* element, const wxXmlNode* declaration) const;
    // A new element made from the declaration: its attributes with their
    // creation values, its text, and for a strict sequence all its children
    // (from the set's default template or its first declaration). A position
    // whose set offers nothing to make is left out. The caller owns the result.
    wxXmlNode* fillNewNode(const wxXmlNode* declaration) const;
    // The same for an element already made (named, without attributes).
    void fillNode(wxXmlNode* element, const wxXmlNode* declaration) const;

private:
    // A schema whose strict sequences hold themselves would make elements
    // without end (or 2^depth of them): a new element stops growing at this
    // depth and this many elements.
    static const int maxNewDepth = 32;
    static const int maxNewElements = 10000;
    void fillNode(wxXmlNode* element, const wxXmlNode* declaration, int depth, int& budget) const;
};

// Gives a new element the attributes (in declaration order) and text content
// the declaration's properties and content create it with.
void addCreationValues(wxXmlNode* element, const wxXmlNode* declaration);
