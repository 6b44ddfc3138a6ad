#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/sstream.h>
#include <wx/textctrl.h>
#include <wx/xml/xml.h>

#include "support/guiSupport.h"
#include "xmlconfig/xmlMediator.h"

namespace {
// A text field that edits one attribute, as the editor's widgets do.
class attributeField : public wxTextCtrl, public xmlMediator {
public:
    attributeField(wxWindow* parent, wxXmlNode* element_, const wxXmlNode* property_)
        : wxTextCtrl(parent, wxID_ANY), element(element_), property(property_)
    {
        SetValidator(xmlPropertyValidator());
    }
    bool validate() override { return validateValue(this, property, GetValue()); }
    bool transferToWindow() override
    {
        ChangeValue(element->GetAttribute(property->GetAttribute("name")));
        return true;
    }
    bool transferFromWindow() override
    {
        element->DeleteAttribute(property->GetAttribute("name"));
        element->AddAttribute(property->GetAttribute("name"), GetValue());
        return true;
    }

private:
    wxXmlNode* element;
    const wxXmlNode* property;
};
}

TEST(xmlMediator, dialogPassesReachTheWidgetsThroughTheirValidators)
{
    wxXmlDocument schema;
    wxStringInputStream in("<property name='port' type='integer'/>");
    ASSERT_TRUE(schema.Load(in));
    wxXmlNode element(wxXML_ELEMENT_NODE, "server");
    element.AddAttribute("port", "80");

    wxDialog dialog(nullptr, wxID_ANY, "editor");
    auto* field = new attributeField(&dialog, &element, schema.GetRoot());
    ASSERT_TRUE(dialog.TransferDataToWindow());
    EXPECT_EQ("80", field->GetValue());

    field->ChangeValue("eighty");
    wxTEST_DIALOG(EXPECT_FALSE(dialog.Validate()),
                  expectMessage(wxOK, "The port property of this item has to be an integer.", "Validation error"));
    EXPECT_EQ("80", element.GetAttribute("port")) << "nothing is written while invalid";

    field->ChangeValue("8080");
    EXPECT_TRUE(dialog.Validate());
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ("8080", element.GetAttribute("port"));
}
