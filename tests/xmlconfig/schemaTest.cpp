#include <gtest/gtest.h>

#include <memory>

#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include "xmlconfig/schemaModel.h"
#include "xmlconfig/schemaText.h"
#include "xmlconfig/substitution.h"
#include "xmlconfig/validation.h"
#include "support/testSupport.h"
#include "xmlconfig/xmlText.h"

namespace {
std::unique_ptr<wxXmlDocument> parse(const std::string& xml)
{
    auto document = std::make_unique<wxXmlDocument>();
    load(*document, xml);
    return document;
}

// An element written in XML, with the root it lives in kept alive.
struct fragment {
    std::unique_ptr<wxXmlDocument> document;
    const wxXmlNode* element() const { return document->GetRoot(); }
};

fragment element(const std::string& xml)
{
    return fragment{parse(xml)};
}

const char* const schemaText = R"(<schema root-set="root">
  <node name="settings" children="sequence" child-set="items"><in set="root"/></node>
  <node name="item" label="first"><in set="items"/><in set="other"/>
    <property name="a"/><property name="b" optional="true"/><property name="c" optional="TRUE"/></node>
  <node name="item" label="second"><in set="items"/><property name="id"/></node>
  <node name="pair" children="strict-sequence"><in set="items"/>
    <child from-set="left"/><ignored/><child from-set="right"/></node>
  <node name="odd" children="Sequence" child-set="items"><in set="items"/></node>
  <node name="orphan"/>
  <node name="half"><in/><in set="left"/><property name="x" creation-value="5"/>
    <content creation-value="hello"/><property name="y" ignore="true" creation-value="i"/><property name="z"/></node>
  <node name="r"><in set="right"/></node>
  <template set-name="right" type="default" label="one"><r v="1"/></template>
  <template set-name="right" type="default"><r v="2"><deep/></r></template>
  <template set-name="items" label="plain"><item id="t"/></template>
  <other/>
</schema>)";
}

TEST(schemaModel, indexesDeclarationsAndTemplatesBySet)
{
    auto schema = parse(schemaText);
    SchemaModel model(schema->GetRoot());
    EXPECT_EQ("root", model.rootSet);
    ASSERT_EQ(4u, model.nodesBySet["items"].size()) << "both declarations named item, in document order";
    EXPECT_EQ("first", model.nodesBySet["items"][0]->GetAttribute("label"));
    EXPECT_EQ("second", model.lookupDeclaration("items", "item")->GetAttribute("label")) << "the later one wins";
    EXPECT_EQ("first", model.lookupDeclaration("other", "item")->GetAttribute("label")) << "member of two sets";
    EXPECT_EQ(nullptr, model.lookupDeclaration("", "orphan"));
    EXPECT_EQ(nullptr, model.lookupDeclaration("", "half")) << "an \"in\" without a set is ignored";
    EXPECT_EQ(nullptr, model.lookupDeclaration("nowhere", "item"));
    EXPECT_EQ("half", model.firstDeclarationOf("left")->GetAttribute("name"));
    EXPECT_EQ(nullptr, model.firstDeclarationOf("nowhere"));
    EXPECT_EQ(2u, model.templatesBySet["right"].size());
    EXPECT_EQ("2", model.defaultTemplateBySet["right"]->GetChildren()->GetAttribute("v")) << "the later default";
    EXPECT_EQ(0u, model.defaultTemplateBySet.count("items"));
}

