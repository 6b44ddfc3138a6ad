#pragma once
// What every drawn widget of the timeline display shares: it listens to the
// display model for as long as it lives, paints every pixel itself (no
// background erase), ends a drag when the mouse capture is lost, and maps
// times to its pixel columns.
#include <wx/window.h>

#include "display/displayMetrics.h"
#include "display/displayModel.h"

class vDisplayWidget : public wxWindow {
public:
    vDisplayWidget(wxWindow* parent, displayModel& model);

    // Column of time t on a width-pixel widget: truncated, within [0, width];
    // 0 for every time while the interval shown has no length.
    int timeToX(double t, int width) const;
    // The time under column x (not limited to the interval).
    double xToTime(int x, int width) const;

protected:
    // The state changed; `previous` is how it was.
    virtual void displayChanged(const vTimelineDisplayState& previous) = 0;
    // The drag ended without a button release (the capture went elsewhere).
    virtual void dragEnded() {}
    // The interval the columns show: the view, unless the widget shows another.
    virtual double columnsBegin() const { return state().viewBegin; }
    virtual double columnsEnd() const { return state().viewEnd; }

    void takeMouse();
    void releaseMouse();
    // The pixel sizes at the window's DPI. Asked for at every paint and press,
    // so a move to a monitor of another DPI needs no notice.
    displayMetrics metrics() const { return displayMetrics::forWindow(*this); }

    const vTimelineDisplayState& state() const { return model.state(); }
    displayModel& model;

private:
    null onDisplayChange(const vTimelineDisplayState* previous);

    clMethod<vDisplayWidget, null, const vTimelineDisplayState*> displayListener;
    displayConnection connection;
};
