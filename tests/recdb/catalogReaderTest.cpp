// The streaming reader, the compact form, the index and the workers must all
// give what the plain reading of a document tree gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

#include <wx/log.h>

#include "fuzz/catalogTreeReader.h"
#include "platform/directoryWalk.h"
#include "recdb/catalog.h"
#include "recdb/catalogIndex.h"
#include "recdb/catalogLoader.h"
#include "recdb/dynamicTimeline.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "tests/recdb/demoLines.h"

namespace {
// Everything a caller can see of a recording, as one line.
std::string describe(const std::vector<const recording*>& list)
{
    std::string text;
    for (const recording* r : list)
        text += std::to_string(r->start.IsValid() ? r->start.GetValue().GetValue() : -1) + " " +
                std::to_string(r->end.IsValid() ? r->end.GetValue().GetValue() : -1) + " [" +
                r->getProperty("label") + "] [" + r->getProperty("filename") + "] " +
                std::to_string(r->properties.size()) + "\n";
    return text;
}

std::string describe(const std::vector<recording>& list)
{
    std::vector<const recording*> pointers;
    for (const recording& r : list)
        pointers.push_back(&r);
    return describe(pointers);
}

// The tree path, as catalogs were read before: wx's loader and parseCatalog.
std::string throughTree(const std::string& xml)
{
    wxLogNull quiet;
    std::vector<recording> list;
    parseCatalogTree(xml.data(), xml.size(), list);
    return describe(list);
}

std::string throughStream(const std::string& xml)
{
    std::vector<recording> list;
    std::string error;
    readCatalog(xml.data(), xml.size(), list, error);
    return describe(list);
}

std::string call(const std::string& inner)
{
    return "<file><hdr>" + inner + "</hdr></file>";
}

std::string catalogWith(const std::string& number)
{
    return "<vmk_catalog>" + call("<vmk_hdr><number>" + number + "</number></vmk_hdr>") + "</vmk_catalog>";
}

// Makes `index` answer for the catalog at `path`, as it is now, with `xml`.
void storeAs(const catalogIndex& index, const std::string& path, const std::string& xml)
{
    fileStamp stamp;
    ASSERT_TRUE(fileStampOf(path, stamp));
    std::vector<recording> list;
    std::string error, packed;
    ASSERT_TRUE(readCatalog(xml.data(), xml.size(), list, error, &packed));
    index.store(path, stamp, packed);
}
}

