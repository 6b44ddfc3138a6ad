#pragma once
// One line's row: every recording in the displayed interval as a labelled box,
// green when it lies in the selection of an included line, grey otherwise, and
// the selection's bounds as dotted lines. Pressing and dragging in a row makes
// a new selection or moves one of its bounds.
#include <array>

#include <wx/font.h>
#include <wx/window.h>

#include "display/displayState.h"
#include "recdb/timeline.h"

class vSingleTimeline : public wxWindow {
public:
    vSingleTimeline(wxWindow* parent, const timeline* line, vTimelineDisplayState* state,
                    displayBroadcastType* broadcast);

    null onDisplayChange(const vTimelineDisplayState* previous);

    bool isIncluded() const { return included; }
    void setIncluded(bool value) { included = value; }
    int getDragMode() const { return dragMode; }

    // Column of a time for a row `width` pixels wide: truncated, within [0, width];
    // 0 for every time while the view has no length.
    int timeToX(double t, int width) const;
    double xToTime(int x, int width) const;

    // The full paint of the row into any drawing surface of that size.
    void draw(wxDC& dc, const wxSize& size);
    // The incremental redraw after a selection-only change: erases the old bound
    // lines, recolours the boxes whose membership may have changed and draws the
    // new bounds. Returns the four 1-pixel columns (old and new bounds) that a
    // later paint must restore.
    std::array<int, 4> drawSelectionChange(wxDC& dc, const wxSize& size);

private:
    void drawRecordings(wxDC& dc, const wxSize& size, bool clipped, double c0, double c1);
    void drawLabelledBox(wxDC& dc, int x0, int x1, int height, const std::string& label);
    void drawBounds(wxDC& dc, const wxSize& size);
    int charWidth(wxDC& dc, unsigned char c);
    void prepare(wxDC& dc);

    void onPaint(wxPaintEvent& event);
    void onEraseBackground(wxEraseEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onMotion(wxMouseEvent& event);
    void onCaptureLost(wxMouseCaptureLostEvent& event);

    const timeline* line;
    vTimelineDisplayState* state;
    bool included = true;
    double drawnSelectionBegin = 0;
    double drawnSelectionEnd = 0;
    int dragMode = 0;
    double anchorTime = 0;
    displayBroadcastType* broadcast;
    clMethod<vSingleTimeline, null, const vTimelineDisplayState*> displayListener;

    // Text widths measured once: the ellipsis and single characters. A label
    // whose first character alone is wider than its box cannot fit, so most
    // boxes of a zoomed-out view cost no text measurement.
    wxFont measuredFont;
    int ellipsisWidth = -1;
    std::array<int, 256> charWidths;

    wxDECLARE_EVENT_TABLE();
};
