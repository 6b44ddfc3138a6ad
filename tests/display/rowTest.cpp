#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <set>

#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/graphics.h>

#include "display/vSingleTimeline.h"
#include "support/guiSupport.h"
#include "tests/display/displaySpy.h"
#include "tests/display/fakeTimeline.h"

namespace {
const wxColour black(0, 0, 0), green(0, 255, 0), grey(128, 128, 128), boundRed(255, 31, 0);

wxImage render(vSingleTimeline& row, const wxSize& size)
{
    wxBitmap bitmap(size, 24);
    wxMemoryDC dc(bitmap);
    row.draw(dc, size);
    dc.SelectObject(wxNullBitmap);
    return bitmap.ConvertToImage();
}

wxColour pixel(const wxImage& image, int x, int y)
{
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

bool columnHas(const wxImage& image, int x, const wxColour& colour)
{
    for (int y = 0; y < image.GetHeight(); ++y)
        if (pixel(image, x, y) == colour)
            return true;
    return false;
}

// A shown frame holding one row of a known size: mouse capture needs it.
class rowFixture : public ::testing::Test {
protected:
    const double day = 1700000000; // any whole second
    fakeTimeline line{"Front desk"};
    // 10 seconds per pixel on a 400 pixel row.
    displayModel model{vTimelineDisplayState{day + 1000, day + 2000, day, day + 4000}};
    displaySpy spy{model};
    wxFrame* frame = nullptr;
    vSingleTimeline* row = nullptr;

    const vTimelineDisplayState& state() const { return model.state(); }

    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "row");
        row = new vSingleTimeline(frame, &line, model);
        frame->SetClientSize(400, 20);
        frame->Show();
        ASSERT_TRUE(yieldUntil([&] { return frame->IsShownOnScreen() && row->GetClientSize() == wxSize(400, 20); }));
    }
    void TearDown() override
    {
        if (row->HasCapture())
            row->ReleaseMouse();
        destroyNow(frame);
    }

    void mouse(wxEventType type, int x, bool leftDown)
    {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, 10));
        event.m_leftDown = leftDown;
        event.SetEventObject(row);
        row->ProcessWindowEvent(event);
    }
    void press(int x) { mouse(wxEVT_LEFT_DOWN, x, true); }
    void drag(int x) { mouse(wxEVT_MOTION, x, true); }
    void release(int x) { mouse(wxEVT_LEFT_UP, x, false); }
};
}

TEST_F(rowFixture, mappingTruncatesAndClamps)
{
    EXPECT_EQ(0, row->timeToX(day - 500, 400));
    EXPECT_EQ(0, row->timeToX(day + 9.99, 400));
    EXPECT_EQ(1, row->timeToX(day + 10, 400));
    EXPECT_EQ(400, row->timeToX(day + 4000, 400));
    EXPECT_EQ(400, row->timeToX(1e300, 400));
    EXPECT_EQ(0, row->timeToX(-1e300, 400));
    EXPECT_DOUBLE_EQ(day + 1005, row->xToTime(100, 400) + 5);
    EXPECT_DOUBLE_EQ(day - 100, row->xToTime(-10, 400)); // not limited
    model.setView(day, day);
    EXPECT_EQ(0, row->timeToX(day + 4000, 400));
}

TEST_F(rowFixture, paintShowsBoxesLinesAndBounds)
{
    line.add(day + 100, day + 300, "")    // x 10..30, outside the selection
        .add(day + 1500, day + 1700, "")  // x 150..170, inside
        .add(day + 3000, day + 3001, ""); // a tenth of a column: still seen
    wxImage image = render(*row, wxSize(400, 20));
    EXPECT_EQ(black, pixel(image, 5, 2));
    EXPECT_EQ(green, pixel(image, 5, 10)) << "the middle line at h/2";
    EXPECT_EQ(black, pixel(image, 5, 11));
    EXPECT_EQ(grey, pixel(image, 10, 0));
    EXPECT_EQ(grey, pixel(image, 29, 18));
    EXPECT_EQ(black, pixel(image, 29, 19)) << "boxes are h-1 high";
    EXPECT_EQ(black, pixel(image, 30, 5)) << "x1 is not part of the box";
    EXPECT_EQ(green, pixel(image, 160, 3));
    EXPECT_EQ(wxColour(32, 32, 32), pixel(image, 300, 3)) << "a quarter of grey at least";
    EXPECT_EQ(black, pixel(image, 301, 3));
    EXPECT_TRUE(columnHas(image, 100, boundRed));
    EXPECT_TRUE(columnHas(image, 200, boundRed));
    EXPECT_FALSE(columnHas(image, 101, boundRed));

    row->setIncluded(false);
    image = render(*row, wxSize(400, 20));
    EXPECT_EQ(grey, pixel(image, 160, 3)) << "an excluded line draws every box grey";
}

