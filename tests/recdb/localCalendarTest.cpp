// The local calendar: civil dates, and the wall clock of Berlin (the tests run
// with TZ=Europe/Berlin) on ordinary days, the days the clocks change, month
// and year boundaries and leap days.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <vector>

#include <wx/datetime.h>

#include "recdb/localCalendar.h"
#include "support/systemSupport.h"

void PrintTo(const civilDate& d, std::ostream* out)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(d.year), d.month, d.day);
    *out << text;
}

namespace {
const std::int64_t hour = 3600;
const std::int64_t day = 24 * hour;

civilDate date(std::int64_t year, int month, int dayOfMonth)
{
    civilDate d;
    d.year = year;
    d.month = month;
    d.day = dayOfMonth;
    return d;
}

localDateTime at(civilDate d, int h, int m, int s)
{
    localDateTime w;
    w.date = d;
    w.hour = h;
    w.minute = m;
    w.second = s;
    return w;
}
}

TEST(civilCalendar, dayNumbersAndWeekdays)
{
    struct {
        civilDate date;
        std::int64_t dayNumber;
        int weekday; // 0 = Sunday
    } cases[] = {
        {date(1970, 1, 1), 0, 4},         {date(1969, 12, 31), -1, 3},     {date(2000, 2, 29), 11016, 2},
        {date(2024, 2, 29), 19782, 4},    {date(2024, 3, 1), 19783, 5},    {date(1900, 3, 1), -25508, 4},
        {date(1600, 2, 29), -135081, 2},  {date(1, 1, 1), -719162, 1},     {date(9999, 12, 31), 2932896, 5},
        {date(2038, 1, 19), 24855, 2},    {date(0, 3, 1), -719468, 3},     {date(-1, 12, 31), -719529, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.dayNumber, dayNumberOf(c.date)) << ::testing::PrintToString(c.date);
        EXPECT_EQ(c.date, dateOfDayNumber(c.dayNumber)) << c.dayNumber;
        EXPECT_EQ(c.weekday, weekdayOf(c.dayNumber)) << ::testing::PrintToString(c.date);
    }
}

TEST(civilCalendar, monthLengthsAndLeapYears)
{
    struct {
        std::int64_t year;
        int month, days;
    } lengths[] = {{2023, 2, 28}, {2024, 2, 29}, {1900, 2, 28}, {2000, 2, 29}, {2100, 2, 28}, {2400, 2, 29},
                   {0, 2, 29},    {-4, 2, 29},   {-100, 2, 28}, {2024, 1, 31}, {2024, 4, 30}, {2024, 12, 31}};
    for (const auto& c : lengths) {
        EXPECT_EQ(c.days, daysInMonth(c.year, c.month)) << c.year << "-" << c.month;
        EXPECT_EQ(c.month == 2 && c.days == 29, c.month == 2 && isLeapYear(c.year)) << c.year;
    }

    struct {
        std::int64_t year;
        int month, day;
        bool valid;
    } dates[] = {{2024, 2, 29, true}, {2023, 2, 29, false}, {2024, 4, 31, false}, {2024, 12, 31, true},
                 {2024, 13, 1, false}, {2024, 0, 1, false},  {2024, 1, 0, false},  {0, 2, 29, true}};
    for (const auto& c : dates)
        EXPECT_EQ(c.valid, isValidDate(c.year, c.month, c.day)) << c.year << "-" << c.month << "-" << c.day;
}

TEST(civilCalendar, dayNumbersCountEveryDateOnce)
{
    // From 1599 to 2401, across three century rules: each day number's date is
    // the day after the previous one's.
    civilDate expected = date(1599, 12, 1);
    for (std::int64_t n = dayNumberOf(expected); expected.year < 2402; ++n) {
        ASSERT_EQ(expected, dateOfDayNumber(n)) << n;
        ASSERT_EQ(n, dayNumberOf(expected));
        if (++expected.day > daysInMonth(expected.year, expected.month)) {
            expected.day = 1;
            if (++expected.month > 12) {
                expected.month = 1;
                ++expected.year;
            }
        }
    }
}

namespace {
struct dayCase {
    civilDate date;
    std::int64_t midnight;
    std::int64_t hours;
};

void expectDays(const std::vector<dayCase>& cases)
{
    for (const auto& c : cases) {
        const std::int64_t n = dayNumberOf(c.date);
        EXPECT_EQ(c.midnight, localMidnight(n)) << ::testing::PrintToString(c.date);
        EXPECT_EQ(c.hours * hour, localMidnight(n + 1) - localMidnight(n)) << ::testing::PrintToString(c.date);
        EXPECT_EQ(n, localDayAt(c.midnight));
        EXPECT_EQ(n - 1, localDayAt(c.midnight - 1));
    }
}
}

