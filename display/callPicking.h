#pragma once
// Which call the pointer is on in a channel row, and what the row tells about
// it. Window-free, so the rules are tested without a row: the row hands in the
// recordings it draws and its width.
#include <string>

#include <wx/string.h>

#include "display/displayState.h"
#include "recdb/timeline.h"

// The recording under column x of a row `width` pixels wide showing the view
// of `s`, or null. Candidates are the boxes that cover the column as the row
// draws them: [column of start, column of end), at least one pixel. Among
// them the ones that contain the column's time win, the longest first; when
// none contains it, the one nearest to that time, the longest of equally
// near ones. Equal candidates: the first in `found`.
const recording* callAt(const recordingList& found, const vTimelineDisplayState& s, int width, int x);

// The tooltip of a call: its line, start and end in local time, length,
// (as the find panel's list writes it), label and the audio file's name
// (without its folder).
wxString callDetails(const std::string& lineName, const recording& r);
