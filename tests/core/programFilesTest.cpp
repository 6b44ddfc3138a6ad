#include <gtest/gtest.h>

#include <wx/filename.h>

#include "core/programFiles.h"
#include "platform/standardPaths.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

// The names the program and its tools find their files by, and the settings
// folder named after the program whatever its executable is called.
TEST(programFiles, namesTheProgramsFilesInTheirFolders)
{
    const programFiles given("/opt/orvista", "/home/u/.config/orvista");
    EXPECT_EQ(nativePath("/home/u/.config/orvista/orv.xml"), given.settingsFile().utf8_string());
    EXPECT_EQ(nativePath("/opt/orvista/orv-config-schema.xml"), given.schemaFile().utf8_string());
    EXPECT_EQ(nativePath("/opt/orvista/guide.pdf"), given.guideFile().utf8_string());

    const wxString roaming = roamingDataDirectory();
    for (const char* executable : {"/opt/orvista/orvista", "/opt/orvista/orvista.exe"}) {
        const programFiles installed = programFiles::ofExecutable(executable);
        EXPECT_EQ(wxFileName(roaming, "orvista").GetFullPath(), installed.settingsFolder()) << executable;
        EXPECT_EQ(installed.programFolder(), wxFileName(installed.schemaFile()).GetPath())
            << "the schema lies next to the executable";
    }
    EXPECT_EQ(wxFileName(roaming, "orvista").GetFullPath(), programFiles::userSettingsFolder());
    EXPECT_EQ("", given.cacheFolder()) << "tests and tools keep no index unless they name a folder";
    EXPECT_EQ(programFiles::userCacheFolder(), programFiles::ofExecutable("/opt/orvista/orvista").cacheFolder());
}

TEST(programFiles, cacheFolderFollowsXdgCacheHome)
{
    if (runningOnWindows())
        GTEST_SKIP() << "Windows keeps caches in the local application data, not in XDG_CACHE_HOME";
    scopedEnv home("HOME", "/home/someone");
    {
        scopedEnv cache("XDG_CACHE_HOME", "/var/cache/someone");
        EXPECT_EQ("/var/cache/someone/orvista", programFiles::userCacheFolder());
    }
    for (const char* ignored : {"relative/cache", ""}) {
        scopedEnv cache("XDG_CACHE_HOME", ignored);
        EXPECT_EQ("/home/someone/.cache/orvista", programFiles::userCacheFolder());
    }
    scopedEnv cache = scopedEnv::unset("XDG_CACHE_HOME");
    EXPECT_EQ("/home/someone/.cache/orvista", programFiles::userCacheFolder());
}
