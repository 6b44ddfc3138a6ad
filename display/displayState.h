#pragma once
// What every widget of the timeline display shows: the displayed interval and
// the selected interval (core/viewInterval.h), and the arithmetic on them that
// the widgets share. The one record is held by a displayModel
// (display/displayModel.h): widgets read it there and change it only through
// the model's operations, which announce each change to every subscribed
// widget with the state before it. A widget's subscription ends with the
// widget, so the panel can destroy and rebuild its widgets without telling
// them.
#include <cmath>

#include "core/viewInterval.h"

// Pulls the selection back into the displayed interval (after the view moved).
inline void clampSelectionIntoView(vTimelineDisplayState& s)
{
    if (s.viewBegin > s.selectionBegin)
        s.selectionBegin = s.viewBegin;
    if (s.viewBegin > s.selectionEnd)
        s.selectionEnd = s.viewBegin;
    if (s.viewEnd < s.selectionBegin)
        s.selectionBegin = s.viewEnd;
    if (s.viewEnd < s.selectionEnd)
        s.selectionEnd = s.viewEnd;
}

inline bool sameView(const vTimelineDisplayState& a, const vTimelineDisplayState& b)
{
    return a.viewBegin == b.viewBegin && a.viewEnd == b.viewEnd;
}

// The pixel column of time t on a bar `width` pixels wide that shows [begin,
// end]: truncated toward zero and limited to [0, width]; 0 for every t when the
// interval has no length (or is not finite). Limited in floating point before
// the conversion, so far-away times cannot overflow the int.
inline int timeToColumn(double t, double begin, double end, int width)
{
    const double length = end - begin;
    if (length == 0 || !std::isfinite(length) || width <= 0)
        return 0;
    const double x = width * (t - begin) / length;
    if (!(x > 0)) // also NaN
        return 0;
    if (x >= width)
        return width;
    return static_cast<int>(x);
}

// The time under column x of the same bar; not limited to the interval. A bar
// without width has every column at `begin`.
inline double columnToTime(int x, double begin, double end, int width)
{
    if (width <= 0)
        return begin;
    return begin + (end - begin) * static_cast<double>(x) / width;
}
