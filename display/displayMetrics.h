#pragma once
// The pixel sizes of the drawn display widgets. The defaults are the sizes at
// 96 DPI; a window's sizes come from its FromDIP, which is the identity where
// the toolkit scales by itself (GTK) and multiplies on Windows, where the
// program is aware of each monitor's DPI.
//
// Sizes, distances, offsets and hit tolerances scale. One-pixel lines (rules,
// ticks, outlines, the selection bounds, the gap under a row's boxes) stay one
// device pixel: they mark single columns of the time mapping.
class wxWindow;

struct displayMetrics {
    // Channel row.
    int rowMinWidth = 400;
    int rowHeight = 20;
    int boundGrab = 3; // a press closer than this to a bound line takes it

    // Time scale.
    int scaleMinWidth = 500;
    int scaleRowHeight = 20;
    int tickLength = 18;
    int tickLabelX = 1; // the label's place right of and below the tick's top
    int tickLabelY = 2;
    int unitNameGap = 5; // between the unit's name and the first tick drawn
    int labelGap = 6;    // a label needs this much room beyond its width

    // Selection bar.
    int spanHeight = 17;
    int markerSize = 7; // also how far either side of a marker a press takes it

    // Overview bar.
    int overviewSize = 20; // its best size, either way
    int endReach = 1;      // how far outside the box a press takes an end

    // The sizes at a scale factor (1.5 at 144 DPI), rounded to the nearest
    // pixel as FromDIP rounds.
    static displayMetrics forScale(double factor);
    // The sizes for a window at its current DPI.
    static displayMetrics forWindow(const wxWindow& window);
};
