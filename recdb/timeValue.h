#pragma once
// Instants on the time axis are seconds since 1970-01-01 00:00:00 UTC in a
// double. A date-time converts by its tick count: whole seconds, truncated, and
// -1 for anything the 32-bit tick range cannot hold (before 1970, from 2038-01-19
// 03:14:07 on) or an invalid date-time.
#include <wx/datetime.h>

inline double toSeconds(const wxDateTime& when)
{
    if (!when.IsValid())
        return -1;
    wxLongLong ms = when.GetValue();
    if (ms < 0 || ms >= wxLongLong(2147483647) * 1000)
        return -1;
    return static_cast<double>((ms / 1000).GetValue());
}

// Whether a time on the axis has a calendar date with a four-digit year:
// 0001-01-01 00:00:00 to 9999-12-31 23:59:59 (UTC). Outside, and for values
// that are not finite, there is no date to show or write.
inline bool isCalendarSeconds(double seconds)
{
    return seconds >= -62135596800.0 && seconds <= 253402300799.0;
}