TEST_F(rowFixture, labelsShowWholeAsEllipsisOrNotAtAll)
{
    // Reference pictures: a plain box and boxes with the texts drawn directly.
    auto boxWith = [&](int width, const wxString& text) {
        wxBitmap bitmap(wxSize(400, 20), 24);
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(grey));
        dc.DrawRectangle(0, 0, width, 19);
        if (!text.empty())
            dc.DrawText(text, 0, 0);
        int textWidth = dc.GetTextExtent(text).x;
        dc.SelectObject(wxNullBitmap);
        return std::make_pair(bitmap.ConvertToImage(), textWidth);
    };
    const wxString label = "+49 30 1234567";
    int labelWidth = boxWith(10, label).second, dotsWidth = boxWith(10, "...").second;
    ASSERT_GT(labelWidth, dotsWidth + 2);

    auto boxPixels = [&](int width) {
        line.records.clear();
        line.add(day, day + 10.0 * width, label.utf8_string());
        model.setSelection(day + 3990, day + 3990);
        return render(*row, wxSize(400, 20));
    };
    auto sameInBox = [&](const wxImage& a, const wxImage& b, int width) {
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < 19; ++y)
                if (pixel(a, x, y) != pixel(b, x, y))
                    return false;
        return true;
    };
    int fits = labelWidth + 1, dotsOnly = dotsWidth + 1, nothing = dotsWidth - 1;
    EXPECT_TRUE(sameInBox(boxPixels(fits), boxWith(fits, label).first, fits));
    EXPECT_TRUE(sameInBox(boxPixels(labelWidth - 1), boxWith(labelWidth - 1, "...").first, labelWidth - 1));
    EXPECT_TRUE(sameInBox(boxPixels(dotsOnly), boxWith(dotsOnly, "...").first, dotsOnly));
    EXPECT_TRUE(sameInBox(boxPixels(nothing), boxWith(nothing, "").first, nothing));
    EXPECT_TRUE(sameInBox(boxPixels(1), boxWith(1, "").first, 1));
}

TEST_F(rowFixture, incrementalRedrawEqualsFullRepaint)
{
    for (int i = 0; i < 60; ++i)
        line.add(day + i * 65, day + i * 65 + 40 + (i % 3) * 20, std::to_string(i));
    const wxSize size(400, 20);
    wxBitmap screen(size, 24);
    {
        wxMemoryDC dc(screen);
        row->draw(dc, size);
    }
    const std::vector<std::pair<double, double>> selections = {
        {day + 1300, day + 2000}, {day + 500, day + 2000}, {day + 500, day + 3900},
        {day + 2600, day + 2605}, {day, day + 4000},         {day + 1999, day + 2001}};
    for (const auto& [begin, end] : selections) {
        const vTimelineDisplayState previous = state();
        model.setSelection(begin, end);
        const std::vector<wxRect> rects = row->selectionChangeRects(previous, size);
        // The paint of the invalidated parts: the full paint clipped to them.
        wxImage full = render(*row, size);
        wxImage incremental = screen.ConvertToImage();
        for (const wxRect& rect : rects)
            for (int x = rect.x; x < rect.GetRight() + 1 && x < size.x; ++x)
                for (int y = 0; y < size.y; ++y)
                    incremental.SetRGB(x, y, full.GetRed(x, y), full.GetGreen(x, y), full.GetBlue(x, y));
        screen = wxBitmap(incremental, 24);
        int differences = 0;
        for (int x = 0; x < size.x; ++x)
            for (int y = 0; y < size.y; ++y)
                differences += pixel(incremental, x, y) != pixel(full, x, y);
        EXPECT_EQ(0, differences) << "selection " << begin - day << ".." << end - day;
    }
}

