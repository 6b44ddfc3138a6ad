#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/menu.h>
#include <wx/sstream.h>
#include <wx/stattext.h>
#include <wx/xml/xml.h>

#include "support/guiSupport.h"
#include "xmlconfig/xmlText.h"
#include "xmlconfig/configuratorDialog.h"

namespace {
const char* const schemaXml = R"(<schema root-set="root">
 <node name="config" label="Config" children="sequence" child-set="entries" expand="true"
       window-caption="Config ${title}"><in set="root"/><property name="title" optional="true"/></node>
 <node name="alt-config" label="Other config" children="sequence" child-set="entries"><in set="root"/></node>
 <node name="host" label="Host ${name}" new-item-label="Host"><in set="entries"/>
  <property name="name" creation-value="new"/>
  <property name="port" type="integer" creation-value="80"/>
  <property name="mode" type="option" optional="true">
   <option value="fast" label="Fast"/><option value="slow"/></property>
  <property name="secret" optional="true" password="true"/></node>
 <node name="list" label="List" children="sequence" child-set="entries"><in set="entries"/></node>
 <node name="pair" label="Pair" children="strict-sequence" expand="true"><in set="entries"/>
  <child from-set="left"/><child from-set="right"/></node>
 <node name="left-a" label="Left A"><in set="left"/><property name="v" optional="true" creation-value="0"/></node>
 <node name="left-b" label="Left B"><in set="left"/></node>
 <node name="right" label="Right ${w}"><in set="right"/><property name="w"/></node>
 <template set-name="right" type="default" label="Standard right"><right w="std"><extra/></right></template>
 <template set-name="entries" label="Local host"><host name="localhost" port="8080"/></template>
</schema>)";

// Items of the root: Host alpha, Host beta, List, Pair, legacy (undescribed),
// the insertion item.
const char* const settingsXml = "<config title='main'><host name='alpha' port='1'/>"
                                "<host name='beta' port='2' mode='slow'/><list/>"
                                "<pair><left-a v='x'/><right w='y'/></pair>"
                                "<legacy keep='me'><inner>text &amp; more</inner><!-- note --></legacy></config>";

void setClipboard(const wxString& text)
{
    ASSERT_TRUE(wxTheClipboard->Open());
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
}

wxString clipboardText()
{
    wxTextDataObject data;
    EXPECT_TRUE(wxTheClipboard->Open() && wxTheClipboard->GetData(data));
    wxTheClipboard->Close();
    return data.GetText();
}

template <class T>
std::vector<T*> windowsOf(wxWindow* dialog)
{
    std::vector<T*> found;
    for (wxWindow* w : dialog->GetChildren())
        if (T* t = dynamic_cast<T*>(w))
            found.push_back(t);
    return found;
}

bool showsText(wxWindow* dialog, const wxString& text)
{
    for (wxStaticText* t : windowsOf<wxStaticText>(dialog))
        if (t->GetLabel() == text)
            return true;
    return false;
}

std::vector<wxTreeItemId> childrenOf(wxTreeCtrl* tree, const wxTreeItemId& parent)
{
    std::vector<wxTreeItemId> items;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId c = tree->GetFirstChild(parent, cookie); c.IsOk(); c = tree->GetNextChild(parent, cookie))
        items.push_back(c);
    return items;
}

// The test schema with more declarations and templates at its end.
std::string schemaWith(const std::string& more)
{
    std::string xml = schemaXml;
    return xml.insert(xml.rfind("</schema>"), more);
}

class editor : public ::testing::Test {
protected:
    wxXmlDocument schema, settings;
    std::unique_ptr<xmlConfiguratorDialog> dialog;

    void open(const std::string& xml = settingsXml, const std::string& schemaText = schemaXml)
    {
        load(schema, schemaText);
        load(settings, xml);
        dialog = std::make_unique<xmlConfiguratorDialog>(schema.GetRoot(), settings);
    }

    wxTreeCtrl* tree() const { return dialog->documentTree(); }
    wxTreeItemId root() const { return tree()->GetRootItem(); }
    wxTreeItemId child(const wxTreeItemId& parent, size_t index) const
    {
        const auto items = childrenOf(tree(), parent);
        return index < items.size() ? items[index] : wxTreeItemId();
    }
    std::vector<wxString> labels(const wxTreeItemId& parent) const
    {
        std::vector<wxString> texts;
        for (const wxTreeItemId& c : childrenOf(tree(), parent))
            texts.push_back(tree()->GetItemText(c));
        return texts;
    }
    std::string document() const { return xmlOf(settings.GetRoot()); }
    std::vector<xmlTextCtrl*> fields() const { return windowsOf<xmlTextCtrl>(dialog.get()); }

