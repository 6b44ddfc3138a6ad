#include "display/vTimeWindow.h"

#include <algorithm>

#include <wx/dcclient.h>

namespace {
const wxColour grey(128, 128, 128);
const wxColour green(0, 255, 0);
const wxColour hitColour(255, 230, 0);
}

vTimeWindow::vTimeWindow(wxWindow* parent, displayModel& model_, double extentBegin_, double extentEnd_)
    : vDisplayWidget(parent, model_), extentBegin(extentBegin_), extentEnd(extentEnd_)
{
    Bind(wxEVT_PAINT, &vTimeWindow::onPaint, this);
    Bind(wxEVT_LEFT_DOWN, &vTimeWindow::onLeftDown, this);
    Bind(wxEVT_LEFT_UP, &vTimeWindow::onLeftUp, this);
    Bind(wxEVT_MOTION, &vTimeWindow::onMotion, this);
}

void vTimeWindow::displayChanged(const vTimelineDisplayState&)
{
    Refresh();
}

void vTimeWindow::draw(wxDC& dc, const wxSize& size) const
{
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(grey));
    dc.DrawRectangle(0, 0, size.x, size.y);

    // The white outline lies one column left of x0 and on x1, so the green
    // inside covers exactly the columns x0 .. x1 - 1.
    int x0 = timeToX(state().viewBegin, size.x);
    int x1 = timeToX(state().viewEnd, size.x);
    dc.SetPen(*wxWHITE_PEN);
    dc.SetBrush(wxBrush(green));
    dc.DrawRectangle(x0 - 1, 0, x1 - x0 + 2, size.y);
    drawHitMarks(dc, size);
}

void vTimeWindow::setHitMarks(std::shared_ptr<const std::vector<double>> hitStarts)
{
    hits = std::move(hitStarts);
    hitColumnsWidth = -1;
    Refresh();
}

void vTimeWindow::drawHitMarks(wxDC& dc, const wxSize& size) const
{
    if (!hits || hits->empty() || size.x <= 0)
        return;
    if (hitColumnsWidth != size.x) {
        hitColumns.assign(size.x, false);
        for (double t : *hits) {
            // Outside the extent a hit has no column (the mapping would pile
            // it up at an edge); one at the very end marks the last column.
            if (!(t >= extentBegin && t <= extentEnd))
                continue;
            hitColumns[std::min(timeToX(t, size.x), size.x - 1)] = true;
        }
        hitColumnsWidth = size.x;
    }
    // Below the outline's top row, a third of the bar down; neighbouring
    // marked columns are one rectangle.
    const int top = 1, height = std::max(2, size.y / 3);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(hitColour));
    for (int x = 0; x < size.x; ++x) {
        if (!hitColumns[x])
            continue;
        const int first = x;
        while (x + 1 < size.x && hitColumns[x + 1])
            ++x;
        dc.DrawRectangle(first, top, x - first + 1, height);
    }
}

wxSize vTimeWindow::DoGetBestSize() const
{
    const int side = metrics().overviewSize;
    return wxSize(side, side);
}

void vTimeWindow::onPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    draw(dc, GetClientSize());
}

void vTimeWindow::onLeftDown(wxMouseEvent& event)
{
    const int w = GetClientSize().x;
    const int x = event.GetX();
    dragging = overviewPress(x, timeToX(state().viewBegin, w), timeToX(state().viewEnd, w), metrics().endReach);
    anchorTime = xToTime(x, w);
    takeMouse();
    Refresh();
    event.Skip();
}

void vTimeWindow::onLeftUp(wxMouseEvent&)
{
    dragging = overviewDrag::none;
    releaseMouse();
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
    const int w = GetClientSize().x;
    const int x = event.GetX();
    if (!event.LeftIsDown()) {
        switch (overviewPress(x, timeToX(state().viewBegin, w), timeToX(state().viewEnd, w), metrics().endReach)) {
        case overviewDrag::wholeBox:
            showCursor(wxCURSOR_HAND);
            break;
        case overviewDrag::none:
            showCursor(wxCURSOR_ARROW);
            break;
        default:
            showCursor(wxCURSOR_SIZEWE);
        }
        return;
    }
    const double t = xToTime(x, w);
    model.change([&](vTimelineDisplayState& s) { overviewDragTo(s, dragging, t, anchorTime, extentBegin, extentEnd); });
}
