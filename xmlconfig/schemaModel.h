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

// Whether the text can name an element or attribute of a settings document
// the program reads back: an XML 1.0 Name (colons allowed) that the XML parser
// also takes.
bool isXmlName(const wxString& name);

// The properties the editor uses of a declaration, in order: its "property"
// children with a name isXmlName takes, the first of each name. Others are
// ignored everywhere (no row, no creation value, never checked).
std::vector<const wxXmlNode*> usableProperties(const wxXmlNode* declaration);

// What a template inserts: its first child element, past comments,
// processing instructions and whitespace; null when there is none or other
// content (text, CDATA) comes first. Such a template offers nothing.
const wxXmlNode* templateFragment(const wxXmlNode* templateElement);

// One choice offered for a position: a template's fragment to copy, or a
// declaration to make a new element from; with the label the editor shows.
struct schemaChoice {
    enum kindType { fragmentChoice = 0, declarationChoice = 1 };
    kindType kind;
    const wxXmlNode* node; // the fragment, or the declaration
    wxString label;
};

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
    // Templates that offer nothing (templateFragment is null) are left out,
    // as if not written: the default is the last one that offers something.
    std::map<std::string, std::vector<const wxXmlNode*>> templatesBySet;
    std::map<std::string, const wxXmlNode*> defaultTemplateBySet;
    // Every declaration indexed, in document order, in a set or not. A "node"
    // whose name isXmlName refuses is in none of these.
    std::vector<const wxXmlNode*> declarations;

    const wxXmlNode* lookupDeclaration(const std::string& set, const std::string& name) const;
    // The set's first declaration, or null.
    const wxXmlNode* firstDeclarationOf(const std::string& set) const;
    // The set that governs the child at `index` (counting element children
    // from 0) of an element declared by `parentDeclaration`; with no parent
    // (the document's root) the root set. Empty when the position allows
    // nothing.
    std::string allowedSetAt(const wxXmlNode* parentDeclaration, std::size_t index) const;
    // The position (counting "child" elements of the strict sequence from 0)
    // each of the element children belongs to, or npos past the last
    // position. A position may have been left empty, so each child takes the
    // first remaining position whose set declares its name; a child no
    // remaining position declares takes the next one.
    std::vector<std::size_t> strictPositionsOf(const std::vector<const wxXmlNode*>& children,
                                               const wxXmlNode* declaration) const;
    // Whether a settings element and its subtree match the declaration.
    bool conformsTo(const wxXmlNode* element, const wxXmlNode* declaration) const;
    // A new element made from the declaration: its attributes with their
    // creation values, its text, and for a strict sequence all its children
    // (a copy of the fragment of the set's default template, else from its
    // first declaration). A position whose set offers nothing to make, or
    // that lies past the depth and element caps, is left out. The caller owns
    // the result.
    wxXmlNode* fillNewNode(const wxXmlNode* declaration) const;
    // The same for an element already made (named, without attributes).
    void fillNode(wxXmlNode* element, const wxXmlNode* declaration) const;
    // What the editor offers for a position governed by the set: its templates
    // (label "<unlabeled template>" without one), then its declarations.
    std::vector<schemaChoice> choicesFor(const std::string& set) const;
    // The element a choice puts in the document: a copy of the fragment, or a
    // new element from the declaration (fillNewNode). The caller owns it.
    wxXmlNode* makeElement(const schemaChoice& choice) const;

private:
    // A schema whose strict sequences hold themselves would make elements
    // without end (or 2^depth of them): a new element stops growing at this
    // depth and this many elements.
    static const int maxNewDepth = 32;
    static const int maxNewElements = 10000;
    void fillNode(wxXmlNode* element, const wxXmlNode* declaration, int depth, int& budget) const;
};

// Gives a new element the attributes (in declaration order) and text content
// the declaration's usable properties and content create it with.
void addCreationValues(wxXmlNode* element, const wxXmlNode* declaration);
