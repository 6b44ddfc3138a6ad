#include <gtest/gtest.h>

#include <string>

#include "support/systemSupport.h"

// Windows shows a program's version from its version resource (Explorer's
// details, installers); it is the program's own version, which the About box
// shows too. Test programs take the same resource script as the program.
TEST(versionResource, isTheProgramsVersion)
{
    int version[4] = {-1, -1, -1, -1};
    if (!ownFileVersion(version))
        GTEST_SKIP() << "only Windows programs carry a version resource";
    const std::string text = std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
                             std::to_string(version[2]) + "." + std::to_string(version[3]);
    EXPECT_EQ(ORVISTA_VERSION, text);
}

// On a terminal server a program without this mark is handed a Windows folder
// of the user's own, where no logger.ini lies.
TEST(versionResource, programsAreAwareOfTerminalServers)
{
    bool aware = false;
    if (!ownTerminalServerMark(aware))
        GTEST_SKIP() << "only Windows programs carry the mark";
    EXPECT_TRUE(aware);
}

// What the program declares to Windows: UTF-8 as the code page of every narrow
// call (the program's own calls are wide), long paths, sharp drawing at every
// scale, the themed controls.
TEST(versionResource, manifestDeclaresUnicodeLongPathsAndScaling)
{
    std::string manifest;
    unsigned codePage = 0;
    if (!ownManifest(manifest, codePage))
        GTEST_SKIP() << "only Windows programs carry a manifest";
    for (const char* setting : {">UTF-8</activeCodePage>", ">true</longPathAware>", ">PerMonitorV2, PerMonitor<",
                                ">true/pm</dpiAware>", "Microsoft.Windows.Common-Controls", "level=\"asInvoker\""})
        EXPECT_NE(std::string::npos, manifest.find(setting)) << setting;
    EXPECT_EQ(65001u, codePage) << "the system takes the manifest's code page (Windows 10 1903 and later, Wine)";
}
