// The scale's row layout, without a window: unit choice, tick generation in
// local time, thinning, and bounded work on absurd views.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include <wx/datetime.h>

#include "display/scaleLayout.h"
#include "platform/narrow.h"

namespace {
// Labels as wide as `perChar` pixels a character, counting calls.
struct fakeMeasure {
    int perChar;
    int calls = 0;
    textMeasure fn()
    {
        return [this](const wxString& text, int) {
            ++calls;
            return wxSize(perChar * static_cast<int>(text.length()), 10);
        };
    }
};

vTimelineDisplayState view(double begin, double end)
{
    vTimelineDisplayState s;
    s.viewBegin = begin;
    s.viewEnd = end;
    s.selectionBegin = begin;
    s.selectionEnd = begin;
    return s;
}

// Local midnight at the start of a Berlin day, from wx's own calendar.
double midnight(int day, wxDateTime::Month month, int year)
{
    return static_cast<double>((wxDateTime(day, month, year).GetValue() / 1000).GetValue());
}

std::vector<std::string> labels(const scaleRow& row)
{
    std::vector<std::string> out;
    for (const scaleTick& t : row.ticks)
        out.push_back(t.label);
    return out;
}

std::set<std::string> labelSet(const scaleRow& row)
{
    std::vector<std::string> all = labels(row);
    return std::set<std::string>(all.begin(), all.end());
}

// ---- The plain rule, written out as directly as possible with wx's calendar
// arithmetic: every candidate from the first, then the step-by-step thinning.
// Valid for views inside 1971..2036, where wx's local time needs no help.
std::vector<scaleTick> plainCandidates(timeUnit unit, double vb, double ve, int width)
{
    wxDateTime c(wxLongLong(static_cast<long long>(vb)) * 1000);
    switch (unit) {
    case unitYears:
        c = wxDateTime(1, wxDateTime::Jan, c.GetYear());
        break;
    case unitMonths:
        c = wxDateTime(1, c.GetMonth(), c.GetYear());
        break;
    case unitDays:
        c.ResetTime();
        break;
    // (Subtracting rather than setting fields: in the hour that the clock
    // shows twice, setting a field may land in the other occurrence.)
    case unitHours:
        c -= wxTimeSpan(0, c.GetMinute(), c.GetSecond());
        break;
    case unitMinutes:
        c -= wxTimeSpan(0, 0, c.GetSecond());
        break;
    default:
        break;
    }
    std::vector<scaleTick> out;
    for (;;) {
        double t = static_cast<double>((c.GetValue() / 1000).GetValue());
        if (!(t < ve))
            break;
        if (t > vb) {
            scaleTick tick;
            tick.x = timeToColumn(t, vb, ve, width);
            switch (unit) {
            case unitYears:
                tick.stepValue = c.GetYear();
                tick.label = toNarrow(wxString::Format("%d", c.GetYear()));
                break;
            case unitMonths:
                tick.stepValue = c.GetMonth();
                tick.label = toNarrow(wxDateTime::GetMonthName(c.GetMonth(), wxDateTime::Name_Abbr));
                break;
            case unitDays:
                tick.stepValue = c.GetDay() <= 27 ? c.GetDay() - 1 : -1;
                tick.label = toNarrow(wxString::Format("%d", c.GetDay()));
                break;
            case unitHours:
                tick.stepValue = c.GetHour();
                tick.label = toNarrow(wxString::Format("%02d", c.GetHour()));
                break;
            case unitMinutes:
                tick.stepValue = c.GetMinute();
                tick.label = toNarrow(wxString::Format("%02d", c.GetMinute()));
                break;
            default:
                tick.stepValue = c.GetSecond();
                tick.label = toNarrow(wxString::Format("%02d", c.GetSecond()));
                break;
            }
            out.push_back(tick);
        }
        switch (unit) {
        case unitYears:
            c += wxDateSpan::Year();
            break;
        case unitMonths:
            c += wxDateSpan::Month();
            break;
        case unitDays:
            c += wxDateSpan::Day();
            break;
        case unitHours:
            c += wxTimeSpan::Hour();
            break;
        case unitMinutes:
            c += wxTimeSpan::Minute();
            break;
        default:
            c += wxTimeSpan::Second();
            break;
        }
    }
    return out;
}

scaleRow plainRow(timeUnit unit, double vb, double ve, int width, const textMeasure& measure)
{
    scaleRow row;
    row.unit = unit;
    row.ticks = plainCandidates(unit, vb, ve, width);
    const std::vector<int>& steps = stepTable(unit);
    size_t step = 0;
    int minGap = -1, maxWidth = 0;
    for (;;) {
        minGap = -1;
        maxWidth = 0;
        bool all = true;
        const scaleTick* r = nullptr;
        for (const scaleTick& s : row.ticks) {
            if (s.stepValue % steps[step] != 0)
                continue;
            if (r) {
                int gap = s.x - r->x;
                int width = measure(fromNarrow(r->label), 0).GetWidth();
                if (minGap < 0 || minGap > gap)
                    minGap = gap;
                if (maxWidth < width)
                    maxWidth = width;
                if (!(width + 6 < gap)) {
                    all = false;
                    break;
                }
            }
            r = &s;
        }
        if (all)
            break;
        if (++step == steps.size() - 1)
            break;
    }
    if (minGap >= 0 && minGap < maxWidth)
        row.labelSize = std::max(1, 8 * minGap / maxWidth);
    std::vector<scaleTick> kept;
    for (const scaleTick& t : row.ticks)
        if (t.stepValue % steps[step] == 0)
            kept.push_back(t);
    row.ticks = kept;
    return row;
}

void expectSameRow(const scaleRow& expected, const scaleRow& actual, const std::string& where)
{
    ASSERT_EQ(expected.unit, actual.unit) << where;
    EXPECT_EQ(expected.labelSize, actual.labelSize) << where;
    ASSERT_EQ(expected.ticks.size(), actual.ticks.size()) << where;
    for (size_t i = 0; i < expected.ticks.size(); ++i) {
        EXPECT_EQ(expected.ticks[i].x, actual.ticks[i].x) << where << " tick " << i;
        EXPECT_EQ(expected.ticks[i].stepValue, actual.ticks[i].stepValue) << where << " tick " << i;
        EXPECT_EQ(expected.ticks[i].label, actual.ticks[i].label) << where << " tick " << i;
    }
}
}

