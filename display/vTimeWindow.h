#pragma once
// The overview bar: the whole extent of the recordings as a grey bar, with the
// displayed interval as a green box on it. Dragging the box pans the view;
// dragging just outside either end of the box moves that end. Short yellow
// ticks at the top mark the columns where hits of a search start. Each drag step
// goes to the display model; every change the model announces repaints the bar.
#include <memory>
#include <vector>

#include <wx/cursor.h>

#include "display/displayRules.h"
#include "display/vDisplayWidget.h"

class wxDC;

class vTimeWindow : public vDisplayWidget {
public:
    // Its columns show the extent [extentBegin, extentEnd].
    vTimeWindow(wxWindow* parent, displayModel& model, double extentBegin, double extentEnd);

    // Paints the bar as it looks at the given size; the paint handler calls it.
    void draw(wxDC& dc, const wxSize& size) const;
    // The start times (seconds) to mark; empty for none. Repaints the bar.
    void setHitMarks(std::shared_ptr<const std::vector<double>> hitStarts);

    // The stock cursor last chosen by a motion with the button up.
    wxStockCursor shownCursor() const { return cursorShown; }

protected:
    // A window without children would report a best size of one pixel on
    // GTK, leaving the bar invisible in the panel's column; it asks for the
    // size a default-sized child window gets.
    wxSize DoGetBestSize() const override;

private:
    void displayChanged(const vTimelineDisplayState& previous) override;
    void dragEnded() override { dragging = overviewDrag::none; }
    double columnsBegin() const override { return extentBegin; }
    double columnsEnd() const override { return extentEnd; }
    void onPaint(wxPaintEvent& event);
    void onLeftDown(wxMouseEvent& event);
    void onLeftUp(wxMouseEvent& event);
    void onMotion(wxMouseEvent& event);
    void showCursor(wxStockCursor id);
    void drawHitMarks(wxDC& dc, const wxSize& size) const;

    overviewDrag dragging = overviewDrag::none;
    double anchorTime = 0; // extent time under the mouse at the last move step
    double extentBegin;
    double extentEnd;
    wxStockCursor cursorShown = wxCURSOR_ARROW;
    std::shared_ptr<const std::vector<double>> hits; // shared with the panel, which keeps them for a rebuild
    // Which columns have a hit, for the width they were worked out at: the bar
    // repaints at every step of a drag, and the hits can be a hundred thousand.
    mutable std::vector<bool> hitColumns;
    mutable int hitColumnsWidth = -1;
};
