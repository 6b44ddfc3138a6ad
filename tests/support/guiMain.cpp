// Entry point of the GUI test programs; they run under Xvfb.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/modalhook.h>

#include "support/guiSupport.h"
#include "platform/narrow.h"
#include "support/testSupport.h"

namespace {
class testApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// The last line of defence: a dialog that no wxTEST_DIALOG expected fails the
// running test and is cancelled at once, so the run never waits for a user.
class unexpectedDialogHook : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override
    {
        wxString text = dialog->GetTitle();
        if (auto* message = dynamic_cast<wxMessageDialog*>(dialog))
            text = message->GetMessage();
        ADD_FAILURE() << "unexpected modal dialog: " << text.utf8_string();
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};
}

wxIMPLEMENT_APP_NO_MAIN(testApp);

int main(int argc, char** argv)
{
    fixTimeZoneAndLocale();
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS(); // test discovery at build time needs no display
    useNarrowFileNames();
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start wxWidgets: is there a display (run under xvfb-run)?\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    delete wxLog::SetActiveTarget(new wxLogStderr);
    installAssertHandler();
    wxInitAllImageHandlers();
    unexpectedDialogHook hook;
    hook.Register();
    // On Windows a yield delivers paints and timers only through an active
    // event loop; the tests run outside any main loop of their own.
    int result;
    {
        wxEventLoopGuarantor loop;
        result = RUN_ALL_TESTS();
    }
    hook.Unregister();
    wxEntryCleanup();
    return result;
}
