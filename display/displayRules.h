#pragma once
// How the mouse and the time selectors change the display state: the rules of
// the overview bar, the selection bar, the rows and the repair questions, and
// the extent of the recordings. Plain functions on the state, so they are
// tested without windows; the widgets only turn mouse positions into times.
#include <string>
#include <vector>

#include "display/displayMetrics.h"
#include "display/displayState.h"
#include "recdb/timeline.h"

// Which bound of the selection a drag moves (rows and selection bar).
enum class selectionDrag { none, begin, end };

// Moves one bound of the selection to t. Each bound is held back only on its
// own side of the view and pushes the other along instead of crossing it.
void moveSelectionBound(vTimelineDisplayState& s, selectionDrag bound, double t);

// A press in a row at column x: a bound within `grab` pixels is taken (the
// begin first); elsewhere a new selection starts at the press.
selectionDrag rowPress(int x, int beginColumn, int endColumn, int grab);

// A drag in a row to time t. A new selection (bound none) spans from the
// anchor to t and from then on moves the bound on t's side; its first step
// is clamped only at the view's begin.
void rowDrag(vTimelineDisplayState& s, selectionDrag& bound, double anchor, double t);

// A press on the selection bar at (x, y) with the markers at beginColumn and
// endColumn, `reach` pixels either side. When both are within reach, the half
// pressed decides (the end marker is the lower one).
selectionDrag selectionBarPress(int x, int y, int height, int beginColumn, int endColumn, int reach);

// What a press on the overview bar takes hold of.
enum class overviewDrag { none, leftEnd, rightEnd, wholeBox };

// A press at column x with the view's box over columns [x0, x1]: inside the
// box the whole box; up to `reach` columns outside either end that end.
overviewDrag overviewPress(int x, int x0, int x1, int reach = displayMetrics().endReach);

// A drag on the overview bar to extent time t. The whole box moves by the
// distance from the anchor (which follows the mouse) and stays within the
// extent; an end moves within the extent without passing the other end. The
// selection is pulled into the view afterwards.
void overviewDragTo(vTimelineDisplayState& s, overviewDrag what, double t, double& anchor, double extentBegin,
                    double extentEnd);

// One question of the time selectors' repair: when the rule does not hold,
// the user chooses one of the adjustments (write `value` into `target`).
struct repairAdjustment {
    double* target;
    double value;
    std::string label;
};
struct repairRule {
    bool holds;
    std::string message;
    std::vector<repairAdjustment> adjustments;
};

// The rules in the order they are asked, each evaluated on the state as it is
// when asked (an earlier repair changes what later ones see).
const int repairRuleCount = 4;
repairRule repairRuleAt(int index, vTimelineDisplayState& s);

// The span of all recordings: from the earliest start to the latest end of
// the lines that have any; [0, 1] when none has.
void recordingExtent(const std::vector<const timeline*>& lines, double& begin, double& end);

// Zoom steps about the view's centre. Zooming in stops at a span of one
// second (below it a view can no longer be told apart from its end); a view
// without length zooms out to one second.
void zoomInView(vTimelineDisplayState& s);
void zoomOutView(vTimelineDisplayState& s);

// Keyboard moves of the view; its length stays and the selection is left
// where it is. panView moves it by `fraction` of its length (negative:
// earlier); the others put its begin or its end at t.
void panView(vTimelineDisplayState& s, double fraction);
void viewStartingAt(vTimelineDisplayState& s, double t);
void viewEndingAt(vTimelineDisplayState& s, double t);
