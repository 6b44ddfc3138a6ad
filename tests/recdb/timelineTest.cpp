#include <gtest/gtest.h>

#include <wx/log.h>

#include "recdb/catalog.h"
#include "recdb/dirTimelineScanner.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/timeValue.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

namespace {
struct call {
    std::string date;
    std::string time;
    unsigned long long dataSize;
    std::string number;
    std::string fileName;
};

std::string catalogXml(const std::vector<call>& calls)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vmk_catalog>\n";
    for (const call& c : calls) {
        xml += " <file><hdr><au_hdr><data_size>" + std::to_string(c.dataSize) +
               "</data_size><sample_rate>8000</sample_rate></au_hdr><vmk_hdr><date>" + c.date + "</date><time>" +
               c.time + "</time><number>" + c.number + "</number><file_name>" + c.fileName +
               "</file_name></vmk_hdr></hdr></file>\n";
    }
    return xml + "</vmk_catalog>\n";
}

double seconds(int year, wxDateTime::Month month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return toSeconds(wxDateTime(static_cast<wxDateTime::wxDateTime_t>(day), month, year,
                                static_cast<wxDateTime::wxDateTime_t>(hour),
                                static_cast<wxDateTime::wxDateTime_t>(minute),
                                static_cast<wxDateTime::wxDateTime_t>(second)));
}

std::vector<std::string> labels(const recordingList& list)
{
    std::vector<std::string> result;
    for (const recording* r : list)
        result.push_back(r->getProperty("label"));
    return result;
}

std::vector<std::string> dayFolders(const dynamicTimeline& t)
{
    // Windows paths may hold either separator.
    const char* separators = runningOnWindows() ? "/\\" : "/";
    std::vector<std::string> result;
    for (const catalogEntry& e : t.catalogEntries()) {
        std::string path = e.path;
        path = path.substr(0, path.find_last_of(separators));
        result.push_back(path.substr(path.find_last_of(separators) + 1));
    }
    return result;
}

const double hour = 3600;
}

TEST(scanTest, whichFilesAreCatalogsAndWhichDaysTheyCover)
{
    scratchDir dir;
    const std::string channel = dir.mkdir("Front desk");
    dir.write("Front desk/20240115/catalog.XML", "");
    dir.write("Front desk/20240116/c.xml", "");
    dir.write("Front desk/20240117_old/c.Xml", "");           // trailing text after the date
    dir.write("Front desk/20240118/20240118.wav", "");        // not a catalog
    dir.write("Front desk/20240119/c.xmlx", "");              // neither
    dir.write("Front desk/20241301/c.xml", "");               // month 13
    dir.write("Front desk/20240132/c.xml", "");               // day 32
    dir.write("Front desk/direct.xml", "");                   // folder name is no date
    dir.write("Front desk/a/b/c/20240120/deep.xml", "");      // any depth
    dir.write("Front desk/.hidden/20240121/h.xml", "");       // hidden folders count
    dir.write("Front desk/20240122/.h.xml", "");              // and hidden files
    dir.write("Front desk/20240123/.xml", "");                // only an extension, no name

    dynamicTimeline t(channel, "Front desk");
    EXPECT_EQ("Front desk", t.getName());
    std::vector<std::string> days = dayFolders(t);
    std::sort(days.begin(), days.end());
    EXPECT_EQ((std::vector<std::string>{"20240115", "20240116", "20240117_old", "20240120", "20240121", "20240122"}),
              days);
    const catalogEntry* first = nullptr;
    for (const catalogEntry& e : t.catalogEntries())
        if (e.path.find("20240115") != std::string::npos)
            first = &e;
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(seconds(2024, wxDateTime::Jan, 15), first->start);
    EXPECT_EQ(seconds(2024, wxDateTime::Jan, 16), first->end);
    EXPECT_EQ(nullptr, first->recordings) << "the scan opens no catalog";
    EXPECT_EQ(seconds(2024, wxDateTime::Jan, 15), t.getStart());
    EXPECT_EQ(seconds(2024, wxDateTime::Jan, 23), t.getEnd());
}

TEST(scanTest, subFoldersComeBeforeAFoldersOwnFiles)
{
    scratchDir dir;
    dir.write("ch/20240101/a.xml", "");
    dir.write("ch/20240101/older/20231231/b.xml", "");
    dynamicTimeline t(dir.at("ch"), "ch");
    EXPECT_EQ((std::vector<std::string>{"20231231", "20240101"}), dayFolders(t));
    // Several catalogs of one day give several entries.
    dir.write("ch/20240101/c.xml", "");
    EXPECT_EQ(3u, dynamicTimeline(dir.at("ch"), "ch").catalogEntries().size());
}