TEST(scaleLayout, unitFollowsTheLengthOfTheView)
{
    const double t = midnight(15, wxDateTime::Jan, 2024) + 1234;
    struct {
        double span;
        timeUnit top;
    } cases[] = {{3600, unitMinutes},     {3601, unitHours},     {86400, unitHours},
                 {86401, unitDays},       {2592000, unitDays},   {2592001, unitMonths},
                 {31536000, unitMonths},  {31536001, unitYears}, {0, unitMinutes}};
    fakeMeasure m{6};
    for (const auto& c : cases) {
        scaleRow rows[2];
        layoutScaleRows(view(t, t + c.span), 1600, m.fn(), rows);
        EXPECT_EQ(c.top, rows[0].unit) << c.span;
        EXPECT_EQ(c.top + 1, rows[1].unit) << c.span;
    }
}

TEST(scaleLayout, ticksLieStrictlyInsideTheView)
{
    // Two whole days: the midnights at both ends are not ticks, the one between is.
    const double begin = midnight(1, wxDateTime::Jun, 2021);
    const double end = midnight(3, wxDateTime::Jun, 2021);
    fakeMeasure m{6};
    scaleRow rows[2];
    layoutScaleRows(view(begin, end), 1600, m.fn(), rows);
    ASSERT_EQ(unitDays, rows[0].unit);
    EXPECT_EQ(std::vector<std::string>{"2"}, labels(rows[0]));
    EXPECT_EQ(800, rows[0].ticks[0].x);
    ASSERT_EQ(47u, rows[1].ticks.size()); // the hours between, both midnights excluded
    EXPECT_EQ("01", rows[1].ticks.front().label);
    EXPECT_EQ("23", rows[1].ticks.back().label);

    // Fractional bounds: the tick one second after a fractional begin is kept.
    layoutScaleRows(view(begin - 0.5, begin + 59.5), 1600, m.fn(), rows);
    ASSERT_EQ(unitSeconds, rows[1].unit);
    EXPECT_EQ("00", rows[1].ticks.front().label);
    EXPECT_EQ("59", rows[1].ticks.back().label);
}

