#include "display/recordedDays.h"

#include <algorithm>

#include "recdb/daySummary.h"
#include "recdb/localCalendar.h"
#include "recdb/timeValue.h"

namespace {
// The month's local midnights: day i (0-based) lasts [at[i], at[i + 1]).
struct monthDays {
    std::vector<double> at;

    int count() const { return static_cast<int>(at.size()) - 1; }
    // The day that holds instant t, clamped to the month's first.
    int dayOf(double t) const
    {
        const int i = static_cast<int>(std::upper_bound(at.begin(), at.end(), t) - at.begin()) - 1;
        return std::max(i, 0);
    }
};

void markCall(const monthDays& days, double from, double to, std::uint32_t& marks)
{
    const int n = days.count();
    if (from == to) {
        if (from >= days.at[0] && from < days.at[n])
            marks |= 1u << days.dayOf(from);
        return;
    }
    for (int i = days.dayOf(from); i < n && days.at[i] < to; ++i)
        marks |= 1u << i;
}

void markSummary(const monthDays& days, const daySummary& day, std::uint32_t& marks)
{
    const int n = days.count();
    if (day.callCount() == 0 || day.dayStart() >= days.at[n])
        return;
    // Calls may run on past the summary's day, without a gap: after it, the
    // first day without a call ends them.
    for (int i = days.dayOf(day.dayStart()); i < n; ++i) {
        const bool any = day.anyCallIn(days.at[i], days.at[i + 1]);
        if (any)
            marks |= 1u << i;
        else if (days.at[i] >= day.dayEnd())
            break;
    }
}
}

std::uint32_t recordedDaysOfMonth(const std::vector<const timeline*>& lines, int year, int month, bool& pending)
{
    pending = false;
    if (lines.empty() || month < 1 || month > 12)
        return 0;
    const std::int64_t first = dayNumberOf(civilDate{year, month, 1});
    const int length = daysInMonth(year, month);
    monthDays days;
    days.at.reserve(length + 1);
    for (int i = 0; i <= length; ++i)
        days.at.push_back(static_cast<double>(localMidnight(first + i)));
    // From the day before: a call of the last evening of the previous month is
    // kept with that day, and may run on into this month's first.
    const double from = static_cast<double>(localMidnight(first - 1));
    const double to = days.at[length];

    std::uint32_t marks = 0;
    std::vector<const daySummary*> summaries;
    std::vector<timeSpan> unread;
    for (const timeline* line : lines) {
        summaries.clear();
        unread.clear();
        if (line->availableSummaries(from, to, summaries, unread)) {
            for (const daySummary* day : summaries)
                markSummary(days, *day, marks);
        } else {
            for (const recording* r : line->getAvailableRecordings(from, to, unread)) {
                if (!r->start.IsValid() || !r->end.IsValid())
                    continue;
                const double s = toSeconds(r->start), e = toSeconds(r->end);
                if (e >= s)
                    markCall(days, s, e, marks);
            }
        }
        pending = pending || !unread.empty();
    }
    return marks;
}
