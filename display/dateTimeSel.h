#pragma once
// The date-and-time entry a time selector opens when it is clicked: a calendar
// and hour, minute and second spin controls in a transient popup. OK hands the
// chosen local date-time to a callback (so does Enter; a double-click on a day
// only picks the day); Cancel, Escape or a click outside the popup closes it
// without a change.
//
// The calendar marks (in bold) the days of the shown month that have
// recordings, as a source of marks tells; while the source still waits for
// days being read, the popup asks it again every 250 ms as long as it is open.
#include <cstdint>
#include <functional>

#include <wx/calctrl.h>
#include <wx/datetime.h>
#include <wx/popupwin.h>
#include <wx/timer.h>

#include "display/closure.h"

class wxPanel;
class wxSpinCtrl;

// The days of a local month (1..12) to mark: bit (day - 1) for each. It sets
// `pending` when days are still being read, so a later answer may have more.
typedef std::function<std::uint32_t(int year, int month, bool& pending)> dayMarkSource;

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

    // Without a source (or with an empty one) no day is marked.
    void setMarkSource(dayMarkSource source);
    // The days of the shown month the calendar marks, bit (day - 1) for each.
    std::uint32_t shownMarks() const { return marks; }
    // Whether the popup is asking again for days still being read.
    bool isWaitingForDays() const { return pendingTimer.IsRunning(); }

    void Popup(wxWindow* focus = nullptr) override;
    void Dismiss() override;

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
    void onPageChanged(wxCalendarEvent& event);
    void onPendingTimer(wxTimerEvent& event);
    // Asks the source about the month the calendar shows and marks its days.
    void updateMarks();

    wxPanel* panel;
    wxCalendarCtrl* calendar;
    wxSpinCtrl* hours;
    wxSpinCtrl* minutes;
    wxSpinCtrl* seconds;
    closure<bool, wxDateTime>* callback;
    dayMarkSource markSource;
    // The marks the calendar holds, by day number, and those of them on days
    // of the shown month.
    std::uint32_t held = 0;
    std::uint32_t marks = 0;
    wxTimer pendingTimer;

    wxDECLARE_EVENT_TABLE();
};