TEST(scaleLayout, timeToXTruncatesAndLimits)
{
    EXPECT_EQ(0, timeToColumn(-5, 0, 100, 1000));
    EXPECT_EQ(1000, timeToColumn(500, 0, 100, 1000));
    EXPECT_EQ(9, timeToColumn(0.99, 0, 100, 1000));
    EXPECT_EQ(0, timeToColumn(50, 7, 7, 1000)); // a view without length
    EXPECT_EQ(0, timeToColumn(std::nan(""), 0, 100, 1000));
    EXPECT_EQ(0, timeToColumn(1e300, -1e308, 1e308, 1000)); // the length overflows

    // A view of zero length (invalid start-up times) has no ticks.
    fakeMeasure m{6};
    scaleRow rows[2];
    layoutScaleRows(view(-1, -1), 1600, m.fn(), rows);
    EXPECT_TRUE(rows[0].ticks.empty());
    EXPECT_TRUE(rows[1].ticks.empty());
}

TEST(scaleLayout, coarserStepsKeepTheirCalendarPositions)
{
    // Months under a two-year view: labels of 150 px crowd every second month
    // but fit every third, which are January, April, July and October.
    fakeMeasure months{50};
    scaleRow rows[2];
    const double y2022 = midnight(1, wxDateTime::Jan, 2022);
    layoutScaleRows(view(y2022 - 1000, midnight(1, wxDateTime::Jan, 2024) + 1000), 1600, months.fn(), rows);
    ASSERT_EQ(unitMonths, rows[1].unit);
    std::vector<std::string> expected;
    for (int year = 0; year < 2; ++year)
        for (const char* name : {"Jan", "Apr", "Jul", "Oct"})
            expected.push_back(name);
    expected.push_back("Jan");
    EXPECT_EQ(expected, labels(rows[1]));
    EXPECT_EQ(0, rows[1].labelSize);

    // Days under three months: every seventh day from the 1st, never the 29th.
    fakeMeasure days{20};
    const double april = midnight(1, wxDateTime::Apr, 2023);
    layoutScaleRows(view(april - 1, april + 90 * 86400.0), 1600, days.fn(), rows);
    ASSERT_EQ(unitDays, rows[1].unit);
    std::set<std::string> shown = labelSet(rows[1]);
    EXPECT_EQ((std::set<std::string>{"1", "8", "15", "22"}), shown);
    for (const scaleTick& t : rows[1].ticks)
        EXPECT_EQ(0, t.stepValue % 7);

    // With room for every day, the 29th is there.
    fakeMeasure narrow{1};
    layoutScaleRows(view(april - 1, april + 62 * 86400.0), 1600, narrow.fn(), rows);
    shown = labelSet(rows[1]);
    EXPECT_EQ(1u, shown.count("29"));
    EXPECT_EQ(1u, shown.count("31"));
}

TEST(scaleLayout, theLabelGapDecidesWhichStepFits)
{
    // Hours of two June days, at least 33 px apart, labelled 24 px wide: every
    // hour while label and gap stay under 33 px, else every third.
    const double day = midnight(1, wxDateTime::Jun, 2021);
    for (auto [gap, ticks] : {std::pair{6, 47u}, {8, 47u}, {9, 15u}, {12, 15u}}) {
        fakeMeasure m{12};
        scaleRow rows[2];
        layoutScaleRows(view(day, day + 2 * 86400.0), 1600, m.fn(), rows, gap);
        ASSERT_EQ(unitHours, rows[1].unit);
        EXPECT_EQ(ticks, rows[1].ticks.size()) << gap;
    }
}

