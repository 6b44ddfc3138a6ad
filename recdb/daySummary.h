#pragma once
// What a long view needs of a day without its calls: how many calls there
// were, the longest, and when something was recorded: the union of the calls'
// intervals (calls that overlap count once), to the second, as the time axis
// counts. A view of
// years draws from these and never holds millions of calls with their texts.
//
// Kept compact: eight bytes per stretch of recording, so a day of 160 calls
// is about a kilobyte, and the shading drawn from it is the shading the calls
// themselves give.
#include <cstdint>
#include <string>
#include <vector>

class recording;

class daySummary {
public:
    daySummary() = default;
    // The day [dayStart, dayEnd) of a catalog and its calls. A call may run on
    // past dayEnd; one starting before dayStart counts from dayStart; calls
    // without valid times, or ending before they start, are left out.
    daySummary(double dayStart, double dayEnd, const std::vector<recording>& calls);

    double dayStart() const { return start; }
    double dayEnd() const { return end; }
    std::uint32_t callCount() const { return calls; }
    // Seconds; 0 without calls.
    double longestCall() const { return longest; }

    // Seconds recorded within [from, to), and whether a call lies in it (one
    // of no length too: it lies in [from, to) when from <= its time < to).
    double recordedIn(double from, double to) const;
    bool anyCallIn(double from, double to) const;

    // The compact form, and reading it back: false (and `out` untouched) for
    // anything that does not check out.
    std::string pack() const;
    static bool unpack(const char* bytes, std::size_t size, daySummary& out);

    // Calls `each(from, to)` for every stretch of recording that overlaps
    // [from, to) or, being a call of no length, lies in it, in time order,
    // as times on the axis (a stretch may reach past `to`).
    template <typename F>
    void forEachStretch(double from, double to, F each) const
    {
        for (std::size_t i = firstReaching(from); i < stretches.size(); ++i) {
            const double b = start + stretches[i].begin, e = start + stretches[i].end;
            if (b >= to)
                break;
            if (e > from || b >= from)
                each(b, e);
        }
    }

    bool operator==(const daySummary& other) const;
    bool operator!=(const daySummary& other) const { return !(*this == other); }

private:
    // Seconds from the day's start: [begin, end), in order, neither
    // overlapping nor touching (a call of no length is a stretch begin == end).
    struct stretch {
        std::uint32_t begin;
        std::uint32_t end;
        bool operator==(const stretch& o) const { return begin == o.begin && end == o.end; }
    };
    // The stretches that may overlap [from, to), as offsets into `stretches`.
    std::size_t firstReaching(double from) const;

    double start = 0;
    double end = 0;
    std::uint32_t calls = 0;
    double longest = 0;
    std::vector<stretch> stretches;
};
