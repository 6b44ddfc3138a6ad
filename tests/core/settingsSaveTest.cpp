#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/sstream.h>
#include <wx/xml/xml.h>

#include "core/settings.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

namespace {
std::unique_ptr<wxXmlDocument> parse(const std::string& xml)
{
    auto document = std::make_unique<wxXmlDocument>();
    wxStringInputStream in(wxString::FromUTF8(xml));
    EXPECT_TRUE(document->Load(in));
    return document;
}

std::string attributes(const wxXmlNode* element)
{
    std::string out;
    for (const wxXmlAttribute* a = element->GetAttributes(); a; a = a->GetNext())
        out += a->GetName().utf8_string() + "=" + a->GetValue().utf8_string() + " ";
    return out;
}

std::string children(const wxXmlNode* element)
{
    std::string out;
    for (const wxXmlNode* c = element->GetChildren(); c; c = c->GetNext())
        out += (c->GetType() == wxXML_ELEMENT_NODE ? c->GetName().utf8_string() + "(" + attributes(c) + ")"
                                                   : std::string("#other")) +
               " ";
    return out;
}

double seconds(const char* localTime)
{
    wxDateTime when;
    EXPECT_TRUE(parseLenientDateTime(localTime, when)) << localTime;
    return static_cast<double>(when.GetValue().GetValue() / 1000);
}

viewState sampleView()
{
    viewState view;
    view.view.viewBegin = seconds("2024-03-30 12:00:00");
    view.view.viewEnd = seconds("2024-03-31 12:00:00") + 0.75; // the fraction is dropped
    view.view.selectionBegin = seconds("2024-03-31 01:30:00");
    view.view.selectionEnd = seconds("2024-03-31 03:30:00"); // across the spring change
    view.window = windowGeometry{-8, 20, 1024, 700, true};
    view.lines = {{"Zulu", true}, {"Alpha", false}, {"alpha", true}};
    return view;
}
}

TEST(settingsSave, startupElementsRewrittenInFixedForm)
{
    // "kind" and unknown attributes stay first; the nine go to the end in their
    // order; comments, text, stale and unsorted lines are replaced by the panel's
    // lines in byte-wise order. Both "startup" elements get the same values;
    // other elements are not touched.
    auto document = parse(
        "<orvista><startup window-maximized='false' kind='week' last-view-end='x' extra='1'>"
        "<!-- note --><line name='Gone' selected='true'/>text<other/></startup>"
        "<paths logger-ini='/l' copy-to=''/><startup/></orvista>");
    saveViewState(document->GetRoot(), sampleView());

    const std::string nine = "last-view-begin=2024-03-30 12:00:00 last-view-end=2024-03-31 12:00:00 "
                             "last-selection-begin=2024-03-31 01:30:00 last-selection-end=2024-03-31 03:30:00 "
                             "window-x0=-8 window-y0=20 window-dx=1024 window-dy=700 window-maximized=true ";
    const std::string lines = "line(name=Alpha selected=false ) line(name=Zulu selected=true ) "
                              "line(name=alpha selected=true ) ";
    wxXmlNode* first = document->GetRoot()->GetChildren();
    wxXmlNode* paths = first->GetNext();
    wxXmlNode* second = paths->GetNext();
    EXPECT_EQ("kind=week extra=1 " + nine, attributes(first));
    EXPECT_EQ(lines, children(first));
    EXPECT_EQ("logger-ini=/l copy-to= ", attributes(paths));
    EXPECT_EQ(nine, attributes(second));
    EXPECT_EQ(lines, children(second));

    // Saving again gives the same attributes, not a second set.
    saveViewState(document->GetRoot(), sampleView());
    EXPECT_EQ(nine, attributes(second));
}

TEST(settingsSave, withoutStartupNothingIsWritten)
{
    auto document = parse("<orvista><paths logger-ini='/l'/><Startup/></orvista>");
    saveViewState(document->GetRoot(), sampleView());
    EXPECT_EQ("paths(logger-ini=/l ) Startup() ", children(document->GetRoot()));
    saveViewState(nullptr, sampleView()); // a document without root: no crash
}