TEST(scaleLayout, crowdedLabelsShrinkButNotBelowOnePoint)
{
    // Seconds under an hour: every step crowds labels 6 px wide, so the
    // coarsest (30 s) is taken, with the size from the last scan made, the one
    // of step 10 that failed at once on a gap of 4 px: 8 * 4 / 6 = 5 points.
    const double t = midnight(10, wxDateTime::Feb, 2020);
    fakeMeasure m{3};
    scaleRow rows[2];
    layoutScaleRows(view(t, t + 3600), 1600, m.fn(), rows);
    ASSERT_EQ(unitSeconds, rows[1].unit);
    EXPECT_EQ(120u - 1, rows[1].ticks.size());
    EXPECT_EQ(5, rows[1].labelSize);

    // Labels far wider than any gap, down to gaps of nothing.
    fakeMeasure huge{1000};
    layoutScaleRows(view(t, t + 3600), 1600, huge.fn(), rows);
    EXPECT_EQ(1, rows[1].labelSize);
    layoutScaleRows(view(t - 1e12, t + 1e12), 1600, m.fn(), rows);
    EXPECT_GE(rows[0].labelSize, 1);
    EXPECT_LT(rows[0].labelSize, 8);
    EXPECT_EQ(1, rows[1].labelSize); // months all in the same few columns
}

TEST(scaleLayout, daylightSavingDaysShowLocalHours)
{
    fakeMeasure m{1};
    scaleRow rows[2];
    // Spring forward: 23 hours, 02:00 never happens.
    layoutScaleRows(view(midnight(28, wxDateTime::Mar, 2021), midnight(29, wxDateTime::Mar, 2021)), 1600,
                    m.fn(), rows);
    ASSERT_EQ(unitHours, rows[0].unit);
    std::vector<std::string> spring{"01"};
    for (int h = 3; h < 24; ++h)
        spring.push_back(wxString::Format("%02d", h).ToStdString());
    EXPECT_EQ(spring, labels(rows[0]));

    // Fall back: 25 hours, 02:00 comes twice.
    layoutScaleRows(view(midnight(31, wxDateTime::Oct, 2021), midnight(1, wxDateTime::Nov, 2021)), 1600,
                    m.fn(), rows);
    ASSERT_EQ(unitDays, rows[0].unit);
    EXPECT_TRUE(rows[0].ticks.empty());
    std::vector<std::string> autumn{"01", "02", "02"};
    for (int h = 3; h < 24; ++h)
        autumn.push_back(wxString::Format("%02d", h).ToStdString());
    EXPECT_EQ(autumn, labels(rows[1]));

    // Days across both changes still start at local midnight: one per day.
    layoutScaleRows(view(midnight(20, wxDateTime::Mar, 2021), midnight(10, wxDateTime::Apr, 2021)), 1600,
                    m.fn(), rows);
    ASSERT_EQ(unitDays, rows[0].unit);
    ASSERT_EQ(20u, rows[0].ticks.size());
    EXPECT_EQ("21", rows[0].ticks.front().label);
    EXPECT_EQ("9", rows[0].ticks.back().label);
}

TEST(scaleLayout, ordinaryViewsMatchThePlainRule)
{
    const double centres[] = {midnight(28, wxDateTime::Mar, 2021) + 3 * 3600, // around a DST change
                              midnight(31, wxDateTime::Oct, 2010) + 2.5 * 3600, midnight(1, wxDateTime::Jan, 2000),
                              1234567890.25, 987654321, 1700000000.75};
    const int widths[] = {500, 777, 1600};
    int compared = 0;
    for (double centre : centres)
        for (double span = 7; span < 60 * 31557600.0; span *= 1.9)
            for (int width : widths)
                for (int perChar : {1, 6, 11}) {
                    const double vb = centre - span * 0.37, ve = centre + span * 0.63;
                    if (vb < midnight(1, wxDateTime::Jan, 1971) || ve > midnight(1, wxDateTime::Jan, 2037))
                        continue;
                    fakeMeasure m{perChar};
                    scaleRow rows[2];
                    layoutScaleRows(view(vb, ve), width, m.fn(), rows);
                    const timeUnit top = topUnitFor(ve - vb);
                    const std::string where = wxString::Format("view %.2f..%.2f width %d char %d", vb, ve,
                                                               width, perChar).ToStdString();
                    expectSameRow(plainRow(top, vb, ve, width, m.fn()), rows[0], where + " row 0");
                    expectSameRow(plainRow(timeUnit(top + 1), vb, ve, width, m.fn()), rows[1],
                                  where + " row 1");
                    ++compared;
                    if (::testing::Test::HasFailure())
                        return;
                }
    EXPECT_GT(compared, 300);
}

