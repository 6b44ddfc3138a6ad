#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/displayRules.h"
#include "tests/display/fakeTimeline.h"

namespace {
vTimelineDisplayState viewAndSelection(double vb, double ve, double sb, double se)
{
    vTimelineDisplayState s;
    s.viewBegin = vb;
    s.viewEnd = ve;
    s.selectionBegin = sb;
    s.selectionEnd = se;
    return s;
}

std::string text(const vTimelineDisplayState& s)
{
    char out[96];
    std::snprintf(out, sizeof out, "view %g..%g sel %g..%g", s.viewBegin, s.viewEnd, s.selectionBegin, s.selectionEnd);
    return out;
}

const selectionDrag B = selectionDrag::begin, E = selectionDrag::end, N = selectionDrag::none;
}

TEST(displayRules, movingABoundKeepsItsSideAndPushesTheOther)
{
    const struct {
        selectionDrag bound;
        double t;
        const char* result;
    } cases[] = {
        {B, 300, "view 0..1000 sel 300..600"},
        {B, -50, "view 0..1000 sel 0..600"},      // held at the view's begin
        {B, 800, "view 0..1000 sel 800..800"},    // pushes the end along
        {B, 1500, "view 0..1000 sel 1500..1500"}, // nothing holds it at the view's end
        {E, 900, "view 0..1000 sel 200..900"},
        {E, 1200, "view 0..1000 sel 200..1000"},
        {E, 100, "view 0..1000 sel 100..100"},
        {E, -100, "view 0..1000 sel -100..-100"},
        {N, 500, "view 0..1000 sel 200..600"},
    };
    for (const auto& c : cases) {
        vTimelineDisplayState s = viewAndSelection(0, 1000, 200, 600);
        moveSelectionBound(s, c.bound, c.t);
        EXPECT_EQ(c.result, text(s)) << c.t;
    }
}

TEST(displayRules, pressesTakeWhatIsInReach)
{
    // Rows: a bound within two pixels, the begin first.
    EXPECT_EQ(B, rowPress(101, 100, 200, 3));
    EXPECT_EQ(E, rowPress(198, 100, 200, 3));
    EXPECT_EQ(N, rowPress(103, 100, 200, 3));
    EXPECT_EQ(B, rowPress(100, 100, 101, 3)) << "both in reach: the begin";
    // Selection bar: markers seven pixels either side; both in reach, the half decides.
    EXPECT_EQ(B, selectionBarPress(43, 5, 17, 50, 100, 7));
    EXPECT_EQ(N, selectionBarPress(58, 5, 17, 50, 100, 7));
    EXPECT_EQ(E, selectionBarPress(107, 2, 17, 50, 100, 7));
    EXPECT_EQ(B, selectionBarPress(100, 8, 17, 100, 100, 7));
    EXPECT_EQ(E, selectionBarPress(100, 9, 17, 100, 100, 7));
    // Overview: inside the box it moves; one column outside an end takes that end.
    EXPECT_EQ(overviewDrag::wholeBox, overviewPress(50, 40, 60));
    EXPECT_EQ(overviewDrag::leftEnd, overviewPress(39, 40, 60));
    EXPECT_EQ(overviewDrag::rightEnd, overviewPress(61, 40, 60));
    EXPECT_EQ(overviewDrag::none, overviewPress(37, 40, 60));
    EXPECT_EQ(overviewDrag::rightEnd, overviewPress(41, 40, 40)) << "a one-column box: the side decides";
}

TEST(displayRules, aNewSelectionInARowFollowsTheMouse)
{
    vTimelineDisplayState s = viewAndSelection(0, 1000, 200, 600);
    selectionDrag bound = N;
    rowDrag(s, bound, 500, 700);
    EXPECT_EQ(E, bound);
    EXPECT_EQ("view 0..1000 sel 500..700", text(s));
    rowDrag(s, bound, 500, 400); // the end now follows and pushes the begin
    EXPECT_EQ("view 0..1000 sel 400..400", text(s));

    s = viewAndSelection(0, 1000, 200, 600);
    bound = N;
    rowDrag(s, bound, 500, -100);
    EXPECT_EQ(B, bound);
    EXPECT_EQ("view 0..1000 sel 0..500", text(s));
    s = viewAndSelection(0, 1000, 200, 600);
    bound = N;
    rowDrag(s, bound, 500, 1200);
    EXPECT_EQ("view 0..1000 sel 500..1200", text(s)) << "the first step is not clamped at the end";
}

