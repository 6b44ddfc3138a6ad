#include "display/vDisplayWidget.h"

vDisplayWidget::vDisplayWidget(wxWindow* parent, displayModel& model_)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE, "panel"),
      model(model_), displayListener(this, &vDisplayWidget::onDisplayChange),
      connection(model.subscribe(&displayListener))
{
    Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {}); // the paint covers every pixel
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) {
        dragEnded();
        Refresh();
    });
}

null vDisplayWidget::onDisplayChange(const vTimelineDisplayState* previous)
{
    displayChanged(*previous);
    return null();
}

int vDisplayWidget::timeToX(double t, int width) const
{
    return timeToColumn(t, columnsBegin(), columnsEnd(), width);
}

double vDisplayWidget::xToTime(int x, int width) const
{
    return columnToTime(x, columnsBegin(), columnsEnd(), width);
}

void vDisplayWidget::takeMouse()
{
    if (!HasCapture())
        CaptureMouse();
}

void vDisplayWidget::releaseMouse()
{
    if (HasCapture())
        ReleaseMouse();
}
