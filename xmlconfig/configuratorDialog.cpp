#include "xmlconfig/configuratorDialog.h"

#include <algorithm>
#include <functional>
#include <memory>

#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/sstream.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wupdlock.h>

#include "xmlconfig/schemaText.h"

wxBEGIN_EVENT_TABLE(xmlConfiguratorDialog, wxDialog)
    EVT_TREE_SEL_CHANGING(xmlConfiguratorDialog::idTree, xmlConfiguratorDialog::onSelectionChanging)
    EVT_TREE_SEL_CHANGED(xmlConfiguratorDialog::idTree, xmlConfiguratorDialog::onSelectionChanged)
    EVT_TREE_ITEM_MENU(xmlConfiguratorDialog::idTree, xmlConfiguratorDialog::onItemMenu)
    EVT_BUTTON(xmlConfiguratorDialog::idInsert, xmlConfiguratorDialog::onInsert)
    EVT_BUTTON(xmlConfiguratorDialog::idReplace, xmlConfiguratorDialog::onReplace)
    EVT_BUTTON(xmlConfiguratorDialog::idDelete, xmlConfiguratorDialog::onDeleteButton)
    EVT_MENU(xmlConfiguratorDialog::idCut, xmlConfiguratorDialog::onCut)
    EVT_MENU(xmlConfiguratorDialog::idCopy, xmlConfiguratorDialog::onCopy)
    EVT_MENU(xmlConfiguratorDialog::idPaste, xmlConfiguratorDialog::onPaste)
    EVT_MENU(xmlConfiguratorDialog::idMenuDelete, xmlConfiguratorDialog::onMenuDelete)
wxEND_EVENT_TABLE()

namespace {
const char* const editorCaption = "Configuration editor";
const char* const notDescribed = "This item is not described by the schema. It is kept as it is.";

std::string narrow(const wxString& s)
{
    return s.utf8_string();
}

wxSizerFlags cell(int proportion = 0)
{
    return wxSizerFlags(proportion).Expand().Border(wxALL, 3);
}
}

xmlConfiguratorDialog::xmlConfiguratorDialog(const wxXmlNode* schemaRoot_, wxXmlDocument& document_)
    : wxDialog(nullptr, wxID_ANY, "XML Configuration Editor", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "dialog"),
      document(document_), model(schemaRoot_)
{
    SetDoubleBuffered(true);
    tree = new mouseReportingTreeCtrl();
    tree->Create(this, idTree, wxDefaultPosition, wxDefaultSize, wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT,
                 wxDefaultValidator, "treeCtrl");
    tree->setObserver(this);

    if (wxXmlNode* root = document.GetRoot()) {
        const wxXmlNode* declaration = model.lookupDeclaration(model.rootSet, narrow(root->GetName()));
        const wxTreeItemId item = tree->AddRoot(wxString());
        populateItem(item, root, declaration, 0);
        tree->SetItemText(item, labelOf(item));
        // The generic tree (GTK's) highlights a new root without telling: the
        // root would look selected with no panel, and a click on it would
        // change nothing. Nothing is selected until the user picks an item.
        tree->Unselect();
        const wxString caption = windowCaption(root, declaration);
        if (!caption.empty())
            SetTitle(caption);
    }

    wxBoxSizer* main = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(tree, cell(3));
    panelArea = new wxBoxSizer(wxVERTICAL);
    propertyPanel = new wxBoxSizer(wxVERTICAL);
    panelArea->Add(propertyPanel, cell(1));
    // A sizer with nothing shown counts as hidden and its minimum size would
    // be ignored while no item is selected.
    panelArea->AddSpacer(0);
    row->Add(panelArea, cell(5));
    main->Add(row, cell(1));
    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer(1);
    buttons->Add(new wxButton(this, wxID_OK), cell());
    buttons->Add(new wxButton(this, wxID_CANCEL), cell());
    main->Add(buttons, cell());
    measurePanelArea();
    SetSizerAndFit(main);
    // Room to read comfortably, beyond the least the panels need.
    wxSize size = GetSize();
    size.IncTo(wxSize(720, 540));
    SetSize(size);
}