TEST(displayRules, overviewDragsStayWithinTheExtent)
{
    const struct {
        overviewDrag what;
        double anchor, t;
        const char* result;
    } cases[] = {
        {overviewDrag::wholeBox, 500, 600, "view 300..500 sel 300..350"},
        {overviewDrag::wholeBox, 500, 0, "view 100..300 sel 250..300"},
        {overviewDrag::wholeBox, 500, 2000, "view 800..1000 sel 800..800"},
        {overviewDrag::leftEnd, 0, 50, "view 100..400 sel 250..350"},
        {overviewDrag::leftEnd, 0, 380, "view 380..400 sel 380..380"},
        {overviewDrag::leftEnd, 0, 450, "view 200..400 sel 250..350"},
        {overviewDrag::rightEnd, 0, 5000, "view 200..1000 sel 250..350"},
        {overviewDrag::rightEnd, 0, 210, "view 200..210 sel 210..210"},
        {overviewDrag::none, 0, 700, "view 200..400 sel 250..350"},
    };
    for (const auto& c : cases) {
        vTimelineDisplayState s = viewAndSelection(200, 400, 250, 350);
        double anchor = c.anchor;
        overviewDragTo(s, c.what, c.t, anchor, 100, 1000);
        EXPECT_EQ(c.result, text(s)) << c.t;
    }
    // A view wholly before the extent: dragging its left end cannot turn it inside out.
    vTimelineDisplayState s = viewAndSelection(-500, 50, -400, 0);
    double anchor = 0;
    overviewDragTo(s, overviewDrag::leftEnd, -450, anchor, 100, 1000);
    EXPECT_EQ(-500, s.viewBegin);
}

TEST(displayRules, repairRulesAreAskedInOrderOnTheCurrentState)
{
    vTimelineDisplayState s = viewAndSelection(1000, 500, 700, 600);
    const char* messages[] = {"The display interval is invalid.", "The selection interval is invalid.",
                              "The start of selection doesn't fit into display interval.",
                              "The end of selection doesn't fit into display interval."};
    for (int i = 0; i < repairRuleCount; ++i)
        EXPECT_EQ(messages[i], repairRuleAt(i, s).message);
    repairRule view = repairRuleAt(0, s);
    EXPECT_FALSE(view.holds);
    ASSERT_EQ(2u, view.adjustments.size());
    EXPECT_EQ(&s.viewBegin, view.adjustments[0].target);
    EXPECT_EQ(499, view.adjustments[0].value);
    EXPECT_EQ(1001, view.adjustments[1].value);
    *view.adjustments[1].target = view.adjustments[1].value; // "Adjust end"
    EXPECT_TRUE(repairRuleAt(0, s).holds);
    repairRule selection = repairRuleAt(1, s);
    EXPECT_FALSE(selection.holds);
    EXPECT_EQ("Adjust beginning", selection.adjustments[0].label);
    EXPECT_EQ(600, selection.adjustments[0].value);
    EXPECT_TRUE(repairRuleAt(2, s).holds == (s.viewBegin <= s.selectionBegin));
}

TEST(displayRules, zoomStopsAtOneSecondAndComesBack)
{
    vTimelineDisplayState s = viewAndSelection(0, 86400, 0, 0);
    int steps = 0;
    while (steps < 100) {
        const double before = s.viewEnd - s.viewBegin;
        zoomInView(s);
        if (s.viewEnd - s.viewBegin == before)
            break;
        ++steps;
    }
    EXPECT_EQ(17, steps);
    EXPECT_EQ(1, s.viewEnd - s.viewBegin);
    EXPECT_EQ(43200, (s.viewBegin + s.viewEnd) / 2) << "about the same centre";
    for (int i = 0; i < 17; ++i)
        zoomOutView(s);
    EXPECT_EQ(131072, s.viewEnd - s.viewBegin);
    EXPECT_EQ(43200, (s.viewBegin + s.viewEnd) / 2);

    vTimelineDisplayState flat = viewAndSelection(5000, 5000, 0, 0);
    zoomOutView(flat);
    EXPECT_EQ("view 4999.5..5000.5 sel 0..0", text(flat)) << "a view without length opens up";
}

TEST(displayRules, extentOfTheLinesThatHaveRecordings)
{
    fakeTimeline a("a"), b("b"), none("none");
    a.add(100, 200, "x").add(5000, 5100, "y");
    b.add(50, 150, "z").add(9000, 9500, "w");
    double begin, end;
    recordingExtent({}, begin, end);
    EXPECT_EQ(0, begin);
    EXPECT_EQ(1, end);
    recordingExtent({&none, &a, &b}, begin, end);
    EXPECT_EQ(50, begin);
    EXPECT_EQ(9500, end);
}

TEST(displayRules, keyMovesKeepTheLengthAndLeaveTheSelection)
{
    const struct {
        void (*move)(vTimelineDisplayState&, double);
        double value;
        const char* result;
    } cases[] = {
        {panView, 0.1, "view 300..1300 sel 250..350"},         {panView, -0.1, "view 100..1100 sel 250..350"},
        {viewStartingAt, 5000, "view 5000..6000 sel 250..350"}, {viewEndingAt, 900, "view -100..900 sel 250..350"},
    };
    for (const auto& c : cases) {
        vTimelineDisplayState s = viewAndSelection(200, 1200, 250, 350);
        c.move(s, c.value);
        EXPECT_EQ(c.result, text(s)) << c.value;
    }
}
