#include "display/vSingleTimeline.h"

#include <wx/dcclient.h>
#include <wx/graphics.h>

#include "recdb/timeValue.h"

wxBEGIN_EVENT_TABLE(vSingleTimeline, wxWindow)
    EVT_PAINT(vSingleTimeline::onPaint)
    EVT_ERASE_BACKGROUND(vSingleTimeline::onEraseBackground)
    EVT_LEFT_DOWN(vSingleTimeline::onLeftDown)
    EVT_LEFT_UP(vSingleTimeline::onLeftUp)
    EVT_MOTION(vSingleTimeline::onMotion)
    EVT_MOUSE_CAPTURE_LOST(vSingleTimeline::onCaptureLost)
wxEND_EVENT_TABLE()

namespace {
const wxColour middleLineColour(0, 255, 0);
const wxColour selectedColour(0, 255, 0);
const wxColour otherColour(128, 128, 128);
const wxColour boundColour(255, 31, 0);
// How close (in pixels) a press must be to a bound line to grab it.
const int grabDistance = 3;
}

vSingleTimeline::vSingleTimeline(wxWindow* parent, const timeline* line_, vTimelineDisplayState* state_,
                                 displayBroadcastType* broadcast_)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE, "panel"),
      line(line_), state(state_), broadcast(broadcast_), displayListener(this, &vSingleTimeline::onDisplayChange)
{
    charWidths.fill(-1);
    SetMinSize(wxSize(400, 20));
    broadcast->addMember(&displayListener);
}

null vSingleTimeline::onDisplayChange(const vTimelineDisplayState* previous)
{
    if (!previous) {
        broadcast->removeMember(&displayListener);
        return null();
    }
    if (!sameView(*state, *previous)) {
        Refresh(true);
        return null();
    }
    wxClientDC dc(this);
    wxSize size = GetClientSize();
    for (int x : drawSelectionChange(dc, size))
        RefreshRect(wxRect(x, 0, 1, size.y), false);
    return null();
}

int vSingleTimeline::timeToX(double t, int width) const
{
    return timeToColumn(t, state->viewBegin, state->viewEnd, width);
}

double vSingleTimeline::xToTime(int x, int width) const
{
    return columnToTime(x, state->viewBegin, state->viewEnd, width);
}

void vSingleTimeline::draw(wxDC& dc, const wxSize& size)
{
    prepare(dc);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(0, 0, size.x, size.y);
    dc.SetPen(wxPen(middleLineColour, 1, wxPENSTYLE_SOLID));
    dc.DrawLine(0, size.y / 2, size.x, size.y / 2);
    drawRecordings(dc, size, false, 0, 0);
    drawBounds(dc, size);
}

std::array<int, 4> vSingleTimeline::drawSelectionChange(wxDC& dc, const wxSize& size)
{
    const double oldBegin = drawnSelectionBegin, oldEnd = drawnSelectionEnd;
    prepare(dc);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(timeToX(oldBegin, size.x), 0, 1, size.y);
    dc.DrawRectangle(timeToX(oldEnd, size.x), 0, 1, size.y);
    drawRecordings(dc, size, true, std::min(oldBegin, state->selectionBegin),
                   std::max(oldBegin, state->selectionBegin));
    drawRecordings(dc, size, true, std::min(oldEnd, state->selectionEnd), std::max(oldEnd, state->selectionEnd));
    std::array<int, 4> columns = {timeToX(state->selectionBegin, size.x), timeToX(state->selectionEnd, size.x),
                                  timeToX(oldBegin, size.x), timeToX(oldEnd, size.x)};
    drawBounds(dc, size);
    return columns;
}

void vSingleTimeline::drawBounds(wxDC& dc, const wxSize& size)
{
    // Cairo blends the ends of each dot; the bounds are meant in their own colour.
    wxGraphicsContext* gc = dc.GetGraphicsContext();
    if (gc)
        gc->SetAntialiasMode(wxANTIALIAS_NONE);
    dc.SetPen(wxPen(boundColour, 1, wxPENSTYLE_DOT));
    drawnSelectionBegin = state->selectionBegin;
    drawnSelectionEnd = state->selectionEnd;
    int x = timeToX(state->selectionBegin, size.x);
    dc.DrawLine(x, 0, x, size.y);
    x = timeToX(state->selectionEnd, size.x);
    dc.DrawLine(x, 0, x, size.y);
    if (gc)
        gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
}