// Days still being read are hatched and their boxes wait; once they are read
// the row is exactly what a row read from the start shows.
TEST_F(rowFixture, unreadDaysAreHatchedThenPaintedAsIfReadAtOnce)
{
    line.add(day + 100, day + 400, "early").add(day + 1600, day + 1900, "in the gap").add(day + 3000, day + 3500);
    const wxSize size(400, 20);
    const wxImage whole = render(*row, size);
    line.unread.push_back(timeSpan{day + 1500, day + 2500});
    const wxImage waiting = render(*row, size);
    EXPECT_TRUE(row->isWaiting());
    int hatched = 0, sameOutside = 0, outside = 0;
    for (int x = 0; x < size.x; ++x)
        for (int y = 0; y < size.y; ++y) {
            const wxColour c = pixel(waiting, x, y);
            if (x >= 150 && x < 250)
                hatched += c != black && c != green && c != grey && c != boundRed;
            else if (x != 100 && x != 200) // the bound lines
                ++outside, sameOutside += pixel(waiting, x, y) == pixel(whole, x, y);
        }
    EXPECT_GT(hatched, 200) << "the unread stretch is hatched";
    EXPECT_FALSE(columnHas(waiting, 175, grey)) << "the box of an unread day waits";
    EXPECT_EQ(outside, sameOutside) << "read days draw as usual";
    line.unread.clear();
    const wxImage arrived = render(*row, size);
    EXPECT_FALSE(row->isWaiting());
    int differences = 0;
    for (int x = 0; x < size.x; ++x)
        for (int y = 0; y < size.y; ++y)
            differences += pixel(arrived, x, y) != pixel(whole, x, y);
    EXPECT_EQ(0, differences);
}

TEST_F(rowFixture, pressAndReleaseWithoutMotionChangesNothing)
{
    press(50);
    EXPECT_TRUE(row->HasCapture());
    release(50);
    EXPECT_FALSE(row->HasCapture());
    EXPECT_EQ(0, spy.calls());
    EXPECT_EQ(day + 1000, state().selectionBegin);
    EXPECT_EQ(day + 2000, state().selectionEnd);
}

TEST_F(rowFixture, newSelectionInEitherDirection)
{
    press(250); // anchor day + 2500
    EXPECT_EQ(selectionDrag::none, row->getDragMode());
    drag(300);
    EXPECT_EQ(selectionDrag::end, row->getDragMode());
    EXPECT_EQ(day + 2500, state().selectionBegin);
    EXPECT_EQ(day + 3000, state().selectionEnd);
    // Back past the anchor: the end now follows the mouse and stops at the anchor.
    drag(240);
    EXPECT_EQ(day + 2400, state().selectionBegin);
    EXPECT_EQ(day + 2400, state().selectionEnd) << "moving the end pushes the begin along";
    release(240);
    EXPECT_EQ(selectionDrag::none, row->getDragMode());

    press(250);
    drag(200);
    EXPECT_EQ(selectionDrag::begin, row->getDragMode());
    EXPECT_EQ(day + 2000, state().selectionBegin);
    EXPECT_EQ(day + 2500, state().selectionEnd);
    drag(-30); // left of the row: clamped to the view
    EXPECT_EQ(day, state().selectionBegin);
    release(-30);
    EXPECT_EQ(4, spy.calls());
}

TEST_F(rowFixture, firstMotionOfANewSelectionMayOvershootTheView)
{
    press(380);
    drag(450);
    EXPECT_EQ(day + 4500, state().selectionEnd) << "the first motion of a new selection is not clamped";
    drag(460);
    EXPECT_EQ(day + 4000, state().selectionEnd);
    release(460);
}

TEST_F(rowFixture, draggingABoundPushesTheOtherAlong)
{
    press(101); // within 2 pixels of the begin line at x = 100
    EXPECT_EQ(selectionDrag::begin, row->getDragMode());
    drag(250);
    EXPECT_EQ(day + 2500, state().selectionBegin);
    EXPECT_EQ(day + 2500, state().selectionEnd);
    drag(500); // beyond the right edge: nothing clamps against the view's end here
    EXPECT_EQ(day + 5000, state().selectionBegin);
    EXPECT_EQ(day + 5000, state().selectionEnd);
    release(500);

    model.setSelection(day + 1000, day + 2000);
    press(198);
    EXPECT_EQ(selectionDrag::end, row->getDragMode());
    drag(50);
    EXPECT_EQ(day + 500, state().selectionBegin);
    EXPECT_EQ(day + 500, state().selectionEnd);
    EXPECT_LE(state().selectionBegin, state().selectionEnd);
    release(50);
}

TEST_F(rowFixture, losingTheCaptureEndsTheDrag)
{
    press(101);
    drag(150);
    wxMouseCaptureLostEvent lost(row->GetId());
    lost.SetEventObject(row);
    row->ReleaseMouse(); // what the system does before telling the window
    row->ProcessWindowEvent(lost);
    EXPECT_EQ(selectionDrag::none, row->getDragMode());
}

