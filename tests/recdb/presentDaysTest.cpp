// New calls of the present days while the program runs: catalogs that grow,
// that the logger is still writing, and new day folders.
#include <gtest/gtest.h>

#include <algorithm>

#include "recdb/catalog.h"
#include "recdb/catalogIndex.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/localCalendar.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

namespace {
std::string callXml(const std::string& date, const std::string& time, const std::string& number)
{
    return "<file><hdr><au_hdr><data_size>80000</data_size><sample_rate>8000</sample_rate></au_hdr>"
           "<vmk_hdr><date>" + date + "</date><time>" + time + "</time><number>" + number +
           "</number><file_name>" + number + ".wav</file_name></vmk_hdr></hdr></file>\n";
}

std::string catalogXml(const std::string& date, int calls)
{
    std::string xml = "<?xml version=\"1.0\"?>\n<vmk_catalog>\n";
    for (int i = 0; i < calls; ++i)
        xml += callXml(date, "10" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "00",
                       date + "-" + std::to_string(i));
    return xml + "</vmk_catalog>\n";
}

std::int64_t noonOf(int year, int month, int day)
{
    localDateTime when;
    when.date.year = year;
    when.date.month = month;
    when.date.day = day;
    when.hour = 12;
    return instantOfLocal(when);
}

// In order: the scan takes folders in the order the system lists them.
std::vector<std::string> labelsOf(const recordingList& calls)
{
    std::vector<std::string> labels;
    for (const recording* r : calls)
        labels.push_back(r->label());
    std::sort(labels.begin(), labels.end());
    return labels;
}

class presentDays : public ::testing::Test {
protected:
    scratchDir dir;
    catalogIndex index{dir.at("cache")};
    const std::int64_t now = noonOf(2024, 1, 12);
    capturedLog log;
    int stops = 0;
    std::function<void()> stop = [this] { ++stops; };

    dynamicTimeline::news look(dynamicTimeline& line, std::int64_t at)
    {
        dynamicTimeline::news found;
        line.lookForNews(at, &index, found, stop);
        return found;
    }
};
}

// A catalog of today that grows is read again where it was read, its calls
// replace the old ones (which stay valid), and the summary follows; older
// days are left alone, and a look that finds nothing changes nothing.
TEST_F(presentDays, grownCatalogsReplaceTheirCallsAndSummaries)
{
    const std::string today = dir.write("line/20240112/c.xml", catalogXml("20240112", 2));
    const std::string old = dir.write("line/20240105/c.xml", catalogXml("20240105", 1));
    dynamicTimeline line(nativePath(dir.at("line")), "line", nullptr, &index);
    line.watchPresentDays(now);
    const recordingList before = line.getRecordings(-1e12, 1e12);
    ASSERT_EQ(3u, before.size());
    EXPECT_FALSE(look(line, now).changed);
    EXPECT_EQ(0, stops) << "nothing changed: the workers go on";

    dir.write("line/20240112/c.xml", catalogXml("20240112", 3));
    dir.write("line/20240105/c.xml", catalogXml("20240105", 4)); // not a present day
    const dynamicTimeline::news found = look(line, now);
    EXPECT_TRUE(found.changed);
    EXPECT_GE(stops, 1);
    EXPECT_EQ((std::vector<std::string>{"20240105-0", "20240112-0", "20240112-1", "20240112-2"}),
              labelsOf(line.getRecordings(-1e12, 1e12)));
    EXPECT_EQ((std::vector<std::string>{"20240105-0", "20240112-0", "20240112-1"}), labelsOf(before))
        << "the calls replaced are still there";

    std::vector<const daySummary*> summaries;
    std::vector<timeSpan> pending;
    line.availableSummaries(static_cast<double>(now - 3600), static_cast<double>(now), summaries, pending);
    ASSERT_EQ(1u, summaries.size());
    EXPECT_EQ(3u, summaries[0]->callCount());
    (void)today, (void)old;
}

