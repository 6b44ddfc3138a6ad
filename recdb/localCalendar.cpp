#include "recdb/localCalendar.h"

#include <algorithm>
#include <ctime>

#include <wx/datetime.h>

namespace {
const std::int64_t secondsPerDay = 86400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if (a % b != 0 && ((a < 0) != (b < 0)))
        --q;
    return q;
}

std::int64_t floorMod(std::int64_t a, std::int64_t b)
{
    return a - floorDiv(a, b) * b;
}

// Days since 1970-01-01 of a date, counted in 400-year eras from 0000-03-01 so
// that the leap day ends each era's year.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = floorDiv(y, 400);
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

civilDate civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    civilDate c;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<std::int64_t>(yoe) + era * 400 + (c.month <= 2);
    return c;
}

// The instants whose offset is asked for stay well inside the years wx's
// date-time handles; beyond them the offset of the nearest end holds.
const std::int64_t offsetLow = -62135596800LL + 3 * secondsPerDay;  // 0001-01-04 UTC
const std::int64_t offsetHigh = 253402300800LL - 3 * secondsPerDay; // 9999-12-29 UTC

// Seconds since 1970 on the local wall clock at instant t.
std::int64_t wallClock(std::int64_t t)
{
    return t + localOffset(t);
}

// The instant at which the wall clock shows `local` (see instantOfLocal).
// Offsets are less than a day, so every answer lies within a day of `local`;
// changes of offset lie weeks apart, so the offsets a day either side are
// those in force before and after any change near the answer.
std::int64_t instantOfWallClock(std::int64_t local)
{
    const std::int64_t before = localOffset(local - secondsPerDay);
    const std::int64_t after = localOffset(local + secondsPerDay);
    const std::int64_t early = local - before;
    if (before == after)
        return early;
    const std::int64_t late = local - after;
    const bool earlyShows = localOffset(early) == before;
    const bool lateShows = localOffset(late) == after;
    if (earlyShows && lateShows)
        return std::min(early, late);
    if (lateShows)
        return late;
    return early; // shown at `early`, or skipped: read with the offset before the change
}
}

bool operator==(const civilDate& a, const civilDate& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

bool operator!=(const civilDate& a, const civilDate& b)
{
    return !(a == b);
}

bool isLeapYear(std::int64_t year)
{
    return floorMod(year, 4) == 0 && (floorMod(year, 100) != 0 || floorMod(year, 400) == 0);
}

int daysInMonth(std::int64_t year, int month)
{
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : lengths[month - 1];
}

bool isValidDate(std::int64_t year, int month, int day)
{
    return month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

std::int64_t dayNumberOf(const civilDate& date)
{
    return daysFromCivil(date.year, static_cast<unsigned>(date.month), static_cast<unsigned>(date.day));
}

civilDate dateOfDayNumber(std::int64_t day)
{
    return civilFromDays(day);
}

int weekdayOf(std::int64_t day)
{
    return static_cast<int>(floorMod(day + 4, 7)); // 1970-01-01 was a Thursday
}

std::int64_t localOffset(std::int64_t t)
{
    t = std::min(std::max(t, offsetLow), offsetHigh);
    wxDateTime::Tm tm = wxDateTime(wxLongLong(t) * 1000).GetTm(wxDateTime::Local);
    std::int64_t local = daysFromCivil(tm.year, tm.mon + 1u, tm.mday) * secondsPerDay + tm.hour * 3600 +
                         tm.min * 60 + tm.sec;
    return local - t;
}

localDateTime localDateTimeAt(std::int64_t t)
{
    const std::int64_t local = wallClock(t);
    const std::int64_t day = floorDiv(local, secondsPerDay);
    const std::int64_t rest = local - day * secondsPerDay;
    localDateTime f;
    f.date = civilFromDays(day);
    f.hour = static_cast<int>(rest / 3600);
    f.minute = static_cast<int>(rest / 60 % 60);
    f.second = static_cast<int>(rest % 60);
    return f;
}

std::int64_t localDayAt(std::int64_t t)
{
    return floorDiv(wallClock(t), secondsPerDay);
}

std::int64_t instantOfLocal(const localDateTime& when)
{
    return instantOfWallClock(dayNumberOf(when.date) * secondsPerDay + when.hour * 3600 + when.minute * 60 +
                              when.second);
}

std::int64_t localMidnight(std::int64_t day)
{
    return instantOfWallClock(day * secondsPerDay);
}

std::int64_t startOfMonth(std::int64_t year, std::int64_t month)
{
    const std::int64_t m = month - 1;
    return localMidnight(daysFromCivil(year + floorDiv(m, 12), static_cast<unsigned>(floorMod(m, 12) + 1), 1));
}

std::int64_t startOfYear(std::int64_t year)
{
    return localMidnight(daysFromCivil(year, 1, 1));
}

civilDate localToday()
{
    return localDateTimeAt(static_cast<std::int64_t>(std::time(nullptr))).date;
}
