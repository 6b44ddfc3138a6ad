#include "display/displayMetrics.h"

#include <cmath>

#include <wx/window.h>

namespace {
// Every size passes through `px` once; both ways of scaling share this list.
template <typename Scale>
displayMetrics scaledBy(Scale px)
{
    displayMetrics m;
    for (int* size : {&m.rowMinWidth, &m.rowHeight, &m.boundGrab, &m.scaleMinWidth, &m.scaleRowHeight,
                      &m.tickLength, &m.tickLabelX, &m.tickLabelY, &m.unitNameGap, &m.labelGap, &m.spanHeight,
                      &m.markerSize, &m.overviewSize, &m.endReach})
        *size = px(*size);
    return m;
}
}

displayMetrics displayMetrics::forScale(double factor)
{
    // Half a pixel rounds away from zero, as the Windows MulDiv behind FromDIP does.
    return scaledBy([factor](int size) { return static_cast<int>(std::lround(size * factor)); });
}

displayMetrics displayMetrics::forWindow(const wxWindow& window)
{
    return scaledBy([&window](int size) { return window.FromDIP(size); });
}