    void send(wxEventType type, int id)
    {
        wxCommandEvent event(type, id);
        dialog->ProcessWindowEvent(event);
    }
    // Whether the item's context menu offers the command; the item becomes
    // the one the menu commands act on.
    bool offered(const wxTreeItemId& item, int id)
    {
        std::unique_ptr<wxMenu> menu(dialog->contextMenuFor(item));
        return menu->FindItem(id) && menu->IsEnabled(id);
    }
    void menuCommand(const wxTreeItemId& item, int id)
    {
        ASSERT_TRUE(offered(item, id)) << "menu command " << id;
        send(wxEVT_MENU, id);
    }
    // Selects a choice (or, with `group`, its group) in the panel's choice tree.
    void choose(const wxString& label, bool group = false)
    {
        wxTreeCtrl* choices = dialog->panelChoiceTree();
        ASSERT_TRUE(choices);
        for (const wxTreeItemId& g : childrenOf(choices, choices->GetRootItem()))
            for (const wxTreeItemId& c : childrenOf(choices, g))
                if (choices->GetItemText(c) == label) {
                    choices->SelectItem(group ? g : c);
                    return;
                }
        FAIL() << "no choice " << label;
    }
    // The groups of the panel's choice tree, each with its choices.
    std::vector<std::vector<wxString>> choiceGroups() const
    {
        std::vector<std::vector<wxString>> groups;
        wxTreeCtrl* choices = dialog->panelChoiceTree();
        if (!choices)
            return groups;
        for (const wxTreeItemId& g : childrenOf(choices, choices->GetRootItem())) {
            groups.push_back({choices->GetItemText(g)});
            for (const wxTreeItemId& c : childrenOf(choices, g))
                groups.back().push_back(choices->GetItemText(c));
        }
        return groups;
    }
};
}

TEST_F(editor, insertingIntoAnEmptySequenceAddsTheFirstChildAndSelectsIt)
{
    open();
    EXPECT_EQ("Config main", dialog->GetTitle());
    const wxTreeItemId list = child(root(), 2);
    ASSERT_EQ(std::vector<wxString>{"<Insert new node>"}, labels(list));
    ASSERT_TRUE(dialog->selectItem(child(list, 0)));

    // Nothing chosen, or only a group, is no choice.
    for (bool group : {false, true}) {
        if (group)
            choose("Host", true);
        wxTEST_DIALOG(send(wxEVT_BUTTON, xmlConfiguratorDialog::idInsert),
                      expectMessage(wxOK, "You need to select one of the items or templates to insert.",
                                    "Configuration editor"));
    }
    EXPECT_EQ(1u, labels(list).size());

    choose("Host");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idInsert);
    ASSERT_EQ(2u, labels(list).size());
    EXPECT_EQ(child(list, 0), tree()->GetSelection());
    ASSERT_EQ(3u, fields().size()) << "the new host's panel is shown";
    EXPECT_EQ("new", fields()[0]->GetValue());
    ASSERT_TRUE(dialog->selectItem(list));
    EXPECT_EQ((std::vector<wxString>{"Host new", "<Insert new node>"}), labels(list));
    EXPECT_NE(std::string::npos, document().find("<list><host name=\"new\" port=\"80\" mode=\"\"/></list>"))
        << document();
}

TEST_F(editor, replacingTheFirstChildKeepsItsSiblingsInOrder)
{
    open();
    ASSERT_TRUE(dialog->selectItem(child(root(), 0)));
    choose("List");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idReplace);
    EXPECT_EQ((std::vector<wxString>{"List", "Host beta", "List", "Pair", "legacy (not described by the schema)",
                                     "<Insert new node>"}),
              labels(root()));
    EXPECT_EQ(child(root(), 0), tree()->GetSelection());
    EXPECT_NE(std::string::npos,
              document().find("<config title=\"main\"><list/><host name=\"beta\" port=\"2\" mode=\"slow\"/><list/>"))
        << document();
}

