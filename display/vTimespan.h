#pragma once
// The selection bar: the selected interval within the displayed interval, as
// two triangular markers on a centre line (the begin marker above it, the end
// marker below). Dragging a marker moves that bound of the selection through
// the display model; every change the model announces repaints the bar.
#include "display/displayRules.h"
#include "display/vDisplayWidget.h"

class wxDC;

class vTimespan : public vDisplayWidget {
public:
    vTimespan(wxWindow* parent, displayModel& model);

    // Paints the bar as it looks at the given size, with markers of the given
    // pixel sizes; the paint handler calls it with the window's.
    void draw(wxDC& dc, const wxSize& size, const displayMetrics& sizes = displayMetrics()) const;

    // Which bound a drag moves.
    selectionDrag currentDragMode() const { return dragMode; }

    // The sizes at 96 DPI; drawing and presses take them from a displayMetrics.
    enum { barHeight = displayMetrics().spanHeight, markerSize = displayMetrics().markerSize };

private:
    void displayChanged(const vTimelineDisplayState& previous) override;
    void dragEnded() override { dragMode = selectionDrag::none; }
    void onPaint(wxPaintEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onMotion(wxMouseEvent& event);

    selectionDrag dragMode = selectionDrag::none;
};
