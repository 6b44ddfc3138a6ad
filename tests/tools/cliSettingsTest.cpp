#include <gtest/gtest.h>

#include <sstream>

#include "core/settings.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "tools/cli.h"

namespace {
const std::string schema = ORVISTA_SOURCE_DIR "/resources/settings/orv-config-schema.xml";

struct result {
    int status;
    std::string out;
    std::string err;
};

result check(const std::string& file, const std::string& schemaFile = schema)
{
    std::ostringstream out, err;
    int status = runCli({"settings", "--file", file, "--schema", schemaFile}, out, err);
    return {status, out.str(), err.str()};
}
}

TEST(cliSettings, shippedFilesAndASavedViewAreClean)
{
    result r = check(ORVISTA_SOURCE_DIR "/resources/settings/orv.xml");
    EXPECT_EQ(0, r.status) << r.out << r.err;
    EXPECT_EQ("", r.out);

    // What Orvista itself writes at close.
    scratchDir dir;
    const std::string saved = dir.write(
        "orv.xml", "<?xml version=\"1.0\"?>\n<orvista><paths logger-ini=\"\" copy-to=\"" + dir.path() +
                       "\"/><startup kind=\"week\" last-view-begin=\"2024-01-15 08:00:00\" "
                       "last-view-end=\"2024-01-16 08:00:00\" last-selection-begin=\"2024-01-15 09:00:00\" "
                       "last-selection-end=\"2024-01-15 10:00:00\" window-x0=\"-8\" window-y0=\"0\" "
                       "window-dx=\"1100\" window-dy=\"760\" window-maximized=\"false\">"
                       "<line name=\"Alpha\" selected=\"true\"/><line name=\"Front desk\" selected=\"false\"/>"
                       "</startup></orvista>");
    r = check(saved);
    EXPECT_EQ(0, r.status) << r.out << r.err;
}

TEST(cliSettings, everyProblemOnItsOwnLineWithTheEditorsWords)
{
    scratchDir dir;
    const std::string broken = dir.write(
        "orv.xml", "<orvista><paths logger-ini=\"" + dir.at("missing.ini") +
                       "\"/><startup window-x0=\"left\" window-dy=\"12 \">"
                       "<line name=\"A\" selected=\"true\"/><line selected=\"true\"/><stray/></startup>"
                       "<unknown/></orvista>");
    result r = check(broken);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("/orvista/paths: The logger-ini property of this item has to point to an existing file.\n"
              "/orvista/startup: The window-x0 property of this item has to be an integer.\n"
              "/orvista/startup: The window-dy property of this item has to be an integer.\n"
              "/orvista/startup/line[2]: The name property of this item is required.\n"
              "/orvista/startup/stray: No declaration of the schema describes this element here.\n"
              "/orvista/unknown: No declaration of the schema describes this element here.\n",
              r.out);
    EXPECT_EQ("", r.err);

    const std::string otherRoot = dir.write("other.xml", "<settings/>");
    r = check(otherRoot);
    EXPECT_EQ("/settings: No declaration of the schema describes this element here.\n", r.out);
}

TEST(cliSettings, unreadableFilesAndUsageErrors)
{
    scratchDir dir;
    const std::string garbage = dir.write("garbage.xml", "<orvista><paths></orvista>");
    auto nested = [](int levels) {
        std::string text;
        for (int i = 0; i < levels; ++i)
            text += "<a>";
        for (int i = 0; i < levels; ++i)
            text += "</a>";
        return text;
    };
    // A million levels crashed the check; far fewer made the file grow by
    // hundreds of megabytes at the next save.
    const std::string deep = dir.write("deep.xml", nested(1000000));
    const std::string justTooDeep = dir.write("deeper.xml", nested(deepestSettingsNesting + 1));
    const std::string pipe = dir.at("pipe.xml");
    const bool havePipe = makeFifo(pipe); // opening it would wait for a writer
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"settings", "--file", deep, "--schema", schema}, "nested deeper than 1000 levels"},
        {{"settings", "--file", justTooDeep, "--schema", schema}, "nested deeper than 1000 levels"},
        {{"settings", "--file", havePipe ? pipe : dir.at("none.xml"), "--schema", schema},
         "cannot read the settings file"},
        {{"settings", "--file", dir.at("none.xml"), "--schema", schema}, "cannot read the settings file"},
        {{"settings", "--file", garbage, "--schema", schema}, "cannot read the settings file"},
        {{"settings", "--file", garbage, "--schema", dir.at("none.xml")}, "cannot read the settings file"},
        {{"settings", "--from", "2024-01-01"}, "unknown option '--from'"},
        {{"settings", "--file"}, "--file needs a value"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(2, runCli(c.args, out, err)) << c.error;
        EXPECT_NE(std::string::npos, err.str().find(c.error)) << err.str();
        EXPECT_EQ("", out.str());
    }
    // As deep as allowed is read, and checked.
    std::ostringstream out, err;
    EXPECT_EQ(1, runCli({"settings", "--file", dir.write("deepest.xml", nested(deepestSettingsNesting)), "--schema",
                         schema},
                        out, err));
    EXPECT_EQ("", err.str());
    out.str("");
    EXPECT_EQ(0, runCli({"settings", "--help"}, out, err));
    EXPECT_NE(std::string::npos, out.str().find("Usage: orvista-cli settings"));
}

TEST(cliSettings, schemaFaultsFirstAndChildrenCheckedAtTheirOwnPositions)
{
    scratchDir dir;
    const std::string faulty = dir.write("schema.xml", R"(<schema root-set="root">
      <node name="config" children="sequence" child-set="entries"><in set="root"/></node>
      <node label="nameless"><in set="entries"/></node>
      <node name="host"><in set="entries"/>
        <property name="port" type="integer"/>
        <property type="integer"/>
        <property name="1st"/>
        <property name="port" type="integer" optional="true"/>
      </node>
      <node name="pair" children="strict-sequence"><in set="entries"/>
        <child from-set="left"/><child from-set="right"/></node>
      <node name="l"><in set="left"/></node>
      <node name="r"><in set="right"/><property name="w" type="integer"/></node>
      <template set-name="entries" label="empty"><!-- nothing yet --></template>
      <node name="2nd"><in set="right"/></node>
    </schema>)");
    const struct {
        const char* settings;
        const char* problems; // after the schema's faults
    } cases[] = {
        {"<config><host port='1'/><pair><l/><r w='2'/></pair></config>", ""},
        // The first position left empty: r is still checked as a right child.
        {"<config><host port='x'/><pair><r w='y'/></pair></config>",
         "/config/host: The port property of this item has to be an integer.\n"
         "/config/pair/r: The w property of this item has to be an integer.\n"},
    };
    const std::string faults =
        "/schema/node[2]: This node declaration has no name; it is left out.\n"
        "/schema/node[3]/property[2]: This property has no name; it is ignored.\n"
        "/schema/node[3]/property[3]: The name of this property is not a valid XML name; it is ignored.\n"
        "/schema/node[3]/property[4]: An earlier property of this node declaration has the name \"port\"; this one "
        "is ignored.\n"
        "/schema/template: This template holds no element to insert; it is not offered.\n"
        "/schema/node[7]: The name of this node declaration is not a valid XML name; it is left out.\n";
    for (const auto& c : cases) {
        result r = check(dir.write("orv.xml", c.settings), faulty);
        EXPECT_EQ(1, r.status) << "schema faults count as problems";
        EXPECT_EQ(faults + c.problems, r.out) << c.settings;
        EXPECT_EQ("", r.err);
    }
}
