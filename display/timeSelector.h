#pragma once
// One of the four clickable times of the timeline panel (displayed start and
// end, selected start and end). It looks like a link; a click opens a
// dateTimeSel popup, and a confirmed time is written into the shared display
// state, checked against the interval rules and, where one fails, repaired as
// the user chooses in a radioChoiceDialog. A consistent result is broadcast; a
// refused repair puts everything back as it was before the click.
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/stattext.h>

#include "display/closure.h"
#include "display/displayRules.h"
#include "display/displayState.h"

class dateTimeSel;

// One offered repair: write `value` into `target`.
typedef repairAdjustment adjustment;

// Returns true at once when `holds`. Otherwise asks the user, in a modal
// radioChoiceDialog titled "Inconsistency detected", which adjustment to make;
// on OK writes it, sets `changed` and returns true, on Cancel writes nothing
// and returns false.
bool resolveInconsistency(wxWindow* parent, bool holds, const wxString& message,
                          const std::vector<adjustment>& adjustments, bool& changed);

class timeSelector : public wxStaticText {
public:
    timeSelector(wxWindow* parent, double* editedField, vTimelineDisplayState* state,
                 displayBroadcastType* broadcast);

    null onDisplayChange(const vTimelineDisplayState* previous);
    // Takes a time from the popup, repairs the state with the user and
    // broadcasts; always lets the popup close.
    bool onDateChosen(wxDateTime when);

    dateTimeSel* getPopup() const { return popup; }

    // How a time on the axis (seconds since 1970) is shown: "%c" of the local
    // date-time.
    static wxString formatTime(double seconds);
    // The date-time of a time on the axis; invalid when the value is not a
    // usable time.
    static wxDateTime toDateTime(double seconds);

private:
    void onClick(wxMouseEvent& event);
    void reserveWidth();

    clMethod<timeSelector, bool, wxDateTime> dateChosen;
    dateTimeSel* popup;
    double* editedField;
    vTimelineDisplayState* state;
    displayBroadcastType* broadcast;
    clMethod<timeSelector, null, const vTimelineDisplayState*> displayListener;
};