TEST_F(editor, theRootCanBeReplacedAndPastedOverButNotDeletedOrCut)
{
    // Without the undescribed element, which would make the copy unfit.
    open("<config title='main'><host name='alpha' port='1'/><list><list/></list></config>");
    const std::string original = document();
    ASSERT_TRUE(dialog->selectItem(root()));
    EXPECT_TRUE(dialog->FindWindow(xmlConfiguratorDialog::idReplace));
    EXPECT_FALSE(dialog->FindWindow(xmlConfiguratorDialog::idDelete));
    EXPECT_TRUE(showsText(dialog.get(), "This item can not be deleted."));
    EXPECT_FALSE(offered(root(), xmlConfiguratorDialog::idCut));
    EXPECT_FALSE(offered(root(), xmlConfiguratorDialog::idMenuDelete));
    EXPECT_TRUE(offered(child(root(), 0), xmlConfiguratorDialog::idCut));
    menuCommand(root(), xmlConfiguratorDialog::idCopy);

    choose("Other config");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idReplace);
    EXPECT_EQ("<alt-config/>", document());
    EXPECT_EQ("Other config", tree()->GetItemText(root()));
    EXPECT_EQ(std::vector<wxString>{"<Insert new node>"}, labels(root()));

    menuCommand(root(), xmlConfiguratorDialog::idPaste);
    EXPECT_EQ(original, document());
    EXPECT_EQ("Config", tree()->GetItemText(root()));
    EXPECT_EQ((std::vector<wxString>{"Host alpha", "List", "<Insert new node>"}), labels(root()));
    EXPECT_EQ((std::vector<wxString>{"List", "<Insert new node>"}), labels(child(root(), 1)));
    EXPECT_EQ(root(), tree()->GetSelection());
}

TEST_F(editor, strictSequencesAreMadeWholeAndTheirChildrenReplacedButNeverDeleted)
{
    open();
    // A new pair gets both children: the first set's first declaration, the
    // second set's default template.
    ASSERT_TRUE(dialog->selectItem(child(root(), 5)));
    choose("Pair");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idInsert);
    const wxTreeItemId pair = child(root(), 5);
    EXPECT_EQ(pair, tree()->GetSelection());
    EXPECT_EQ((std::vector<wxString>{"Left A", "Right std"}), labels(pair));
    EXPECT_TRUE(tree()->IsExpanded(pair));
    EXPECT_NE(std::string::npos, document().find("</legacy><pair><left-a v=\"0\"/><right w=\"std\"><extra/></right>"
                                                 "</pair></config>"))
        << document();

    ASSERT_TRUE(dialog->selectItem(child(pair, 0)));
    EXPECT_TRUE(showsText(dialog.get(), "This item can not be deleted."));
    EXPECT_FALSE(dialog->FindWindow(xmlConfiguratorDialog::idDelete));
    EXPECT_FALSE(offered(child(pair, 1), xmlConfiguratorDialog::idCut));
    EXPECT_FALSE(offered(child(pair, 1), xmlConfiguratorDialog::idMenuDelete));
    const wxTreeItemId old = child(root(), 3);
    ASSERT_TRUE(dialog->selectItem(child(old, 0)));
    choose("Left B");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idReplace);
    ASSERT_TRUE(dialog->selectItem(child(old, 1)));
    choose("Standard right");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idReplace);
    EXPECT_EQ((std::vector<wxString>{"Left B", "Right std"}), labels(old));
    EXPECT_NE(std::string::npos, document().find("<pair><left-b/><right w=\"std\"><extra/></right></pair><legacy"))
        << document();
}

TEST_F(editor, anInvalidValueKeepsTheSelectionWithOneMessage)
{
    open();
    const wxTreeItemId alpha = child(root(), 0), beta = child(root(), 1);
    ASSERT_TRUE(dialog->selectItem(alpha));
    ASSERT_EQ(3u, fields().size()); // name, port, secret
    fields()[0]->ChangeValue("gamma");
    fields()[1]->ChangeValue("eighty");
    const char* const message = "The port property of this item has to be an integer.";
    wxTEST_DIALOG(tree()->SelectItem(beta), expectMessage(wxOK, message, "Validation error"));
    EXPECT_EQ(alpha, tree()->GetSelection());
    wxTEST_DIALOG(EXPECT_FALSE(dialog->selectItem(beta)), expectMessage(wxOK, message, "Validation error"));
    EXPECT_EQ(alpha, tree()->GetSelection());
    EXPECT_EQ("Host alpha", tree()->GetItemText(alpha));
    EXPECT_NE(std::string::npos, document().find("<host name=\"alpha\" port=\"1\"/>"));

    fields()[1]->ChangeValue("8080");
    tree()->SelectItem(beta);
    EXPECT_EQ(beta, tree()->GetSelection());
    EXPECT_EQ("Host gamma", tree()->GetItemText(alpha)) << "the item left is labelled anew";
    EXPECT_NE(std::string::npos, document().find("<host name=\"gamma\" port=\"8080\"/>")) << document();
}

