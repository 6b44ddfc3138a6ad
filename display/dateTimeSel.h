#pragma once
// The date-and-time entry a time selector opens when it is clicked: a calendar
// and hour, minute and second spin controls in a transient popup. OK hands the
// chosen local date-time to a callback (so does Enter; a double-click on a day
// only picks the day); Cancel, Escape or a click outside the popup closes it
// without a change.
#include <wx/calctrl.h>
#include <wx/datetime.h>
#include <wx/popupwin.h>

#include "display/closure.h"

class wxPanel;
class wxSpinCtrl;

class dateTimeSel : public wxPopupTransientWindow {
public:
    enum { okId = 1, cancelId = 2 };

    // The callback is not owned; it returns true when the popup may close.
    dateTimeSel(wxWindow* parent, closure<bool, wxDateTime>* callback);

    // Shows the local date and time of `when` (whole seconds) in the controls.
    void setDateTime(const wxDateTime& when);
    // The local date-time the controls show, kept inside the range that the
    // time axis can represent (see recdb/timeValue.h).
    wxDateTime getDateTime() const;

    void Popup(wxWindow* focus = nullptr) override;

    // The controls, for tests.
    wxCalendarCtrl* getCalendar() const { return calendar; }
    wxSpinCtrl* getHours() const { return hours; }
    wxSpinCtrl* getMinutes() const { return minutes; }
    wxSpinCtrl* getSeconds() const { return seconds; }

private:
    void onOk(wxCommandEvent& event);
    void onCancel(wxCommandEvent& event);
    void onCharHook(wxKeyEvent& event);
    void confirm();

    wxPanel* panel;
    wxCalendarCtrl* calendar;
    wxSpinCtrl* hours;
    wxSpinCtrl* minutes;
    wxSpinCtrl* seconds;
    closure<bool, wxDateTime>* callback;

    wxDECLARE_EVENT_TABLE();
};
