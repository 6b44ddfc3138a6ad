#pragma once
// The calendar ruler above the channel rows: two rows of ticks over the
// displayed interval, a coarse calendar unit on top and the next finer one
// below, each headed by the unit's name. It has no mouse interaction; it
// repaints when the display model's view changes, not when only the selection
// does.
#include "display/scaleLayout.h"
#include "display/vDisplayWidget.h"

class wxDC;

class vTimeScale : public vDisplayWidget {
public:
    vTimeScale(wxWindow* parent, displayModel& model);

    // Column of time t on the scale's client width, in [0, width].
    int timeToX(double t) const;
    using vDisplayWidget::timeToX;

    // Lays the rows out for the given size and paints them with the given
    // pixel sizes; the paint handler calls it with the window's. The rows are
    // rebuilt at every call.
    void draw(wxDC& dc, const wxSize& size, const displayMetrics& sizes = displayMetrics());

    // The rows of the last draw.
    const scaleRow& row(int index) const { return rows[index]; }

    // The sizes at 96 DPI; drawing takes them from a displayMetrics.
    enum { rowHeight = displayMetrics().scaleRowHeight, tickLength = displayMetrics().tickLength };

private:
    void displayChanged(const vTimelineDisplayState& previous) override;
    void onPaint(wxPaintEvent& event);

    scaleRow rows[2];
};
