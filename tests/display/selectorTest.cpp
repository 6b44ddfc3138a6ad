// The time selectors: their label, the date-and-time popup, the repair dialog
// and the repair loop that runs when a time is confirmed.
#include <time.h>

#include <vector>

#include <gtest/gtest.h>

#include <limits>

#include <wx/calctrl.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/spinctrl.h>
#include <wx/utils.h>

#include "display/dateTimeSel.h"
#include "display/radioChoiceDialog.h"
#include "display/timeSelector.h"
#include "recdb/timeValue.h"
#include "support/guiSupport.h"
#include "tests/display/displaySpy.h"

namespace {

const wxString displayInvalid = "The display interval is invalid.";
const wxString selectionInvalid = "The selection interval is invalid.";
const wxString startOutside = "The start of selection doesn't fit into display interval.";
const wxString endOutside = "The end of selection doesn't fit into display interval.";

// Answers one repair dialog: checks its title (and message, when given), then
// picks the n-th adjustment with OK, or cancels when n is negative.
class answerRepair : public wxExpectModalBase<radioChoiceDialog, answerRepair> {
public:
    explicit answerRepair(int choice_, const wxString& message_ = wxString()) : choice(choice_), message(message_) {}

protected:
    int OnInvoked(radioChoiceDialog* dialog) const override
    {
        EXPECT_EQ("Inconsistency detected", dialog->GetTitle());
        if (!message.empty()) {
            wxWindow* text = dialog->FindWindow("staticText");
            EXPECT_TRUE(text);
            if (text) {
                EXPECT_EQ(message.utf8_string(), text->GetLabel().utf8_string());
            }
            // The two repairs each rule offers, in their order.
            const bool ofDisplay = message == displayInvalid || message == selectionInvalid;
            const char* expected[] = {ofDisplay ? "Adjust beginning" : "Adjust display interval",
                                      ofDisplay ? "Adjust end" : "Adjust selection interval"};
            for (int i = 0; i < 2; ++i) {
                wxWindow* button = dialog->FindWindow(radioChoiceDialog::firstChoiceId + i);
                EXPECT_TRUE(button);
                if (button) {
                    EXPECT_EQ(expected[i], button->GetLabel().utf8_string()) << message;
                }
            }
            EXPECT_FALSE(dialog->FindWindow(radioChoiceDialog::firstChoiceId + 2));
        }
        if (choice < 0)
            return wxID_CANCEL;
        auto* button = dynamic_cast<wxRadioButton*>(dialog->FindWindow(radioChoiceDialog::firstChoiceId + choice));
        EXPECT_TRUE(button) << "no radio button " << choice;
        if (button)
            button->SetValue(true);
        return wxID_OK;
    }

private:
    int choice;
    wxString message;
};

// 2024-01-15 08:30:00 in Berlin.
const double base = 1705303800;

class selectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "selectors");
        panel = new wxPanel(frame);
        frame->Show();
        yieldUntil([this] { return frame->IsShownOnScreen(); });
    }

    void TearDown() override { delete frame; }

    timeSelector* selectorOn(double vTimelineDisplayState::*field) { return new timeSelector(panel, model, field); }
    const vTimelineDisplayState& state() const { return model.state(); }

    const vTimelineDisplayState original{base + 200, base + 800, base, base + 1000};
    displayModel model{original};
    displaySpy recorder{model};
    wxFrame* frame = nullptr;
    wxPanel* panel = nullptr;
};

wxDateTime atSeconds(double seconds)
{
    return wxDateTime(wxLongLong(static_cast<wxLongLong_t>(seconds * 1000)));
}