// Odd but well-formed catalogs: how wx's tree takes text apart (blank first
// pieces dropped, CDATA, comments, instructions, entities, feeding in 1 KB
// pieces) must be matched exactly.
TEST(catalogReaderTest, streamingReaderAnswersLikeTheTree)
{
    const std::string good = "<au_hdr><data_size>80000</data_size><sample_rate>8000</sample_rate></au_hdr>"
                             "<vmk_hdr><date>20240115</date><time>093000</time><number>+49 30 1</number>"
                             "<file_name>C:\\rec\\20240115\\a.wav</file_name></vmk_hdr>";
    const std::string pad(970, ' ');
    const std::vector<std::string> catalogs = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vmk_catalog>" + call(good) + call(good) + "</vmk_catalog>",
        "<vmk_catalog>" + call("<vmk_hdr><number>  \n 12 </number><file_name><![CDATA[]]>x</file_name>"
                               "</vmk_hdr>") + "</vmk_catalog>",
        "<vmk_catalog>" + call("<vmk_hdr><number>1<!-- c -->2</number><file_name><?pi x?>y&amp;z&#32;</file_name>"
                               "<?number?></vmk_hdr><au_hdr><?data_size?><sample_rate> +8000Hz</sample_rate>"
                               "</au_hdr>") + "</vmk_catalog>",
        "<vmk_catalog>" + call("<vmk_hdr><number><b>inner</b>after</number><date> 20240115</date>"
                               "<time>2360</time><date>20240229</date><time>120000</time></vmk_hdr>") +
            "</vmk_catalog>",
        // Blanks straddling a 1 KB boundary, and a text split by it.
        "<vmk_catalog>" + pad + call("<vmk_hdr><number>" + std::string(40, ' ') + "77</number></vmk_hdr>") +
            call("<vmk_hdr><file_name>" + std::string(1100, 'n') + "</file_name></vmk_hdr>") + "</vmk_catalog>",
        // Daylight saving: the hour that is skipped and the one shown twice.
        "<vmk_catalog>" + call("<vmk_hdr><date>20240331</date><time>023000</time></vmk_hdr>") +
            call("<vmk_hdr><time>023000</time><date>20241027</date></vmk_hdr>") +
            call("<vmk_hdr><date>19650101</date><time>010203</time></vmk_hdr>") +
            call("<vmk_hdr><date>20500615</date></vmk_hdr>") + "</vmk_catalog>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><vmk_catalog>" +
            call("<vmk_hdr><number>M\xFCller</number></vmk_hdr>") + "</vmk_catalog>",
        "<!DOCTYPE vmk_catalog [<!ENTITY e \"entity\">]><vmk_catalog>" +
            call("<vmk_hdr><number>&e;</number><file_name>a&e;</file_name></vmk_hdr>") + "</vmk_catalog>",
        "<vmk_catalog>" + call("<vmk_hdr><number>" + std::string(300, '9') + "</number></vmk_hdr>") +
            "<file/><File/><other><file/></other></vmk_catalog>",
        // A character the narrow conversion keeps for an undecodable byte.
        "<vmk_catalog>" + call("<vmk_hdr><number>a\xF4\x80\x81\x81" "b</number></vmk_hdr>") + "</vmk_catalog>",
        "<other>" + call(good) + "</other>",
        "<vmk_catalog>" + call(good),
    };
    for (const std::string& xml : catalogs)
        EXPECT_EQ(throughTree(xml), throughStream(xml)) << xml.substr(0, 200);
}

TEST(catalogReaderTest, brokenXmlIsReportedAsWxWordsIt)
{
    std::vector<recording> list;
    std::string error;
    EXPECT_FALSE(readCatalog("<vmk_catalog><file>", 19, list, error));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ("XML parsing error: 'no element found' at line 1", error);
}

// The compact form: a round trip keeps everything, and a cut-off form is never
// taken for a shorter catalog.
TEST(catalogReaderTest, packedFormRoundTripsAndRefusesDamage)
{
    std::vector<recording> list;
    std::string error;
    const std::string xml = "<vmk_catalog>" +
                            call("<vmk_hdr><date>20240115</date><time>093000</time><number>1</number>"
                                 "<file_name>/r/20240115/a.wav</file_name></vmk_hdr>") +
                            call("<vmk_hdr><number>" + std::string(400, 'L') +
                                 "</number><file_name>/elsewhere/b.wav</file_name></vmk_hdr>") +
                            "<file/></vmk_catalog>";
    std::string packed;
    ASSERT_TRUE(readCatalog(xml.data(), xml.size(), list, error, &packed));
    std::vector<recording> back;
    ASSERT_TRUE(unpackCatalog(packed.data(), packed.size(), back));
    EXPECT_EQ(describe(list), describe(back));
    for (size_t length = 0; length < packed.size(); ++length) {
        std::vector<recording> cut;
        EXPECT_FALSE(unpackCatalog(packed.data(), length, cut)) << "cut at " << length;
        EXPECT_TRUE(cut.empty());
    }
}