// --- items ------------------------------------------------------------------

xmlTreeItemData* xmlConfiguratorDialog::dataOf(const wxTreeItemId& item) const
{
    return item.IsOk() ? static_cast<xmlTreeItemData*>(tree->GetItemData(item)) : nullptr;
}

wxString xmlConfiguratorDialog::labelOf(const wxTreeItemId& item) const
{
    const xmlTreeItemData* data = dataOf(item);
    if (!data)
        return wxString();
    if (data->kind == xmlTreeItemData::insertionItem)
        return data->declaration ? newItemLabel(data->declaration) : wxString("<Insert new node>");
    if (!data->declaration)
        return data->element->GetName() + " (not described by the schema)";
    return itemLabel(data->element, data->declaration);
}

void xmlConfiguratorDialog::populateItem(const wxTreeItemId& item, wxXmlNode* element, const wxXmlNode* declaration,
                                         std::size_t position)
{
    tree->SetItemData(item, new xmlTreeItemData(xmlTreeItemData::nodeItem, element, declaration, position));
    if (!declaration)
        return; // shown, kept, never opened up
    const wxString children = declaration->GetAttribute("children", "none");
    auto addChild = [&](wxXmlNode* child, std::size_t childPosition) {
        const std::string set = model.allowedSetAt(declaration, childPosition);
        const wxTreeItemId childItem = tree->AppendItem(item, wxString());
        populateItem(childItem, child, model.lookupDeclaration(set, narrow(child->GetName())), childPosition);
        tree->SetItemText(childItem, labelOf(childItem));
    };
    std::vector<wxXmlNode*> elements;
    for (wxXmlNode* c = element->GetChildren(); c; c = c->GetNext())
        if (c->GetType() == wxXML_ELEMENT_NODE)
            elements.push_back(c);
    if (children == "sequence") {
        for (wxXmlNode* c : elements)
            addChild(c, 0);
        const wxTreeItemId insertion = tree->AppendItem(item, newItemLabel(declaration));
        tree->SetItemData(insertion, new xmlTreeItemData(xmlTreeItemData::insertionItem, element, declaration));
    } else if (children == "strict-sequence") {
        // Children past the last position are kept but not shown.
        const std::vector<std::size_t> positions =
            model.strictPositionsOf(std::vector<const wxXmlNode*>(elements.begin(), elements.end()), declaration);
        for (std::size_t i = 0; i < elements.size() && positions[i] != std::string::npos; ++i)
            addChild(elements[i], positions[i]);
    }
    if (schemaFlag(declaration, "expand"))
        tree->Expand(item);
}

int xmlConfiguratorDialog::indexAmongSiblings(const wxTreeItemId& item) const
{
    const wxTreeItemId parent = tree->GetItemParent(item);
    int index = 0;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(parent, cookie); c.IsOk(); c = tree->GetNextChild(parent, cookie)) {
        if (c == item)
            return index;
        ++index;
    }
    return index;
}

std::string xmlConfiguratorDialog::allowedSetAt(const wxTreeItemId& item) const
{
    const wxTreeItemId parent = tree->GetItemParent(item);
    if (!parent.IsOk())
        return model.rootSet;
    const xmlTreeItemData* data = dataOf(parent);
    if (!data || !data->declaration)
        return std::string();
    // An item just inserted has no data yet: it stands in a sequence, where
    // every place takes the same set.
    const xmlTreeItemData* own = dataOf(item);
    return model.allowedSetAt(data->declaration, own ? own->position : 0);
}

bool xmlConfiguratorDialog::isDeletable(const wxTreeItemId& item) const
{
    const xmlTreeItemData* parent = dataOf(tree->GetItemParent(item));
    return parent && parent->declaration && parent->declaration->GetAttribute("children") == "sequence";
}