TEST(schemaModel, positionsConformanceAndNewElements)
{
    auto schema = parse(schemaText);
    SchemaModel model(schema->GetRoot());
    const wxXmlNode* pair = model.lookupDeclaration("items", "pair");
    EXPECT_EQ("root", model.allowedSetAt(nullptr, 0));
    EXPECT_EQ("items", model.allowedSetAt(model.lookupDeclaration("root", "settings"), 7));
    EXPECT_EQ("left", model.allowedSetAt(pair, 0));
    EXPECT_EQ("right", model.allowedSetAt(pair, 1)) << "other children of the declaration do not count";
    EXPECT_EQ("", model.allowedSetAt(pair, 2));
    EXPECT_EQ("", model.allowedSetAt(model.lookupDeclaration("items", "odd"), 0)) << "\"Sequence\" acts as none";

    const struct {
        const char* xml;
        const char* set;
        const char* name;
        bool conforms;
    } cases[] = {
        {"<item id='1' extra='x'/>", "items", "item", true},
        {"<item/>", "items", "item", false},
        {"<item a='1' c=''/>", "other", "item", true},
        {"<item a='1'/>", "other", "item", false}, // "TRUE" is not optional
        {"<settings><item id='1'/><pair><half x='' y='' z=''/><r/></pair></settings>", "root", "settings", true},
        {"<settings><item id='1'/><unknown/></settings>", "root", "settings", false},
        {"<pair><half x='' y='' z=''/></pair>", "items", "pair", false},
        {"<pair><half x='' y='' z=''/><r/><r/></pair>", "items", "pair", false},
        {"<pair><r/><half x='' y='' z=''/></pair>", "items", "pair", false},
        {"<odd><anything/></odd>", "items", "odd", true},
        {"<other id='1'/>", "items", "item", false},
    };
    for (const auto& c : cases) {
        fragment f = element(c.xml);
        EXPECT_EQ(c.conforms, model.conformsTo(f.element(), model.lookupDeclaration(c.set, c.name))) << c.xml;
    }

    // Attributes in declaration order (ignored ones too), the text, and for a
    // strict sequence every child: from the default template, else the first
    // declaration of the set.
    std::unique_ptr<wxXmlNode> made(model.fillNewNode(pair));
    EXPECT_EQ("<pair><half x=\"5\" y=\"i\" z=\"\">hello</half><r v=\"2\"><deep/></r></pair>", xmlOf(made.get()));
    made.reset(model.fillNewNode(model.lookupDeclaration("root", "settings")));
    EXPECT_EQ("<settings/>", xmlOf(made.get())) << "a sequence starts empty";

    // A position whose set has nothing to make stays empty; a strict sequence
    // that holds itself does not recurse for ever.
    auto odd = parse("<s><node name='p' children='strict-sequence'><in set='a'/><child from-set='none'/>"
                     "<child from-set='a'/></node></s>");
    SchemaModel oddModel(odd->GetRoot());
    made.reset(oddModel.fillNewNode(oddModel.lookupDeclaration("a", "p")));
    EXPECT_EQ(0u, xmlOf(made.get()).find("<p><p><p>"));
    // Two such positions would double at every level: the new element stays small.
    auto doubling = parse("<s><node name='d' children='strict-sequence'><in set='a'/><child from-set='a'/>"
                          "<child from-set='a'/></node></s>");
    SchemaModel doublingModel(doubling->GetRoot());
    made.reset(doublingModel.fillNewNode(doublingModel.lookupDeclaration("a", "d")));
    EXPECT_LE(xmlOf(made.get()).size(), 10001u * std::string("<d></d>").size());
}

TEST(schemaText, unescapingSamplesAndFallbacks)
{
    const struct {
        const char* in;
        const char* out;
    } escapes[] = {
        {"a\\nb\\tc", "a\nb\tc"},
        {"\\\\n", "\\\n"}, // "\n" goes first
        {"\\\\\\\\", "\\\\"},
        {"\\x", "\\x"},
    };
    for (const auto& e : escapes)
        EXPECT_EQ(e.out, unescapeText(e.in).utf8_string()) << e.in;

    fragment p = element("<property name='n' sample-label='wide' value='v'/>");
    EXPECT_EQ("wide", sampleText(p.element(), "label"));
    EXPECT_EQ("v", sampleText(p.element(), "value"));
    EXPECT_EQ("Sample text", sampleText(p.element(), "caption"));

    // Which texts are unescaped and which get references (the element's name is A).
    fragment item = element("<line name='A'/>");
    fragment d = element("<node name='line' label='L ${name}\\n' caption='C ${name}\\n' comment='c ${name}\\t' "
                         "window-caption='W ${name}\\n' new-item-label='N ${name}'>"
                         "<property name='name' label='P ${name}\\n' comment='t ${name}\\n'/></node>");
    const wxXmlNode* decl = d.element();
    const wxXmlNode* property = decl->GetChildren();
    EXPECT_EQ("L A\\n", itemLabel(item.element(), decl));
    EXPECT_EQ("C A\n", itemCaption(item.element(), decl));
    EXPECT_EQ("c A\t", panelComment(item.element(), decl));
    EXPECT_EQ("c A\t", itemTooltip(item.element(), decl)) << "the comment when there is no tooltip";
    EXPECT_EQ("W A\\n", windowCaption(item.element(), decl));
    EXPECT_EQ("P A\n", propertyLabel(item.element(), decl, property));
    EXPECT_EQ("t ${name}\n", propertyTooltip(property));
    EXPECT_EQ("N ${name}", choiceLabel(decl));

    fragment bare = element("<node/>");
    EXPECT_EQ("<unknown>", itemLabel(item.element(), bare.element()));
    EXPECT_EQ("", itemCaption(item.element(), bare.element()));
    EXPECT_EQ("", itemTooltip(item.element(), bare.element()));
    EXPECT_EQ("", windowCaption(item.element(), bare.element()));
    EXPECT_EQ("<Insert new node>", newItemLabel(bare.element()));
    EXPECT_EQ("Click here, select an option and push `Insert' to add a new node.", newItemTooltip(bare.element()));
    fragment named = element("<node name='n'/>");
    EXPECT_EQ("n", itemCaption(item.element(), named.element())) << "caption falls back to label, then name";
    fragment unnamed = element("<property/>");
    EXPECT_EQ("<unnamed property>", propertyLabel(item.element(), bare.element(), unnamed.element()));
    fragment t = element("<template/>");
    EXPECT_EQ("<unlabeled template>", templateLabel(t.element()));
}

