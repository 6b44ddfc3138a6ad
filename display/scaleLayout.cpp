#include "display/scaleLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>

#include <wx/datetime.h>

#include "platform/narrow.h"
#include "recdb/localCalendar.h"

namespace {
long long floorDiv(long long a, long long b)
{
    long long q = a / b;
    if (a % b != 0 && ((a < 0) != (b < 0)))
        --q;
    return q;
}

long long floorMod(long long a, long long b)
{
    return a - floorDiv(a, b) * b;
}

// The candidate ticks of one row: an index k enumerates the unit's boundaries
// in time order (years: the year; months: 12 * year + month - 1; days: the
// local day number; the clock units: steps from the first candidate).
class tickSequence {
public:
    tickSequence(timeUnit unit_, long long viewStart) : unit(unit_)
    {
        // The clock units start at the view's first second, rounded down to
        // the unit on the local clock, and advance by fixed seconds from there.
        const localDateTime f = localDateTimeAt(viewStart);
        if (unit == unitHours)
            origin = viewStart - f.minute * 60 - f.second;
        else if (unit == unitMinutes)
            origin = viewStart - f.second;
        else
            origin = viewStart;
    }

    long long timeOf(long long k) const
    {
        switch (unit) {
        case unitYears:
            return startOfYear(k);
        case unitMonths:
            return startOfMonth(floorDiv(k, 12), floorMod(k, 12) + 1);
        case unitDays:
            return localMidnight(k);
        default:
            return origin + k * unitSeconds();
        }
    }

    // The smallest index whose time is at or after t.
    long long indexAtOrAfter(long long t) const
    {
        long long k;
        switch (unit) {
        case unitYears:
            k = localDateTimeAt(t).date.year;
            break;
        case unitMonths: {
            const civilDate d = localDateTimeAt(t).date;
            k = d.year * 12 + d.month - 1;
            break;
        }
        case unitDays:
            k = localDayAt(t);
            break;
        default:
            return -floorDiv(origin - t, unitSeconds()); // ceiling division
        }
        while (timeOf(k) < t)
            ++k;
        while (timeOf(k - 1) >= t)
            --k;
        return k;
    }

    // The tick's step value and label.
    int valueOf(long long k, long long t) const
    {
        switch (unit) {
        case unitYears:
            return static_cast<int>(k);
        case unitMonths:
            return static_cast<int>(floorMod(k, 12));
        case unitDays: {
            int day = dayOfMonth(k);
            return day <= 27 ? day - 1 : -1;
        }
        case unitHours:
            return localDateTimeAt(t).hour;
        case unitMinutes:
            return localDateTimeAt(t).minute;
        default:
            return localDateTimeAt(t).second;
        }
    }

    std::string labelOf(long long k, long long t) const
    {
        char text[32];
        switch (unit) {
        case unitYears:
            std::snprintf(text, sizeof text, "%lld", k);
            return text;
        case unitMonths:
            return toNarrow(wxDateTime::GetMonthName(static_cast<wxDateTime::Month>(floorMod(k, 12)),
                                                     wxDateTime::Name_Abbr));
        case unitDays:
            std::snprintf(text, sizeof text, "%d", dayOfMonth(k));
            return text;
        default:
            std::snprintf(text, sizeof text, "%02d", valueOf(k, t));
            return text;
        }
    }

    // The first index from k on whose tick a step keeps. For the years this
    // is arithmetic, so the long rows of long views are never walked; every
    // other unit repeats its step values within a month at most.
    long long nextSurviving(long long k, int step) const
    {
        if (unit == unitYears)
            return k + floorMod(-k, step);
        while (valueOf(k, timeOf(k)) % step != 0)
            ++k;
        return k;
    }

private:
    long long unitSeconds() const
    {
        return unit == unitHours ? 3600 : unit == unitMinutes ? 60 : 1;
    }

    static int dayOfMonth(long long dayNumber)
    {
        return dateOfDayNumber(dayNumber).day;
    }

    timeUnit unit;
    long long origin = 0;
};

struct candidate {
    long long k;
    long long t;
};

class rowBuilder {
public:
    rowBuilder(timeUnit unit, double viewBegin_, double viewEnd_, long long lo_, long long hi_, int width_,
               const textMeasure& measure_, int labelGap_)
        : sequence(unit, lo_ - 1), viewBegin(viewBegin_), viewEnd(viewEnd_), lo(lo_), hi(hi_), width(width_),
          labelGap(std::max(0, labelGap_)), measure(measure_)
    {
        firstIndex = sequence.indexAtOrAfter(lo);
    }

    // The first candidate from index k on that `step` keeps, if it is still
    // inside the view.
    bool surviving(long long k, int step, candidate& c) const
    {
        c.k = sequence.nextSurviving(std::max(k, firstIndex), step);
        c.t = sequence.timeOf(c.k);
        return c.t <= hi;
    }

    int xOf(long long t) const { return timeToColumn(static_cast<double>(t), viewBegin, viewEnd, width); }

    int labelWidth(const candidate& c)
    {
        std::string label = sequence.labelOf(c.k, c.t);
        auto known = widths.find(label);
        if (known != widths.end())
            return known->second;
        int w = std::max(0, measure(fromNarrow(label), 0).GetWidth());
        widths.emplace(label, w);
        return w;
    }

