#include "display/dateTimeSel.h"

#include <utility>

#include <wx/button.h>
#include <wx/calctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

namespace {
// The days the calendar offers: 1900-01-01 to 9999-12-31, local time.
wxDateTime earliestTime()
{
    return wxDateTime(1, wxDateTime::Jan, 1900, 0, 0, 0);
}

wxDateTime latestTime()
{
    return wxDateTime(31, wxDateTime::Dec, 9999, 23, 59, 59);
}

// The three fields share the row's width equally; each is at least wide enough
// for two digits and its arrows (GTK cannot draw a spin control narrower).
wxSpinCtrl* timeField(wxWindow* parent, int maximum)
{
    wxSpinCtrl* field = new wxSpinCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                       wxSP_ARROW_KEYS | wxSP_WRAP, 0, maximum, 0, "wxSpinCtrl");
    field->SetInitialSize(wxSize(field->GetSizeFromTextSize(field->GetTextExtent("00").GetWidth()).GetWidth(), -1));
    return field;
}
}

wxBEGIN_EVENT_TABLE(dateTimeSel, wxPopupTransientWindow)
    EVT_BUTTON(dateTimeSel::okId, dateTimeSel::onOk)
    EVT_BUTTON(dateTimeSel::cancelId, dateTimeSel::onCancel)
    EVT_CHAR_HOOK(dateTimeSel::onCharHook)
    EVT_CALENDAR_PAGE_CHANGED(wxID_ANY, dateTimeSel::onPageChanged)
wxEND_EVENT_TABLE()

dateTimeSel::dateTimeSel(wxWindow* parent, closure<bool, wxDateTime>* callback_)
    : wxPopupTransientWindow(parent, wxBORDER_DOUBLE), callback(callback_), pendingTimer(this)
{
    Bind(wxEVT_TIMER, &dateTimeSel::onPendingTimer, this, pendingTimer.GetId());
    panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxRAISED_BORDER, "panel");
    wxBoxSizer* column = new wxBoxSizer(wxVERTICAL);
    const int border = FromDIP(1);

    calendar = new wxCalendarCtrl(panel, wxID_ANY, wxDefaultDateTime, wxDefaultPosition, wxDefaultSize,
                                  wxCAL_SHOW_HOLIDAYS | wxWANTS_CHARS, "CalendarCtrl");
    // Days beyond four-digit years are not offered.
    calendar->SetDateRange(earliestTime().GetDateOnly(), latestTime().GetDateOnly());
    column->Add(calendar, 0, wxALL | wxEXPAND, border);

    wxBoxSizer* time = new wxBoxSizer(wxHORIZONTAL);
    hours = timeField(panel, 23);
    minutes = timeField(panel, 59);
    seconds = timeField(panel, 59);
    time->Add(hours, 1);
    time->Add(new wxStaticText(panel, wxID_ANY, ":"), 0, wxALIGN_CENTER_VERTICAL);
    time->Add(minutes, 1);
    time->Add(new wxStaticText(panel, wxID_ANY, ":"), 0, wxALIGN_CENTER_VERTICAL);
    time->Add(seconds, 1);
    column->Add(time, 0, wxALL | wxEXPAND, border);

    wxBoxSizer* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(panel, okId, "OK"), 1, wxEXPAND);
    buttons->Add(new wxButton(panel, cancelId, "Cancel"), 1, wxEXPAND);
    column->Add(buttons, 0, wxALL | wxEXPAND, border);

    panel->SetSizer(column);
    column->Fit(panel);
    SetClientSize(panel->GetSize());
}

void dateTimeSel::setDateTime(const wxDateTime& when)
{
    if (!when.IsValid())
        return;
    wxDateTime shown = when;
    if (shown < earliestTime())
        shown = earliestTime();
    else if (shown > latestTime())
        shown = latestTime();
    wxDateTime::Tm local = shown.GetTm();
    calendar->SetDate(shown.GetDateOnly());
    hours->SetValue(local.hour);
    minutes->SetValue(local.min);
    seconds->SetValue(local.sec);
    // The calendar announces only the months the user turns to.
    if (IsShown())
        updateMarks();
}

wxDateTime dateTimeSel::getDateTime() const
{
    wxDateTime day = calendar->GetDate();
    if (!day.IsValid())
        return wxDateTime();
    wxDateTime when(day.GetDay(), day.GetMonth(), day.GetYear(), hours->GetValue(), minutes->GetValue(),
                    seconds->GetValue());
    if (!when.IsValid())
        return when;
    // A typed time outside the offered days takes the nearest one.
    if (when < earliestTime())
        return earliestTime();
    if (when > latestTime())
        return latestTime();
    return when;
}

void dateTimeSel::setMarkSource(dayMarkSource source)
{
    markSource = std::move(source);
    // Asked when the popup opens: a closed one makes no line read its days.
    if (IsShown())
        updateMarks();
}

void dateTimeSel::Popup(wxWindow* focus)
{
    panel->Move(0, 0);
    // The lines may have been read, changed or left out since the last time.
    updateMarks();
    wxPopupTransientWindow::Popup(focus ? focus : panel);
}

void dateTimeSel::Dismiss()
{
    pendingTimer.Stop();
    wxPopupTransientWindow::Dismiss();
}

void dateTimeSel::updateMarks()
{
    const wxDateTime shown = calendar->GetDate();
    std::uint32_t wanted = 0;
    bool pending = false;
    unsigned length = 0;
    if (shown.IsValid()) {
        length = wxDateTime::GetNumberOfDays(shown.GetMonth(), shown.GetYear());
        if (markSource)
            wanted = markSource(shown.GetYear(), shown.GetMonth() + 1, pending);
    }
    // The native calendars keep marks by the day's number, whatever month is
    // shown, so only the days that differ are set. Days the month lacks are
    // left as they are: GTK complains about a change to a day it cannot find,
    // and they are set again when a month has them.
    for (unsigned day = 1; day <= length; ++day) {
        const std::uint32_t bit = 1u << (day - 1);
        if ((wanted & bit) != (held & bit)) {
            calendar->Mark(day, (wanted & bit) != 0);
            held ^= bit;
        }
    }
    marks = held & ((1u << length) - 1);
    if (pending && !pendingTimer.IsRunning())
        pendingTimer.Start(250);
    else if (!pending)
        pendingTimer.Stop();
}

void dateTimeSel::onPageChanged(wxCalendarEvent& event)
{
    event.Skip();
    updateMarks();
}

void dateTimeSel::onPendingTimer(wxTimerEvent&)
{
    if (IsShown())
        updateMarks();
    else
        pendingTimer.Stop();
}

void dateTimeSel::confirm()
{
    if (!callback || (*callback)(getDateTime()))
        Dismiss();
}

void dateTimeSel::onOk(wxCommandEvent&)
{
    confirm();
}

void dateTimeSel::onCancel(wxCommandEvent&)
{
    Dismiss();
}

void dateTimeSel::onCharHook(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_ESCAPE:
        Dismiss();
        break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
        confirm();
        break;
    default:
        event.Skip();
    }
}