TEST_F(editor, copyChecksThePanelOnlyWhenItIsPartOfTheCopy)
{
    open();
    setClipboard("unchanged");
    ASSERT_TRUE(dialog->selectItem(child(root(), 0)));
    fields()[1]->ChangeValue("x");
    wxTEST_DIALOG(menuCommand(root(), xmlConfiguratorDialog::idCopy),
                  expectMessage(wxOK, "The port property of this item has to be an integer.", "Validation error"),
                  expectMessage(wxOK,
                                "The current properties contain invalid information, so they cannot be put into "
                                "the clipboard.",
                                "Clipboard operation"));
    EXPECT_EQ("unchanged", clipboardText());
    wxTEST_DIALOG(menuCommand(child(root(), 0), xmlConfiguratorDialog::idCut),
                  expectMessage(wxOK, "The port property of this item has to be an integer."),
                  expectMessage(wxOK, wxString(), "Clipboard operation"));
    EXPECT_EQ(6u, labels(root()).size()) << "a failed Cut deletes nothing";

    menuCommand(child(root(), 1), xmlConfiguratorDialog::idCopy);
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host name=\"beta\" port=\"2\" mode=\"slow\"/>\n",
              clipboardText());

    fields()[1]->ChangeValue("3");
    menuCommand(child(root(), 0), xmlConfiguratorDialog::idCut);
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host name=\"alpha\" port=\"3\"/>\n", clipboardText())
        << "the panel's values are part of the copy";
    EXPECT_EQ("Host beta", tree()->GetItemText(child(root(), 0)));
    EXPECT_EQ(root(), tree()->GetSelection());
}

TEST_F(editor, pasteIsOfferedOnlyForAFittingElement)
{
    open();
    const wxTreeItemId alpha = child(root(), 0), left = child(child(root(), 3), 0), insertion = child(root(), 5);
    ASSERT_TRUE(dialog->selectItem(alpha));
    struct row {
        const char* clipboard;
        bool onHost, onInsertion, onLeft;
    };
    for (const row& r : std::vector<row>{
             {"", false, false, false},
             {"host name='x' port='1'", false, false, false},           // not XML
             {"<host name='x' port='1' extra='y'/>", true, true, false},
             {"<host name='x'/>", false, false, false},                 // a required attribute is missing
             {"<right w='1'/>", false, false, false},                   // not at this position
             {"<left-b/>", false, false, true},
             {"<pair><left-b/></pair>", false, false, false},            // a position left empty
         }) {
        setClipboard(wxString::FromUTF8(r.clipboard));
        EXPECT_EQ(r.onHost, offered(alpha, xmlConfiguratorDialog::idPaste)) << r.clipboard;
        EXPECT_EQ(r.onInsertion, offered(insertion, xmlConfiguratorDialog::idPaste)) << r.clipboard;
        EXPECT_EQ(r.onLeft, offered(left, xmlConfiguratorDialog::idPaste)) << r.clipboard;
    }
    std::unique_ptr<wxMenu> menu(dialog->contextMenuFor(insertion));
    EXPECT_EQ(1u, menu->GetMenuItemCount()) << "an insertion item offers only Paste";

    setClipboard("<host name='pasted' port='5'/>");
    menuCommand(insertion, xmlConfiguratorDialog::idPaste);
    menuCommand(alpha, xmlConfiguratorDialog::idPaste);
    EXPECT_EQ("Host pasted", tree()->GetItemText(alpha));
    EXPECT_EQ("Host pasted", tree()->GetItemText(child(root(), 5)));
    EXPECT_EQ(alpha, tree()->GetSelection());
    EXPECT_EQ("pasted", fields()[0]->GetValue()) << "the panel shows the pasted element";
    EXPECT_NE(std::string::npos, document().find("<config title=\"main\"><host name=\"pasted\" port=\"5\"/>"));
    EXPECT_NE(std::string::npos, document().find("</legacy><host name=\"pasted\" port=\"5\"/></config>"));
}

