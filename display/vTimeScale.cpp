#include "display/vTimeScale.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "platform/narrow.h"

vTimeScale::vTimeScale(wxWindow* parent, displayModel& model_) : vDisplayWidget(parent, model_)
{
    const displayMetrics sizes = displayMetrics::forWindow(*this);
    SetMinSize(wxSize(sizes.scaleMinWidth, 2 * sizes.scaleRowHeight));
    Bind(wxEVT_PAINT, &vTimeScale::onPaint, this);
}

void vTimeScale::displayChanged(const vTimelineDisplayState& previous)
{
    // The scale shows only the displayed interval; selection changes leave it.
    if (!sameView(previous, state()))
        Refresh();
}

int vTimeScale::timeToX(double t) const
{
    return timeToX(t, GetClientSize().GetWidth());
}

void vTimeScale::draw(wxDC& dc, const wxSize& size, const displayMetrics& sizes)
{
    if (!dc.GetFont().IsOk())
        dc.SetFont(*wxNORMAL_FONT);
    const wxFont measuring = dc.GetFont();
    textMeasure measure = [&dc, &measuring](const wxString& text, int pointSize) {
        wxFont font = measuring;
        if (pointSize > 0)
            font.SetPointSize(pointSize);
        wxCoord w = 0, h = 0;
        dc.GetTextExtent(text, &w, &h, nullptr, nullptr, &font);
        return wxSize(w, h);
    };
    layoutScaleRows(state(), size.GetWidth(), measure, rows, sizes.labelGap);

    // Lines are filled one-pixel rectangles: they cover exactly their pixels,
    // where an antialiased line would blur its ends.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(0, 0, size.GetWidth(), size.GetHeight());
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(0, 0, size.GetWidth(), 1);
    dc.DrawRectangle(0, sizes.scaleRowHeight, size.GetWidth(), 1);
    dc.SetTextForeground(*wxWHITE);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);

    for (int i = 0; i < 2; ++i) {
        const int y = sizes.scaleRowHeight * i;
        wxFont font = measuring;
        font.SetPointSize(8);
        dc.SetFont(font);
        const wxString name = unitName(rows[i].unit);
        const int margin = dc.GetTextExtent(name).GetWidth() + sizes.unitNameGap;
        dc.DrawText(name, 0, y);

        // Size 0 keeps the default text size.
        font.SetPointSize(rows[i].labelSize > 0 ? rows[i].labelSize : measuring.GetPointSize());
        dc.SetFont(font);
        for (const scaleTick& tick : rows[i].ticks) {
            if (tick.x <= margin)
                continue;
            dc.DrawRectangle(tick.x, y, 1, sizes.tickLength);
            dc.DrawText(fromNarrow(tick.label), tick.x + sizes.tickLabelX, y + sizes.tickLabelY);
        }
    }
    dc.SetFont(measuring);
}

void vTimeScale::onPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    dc.SetFont(GetFont());
    draw(dc, GetClientSize(), metrics());
}
