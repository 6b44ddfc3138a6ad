// The search over lines and years must find exactly what filtering the lines'
// listing of the range finds, in start order, however the range is cut into
// steps and whoever reads the catalogs.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "recdb/callListing.h"
#include "recdb/callSearch.h"
#include "recdb/catalogLoader.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/timeValue.h"
#include "support/testSupport.h"
#include "tests/display/fakeTimeline.h"
#include "tests/recdb/demoLines.h"

namespace {
std::vector<callHit> searchAll(const std::vector<const timeline*>& lines, double from, double to,
                               const callFilter& filter, catalogLoader* loader)
{
    callSearch search(lines, from, to, filter, loader);
    std::vector<callHit> hits;
    while (!search.finished())
        search.takeHits(hits);
    search.takeHits(hits);
    return hits;
}

// The reference: each line's listing of the range, filtered, merged by start
// (ties in line order).
std::vector<callHit> listingFiltered(const std::vector<const timeline*>& lines, double from, double to,
                                     const callFilter& filter)
{
    std::vector<callHit> hits;
    for (const timeline* line : lines)
        for (const recording* r : line->getRecordings(from, to))
            if (filter.matches(*r))
                hits.push_back(callHit{line, r});
    std::stable_sort(hits.begin(), hits.end(), [](const callHit& a, const callHit& b) {
        return toSeconds(a.call->start) < toSeconds(b.call->start);
    });
    return hits;
}

std::string describe(const std::vector<callHit>& hits)
{
    return hitsAsTabText(hits);
}
}

TEST(callSearchTest, findsWhatTheFilteredListingHolds)
{
    // Calls on the borders of the search's steps (a day, then two, four...),
    // of no length, starting before the range and lasting through many steps.
    const double t0 = 1700000000, day = 86400;
    fakeTimeline a("a"), b("b");
    a.add(t0 - 100, t0 + 50, "0301").add(t0 + day, t0 + day, "0302").add(t0 + 3 * day, t0 + 3 * day + 5, "0303")
        .add(t0 + 2 * day, t0 + 40 * day, "0304").add(t0 - 10, t0, "0305").add(t0 + 90 * day, t0 + 91 * day, "0306");
    b.add(t0 + day, t0 + day + 1, "0301").add(t0 + 7 * day - 1, t0 + 7 * day + 1, "9").add(t0 + 200 * day, t0 + 201 * day, "0300");
    const std::vector<const timeline*> lines = {&a, &b};
    const struct {
        double from, to;
        const char* query;
        double minLength, maxLength;
    } cases[] = {
        {t0, t0 + 100 * day, "", -1, -1},
        {t0, t0 + 100 * day, "030*, !0303", -1, -1},
        {t0 + day, t0 + 3 * day, "", -1, -1},
        {t0, t0 + 365 * day, "", 1, 86400},
        {t0, t0, "", -1, -1},
    };
    for (const auto& c : cases) {
        const callFilter filter{callQuery(c.query), c.minLength, c.maxLength};
        EXPECT_EQ(describe(listingFiltered(lines, c.from, c.to, filter)),
                  describe(searchAll(lines, c.from, c.to, filter, nullptr)))
            << c.query << " over " << c.to - c.from << " s";
    }
}

TEST(callSearchTest, readsAnArchiveThroughTheWorkersAndStopsWhenCancelled)
{
    scratchDir dir;
    // Over the spring change in Berlin.
    const std::map<std::string, std::string> channels = demoLines(dir, 3, 60, 20, "2024-04-15");
    ASSERT_EQ(3u, channels.size());

    catalogLoader workers(nullptr, 2);
    auto open = [&](std::vector<std::unique_ptr<dynamicTimeline>>& owned) {
        std::vector<const timeline*> lines;
        for (const auto& channel : channels) {
            owned.push_back(std::make_unique<dynamicTimeline>(channel.second, channel.first));
            owned.back()->setLoader(&workers);
            lines.push_back(owned.back().get());
        }
        return lines;
    };
    std::vector<std::unique_ptr<dynamicTimeline>> searched, listed;
    const std::vector<const timeline*> searchedLines = open(searched), listedLines = open(listed);
    const double from = searchedLines[0]->getStart() - 1, to = searchedLines[0]->getEnd() + 1;
    const callFilter filter{callQuery("*1*, !*9"), 30, -1};
    const std::vector<callHit> found = searchAll(searchedLines, from, to, filter, &workers);
    const std::vector<callHit> expected = listingFiltered(listedLines, from, to, filter);
    ASSERT_GT(expected.size(), 50u);
    // The same calls (of other timelines of the same archive): compared as text
    // without the line objects.
    EXPECT_EQ(describe(expected), describe(found));

    // Cancelled at once: it ends, and what it read is whole.
    std::vector<std::unique_ptr<dynamicTimeline>> fresh;
    const std::vector<const timeline*> freshLines = open(fresh);
    {
        callSearch search(freshLines, from, to, filter, &workers);
        search.cancel();
        while (!search.finished()) {
        }
        std::vector<callHit> some;
        search.takeHits(some);
        EXPECT_LE(some.size(), expected.size());
    }
    workers.stop(); // its queue may point into the lines
    EXPECT_EQ(describe(expected), describe(listingFiltered(freshLines, from, to, filter)));
}

TEST(callListingTest, fieldsAndLengths)
{
    const struct {
        const char* text;
        const char* csv;
    } fields[] = {
        {"0301234", "0301234"},
        {"Smith, John", "\"Smith, John\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {" padded", "\" padded\""},
        {"", ""},
    };
    for (const auto& f : fields)
        EXPECT_EQ(f.csv, csvField(f.text)) << f.text;
    EXPECT_EQ("0:00:00", lengthText(0));
    EXPECT_EQ("0:00:59", lengthText(59.9));
    EXPECT_EQ("1:01:01", lengthText(3661));
    EXPECT_EQ("100:00:00", lengthText(360000));
    EXPECT_EQ("0:00:00", lengthText(-5));
}
