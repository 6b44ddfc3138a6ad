// Entry point of the window-free test programs.
#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/log.h>

#include "support/testSupport.h"
#include "platform/narrow.h"

int main(int argc, char** argv)
{
    fixTimeZoneAndLocale();
    ::testing::InitGoogleTest(&argc, argv);
    useNarrowFileNames();
    wxInitializer wx;
    if (!wx.IsOk())
        return 1;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    installAssertHandler();
    return RUN_ALL_TESTS();
}
