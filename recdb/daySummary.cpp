#include "recdb/daySummary.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "recdb/littleEndian.h"
#include "recdb/timeline.h"
#include "recdb/timeValue.h"

namespace {
const std::uint32_t farthest = std::numeric_limits<std::uint32_t>::max();
const char version = 1;
const std::size_t headSize = 1 + 8 + 8 + 4 + 4 + 4;

// Seconds from the day's start, within what a stretch can hold (a damaged
// catalog can claim a call of centuries; it is cut at 136 years).
std::uint32_t offsetOf(double t, double dayStart)
{
    const double seconds = std::floor(t - dayStart);
    if (!(seconds > 0))
        return 0;
    return seconds >= static_cast<double>(farthest) ? farthest : static_cast<std::uint32_t>(seconds);
}
}

daySummary::daySummary(double dayStart_, double dayEnd_, const std::vector<recording>& list)
    : start(dayStart_), end(dayEnd_)
{
    for (const recording& r : list) {
        if (!r.start.IsValid() || !r.end.IsValid())
            continue;
        const double s = toSeconds(r.start), e = toSeconds(r.end);
        if (!(e >= s))
            continue;
        ++calls;
        longest = std::max(longest, e - s);
        stretches.push_back(stretch{offsetOf(s, start), offsetOf(e, start)});
    }
    std::sort(stretches.begin(), stretches.end(),
              [](const stretch& a, const stretch& b) { return a.begin < b.begin || (a.begin == b.begin && a.end < b.end); });
    // One stretch for recordings that overlap or follow on without a gap. A
    // call of no length where a stretch ends stays a point of its own: the
    // stretch does not reach it.
    std::size_t kept = 0;
    for (const stretch& next : stretches) {
        if (kept > 0) {
            stretch& last = stretches[kept - 1];
            const bool point = next.begin == next.end;
            if (next.begin < last.end || (next.begin == last.end && !point) ||
                (point && last.begin == last.end && next.begin == last.begin)) {
                last.end = std::max(last.end, next.end);
                continue;
            }
        }
        stretches[kept++] = next;
    }
    stretches.resize(kept);
}

std::size_t daySummary::firstReaching(double from) const
{
    // Stretches are ordered and apart, so their ends are ordered too.
    const double offset = from - start;
    return static_cast<std::size_t>(
        std::lower_bound(stretches.begin(), stretches.end(), offset,
                         [](const stretch& s, double t) { return static_cast<double>(s.end) < t; }) -
        stretches.begin());
}

double daySummary::recordedIn(double from, double to) const
{
    double total = 0;
    for (std::size_t i = firstReaching(from); i < stretches.size(); ++i) {
        const double b = start + stretches[i].begin, e = start + stretches[i].end;
        if (b >= to)
            break;
        total += std::max(0.0, std::min(e, to) - std::max(b, from));
    }
    return total;
}

bool daySummary::anyCallIn(double from, double to) const
{
    for (std::size_t i = firstReaching(from); i < stretches.size(); ++i) {
        const double b = start + stretches[i].begin, e = start + stretches[i].end;
        if (b >= to)
            return false;
        if (e > from || b >= from)
            return true;
    }
    return false;
}

std::string daySummary::pack() const
{
    std::string out;
    out.reserve(headSize + stretches.size() * 8);
    out += version;
    putLittleEndian(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(start)), 8);
    putLittleEndian(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(end)), 8);
    putLittleEndian(out, calls, 4);
    putLittleEndian(out, offsetOf(longest, 0), 4);
    putLittleEndian(out, stretches.size(), 4);
    for (const stretch& s : stretches) {
        putLittleEndian(out, s.begin, 4);
        putLittleEndian(out, s.end, 4);
    }
    return out;
}

bool daySummary::unpack(const char* bytes, std::size_t size, daySummary& out)
{
    if (size < headSize || bytes[0] != version)
        return false;
    const std::uint64_t count = getLittleEndian(bytes + 25, 4);
    if ((size - headSize) / 8 != count || (size - headSize) % 8 != 0)
        return false;
    daySummary read;
    read.start = static_cast<double>(static_cast<std::int64_t>(getLittleEndian(bytes + 1, 8)));
    read.end = static_cast<double>(static_cast<std::int64_t>(getLittleEndian(bytes + 9, 8)));
    read.calls = static_cast<std::uint32_t>(getLittleEndian(bytes + 17, 4));
    read.longest = static_cast<double>(getLittleEndian(bytes + 21, 4));
    if (!(read.end >= read.start) || count > read.calls)
        return false;
    read.stretches.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const char* at = bytes + headSize + 8 * i;
        stretch& s = read.stretches[i];
        s.begin = static_cast<std::uint32_t>(getLittleEndian(at, 4));
        s.end = static_cast<std::uint32_t>(getLittleEndian(at + 4, 4));
        // In order and apart, as the constructor leaves them.
        if (s.end < s.begin || (i > 0 && s.begin < read.stretches[i - 1].end))
            return false;
    }
    out = std::move(read);
    return true;
}

bool daySummary::operator==(const daySummary& other) const
{
    return start == other.start && end == other.end && calls == other.calls &&
           offsetOf(longest, 0) == offsetOf(other.longest, 0) && stretches == other.stretches;
}
