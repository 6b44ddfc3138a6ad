// A day's summary must answer as its calls do: the seconds recorded in any
// stretch of time (overlapping calls once) and whether a call lies in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "recdb/daySummary.h"
#include "recdb/timeline.h"
#include "recdb/timeValue.h"

namespace {
const double day0 = 1700000000; // a midnight of no importance

recording call(double from, double to)
{
    recording r;
    r.start = fromSeconds(from);
    r.end = fromSeconds(to);
    return r;
}

// The answers worked out from the calls themselves.
double recordedByCalls(const std::vector<recording>& calls, double from, double to)
{
    std::vector<std::pair<double, double>> parts;
    for (const recording& r : calls) {
        const double s = std::max({toSeconds(r.start), from, day0}), e = std::min(toSeconds(r.end), to);
        if (e > s)
            parts.emplace_back(s, e);
    }
    std::sort(parts.begin(), parts.end());
    double total = 0, reached = from;
    for (const auto& p : parts) {
        total += std::max(0.0, p.second - std::max(p.first, reached));
        reached = std::max(reached, p.second);
    }
    return total;
}

bool callByCalls(const std::vector<recording>& calls, double from, double to)
{
    for (const recording& r : calls) {
        const double s = std::max(toSeconds(r.start), day0), e = toSeconds(r.end);
        if (s < to && (e > from || s >= from))
            return true;
    }
    return false;
}
}

TEST(daySummaryTest, answersAsItsCallsDo)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        // Calls, some overlapping, some of no length, some before the day or
        // running past its end.
        std::vector<recording> calls;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            const double s = day0 - 600 + static_cast<double>(random() % 90000);
            const double length = random() % 5 == 0 ? 0 : static_cast<double>(random() % 1800);
            calls.push_back(call(s, s + length));
        }
        const daySummary summary(day0, day0 + 86400, calls);
        EXPECT_EQ(static_cast<std::uint32_t>(count), summary.callCount());
        daySummary again;
        const std::string packed = summary.pack();
        ASSERT_TRUE(daySummary::unpack(packed.data(), packed.size(), again));
        EXPECT_TRUE(summary == again);
        for (int q = 0; q < 50; ++q) {
            double from = day0 - 100 + static_cast<double>(random() % 92000);
            double to = from + static_cast<double>(random() % (q % 2 ? 120 : 20000));
            if (q % 7 == 0 && !calls.empty()) // where a call ends
                to = (from = toSeconds(calls[random() % calls.size()].end)) + 1;
            SCOPED_TRACE(testing::Message() << "round " << round << " [" << from - day0 << ", " << to - day0 << ")");
            EXPECT_EQ(recordedByCalls(calls, from, to), summary.recordedIn(from, to));
            EXPECT_EQ(callByCalls(calls, from, to), summary.anyCallIn(from, to));
        }
    }
}

TEST(daySummaryTest, keepsLittleAndRefusesWhatDoesNotCheckOut)
{
    std::vector<recording> calls = {call(day0 + 10, day0 + 70), call(day0 + 30, day0 + 100), call(day0 + 100, day0 + 130),
                                    call(day0 + 130, day0 + 130), call(day0 + 500, day0 + 500),
                                    call(day0 + 600, day0 + 602)};
    const daySummary summary(day0, day0 + 86400, calls);
    EXPECT_EQ(6u, summary.callCount());
    EXPECT_DOUBLE_EQ(70, summary.longestCall());
    const std::string packed = summary.pack();
    // Three stretches of recording and a point: [10, 130), 130 (the call of no
    // length where the stretch ends), 500, [600, 602).
    EXPECT_EQ(29u + 4 * 8, packed.size());
    EXPECT_DOUBLE_EQ(122, summary.recordedIn(day0, day0 + 86400));
    EXPECT_TRUE(summary.anyCallIn(day0 + 130, day0 + 131));
    EXPECT_FALSE(summary.anyCallIn(day0 + 131, day0 + 500));

    daySummary out;
    for (std::size_t cut : {std::size_t(0), std::size_t(28), packed.size() - 1})
        EXPECT_FALSE(daySummary::unpack(packed.data(), cut, out)) << cut;
    std::string disordered = packed;
    std::swap_ranges(disordered.begin() + 29, disordered.begin() + 37, disordered.begin() + 37);
    EXPECT_FALSE(daySummary::unpack(disordered.data(), disordered.size(), out));
    std::string otherVersion = packed;
    otherVersion[0] = 2;
    EXPECT_FALSE(daySummary::unpack(otherVersion.data(), otherVersion.size(), out));
    EXPECT_TRUE(out == daySummary()) << "a refused form leaves the summary alone";
}