    // Scans the ticks a step keeps, left to right, until a label does not fit
    // before the next tick. A fitting pair is more than labelGap pixels wide,
    // so the scan never looks at more than width / (labelGap + 1) + 2 ticks.
    bool scan(int step, int& minGap, int& maxWidth)
    {
        minGap = -1;
        maxWidth = 0;
        candidate r, s;
        if (!surviving(firstIndex, step, r))
            return true;
        int rx = xOf(r.t);
        while (surviving(r.k + 1, step, s)) {
            int sx = xOf(s.t);
            int gap = sx - rx;
            int w = labelWidth(r);
            if (minGap < 0 || minGap > gap)
                minGap = gap;
            if (maxWidth < w)
                maxWidth = w;
            if (!(w + labelGap < gap))
                return false;
            r = s;
            rx = sx;
        }
        return true;
    }

    // The ticks a step keeps, the first of each pixel column only: after a
    // tick the walk jumps to the time where the next column starts.
    void collect(int step, std::vector<scaleTick>& ticks) const
    {
        const double span = viewEnd - viewBegin;
        const double slack = 1e-9 * (std::fabs(viewBegin) + span) + 2;
        long long k = firstIndex;
        int lastX = INT_MIN;
        candidate c;
        while (surviving(k, step, c)) {
            int x = xOf(c.t);
            k = c.k + 1;
            if (x == lastX)
                continue;
            ticks.push_back(scaleTick{x, sequence.valueOf(c.k, c.t), sequence.labelOf(c.k, c.t)});
            lastX = x;
            if (x >= width)
                break;
            double nextColumn = viewBegin + (x + 1.0) * span / width - slack;
            if (nextColumn > static_cast<double>(c.t)) {
                if (nextColumn > static_cast<double>(hi))
                    break;
                k = std::max(k, sequence.indexAtOrAfter(static_cast<long long>(nextColumn)));
            }
        }
    }

private:
    tickSequence sequence;
    double viewBegin, viewEnd;
    long long lo, hi; // the whole seconds that may carry ticks
    int width;
    int labelGap;
    const textMeasure& measure;
    long long firstIndex = 0;
    std::map<std::string, int> widths;
};

void layoutRow(timeUnit unit, const vTimelineDisplayState& state, int width, const textMeasure& measure,
               int labelGap, scaleRow& row)
{
    row.unit = unit;
    row.ticks.clear();
    row.labelSize = 0;

    const double vb = state.viewBegin, ve = state.viewEnd;
    if (!std::isfinite(vb) || !std::isfinite(ve) || !std::isfinite(ve - vb) || !(ve > vb) || width <= 0)
        return;
    // Ticks are whole seconds strictly inside the view and inside the calendar.
    const double first = static_cast<double>(scaleFirstTickTime);
    const double last = static_cast<double>(scaleLastTickTime);
    if (vb >= last || ve <= first)
        return;
    long long lo = vb < first ? scaleFirstTickTime : static_cast<long long>(std::floor(vb)) + 1;
    long long hi = ve > last ? scaleLastTickTime : static_cast<long long>(std::ceil(ve)) - 1;
    if (lo > hi)
        return;

    rowBuilder builder(unit, vb, ve, lo, hi, width, measure, labelGap);
    const std::vector<int>& steps = stepTable(unit);
    size_t chosen = 0;
    int minGap = -1, maxWidth = 0;
    while (!builder.scan(steps[chosen], minGap, maxWidth)) {
        if (++chosen == steps.size() - 1)
            break; // the coarsest step is taken as it is
    }
    if (minGap >= 0 && minGap < maxWidth)
        row.labelSize = std::max(1, 8 * minGap / maxWidth);
    builder.collect(steps[chosen], row.ticks);
}
}

const long long scaleFirstTickTime = -62135596800LL + 86400 * 2; // 0001-01-03 UTC
const long long scaleLastTickTime = 253402300799LL - 86400 * 2;  // 9999-12-29 UTC

const std::vector<int>& stepTable(timeUnit unit)
{
    static const std::vector<int> tables[] = {
        {1, 2, 5, 10, 20, 50, 100, 200, 500}, {1, 2, 3, 6}, {1, 7, 10, 14}, {1, 3, 6, 12}, {1, 10, 30},
        {1, 10, 30}};
    return tables[unit];
}

const char* unitName(timeUnit unit)
{
    static const char* const names[] = {"years", "months", "days", "hours", "minutes", "seconds"};
    return names[unit];
}

timeUnit topUnitFor(double span)
{
    if (span > 31536000)
        return unitYears;
    if (span > 2592000)
        return unitMonths;
    if (span > 86400)
        return unitDays;
    if (span > 3600)
        return unitHours;
    return unitMinutes;
}


void layoutScaleRows(const vTimelineDisplayState& state, int width, const textMeasure& measure, scaleRow rows[2],
                     int labelGap)
{
    const timeUnit top = topUnitFor(state.viewEnd - state.viewBegin);
    layoutRow(top, state, width, measure, labelGap, rows[0]);
    layoutRow(static_cast<timeUnit>(top + 1), state, width, measure, labelGap, rows[1]);
}