// A generated archive read four ways: the tree, the streaming reader on this
// thread, the workers, and the index on a second reading.
TEST(catalogReaderTest, everyWayOfReadingAnArchiveAgrees)
{
    scratchDir dir;
    // Includes the spring change in Berlin.
    const std::map<std::string, std::string> channels = demoLines(dir, 2, 12, 25, "2024-03-31");
    ASSERT_EQ(2u, channels.size());

    // The reference: every catalog through the tree, in scan order.
    std::string expected;
    for (const auto& channel : channels) {
        dynamicTimeline plain(channel.second, channel.first);
        for (const catalogEntry& entry : plain.catalogEntries())
            expected += throughTree(readWholeFile(entry.path));
    }

    auto readAll = [&](catalogLoader* loader) {
        std::vector<std::unique_ptr<dynamicTimeline>> lines;
        std::vector<const timeline*> pointers;
        for (const auto& channel : channels) {
            lines.push_back(std::make_unique<dynamicTimeline>(channel.second, channel.first));
            lines.back()->setLoader(loader);
            pointers.push_back(lines.back().get());
        }
        EXPECT_TRUE(loadInterval(pointers, -1e12, 1e12, loader));
        std::string text;
        for (const auto& line : lines)
            text += describe(line->getRecordings(-1e12, 1e12));
        if (loader)
            loader->stop(); // its queue may still point into the lines
        return text;
    };
    EXPECT_EQ(expected, readAll(nullptr));
    {
        catalogLoader workers(nullptr, 3);
        EXPECT_EQ(expected, readAll(&workers));
    }
    catalogLoader indexed(std::make_shared<catalogIndex>(dir.at("cache")), 3);
    EXPECT_EQ(expected, readAll(&indexed)); // fills the index
    EXPECT_EQ(expected, readAll(&indexed)); // reads from it
}

namespace {
void setModified(const std::string& path, std::int64_t seconds)
{
    ASSERT_TRUE(setModificationTime(path, seconds * 1000000000));
}
}

// The index answers for an unchanged catalog only: rewritten with the same
// size, or with its modification time put back, it is read again.
TEST(catalogReaderTest, indexIsUsedOnlyForUnchangedCatalogs)
{
    scratchDir dir;
    const std::string path = dir.write("ch/20240115/c.xml", catalogWith("111"));
    setModified(path, 1700000000);
    const catalogIndex index(dir.at("cache"));
    auto labelNow = [&] {
        catalogEntry entry;
        entry.path = path;
        loadCatalog(entry, &index);
        return entry.recordings->empty() ? std::string("none") : (*entry.recordings)[0].getProperty("label");
    };
    EXPECT_EQ("111", labelNow());

    // The index is consulted: an entry stored for the present stamp wins.
    storeAs(index, path, catalogWith("from the index"));
    EXPECT_EQ("from the index", labelNow());

    dir.write("ch/20240115/c.xml", catalogWith("222")); // same size
    EXPECT_EQ("222", labelNow());
    dir.write("ch/20240115/c.xml", catalogWith("3333"));
    setModified(path, 1700000000); // same modification time as before
    EXPECT_EQ("3333", labelNow());
}

// Two loaders side by side: what is read through the one given the index (on
// its workers, along in loadInterval, in its timelines' getRecordings) comes
// from the index; through the other, or without a loader, from the catalogs.
TEST(catalogReaderTest, onlyTheLoaderGivenTheIndexUsesIt)
{
    scratchDir dir;
    auto index = std::make_shared<catalogIndex>(dir.at("cache"));
    for (int day = 10; day <= 28; ++day) {
        const std::string path = dir.write("ch/202402" + std::to_string(day) + "/c.xml", catalogWith("catalog"));
        storeAs(*index, nativePath(path), catalogWith("index")); // as the scan names it
    }
    catalogLoader indexed(index, 2), plain(nullptr, 2);
    auto labelsThrough = [&](catalogLoader* loader, bool interval) {
        dynamicTimeline line(nativePath(dir.at("ch")), "ch");
        line.setLoader(loader);
        if (interval) {
            EXPECT_TRUE(loadInterval({&line}, -1e12, 1e12, loader));
        }
        std::set<std::string> labels;
        for (const recording* r : line.getRecordings(-1e12, 1e12))
            labels.insert(r->label());
        if (loader)
            loader->stop();
        return labels;
    };
    for (bool interval : {true, false}) {
        SCOPED_TRACE(interval ? "loadInterval" : "getRecordings");
        EXPECT_EQ(std::set<std::string>{"index"}, labelsThrough(&indexed, interval));
        EXPECT_EQ(std::set<std::string>{"catalog"}, labelsThrough(&plain, interval));
        EXPECT_EQ(std::set<std::string>{"catalog"}, labelsThrough(nullptr, interval));
    }
}