bool xmlConfiguratorDialog::isSelectedOrAbove(const wxTreeItemId& item) const
{
    for (wxTreeItemId s = tree->GetSelection(); s.IsOk(); s = tree->GetItemParent(s))
        if (s == item)
            return true;
    return false;
}

// --- selection and panels ---------------------------------------------------------

bool xmlConfiguratorDialog::leaveShownItem()
{
    if (shownItem.IsOk()) {
        if (!Validate())
            return false;
        TransferDataFromWindow();
    }
    // Labels may show values: the item being left is labelled anew.
    const wxTreeItemId leaving = shownItem.IsOk() ? shownItem : tree->GetSelection();
    if (leaving.IsOk() && dataOf(leaving))
        tree->SetItemText(leaving, labelOf(leaving));
    return true;
}

bool xmlConfiguratorDialog::selectItem(const wxTreeItemId& item)
{
    if (!leaveShownItem())
        return false;
    selecting = true;
    tree->SelectItem(item);
    selecting = false;
    showPanel(item);
    return true;
}

void xmlConfiguratorDialog::onSelectionChanging(wxTreeEvent& event)
{
    if (!selecting && !leaveShownItem())
        event.Veto();
}

void xmlConfiguratorDialog::onSelectionChanged(wxTreeEvent& event)
{
    if (!selecting)
        showPanel(event.GetItem());
}

void xmlConfiguratorDialog::clearPanel()
{
    shownItem = wxTreeItemId();
    choiceTree = nullptr;
    propertyPanel->Clear(true);
}

void xmlConfiguratorDialog::showPanel(const wxTreeItemId& item)
{
    wxWindowUpdateLocker frozen(this);
    clearPanel();
    const xmlTreeItemData* data = dataOf(item);
    if (!data)
        return;
    if (data->kind == xmlTreeItemData::insertionItem)
        buildInsertionPanel(propertyPanel, data->declaration);
    else
        buildPropertyPanel(propertyPanel, data->element, data->declaration, isDeletable(item), allowedSetAt(item),
                           false);
    shownItem = item;
    Layout();
    TransferDataToWindow();
}

