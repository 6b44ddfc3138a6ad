#include "xmlconfig/propertyWidgets.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/utils.h>
#include <wx/xml/xml.h>

#include "xmlconfig/schemaModel.h"

namespace {
const char* const emptyChoice = "<empty>";

long textStyle(const wxXmlNode* schemaElement)
{
    // Hidden input wins over several lines: a secret stays hidden, and not
    // every system can hide the input of a multi-line field (GTK cannot).
    if (schemaFlag(schemaElement, "password"))
        return wxTE_PASSWORD;
    return schemaFlag(schemaElement, "multi-line") ? wxTE_MULTILINE : 0;
}

bool isContent(const wxXmlNode* schemaElement)
{
    return schemaElement->GetName() == "content";
}

}

void setAttributeValue(wxXmlNode* element, const wxString& name, const wxString& value)
{
    for (wxXmlAttribute* a = element->GetAttributes(); a; a = a->GetNext()) {
        if (a->GetName() == name) {
            a->SetValue(value);
            return;
        }
    }
    element->AddAttribute(name, value);
}

xmlTextCtrl::xmlTextCtrl(wxWindow* parent, wxXmlNode* element_, const wxXmlNode* schemaElement_)
    : wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, textStyle(schemaElement_),
                 xmlPropertyValidator(), "text"),
      element(element_), schemaElement(schemaElement_)
{
}

bool xmlTextCtrl::validate()
{
    return validateValue(this, schemaElement, GetValue());
}

bool xmlTextCtrl::transferToWindow()
{
    if (isContent(schemaElement)) {
        wxXmlNode* text = firstTextChild(element);
        ChangeValue(text ? text->GetContent() : wxString());
    } else {
        ChangeValue(element->GetAttribute(schemaElement->GetAttribute("name")));
    }
    return true;
}

bool xmlTextCtrl::transferFromWindow()
{
    const wxString value = GetValue();
    if (isContent(schemaElement)) {
        // The element's text child takes the text; an element without one gets
        // one in front. (Writing into a child element instead would lose the
        // text: an element's own content is not saved.)
        if (wxXmlNode* text = firstTextChild(element))
            text->SetContent(value);
        else
            element->InsertChild(new wxXmlNode(wxXML_TEXT_NODE, wxEmptyString, value), element->GetChildren());
        return true;
    }
    const wxString name = schemaElement->GetAttribute("name");
    if (value.empty())
        element->DeleteAttribute(name);
    else
        setAttributeValue(element, name, value);
    return true;
}

xmlComboBox::xmlComboBox(wxWindow* parent, wxXmlNode* element_, const wxXmlNode* property_)
    : wxComboBox(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                 wxCB_READONLY | wxCB_DROPDOWN, xmlPropertyValidator(), "comboBox"),
      element(element_), property(property_)
{
    if (schemaFlag(property, "optional"))
        Append(emptyChoice);
    for (const wxXmlNode* option : elementChildren(property)) {
        const wxString value = option->GetAttribute("value");
        const wxString label = option->GetAttribute("label", value);
        valueToLabel[value] = label;
        labelToValue[label] = value;
        Append(label);
    }
}

bool xmlComboBox::validate()
{
    return true;
}

bool xmlComboBox::transferToWindow()
{
    wxString value;
    unlisted.clear();
    if (element->GetAttribute(property->GetAttribute("name"), &value)) {
        auto found = valueToLabel.find(value);
        if (found != valueToLabel.end()) {
            SetValue(found->second);
        } else {
            // A value the schema does not list: shown as it is, and kept.
            unlisted = value;
            if (FindString(value, true) == wxNOT_FOUND)
                Append(value);
            SetValue(value);
        }
        return true;
    }
    auto empty = valueToLabel.find(wxString());
    const wxString shown = empty != valueToLabel.end() ? empty->second : wxString(emptyChoice);
    // A read-only box shows only what it lists: a required property has no
    // "<empty>" of its own.
    if (FindString(shown, true) == wxNOT_FOUND)
        Append(shown);
    SetValue(shown);
    return true;
}