TEST(substitution, referencesAsTheDeclarationPresentsThem)
{
    fragment d = element(
        "<node name='e'>"
        "<property name='name' empty-property-substitution='(new)'/>"
        "<property name='n' substitution-pattern='[$@|$@]' empty-property-substitution='none'/>"
        "<property name='o' type='option'><option value='1' substitution-value='on'/><option value='2'/></property>"
        "<property name='name' empty-property-substitution='second'/></node>");
    const struct {
        const char* element;
        const char* text;
        const char* result;
    } cases[] = {
        {"<e>X</e>", "$@$@", "XX"},
        {"<e/>", "[$@]", "[]"},
        {"<e><!--c--><![CDATA[Y]]>Z</e>", "$@", "Y"},
        {"<e name='A'/>", "${name}${name}", "AA"},
        {"<e name=''/>", "Line ${name}", "Line (new)"},
        {"<e/>", "Line ${name}", "Line (new)"},
        {"<e name='A'/>", "Cost: $5 ${name}", "Cost: $5 ${name}"},
        {"<e name='A'/>", "${name} ${name", "A ${name"},
        {"<e name='A'/>", "${name} and $", "A and $"},
        {"<e name='$@'/>", "${name}$@", "$@"}, // values are not scanned again
        {"<e name='A' _=''/>", "<${}>", "<>"},
        {"<e n='7'/>", "${n}", "[7|7]"},
        {"<e n='$@'/>", "${n}", "[$@|$@]"},
        {"<e n=''/>", "${n}", "none"},
        {"<e o='1'/>", "${o}", "on"},
        {"<e o='2'/>", "${o}", "2"},
        {"<e o='9'/>", "${o}", "9"},
        {"<e other='free'/>", "${other}", "free"}, // no property: the value as it is
        {"<e/>", "${a{b}", ""},
    };
    for (const auto& c : cases) {
        fragment e = element(c.element);
        std::string text = c.text;
        substituteReferences(e.element(), d.element(), text);
        EXPECT_EQ(c.result, text) << c.element << " " << c.text;
    }
}

