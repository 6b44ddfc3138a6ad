#pragma once
// Which days of a month have recordings, for the marks of the date popup's
// calendar. Window-free: it asks the lines for what they know already and
// never waits for a catalog to be read.
#include <cstdint>
#include <vector>

#include "recdb/timeline.h"

// Bit (day - 1) is set for each day of the local month (month 1..12) on which
// a call of any of the lines lies: a call marks every day it overlaps (one
// running over midnight both, one of no length its own day). Days are local
// days, 23 or 25 hours long where the clock changes. The answer comes from the
// lines' day summaries where they keep them, else from their recordings read
// so far. `pending` tells whether some day of the month was still being read
// (it is asked for in the background): ask again later for the full answer.
std::uint32_t recordedDaysOfMonth(const std::vector<const timeline*>& lines, int year, int month, bool& pending);