bool xmlComboBox::transferFromWindow()
{
    const wxString shown = GetValue();
    const wxString name = property->GetAttribute("name");
    if (shown == emptyChoice) {
        element->DeleteAttribute(name);
        return true;
    }
    if (!unlisted.empty() && shown == unlisted && !labelToValue.count(shown))
        return true; // left as it was
    auto found = labelToValue.find(shown);
    setAttributeValue(element, name, found != labelToValue.end() ? found->second : shown);
    return true;
}

changeButton::changeButton(wxWindow* parent, wxTextCtrl* field_, const wxXmlNode* property_, const wxString& label)
    : wxButton(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT, wxDefaultValidator,
               "button"),
      field(field_), property(property_)
{
    Bind(wxEVT_BUTTON, &changeButton::onClick, this);
}

void changeButton::onClick(wxCommandEvent&)
{
    const wxString type = property->GetAttribute("type");
    if (type == "fs:file") {
        const wxFileName current(field->GetValue());
        wxFileDialog dialog(GetParent(), "Choose a file", current.GetPath(wxPATH_GET_VOLUME), current.GetFullName(),
                            property->GetAttribute("pattern", "*.*"), wxFD_OPEN | wxFD_FILE_MUST_EXIST,
                            wxDefaultPosition, wxDefaultSize, "filedlg");
        if (dialog.ShowModal() == wxID_OK)
            field->SetValue(dialog.GetPath());
    } else if (type == "fs:directory") {
        wxDirDialog dialog(GetParent(), "Choose a directory", field->GetValue(),
                           wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST, wxDefaultPosition, wxDefaultSize, "wxDirCtrl");
        dialog.SetName("wxDirCtrl"); // wxGTK names every folder dialog alike
        if (dialog.ShowModal() == wxID_OK)
            field->SetValue(dialog.GetPath());
    } else {
        wxBell();
    }
}

mouseReportingTreeCtrl::mouseReportingTreeCtrl()
{
    Bind(wxEVT_MOTION, &mouseReportingTreeCtrl::onMotion, this);
    Bind(wxEVT_CHAR, &mouseReportingTreeCtrl::onChar, this);
}

void mouseReportingTreeCtrl::OnInternalIdle()
{
    // The generic tree selects its root when it finds nothing selected; while
    // it looks, the root passes for selected, so nothing is.
    idling = true;
    wxTreeCtrl::OnInternalIdle();
    idling = false;
}

void mouseReportingTreeCtrl::onChar(wxKeyEvent& event)
{
    // The generic tree moves only from a selected item.
    const int key = event.GetKeyCode();
    const bool moving = key == WXK_UP || key == WXK_DOWN || key == WXK_HOME || key == WXK_END ||
                        key == WXK_PAGEUP || key == WXK_PAGEDOWN;
    if (moving && !GetSelection().IsOk()) {
        const wxTreeItemId first = HasFlag(wxTR_HIDE_ROOT) ? GetFirstVisibleItem() : GetRootItem();
        if (first.IsOk()) {
            SelectItem(first);
            return;
        }
    }
    event.Skip();
}

wxTreeItemId mouseReportingTreeCtrl::GetSelection() const
{
    const wxTreeItemId selected = wxTreeCtrl::GetSelection();
    return idling && !selected.IsOk() ? GetRootItem() : selected;
}

void mouseReportingTreeCtrl::onMotion(wxMouseEvent& event)
{
    event.Skip();
    if (!observer)
        return;
    int flags = 0;
    const wxTreeItemId item = HitTest(event.GetPosition(), flags);
    if (item.IsOk() && (flags & wxTREE_HITTEST_ONITEMLABEL))
        observer->itemHovered(this, item);
    else
        observer->noItemHovered(this);
}