void xmlConfiguratorDialog::buildPropertyPanel(wxSizer* panel, wxXmlNode* element, const wxXmlNode* declaration,
                                               bool deletable, const std::string& replacementSet, bool measuring)
{
    if (!declaration) {
        panel->Add(new wxStaticText(this, wxID_ANY, element->GetName()), cell());
        panel->AddSpacer(6);
        panel->Add(new wxStaticLine(this), cell());
        panel->Add(new wxStaticText(this, wxID_ANY, notDescribed), cell());
        if (deletable) {
            panel->Add(new wxStaticLine(this), cell());
            panel->Add(new wxButton(this, idDelete, "Delete this item"), wxSizerFlags().Border(wxALL, 3));
        }
        return;
    }
    const wxString caption = measuring ? sampleText(declaration, "caption") : itemCaption(element, declaration);
    if (!caption.empty()) {
        panel->Add(new wxStaticText(this, wxID_ANY, caption), cell());
        panel->AddSpacer(6);
    }
    panel->Add(new wxStaticLine(this), cell());

    wxBoxSizer* box = new wxBoxSizer(wxVERTICAL);
    wxFlexGridSizer* grid = new wxFlexGridSizer(2);
    grid->AddGrowableCol(1, 1);
    int rows = 0, contents = 0;
    for (const wxXmlNode* p : usableProperties(declaration)) {
        if (schemaFlag(p, "ignore"))
            continue;
        ++rows;
        const wxString label = measuring ? sampleText(p, "label") : propertyLabel(element, declaration, p);
        wxStaticText* labelText = new wxStaticText(this, wxID_ANY, label);
        grid->Add(labelText, wxSizerFlags().CenterVertical().Border(wxALL, 3));
        wxBoxSizer* valueRow = new wxBoxSizer(wxHORIZONTAL);
        wxWindow* value;
        const wxString type = p->GetAttribute("type");
        if (measuring)
            value = new wxTextCtrl(this, wxID_ANY, sampleText(p, "value"));
        else if (type == "option")
            value = new xmlComboBox(this, element, p);
        else
            value = new xmlTextCtrl(this, element, p);
        valueRow->Add(value, wxSizerFlags(1).Expand());
        if (type == "fs:file" || type == "fs:directory") {
            wxButton* change = measuring ? new wxButton(this, wxID_ANY, "...", wxDefaultPosition, wxDefaultSize,
                                                        wxBU_EXACTFIT)
                                         : new changeButton(this, static_cast<xmlTextCtrl*>(value), p, "...");
            valueRow->Add(change, wxSizerFlags().Border(wxLEFT, 3));
        }
        wxString comment;
        if (p->GetAttribute("comment", &comment)) {
            labelText->SetToolTip(propertyTooltip(p));
            value->SetToolTip(propertyTooltip(p));
        }
        grid->Add(valueRow, cell(1));
    }
    if (rows)
        box->Add(grid, wxSizerFlags().Expand());
    else
        delete grid;
    for (const wxXmlNode* c : elementChildren(declaration)) {
        if (c->GetName() != "content")
            continue;
        ++contents;
        wxTextCtrl* field = measuring ? new wxTextCtrl(this, wxID_ANY, sampleText(c, "content"))
                                      : new xmlTextCtrl(this, element, c);
        box->Add(field, cell(1));
    }
    if (!rows && !contents && !schemaFlag(declaration, "suppress-no-properties"))
        box->Add(new wxStaticText(this, wxID_ANY, "This item has no properties by itself."), cell());
    const wxString comment = measuring ? unescapeText(declaration->GetAttribute("comment"))
                                       : panelComment(element, declaration);
    if (!comment.empty()) {
        wxTextCtrl* text = new wxTextCtrl(this, wxID_ANY, comment, wxDefaultPosition, wxDefaultSize,
                                          wxTE_READONLY | wxTE_MULTILINE | wxBORDER_NONE | wxTE_NO_VSCROLL);
        text->SetBackgroundColour(GetBackgroundColour());
        // Tall enough for its lines and one wrapped line more.
        const int lines = static_cast<int>(comment.Freq('\n')) + 2;
        text->SetMinSize(wxSize(-1, lines * text->GetCharHeight() + 4));
        box->Add(text, cell(1));
    }
    panel->Add(box, cell(1));

    if (!schemaFlag(declaration, "suppress-replacement")) {
        panel->Add(new wxStaticLine(this), cell());
        panel->Add(new wxStaticText(this, wxID_ANY, "You can replace this item with:"), cell());
        choiceTree = buildChoiceTree(replacementSet);
        panel->Add(choiceTree, cell(1));
        panel->Add(new wxButton(this, idReplace, "Replace this item"), wxSizerFlags().Border(wxALL, 3));
    }
    if (!schemaFlag(declaration, "suppress-deletion")) {
        panel->Add(new wxStaticLine(this), cell());
        if (deletable)
            panel->Add(new wxButton(this, idDelete, "Delete this item"), wxSizerFlags().Border(wxALL, 3));
        else
            panel->Add(new wxStaticText(this, wxID_ANY, "This item can not be deleted."), cell());
    }
}

void xmlConfiguratorDialog::buildInsertionPanel(wxSizer* panel, const wxXmlNode* declaration)
{
    panel->Add(new wxStaticText(this, wxID_ANY, "Insert new item"), cell());
    panel->AddSpacer(6);
    panel->Add(new wxStaticText(this, wxID_ANY, "Insert new item"), cell());
    if (declaration && declaration->GetAttribute("children") == "sequence") {
        choiceTree = buildChoiceTree(narrow(declaration->GetAttribute("child-set")));
        panel->Add(choiceTree, cell(1));
    }
    panel->Add(new wxButton(this, idInsert, "Insert"), wxSizerFlags().Border(wxALL, 3));
}