TEST_F(rowFixture, highlightedCallsAreYellowOnTopAndOthersKeepTheirColours)
{
    const wxColour brightYellow(255, 230, 0), darkYellow(160, 140, 0);
    line.add(day + 100, day + 300).add(day + 400, day + 600)     // x 10, 40: not selected
        .add(day + 1500, day + 1700).add(day + 1800, day + 1900) // x 150, 180: selected
        .add(day + 3000, day + 3001).add(day + 3002, day + 3003).add(day + 3004, day + 3005) // all in column 300
        .add(day + 2006, day + 2007).add(day + 2001, day + 2002); // column 200, unselected then selected
    model.setSelection(day + 1000, day + 2005);
    const std::set<double> matching = {day + 400, day + 1500, day + 3002, day + 2006, day + 2001};
    const wxImage before = render(*row, wxSize(400, 20));
    row->setHighlight([&](const recording& r) { return matching.count(static_cast<double>(r.start.GetTicks())) > 0; });
    const wxImage image = render(*row, wxSize(400, 20));
    const std::pair<int, wxColour> boxes[] = {
        {20, grey}, {50, darkYellow}, {160, brightYellow}, {185, green}, {300, darkYellow}}; // matched on top
    for (const auto& [x, colour] : boxes)
        EXPECT_EQ(colour, pixel(image, x, 3)) << "column " << x;
    EXPECT_FALSE(columnHas(image, 200, darkYellow)) << "the later matched call is on top";
    row->setHighlight(nullptr);
    const wxImage after = render(*row, wxSize(400, 20));
    EXPECT_EQ(0, memcmp(before.GetData(), after.GetData(), 400 * 20 * 3)) << "without a highlight as before";
}

TEST_F(rowFixture, doubleClickSelectsExactlyTheCallAndTheTooltipNamesIt)
{
    line.add(day + 1500, day + 1700, "+49 30 1234");
    mouse(wxEVT_MOTION, 160, false);
    EXPECT_TRUE(row->GetToolTipText().Contains("Label: +49 30 1234")) << row->GetToolTipText();
    // The pair of clicks as wx delivers it, the second press jittering.
    press(160);
    EXPECT_EQ("", row->GetToolTipText()) << "no tooltip while the button is down";
    release(160);
    mouse(wxEVT_LEFT_DCLICK, 160, true);
    drag(163);
    release(163);
    EXPECT_TRUE(sameState(vTimelineDisplayState{day + 1500, day + 1700, day, day + 4000}, state()));
    // Beside the calls it does nothing.
    const int heard = spy.calls();
    press(250);
    release(250);
    mouse(wxEVT_LEFT_DCLICK, 250, true);
    release(250);
    EXPECT_EQ(heard, spy.calls());
}

namespace {
struct call {
    double from, to; // seconds after the fixture's day
    std::string label = std::string();
};

// The row as it was drawn before its columns were shaded, for views whose
// boxes begin and end on column boundaries: each call a box in its turn, green
// where it overlaps the selection of an included line, with its label where
// that fits, then the bounds.
wxImage drawnAsBoxes(const vSingleTimeline& row, const fakeTimeline& line, const vTimelineDisplayState& s,
                     bool included, const wxSize& size)
{
    wxBitmap bitmap(size, 24);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SetPen(wxPen(green));
    dc.DrawLine(0, size.y / 2, size.x, size.y / 2);
    dc.SetPen(*wxTRANSPARENT_PEN);
    for (const recording& r : line.records) {
        const double b = static_cast<double>(r.start.GetTicks()), e = static_cast<double>(r.end.GetTicks());
        const int x0 = row.timeToX(b, size.x), width = std::max(1, row.timeToX(e, size.x) - x0);
        dc.SetBrush(wxBrush(included && b < s.selectionEnd && e > s.selectionBegin ? green : grey));
        dc.DrawRectangle(x0, 0, width, size.y - 1);
        wxString text = wxString::FromUTF8(r.label());
        if (dc.GetTextExtent(text).x > width)
            text = dc.GetTextExtent("...").x > width ? "" : "...";
        dc.DrawText(text, x0, 0);
    }
    if (wxGraphicsContext* gc = dc.GetGraphicsContext())
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
    dc.SetPen(wxPen(boundRed, 1, wxPENSTYLE_DOT));
    for (double t : {s.selectionBegin, s.selectionEnd}) {
        const int x = row.timeToX(t, size.x);
        dc.DrawLine(x, 0, x, size.y);
    }
    dc.SelectObject(wxNullBitmap);
    return bitmap.ConvertToImage();
}

bool closeTo(const wxColour& a, const wxColour& b)
{
    return std::abs(a.Red() - b.Red()) <= 1 && std::abs(a.Green() - b.Green()) <= 1 && std::abs(a.Blue() - b.Blue()) <= 1;
}
}

