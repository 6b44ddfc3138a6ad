// The overview bar (vTimeWindow) and the selection bar (vTimespan): painting
// checked pixel by pixel, mouse handling driven by synthetic events on widgets
// in a shown frame (capturing the mouse needs a shown window).
#include <functional>
#include <ostream>
#include <tuple>

#include <gtest/gtest.h>

#include <wx/bitmap.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include "display/vTimeWindow.h"
#include "display/vTimespan.h"
#include "support/guiSupport.h"
#include "tests/display/displaySpy.h"

// Readable colours in failure messages.
void PrintTo(const wxColour& c, std::ostream* os)
{
    *os << "(" << int(c.Red()) << ", " << int(c.Green()) << ", " << int(c.Blue()) << ")";
}

namespace {

wxImage render(const std::function<void(wxDC&, const wxSize&)>& draw, wxSize size)
{
    wxBitmap bitmap(size.x, size.y, 24);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(wxBrush(wxColour(1, 2, 3)));
        dc.Clear();
        draw(dc, size);
    }
    return bitmap.ConvertToImage();
}

wxColour pixel(const wxImage& image, int x, int y)
{
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

const wxColour grey(128, 128, 128), green(0, 255, 0), white(255, 255, 255), black(0, 0, 0),
    lightGrey(192, 192, 192), mediumGrey(100, 100, 100);

// Extent [1000, 3000] on a 200-pixel bar: 10 seconds per column.
class overviewTest : public ::testing::Test {
protected:
    static constexpr double extentBegin = 1000, extentEnd = 3000;
    static constexpr int width = 200;

    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "overview", wxDefaultPosition, wxSize(400, 200));
        panel = new wxPanel(frame);
        frame->Show();
        ASSERT_TRUE(yieldUntil([this] { return frame->IsShownOnScreen(); }));
    }

    void TearDown() override
    {
        for (wxWindow* w : panel->GetChildren())
            if (w->HasCapture())
                w->ReleaseMouse();
        delete frame;
    }

    vTimeWindow* makeWindow(double begin = extentBegin, double end = extentEnd)
    {
        auto* window = new vTimeWindow(panel, model, begin, end);
        window->SetSize(0, 0, width, 20);
        return window;
    }

    vTimespan* makeSpan()
    {
        model.reset(vTimelineDisplayState{1500, 2000, 1000, 3000});
        auto* span = new vTimespan(panel, model);
        span->SetSize(0, 30, width, vTimespan::barHeight);
        return span;
    }

    static void mouse(wxWindow* w, wxEventType type, int x, bool leftDown, int y = 5)
    {
        wxMouseEvent event(type);
        event.SetEventObject(w);
        event.SetId(w->GetId());
        event.m_x = x;
        event.m_y = y;
        event.m_leftDown = leftDown;
        w->ProcessWindowEvent(event);
    }
    static void press(wxWindow* w, int x, int y = 5) { mouse(w, wxEVT_LEFT_DOWN, x, true, y); }
    static void drag(wxWindow* w, int x) { mouse(w, wxEVT_MOTION, x, true); }
    static void hover(wxWindow* w, int x) { mouse(w, wxEVT_MOTION, x, false); }
    static void release(wxWindow* w, int x) { mouse(w, wxEVT_LEFT_UP, x, false); }

    void expectView(double begin, double end)
    {
        EXPECT_DOUBLE_EQ(state().viewBegin, begin);
        EXPECT_DOUBLE_EQ(state().viewEnd, end);
    }
    void expectSelection(double begin, double end)
    {
        EXPECT_DOUBLE_EQ(state().selectionBegin, begin);
        EXPECT_DOUBLE_EQ(state().selectionEnd, end);
    }

    const vTimelineDisplayState& state() const { return model.state(); }

    displayModel model{vTimelineDisplayState{1600, 1900, 1500, 2000}};
    displaySpy counter{model};
    wxFrame* frame = nullptr;
    wxPanel* panel = nullptr;
};

// --- overview bar -----------------------------------------------------------

