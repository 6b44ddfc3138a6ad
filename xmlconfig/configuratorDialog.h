#pragma once
// The configuration editor: a settings document as a tree on the left, the
// selected element's properties on the right, everything governed by a schema.
// It edits the document it is given in place and never touches files.
#include <wx/dialog.h>
#include <wx/treectrl.h>
#include <wx/xml/xml.h>

#include "xmlconfig/propertyWidgets.h"
#include "xmlconfig/schemaModel.h"

class wxMenu;

// On the items of the document tree: an element with its declaration (null for
// an element the schema does not describe), or the insertion item that ends a
// sequence (element and declaration of the sequence's owner). A child of a
// strict sequence keeps the position it stands for: positions left empty make
// it differ from the child's place among its siblings.
class xmlTreeItemData : public wxTreeItemData {
public:
    enum kindType { nodeItem = 0, insertionItem = 1 };
    xmlTreeItemData(kindType kind_, wxXmlNode* element_, const wxXmlNode* declaration_, std::size_t position_ = 0)
        : kind(kind_), element(element_), declaration(declaration_), position(position_)
    {
    }
    kindType kind;
    wxXmlNode* element;
    const wxXmlNode* declaration;
    std::size_t position;
};

// On the choices of a choice tree: a declaration to make a new element from,
// or a fragment (a template's element, or one from the clipboard) to copy.
class choiceTreeItemData : public wxTreeItemData {
public:
    explicit choiceTreeItemData(const schemaChoice& choice_) : choice(choice_) {}
    schemaChoice choice;
};

class xmlConfiguratorDialog : public wxDialog, public mouseObserver {
public:
    // Command identifiers within the dialog.
    enum {
        idTree = 0,
        idChoiceTree = 1,
        idInsert = 2,
        idReplace = 3,
        idDelete = 4,
        idCut = 5,
        idCopy = 6,
        idPaste = 7,
        idMenuDelete = 8,
    };

    xmlConfiguratorDialog(const wxXmlNode* schemaRoot, wxXmlDocument& document);

    void itemHovered(wxTreeCtrl* tree, const wxTreeItemId& item) override;
    void noItemHovered(wxTreeCtrl* tree) override;

    // For tests and the context menu: the document tree, the choice tree of the
    // panel (null when it has none), the menu the context menu would show for
    // an item (which also makes it the item the menu commands act on).
    mouseReportingTreeCtrl* documentTree() const { return tree; }
    mouseReportingTreeCtrl* panelChoiceTree() const { return choiceTree; }
    wxMenu* contextMenuFor(const wxTreeItemId& item);
    // Selects an item as the user does (the panel is checked and stored first);
    // false when the panel's values were refused.
    bool selectItem(const wxTreeItemId& item);

private:
    xmlTreeItemData* dataOf(const wxTreeItemId& item) const;
    wxString labelOf(const wxTreeItemId& item) const;
    void populateItem(const wxTreeItemId& item, wxXmlNode* element, const wxXmlNode* declaration,
                      std::size_t position);
    std::string allowedSetAt(const wxTreeItemId& item) const;
    bool isDeletable(const wxTreeItemId& item) const;
    bool isSelectedOrAbove(const wxTreeItemId& item) const;
    int indexAmongSiblings(const wxTreeItemId& item) const;

    bool leaveShownItem();
    void showPanel(const wxTreeItemId& item);
    void clearPanel();
    void buildPropertyPanel(wxSizer* panel, wxXmlNode* element, const wxXmlNode* declaration, bool deletable,
                            const std::string& replacementSet, bool measuring);
    void buildInsertionPanel(wxSizer* panel, const wxXmlNode* declaration);
    mouseReportingTreeCtrl* buildChoiceTree(const std::string& set);
    const schemaChoice* chosen() const;
    void measurePanelArea();

    void placeChoiceAt(const wxTreeItemId& item, const schemaChoice& choice);
    void removeElementOf(const wxTreeItemId& item);
    void deleteItem(const wxTreeItemId& item);
    bool copyItem(const wxTreeItemId& item);
    bool readClipboard();

    void onSelectionChanging(wxTreeEvent& event);
    void onSelectionChanged(wxTreeEvent& event);
    void onItemMenu(wxTreeEvent& event);
    void onInsert(wxCommandEvent& event);
    void onReplace(wxCommandEvent& event);
    void onDeleteButton(wxCommandEvent& event);
    void onCut(wxCommandEvent& event);
    void onCopy(wxCommandEvent& event);
    void onPaste(wxCommandEvent& event);
    void onMenuDelete(wxCommandEvent& event);

    wxXmlDocument& document;
    SchemaModel model;
    mouseReportingTreeCtrl* tree = nullptr;
    wxBoxSizer* panelArea = nullptr;
    wxBoxSizer* propertyPanel = nullptr;
    mouseReportingTreeCtrl* choiceTree = nullptr;
    wxTreeItemId currentItem; // the item of the last context menu
    wxTreeItemId shownItem;   // the item whose panel is shown
    wxXmlDocument clipboardDocument;
    bool selecting = false;   // the dialog itself is moving the selection

    wxDECLARE_EVENT_TABLE();
};

// Runs the editor modally on `settings` (edited in place: pass a copy) under the
// schema; true when the user closed it with OK.
bool runConfigurator(const wxXmlDocument& schema, wxXmlDocument& settings);