TEST(settingsSave, instantsReadBackAsTheSameSecond)
{
    // Whatever the display holds must come back at the next start, or be left
    // out so that the start falls back to the last day (never a wx assert or a
    // year nobody can read).
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double seconds;
        const char* written; // "" means: left empty
    } cases[] = {
        {seconds("2024-10-27 02:30:00"), "2024-10-27 02:30:00"}, // the autumn hour that happens twice
        {seconds("1950-06-01 00:00:00"), "1950-06-01 00:00:00"},
        {seconds("2050-01-01 00:00:00"), "2050-01-01 00:00:00"},
        {-1.5, "1970-01-01 00:59:58"}, // before 1970 UTC, the fraction dropped downwards
        {nan, ""},
        {inf, ""},
        {-inf, ""},
        {1e18, ""},
        {-1e13, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(c.written, formatSettingsInstant(c.seconds).utf8_string());
        if (*c.written) {
            EXPECT_EQ(std::floor(c.seconds), seconds(c.written));
        }
    }
}

namespace {
// The settings folder holds exactly these names afterwards, sorted.
std::string folderContents(const std::string& folder)
{
    wxDir dir(wxString::FromUTF8(folder));
    wxArrayString names;
    wxString name;
    for (bool more = dir.GetFirst(&name); more; more = dir.GetNext(&name))
        names.push_back(name);
    names.Sort();
    std::string out;
    for (const wxString& n : names)
        out += n.utf8_string() + " ";
    return out;
}

// Settings larger than the file-size limit below.
wxXmlDocument paddedDocument()
{
    wxXmlDocument document;
    document.SetRoot(new wxXmlNode(wxXML_ELEMENT_NODE, "orvista"));
    document.GetRoot()->AddAttribute("padding", wxString('x', 4096));
    return document;
}

// Writes the settings file; a failure must say why.
bool writeSettings(const wxXmlDocument& document, const std::string& path)
{
    wxString reason;
    const bool written = writeSettingsFile(document, wxString::FromUTF8(path), reason);
    EXPECT_TRUE(written || !reason.empty());
    return written;
}

const std::string previousSettings = "<?xml version=\"1.0\"?>\n<orvista/>\n";
}

TEST(settingsFile, writtenWithItsEncodingAndIndentation)
{
    scratchDir dir;
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<orvista><startup>"
                               "<line name=\"Gr\xfc\xdf" "e\" selected=\"true\"/></startup></orvista>\n";
    const std::string path = dir.write("orv.xml", latin1);
    wxXmlDocument document;
    ASSERT_TRUE(document.Load(wxString::FromUTF8(path)));
    ASSERT_TRUE(writeSettings(document, path));

    const std::string written = readWholeFile(path);
    EXPECT_NE(std::string::npos, written.find("encoding=\"ISO-8859-1\"")) << written;
    EXPECT_NE(std::string::npos, written.find("\n <startup>\n  <line name=\"Gr\xfc\xdf" "e\"")) << written;
    EXPECT_EQ("orv.xml ", folderContents(dir.path()));
}

// A user named beyond the ANSI code pages, a folder deeper than Windows' old
// limit of 260 characters: written, read back, nothing left beside.
TEST(settingsFile, writtenIntoUnicodeAndLongFolders)
{
    scratchDir dir;
    const std::string folders[] = {"Users/\xC5\x81ukasz \xE6\x97\xA5\xE6\x9C\xAC/AppData/orvista",
                                   std::string(120, 'l') + "/" + std::string(120, 'm') + "/" + std::string(40, 'n')};
    for (const std::string& folder : folders) {
        const std::string path = dir.write(folder + "/orv.xml", previousSettings);
        const wxXmlDocument document = paddedDocument();
        ASSERT_TRUE(writeSettings(document, path)) << folder;
        wxXmlDocument again;
        ASSERT_TRUE(again.Load(wxString::FromUTF8(path))) << folder;
        EXPECT_EQ(document.GetRoot()->GetName(), again.GetRoot()->GetName());
        EXPECT_EQ("orv.xml ", folderContents(dir.at(folder)));
    }
}

// A settings file kept with others and linked into place stays a link.
TEST(settingsFile, aLinkedFileIsWrittenThroughItsLink)
{
    scratchDir dir;
    const std::string kept = dir.write("dotfiles/orvista/orv.xml", previousSettings);
    const std::string link = dir.at("config/orvista/orv.xml");
    dir.mkdir("config/orvista");
    if (!makeSymbolicLink("../../dotfiles/orvista/orv.xml", link))
        GTEST_SKIP() << "no symbolic links here";
    ASSERT_TRUE(writeSettings(paddedDocument(), link));
    EXPECT_TRUE(isSymbolicLink(link));
    EXPECT_NE(previousSettings, readWholeFile(kept));
    EXPECT_EQ("orv.xml ", folderContents(dir.at("dotfiles/orvista"))) << "nothing left beside";
}