TEST(scaleLayout, workStaysBoundedOnAnyView)
{
    // Zooming out from one day a hundred times, and views far from the
    // calendar, before 1970, beyond 2038 and not finite at all.
    std::vector<vTimelineDisplayState> views;
    vTimelineDisplayState s = view(midnight(1, wxDateTime::Jun, 2020), midnight(2, wxDateTime::Jun, 2020));
    for (int i = 0; i < 100; ++i) {
        const double m = (s.viewBegin + s.viewEnd) * 0.5;
        s.viewBegin = s.viewBegin - (m - s.viewBegin);
        s.viewEnd = s.viewEnd + (s.viewEnd - m);
        views.push_back(s);
    }
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [b, e] : std::vector<std::pair<double, double>>{{1.6e9 - 5e11, 1.6e9 + 5e11},
                                                              {-1e12, 0},
                                                              {3e12, 4e12},
                                                              {-1e35, 1e35},
                                                              {1e30, 1e30 + 3600},
                                                              {-1e30 - 3600, -1e30},
                                                              {-inf, 0},
                                                              {0, inf},
                                                              {std::nan(""), 1},
                                                              {-1.7e308, 1.7e308},
                                                              {2e9, 2.3e9},
                                                              {-86400 * 3, 86400 * 3}})
        views.push_back(view(b, e));

    for (const vTimelineDisplayState& v : views) {
        const int width = 1600;
        fakeMeasure m{6};
        scaleRow rows[2];
        layoutScaleRows(v, width, m.fn(), rows);
        // At most width / 7 + 2 measured ticks per scanned step, and at most one tick per column.
        EXPECT_LE(m.calls, 2 * 8 * (width / 7 + 2)) << v.viewBegin << ".." << v.viewEnd;
        for (const scaleRow& row : rows) {
            EXPECT_LE(row.ticks.size(), size_t(width + 1));
            for (size_t i = 1; i < row.ticks.size(); ++i)
                EXPECT_LT(row.ticks[i - 1].x, row.ticks[i].x);
            EXPECT_LE(row.labelSize, 8);
        }
    }
}

TEST(scaleLayout, ticksOutsideTheTickRangeAreRealDates)
{
    fakeMeasure m{6};
    scaleRow rows[2];
    // 1947-10 .. 1954-02: 1950-01-01 00:00 CET is 631152000 + 3600 s before 1970.
    layoutScaleRows(view(-700000000, -500000000), 1600, m.fn(), rows);
    ASSERT_EQ(unitYears, rows[0].unit);
    EXPECT_EQ((std::vector<std::string>{"1948", "1949", "1950", "1951", "1952", "1953", "1954"}),
              labels(rows[0]));
    EXPECT_EQ(timeToColumn(-631155600.0, -700000000, -500000000, 1600), rows[0].ticks[2].x);

    // Beyond 2038: 2040-01-01 00:00 CET.
    layoutScaleRows(view(2208985200.0 - 86400 * 2, 2208985200.0 + 86400), 1600, m.fn(), rows);
    ASSERT_EQ(unitDays, rows[0].unit);
    EXPECT_EQ((std::vector<std::string>{"31", "1"}), labels(rows[0]));
    EXPECT_EQ(1066, rows[0].ticks[1].x);
}