TEST(localCalendar, daysBeginAtLocalMidnightAndLast23To25Hours)
{
    expectDays({
        {date(2024, 3, 31), 1711839600, 23}, // clocks go forward
        {date(2024, 10, 27), 1729980000, 25}, // and back
        {date(2024, 2, 29), 1709161200, 24},
        {date(2037, 3, 29), 2121894000, 23},
        {date(2037, 10, 25), 2140034400, 25},
        {date(1970, 1, 1), -hour, 24},
    });
}

TEST(localCalendar, pastDaylightSavingRulesHoldForTheirYears)
{
    if (runningOnWindows())
        GTEST_SKIP() << "Windows applies a zone's present rules to every year, so it knows no past changes";
    expectDays({
        {date(1980, 4, 6), 323823600, 23}, // the first change after 1949
        {date(1980, 9, 28), 338940000, 25},
        {date(1979, 4, 1), 291769200, 24}, // no summer time that year
    });
}

TEST(localCalendar, monthsAndYearsBeginAtLocalMidnight)
{
    struct {
        std::int64_t year, month, start;
    } starts[] = {
        {2024, 3, 1709247600},  {2024, 4, 1711922400}, // CET, then CEST
        {2024, 13, 1735686000}, {2025, 1, 1735686000}, // the month after December
        {2024, 0, 1701385200},  {2024, -11, 1672527600},
    };
    for (const auto& c : starts)
        EXPECT_EQ(c.start, startOfMonth(c.year, c.month)) << c.year << "-" << c.month;
    EXPECT_EQ(1704063600, startOfYear(2024));
    EXPECT_EQ(startOfMonth(2024, 1), startOfYear(2024));

    struct {
        std::int64_t year, month, length;
    } months[] = {{2024, 2, 29 * day}, {2023, 2, 28 * day}, {1900, 2, 28 * day}, {2000, 2, 29 * day},
                  {2024, 3, 31 * day - hour}, {2024, 10, 31 * day + hour}, {2024, 12, 31 * day}};
    for (const auto& c : months)
        EXPECT_EQ(c.length, startOfMonth(c.year, c.month + 1) - startOfMonth(c.year, c.month))
            << c.year << "-" << c.month;
    EXPECT_EQ(365 * day, startOfYear(2024) - startOfYear(2023));
    EXPECT_EQ(366 * day, startOfYear(2025) - startOfYear(2024));
}

TEST(localCalendar, wallClockAtAnInstant)
{
    struct {
        std::int64_t t;
        civilDate date;
        int hour, minute, second;
    } cases[] = {
        {1711846799, date(2024, 3, 31), 1, 59, 59}, {1711846800, date(2024, 3, 31), 3, 0, 0},
        {1729990799, date(2024, 10, 27), 2, 59, 59}, {1729990800, date(2024, 10, 27), 2, 0, 0},
        {1709204400, date(2024, 2, 29), 12, 0, 0},   {1704063599, date(2023, 12, 31), 23, 59, 59},
        {1704063600, date(2024, 1, 1), 0, 0, 0},     {0, date(1970, 1, 1), 1, 0, 0},
        {-1, date(1970, 1, 1), 0, 59, 59},
    };
    for (const auto& c : cases) {
        const localDateTime w = localDateTimeAt(c.t);
        EXPECT_EQ(c.date, w.date) << c.t;
        EXPECT_EQ(c.hour * 10000 + c.minute * 100 + c.second, w.hour * 10000 + w.minute * 100 + w.second) << c.t;
        EXPECT_EQ(dayNumberOf(c.date), localDayAt(c.t)) << c.t;
    }
}

TEST(localCalendar, instantOfAWallClockTime)
{
    struct {
        localDateTime when;
        std::int64_t t;
    } cases[] = {
        {at(date(2024, 2, 29), 12, 0, 0), 1709204400},
        {at(date(2024, 3, 31), 2, 30, 0), 1711848600}, // skipped: as 03:30
        {at(date(2024, 10, 27), 2, 30, 0), 1729989000}, // shown twice: the first
        {at(date(2024, 10, 27), 3, 0, 0), 1729994400},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.t, instantOfLocal(c.when)) << ::testing::PrintToString(c.when.date) << " " << c.when.hour << ":"
                                               << c.when.minute;
}

TEST(localCalendar, everyQuarterHourOfALeapYearComesBack)
{
    // Through the wall clock and back; only the second showing of the hour the
    // clock repeats comes back as the first.
    const std::int64_t repeatedFrom = 1729990800, repeatedTo = 1729994400;
    for (std::int64_t t = startOfYear(2024); t < startOfYear(2025); t += 900) {
        const std::int64_t expected = t >= repeatedFrom && t < repeatedTo ? t - hour : t;
        ASSERT_EQ(expected, instantOfLocal(localDateTimeAt(t))) << t;
    }
}

TEST(localCalendar, todayIsTheLocalDateOfNow)
{
    const wxDateTime today = wxDateTime::Today();
    const civilDate d = localToday();
    if (wxDateTime::Today() != today)
        return; // midnight passed in between
    EXPECT_EQ(date(today.GetYear(), today.GetMonth() + 1, today.GetDay()), d);
}
