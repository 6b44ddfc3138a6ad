#pragma once
// The layout of the time scale's two rows of calendar ticks, kept apart from
// the window so it can be computed (and tested) without one.
//
// Row 0 carries a coarse calendar unit chosen by the length of the displayed
// interval, row 1 the next finer unit. Within a row the ticks are thinned to the
// finest step of the unit's table that leaves room for the labels; if even the
// coarsest step crowds them, the labels get a smaller point size.
#include <functional>
#include <string>
#include <vector>

#include <wx/gdicmn.h>
#include <wx/string.h>

#include "display/displayMetrics.h"
#include "display/displayState.h"

enum timeUnit {
    unitYears = 0,
    unitMonths = 1,
    unitDays = 2,
    unitHours = 3,
    unitMinutes = 4,
    unitSeconds = 5
};

// The allowed tick steps of a unit, finest first.
const std::vector<int>& stepTable(timeUnit unit);
// The name drawn at the head of a row ("years", "months", ...).
const char* unitName(timeUnit unit);
// The unit of the top row for a displayed interval of `span` seconds.
timeUnit topUnitFor(double span);

struct scaleTick {
    int x = 0;
    int stepValue = 0; // kept by a step only if the step divides it
    std::string label; // narrow string
};

struct scaleRow {
    timeUnit unit = unitYears;
    std::vector<scaleTick> ticks; // in time order
    int labelSize = 0;            // point size of the labels; 0 = the default size
};

// Measures a text at a point size (0: the default font).
typedef std::function<wxSize(const wxString& text, int pointSize)> textMeasure;


// Both rows for the displayed interval of `state` on a scale `width` pixels wide.
//
// Ticks fall on local calendar boundaries strictly inside the view, and only in
// the years 1 to 9999 (beyond them there is no calendar to speak of). The work
// is bounded for any view: candidates no step could keep are skipped rather
// than generated, and where a row's ticks would be denser than one per pixel
// column only the first tick of each column is kept. Views whose ticks are at
// least a pixel apart (every view of a few centuries or less) get exactly the
// ticks of the plain rule: every boundary in the view, thinned step by step.
// A step leaves room for a label when the label is more than `labelGap`
// pixels narrower than the distance to the next tick.
void layoutScaleRows(const vTimelineDisplayState& state, int width, const textMeasure& measure,
                     scaleRow rows[2], int labelGap = displayMetrics().labelGap);

// The span of times that get ticks at all.
extern const long long scaleFirstTickTime;
extern const long long scaleLastTickTime;
