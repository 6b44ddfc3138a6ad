// The panel's date popup marks the days with calls on the included lines when
// it opens, when the month is turned and as days being read arrive; on GTK as
// the native calendar itself reports it (its functions looked up at run time:
// the tests build without GTK's headers).
#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/frame.h>

#include "display/timeSelector.h"
#include "display/vTimeline.h"
#include "support/guiSupport.h"
#include "tests/display/fakeTimeline.h"

#ifdef __WXGTK__
#include <dlfcn.h>
#endif

namespace {
std::uint32_t daysOf(std::initializer_list<int> days)
{
    std::uint32_t bits = 0;
    for (int d : days)
        bits |= 1u << (d - 1);
    return bits;
}

// The marked days of the shown month.
std::uint32_t nativeMarks(dateTimeSel* popup)
{
#ifdef __WXGTK__
    auto isMarked = reinterpret_cast<int (*)(void*, unsigned)>(dlsym(RTLD_DEFAULT, "gtk_calendar_get_day_is_marked"));
    const wxDateTime shown = popup->getCalendar()->GetDate();
    std::uint32_t bits = 0;
    for (unsigned day = 1; isMarked && day <= wxDateTime::GetNumberOfDays(shown.GetMonth(), shown.GetYear()); ++day)
        if (isMarked(popup->getCalendar()->GetHandle(), day))
            bits |= 1u << (day - 1);
    return bits;
#else
    return popup->shownMarks();
#endif
}

// Turns the page as the calendar's arrows do: GTK's announces the month itself.
void turnTo(dateTimeSel* popup, wxDateTime::Month month)
{
    wxCalendarCtrl* calendar = popup->getCalendar();
#ifdef __WXGTK__
    auto select =
        reinterpret_cast<void (*)(void*, unsigned, unsigned)>(dlsym(RTLD_DEFAULT, "gtk_calendar_select_month"));
    ASSERT_TRUE(select);
    select(calendar->GetHandle(), static_cast<unsigned>(month), 2024);
#else
    calendar->SetDate(wxDateTime(1, month, 2024));
    wxCalendarEvent turned(calendar, calendar->GetDate(), wxEVT_CALENDAR_PAGE_CHANGED);
    calendar->ProcessWindowEvent(turned);
#endif
}

timeSelector* firstSelector(wxWindow* window)
{
    for (wxWindow* child : window->GetChildren()) {
        timeSelector* found = dynamic_cast<timeSelector*>(child);
        if (found || (found = firstSelector(child)))
            return found;
    }
    return nullptr;
}
}

TEST(calendarMarks, popupMarksTheDaysOfIncludedLinesAsTheyAreRead)
{
    fakeTimeline alpha("Alpha"), beta("Beta");
    alpha.add(1709665200, 1709773200)  // 2024-03-05 20:00 to 03-07 02:00
        .add(1711920600, 1711924200)   // 03-31 23:30 to 04-01 00:30
        .add(1712743200, 1712743200);  // 04-10 12:00, no length
    beta.add(1710925200, 1710925500);  // 03-20 10:00, on a day still being read
    beta.unread.push_back(timeSpan{1710889200, 1710975600});
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "marks");
    // The first selector shows the view's start, 2024-03-15 12:00.
    vTimeline* panel = new vTimeline(frame, vTimelineDisplayState{1710500400, 1710500500, 1710500400, 1710600000});
    panel->setTimelines({&alpha, &beta});
    frame->Show();
    ASSERT_TRUE(yieldUntil([&] { return frame->IsShownOnScreen(); }));
    timeSelector* selector = firstSelector(panel);
    ASSERT_TRUE(selector);
    dateTimeSel* popup = selector->getPopup();
    auto open = [&] {
        wxMouseEvent up(wxEVT_LEFT_UP);
        up.SetEventObject(selector);
        selector->ProcessWindowEvent(up);
        ASSERT_TRUE(yieldUntil([popup] { return popup->IsShown(); }));
    };

    open();
    EXPECT_EQ(daysOf({5, 6, 7, 31}), nativeMarks(popup));
    EXPECT_EQ(daysOf({5, 6, 7, 31}), popup->shownMarks());
    EXPECT_TRUE(popup->isWaitingForDays());
    beta.unread.clear();
    EXPECT_TRUE(yieldUntil([popup] { return !popup->isWaitingForDays(); }));
    EXPECT_EQ(daysOf({5, 6, 7, 20, 31}), nativeMarks(popup));
    turnTo(popup, wxDateTime::Apr);
    EXPECT_EQ(daysOf({1, 10}), nativeMarks(popup));
    EXPECT_EQ(daysOf({1, 10}), popup->shownMarks());
    turnTo(popup, wxDateTime::May);
    EXPECT_EQ(0u, nativeMarks(popup));
    popup->Dismiss();

    // Alpha left out: the popup opens on March again, with Beta's day alone.
    wxCheckBox* box = panel->lineCheckBox(0);
    box->SetValue(false);
    wxCommandEvent click(wxEVT_CHECKBOX, box->GetId());
    click.SetEventObject(box);
    box->ProcessWindowEvent(click);
    open();
    EXPECT_EQ(daysOf({20}), nativeMarks(popup));
    EXPECT_FALSE(popup->isWaitingForDays());
    popup->Dismiss();
    destroyNow(frame);
}