TEST_F(selectorTest, displayStartAfterEndIsRepairedOverThreePasses)
{
    timeSelector* selector = selectorOn(&vTimelineDisplayState::viewBegin);
    double chosen = base + 2000;
    // Pass 1: rule 1 fails, the end follows; rule 3 fails, the selection start
    // follows. Pass 2: that broke rule 2, the selection end follows. Pass 3: clean.
    wxTEST_DIALOG(EXPECT_TRUE(selector->onDateChosen(atSeconds(chosen))), answerRepair(1, displayInvalid),
                  answerRepair(1, startOutside), answerRepair(1, selectionInvalid));
    EXPECT_EQ(chosen, state().viewBegin);
    EXPECT_EQ(chosen + 1, state().viewEnd);
    EXPECT_EQ(chosen, state().selectionBegin);
    EXPECT_EQ(chosen, state().selectionEnd);
    ASSERT_EQ(1, recorder.calls());
    EXPECT_TRUE(sameState(original, recorder.previous.at(0)));
    EXPECT_EQ(timeSelector::formatTime(chosen), selector->GetLabelText());
}

TEST_F(selectorTest, eachRuleOffersItsTwoRepairs)
{
    // The view's end before its start: the start moves to one second before it;
    // then the selection ends after the view, and the view's end follows it.
    timeSelector* viewEnd = selectorOn(&vTimelineDisplayState::viewEnd);
    wxTEST_DIALOG(viewEnd->onDateChosen(atSeconds(base - 100)), answerRepair(0, displayInvalid),
                  answerRepair(0, endOutside));
    EXPECT_EQ(base - 101, state().viewBegin);
    EXPECT_EQ(original.selectionEnd, state().viewEnd);

    // The selection end before its start: the start moves onto it.
    timeSelector* selectionEnd = selectorOn(&vTimelineDisplayState::selectionEnd);
    wxTEST_DIALOG(selectionEnd->onDateChosen(atSeconds(base + 100)), answerRepair(0, selectionInvalid));
    EXPECT_EQ(base + 100, state().selectionBegin);
    EXPECT_EQ(base + 100, state().selectionEnd);

    // A selection start before the view: the view widens to it.
    timeSelector* selectionBegin = selectorOn(&vTimelineDisplayState::selectionBegin);
    wxTEST_DIALOG(selectionBegin->onDateChosen(atSeconds(base - 500)), answerRepair(0, startOutside));
    EXPECT_EQ(base - 500, state().viewBegin);
    EXPECT_EQ(base - 500, state().selectionBegin);

    // A selection end after the view: the selection is cut at the view's end.
    wxTEST_DIALOG(selectionEnd->onDateChosen(atSeconds(base + 5000)), answerRepair(1, endOutside));
    EXPECT_EQ(original.selectionEnd, state().viewEnd);
    EXPECT_EQ(original.selectionEnd, state().selectionEnd);
    EXPECT_EQ(4, recorder.calls());
}

TEST_F(selectorTest, cancellingUndoesEveryRepairOfTheConfirmation)
{
    timeSelector* selector = selectorOn(&vTimelineDisplayState::viewBegin);
    wxString label = selector->GetLabelText();
    wxTEST_DIALOG(EXPECT_TRUE(selector->onDateChosen(atSeconds(base + 2000))), answerRepair(1, displayInvalid),
                  answerRepair(-1, startOutside));
    EXPECT_TRUE(sameState(original, state()));
    EXPECT_EQ(0, recorder.calls());
    EXPECT_EQ(label, selector->GetLabelText());

    // Cancelling in the second pass undoes the first pass's repairs too.
    wxTEST_DIALOG(selector->onDateChosen(atSeconds(base + 2000)), answerRepair(1, displayInvalid),
                  answerRepair(1, startOutside), answerRepair(-1, selectionInvalid));
    EXPECT_TRUE(sameState(original, state()));
    EXPECT_EQ(0, recorder.calls());
}

TEST_F(selectorTest, consistentChoicesAreAnnouncedWithoutDialog)
{
    timeSelector* begin = selectorOn(&vTimelineDisplayState::viewBegin);
    timeSelector* end = selectorOn(&vTimelineDisplayState::selectionEnd);

    EXPECT_TRUE(begin->onDateChosen(atSeconds(state().viewBegin)));
    EXPECT_EQ(1, recorder.calls());
    EXPECT_TRUE(sameState(original, state()));

    // An empty selection is allowed.
    EXPECT_TRUE(end->onDateChosen(atSeconds(state().selectionBegin)));
    EXPECT_EQ(2, recorder.calls());
    EXPECT_EQ(state().selectionBegin, state().selectionEnd);
    EXPECT_TRUE(sameState(original, recorder.previous.at(1)));
}