TEST_F(editor, runConfiguratorTellsOkFromCancel)
{
    load(schema, schemaXml);
    load(settings, settingsXml);
    const std::string original = xmlOf(settings.GetRoot());
    // Renames the first host and leaves with the given button.
    struct expectEditor : wxExpectModalBase<xmlConfiguratorDialog, expectEditor> {
        int button;
        explicit expectEditor(int b) : button(b) {}
        int OnInvoked(xmlConfiguratorDialog* dialog) const override
        {
            wxTreeCtrl* tree = dialog->documentTree();
            EXPECT_TRUE(dialog->selectItem(childrenOf(tree, tree->GetRootItem()).at(0)));
            windowsOf<xmlTextCtrl>(dialog).at(0)->ChangeValue("renamed");
            wxCommandEvent click(wxEVT_BUTTON, button);
            dialog->ProcessWindowEvent(click);
            return button;
        }
    };
    for (int button : {wxID_CANCEL, wxID_OK}) {
        wxXmlDocument copy(settings);
        bool result = button != wxID_OK;
        wxTEST_DIALOG(result = runConfigurator(schema, copy), expectEditor(button));
        EXPECT_EQ(button == wxID_OK, result);
        EXPECT_EQ(original, xmlOf(settings.GetRoot()));
        EXPECT_EQ(button == wxID_OK, xmlOf(copy.GetRoot()).find("name=\"renamed\"") != std::string::npos);
    }
}

TEST_F(editor, undescribedElementsAreShownButKeptAsTheyAre)
{
    // "mystery" stands where a strict sequence wants a "left" element.
    std::string xml = settingsXml;
    const std::string left = "<left-a v='x'/>";
    xml.replace(xml.find(left), left.size(), "<mystery a='1'><m/></mystery>");
    open(xml);
    const std::string original = document();
    const wxTreeItemId legacy = child(root(), 4), mystery = child(child(root(), 3), 0);
    EXPECT_EQ("mystery (not described by the schema)", tree()->GetItemText(mystery));
    EXPECT_FALSE(tree()->ItemHasChildren(legacy));
    for (const wxTreeItemId& item : {legacy, mystery}) {
        ASSERT_TRUE(dialog->selectItem(item));
        EXPECT_TRUE(fields().empty());
        EXPECT_TRUE(windowsOf<xmlComboBox>(dialog.get()).empty());
        EXPECT_FALSE(dialog->panelChoiceTree());
        EXPECT_TRUE(offered(item, xmlConfiguratorDialog::idCopy));
    }
    menuCommand(legacy, xmlConfiguratorDialog::idCopy);
    EXPECT_FALSE(offered(child(root(), 5), xmlConfiguratorDialog::idPaste));

    // Visiting every item and closing with OK changes nothing.
    std::function<void(const wxTreeItemId&)> visit = [&](const wxTreeItemId& item) {
        EXPECT_TRUE(dialog->selectItem(item)) << tree()->GetItemText(item);
        for (const wxTreeItemId& c : childrenOf(tree(), item))
            visit(c);
    };
    visit(root());
    send(wxEVT_BUTTON, wxID_OK);
    EXPECT_EQ(original, document());
}

TEST_F(editor, nothingIsSelectedAtFirstAndAClickOnTheRootShowsItsPanel)
{
    open();
    EXPECT_FALSE(tree()->GetSelection().IsOk());
    EXPECT_FALSE(tree()->IsSelected(root()));
    EXPECT_TRUE(fields().empty());

    dialog->Show();
    for (int i = 0; i < 200 && !tree()->IsShownOnScreen(); ++i)
        wxTheApp->Yield(true);
    // Idle time, when wx's own tree (GTK's) would pick its root by itself.
    // Windows' tree selects its first item as it takes the focus when the
    // dialog is shown, with that item's panel: the system's way, kept.
    for (int i = 0; i < 5; ++i) {
        wxTheApp->ProcessIdle();
        wxTheApp->Yield(true);
    }
#ifndef __WXMSW__
    EXPECT_FALSE(tree()->GetSelection().IsOk());
    EXPECT_FALSE(tree()->IsSelected(root()));
    EXPECT_TRUE(fields().empty());
#endif
    wxRect rect;
    ASSERT_TRUE(tree()->GetBoundingRect(root(), rect, true));
    for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
        wxMouseEvent click(type);
        click.SetPosition(rect.GetPosition() + wxPoint(2, rect.height / 2));
        click.m_leftDown = type == wxEVT_LEFT_DOWN;
        click.SetEventObject(tree());
        tree()->ProcessWindowEvent(click);
    }
    EXPECT_EQ(root(), tree()->GetSelection());
    ASSERT_EQ(1u, fields().size()) << "the root's title field";
    EXPECT_EQ("main", fields()[0]->GetValue());
    dialog->Hide();

    // From the keyboard: the first arrow key picks the first item.
    dialog.reset();
    open();
    dialog->Show();
    wxKeyEvent down(wxEVT_CHAR);
    down.m_keyCode = WXK_DOWN;
    down.SetEventObject(tree());
    tree()->ProcessWindowEvent(down);
    EXPECT_EQ(root(), tree()->GetSelection());
    EXPECT_EQ(1u, fields().size());
    dialog->Hide();
}