// Workers stopped half-way leave every entry either read or unread, never
// half-read, and a timeline can be dropped right after.
TEST(catalogReaderTest, stoppingWorkersLeavesEntriesWholeOrUnread)
{
    scratchDir dir;
    for (int day = 1; day <= 28; ++day) {
        char folder[32];
        std::snprintf(folder, sizeof folder, "ch/202402%02d/c.xml", day);
        dir.write(folder, "<vmk_catalog>" + call("<vmk_hdr><number>n</number></vmk_hdr>") + "</vmk_catalog>");
    }
    for (int round = 0; round < 20; ++round) {
        dynamicTimeline line(dir.at("ch"), "ch");
        catalogLoader workers(nullptr, 2);
        line.setLoader(&workers);
        std::vector<timeSpan> pending;
        line.getAvailableRecordings(-1e12, 1e12, pending);
        EXPECT_EQ(28u, pending.size());
        workers.stop();
        for (const catalogEntry& entry : line.catalogEntries()) {
            const int state = entry.state.load();
            EXPECT_TRUE(state == catalogEntry::absent || state == catalogEntry::loaded) << state;
            EXPECT_EQ(state == catalogEntry::loaded, entry.recordings != nullptr);
        }
        // What was withdrawn is read when needed.
        EXPECT_EQ(28u, line.getRecordings(-1e12, 1e12).size());
    }
}