TEST_F(selectorTest, labelFollowsTheModel)
{
    model.setView(1711886709, state().viewEnd); // 2024-03-31 14:05:09 CEST, a daylight-saving day
    timeSelector* selector = selectorOn(&vTimelineDisplayState::viewBegin);
    wxDateTime local(31, wxDateTime::Mar, 2024, 14, 5, 9);
    EXPECT_EQ(local.Format("%c"), selector->GetLabelText());
    EXPECT_TRUE(selector->GetFont().GetUnderlined());

    model.setView(1705303800, state().viewEnd); // 2024-01-15 08:30:00 CET
    EXPECT_EQ(wxDateTime(15, wxDateTime::Jan, 2024, 8, 30, 0).Format("%c"), selector->GetLabelText());
}

TEST_F(selectorTest, timesWithoutACalendarDateShowAQuestionMark)
{
    // Zoomed out far enough, the view reaches past any year the calendar can
    // write; the label says "?" there (and wx is never asked, which would assert).
    timeSelector* selector = selectorOn(&vTimelineDisplayState::viewBegin);
    const double yearOne = -62135596800.0, year9999End = 253402300799.0;
    const struct {
        double seconds;
        bool shown;
    } cases[] = {{yearOne, true}, {yearOne - 1, false}, {-86400.0 * 365 * 6800, false},
                 {year9999End, true}, {year9999End + 1, false}, {1e300, false},
                 {std::numeric_limits<double>::quiet_NaN(), false}, {-std::numeric_limits<double>::infinity(), false}};
    for (const auto& c : cases) {
        model.setView(c.seconds, state().viewEnd);
        EXPECT_EQ(c.shown, selector->GetLabelText() != "?") << c.seconds;
    }
}

TEST_F(selectorTest, clickOpensThePopupOnTheEditedValue)
{
    model.setSelection(1730026800 + 0.75, state().selectionEnd); // 2024-10-27 12:00:00 CET, the day summer time ends
    timeSelector* selector = selectorOn(&vTimelineDisplayState::selectionBegin);
    panel->Layout();
    wxMouseEvent up(wxEVT_LEFT_UP);
    up.SetPosition(wxPoint(2, 2));
    up.SetEventObject(selector);
    selector->ProcessWindowEvent(up);
    dateTimeSel* popup = selector->getPopup();
    EXPECT_TRUE(yieldUntil([popup] { return popup->IsShown(); }));
    wxDateTime day = popup->getCalendar()->GetDate();
    EXPECT_EQ(27, day.GetDay());
    EXPECT_EQ(wxDateTime::Oct, day.GetMonth());
    EXPECT_EQ(12, popup->getHours()->GetValue());
    EXPECT_EQ(0, popup->getMinutes()->GetValue());
    EXPECT_EQ(0, popup->getSeconds()->GetValue());
    popup->Dismiss();
}

// The callback the popup hands its result to.
struct chosenRecorder : closure<bool, wxDateTime> {
    bool answer = true;
    std::vector<wxDateTime> chosen;
    bool operator()(wxDateTime when) override
    {
        chosen.push_back(when);
        return answer;
    }
};

void press(dateTimeSel* popup, int id)
{
    wxWindow* button = popup->FindWindow(id);
    ASSERT_TRUE(button);
    wxCommandEvent click(wxEVT_BUTTON, id);
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
}

class popupTest : public selectorTest {
protected:
    void SetUp() override
    {
        selectorTest::SetUp();
        popup = new dateTimeSel(panel, &callback);
    }
    void showPopup()
    {
        popup->Popup();
        ASSERT_TRUE(yieldUntil([this] { return popup->IsShown(); }));
    }
    void enter(int day, wxDateTime::Month month, int year, int h, int m, int s)
    {
        popup->getCalendar()->SetDate(wxDateTime(static_cast<wxDateTime::wxDateTime_t>(day), month, year));
        popup->getHours()->SetValue(h);
        popup->getMinutes()->SetValue(m);
        popup->getSeconds()->SetValue(s);
    }
    chosenRecorder callback;
    dateTimeSel* popup = nullptr;
};

