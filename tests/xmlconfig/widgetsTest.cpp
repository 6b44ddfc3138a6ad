#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include "support/guiSupport.h"
#include "support/testSupport.h"
#include "xmlconfig/xmlText.h"
#include "xmlconfig/propertyWidgets.h"

namespace {
// A settings element and the schema element describing one of its values, with
// a dialog to put the widget on.
struct widgetFixture : ::testing::Test {
    wxDialog dialog{nullptr, wxID_ANY, "panel"};
    wxXmlDocument settings, schema;
    wxXmlNode* element = nullptr;

    const wxXmlNode* describe(const std::string& settingsXml, const std::string& schemaXml)
    {
        load(settings, settingsXml);
        load(schema, schemaXml);
        element = settings.GetRoot();
        return schema.GetRoot();
    }
};

const char* const modeOptions = "<option value='fast' label='Fast'/><option value='slow'/></property>";
}

TEST_F(widgetFixture, textFieldStyleFollowsMultiLineAndPassword)
{
    struct row {
        const char* attributes;
        bool multiLine, password;
    };
    for (const row& r : std::vector<row>{{"multi-line='true'", true, false},
                                         {"password='true'", false, true},
                                         {"multi-line='true' password='true'", false, true}, // the input stays hidden
                                         {"multi-line='TRUE' password='yes'", false, false}}) {
        const wxXmlNode* property = describe("<e/>", std::string("<property name='p' ") + r.attributes + "/>");
        std::unique_ptr<xmlTextCtrl> field(new xmlTextCtrl(&dialog, element, property));
        EXPECT_EQ(r.multiLine, field->HasFlag(wxTE_MULTILINE)) << r.attributes;
        EXPECT_EQ(r.password, field->HasFlag(wxTE_PASSWORD)) << r.attributes;
    }
}

TEST_F(widgetFixture, textFieldWritesItsAttributeOrTheElementsText)
{
    struct row {
        const char* schema;
        const char* settings;
        const char* shown;
        const char* typed;
        const char* stored;
    };
    const char* const p = "<property name='p'/>";
    const char* const content = "<content multi-line='true'/>";
    for (const row& r : std::vector<row>{
             {p, "<e a='1' p='old' z='2'/>", "old", "new", "<e a=\"1\" p=\"new\" z=\"2\"/>"}, // in place
             {p, "<e a='1' p='old'/>", "old", "", "<e a=\"1\"/>"},    // emptied: removed, not kept empty
             {p, "<e a='1'/>", "", "back", "<e a=\"1\" p=\"back\"/>"},
             {content, "<e/>", "", "hello", "<e>hello</e>"},        // the first transfer creates the text
             {content, "<e>old</e>", "old", "new", "<e>new</e>"},
             {content, "<e><c/></e>", "", "text", "<e>text<c/></e>"}, // beside a child element
             {content, "<e><c/>old</e>", "old", "new", "<e><c/>new</e>"},
         }) {
        const wxXmlNode* schemaElement = describe(r.settings, r.schema);
        std::unique_ptr<xmlTextCtrl> field(new xmlTextCtrl(&dialog, element, schemaElement));
        ASSERT_TRUE(dialog.TransferDataToWindow());
        EXPECT_EQ(r.shown, field->GetValue()) << r.settings;
        field->ChangeValue(r.typed);
        ASSERT_TRUE(dialog.TransferDataFromWindow());
        EXPECT_EQ(r.stored, xmlOf(element)) << r.settings;
    }
}

