// The days a month's calendar marks, from day summaries and from recordings:
// local days of 23 and 25 hours (Berlin), calls over midnight and over the
// month's end, years outside 1970..2038, and days still being read.
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "display/recordedDays.h"
#include "recdb/daySummary.h"
#include "recdb/localCalendar.h"
#include "recdb/timeValue.h"

namespace {
// A line of day catalogs: a call is kept with the local day it starts on and
// found, as the real timeline finds it, by the catalog days an interval
// overlaps (fakeTimeline's times end in 2038). Answers from summaries or calls.
class catalogLine : public timeline {
public:
    explicit catalogLine(bool summaries_) : summaries(summaries_) {}
    catalogLine& add(double from, double to)
    {
        recording r;
        r.start = fromSeconds(from);
        r.end = fromSeconds(to);
        days[localDayAt(static_cast<std::int64_t>(from))].push_back(r);
        return *this;
    }
    double getStart() const override { return 0; }
    double getEnd() const override { return 0; }
    bool isEmpty() const override { return days.empty(); }
    std::string getName() const override { return summaries ? "summarised" : "called"; }
    recordingList getRecordings(double, double) const override { return recordingList(); }
    recordingList getAvailableRecordings(double from, double to, std::vector<timeSpan>& pending) const override
    {
        EXPECT_FALSE(summaries) << "asked for calls though it keeps summaries";
        recordingList found;
        for (const auto& day : days)
            if (isRead(day.first, from, to, pending))
                for (const recording& r : day.second)
                    if (to > toSeconds(r.start) && from < toSeconds(r.end))
                        found.push_back(&r);
        return found;
    }
    bool availableSummaries(double from, double to, std::vector<const daySummary*>& out,
                            std::vector<timeSpan>& pending) const override
    {
        for (const auto& day : days)
            if (summaries && isRead(day.first, from, to, pending))
                out.push_back(&made.emplace(day.first, daySummary(midnight(day.first), midnight(day.first + 1),
                                                                  day.second)).first->second);
        return summaries;
    }
    std::set<std::int64_t> unread; // days still being read

private:
    static double midnight(std::int64_t day) { return static_cast<double>(localMidnight(day)); }
    bool isRead(std::int64_t day, double from, double to, std::vector<timeSpan>& pending) const
    {
        if (!(to > midnight(day) && from < midnight(day + 1)))
            return false;
        if (unread.count(day))
            pending.push_back(timeSpan{midnight(day), midnight(day + 1)});
        return !unread.count(day);
    }
    bool summaries;
    std::map<std::int64_t, std::vector<recording>> days;
    mutable std::map<std::int64_t, daySummary> made;
};

std::uint32_t daysOf(std::initializer_list<int> days)
{
    std::uint32_t bits = 0;
    for (int d : days)
        bits |= 1u << (d - 1);
    return bits;
}

void addCalls(catalogLine& line) // Berlin's local times
{
    line.add(1709247000, 1709248200)      // 2024-02-29 23:50 to 03-01 00:10
        .add(1709665200, 1709773200)      // 03-05 20:00 to 03-07 02:00
        .add(1710068400, 1710068400)      // 03-10 12:00, no length
        .add(1710882000, 1710889200)      // 03-19 22:00 to 03-20 00:00: nothing of the 20th
        .add(1711321200, 1711321200)      // 03-25 00:00, no length: the 25th, not the 24th
        .add(1711920600, 1711924200)      // 03-31 23:30 (a day of 23 hours) to 04-01 00:30
        .add(1711925100, 1711925100)      // 04-01 00:45, within 24 hours of 03-31 00:00
        .add(1730068200, 1730068200)      // 10-27 23:30 (a day of 25 hours)
        .add(-143512200, -143512200)      // 1965-06-15 00:30
        .add(2527281000, 2527284600)      // 2050-01-31 23:30 to 02-01 00:30
        .add(253402254000, 253402254000); // 9999-12-31 12:00
}
}

TEST(recordedDays, summariesAndRecordingsMarkTheLocalDaysTheCallsLieOn)
{
    catalogLine called(false), summarised(true);
    addCalls(called);
    addCalls(summarised);
    const struct {
        int year, month;
        std::uint32_t expected;
    } months[] = {{2024, 2, daysOf({29})}, {2024, 3, daysOf({1, 5, 6, 7, 10, 19, 25, 31})}, {2024, 4, daysOf({1})},
                  {2024, 10, daysOf({27})}, {2024, 11, 0}, {1965, 6, daysOf({15})}, {2050, 1, daysOf({31})},
                  {2050, 2, daysOf({1})}, {9999, 12, daysOf({31})}};
    for (const catalogLine* line : {&called, &summarised})
        for (const auto& m : months) {
            bool pending = true;
            EXPECT_EQ(m.expected, recordedDaysOfMonth({line}, m.year, m.month, pending))
                << line->getName() << " " << m.year << "-" << m.month;
            EXPECT_FALSE(pending);
        }
}

TEST(recordedDays, linesAddUpAndDaysBeingReadWaitUnmarked)
{
    catalogLine called(false), summarised(true);
    summarised.add(1709247000, 1709248200);                          // 2024-02-29 23:50 to 03-01 00:10
    called.add(1710068400, 1710068400).add(1710882000, 1710889200); // 03-10 12:00, 03-19 22:00
    const std::vector<const timeline*> both = {&summarised, &called};
    bool pending = true;
    EXPECT_EQ(0u, recordedDaysOfMonth({}, 2024, 3, pending));
    EXPECT_FALSE(pending);
    // The day before the month, whose calls may run into it, and a day of it.
    summarised.unread = {localDayAt(1709247000)};
    called.unread = {localDayAt(1710068400)};
    EXPECT_EQ(daysOf({19}), recordedDaysOfMonth(both, 2024, 3, pending));
    EXPECT_TRUE(pending);
    summarised.unread.clear();
    called.unread.clear();
    EXPECT_EQ(daysOf({1, 10, 19}), recordedDaysOfMonth(both, 2024, 3, pending));
    EXPECT_FALSE(pending);
}
