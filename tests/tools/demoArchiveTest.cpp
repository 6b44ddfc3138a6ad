#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include <wx/datetime.h>
#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/xml/xml.h>

#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "tools/demoArchive.h"

namespace {

demoOptions smallArchive(const std::string& out)
{
    demoOptions o;
    o.outDir = out;
    o.channels = 3;
    o.days = 5;
    o.callsPerDay = 15;
    o.audioBytes = 100;
    o.endDate = "2024-03-31";  // the last day is a daylight-saving change in Berlin
    return o;
}

demoStats generate(const demoOptions& o)
{
    std::string error;
    std::optional<demoStats> stats = generateDemoArchive(o, &error);
    EXPECT_TRUE(stats) << error;
    return stats.value_or(demoStats{});
}

std::vector<std::string> allFiles(const std::string& root)
{
    wxArrayString files;
    wxDir::GetAllFiles(wxString::FromUTF8(root), &files);
    std::vector<std::string> out;
    for (const wxString& f : files)
        out.push_back(f.utf8_string());
    std::sort(out.begin(), out.end());
    return out;
}


// Relative path (with forward slashes) -> contents, with the archive's own
// location taken out.
std::map<std::string, std::string> snapshot(const std::string& root)
{
    std::map<std::string, std::string> out;
    for (const std::string& path : allFiles(root)) {
        std::string text = readWholeFile(path);
        for (std::size_t at; (at = text.find(root)) != std::string::npos;)
            text.replace(at, root.size(), "<root>");
        std::string relative = path.substr(root.size());
        std::replace(relative.begin(), relative.end(), '\\', '/');
        out[relative] = text;
    }
    return out;
}

// key=value lines per section of an INI file with CRLF line ends.
std::map<std::string, std::map<std::string, std::string>> readIni(const std::string& text)
{
    std::map<std::string, std::map<std::string, std::string>> ini;
    std::istringstream in(text);
    std::string line, section;
    while (std::getline(in, line, '\r')) {
        line.erase(0, line.find_first_not_of('\n'));
        std::size_t eq = line.find('=');
        if (!line.empty() && line[0] == '[')
            section = line.substr(1, line.size() - 2);
        else if (eq != std::string::npos)
            ini[section][line.substr(0, eq)] = line.substr(eq + 1);
    }
    return ini;
}

wxXmlNode* child(const wxXmlNode* parent, const char* name)
{
    for (wxXmlNode* n = parent ? parent->GetChildren() : nullptr; n; n = n->GetNext())
        if (n->GetType() == wxXML_ELEMENT_NODE && n->GetName() == name)
            return n;
    return nullptr;
}

std::string text(const wxXmlNode* parent, const char* name)
{
    const wxXmlNode* n = child(parent, name);
    return n ? n->GetNodeContent().utf8_string() : "<missing>";
}

int secondsOfDay(const std::string& hhmmss)
{
    return std::stoi(hhmmss.substr(0, 2)) * 3600 + std::stoi(hhmmss.substr(2, 2)) * 60 + std::stoi(hhmmss.substr(4, 2));
}

}  // namespace

TEST(demoArchive, sameSeedGivesSameArchiveAndAnotherSeedDoesNot)
{
    scratchDir a, b, c;
    demoOptions o = smallArchive(a.path());
    generate(o);
    o.outDir = b.path();
    generate(o);
    o.outDir = c.path();
    o.seed = 2;
    generate(o);

    auto first = snapshot(a.path());
    EXPECT_GT(first.size(), 15u);
    EXPECT_EQ(first, snapshot(b.path()));
    EXPECT_NE(first["/storage1/Front desk/20240331/catalog.xml"],
              snapshot(c.path())["/storage1/Front desk/20240331/catalog.xml"]);
}