TEST_F(widgetFixture, optionBoxShowsLabelsAndStoresValues)
{
    // What the box lists and shows for the stored attribute, then what is
    // stored after choosing (nothing chosen: the shown text is stored back).
    struct row {
        const char* property;
        const char* settings;
        std::vector<wxString> listed;
        const char* shown;
        const char* choose;
        const char* stored;
    };
    const char* const optional = "<property name='m' optional='true'>";
    const char* const required = "<property name='m'>";
    const std::vector<wxString> withEmpty{"<empty>", "Fast", "slow"}, withoutEmpty{"Fast", "slow"};
    for (const row& r : std::vector<row>{
             {optional, "<e m='fast'/>", withEmpty, "Fast", "<empty>", "<e/>"},
             {optional, "<e/>", withEmpty, "<empty>", "slow", "<e m=\"slow\"/>"},
             {optional, "<e m='slow'/>", withEmpty, "slow", "Fast", "<e m=\"fast\"/>"},
             // Absent, with no option of empty value: "<empty>", and still absent.
             {required, "<e/>", withoutEmpty, "<empty>", "", "<e/>"},
             // A value no option lists is shown and kept.
             {required, "<e m='medium' x='1'/>", withoutEmpty, "medium", "", "<e m=\"medium\" x=\"1\"/>"},
             {required, "<e m='medium'/>", withoutEmpty, "medium", "slow", "<e m=\"slow\"/>"},
         }) {
        const std::string schemaXml = std::string(r.property) + modeOptions;
        const wxXmlNode* property = describe(r.settings, schemaXml);
        std::unique_ptr<xmlComboBox> box(new xmlComboBox(&dialog, element, property));
        SCOPED_TRACE(schemaXml + " on " + r.settings);
        ASSERT_TRUE(dialog.TransferDataToWindow());
        EXPECT_EQ(r.shown, box->GetValue());
        std::vector<wxString> items;
        for (unsigned i = 0; i < box->GetCount(); ++i)
            if (i < r.listed.size() || box->GetString(i) != r.shown) // the shown value may be offered too
                items.push_back(box->GetString(i));
        EXPECT_EQ(r.listed, items);
        if (*r.choose) {
            ASSERT_TRUE(box->SetStringSelection(r.choose));
        }
        ASSERT_TRUE(dialog.TransferDataFromWindow());
        EXPECT_EQ(r.stored, xmlOf(element));
    }

    // An option of empty value stands for the absent attribute.
    const wxXmlNode* property = describe("<e/>", "<property name='m'><option label='Default'/></property>");
    std::unique_ptr<xmlComboBox> box(new xmlComboBox(&dialog, element, property));
    ASSERT_TRUE(dialog.TransferDataToWindow());
    EXPECT_EQ("Default", box->GetValue());
}

TEST_F(widgetFixture, changeButtonOpensTheChooserAtTheFieldsPath)
{
    scratchDir dir;
    // Folders as the choosers give them back: with the system's own separators.
    const wxString logs = wxFileName(wxString::FromUTF8(dir.mkdir("logs"))).GetFullPath();
    const wxString first = wxString::FromUTF8(dir.write("logs/first.log", "1"));
    const wxString second = wxString::FromUTF8(dir.write("logs/second.log", "2"));
    const wxString other = wxFileName(wxString::FromUTF8(dir.mkdir("other"))).GetFullPath();
    describe("<e/>", "<p><property type='fs:file' pattern='Logs (*.log)|*.log'/><property type='fs:file'/>"
                     "<property type='fs:directory'/></p>");
    const wxXmlNode* property = schema.GetRoot()->GetChildren();
    // A path field with its "..." button for the next property; clicking it.
    auto fieldFor = [&](const wxString& value) {
        auto* field = new wxTextCtrl(&dialog, wxID_ANY, value);
        auto* button = new changeButton(&dialog, field, property, "...");
        property = property->GetNext();
        return std::make_pair(field, [button] {
            wxCommandEvent event(wxEVT_BUTTON, button->GetId());
            button->ProcessWindowEvent(event);
        });
    };

    auto [file, clickFile] = fieldFor(first);
    wxTEST_DIALOG(clickFile(), expectFileChoice(second).inspect([&](wxFileDialog* chooser) {
        EXPECT_EQ("Choose a file", chooser->GetMessage());
        EXPECT_EQ(logs, chooser->GetDirectory());
        EXPECT_EQ("first.log", chooser->GetFilename());
        EXPECT_EQ("Logs (*.log)|*.log", chooser->GetWildcard());
    }));
    EXPECT_EQ(second, file->GetValue());

    auto [emptyFile, clickEmpty] = fieldFor("");
    wxTEST_DIALOG(clickEmpty(), expectFileChoice(first, wxID_CANCEL).inspect([](wxFileDialog* chooser) {
        EXPECT_EQ("", chooser->GetDirectory());
        EXPECT_EQ("", chooser->GetFilename());
        // wxMSW names a bare pattern: "All files (*.*)|*.*".
        EXPECT_EQ("*.*", chooser->GetWildcard().AfterLast('|'));
    }));
    EXPECT_EQ("", emptyFile->GetValue()) << "a cancelled chooser leaves the field alone";

    auto [folder, clickFolder] = fieldFor(logs);
    wxTEST_DIALOG(clickFolder(), expectDirChoice(other).inspect([](wxDirDialog* chooser) {
        EXPECT_EQ("Choose a directory", chooser->GetMessage());
    }));
    EXPECT_EQ(other, folder->GetValue());
}
