#include "display/timeSelector.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <wx/settings.h>

#include "display/dateTimeSel.h"
#include "display/displayRules.h"
#include "display/radioChoiceDialog.h"
#include "platform/narrow.h"
#include "recdb/timeValue.h"

bool resolveInconsistency(wxWindow* parent, bool holds, const wxString& message,
                          const std::vector<adjustment>& adjustments, bool& changed)
{
    if (holds)
        return true;
    std::vector<wxString> labels;
    std::vector<int> values;
    for (size_t i = 0; i < adjustments.size(); ++i) {
        labels.push_back(fromNarrow(adjustments[i].label));
        values.push_back(static_cast<int>(i));
    }
    radioChoiceDialog dialog(parent, message, "Inconsistency detected", static_cast<int>(adjustments.size()),
                             labels.data(), values.data());
    if (dialog.ShowModal() != wxID_OK)
        return false;
    int chosen = dialog.getSelection();
    if (chosen < 0 || static_cast<size_t>(chosen) >= adjustments.size())
        return false;
    const adjustment& a = adjustments[chosen];
    *a.target = a.value;
    changed = true;
    return true;
}

timeSelector::timeSelector(wxWindow* parent, displayModel& model_, double vTimelineDisplayState::*editedField_)
    : wxStaticText(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE),
      dateChosen(this, &timeSelector::onDateChosen),
      popup(nullptr),
      model(model_),
      editedField(editedField_),
      displayListener(this, &timeSelector::onDisplayChange)
{
    wxFont font = GetFont();
    font.SetUnderlined(true);
    SetFont(font);
    SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HOTLIGHT));
    SetCursor(wxCursor(wxCURSOR_HAND));
    SetToolTip("Click to choose a date and time");
    Bind(wxEVT_LEFT_UP, &timeSelector::onClick, this);
    reserveWidth();
    popup = new dateTimeSel(this, &dateChosen);

    showValue();
    connection = model.subscribe(&displayListener);
}

// The width of "%c" depends on the day and month names; reserving the widest
// keeps the panel's columns from shifting while a selection is dragged.
void timeSelector::reserveWidth()
{
    int widest = 0;
    for (int month = 0; month < 12; ++month) {
        for (int day = 20; day < 27; ++day) { // every weekday once
            wxDateTime sample(static_cast<wxDateTime::wxDateTime_t>(day), static_cast<wxDateTime::Month>(month),
                              2030, 23, 58, 58);
            widest = std::max(widest, GetTextExtent(sample.Format("%c")).GetWidth());
        }
    }
    SetMinSize(wxSize(widest + FromDIP(2), -1));
}

void timeSelector::setMarkSource(dayMarkSource source)
{
    popup->setMarkSource(std::move(source));
}

wxDateTime timeSelector::toDateTime(double seconds)
{
    // Beyond the years the calendar can write (wx would read outside its
    // tables, and asserts) the time has no date to show.
    return fromSeconds(seconds);
}

wxString timeSelector::formatTime(double seconds)
{
    wxDateTime when = toDateTime(seconds);
    return when.IsValid() ? when.Format("%c") : wxString("?");
}

null timeSelector::onDisplayChange(const vTimelineDisplayState*)
{
    showValue();
    return null();
}

void timeSelector::showValue()
{
    wxString text = formatTime(value());
    if (text != GetLabelText())
        SetLabelText(text);
    Refresh(true);
}

void timeSelector::onClick(wxMouseEvent& event)
{
    wxDateTime when = toDateTime(value());
    popup->setDateTime(when.IsValid() ? when : wxDateTime::Now());
    wxPoint at = ClientToScreen(event.GetPosition());
    popup->Position(at, wxSize(0, 0));
    popup->Popup();
}

bool timeSelector::onDateChosen(wxDateTime when)
{
    // The questions are asked about a copy: the model (and what the widgets
    // paint while a question is open) never holds a half-repaired state.
    vTimelineDisplayState s = model.state();
    s.*editedField = toSeconds(when);
    for (;;) {
        bool changed = false;
        for (int i = 0; i < repairRuleCount; ++i) {
            const repairRule rule = repairRuleAt(i, s);
            if (!resolveInconsistency(this, rule.holds, fromNarrow(rule.message), rule.adjustments, changed))
                return true;
        }
        if (!changed)
            break;
    }
    model.change([&](vTimelineDisplayState& record) { record = s; });
    return true;
}
