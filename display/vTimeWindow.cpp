#include "display/vTimeWindow.h"

#include <wx/dcclient.h>

namespace {
const wxColour grey(128, 128, 128);
const wxColour green(0, 255, 0);


bool nearColumn(int x, int column)
{
    return x >= column - 1 && x <= column + 1;
}
}

wxBEGIN_EVENT_TABLE(vTimeWindow, wxWindow)
    EVT_PAINT(vTimeWindow::onPaint)
    EVT_ERASE_BACKGROUND(vTimeWindow::onEraseBackground)
    EVT_LEFT_DOWN(vTimeWindow::onLeftDown)
    EVT_LEFT_UP(vTimeWindow::onLeftUp)
    EVT_MOTION(vTimeWindow::onMotion)
    EVT_MOUSE_CAPTURE_LOST(vTimeWindow::onCaptureLost)
wxEND_EVENT_TABLE()

vTimeWindow::vTimeWindow(wxWindow* parent, vTimelineDisplayState* state_,
                         displayBroadcastType* broadcast_, double extentBegin_, double extentEnd_)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE,
               "panel"),
      extentBegin(extentBegin_), extentEnd(extentEnd_), state(state_), broadcast(broadcast_),
      displayListener(this, &vTimeWindow::onDisplayChange)
{
    broadcast->addMember(&displayListener);
}

null vTimeWindow::onDisplayChange(const vTimelineDisplayState* previous)
{
    if (!previous) {
        broadcast->removeMember(&displayListener);
        return null();
    }
    Refresh();
    return null();
}

int vTimeWindow::timeToX(double t, int width) const
{
    return timeToColumn(t, extentBegin, extentEnd, width);
}

double vTimeWindow::mouseTime(int x, int width) const
{
    return columnToTime(x, extentBegin, extentEnd, width);
}

void vTimeWindow::draw(wxDC& dc, const wxSize& size) const
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(grey));
    dc.DrawRectangle(0, 0, size.x, size.y);

    // The white outline lies one column left of x0 and on x1, so the green
    // inside covers exactly the columns x0 .. x1 - 1.
    int x0 = timeToX(state->viewBegin, size.x);
    int x1 = timeToX(state->viewEnd, size.x);
    dc.SetPen(*wxWHITE_PEN);
    dc.SetBrush(wxBrush(green));
    dc.DrawRectangle(x0 - 1, 0, x1 - x0 + 2, size.y);
}

void vTimeWindow::onPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    draw(dc, GetClientSize());
}

void vTimeWindow::onEraseBackground(wxEraseEvent&)
{
    // The paint covers every pixel.
}

void vTimeWindow::onLeftDown(wxMouseEvent& event)
{
    int w = GetClientSize().x;
    int x = event.GetX();
    int x0 = timeToX(state->viewBegin, w);
    int x1 = timeToX(state->viewEnd, w);
    dragLeftEnd = dragRightEnd = false;
    if (x0 <= x && x <= x1) {
        // Inside the box moving wins, so the ends are grabbed from just outside.
        dragLeftEnd = dragRightEnd = true;
        anchorTime = mouseTime(x, w);
    } else if (x < x0 && nearColumn(x, x0)) {
        dragLeftEnd = true;
    } else if (x > x1 && nearColumn(x, x1)) {
        // Tested by side, not "left end first": when the box is a single
        // column, a press just right of it must grab the right end.
        dragRightEnd = true;
    }
    if (!HasCapture())
        CaptureMouse();
    Refresh();
    event.Skip();
}

void vTimeWindow::onLeftUp(wxMouseEvent&)
{
    dragLeftEnd = dragRightEnd = false;
    if (HasCapture())
        ReleaseMouse();
    Refresh();
}

void vTimeWindow::onCaptureLost(wxMouseCaptureLostEvent&)
{
    dragLeftEnd = dragRightEnd = false;
    Refresh();
}

void vTimeWindow::showCursor(wxStockCursor id)
{
    if (id == cursorShown)
        return;
    cursorShown = id;
    SetCursor(wxCursor(id));
}

void vTimeWindow::onMotion(wxMouseEvent& event)
{
    int w = GetClientSize().x;
    int x = event.GetX();
    if (!event.LeftIsDown()) {
        int x0 = timeToX(state->viewBegin, w);
        int x1 = timeToX(state->viewEnd, w);
        if (x0 <= x && x <= x1)
            showCursor(wxCURSOR_HAND);
        else if (nearColumn(x, x0) || nearColumn(x, x1))
            showCursor(wxCURSOR_SIZEWE);
        else
            showCursor(wxCURSOR_ARROW);
        return;
    }

    vTimelineDisplayState previous = *state;
    vTimelineDisplayState& s = *state;
    double t = mouseTime(x, w);
    if (dragLeftEnd && dragRightEnd) {
        double d = t - anchorTime;
        s.viewBegin += d;
        s.viewEnd += d;
        anchorTime = t;
        if (extentBegin > s.viewBegin) {
            s.viewEnd += extentBegin - s.viewBegin;
            s.viewBegin = extentBegin;
        }
        if (extentEnd < s.viewEnd) {
            s.viewBegin -= s.viewEnd - extentEnd;
            s.viewEnd = extentEnd;
        }
    } else if (dragLeftEnd) {
        if (t < s.viewEnd) {
            double begin = t < extentBegin ? extentBegin : t;
            // When the whole view lies before the extent, the clamp would
            // turn the view inside out; the end then stays where it was.
            if (begin < s.viewEnd)
                s.viewBegin = begin;
        }
    } else if (dragRightEnd) {
        if (t > s.viewBegin) {
            double end = t > extentEnd ? extentEnd : t;
            if (end > s.viewBegin)
                s.viewEnd = end;
        }
    }
    clampSelectionIntoView(s);
    (*broadcast)(&previous);
}