TEST_F(overviewTest, windowPaintsGreyBarWithOutlinedGreenBox)
{
    vTimeWindow* window = makeWindow();
    wxImage image = render([&](wxDC& dc, const wxSize& s) { window->draw(dc, s); }, {200, 20});
    // view [1500, 2000] -> x0 = 50, x1 = 100
    EXPECT_EQ(pixel(image, 0, 0), grey);
    EXPECT_EQ(pixel(image, 48, 10), grey);
    EXPECT_EQ(pixel(image, 49, 10), white);
    EXPECT_EQ(pixel(image, 50, 10), green);
    EXPECT_EQ(pixel(image, 99, 10), green);
    EXPECT_EQ(pixel(image, 100, 10), white);
    EXPECT_EQ(pixel(image, 101, 10), grey);
    EXPECT_EQ(pixel(image, 75, 0), white);
    EXPECT_EQ(pixel(image, 75, 19), white);
    EXPECT_EQ(pixel(image, 199, 19), grey);

    // A view far beyond the extent sits at the right edge, one beyond the
    // left edge at column 0: the mapping is limited, not overflowed.
    model.setView(1.7e9, 1.8e9);
    image = render([&](wxDC& dc, const wxSize& s) { window->draw(dc, s); }, {200, 20});
    EXPECT_EQ(pixel(image, 198, 10), grey);
    EXPECT_EQ(pixel(image, 199, 10), white);
    model.setView(-1, -1);
    image = render([&](wxDC& dc, const wxSize& s) { window->draw(dc, s); }, {200, 20});
    EXPECT_EQ(pixel(image, 0, 10), white);
    EXPECT_EQ(pixel(image, 1, 10), grey);
}

TEST_F(overviewTest, windowMarksTheColumnsOfHitsAtTheTop)
{
    vTimeWindow* window = makeWindow();
    const wxColour yellow(255, 230, 0);
    // Columns 20 (twice), 50 (in the box), 199 (the extent's end); none outside the extent.
    window->setHitMarks(std::make_shared<const std::vector<double>>(std::vector<double>{1205, 1209, 1500, 3000, 500, 3500}));
    const wxImage image = render([&](wxDC& dc, const wxSize& s) { window->draw(dc, s); }, {200, 20});
    const std::tuple<int, int, wxColour> pixels[] = {{20, 1, yellow}, {20, 6, yellow}, {199, 3, yellow},
                                                     {50, 3, yellow}, {50, 0, white},  {20, 7, grey},
                                                     {21, 3, grey},   {0, 3, grey}};
    for (const auto& [x, y, colour] : pixels)
        EXPECT_EQ(colour, pixel(image, x, y)) << x << ", " << y;
}

TEST_F(overviewTest, windowMappingIsLimitedAndSafeOnEmptyIntervals)
{
    vTimeWindow* window = makeWindow();
    EXPECT_EQ(window->timeToX(1505, 200), 50); // truncated
    EXPECT_EQ(window->timeToX(-1e300, 200), 0);
    EXPECT_EQ(window->timeToX(1e300, 200), 200);
    EXPECT_DOUBLE_EQ(window->xToTime(-10, 200), 900); // not limited
    EXPECT_DOUBLE_EQ(window->xToTime(7, 0), 1000);    // no width: no division

    vTimeWindow* flat = new vTimeWindow(panel, model, 5, 5);
    EXPECT_EQ(flat->timeToX(1e9, 200), 0);
    EXPECT_DOUBLE_EQ(flat->xToTime(150, 200), 5);
}

TEST_F(overviewTest, windowMoveDragPansAndStopsAtTheExtentEnds)
{
    vTimeWindow* window = makeWindow();
    press(window, 75);
    EXPECT_TRUE(window->HasCapture());
    EXPECT_EQ(counter.calls(), 0);
    drag(window, 85);
    expectView(1600, 2100);
    EXPECT_EQ(counter.calls(), 1);
    EXPECT_DOUBLE_EQ(counter.previous.back().viewBegin, 1500);
    drag(window, 1000);
    expectView(2500, 3000);
    drag(window, -500); // anchor followed the mouse, so this is relative to 1000
    expectView(1000, 1500);
    drag(window, -500); // no motion beyond the edge: still announced
    expectView(1000, 1500);
    EXPECT_EQ(counter.calls(), 4);
    release(window, -500);
    EXPECT_FALSE(window->HasCapture());
    drag(window, 100); // no flags any more: view unchanged
    expectView(1000, 1500);
}