// What the program reads of its own files: ordinary files only (a named pipe
// would keep the start waiting), nested no deeper than the limit.
TEST(settingsFile, loadedOnlyFromOrdinaryFilesOfSaneDepth)
{
    scratchDir dir;
    std::string deep, deeper;
    for (int i = 0; i < deepestSettingsNesting; ++i)
        deep = "<a>" + deep + "</a>";
    deeper = "<a>" + deep + "</a>";
    const std::string pipe = dir.at("pipe.xml");
    const struct {
        const char* name;
        std::string path;
        bool loads;
    } rows[] = {
        {"ordinary", dir.write("orv.xml", previousSettings), true},
        {"as deep as allowed", dir.write("deep.xml", deep), true},
        {"one level deeper", dir.write("deeper.xml", deeper), false},
        {"missing", dir.at("missing.xml"), false},
        {"a folder", dir.mkdir("folder.xml"), false},
        {"a named pipe", makeFifo(pipe) ? pipe : dir.mkdir("no pipes here"), false},
    };
    for (const auto& row : rows) {
        wxXmlDocument document;
        wxString reason;
        wxLogNull quiet;
        EXPECT_EQ(row.loads, loadSettingsDocument(document, wxString::FromUTF8(row.path), reason)) << row.name;
        EXPECT_EQ(row.loads, reason.empty()) << row.name << ": " << reason;
    }
}

TEST(settingsFile, aKilledWritesTemporaryFileGoesWithTheNextWrite)
{
    scratchDir dir;
    const std::string path = dir.write("orv.xml", previousSettings);
    const wxDateTime old = wxDateTime::Now() - wxTimeSpan::Minutes(10);
    for (const char* name : {"orv.xml.k1lLed", "orv.xml.fresh1", "orv.xml.notours"})
        dir.write(name, "half");
    ASSERT_TRUE(wxFileName(wxString::FromUTF8(dir.at("orv.xml.k1lLed"))).SetTimes(&old, &old, nullptr));
    ASSERT_TRUE(wxFileName(wxString::FromUTF8(dir.at("orv.xml.notours"))).SetTimes(&old, &old, nullptr));
    ASSERT_TRUE(writeSettings(paddedDocument(), path));
    EXPECT_EQ("orv.xml orv.xml.fresh1 orv.xml.notours ", folderContents(dir.path()));
}

TEST(settingsFile, failedWriteKeepsThePreviousFileAndLeavesNothingBehind)
{
    scratchDir dir;
    const wxXmlDocument document = paddedDocument();

    // A folder that is gone.
    EXPECT_FALSE(writeSettings(document, dir.at("missing/orv.xml")));

    // "orv.xml" is a folder: the new file is written, the rename fails.
    dir.mkdir("folder/orv.xml");
    EXPECT_FALSE(writeSettings(document, dir.at("folder/orv.xml")));
    EXPECT_EQ("orv.xml ", folderContents(dir.at("folder")));
}

// The disk fills up half-way: a file-size limit makes writes fail as a full
// disk does, even for root.
TEST(settingsFile, fullDiskKeepsThePreviousFileAndLeavesNothingBehind)
{
    scratchDir dir;
    const std::string path = dir.write("full/orv.xml", previousSettings);
    const wxXmlDocument document = paddedDocument();
    bool written = true;
    if (!withFileSizeLimit(1000, [&] { written = writeSettings(document, path); }))
        GTEST_SKIP() << "no file-size limit to simulate a full disk on Windows";
    EXPECT_FALSE(written);
    EXPECT_EQ(previousSettings, readWholeFile(path));
    EXPECT_EQ("orv.xml ", folderContents(dir.at("full")));
}

TEST(settingsFile, readOnlyFolderKeepsThePreviousFile)
{
    scratchDir dir;
    const std::string path = dir.write("locked/orv.xml", previousSettings);
    const wxXmlDocument document = paddedDocument();
    bool written = true;
    auto write = [&] { written = writeSettings(document, path); };
    if (!withUnwritableFolder(dir.at("locked"), write))
        GTEST_SKIP() << "no folder is unwritable for root, nor made so on Windows";
    EXPECT_FALSE(written);
    EXPECT_EQ(previousSettings, readWholeFile(path));
    EXPECT_EQ("orv.xml ", folderContents(dir.at("locked")));
}
