// The Windows folder and the room on a volume, as the system itself tells them.
#include <gtest/gtest.h>

#include <filesystem>

#include <wx/filefn.h>

#include "platform/diskSpace.h"
#include "platform/windowsDirectory.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

TEST(windowsDirectory, isTheSystemsFolderOnWindowsElseWhatWindirSays)
{
    scratchDir dir;
    {
        scopedEnv windir("WINDIR", wxString::FromUTF8(dir.path()));
        const std::string folder = windowsDirectory();
        if (!runningOnWindows()) {
            EXPECT_EQ(dir.path(), folder);
        } else {
            // Windows' own, whatever the environment says (where a bare file
            // name goes is checked with the profile functions).
            EXPECT_NE(dir.path(), folder);
            ASSERT_GE(folder.size(), 3u);
            EXPECT_EQ(":\\", folder.substr(1, 2)) << folder;
            EXPECT_NE('\\', folder.back()) << folder;
            EXPECT_TRUE(wxDirExists(wxString::FromUTF8(folder))) << folder;
        }
    }
    if (!runningOnWindows()) {
        scopedEnv noWindir = scopedEnv::unset("WINDIR");
        EXPECT_EQ("/etc", windowsDirectory());
    }
}

TEST(measureVolume, aFolderOrAFileNamesItsVolume)
{
    scratchDir dir;
    volumeSpace folder, file;
    wxString error;
    ASSERT_TRUE(measureVolume(wxString::FromUTF8(dir.path()), folder, error)) << error;
    EXPECT_GT(folder.capacity, 0u);
    EXPECT_LE(folder.available, folder.capacity);
    // The standard library asks the same of the system.
    EXPECT_EQ(std::filesystem::space(dir.path()).capacity, folder.capacity);

    ASSERT_TRUE(measureVolume(wxString::FromUTF8(dir.write("file.txt", "x")), file, error)) << error;
    EXPECT_EQ(folder.capacity, file.capacity);

    error.clear();
    EXPECT_FALSE(measureVolume(wxString::FromUTF8(dir.at("missing/deeper")), file, error));
    EXPECT_FALSE(error.empty());
}
