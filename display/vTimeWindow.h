#pragma once
// The overview bar: the whole extent of the recordings as a grey bar, with the
// displayed interval as a green box on it. Dragging the box pans the view;
// dragging just outside either end of the box moves that end.
#include <wx/cursor.h>
#include <wx/window.h>

#include "display/displayState.h"

class wxDC;

class vTimeWindow : public wxWindow {
public:
    vTimeWindow(wxWindow* parent, vTimelineDisplayState* state, displayBroadcastType* broadcast,
                double extentBegin, double extentEnd);

    null onDisplayChange(const vTimelineDisplayState* previous);

    // Paints the bar as it looks at the given size; the paint handler calls it.
    void draw(wxDC& dc, const wxSize& size) const;

    // Column of time t over a bar `width` pixels wide, in [0, width].
    int timeToX(double t, int width) const;
    // Extent time under column x of a bar `width` pixels wide (not limited).
    double mouseTime(int x, int width) const;

    // The stock cursor last chosen by a motion with the button up.
    wxStockCursor shownCursor() const { return cursorShown; }

protected:
    // A window without children would report a best size of one pixel on
    // GTK, leaving the bar invisible in the panel's column; it asks for the
    // size a default-sized child window gets.
    wxSize DoGetBestSize() const override { return wxSize(20, 20); }

private:
    void onPaint(wxPaintEvent& event);
    void onEraseBackground(wxEraseEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onMotion(wxMouseEvent& event);
    void onCaptureLost(wxMouseCaptureLostEvent& event);

    void showCursor(wxStockCursor id);

    bool dragLeftEnd = false;
    bool dragRightEnd = false; // both set: the whole box moves
    double anchorTime = 0;     // extent time under the mouse at the last move step
    double extentBegin;
    double extentEnd;
    vTimelineDisplayState* state;
    displayBroadcastType* broadcast;
    clMethod<vTimeWindow, null, const vTimelineDisplayState*> displayListener;
    wxStockCursor cursorShown = wxCURSOR_ARROW;

    wxDECLARE_EVENT_TABLE();
};
