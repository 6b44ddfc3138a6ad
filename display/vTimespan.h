#pragma once
// The selection bar: the selected interval within the displayed interval, as
// two triangular markers on a centre line (the begin marker above it, the end
// marker below). Dragging a marker moves that bound of the selection.
#include <wx/window.h>

#include "display/displayState.h"

class wxDC;

class vTimespan : public wxWindow {
public:
    vTimespan(wxWindow* parent, vTimelineDisplayState* state, displayBroadcastType* broadcast);

    null onDisplayChange(const vTimelineDisplayState* previous);

    // Paints the bar as it looks at the given size; the paint handler calls it.
    void draw(wxDC& dc, const wxSize& size) const;

    // Column of time t over a bar `width` pixels wide, in [0, width].
    int timeToX(double t, int width) const;
    // Displayed time under column x of a bar `width` pixels wide (not limited).
    double mouseTime(int x, int width) const;

    // Which bound a drag moves: -1 the selection's begin, 1 its end, 0 none.
    int currentDragMode() const { return dragMode; }

    enum { barHeight = 17, markerSize = 7 };

private:
    void onPaint(wxPaintEvent& event);
    void onEraseBackground(wxEraseEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onMotion(wxMouseEvent& event);
    void onCaptureLost(wxMouseCaptureLostEvent& event);

    int dragMode = 0;
    vTimelineDisplayState* state;
    displayBroadcastType* broadcast;
    clMethod<vTimespan, null, const vTimelineDisplayState*> displayListener;

    wxDECLARE_EVENT_TABLE();
};