TEST_F(overviewTest, windowPressInsideMovesJustOutsideGrabsAnEnd)
{
    vTimeWindow* window = makeWindow();
    press(window, 50); // on x0: inside, moves
    drag(window, 60);
    expectView(1600, 2100);
    release(window, 60);

    press(window, 59); // one left of x0 = 60: left end
    drag(window, 40);
    expectView(1400, 2100);
    release(window, 40);

    press(window, 111); // one right of x1 = 110: right end
    drag(window, 150);
    expectView(1400, 2500);
    release(window, 150);

    press(window, 20); // well away from the box: nothing moves...
    model.setSelection(1000, 2900);
    drag(window, 0);
    expectView(1400, 2500);
    expectSelection(1400, 2500); // ...but the selection is clamped and announced
    EXPECT_EQ(counter.previous.back().selectionBegin, 1000);
}

TEST_F(overviewTest, windowEndDragsStopAtTheOtherEndAndTheExtent)
{
    vTimeWindow* window = makeWindow();
    press(window, 49);
    drag(window, 99);
    expectView(1990, 2000);
    drag(window, 150); // past the right end: left where it was
    expectView(1990, 2000);
    drag(window, -50);
    expectView(1000, 2000);
    release(window, -50);

    press(window, 101);
    drag(window, 500);
    expectView(1000, 3000);
    drag(window, -10); // before viewBegin: left where it was
    expectView(1000, 3000);
}

TEST_F(overviewTest, windowEndOfAViewOutsideTheExtentNeverTurnsItInsideOut)
{
    vTimeWindow* window = makeWindow();
    model.setView(100, 500); // entirely before the extent: box at column 0
    press(window, -1);
    drag(window, -100); // t = 0 < viewEnd, but the extent clamp would give 1000
    EXPECT_LT(state().viewBegin, state().viewEnd);
    expectView(100, 500);
    release(window, -100);

    model.setView(3500, 4000); // entirely after the extent: box at column 200
    press(window, 201);
    drag(window, 400); // t = 5000 > viewBegin, but the clamp would give 3000
    expectView(3500, 4000);
}

TEST_F(overviewTest, windowSingleColumnBoxGrabsTheEndOnThePressedSide)
{
    vTimeWindow* window = makeWindow();
    model.setView(1500, 1505); // x0 = x1 = 50
    press(window, 51);
    drag(window, 80);
    expectView(1500, 1800);
    release(window, 80);

    model.setView(state().viewBegin, 1505);
    press(window, 49);
    drag(window, 20);
    expectView(1200, 1505);
}

TEST_F(overviewTest, windowMoveOfAViewLongerThanTheExtentKeepsItsLength)
{
    vTimeWindow* window = makeWindow();
    model.setView(0, 5000);
    press(window, 100);
    drag(window, 100);
    expectView(-2000, 3000);
    expectSelection(1600, 1900);
}

TEST_F(overviewTest, windowCaptureLossEndsTheDrag)
{
    vTimeWindow* window = makeWindow();
    press(window, 75);
    wxMouseCaptureLostEvent lost(window->GetId());
    lost.SetEventObject(window);
    window->ProcessWindowEvent(lost);
    window->ReleaseMouse(); // the window system would have taken it
    drag(window, 120);
    expectView(1500, 2000);
}

TEST_F(overviewTest, windowCursorShowsWhatAPressWouldDo)
{
    vTimeWindow* window = makeWindow();
    hover(window, 75);
    EXPECT_EQ(window->shownCursor(), wxCURSOR_HAND);
    hover(window, 49);
    EXPECT_EQ(window->shownCursor(), wxCURSOR_SIZEWE);
    hover(window, 100);
    EXPECT_EQ(window->shownCursor(), wxCURSOR_HAND);
    hover(window, 101);
    EXPECT_EQ(window->shownCursor(), wxCURSOR_SIZEWE);
    hover(window, 102);
    EXPECT_EQ(window->shownCursor(), wxCURSOR_ARROW);
    EXPECT_EQ(counter.calls(), 0);
    expectView(1500, 2000);
}

