#include "support/guiSupport.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

int failingModalHook::Enter(wxDialog* dialog)
{
    int result = wxTestingModalHook::Enter(dialog);
    return result == wxID_NONE ? wxID_CANCEL : result;
}

void failingModalHook::ReportFailure(const wxString& message)
{
    ADD_FAILURE() << message.utf8_string();
}

namespace {
// Message boxes are answered with button ids; the style flags wxOK, wxCANCEL,
// wxYES and wxNO are accepted too, as wxExpectModal does.
int buttonId(int answer)
{
    switch (answer) {
    case wxOK:
        return wxID_OK;
    case wxCANCEL:
        return wxID_CANCEL;
    case wxYES:
        return wxID_YES;
    case wxNO:
        return wxID_NO;
    default:
        return answer;
    }
}
}

expectMessage::expectMessage(int answer_, const wxString& text_, const wxString& caption_)
    : answer(buttonId(answer_)), text(text_), caption(caption_)
{
}

int expectMessage::OnInvoked(wxMessageDialog* dialog) const
{
    if (!text.empty()) {
        EXPECT_EQ(text.utf8_string(), dialog->GetMessage().utf8_string());
    }
    if (!caption.empty()) {
        EXPECT_EQ(caption.utf8_string(), dialog->GetTitle().utf8_string());
    }
    return answer;
}

void acceptPath(wxFileDialog* dialog, const wxString& path)
{
    dialog->SetPath(path);
    bool filled = yieldUntil([dialog] { return !dialog->GetPath().empty(); });
    EXPECT_TRUE(filled) << "the file dialog never took the path " << path.utf8_string();
}

void acceptPath(wxDirDialog* dialog, const wxString& path)
{
    dialog->SetPath(path);
#ifdef __WXGTK__
    yieldUntil([] { return false; }, 100);
    dialog->GTKOnAccept();
#endif
    EXPECT_EQ(path.utf8_string(), dialog->GetPath().utf8_string()) << "the folder dialog never took the path";
}

void destroyNow(wxWindow* window)
{
    window->Destroy();
    wxTheApp->ProcessIdle();
}

bool yieldUntil(const std::function<bool()>& condition, int milliseconds)
{
    wxStopWatch watch;
    while (!condition()) {
        if (watch.Time() > milliseconds)
            return condition();
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
    return true;
}
