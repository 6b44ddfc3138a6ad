#include "display/vTimespan.h"

#include <wx/dcclient.h>
#include <wx/graphics.h>

namespace {
const wxColour white(255, 255, 255);
const wxColour lightGrey(192, 192, 192);
const wxColour mediumGrey(100, 100, 100);

}

wxBEGIN_EVENT_TABLE(vTimespan, wxWindow)
    EVT_PAINT(vTimespan::onPaint)
    EVT_ERASE_BACKGROUND(vTimespan::onEraseBackground)
    EVT_LEFT_DOWN(vTimespan::onLeftDown)
    EVT_LEFT_UP(vTimespan::onLeftUp)
    EVT_MOTION(vTimespan::onMotion)
    EVT_MOUSE_CAPTURE_LOST(vTimespan::onCaptureLost)
wxEND_EVENT_TABLE()

vTimespan::vTimespan(wxWindow* parent, vTimelineDisplayState* state_,
                     displayBroadcastType* broadcast_)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE,
               "panel"),
      state(state_), broadcast(broadcast_), displayListener(this, &vTimespan::onDisplayChange)
{
    SetMinSize(wxSize(-1, barHeight));
    SetMaxSize(wxSize(-1, barHeight));
    broadcast->addMember(&displayListener);
}

null vTimespan::onDisplayChange(const vTimelineDisplayState* previous)
{
    if (!previous) {
        broadcast->removeMember(&displayListener);
        return null();
    }
    Refresh();
    return null();
}

int vTimespan::timeToX(double t, int width) const
{
    return timeToColumn(t, state->viewBegin, state->viewEnd, width);
}

double vTimespan::mouseTime(int x, int width) const
{
    return columnToTime(x, state->viewBegin, state->viewEnd, width);
}

void vTimespan::draw(wxDC& dc, const wxSize& size) const
{
    const int w = size.x;
    const int c = size.y / 2;
    const int m = markerSize;
    const wxPen highlight(white);
    const wxPen shadow(mediumGrey);

    // Crisp one-pixel edges: a blended highlight would not read as one.
    if (wxGraphicsContext* gc = dc.GetGraphicsContext())
        gc->SetAntialiasMode(wxANTIALIAS_NONE);

    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(0, 0, w, size.y);
    dc.SetPen(highlight);
    dc.DrawLine(0, c, w, c);

    dc.SetBrush(wxBrush(lightGrey));

    // Begin marker: points down onto the line from above, short tick below.
    const int xb = timeToX(state->selectionBegin, w);
    const wxPoint begin[3] = {wxPoint(xb, c), wxPoint(xb + m, c - m), wxPoint(xb - m, c - m)};
    dc.SetPen(shadow);
    dc.DrawPolygon(3, begin, 0, 0, wxODDEVEN_RULE);
    dc.DrawLine(xb, c, xb + m, c - m);
    dc.DrawLine(xb, c, xb, c + m);
    dc.SetPen(highlight);
    dc.DrawLine(xb - m, c - m, xb, c);
    dc.DrawLine(xb + m, c - m, xb - m, c - m);

    // End marker: points up onto the line from below, short tick above.
    const int xe = timeToX(state->selectionEnd, w);
    const wxPoint end[3] = {wxPoint(xe, c), wxPoint(xe + m, c + m), wxPoint(xe - m, c + m)};
    dc.SetPen(shadow);
    dc.DrawPolygon(3, end, 0, 0, wxODDEVEN_RULE);
    dc.DrawLine(xe, c, xe + m, c + m);
    dc.DrawLine(xe + m, c + m, xe - m, c + m);
    dc.DrawLine(xe, c, xe, c - m);
    dc.SetPen(highlight);
    dc.DrawLine(xe - m, c + m, xe, c);
}

void vTimespan::onPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    draw(dc, GetClientSize());
}

void vTimespan::onEraseBackground(wxEraseEvent&)
{
    // The paint covers every pixel.
}

void vTimespan::onLeftDown(wxMouseEvent& event)
{
    const wxSize size = GetClientSize();
    const int x = event.GetX();
    const int xb = timeToX(state->selectionBegin, size.x);
    const int xe = timeToX(state->selectionEnd, size.x);
    dragMode = 0;
    if (xb - markerSize <= x && x <= xb + markerSize)
        dragMode = -1;
    if (xe - markerSize <= x && x <= xe + markerSize) {
        // Both markers within reach: the half pressed decides, the end
        // marker being the lower one.
        if (dragMode == -1)
            dragMode = 2 * event.GetY() > size.y ? 1 : -1;
        else
            dragMode = 1;
    }
    if (!HasCapture())
        CaptureMouse();
    Refresh();
    event.Skip();
}

void vTimespan::onLeftUp(wxMouseEvent&)
{
    dragMode = 0;
    if (HasCapture())
        ReleaseMouse();
    Refresh();
}

void vTimespan::onCaptureLost(wxMouseCaptureLostEvent&)
{
    dragMode = 0;
    Refresh();
}

void vTimespan::onMotion(wxMouseEvent& event)
{
    if (!event.LeftIsDown() || dragMode == 0)
        return;
    vTimelineDisplayState previous = *state;
    vTimelineDisplayState& s = *state;
    const double t = mouseTime(event.GetX(), GetClientSize().x);
    // Each bound is held back only on its own side of the view; it pushes the
    // other bound along instead of crossing it.
    if (dragMode < 0) {
        s.selectionBegin = t;
        if (s.viewBegin > s.selectionBegin)
            s.selectionBegin = s.viewBegin;
        if (s.selectionEnd < s.selectionBegin)
            s.selectionEnd = s.selectionBegin;
    } else {
        s.selectionEnd = t;
        if (s.viewEnd < s.selectionEnd)
            s.selectionEnd = s.viewEnd;
        if (s.selectionBegin > s.selectionEnd)
            s.selectionBegin = s.selectionEnd;
    }
    (*broadcast)(&previous);
}