// A catalog the logger is writing is not well-formed: it is read again as it
// grows, without a word, keeps its calls of before, and is reported once if
// it stays broken past the patience.
TEST_F(presentDays, aCatalogBeingWrittenIsReportedOnlyWhenItStaysBroken)
{
    const std::string whole = catalogXml("20240112", 4);
    dir.write("line/20240112/c.xml", catalogXml("20240112", 1));
    dynamicTimeline line(nativePath(dir.at("line")), "line", nullptr, &index);
    line.watchPresentDays(now);
    ASSERT_EQ(1u, line.getRecordings(-1e12, 1e12).size());

    std::int64_t at = now;
    for (std::size_t cut = 60; cut < whole.size(); cut += 97, at += 3) {
        dir.write("line/20240112/c.xml", whole.substr(0, cut));
        const dynamicTimeline::news found = look(line, at);
        EXPECT_TRUE(found.broken.empty()) << cut;
        EXPECT_EQ(1u, line.getRecordings(-1e12, 1e12).size()) << "the calls of before stay, at " << cut;
    }
    EXPECT_EQ("", log.text);
    dir.write("line/20240112/c.xml", whole);
    EXPECT_TRUE(look(line, at).changed);
    EXPECT_EQ(4u, line.getRecordings(-1e12, 1e12).size());

    // Broken for good.
    dir.write("line/20240112/c.xml", whole.substr(0, whole.size() - 20));
    EXPECT_TRUE(look(line, at).broken.empty());
    EXPECT_TRUE(look(line, at + dynamicTimeline::patience - 1).broken.empty());
    const dynamicTimeline::news late = look(line, at + dynamicTimeline::patience);
    ASSERT_EQ(1u, late.broken.size());
    EXPECT_NE(std::string::npos, late.broken[0].find("cannot be read"));
    EXPECT_TRUE(look(line, at + 2 * dynamicTimeline::patience).broken.empty()) << "reported once";
    EXPECT_EQ(4u, line.getRecordings(-1e12, 1e12).size());
    EXPECT_EQ("", log.text);
}

// The first read of a present day that finds it half-written says nothing
// either: the looks read it again.
TEST_F(presentDays, aHalfWrittenCatalogAtTheFirstReadIsReadAgain)
{
    const std::string whole = catalogXml("20240112", 2);
    dir.write("line/20240112/c.xml", whole.substr(0, whole.size() / 2));
    dynamicTimeline line(nativePath(dir.at("line")), "line", nullptr, &index);
    line.watchPresentDays(now);
    EXPECT_EQ(0u, line.getRecordings(-1e12, 1e12).size());
    EXPECT_EQ("", log.text);
    EXPECT_FALSE(look(line, now).changed);
    dir.write("line/20240112/c.xml", whole);
    EXPECT_TRUE(look(line, now + 3).changed);
    EXPECT_EQ(2u, line.getRecordings(-1e12, 1e12).size());
}

// After midnight the logger starts a new day folder; catalogs added to a
// present day's folder come too.
TEST_F(presentDays, newDayFoldersAndCatalogsBecomeEntries)
{
    dir.write("line/20240112/c.xml", catalogXml("20240112", 1));
    dynamicTimeline line(nativePath(dir.at("line")), "line", nullptr, &index);
    line.watchPresentDays(now);
    ASSERT_EQ(1u, line.getRecordings(-1e12, 1e12).size());
    EXPECT_FALSE(look(line, now).changed);

    dir.write("line/20240112/d.xml", catalogXml("20240112", 2));
    dir.write("line/20240113/c.xml", catalogXml("20240113", 3));
    const std::int64_t tomorrow = noonOf(2024, 1, 13);
    EXPECT_TRUE(look(line, tomorrow).changed);
    EXPECT_EQ(3u, line.catalogEntries().size());
    EXPECT_EQ(6u, line.getRecordings(-1e12, 1e12).size());
    EXPECT_EQ(static_cast<double>(localMidnight(localDayAt(tomorrow) + 1)), line.getEnd());
    EXPECT_FALSE(look(line, tomorrow + 10).changed);

    // A day folder made before its first catalog.
    const std::int64_t dayAfter = noonOf(2024, 1, 14);
    dir.mkdir("line/20240114");
    EXPECT_FALSE(look(line, dayAfter).changed);
    dir.write("line/20240114/c.xml", catalogXml("20240114", 1));
    EXPECT_TRUE(look(line, dayAfter + 3).changed);
    EXPECT_EQ(7u, line.getRecordings(-1e12, 1e12).size());
}