mouseReportingTreeCtrl* xmlConfiguratorDialog::buildChoiceTree(const std::string& set)
{
    auto* choices = new mouseReportingTreeCtrl();
    choices->Create(this, idChoiceTree, wxDefaultPosition, wxDefaultSize, wxTR_HAS_BUTTONS | wxTR_HIDE_ROOT,
                    wxDefaultValidator, "treeCtrl");
    choices->setObserver(this);
    const wxTreeItemId root = choices->AddRoot("<Root>");
    wxTreeItemId templates;
    const wxTreeItemId items = choices->AppendItem(root, "Items");
    for (const schemaChoice& choice : model.choicesFor(set)) {
        if (choice.kind == schemaChoice::fragmentChoice) {
            if (!templates.IsOk())
                templates = choices->InsertItem(root, 0, "Templates");
            choices->AppendItem(templates, choice.label, -1, -1, new choiceTreeItemData(choice));
        } else {
            choices->AppendItem(items, choice.label, -1, -1, new choiceTreeItemData(choice));
        }
    }
    choices->ExpandAll();
    return choices;
}

void xmlConfiguratorDialog::measurePanelArea()
{
    // The largest panel any item can show: the dialog keeps its size as the
    // selection moves.
    wxSize largest;
    auto measure = [&](const std::function<void(wxSizer*)>& build) {
        wxBoxSizer sizer(wxVERTICAL);
        build(&sizer);
        largest.IncTo(sizer.GetMinSize());
        sizer.Clear(true);
    };
    for (const wxXmlNode* d : model.declarations) {
        measure([&](wxSizer* s) { buildPropertyPanel(s, nullptr, d, true, std::string(), true); });
        measure([&](wxSizer* s) { buildInsertionPanel(s, d); });
        choiceTree = nullptr;
    }
    panelArea->SetMinSize(largest);
}

const schemaChoice* xmlConfiguratorDialog::chosen() const
{
    if (!choiceTree)
        return nullptr;
    const wxTreeItemId item = choiceTree->GetSelection();
    const auto* data = item.IsOk() ? static_cast<const choiceTreeItemData*>(choiceTree->GetItemData(item)) : nullptr;
    return data ? &data->choice : nullptr;
}

// --- changing the document ------------------------------------------------------

void xmlConfiguratorDialog::placeChoiceAt(const wxTreeItemId& item, const schemaChoice& choice)
{
    const std::size_t position = dataOf(item) ? dataOf(item)->position : 0;
    const std::string set = allowedSetAt(item);
    delete tree->GetItemData(item);
    tree->SetItemData(item, nullptr);
    wxXmlNode* element = model.makeElement(choice);
    const wxXmlNode* declaration = choice.kind == schemaChoice::declarationChoice
                                       ? choice.node
                                       : model.lookupDeclaration(set, narrow(element->GetName()));
    tree->SetItemText(item, declaration ? itemLabel(element, declaration)
                                        : element->GetName() + " (not described by the schema)");

    const wxTreeItemId parent = tree->GetItemParent(item);
    if (parent.IsOk()) {
        wxXmlNode* parentElement = dataOf(parent)->element;
        const int k = indexAmongSiblings(item);
        if (k > 0) {
            wxTreeItemIdValue cookie;
            wxTreeItemId c = tree->GetFirstChild(parent, cookie);
            for (int i = 0; i < k - 1; ++i)
                c = tree->GetNextChild(parent, cookie);
            parentElement->InsertChildAfter(element, dataOf(c)->element);
        } else {
            // In front of the former first child (InsertChildAfter takes no
            // null position once the parent has children).
            parentElement->InsertChild(element, parentElement->GetChildren());
        }
    } else {
        document.SetRoot(element);
    }
    populateItem(item, element, declaration, position);
}