TEST(scanTest, emptyOrMissingFoldersGiveEmptyTimelines)
{
    scratchDir dir;
    dir.mkdir("empty");
    dir.write("undated/notes/c.xml", "");
    for (const char* folder : {"empty", "undated", "missing"}) {
        dynamicTimeline t(dir.at(folder), folder);
        EXPECT_TRUE(t.isEmpty()) << folder;
        EXPECT_TRUE(t.getRecordings(0, 4e9).empty()) << folder;
    }
}

TEST(scanTest, daylightSavingDaysLast23And25Hours)
{
    // The tests run with TZ=Europe/Berlin.
    scratchDir dir;
    dir.write("ch/20240331/c.xml", "");
    dir.write("ch/20241027/c.xml", "");
    dynamicTimeline t(dir.at("ch"), "ch");
    ASSERT_EQ(2u, t.catalogEntries().size());
    for (const catalogEntry& e : t.catalogEntries()) {
        double length = e.end - e.start;
        if (e.path.find("20240331") != std::string::npos)
            EXPECT_EQ(23 * hour, length);
        else
            EXPECT_EQ(25 * hour, length);
    }
}

// Catalogs found at the given times (ms after the scan began): the keep-alive
// comes for a catalog once 50 ms have passed since the scan began or since the
// last keep-alive ended. A keep-alive itself takes `paint` ms of the clock.
TEST(scanTest, keepAliveComesAtMostEvery50Milliseconds)
{
    struct step {
        int at;
        const char* name;
        bool called;
    };
    struct scenario {
        const char* what;
        int paint;
        std::vector<step> steps;
    };
    const std::vector<scenario> scenarios = {
        {"first call after 50 ms", 0, {{0, "c.xml", false}, {49, "c.xml", false}, {50, "c.xml", true}}},
        {"then every 50 ms, not sooner",
         0,
         {{60, "c.xml", true}, {61, "c.xml", false}, {109, "c.xml", false}, {110, "c.xml", true},
          {500, "c.xml", true}, {549, "c.xml", false}}},
        {"only for catalogs", 0, {{100, "c.wav", false}, {200, "c.xmlx", false}, {201, "c.XML", true}}},
        {"counted from the end of the keep-alive",
         30,
         {{50, "c.xml", true}, {129, "c.xml", false}, {130, "c.xml", true}}},
    };
    for (const scenario& s : scenarios) {
        SCOPED_TRACE(s.what);
        std::chrono::steady_clock::time_point clock{std::chrono::seconds(1000)};
        const auto begin = clock;
        int calls = 0;
        std::function<void()> keepAlive = [&] {
            ++calls;
            clock += std::chrono::milliseconds(s.paint);
        };
        std::vector<std::string> paths;
        dirTimelineScanner scanner(paths, keepAlive, [&] { return clock; });
        for (const step& st : s.steps) {
            clock = begin + std::chrono::milliseconds(st.at);
            int before = calls;
            scanner.acceptFile(std::string("/ch/20240201/") + st.name);
            EXPECT_EQ(st.called ? before + 1 : before, calls) << "at " << st.at << " ms, " << st.name;
        }
    }
}

// A named pipe called like a catalog would block its first read forever; the
// scan leaves it out (checked on the list, which opens nothing).
TEST(scanTest, pipesAndOtherNonFilesAreNoCatalogs)
{
    scratchDir dir;
    dir.write("ch/20240115/c.xml", "");
    dir.mkdir("ch/20240116");
    if (!makeFifo(dir.at("ch/20240116/pipe.xml")))
        GTEST_SKIP() << "Windows has no named pipes in the file system";
    ASSERT_TRUE(makeSymlink(dir.at("ch/20240116/pipe.xml"), dir.at("ch/20240115/linked.xml")));
    dynamicTimeline t(dir.at("ch"), "ch");
    EXPECT_EQ((std::vector<std::string>{"20240115"}), dayFolders(t));
}

