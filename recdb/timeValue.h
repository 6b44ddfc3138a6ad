#pragma once
// Instants on the time axis are seconds since 1970-01-01 00:00:00 UTC in a
// double: whole seconds of 64-bit range, before 1970 and after 2038 alike. A
// date-time converts by its milliseconds, the fraction of a second dropped
// (toward the earlier second); an invalid date-time gives -1.
#include <cmath>

#include <wx/datetime.h>

inline double toSeconds(const wxDateTime& when)
{
    if (!when.IsValid())
        return -1;
    const wxLongLong_t ms = when.GetValue().GetValue();
    wxLongLong_t seconds = ms / 1000;
    if (ms % 1000 < 0)
        --seconds;
    return static_cast<double>(seconds);
}

// Whether a time on the axis has a calendar date with a four-digit year:
// 0001-01-01 00:00:00 to 9999-12-31 23:59:59 (UTC). Outside, and for values
// that are not finite, there is no date to show or write.
inline bool isCalendarSeconds(double seconds)
{
    return seconds >= -62135596800.0 && seconds <= 253402300799.0;
}

// The date-time of a time on the axis, the fraction of a second dropped;
// invalid when the time has no calendar date.
inline wxDateTime fromSeconds(double seconds)
{
    if (!isCalendarSeconds(seconds))
        return wxDateTime();
    return wxDateTime(wxLongLong(static_cast<wxLongLong_t>(std::floor(seconds)) * 1000));
}