TEST(validation, messagesForEachRule)
{
    scratchDir dir;
    const std::string file = dir.write("f.txt", "x");
    const struct {
        const char* schema;
        std::string value;
        const char* message;
    } cases[] = {
        {"<property name='port'/>", "", "The port property of this item is required."},
        {"<content/>", "", "The content of this item is required."},
        {"<property name='port' optional='true' type='integer'/>", "", ""},
        {"<property name='port' optional='TRUE'/>", "", "The port property of this item is required."},
        {"<property name='n' type='integer'/>", "12", ""},
        {"<property name='n' type='integer'/>", " +12", ""},
        {"<property name='n' type='integer'/>", "-0", ""},
        {"<property name='n' type='integer'/>", "12 ", "The n property of this item has to be an integer."},
        {"<property name='n' type='integer'/>", "0x10", "The n property of this item has to be an integer."},
        {"<property name='n' type='integer'/>", "+", "The n property of this item has to be an integer."},
        {"<property name='n' type='integer'/>", "99999999999999999999",
         "The n property of this item has to be an integer."},
        {"<property name='r' type='real'/>", "1.5", ""},
        {"<property name='r' type='real'/>", " -.5e-3", ""},
        {"<property name='r' type='real'/>", "7", ""},
        {"<property name='r' type='real'/>", "1,5", "The r property of this item has to be a real number."},
        {"<property name='r' type='real'/>", "nan", "The r property of this item has to be a real number."},
        {"<property name='r' type='real'/>", "1e", "The r property of this item has to be a real number."},
        {"<property name='r' type='real'/>", ".", "The r property of this item has to be a real number."},
        {"<content type='real'/>", "0x1p3", "The content of this item has to be a real number."},
        {"<property name='f' type='fs:file'/>", file, ""},
        {"<property name='f' type='fs:file'/>", dir.path(), "The f property of this item has to point to an existing file."},
        {"<property name='d' type='fs:directory'/>", dir.path(), ""},
        {"<property name='d' type='fs:directory'/>", file,
         "The d property of this item has to point to an existing directory."},
        {"<property name='s' type='option'/>", "anything", ""},
        {"<property name='s' type='colour'/>", "anything", ""},
    };
    for (const auto& c : cases) {
        fragment e = element(c.schema);
        EXPECT_EQ(c.message, validationMessage(e.element(), wxString::FromUTF8(c.value)).utf8_string())
            << c.schema << " " << c.value;
    }
}

TEST(schemaModel, namesTheWrittenFileCanHold)
{
    const struct {
        const char* name;
        bool valid;
    } cases[] = {
        {"a", true},
        {"_x:y-z.9", true},
        {":", true},
        {"gr\xC3\xB6\xC3\x9F" "e", true},   // größe
        {"a\xC2\xB7" "b", true},            // a middle dot inside a name
        {"", false},
        {"<unnamed field>", false},
        {"1a", false},
        {"-a", false},
        {"a b", false},
        {"a\"", false},
        {"\xC2\xB7" "a", false},            // ... but not at its start
        {"\xCD\xB0", false},                // U+0370: a letter of newer rules that the parser refuses
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.valid, isXmlName(wxString::FromUTF8(c.name))) << c.name;
}

TEST(schemaModel, propertiesAndDeclarationsWithoutAUsableNameAreIgnored)
{
    auto schema = parse(R"(<s root-set="r">
      <node><in set="a"/><property name="x"/></node>
      <node name="2nd"><in set="a"/></node>
      <node name="e"><in set="a"/><in set="r"/>
        <property name="k" creation-value="1" empty-property-substitution="K"/>
        <property creation-value="nameless" empty-property-substitution="N"/>
        <property name="" creation-value="empty"/>
        <property name="1x" creation-value="digit"/>
        <property name="k" creation-value="again" optional="true" empty-property-substitution="again"/>
        <property name="m" optional="true" creation-value="2"/></node>
    </s>)");
    SchemaModel model(schema->GetRoot());
    const wxXmlNode* e = model.lookupDeclaration("a", "e");
    ASSERT_TRUE(e);
    EXPECT_EQ(e, model.firstDeclarationOf("a")) << "a node without a valid name is never offered";
    EXPECT_EQ(1u, model.nodesBySet["a"].size());
    EXPECT_EQ(nullptr, model.lookupDeclaration("a", ""));
    EXPECT_EQ(std::vector<const wxXmlNode*>{e}, model.declarations);

    std::vector<wxString> names;
    for (const wxXmlNode* p : usableProperties(e))
        names.push_back(p->GetAttribute("name") + "=" + p->GetAttribute("creation-value"));
    EXPECT_EQ((std::vector<wxString>{"k=1", "m=2"}), names) << "the first of two properties named alike";

    std::unique_ptr<wxXmlNode> made(model.fillNewNode(e));
    EXPECT_EQ("<e k=\"1\" m=\"2\"/>", xmlOf(made.get()));
    const struct {
        const char* xml;
        bool conforms;
    } cases[] = {
        {"<e k='1'/>", true}, // neither the nameless nor the invalid property is required
        {"<e m='1'/>", false},
    };
    for (const auto& c : cases) {
        fragment f = element(c.xml);
        EXPECT_EQ(c.conforms, model.conformsTo(f.element(), e)) << c.xml;
    }
    fragment item = element("<e/>");
    std::string text = "${k}|${}";
    substituteReferences(item.element(), e, text);
    EXPECT_EQ("K|", text) << "references find the first usable property only";
}