TEST(catalogTest, callsBecomeRecordings)
{
    scratchDir dir;
    dir.write("ch/20240115/c.xml", catalogXml({{"20240115", "090000", 80000, "+49 30 1", "/a/1.wav"},
                                               {"20240115", "100000", 79999, "+49 30 2", "/a/2.wav"},
                                               {"20240115", "100000", 79999, "+49 30 2", "/a/2.wav"}}));
    dynamicTimeline t(dir.at("ch"), "ch");
    recordingList all = t.getRecordings(seconds(2024, wxDateTime::Jan, 15), seconds(2024, wxDateTime::Jan, 16));
    ASSERT_EQ(3u, all.size()); // the same audio file twice gives two recordings
    EXPECT_EQ("2024-01-15 09:00:00", all[0]->start.Format("%Y-%m-%d %H:%M:%S"));
    EXPECT_EQ(10, (all[0]->end - all[0]->start).GetSeconds().ToLong());
    EXPECT_EQ(9, (all[1]->end - all[1]->start).GetSeconds().ToLong()); // remainder dropped
    EXPECT_EQ("+49 30 1", all[0]->getProperty("label"));
    EXPECT_EQ("/a/1.wav", all[0]->getProperty("filename"));
    EXPECT_EQ("", all[0]->getProperty("nothing"));
    EXPECT_EQ("+49 30 1", all[0]->label());
    EXPECT_EQ("/a/1.wav", all[0]->fileName());
    EXPECT_EQ(2u, all[0]->properties.size());
}

namespace {
std::vector<recording> parse(const std::string& xml)
{
    scratchDir dir;
    catalogEntry entry;
    entry.path = dir.write("c.xml", xml);
    loadCatalog(entry);
    return *entry.recordings;
}

std::string startOf(const recording& r)
{
    return r.start.IsValid() ? r.start.Format("%Y-%m-%d %H:%M:%S").utf8_string() : "invalid";
}
}

TEST(catalogTest, dateAndTimeCombine)
{
    wxString today = wxDateTime::Today().Format("%Y-%m-%d");
    auto r = parse("<vmk_catalog>"
                   "<file><hdr><vmk_hdr><time>235930</time><date>20240115</date></vmk_hdr></hdr></file>"
                   "<file><hdr><vmk_hdr><date>20240115</date></vmk_hdr></hdr></file>"
                   "<file><hdr><vmk_hdr><time>101500</time></vmk_hdr></hdr></file>"
                   "<file><hdr><vmk_hdr><number>1</number></vmk_hdr></hdr></file>"
                   "<file><hdr><vmk_hdr><date>20241301</date><time>ab</time></vmk_hdr></hdr></file>"
                   "<file><hdr><vmk_hdr><date>20240101</date></vmk_hdr></hdr>"
                   "<hdr><vmk_hdr><date>20240202</date></vmk_hdr></hdr></file>"
                   "</vmk_catalog>");
    ASSERT_EQ(6u, r.size());
    EXPECT_EQ("2024-01-15 23:59:30", startOf(r[0]));
    EXPECT_EQ("2024-01-15 00:00:00", startOf(r[1]));
    EXPECT_EQ(today + " 10:15:00", startOf(r[2]));
    EXPECT_EQ("invalid", startOf(r[3]));
    EXPECT_EQ("invalid", startOf(r[4])); // neither value matches
    EXPECT_EQ("2024-02-02 00:00:00", startOf(r[5])); // several "hdr": all read, the last wins
    EXPECT_EQ("1", r[3].getProperty("label"));
}

TEST(catalogTest, namesMatchExactly)
{
    EXPECT_TRUE(parse("<other><file/></other>").empty());
    EXPECT_TRUE(parse("<VMK_catalog><file/></VMK_catalog>").empty());
    auto r = parse("<vmk_catalog><File/><file><hdr><VMK_HDR><number>x</number></VMK_HDR>"
                   "<vmk_hdr><DATE>20240115</DATE><Number>y</Number></vmk_hdr></hdr>"
                   "<Hdr><vmk_hdr><number>z</number></vmk_hdr></Hdr></file><note/></vmk_catalog>");
    ASSERT_EQ(1u, r.size());
    EXPECT_EQ("", r[0].getProperty("label"));
    EXPECT_FALSE(r[0].start.IsValid());
}