TEST(demoArchive, loggerIniListsStoragesAndUniqueChannelsWithCrLf)
{
    scratchDir dir;
    demoOptions o = smallArchive(dir.path());
    o.channels = 60;  // past the list of names
    o.days = 1;
    o.callsPerDay = 0;
    generate(o);

    const std::string raw = readWholeFile(dir.at("logger.ini"));
    for (std::size_t at = raw.find('\n'); at != std::string::npos; at = raw.find('\n', at + 1))
        ASSERT_TRUE(at > 0 && raw[at - 1] == '\r') << "bare LF at " << at;

    auto ini = readIni(raw);
    EXPECT_EQ(ini["storage paths"]["main"], nativePath(dir.at("storage1")));
    EXPECT_EQ(ini["storage paths"]["archive"], nativePath(dir.at("storage2")));
    std::set<std::string> names;
    for (int line = 1; line <= 60; ++line) {
        char section[16];
        std::snprintf(section, sizeof section, "line%02d", line);
        ASSERT_TRUE(ini.count(section)) << section;
        const std::string storage = ini[section]["StoragePath"];
        const std::string name = ini[section]["ChannelName"];
        EXPECT_EQ(storage, line % 2 ? "main" : "archive");
        EXPECT_TRUE(wxDirExists(wxString::FromUTF8(ini["storage paths"][storage] + "/" + name))) << name;
        names.insert(name);
    }
    EXPECT_FALSE(ini.count("line61"));
    EXPECT_EQ(names.size(), 60u);
    EXPECT_TRUE(names.count("Front desk"));
}

TEST(demoArchive, dayFoldersAreLocalDatesEndingAtEndDate)
{
    scratchDir dir;
    demoOptions o = smallArchive(dir.path());
    o.channels = 1;
    o.storages = 1;
    o.days = 35;
    o.endDate = "2024-03-02";  // spans 29 February
    generate(o);

    std::set<std::string> expected;
    wxDateTime day(2, wxDateTime::Mar, 2024);
    for (int i = 0; i < 35; ++i, day -= wxDateSpan::Day())
        expected.insert(day.Format("%Y%m%d").utf8_string());
    std::set<std::string> found;
    for (const std::string& path : allFiles(dir.at("storage1/Front desk")))
        if (wxFileName(wxString::FromUTF8(path)).GetFullName() == "catalog.xml")
            found.insert(wxFileName(wxString::FromUTF8(path)).GetDirs().Last().utf8_string());
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(found.count("20240229"));
    EXPECT_FALSE(wxDirExists(dir.at("storage2")));
}

TEST(demoArchive, catalogsListOrderedNonOverlappingCallsWithTheirAudioFiles)
{
    scratchDir dir;
    demoOptions o = smallArchive(dir.path());
    o.channels = 2;
    o.days = 14;
    o.callsPerDay = 60;
    o.sampleRate = 16000;
    o.audioBytes = 300;
    demoStats stats = generate(o);

    std::uint64_t calls = 0, catalogs = 0;
    for (const std::string& path : allFiles(dir.path())) {
        if (path.size() < 4 || path.substr(path.size() - 4) != ".xml")
            continue;
        ++catalogs;
        const wxFileName catalogName(wxString::FromUTF8(path));
        const std::string day = catalogName.GetDirs().Last().utf8_string();
        wxXmlDocument doc;
        ASSERT_TRUE(doc.Load(wxString::FromUTF8(path), "UTF-8")) << path;
        ASSERT_EQ(doc.GetRoot()->GetName(), "vmk_catalog");
        int busyUntil = 0;
        for (wxXmlNode* file = doc.GetRoot()->GetChildren(); file; file = file->GetNext()) {
            if (file->GetType() != wxXML_ELEMENT_NODE)
                continue;
            ASSERT_EQ(file->GetName(), "file");
            const wxXmlNode* au = child(child(file, "hdr"), "au_hdr");
            const wxXmlNode* vmk = child(child(file, "hdr"), "vmk_hdr");
            ASSERT_TRUE(au && vmk) << path;
            EXPECT_EQ(text(au, "sample_rate"), "16000");
            const std::uint64_t size = std::stoull(text(au, "data_size"));
            EXPECT_EQ(size % 16000, 0u);
            const int duration = static_cast<int>(size / 16000);
            EXPECT_GE(duration, 10);
            EXPECT_LE(duration, 1200);
            EXPECT_EQ(text(vmk, "date"), day);
            const int start = secondsOfDay(text(vmk, "time"));
            EXPECT_GE(start, busyUntil) << path << " " << text(vmk, "time");
            busyUntil = start + duration;
            EXPECT_LE(busyUntil, 24 * 3600);

            const wxFileName audio(wxString::FromUTF8(text(vmk, "file_name")));
            EXPECT_EQ(audio.GetPath(), catalogName.GetPath());
            EXPECT_EQ(audio.GetSize(), wxULongLong(300)) << audio.GetFullPath();
            ++calls;
        }
    }
    EXPECT_EQ(catalogs, 2u * 14u);
    EXPECT_EQ(stats.catalogs, catalogs);
    EXPECT_EQ(stats.calls, calls);
    // About the asked-for average; weekends and quiet days pull it down somewhat.
    EXPECT_GT(calls, 2u * 14u * 60u / 2u);
    EXPECT_LT(calls, 2u * 14u * 60u * 3u / 2u);
}