TEST(schemaModel, whatATemplateInserts)
{
    const struct {
        const char* xml;
        const char* fragment; // null: the template offers nothing
    } cases[] = {
        {"<template><a/><b/></template>", "a"},
        {"<template/>", nullptr},
        {"<template><!-- the default --><a/></template>", "a"},
        {"<template><?editor hint?>\n  <a/></template>", "a"},
        {"<template>\n  <!-- only a comment -->\n</template>", nullptr},
        {"<template>text<a/></template>", nullptr},
        {"<template><![CDATA[<a/>]]></template>", nullptr},
    };
    for (const auto& c : cases) {
        wxXmlDocument document;
        wxStringInputStream in(wxString::FromUTF8(c.xml));
        ASSERT_TRUE(document.Load(in, "UTF-8", wxXMLDOC_KEEP_WHITESPACE_NODES)) << c.xml;
        const wxXmlNode* fragment = templateFragment(document.GetRoot());
        EXPECT_EQ(c.fragment ? c.fragment : "(none)", fragment ? fragment->GetName() : wxString("(none)")) << c.xml;
    }

    // A default template that offers nothing is no default: a new element
    // takes the set's first declaration instead; no choice offers it.
    auto schema = parse(R"(<s>
      <node name="p" children="strict-sequence"><in set="top"/><child from-set="x"/><child from-set="y"/></node>
      <node name="x1"><in set="x"/></node>
      <node name="y1"><in set="y"/></node>
      <template set-name="x" type="default" label="empty"/>
      <template set-name="y" type="default" label="commented"><!-- made by hand --><y2 v="1"/></template>
      <template set-name="y" label="text only">just text</template>
    </s>)");
    SchemaModel model(schema->GetRoot());
    std::unique_ptr<wxXmlNode> made(model.fillNewNode(model.lookupDeclaration("top", "p")));
    EXPECT_EQ("<p><x1/><y2 v=\"1\"/></p>", xmlOf(made.get()));
    EXPECT_EQ(0u, model.templatesBySet.count("x"));
    EXPECT_EQ(1u, model.templatesBySet["y"].size());
}

TEST(schemaModel, choicesOfASetAndTheElementsTheyMake)
{
    auto schema = parse(schemaText);
    SchemaModel model(schema->GetRoot());
    const struct {
        const char* set;
        std::vector<std::string> offered; // label: element made
    } cases[] = {
        {"right", {"one: <r v=\"1\"/>", "<unlabeled template>: <r v=\"2\"><deep/></r>", "r: <r/>"}},
        {"left", {"half: <half x=\"5\" y=\"i\" z=\"\">hello</half>"}},
        {"nowhere", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> offered;
        for (const schemaChoice& choice : model.choicesFor(c.set)) {
            std::unique_ptr<wxXmlNode> made(model.makeElement(choice));
            offered.push_back(choice.label.utf8_string() + ": " + xmlOf(made.get()));
        }
        EXPECT_EQ(c.offered, offered) << c.set;
    }
}

TEST(schemaModel, childrenOfAStrictSequenceKeepTheirPositions)
{
    auto schema = parse(R"(<s>
      <node name="p" children="strict-sequence"><in set="top"/>
        <child from-set="a"/><child from-set="b"/><child from-set="c"/></node>
      <node name="x"><in set="a"/></node><node name="y"><in set="b"/></node><node name="z"><in set="c"/></node>
    </s>)");
    SchemaModel model(schema->GetRoot());
    const std::size_t none = std::string::npos;
    const struct {
        const char* xml;
        std::vector<std::size_t> positions;
    } cases[] = {
        {"<p><x/><y/><z/></p>", {0, 1, 2}},
        {"<p><y/><z/></p>", {1, 2}},          // the first position left empty
        {"<p><x/><z/></p>", {0, 2}},
        {"<p><q/><z/></p>", {0, 2}},          // undescribed: the next position
        {"<p><z/><x/></p>", {2, none}},       // out of order: nothing remains
        {"<p><x/><x/><x/><x/></p>", {0, 1, 2, none}},
        {"<p/>", {}},
    };
    const wxXmlNode* p = model.lookupDeclaration("top", "p");
    for (const auto& c : cases) {
        fragment f = element(c.xml);
        EXPECT_EQ(c.positions, model.strictPositionsOf(elementChildren(f.element()), p)) << c.xml;
    }
}