TEST(catalogTest, durationsNeverDivideByZeroOrOverflow)
{
    auto lengthOf = [](const std::string& audioHeader) {
        auto r = parse("<vmk_catalog><file><hdr><au_hdr>" + audioHeader +
                       "</au_hdr><vmk_hdr><date>20240115</date><time>120000</time></vmk_hdr></hdr></file>"
                       "</vmk_catalog>");
        EXPECT_EQ(1u, r.size());
        EXPECT_TRUE(r[0].end.IsValid());
        return (r[0].end - r[0].start).GetSeconds().GetValue();
    };
    EXPECT_EQ(0, lengthOf("<data_size>80000</data_size><sample_rate>0</sample_rate>"));
    EXPECT_EQ(0, lengthOf("<data_size>80000</data_size>"));
    EXPECT_EQ(0, lengthOf("<sample_rate>8000</sample_rate>"));
    EXPECT_EQ(5, lengthOf("<data_size>40000 bytes</data_size><sample_rate>8000Hz</sample_rate>"));
    EXPECT_EQ(0, lengthOf("<data_size>lots</data_size><sample_rate>8000</sample_rate>"));
    EXPECT_EQ(0, lengthOf("<data_size>-80000</data_size><sample_rate>8000</sample_rate>"));
    // Too large for their types: saturated, and the length capped, not wrapped.
    EXPECT_EQ(2, lengthOf("<data_size>8589934590</data_size><sample_rate>4294967296000</sample_rate>"));
    EXPECT_EQ(2147483647, lengthOf("<data_size>99999999999999999999999999</data_size><sample_rate>1</sample_rate>"));
}

TEST(catalogTest, brokenCatalogIsReadOnceAndYieldsNothing)
{
    scratchDir dir;
    std::string path = dir.write("ch/20240115/c.xml", "<vmk_catalog><file>");
    dynamicTimeline t(dir.at("ch"), "ch");
    double from = seconds(2024, wxDateTime::Jan, 15), to = seconds(2024, wxDateTime::Jan, 16);
    {
        wxLogNull quiet;
        EXPECT_TRUE(t.getRecordings(from, to).empty());
    }
    // Mended on disk: the timeline does not read it again until it is rebuilt.
    dir.write("ch/20240115/c.xml", catalogXml({{"20240115", "090000", 80000, "1", "/a"}}));
    EXPECT_TRUE(t.getRecordings(from, to).empty());
    EXPECT_EQ(1u, dynamicTimeline(dir.at("ch"), "ch").getRecordings(from, to).size());
}

TEST(getRecordingsTest, strictOverlapAndLaziness)
{
    scratchDir dir;
    dir.write("ch/20240115/c.xml", catalogXml({{"20240115", "090000", 80000, "a", ""},   // 09:00:00-09:00:10
                                               {"20240115", "235930", 480000, "late", ""}})); // to 00:00:30
    dir.write("ch/20240116/c.xml", catalogXml({{"20240116", "080000", 8000, "b", ""}}));
    dir.write("ch/20240117/c.xml", "not even XML");
    dynamicTimeline t(dir.at("ch"), "ch");
    const double start = seconds(2024, wxDateTime::Jan, 15, 9);
    auto entryOf = [&](const char* day) -> const catalogEntry& {
        for (const catalogEntry& e : t.catalogEntries())
            if (e.path.find(day) != std::string::npos)
                return e;
        throw std::runtime_error("no entry");
    };

    EXPECT_TRUE(t.getRecordings(start - 100, start).empty());    // ends at its start
    EXPECT_EQ(1u, t.getRecordings(start - 100, start + 1).size()); // one second later
    EXPECT_TRUE(t.getRecordings(start + 10, start + 100).empty()); // begins at its end
    EXPECT_EQ(1u, t.getRecordings(start + 9, start + 100).size());
    EXPECT_EQ(nullptr, entryOf("20240116").recordings) << "only days the interval overlaps are loaded";

    // Touching the 16th only at its end midnight loads nothing more.
    double midnight17 = seconds(2024, wxDateTime::Jan, 17);
    EXPECT_TRUE(t.getRecordings(midnight17, midnight17 + 60).empty());
    EXPECT_EQ(nullptr, entryOf("20240116").recordings);
    EXPECT_NE(nullptr, entryOf("20240117").recordings) << "the 17th was read, and gave nothing";

    // A call running past midnight belongs to its day's catalog only.
    double midnight16 = seconds(2024, wxDateTime::Jan, 16);
    EXPECT_TRUE(t.getRecordings(midnight16 + 1, midnight16 + 20).empty());
    EXPECT_EQ((std::vector<std::string>{"late"}), labels(t.getRecordings(midnight16 - 1, midnight16 + 20)));
    EXPECT_NE(nullptr, entryOf("20240116").recordings);

    // Order: entries as scanned, then catalog order; the same records every time.
    recordingList all = t.getRecordings(0, 2e9);
    EXPECT_EQ(3u, all.size());
    EXPECT_EQ(all, t.getRecordings(0, 2e9));
}