TEST_F(rowFixture, wholeColumnBoxesLookAsBeforeTheShading)
{
    const std::vector<call> plain = {{100, 300},   {300, 500},   {900, 1000},  {1200, 1500}, {1400, 1600},
                                     {1800, 2000}, {2000, 2300}, {2500, 3000}, {2600, 2700}, {3500, 3510}};
    const std::string number = "+49 30 1234567";
    std::vector<call> manyApart; // a column each, a column apart: 150 runs
    for (int i = 0; i < 150; ++i)
        manyApart.push_back(call{i * 20.0 + 500, i * 20.0 + 510});
    const struct {
        const char* name;
        std::vector<call> calls;
        double selectionBegin, selectionEnd;
        bool included;
    } views[] = {
        {"touching, overlapping and nested boxes", plain, 1000, 2000, true},
        {"an excluded line", plain, 1000, 2000, false},
        {"labelled boxes", // whole, "..." only, no text; one across the selection's end
         {{100, 900, number}, {1000, 3000, number}, {3000, 3150, number}, {3200, 3230, number}, {3230, 3300}},
         1000, 2000, true},
        {"the first and last columns, all selected", {{0, 10}, {1000, 3000}, {3990, 4000}}, 0, 4000, true},
        {"more boxes than are drawn one by one", manyApart, 1000, 2000, true},
    };
    const wxSize size(400, 20);
    for (const auto& view : views) {
        line.records.clear();
        for (const call& c : view.calls)
            line.add(day + c.from, day + c.to, c.label);
        model.setSelection(day + view.selectionBegin, day + view.selectionEnd);
        row->setIncluded(view.included);
        const wxImage shaded = render(*row, size), boxes = drawnAsBoxes(*row, line, state(), view.included, size);
        EXPECT_EQ(0, memcmp(shaded.GetData(), boxes.GetData(), size.x * size.y * 3)) << view.name;
    }
}

// 10 seconds a column; the selection is [1000, 2000).
TEST_F(rowFixture, partlyRecordedColumnsShowTheirShare)
{
    const wxColour halfGrey(64, 64, 64), quarterGrey(32, 32, 32), greyOverLine(64, 192, 64);
    const struct {
        const char* name;
        std::vector<call> calls;
        int x;
        wxColour box, middle;
    } cases[] = {
        {"half recorded outside the selection", {{2500, 2505}}, 250, halfGrey, greyOverLine},
        {"half recorded in the selection", {{1500, 1505}}, 150, wxColour(0, 128, 0), green},
        {"overlapping calls count once", {{2502, 2505}, {2500, 2503}, {2501, 2504}}, 250, halfGrey, greyOverLine},
        {"a gap", {{2400, 2500}, {2510, 2600}}, 250, black, green},
        {"a call of no length", {{2500, 2500}}, 250, quarterGrey, wxColour(32, 223, 32)},
        {"a selected call of no length", {{1500, 1500}}, 150, wxColour(0, 64, 0), green},
        {"a tenth recorded", {{2500, 2501}}, 250, quarterGrey, wxColour(32, 223, 32)},
        {"fully recorded by calls that touch", {{2480, 2503}, {2503, 2520}}, 250, grey, grey},
    };
    for (const auto& c : cases) {
        line.records.clear();
        for (const call& piece : c.calls)
            line.add(day + piece.from, day + piece.to);
        const wxImage image = render(*row, wxSize(400, 20));
        EXPECT_TRUE(closeTo(c.box, pixel(image, c.x, 3))) << c.name << ": " << pixel(image, c.x, 3).GetAsString();
        EXPECT_TRUE(closeTo(c.middle, pixel(image, c.x, 10))) << c.name << ", middle line";
    }
    // The selection's begin halves a recorded column (and dots it): half each way.
    line.records.clear();
    line.add(day + 1000, day + 1010);
    model.setSelection(day + 1005, day + 2000);
    EXPECT_TRUE(columnHas(render(*row, wxSize(400, 20)), 100, wxColour(64, 192, 64)));
}