TEST_F(editor, aTemplateWithoutAnElementIsNeverOffered)
{
    open(settingsXml, schemaWith("<template set-name='entries' label='Empty'/>"
                                 "<template set-name='entries' label='Commented'><!-- a spare host -->"
                                 "<host name='spare' port='3'/></template>"
                                 "<template set-name='left' label='Only text'>left-a</template>"));
    ASSERT_TRUE(dialog->selectItem(child(root(), 5)));
    const std::vector<std::vector<wxString>> entries = {{"Templates", "Local host", "Commented"},
                                                        {"Items", "Host", "List", "Pair"}};
    EXPECT_EQ(entries, choiceGroups());
    choose("Commented");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idInsert);
    EXPECT_EQ("Host spare", tree()->GetItemText(child(root(), 5)));
    EXPECT_NE(std::string::npos, document().find("</legacy><host name=\"spare\" port=\"3\"/></config>"))
        << document();

    ASSERT_TRUE(dialog->selectItem(child(child(root(), 3), 0)));
    const std::vector<std::vector<wxString>> left = {{"Items", "Left A", "Left B"}};
    EXPECT_EQ(left, choiceGroups()) << "no empty group of templates";
}

TEST_F(editor, propertiesAndNodesWithoutAUsableNameAreNeitherShownNorWritten)
{
    std::string schemaText = schemaWith("<node label='Nameless'><in set='entries'/></node>"
                                        "<node name='bad name' label='Bad'><in set='entries'/></node>");
    const std::string secret = "<property name=\"secret\"";
    schemaText.insert(schemaText.find(secret), "<property label='Unnamed' creation-value='x'/>"
                                               "<property name='port' label='Port again' creation-value='99'/>"
                                               "<property name='bad name' creation-value='y'/>");
    open(settingsXml, schemaText);
    ASSERT_TRUE(dialog->selectItem(child(root(), 5)));
    const std::vector<std::vector<wxString>> entries = {{"Templates", "Local host"},
                                                        {"Items", "Host", "List", "Pair"}};
    EXPECT_EQ(entries, choiceGroups());
    choose("Host");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idInsert);
    EXPECT_EQ(3u, fields().size()) << "name, port and secret only";
    EXPECT_NE(std::string::npos,
              document().find("</legacy><host name=\"new\" port=\"80\" mode=\"\" secret=\"\"/></config>"))
        << document();

    // Every value stored, the document still reads back.
    ASSERT_TRUE(dialog->selectItem(root()));
    wxStringOutputStream out;
    ASSERT_TRUE(settings.Save(out));
    wxXmlDocument reread;
    EXPECT_TRUE(load(reread, out.GetString().utf8_string()));
}

TEST_F(editor, aChildOfAStrictSequenceAfterAnEmptyPositionKeepsItsOwnPosition)
{
    std::string xml = settingsXml;
    const std::string left = "<left-a v='x'/>";
    xml.erase(xml.find(left), left.size());
    open(xml);
    const wxTreeItemId pair = child(root(), 3);
    EXPECT_EQ(std::vector<wxString>{"Right y"}, labels(pair));

    // Replacing it offers what its own position takes.
    ASSERT_TRUE(dialog->selectItem(child(pair, 0)));
    ASSERT_FALSE(choiceGroups().empty());
    EXPECT_EQ((std::vector<wxString>{"Templates", "Standard right"}), choiceGroups()[0]);
    choose("Standard right");
    send(wxEVT_BUTTON, xmlConfiguratorDialog::idReplace);
    EXPECT_EQ(std::vector<wxString>{"Right std"}, labels(pair));
    EXPECT_NE(std::string::npos, document().find("<pair><right w=\"std\"><extra/></right></pair>")) << document();
    ASSERT_TRUE(dialog->selectItem(child(pair, 0)));
    EXPECT_EQ((std::vector<wxString>{"Templates", "Standard right"}), choiceGroups()[0]) << "after the replacement too";
}
