#pragma once
// One of the four clickable times of the timeline panel (displayed start and
// end, selected start and end). It looks like a link; a click opens a
// dateTimeSel popup. A confirmed time is put into a copy of the display state,
// checked against the interval rules and, where one fails, repaired as the user
// chooses in a radioChoiceDialog. A consistent result goes to the display model
// as one change; a refused repair leaves the model as it was before the click.
// The label follows every change the model announces.
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/stattext.h>

#include "display/closure.h"
#include "display/dateTimeSel.h"
#include "display/displayModel.h"
#include "display/displayRules.h"

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
    // Shows and edits the field `editedField` of the model's state.
    timeSelector(wxWindow* parent, displayModel& model, double vTimelineDisplayState::*editedField);

    // Takes a time from the popup, repairs the state with the user and hands
    // the result to the model; always lets the popup close.
    bool onDateChosen(wxDateTime when);

    dateTimeSel* getPopup() const { return popup; }
    // Which days the popup's calendar marks (see dateTimeSel).
    void setMarkSource(dayMarkSource source);

    // How a time on the axis (seconds since 1970) is shown: "%c" of the local
    // date-time.
    static wxString formatTime(double seconds);
    // The date-time of a time on the axis; invalid when the value is not a
    // usable time.
    static wxDateTime toDateTime(double seconds);

private:
    null onDisplayChange(const vTimelineDisplayState* previous);
    void showValue();
    void onClick(wxMouseEvent& event);
    void reserveWidth();
    double value() const { return model.state().*editedField; }

    clMethod<timeSelector, bool, wxDateTime> dateChosen;
    dateTimeSel* popup;
    displayModel& model;
    double vTimelineDisplayState::*editedField;
    clMethod<timeSelector, null, const vTimelineDisplayState*> displayListener;
    displayConnection connection;
};
