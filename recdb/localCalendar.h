#pragma once
// The local calendar: civil dates, and the wall clock of the local time zone.
//
// Instants are whole seconds since 1970-01-01 00:00:00 UTC in 64 bits. Dates
// follow the Gregorian calendar extended to every year (year 0 is 1 BC); a day
// number counts the days since 1970-01-01 (negative before it). The time zone is
// the process's (TZ) and enters through localOffset() alone.
#include <cstdint>

struct civilDate {
    std::int64_t year = 1970;
    int month = 1; // 1 = January
    int day = 1;   // 1..31
};

bool operator==(const civilDate& a, const civilDate& b);
bool operator!=(const civilDate& a, const civilDate& b);

bool isLeapYear(std::int64_t year);
// 28 to 31; month 1..12.
int daysInMonth(std::int64_t year, int month);
// Whether the month and day exist in that year.
bool isValidDate(std::int64_t year, int month, int day);

// The day number of a valid date, and the date of a day number.
std::int64_t dayNumberOf(const civilDate& date);
civilDate dateOfDayNumber(std::int64_t day);
// 0 = Sunday ... 6 = Saturday.
int weekdayOf(std::int64_t day);

// ---- The local wall clock.

struct localDateTime {
    civilDate date;
    int hour = 0, minute = 0, second = 0;
};

// Local time minus UTC at instant t, in seconds. It comes from wx's local time:
// the zone's rules from 1970 up to 2038-01-19, its standard offset outside.
std::int64_t localOffset(std::int64_t t);

// What the local clock shows at instant t, and the day number of its date.
localDateTime localDateTimeAt(std::int64_t t);
std::int64_t localDayAt(std::int64_t t);

// The instant at which the local clock shows a date and time (fields in range).
// A time the clock skips when it is put forward is read as if it had not been
// yet, so it lands as much later as the clock jumped (02:30 on a spring change
// in Berlin is 03:30); a time the clock shows twice is its first showing.
std::int64_t instantOfLocal(const localDateTime& when);

// The instant a local day begins: its midnight, read as instantOfLocal reads
// it (where the clock jumps from 00:00 to 01:00, the moment of the jump). A day
// lasts from localMidnight(day) to localMidnight(day + 1): 24 hours, or 23 and
// 25 on the days the clock is put forward and back.
std::int64_t localMidnight(std::int64_t day);
// The first instant of a month and of a year. The month may lie outside 1..12
// and counts on from January of the year: 13 is January of the next year, 0
// December of the previous one.
std::int64_t startOfMonth(std::int64_t year, std::int64_t month);
std::int64_t startOfYear(std::int64_t year);

// Today's date on the local calendar.
civilDate localToday();