namespace {
// The summaries a line gives, waiting for its loader's workers.
std::vector<daySummary> summariesOf(const dynamicTimeline& line)
{
    std::vector<const daySummary*> found;
    for (int round = 0; round < 2000; ++round) {
        found.clear();
        std::vector<timeSpan> pending;
        EXPECT_TRUE(line.availableSummaries(-1e12, 1e12, found, pending));
        if (pending.empty())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::vector<daySummary> copies;
    for (const daySummary* s : found)
        copies.push_back(*s);
    return copies;
}
}

// A day's summary is that of its calls however it is made: alone, on the
// workers, from the index in a later run, or along with the calls; made on
// its own, it leaves the calls unread.
TEST(catalogReaderTest, summariesAreThoseOfTheCallsHoweverTheyAreMade)
{
    scratchDir dir;
    // With a day of 23 hours in Berlin.
    const std::map<std::string, std::string> channels = demoLines(dir, 1, 10, 30, "2024-03-31");
    ASSERT_EQ(1u, channels.size());
    const std::string folder = channels.begin()->second;
    std::string error;

    std::vector<daySummary> expected;
    {
        dynamicTimeline plain(folder, "line");
        for (const catalogEntry& entry : plain.catalogEntries()) {
            std::vector<recording> calls;
            const std::string xml = readWholeFile(entry.path);
            ASSERT_TRUE(readCatalog(xml.data(), xml.size(), calls, error));
            expected.emplace_back(entry.start, entry.end, calls);
        }
    }
    ASSERT_EQ(10u, expected.size());
    auto callsUnread = [](const dynamicTimeline& line) {
        for (const catalogEntry& entry : line.catalogEntries())
            if (entry.state.load() != catalogEntry::absent || entry.recordings)
                return false;
        return true;
    };
    {
        dynamicTimeline alone(folder, "line");
        EXPECT_EQ(expected, summariesOf(alone));
        EXPECT_TRUE(callsUnread(alone));
    }
    auto index = std::make_shared<catalogIndex>(dir.at("cache"));
    {
        catalogLoader workers(index, 2);
        dynamicTimeline line(folder, "line");
        line.setLoader(&workers);
        EXPECT_EQ(expected, summariesOf(line)); // fills the index
        EXPECT_TRUE(callsUnread(line));
        workers.stop();
    }
    // A later run: the index answers, for the day and time zone it was made
    // for. A summary stored in the index for the present catalog wins; one
    // made for another day start does not.
    dynamicTimeline probe(folder, "line");
    const catalogEntry& first = probe.catalogEntries()[0];
    fileStamp stamp;
    ASSERT_TRUE(fileStampOf(first.path, stamp));
    auto laterRun = [&] {
        catalogLoader workers(std::make_shared<catalogIndex>(dir.at("cache")), 2);
        dynamicTimeline line(folder, "line");
        line.setLoader(&workers);
        std::vector<daySummary> found = summariesOf(line);
        EXPECT_TRUE(callsUnread(line));
        workers.stop();
        return found;
    };
    EXPECT_EQ(expected, laterRun());
    index->store(first.path, stamp, daySummary(first.start, first.end, {}).pack(), catalogIndex::kind::summary);
    std::vector<daySummary> found = laterRun();
    ASSERT_EQ(10u, found.size());
    EXPECT_EQ(0u, found[0].callCount());
    index->store(first.path, stamp, daySummary(first.start + 3600, first.end, {}).pack(), catalogIndex::kind::summary);
    EXPECT_EQ(expected, laterRun());

    // Along with the calls.
    catalogLoader workers(index, 2);
    dynamicTimeline line(folder, "line");
    line.setLoader(&workers);
    ASSERT_TRUE(loadInterval({&line}, -1e12, 1e12, &workers));
    for (const catalogEntry& entry : line.catalogEntries())
        EXPECT_TRUE(entry.hasSummary());
    EXPECT_EQ(expected, summariesOf(line));
    workers.stop();
}

// A summary of calls whose "time" has no "date" holds only today and is not
// kept; a catalog that cannot be read has a summary without calls, is
// reported once and counts as read.
TEST(catalogReaderTest, summariesOfUndatedAndBrokenCatalogs)
{
    scratchDir dir;
    const std::string undated = nativePath(dir.write(
        "ch/20240110/c.xml",
        "<vmk_catalog>" + call("<vmk_hdr><time>101500</time><number>1</number></vmk_hdr>") + "</vmk_catalog>"));
    const std::string dated = nativePath(dir.write(
        "ch/20240111/c.xml",
        "<vmk_catalog>" + call("<vmk_hdr><date>20240111</date><time>101500</time></vmk_hdr>") + "</vmk_catalog>"));
    const std::string broken = nativePath(dir.write("ch/20240112/c.xml", "<vmk_catalog><file>"));
    const catalogIndex index(dir.at("cache"));
    capturedLog log;
    dynamicTimeline line(nativePath(dir.at("ch")), "ch");
    std::vector<catalogEntry>& entries = const_cast<std::vector<catalogEntry>&>(line.catalogEntries());
    ASSERT_EQ(3u, entries.size());
    for (catalogEntry& entry : entries)
        loadSummary(entry, &index);
    std::string payload;
    for (const catalogEntry& entry : entries) {
        fileStamp stamp;
        ASSERT_TRUE(fileStampOf(entry.path, stamp));
        const bool kept = index.find(entry.path, stamp, payload, catalogIndex::kind::summary);
        EXPECT_EQ(entry.path == dated, kept) << entry.path;
        EXPECT_EQ(entry.path == broken ? 0u : 1u, entry.summary->callCount()) << entry.path;
    }
    catalogEntry& unreadable = *std::find_if(entries.begin(), entries.end(),
                                             [&](const catalogEntry& e) { return e.path == broken; });
    EXPECT_TRUE(unreadable.isLoaded() && unreadable.unreadable);
    EXPECT_EQ(1u, std::count(log.text.begin(), log.text.end(), '\n')) << log.text;
    loadCatalog(unreadable, &index);
    EXPECT_EQ(1u, std::count(log.text.begin(), log.text.end(), '\n')) << log.text;
}