TEST(demoArchive, zeroCallsStillWritesCatalogsAndZeroAudioBytesWritesNoAudio)
{
    scratchDir quiet, noAudio;
    demoOptions o = smallArchive(quiet.path());
    o.callsPerDay = 0;
    EXPECT_EQ(generate(o).calls, 0u);
    wxXmlDocument doc;
    ASSERT_TRUE(doc.Load(quiet.at("storage1/Front desk/20240331/catalog.xml")));
    EXPECT_EQ(doc.GetRoot()->GetName(), "vmk_catalog");
    EXPECT_EQ(child(doc.GetRoot(), "file"), nullptr);

    o = smallArchive(noAudio.path());
    o.audioBytes = 0;
    demoStats stats = generate(o);
    EXPECT_GT(stats.calls, 0u);
    EXPECT_EQ(stats.audioFiles, 0u);
    for (const std::string& path : allFiles(noAudio.path()))
        EXPECT_EQ(path.find(".wav"), std::string::npos) << path;
}

TEST(demoArchive, refusesToWriteIntoANonEmptyFolder)
{
    scratchDir dir;
    dir.write("old/catalog.xml", "<vmk_catalog/>");
    std::string error;
    EXPECT_FALSE(generateDemoArchive(smallArchive(dir.path()), &error));
    EXPECT_NE(error.find("not empty"), std::string::npos);
    EXPECT_FALSE(wxFileExists(dir.at("logger.ini")));
}

TEST(demoArchive, commandLine)
{
    demoOptions o;
    std::string error;
    ASSERT_EQ(parseDemoArguments({"--out", "/tmp/x", "--seed=18446744073709551615", "--channels", "32", "--days",
                                  "1095", "--calls", "0", "--audio-bytes", "0", "--end-date", "2024-02-29",
                                  "--storages", "1", "--sample-rate", "16000"},
                                 o, &error),
              demoCommand::run)
        << error;
    EXPECT_EQ(o.outDir + "|" + o.endDate, "/tmp/x|2024-02-29");
    EXPECT_EQ(o.seed, 18446744073709551615ULL);
    EXPECT_EQ(std::vector<int>({o.channels, o.days, o.callsPerDay, o.storages}), std::vector<int>({32, 1095, 0, 1}));
    EXPECT_EQ(o.audioBytes, 0u);
    EXPECT_EQ(o.sampleRate, 16000u);
    EXPECT_EQ(parseDemoArguments({"--out", "x", "--help"}, o, &error), demoCommand::help);

    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--seed", "3"},
        {"--out"},
        {"--out", "--seed", "3"},
        {"--out", "x", "--bogus", "1"},
        {"--out", "x", "stray"},
        {"--out", "x", "--channels", "0"},
        {"--out", "x", "--channels", "-3"},
        {"--out", "x", "--days", "12x"},
        {"--out", "x", "--seed", "18446744073709551616"},
        {"--out", "x", "--storages", "3"},
        {"--out", "x", "--sample-rate", "0"},
        {"--out", "x", "--end-date", "2023-02-29"},
        {"--out", "x", "--end-date", "2024-1-05"},
        {"--out", "x", "--end-date", "1970-01-05", "--days", "10"},
    };
    for (const auto& args : bad) {
        error.clear();
        demoOptions untouched;
        untouched.channels = 77;
        EXPECT_EQ(parseDemoArguments(args, untouched, &error), demoCommand::error) << testing::PrintToString(args);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(untouched.channels, 77);
    }
}