void xmlConfiguratorDialog::removeElementOf(const wxTreeItemId& item)
{
    wxXmlNode* element = dataOf(item)->element;
    if (wxXmlNode* parent = element->GetParent(); parent && parent->GetType() == wxXML_ELEMENT_NODE) {
        parent->RemoveChild(element);
        delete element;
    } else {
        delete document.DetachRoot();
    }
}

void xmlConfiguratorDialog::onInsert(wxCommandEvent&)
{
    const schemaChoice* choice = chosen();
    if (!choice) {
        wxMessageBox("You need to select one of the items or templates to insert.", editorCaption,
                     wxOK | wxICON_ERROR, this);
        return;
    }
    const schemaChoice chosenCopy = *choice;
    const wxTreeItemId insertion = tree->GetSelection();
    const wxTreeItemId item =
        tree->InsertItem(tree->GetItemParent(insertion), static_cast<size_t>(indexAmongSiblings(insertion)), "");
    placeChoiceAt(item, chosenCopy);
    selectItem(item);
}

void xmlConfiguratorDialog::onReplace(wxCommandEvent&)
{
    const schemaChoice* choice = chosen();
    if (!choice) {
        wxMessageBox("You need to select one of the items or templates to replace the current item with.",
                     editorCaption, wxOK | wxICON_ERROR, this);
        return;
    }
    const schemaChoice chosenCopy = *choice;
    const wxTreeItemId item = tree->GetSelection();
    clearPanel(); // its widgets point into the element that goes now
    removeElementOf(item);
    tree->DeleteChildren(item);
    placeChoiceAt(item, chosenCopy);
    selectItem(item);
}

void xmlConfiguratorDialog::deleteItem(const wxTreeItemId& item)
{
    // Only a panel that shows the item or something inside it goes with it;
    // another item's panel keeps its unsaved values.
    const bool affectsPanel = isSelectedOrAbove(item);
    const wxTreeItemId parent = tree->GetItemParent(item);
    if (affectsPanel)
        clearPanel();
    removeElementOf(item);
    selecting = true;
    tree->Delete(item);
    selecting = false;
    if (affectsPanel)
        selectItem(parent);
}

void xmlConfiguratorDialog::onDeleteButton(wxCommandEvent&)
{
    deleteItem(tree->GetSelection());
}

void xmlConfiguratorDialog::onMenuDelete(wxCommandEvent&)
{
    if (currentItem.IsOk() && isDeletable(currentItem))
        deleteItem(currentItem);
}

// --- clipboard and context menu ------------------------------------------------------

bool xmlConfiguratorDialog::readClipboard()
{
    wxString text;
    if (wxTheClipboard->Open()) {
        wxTextDataObject data;
        if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) || wxTheClipboard->IsSupported(wxDF_TEXT))
            if (wxTheClipboard->GetData(data))
                text = data.GetText();
        wxTheClipboard->Close();
    }
    // Text that is not XML only makes Paste unavailable.
    wxLogNull quiet;
    wxStringInputStream in(text);
    return !text.empty() && clipboardDocument.Load(in, "UTF-8") && clipboardDocument.GetRoot();
}

wxMenu* xmlConfiguratorDialog::contextMenuFor(const wxTreeItemId& item)
{
    currentItem = item;
    bool pasteFits = false;
    if (readClipboard()) {
        const wxXmlNode* root = clipboardDocument.GetRoot();
        pasteFits = model.conformsTo(root, model.lookupDeclaration(allowedSetAt(item), narrow(root->GetName())));
    }
    wxMenu* menu = new wxMenu;
    const xmlTreeItemData* data = dataOf(item);
    if (data && data->kind == xmlTreeItemData::nodeItem) {
        menu->Append(idCut, "Cut")->Enable(isDeletable(item));
        menu->Append(idCopy, "Copy");
        menu->Append(idPaste, "Paste")->Enable(pasteFits);
        menu->Append(idMenuDelete, "Delete")->Enable(isDeletable(item));
    } else {
        menu->Append(idPaste, "Paste")->Enable(pasteFits);
    }
    return menu;
}

