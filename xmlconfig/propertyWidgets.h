#pragma once
// The widgets of the editor's property panel: a text field and an option box
// that each edit one value of one settings element (an attribute, or the
// element's text), the "..." button that fills a path field from a chooser, and
// a tree control that says which item label the mouse is over.
#include <map>

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include "xmlconfig/xmlMediator.h"

class wxXmlNode;

// Edits the attribute a "property" schema element names, or the element's text
// for a "content" schema element. Multi-line and password styles come from the
// schema (a field that should be both hides its input on one line). An emptied
// field removes its attribute.
class xmlTextCtrl : public wxTextCtrl, public xmlMediator {
public:
    xmlTextCtrl(wxWindow* parent, wxXmlNode* element, const wxXmlNode* schemaElement);
    bool validate() override;
    bool transferToWindow() override;
    bool transferFromWindow() override;

private:
    wxXmlNode* element;
    const wxXmlNode* schemaElement;
};

// Picks an "option" property's value by its label. An optional property offers
// "<empty>", which removes the attribute. A stored value that no option lists
// is shown as it is and kept unless another option is chosen.
class xmlComboBox : public wxComboBox, public xmlMediator {
public:
    xmlComboBox(wxWindow* parent, wxXmlNode* element, const wxXmlNode* property);
    bool validate() override;
    bool transferToWindow() override;
    bool transferFromWindow() override;

    std::map<wxString, wxString> valueToLabel;
    std::map<wxString, wxString> labelToValue;

private:
    wxXmlNode* element;
    const wxXmlNode* property;
    wxString unlisted; // the stored value no option lists, shown as it is
};

// "..." beside a path field: a file chooser for "fs:file", a folder chooser for
// "fs:directory". It only fills the field.
class changeButton : public wxButton {
public:
    changeButton(wxWindow* parent, wxTextCtrl* field, const wxXmlNode* property, const wxString& label);

private:
    void onClick(wxCommandEvent& event);
    wxTextCtrl* field;
    const wxXmlNode* property;
};

class mouseObserver {
public:
    virtual void itemHovered(wxTreeCtrl* tree, const wxTreeItemId& item) = 0;
    virtual void noItemHovered(wxTreeCtrl* tree) = 0;
    virtual ~mouseObserver() = default;
};

// Tells its observer, as the mouse moves, which item label it is over.
//
// It also keeps nothing selected until the user (or the program) selects an
// item: wx's generic tree, which GTK uses, would select its root at idle time.
// Then the first arrow key selects the first item, as in a native tree.
class mouseReportingTreeCtrl : public wxTreeCtrl {
public:
    mouseReportingTreeCtrl();
    void setObserver(mouseObserver* o) { observer = o; }

    void OnInternalIdle() override;
    wxTreeItemId GetSelection() const override;

private:
    void onMotion(wxMouseEvent& event);
    void onChar(wxKeyEvent& event);
    mouseObserver* observer = nullptr;
    bool idling = false; // within the tree's own idle handling
};

// Sets an attribute in place when the element has it, else appends it.
void setAttributeValue(wxXmlNode* element, const wxString& name, const wxString& value);