namespace {
// A line that also keeps day summaries, of days of `dayLength` seconds from
// its first day; it notes which stretches its calls were asked for.
class summarisedLine : public fakeTimeline {
public:
    summarisedLine(double first, double dayLength_) : fakeTimeline("Summarised"), firstDay(first), dayLength(dayLength_) {}
    bool availableSummaries(double from, double to, std::vector<const daySummary*>& out,
                            std::vector<timeSpan>& pending) const override
    {
        (void)pending;
        days.clear();
        for (double d = firstDay; d < getEnd(); d += dayLength) {
            if (!(to > d && from < d + dayLength))
                continue;
            std::vector<recording> calls;
            for (const recording& r : records)
                if (r.start.GetTicks() >= d && r.start.GetTicks() < d + dayLength)
                    calls.push_back(r);
            days.emplace_back(d, d + dayLength, calls);
        }
        for (const daySummary& s : days)
            out.push_back(&s);
        return true;
    }
    recordingList getAvailableRecordings(double from, double to, std::vector<timeSpan>& pending) const override
    {
        asked.push_back(timeSpan{from, to});
        return fakeTimeline::getAvailableRecordings(from, to, pending);
    }
    mutable std::vector<timeSpan> asked;

private:
    double firstDay, dayLength;
    mutable std::deque<daySummary> days;
};
}

// Zoomed out beyond a minute a column, a row draws the days from their
// summaries exactly as from their calls, and asks for the calls only of days
// with a call long enough for text.
TEST_F(rowFixture, longViewsFromSummariesLookAsFromTheCalls)
{
    const double hour = 3600, dayLength = 24 * hour;
    summarisedLine summarised(day, dayLength);
    for (int d = 0; d < 30; ++d)
        for (int i = 0; i < 12; ++i) {
            const double from = day + d * dayLength + i * 7 * 317 % 80000;
            summarised.add(from, from + 60 + (i * 53) % 600, "+49 30 " + std::to_string(i));
        }
    summarised.add(day + 3, day + 3); // of no length
    summarised.add(day + 12 * dayLength + hour, day + 14 * dayLength, "a long call"); // ~8 columns
    vSingleTimeline fromSummaries(frame, &summarised, model);
    const wxSize size(400, 20);
    const struct {
        const char* name;
        double selectionBegin, selectionEnd;
        bool included;
    } views[] = {
        {"selection inside days", 2.5 * dayLength, 13.3 * dayLength, true},
        {"an excluded line", 2.5 * dayLength, 13.3 * dayLength, false},
        {"everything selected", 0, 30 * dayLength, true},
    };
    model.setView(day, day + 30 * dayLength); // 6,480 seconds a column
    for (const auto& view : views) {
        model.setSelection(day + view.selectionBegin, day + view.selectionEnd);
        fromSummaries.setIncluded(view.included);
        summarised.asked.clear();
        const wxImage drawn = render(fromSummaries, size);
        EXPECT_EQ(1u, summarised.asked.size()) << view.name;
        for (const timeSpan& asked : summarised.asked)
            EXPECT_TRUE(asked.from >= day + 12 * dayLength && asked.to <= day + 15 * dayLength)
                << view.name << ": calls asked for " << (asked.from - day) / dayLength;
        // A highlight that matches nothing draws from the calls.
        fromSummaries.setHighlight([](const recording&) { return false; });
        const wxImage fromCalls = render(fromSummaries, size);
        fromSummaries.setHighlight(nullptr);
        EXPECT_EQ(0, memcmp(drawn.GetData(), fromCalls.GetData(), size.x * size.y * 3)) << view.name;
        EXPECT_TRUE(columnHas(drawn, row->timeToX(day + 13 * dayLength, size.x), grey) ||
                    columnHas(drawn, row->timeToX(day + 13 * dayLength, size.x), green));
    }

    // After a change of the selection, repainting what it names gives the full paint.
    fromSummaries.setIncluded(true);
    wxImage screen = render(fromSummaries, size);
    const vTimelineDisplayState previous = state();
    model.setSelection(day + 7.2 * dayLength, day + 12.5 * dayLength);
    const wxImage full = render(fromSummaries, size);
    for (const wxRect& rect : fromSummaries.selectionChangeRects(previous, size))
        for (int x = rect.x; x <= rect.GetRight() && x < size.x; ++x)
            for (int y = 0; y < size.y; ++y)
                screen.SetRGB(x, y, full.GetRed(x, y), full.GetGreen(x, y), full.GetBlue(x, y));
    EXPECT_EQ(0, memcmp(screen.GetData(), full.GetData(), size.x * size.y * 3));
}