TEST_F(popupTest, okHandsOverTheLocalTime)
{
    popup->setDateTime(atSeconds(1711886709));
    EXPECT_EQ(14, popup->getHours()->GetValue());
    EXPECT_EQ(5, popup->getMinutes()->GetValue());
    EXPECT_EQ(9, popup->getSeconds()->GetValue());
    EXPECT_EQ(1711886709, toSeconds(popup->getDateTime()));

    showPopup();
    enter(15, wxDateTime::Jan, 2024, 8, 30, 0);
    press(popup, dateTimeSel::okId);
    ASSERT_EQ(1u, callback.chosen.size());
    EXPECT_EQ(1705303800, toSeconds(callback.chosen[0])); // CET, UTC+1
    EXPECT_FALSE(popup->IsShown());

    // The hour after the clocks went forward does not exist; it is taken as
    // summer time one hour later.
    enter(31, wxDateTime::Mar, 2024, 2, 30, 0);
    EXPECT_EQ(1711848600, toSeconds(popup->getDateTime()));
    // Times before 1970 and after January 2038 are times like any other.
    enter(1, wxDateTime::Jan, 1970, 0, 30, 0);
    EXPECT_EQ(-1800, toSeconds(popup->getDateTime())); // still 1969 in UTC
    enter(1, wxDateTime::Jan, 2050, 12, 0, 0);
    EXPECT_EQ(2524647600, toSeconds(popup->getDateTime()));
    enter(1, wxDateTime::Jan, 1900, 0, 0, 0);
    EXPECT_EQ(wxDateTime(1, wxDateTime::Jan, 1900), popup->getDateTime());
    wxDateTime lowest, highest;
    ASSERT_TRUE(popup->getCalendar()->GetDateRange(&lowest, &highest));
    EXPECT_EQ(wxDateTime(1, wxDateTime::Jan, 1900), lowest);
    EXPECT_EQ(9999, highest.GetYear());

    // Only OK confirms: a double-click on a day just picks the day.
    showPopup();
    wxCalendarEvent doubleClick(popup->getCalendar(), wxDateTime(20, wxDateTime::Jan, 2024),
                                wxEVT_CALENDAR_DOUBLECLICKED);
    popup->getCalendar()->ProcessWindowEvent(doubleClick);
    EXPECT_EQ(1u, callback.chosen.size());
    EXPECT_TRUE(popup->IsShown());
    popup->Dismiss();

    // Cancel closes without a call; a callback that refuses keeps it open.
    showPopup();
    press(popup, dateTimeSel::cancelId);
    EXPECT_FALSE(popup->IsShown());
    showPopup();
    callback.answer = false;
    press(popup, dateTimeSel::okId);
    EXPECT_EQ(2u, callback.chosen.size());
    EXPECT_TRUE(popup->IsShown());
    popup->Dismiss();
}

TEST_F(selectorTest, choiceDialogShowsItsChoicesAndReportsTheCheckedValue)
{
    wxString labels[] = {"Adjust beginning", "Adjust end"};
    int values[] = {7, 42};
    radioChoiceDialog dialog(frame, "Something is wrong.", "Title", 2, labels, values);
    EXPECT_EQ("Title", dialog.GetTitle());
    EXPECT_EQ("Something is wrong.", dialog.FindWindow("staticText")->GetLabel());
    auto* first = dynamic_cast<wxRadioButton*>(dialog.FindWindow(10));
    auto* second = dynamic_cast<wxRadioButton*>(dialog.FindWindow(11));
    ASSERT_TRUE(first && second);
    EXPECT_EQ("Adjust beginning", first->GetLabel());
    EXPECT_EQ("Adjust end", second->GetLabel());
    EXPECT_TRUE(first->GetValue());
    EXPECT_EQ(7, dialog.getSelection());
    second->SetValue(true);
    EXPECT_FALSE(first->GetValue());
    EXPECT_EQ(42, dialog.getSelection());

    radioChoiceDialog empty(frame, "Nothing to choose.", "Title", 0, nullptr, nullptr);
    EXPECT_EQ(0, empty.getSelection());
}

} // namespace