void vSingleTimeline::drawRecordings(wxDC& dc, const wxSize& size, bool clipped, double c0, double c1)
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    const wxBrush selectedBrush(selectedColour), otherBrush(otherColour);
    const wxBrush* current = nullptr;
    for (const recording* r : line->getRecordings(state->viewBegin, state->viewEnd)) {
        double b = toSeconds(r->start), e = toSeconds(r->end);
        if (clipped && !(b < c1 && e > c0))
            continue;
        const wxBrush* brush =
            (included && b < state->selectionEnd && e > state->selectionBegin) ? &selectedBrush : &otherBrush;
        if (brush != current) {
            dc.SetBrush(*brush);
            current = brush;
        }
        drawLabelledBox(dc, timeToX(b, size.x), timeToX(e, size.x), size.y, r->getProperty("label"));
    }
}

void vSingleTimeline::prepare(wxDC& dc)
{
    if (dc.GetFont() == measuredFont)
        return;
    measuredFont = dc.GetFont();
    ellipsisWidth = -1;
    charWidths.fill(-1);
}

int vSingleTimeline::charWidth(wxDC& dc, unsigned char c)
{
    if (charWidths[c] < 0)
        charWidths[c] = dc.GetTextExtent(wxString::FromUTF8(reinterpret_cast<const char*>(&c), 1)).x;
    return charWidths[c];
}

void vSingleTimeline::drawLabelledBox(wxDC& dc, int x0, int x1, int height, const std::string& label)
{
    int width = x1 == x0 ? 1 : x1 - x0;
    dc.DrawRectangle(x0, 0, width, height - 1);
    if (label.empty())
        return;
    if (ellipsisWidth < 0)
        ellipsisWidth = dc.GetTextExtent("...").x;
    // Neither the label (at least as wide as its first character) nor "..."
    // fits: nothing is drawn, and nothing needs measuring.
    unsigned char first = static_cast<unsigned char>(label[0]);
    if (width < ellipsisWidth && first < 0x80 && width < charWidth(dc, first))
        return;
    wxString text = wxString::FromUTF8(label);
    if (dc.GetTextExtent(text).x > width) {
        if (ellipsisWidth > width)
            return;
        text = "...";
    }
    dc.DrawText(text, x0, 0);
}

void vSingleTimeline::onPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    draw(dc, GetClientSize());
}

void vSingleTimeline::onEraseBackground(wxEraseEvent&)
{
    // The paint covers every pixel.
}

void vSingleTimeline::onLeftDown(wxMouseEvent& event)
{
    int width = GetClientSize().x;
    int x = event.GetX();
    anchorTime = xToTime(x, width);
    if (std::abs(x - timeToX(state->selectionBegin, width)) < grabDistance)
        dragMode = -1;
    else if (std::abs(x - timeToX(state->selectionEnd, width)) < grabDistance)
        dragMode = 1;
    else
        dragMode = 0;
    if (!HasCapture())
        CaptureMouse();
    event.Skip();
}

void vSingleTimeline::onMotion(wxMouseEvent& event)
{
    int width = GetClientSize().x;
    int x = event.GetX();
    if (!event.LeftIsDown()) {
        bool nearBound = std::abs(x - timeToX(state->selectionBegin, width)) < grabDistance ||
                         std::abs(x - timeToX(state->selectionEnd, width)) < grabDistance;
        SetCursor(wxCursor(nearBound ? wxCURSOR_SIZEWE : wxCURSOR_ARROW));
        return;
    }
    vTimelineDisplayState previous = *state;
    vTimelineDisplayState& s = *state;
    double t = xToTime(x, width);
    switch (dragMode) {
    case -1:
        s.selectionBegin = t;
        if (s.viewBegin > s.selectionBegin)
            s.selectionBegin = s.viewBegin;
        if (s.selectionEnd < s.selectionBegin)
            s.selectionEnd = s.selectionBegin;
        break;
    case 0:
        if (t > anchorTime) {
            s.selectionBegin = anchorTime;
            s.selectionEnd = t;
            dragMode = 1;
        }
        if (t < anchorTime) {
            s.selectionBegin = t;
            s.selectionEnd = anchorTime;
            dragMode = -1;
        }
        if (s.viewBegin > s.selectionBegin)
            s.selectionBegin = s.viewBegin;
        if (s.selectionEnd < s.selectionBegin)
            s.selectionEnd = s.selectionBegin;
        break;
    default:
        s.selectionEnd = t;
        if (s.viewEnd < s.selectionEnd)
            s.selectionEnd = s.viewEnd;
        if (s.selectionBegin > s.selectionEnd)
            s.selectionBegin = s.selectionEnd;
        break;
    }
    (*broadcast)(&previous);
}

void vSingleTimeline::onLeftUp(wxMouseEvent&)
{
    dragMode = 0;
    if (HasCapture())
        ReleaseMouse();
    Refresh(true);
}

void vSingleTimeline::onCaptureLost(wxMouseCaptureLostEvent&)
{
    dragMode = 0;
    Refresh(true);
}
