#include "display/vTimespan.h"

#include <wx/dcclient.h>
#include <wx/graphics.h>

namespace {
const wxColour white(255, 255, 255);
const wxColour lightGrey(192, 192, 192);
const wxColour mediumGrey(100, 100, 100);

}

vTimespan::vTimespan(wxWindow* parent, displayModel& model_) : vDisplayWidget(parent, model_)
{
    const int height = displayMetrics::forWindow(*this).spanHeight;
    SetMinSize(wxSize(-1, height));
    SetMaxSize(wxSize(-1, height));
    Bind(wxEVT_PAINT, &vTimespan::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &vTimespan::onLeftDown, this);
    Bind(wxEVT_LEFT_UP, &vTimespan::onLeftUp, this);
    Bind(wxEVT_MOTION, &vTimespan::onMotion, this);
}

void vTimespan::displayChanged(const vTimelineDisplayState&)
{
    Refresh();
}

void vTimespan::draw(wxDC& dc, const wxSize& size, const displayMetrics& sizes) const
{
    const int w = size.x;
    const int c = size.y / 2;
    const int m = sizes.markerSize;
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
    const int xb = timeToX(state().selectionBegin, w);
    const wxPoint begin[3] = {wxPoint(xb, c), wxPoint(xb + m, c - m), wxPoint(xb - m, c - m)};
    dc.SetPen(shadow);
    dc.DrawPolygon(3, begin, 0, 0, wxODDEVEN_RULE);
    dc.DrawLine(xb, c, xb + m, c - m);
    dc.DrawLine(xb, c, xb, c + m);
    dc.SetPen(highlight);
    dc.DrawLine(xb - m, c - m, xb, c);
    dc.DrawLine(xb + m, c - m, xb - m, c - m);

    // End marker: points up onto the line from below, short tick above.
    const int xe = timeToX(state().selectionEnd, w);
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
    draw(dc, GetClientSize(), metrics());
}

void vTimespan::onLeftDown(wxMouseEvent& event)
{
    const wxSize size = GetClientSize();
    dragMode = selectionBarPress(event.GetX(), event.GetY(), size.y, timeToX(state().selectionBegin, size.x),
                                 timeToX(state().selectionEnd, size.x), metrics().markerSize);
    takeMouse();
    Refresh();
    event.Skip();
}

void vTimespan::onLeftUp(wxMouseEvent&)
{
    dragMode = selectionDrag::none;
    releaseMouse();
    Refresh();
}

void vTimespan::onMotion(wxMouseEvent& event)
{
    if (!event.LeftIsDown() || dragMode == selectionDrag::none)
        return;
    const double t = xToTime(event.GetX(), GetClientSize().x);
    model.change([&](vTimelineDisplayState& s) { moveSelectionBound(s, dragMode, t); });
}