void xmlConfiguratorDialog::onItemMenu(wxTreeEvent& event)
{
    std::unique_ptr<wxMenu> menu(contextMenuFor(event.GetItem()));
    PopupMenu(menu.get());
}

bool xmlConfiguratorDialog::copyItem(const wxTreeItemId& item)
{
    const xmlTreeItemData* data = dataOf(item);
    if (!data || data->kind != xmlTreeItemData::nodeItem)
        return false;
    if (isSelectedOrAbove(item) && shownItem.IsOk()) {
        // The panel's values belong to what is copied.
        if (!Validate()) {
            wxMessageBox("The current properties contain invalid information, so they cannot be put into the "
                         "clipboard.",
                         "Clipboard operation", wxOK | wxICON_ERROR, this);
            return false;
        }
        TransferDataFromWindow();
        tree->SetItemText(shownItem, labelOf(shownItem));
    }
    wxXmlDocument fragment;
    fragment.SetRoot(new wxXmlNode(*data->element));
    wxStringOutputStream out;
    fragment.Save(out, 1);
    if (!wxTheClipboard->Open())
        return false;
    wxTheClipboard->SetData(new wxTextDataObject(out.GetString()));
    wxTheClipboard->Flush(); // the text stays available after the editor has closed
    wxTheClipboard->Close();
    return true;
}

void xmlConfiguratorDialog::onCopy(wxCommandEvent&)
{
    copyItem(currentItem);
}

void xmlConfiguratorDialog::onCut(wxCommandEvent&)
{
    if (isDeletable(currentItem) && copyItem(currentItem))
        deleteItem(currentItem);
}

void xmlConfiguratorDialog::onPaste(wxCommandEvent&)
{
    const wxTreeItemId item = currentItem;
    const xmlTreeItemData* data = dataOf(item);
    std::unique_ptr<wxXmlNode> fragment(clipboardDocument.DetachRoot());
    if (!data || !fragment)
        return;
    const schemaChoice choice{schemaChoice::fragmentChoice, fragment.get(), wxString()};
    const bool affectsPanel = isSelectedOrAbove(item);
    if (data->kind == xmlTreeItemData::nodeItem) {
        if (affectsPanel) {
            clearPanel(); // its widgets point into the element that goes now
            selectItem(item);
            clearPanel();
        }
        removeElementOf(item);
        tree->DeleteChildren(item);
        placeChoiceAt(item, choice);
        if (affectsPanel)
            selectItem(item);
    } else {
        const wxTreeItemId inserted =
            tree->InsertItem(tree->GetItemParent(item), static_cast<size_t>(indexAmongSiblings(item)), "");
        placeChoiceAt(inserted, choice);
        if (tree->GetSelection() == item)
            selectItem(inserted);
    }
}

// --- tooltips ---------------------------------------------------------------------

void xmlConfiguratorDialog::itemHovered(wxTreeCtrl* reporting, const wxTreeItemId& item)
{
    if (reporting != tree) {
        reporting->SetToolTip(wxString());
        return;
    }
    const xmlTreeItemData* data = dataOf(item);
    wxString text;
    if (data && data->kind == xmlTreeItemData::insertionItem && data->declaration)
        text = newItemTooltip(data->declaration);
    else if (data && data->declaration)
        text = itemTooltip(data->element, data->declaration);
    if (reporting->GetToolTipText() != text)
        reporting->SetToolTip(text);
}

void xmlConfiguratorDialog::noItemHovered(wxTreeCtrl* reporting)
{
    if (!reporting->GetToolTipText().empty())
        reporting->SetToolTip(wxString());
}

bool runConfigurator(const wxXmlDocument& schema, wxXmlDocument& settings)
{
    xmlConfiguratorDialog dialog(schema.GetRoot(), settings);
    return dialog.ShowModal() == wxID_OK;
}
