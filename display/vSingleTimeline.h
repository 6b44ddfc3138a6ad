#pragma once
// One line's row: each pixel column shaded by how much of its time was
// recorded, green for the recorded time within the selection of an included
// line and grey for the rest, so that even a row of a year shows when the line
// was busy; a column holding any call shows at least a quarter of its colour.
// A view too long to tell calls apart (a column spans more than a minute)
// is drawn from the days' summaries, reading in full only the days with a
// call long enough to carry text; so years on screen do not hold their calls.
// Calls wide enough for their label are boxes with the text on top (green
// when they overlap the selection of an included line), calls the highlight
// matches yellow boxes on top of all, and the selection's bounds dotted lines.
// Pressing and dragging in a row makes a new selection or moves one of its
// bounds, through the display model; double-clicking a box selects exactly
// that call. Resting the pointer on a box shows the call's details. A row
// takes the focus when clicked (the panel handles its keys). A change of the
// view repaints the whole row, a change of the selection alone only the
// columns it can have touched.
#include <array>
#include <functional>
#include <vector>

#include <wx/font.h>

#include "display/coverage.h"
#include "display/displayRules.h"
#include "display/vDisplayWidget.h"
#include "recdb/timeline.h"

class vSingleTimeline : public vDisplayWidget {
public:
    vSingleTimeline(wxWindow* parent, const timeline* line, displayModel& model);

    bool isIncluded() const { return included; }
    void setIncluded(bool value) { included = value; }
    selectionDrag getDragMode() const { return dragMode; }
    // Whether the last paint found days of the view still being read, and who
    // is told when a paint does.
    bool isWaiting() const { return waiting; }
    // How long the last paint on screen took, in seconds.
    double lastPaintSeconds() const { return paintSeconds; }
    void setWaitingNotice(std::function<void()> notice) { waitingNotice = std::move(notice); }
    // Which calls are drawn yellow; an empty function highlights none. Takes
    // effect at the next paint.
    void setHighlight(std::function<bool(const recording&)> matches) { highlight = std::move(matches); }
    // The call under column x, as the row is drawn at its current width; null
    // where there is no box.
    const recording* callAtColumn(int x) const;

    // The full paint of the row into any drawing surface of that size.
    void draw(wxDC& dc, const wxSize& size);
    // After a change of the selection alone, the parts of a row of that size
    // whose pixels may differ: the old and new bound columns and the columns
    // of the calls whose colour may have changed. Only these are painted again.
    std::vector<wxRect> selectionChangeRects(const vTimelineDisplayState& previous, const wxSize& size);

private:
    void displayChanged(const vTimelineDisplayState& previous) override;
    void dragEnded() override;
    void drawPending(wxDC& dc, const wxSize& size, const std::vector<timeSpan>& pending);
    void drawRecordings(wxDC& dc, const wxSize& size, const recordingList& found,
                        std::vector<coverageSpan> summarised);
    // Whether a row of that width draws from the days' summaries.
    bool drawsFromSummaries(int width) const;
    // What a row of that width shows of the view: the calls to draw one by
    // one in `found`, the stretches of the days drawn from their summaries in
    // `summarised` (as positions among the columns), the days still being
    // read in `pending`.
    void gatherCalls(int width, recordingList& found, std::vector<coverageSpan>& summarised,
                     std::vector<timeSpan>& pending) const;
    // The width below which no label shows any text: that of "..." or of the
    // narrowest character, whichever is less.
    int narrowestText(wxDC& dc);
    void drawShading(wxDC& dc, const wxSize& size, const std::vector<columnShare>& shares);
    void drawLabelledBox(wxDC& dc, int x0, int x1, int height, const wxString& text);
    // Where times fall among the columns of a row of that width: timeToX's
    // arithmetic without its truncation, so that the whole part of a position
    // is always the column timeToX gives.
    struct columnPositions {
        double begin = 0, length = 0;
        int width = 0;
        bool flat = true; // no interval shown: every time at 0
        double operator()(double t) const
        {
            if (flat)
                return 0;
            const double x = width * (t - begin) / length;
            return x > 0 ? (x < width ? x : width) : 0;
        }
    };
    columnPositions positions(int width) const;
    // What of the label a box of that width shows: all of it, "..." or
    // nothing (empty).
    wxString fittingText(wxDC& dc, int width, const std::string& label);
    // Whether a box of that width can show no text of the label (cheaply: by
    // its first character and "..."); false means it has to be measured.
    bool tooNarrowForText(wxDC& dc, int width, const std::string& label);
    void drawBounds(wxDC& dc, const wxSize& size);
    int charWidth(wxDC& dc, unsigned char c);
    void prepare(wxDC& dc);

    void onPaint(wxPaintEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onMotion(wxMouseEvent& event);
    void onDoubleClick(wxMouseEvent& event);
    void showDetails(int x);
    void hideDetails();

    const timeline* line;
    bool included = true;
    bool waiting = false;
    double paintSeconds = 0;
    std::function<void()> waitingNotice;
    selectionDrag dragMode = selectionDrag::none;
    double anchorTime = 0;
    // Set by a double-click on a call until the button goes up: the second
    // press must not turn into a drag that replaces the call's selection.
    bool callPicked = false;
    std::function<bool(const recording&)> highlight;
    const recording* detailsShown = nullptr; // whose tooltip is set

    // Text widths measured once: the ellipsis and single characters. A label
    // whose first character alone is wider than its box cannot fit, so most
    // boxes of a zoomed-out view cost no text measurement.
    wxFont measuredFont;
    int ellipsisWidth = -1;
    int textFloor = -1; // narrowestText, once measured
    std::array<int, 256> charWidths;
};