TEST_F(overviewTest, windowWorksOnTheEmptyExtent)
{
    // No lines: the extent is [0, 1].
    vTimeWindow* window = makeWindow(0, 1);
    model.setView(0.25, 0.5); // columns 50 .. 100
    press(window, 60);
    drag(window, 80);
    expectView(0.35, 0.6);
    release(window, 80);

    model.setView(-1, -1); // invalid start-up times
    press(window, 0);
    drag(window, 30);
    expectView(0, 0);
    expectSelection(0, 0);
}

// --- selection bar ----------------------------------------------------------

TEST_F(overviewTest, spanPaintsMarkersWithHighlightAndShadow)
{
    vTimespan* span = makeSpan(); // xb = 50, xe = 100, c = 8
    wxImage image = render([&](wxDC& dc, const wxSize& s) { span->draw(dc, s); }, {200, 17});
    EXPECT_EQ(pixel(image, 150, 2), black);
    EXPECT_EQ(pixel(image, 150, 8), white); // centre line
    EXPECT_EQ(pixel(image, 150, 9), black);
    // begin marker, above the line
    EXPECT_EQ(pixel(image, 50, 4), lightGrey);
    EXPECT_EQ(pixel(image, 50, 1), white);      // top edge
    EXPECT_EQ(pixel(image, 46, 4), white);      // left edge
    EXPECT_EQ(pixel(image, 54, 4), mediumGrey); // right edge
    EXPECT_EQ(pixel(image, 50, 12), mediumGrey); // tick below
    EXPECT_EQ(pixel(image, 50, 0), black);
    // end marker, below the line
    EXPECT_EQ(pixel(image, 100, 12), lightGrey);
    EXPECT_EQ(pixel(image, 100, 15), mediumGrey); // bottom edge
    EXPECT_EQ(pixel(image, 104, 12), mediumGrey); // right edge
    EXPECT_EQ(pixel(image, 96, 12), white);       // left edge
    EXPECT_EQ(pixel(image, 100, 4), mediumGrey);  // tick above
    EXPECT_EQ(pixel(image, 100, 16), black);
}

TEST_F(overviewTest, barsGetTheirHeightsInAColumn)
{
    // As the panel stacks them: proportion 0, expanded to the column's width.
    vTimeWindow* window = makeWindow();
    vTimespan* span = makeSpan();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(window, 0, wxEXPAND);
    sizer->Add(span, 0, wxEXPAND);
    panel->SetSizer(sizer);
    panel->SetSize(0, 0, 300, 150);
    panel->Layout();
    EXPECT_EQ(window->GetSize(), wxSize(300, 20));
    EXPECT_EQ(span->GetSize(), wxSize(300, 17));

    // The paint handlers draw what draw() draws: read the screen back.
    frame->Update();
    yieldUntil([] { return false; }, 100);
    wxBitmap shot(300, 37, 24);
    {
        wxMemoryDC memory(shot);
        wxClientDC screen(panel);
        memory.Blit(0, 0, 300, 37, &screen, 0, 0);
    }
    wxImage image = shot.ConvertToImage();
    EXPECT_EQ(pixel(image, 100, 0), white); // view [1000, 3000] fills the bar
    EXPECT_EQ(pixel(image, 100, 10), green);
    EXPECT_EQ(pixel(image, 5, 20 + 8), white);
    EXPECT_EQ(pixel(image, 5, 20 + 2), black);
}

TEST_F(overviewTest, spanMarkersFollowTheScaledSizes)
{
    vTimespan* span = makeSpan(); // xb = 50, xe = 100
    for (double factor : {1.0, 1.5, 2.0}) {
        const displayMetrics sizes = displayMetrics::forScale(factor);
        const int h = sizes.spanHeight, c = h / 2, m = sizes.markerSize;
        wxImage image = render([&](wxDC& dc, const wxSize& s) { span->draw(dc, s, sizes); }, {width, h});
        EXPECT_EQ(pixel(image, 50, c - m - 1), black) << factor;
        EXPECT_EQ(pixel(image, 50, c - m), white) << factor;          // top edge of the begin marker
        EXPECT_EQ(pixel(image, 50, c + m - 1), mediumGrey) << factor; // its tick below the line
        EXPECT_EQ(pixel(image, 100, c + m), mediumGrey) << factor;    // bottom edge of the end marker
        EXPECT_EQ(pixel(image, 100, c + m + 1), black) << factor;
    }
}

