#pragma once
// The displayed and the selected interval, in seconds since 1970 (see
// recdb/timeValue.h; -1 where no instant is known). The one shape of these four
// instants in the program: read from the settings and written back to them,
// handed to the timeline panel at start, held and changed by the display.
struct vTimelineDisplayState {
    double selectionBegin = 0;
    double selectionEnd = 0;
    double viewBegin = 0;
    double viewEnd = 0;
};
