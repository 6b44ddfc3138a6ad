#include "display/displayRules.h"

#include <cmath>
#include <cstdlib>

void moveSelectionBound(vTimelineDisplayState& s, selectionDrag bound, double t)
{
    if (bound == selectionDrag::begin) {
        s.selectionBegin = t;
        if (s.viewBegin > s.selectionBegin)
            s.selectionBegin = s.viewBegin;
        if (s.selectionEnd < s.selectionBegin)
            s.selectionEnd = s.selectionBegin;
    } else if (bound == selectionDrag::end) {
        s.selectionEnd = t;
        if (s.viewEnd < s.selectionEnd)
            s.selectionEnd = s.viewEnd;
        if (s.selectionBegin > s.selectionEnd)
            s.selectionBegin = s.selectionEnd;
    }
}

selectionDrag rowPress(int x, int beginColumn, int endColumn, int grab)
{
    if (std::abs(x - beginColumn) < grab)
        return selectionDrag::begin;
    if (std::abs(x - endColumn) < grab)
        return selectionDrag::end;
    return selectionDrag::none;
}

void rowDrag(vTimelineDisplayState& s, selectionDrag& bound, double anchor, double t)
{
    if (bound != selectionDrag::none) {
        moveSelectionBound(s, bound, t);
        return;
    }
    if (t > anchor) {
        s.selectionBegin = anchor;
        s.selectionEnd = t;
        bound = selectionDrag::end;
    }
    if (t < anchor) {
        s.selectionBegin = t;
        s.selectionEnd = anchor;
        bound = selectionDrag::begin;
    }
    if (s.viewBegin > s.selectionBegin)
        s.selectionBegin = s.viewBegin;
    if (s.selectionEnd < s.selectionBegin)
        s.selectionEnd = s.selectionBegin;
}

selectionDrag selectionBarPress(int x, int y, int height, int beginColumn, int endColumn, int reach)
{
    const bool nearBegin = beginColumn - reach <= x && x <= beginColumn + reach;
    const bool nearEnd = endColumn - reach <= x && x <= endColumn + reach;
    if (nearBegin && nearEnd)
        return 2 * y > height ? selectionDrag::end : selectionDrag::begin;
    if (nearEnd)
        return selectionDrag::end;
    return nearBegin ? selectionDrag::begin : selectionDrag::none;
}

overviewDrag overviewPress(int x, int x0, int x1, int reach)
{
    auto nearColumn = [reach](int x, int column) { return x >= column - reach && x <= column + reach; };
    if (x0 <= x && x <= x1)
        return overviewDrag::wholeBox; // inside the box moving wins
    // Tested by side, not "left end first": when the box is a single column, a
    // press just right of it must grab the right end.
    if (x < x0 && nearColumn(x, x0))
        return overviewDrag::leftEnd;
    if (x > x1 && nearColumn(x, x1))
        return overviewDrag::rightEnd;
    return overviewDrag::none;
}

void overviewDragTo(vTimelineDisplayState& s, overviewDrag what, double t, double& anchor, double extentBegin,
                    double extentEnd)
{
    if (what == overviewDrag::wholeBox) {
        const double d = t - anchor;
        s.viewBegin += d;
        s.viewEnd += d;
        anchor = t;
        if (extentBegin > s.viewBegin) {
            s.viewEnd += extentBegin - s.viewBegin;
            s.viewBegin = extentBegin;
        }
        if (extentEnd < s.viewEnd) {
            s.viewBegin -= s.viewEnd - extentEnd;
            s.viewEnd = extentEnd;
        }
    } else if (what == overviewDrag::leftEnd) {
        if (t < s.viewEnd) {
            const double begin = t < extentBegin ? extentBegin : t;
            // When the whole view lies before the extent, the clamp would turn
            // the view inside out; the end then stays where it was.
            if (begin < s.viewEnd)
                s.viewBegin = begin;
        }
    } else if (what == overviewDrag::rightEnd) {
        if (t > s.viewBegin) {
            const double end = t > extentEnd ? extentEnd : t;
            if (end > s.viewBegin)
                s.viewEnd = end;
        }
    }
    clampSelectionIntoView(s);
}

repairRule repairRuleAt(int index, vTimelineDisplayState& s)
{
    switch (index) {
    case 0:
        return {s.viewEnd > s.viewBegin,
                "The display interval is invalid.",
                {{&s.viewBegin, s.viewEnd - 1, "Adjust beginning"}, {&s.viewEnd, s.viewBegin + 1, "Adjust end"}}};
    case 1:
        return {s.selectionEnd >= s.selectionBegin,
                "The selection interval is invalid.",
                {{&s.selectionBegin, s.selectionEnd, "Adjust beginning"},
                 {&s.selectionEnd, s.selectionBegin, "Adjust end"}}};
    case 2:
        return {s.viewBegin <= s.selectionBegin,
                "The start of selection doesn't fit into display interval.",
                {{&s.viewBegin, s.selectionBegin, "Adjust display interval"},
                 {&s.selectionBegin, s.viewBegin, "Adjust selection interval"}}};
    default:
        return {s.viewEnd >= s.selectionEnd,
                "The end of selection doesn't fit into display interval.",
                {{&s.viewEnd, s.selectionEnd, "Adjust display interval"},
                 {&s.selectionEnd, s.viewEnd, "Adjust selection interval"}}};
    }
}

void recordingExtent(const std::vector<const timeline*>& lines, double& begin, double& end)
{
    begin = 0;
    end = 1;
    bool first = true;
    for (const timeline* line : lines) {
        if (line->isEmpty())
            continue;
        if (first || line->getStart() < begin)
            begin = line->getStart();
        if (first || line->getEnd() > end)
            end = line->getEnd();
        first = false;
    }
}

void zoomInView(vTimelineDisplayState& s)
{
    const double b = s.viewBegin, e = s.viewEnd, m = (b + e) * 0.5, span = e - b;
    if (span >= 0 && span <= 1)
        return; // one second is as close as the view goes
    if (span > 1 && span < 2) {
        s.viewBegin = m - 0.5;
        s.viewEnd = m + 0.5;
        return;
    }
    s.viewBegin = (b + m) * 0.5;
    s.viewEnd = (m + e) * 0.5;
}

void zoomOutView(vTimelineDisplayState& s)
{
    const double b = s.viewBegin, e = s.viewEnd, m = (b + e) * 0.5;
    if (e == b) {
        // A view without length (from a damaged setting) opens up to a second.
        s.viewBegin = m - 0.5;
        s.viewEnd = m + 0.5;
        return;
    }
    s.viewBegin = b - (m - b);
    s.viewEnd = e + (e - m);
}

void panView(vTimelineDisplayState& s, double fraction)
{
    const double step = (s.viewEnd - s.viewBegin) * fraction;
    s.viewBegin += step;
    s.viewEnd += step;
}

void viewStartingAt(vTimelineDisplayState& s, double t)
{
    s.viewEnd = t + (s.viewEnd - s.viewBegin);
    s.viewBegin = t;
}

void viewEndingAt(vTimelineDisplayState& s, double t)
{
    s.viewBegin = t - (s.viewEnd - s.viewBegin);
    s.viewEnd = t;
}