TEST_F(overviewTest, spanPressPicksTheMarkerInReach)
{
    vTimespan* span = makeSpan();
    const selectionDrag B = selectionDrag::begin, E = selectionDrag::end, N = selectionDrag::none;
    const struct {
        int x, y;
        selectionDrag mode;
    } cases[] = {{43, 5, B}, {57, 12, B}, {58, 5, N}, {92, 5, N}, {93, 5, E}, {107, 2, E}, {150, 8, N}};
    for (const auto& c : cases) {
        press(span, c.x, c.y);
        EXPECT_EQ(span->currentDragMode(), c.mode) << "x " << c.x;
        EXPECT_TRUE(span->HasCapture());
        release(span, c.x);
        EXPECT_EQ(span->currentDragMode(), selectionDrag::none);
        EXPECT_FALSE(span->HasCapture());
    }

    // Both markers on one column: the upper half takes the begin marker.
    model.reset(vTimelineDisplayState{2000, 2000, 1000, 3000});
    const struct {
        int y;
        selectionDrag mode;
    } halves[] = {{0, B}, {8, B}, {9, E}, {16, E}};
    for (const auto& h : halves) {
        press(span, 100, h.y);
        EXPECT_EQ(span->currentDragMode(), h.mode) << "y " << h.y;
        release(span, 100);
    }
    EXPECT_EQ(counter.calls(), 0);
}

TEST_F(overviewTest, spanBeginDragPushesTheEndAndStopsOnlyAtTheViewBegin)
{
    vTimespan* span = makeSpan();
    press(span, 50);
    drag(span, 70);
    expectSelection(1700, 2000);
    EXPECT_EQ(counter.calls(), 1);
    EXPECT_DOUBLE_EQ(counter.previous.back().selectionBegin, 1500);
    drag(span, 150);
    expectSelection(2500, 2500);
    drag(span, 300); // past the bar's right edge: both beyond the view
    expectSelection(4000, 4000);
    drag(span, -40);
    expectSelection(1000, 4000);
    EXPECT_EQ(counter.calls(), 4);
    expectView(1000, 3000);
}

TEST_F(overviewTest, spanEndDragPushesTheBeginAndStopsOnlyAtTheViewEnd)
{
    vTimespan* span = makeSpan();
    press(span, 100);
    drag(span, 20);
    expectSelection(1200, 1200);
    drag(span, -100);
    expectSelection(0, 0);
    drag(span, 250);
    expectSelection(0, 3000);
}

TEST_F(overviewTest, spanAnnouncesOnlyWhileAMarkerIsDragged)
{
    vTimespan* span = makeSpan();
    hover(span, 50);
    press(span, 150);
    drag(span, 50);
    release(span, 50);
    EXPECT_EQ(counter.calls(), 0);

    press(span, 50);
    wxMouseCaptureLostEvent lost(span->GetId());
    lost.SetEventObject(span);
    span->ProcessWindowEvent(lost);
    span->ReleaseMouse(); // the window system would have taken it
    EXPECT_EQ(span->currentDragMode(), selectionDrag::none);
    drag(span, 80);
    EXPECT_EQ(counter.calls(), 0);
    expectSelection(1500, 2000);
}

TEST_F(overviewTest, spanCopesWithAZeroLengthView)
{
    vTimespan* span = makeSpan();
    model.reset(vTimelineDisplayState{-1, -1, -1, -1});
    EXPECT_EQ(span->timeToX(12345, 200), 0);
    wxImage image = render([&](wxDC& dc, const wxSize& s) { span->draw(dc, s); }, {200, 17});
    EXPECT_EQ(pixel(image, 150, 8), white);
    press(span, 3, 12);
    EXPECT_EQ(span->currentDragMode(), selectionDrag::end);
    drag(span, 150);
    expectSelection(-1, -1);
    EXPECT_EQ(counter.calls(), 1);
    EXPECT_DOUBLE_EQ(span->xToTime(5, 0), -1);
}

}
