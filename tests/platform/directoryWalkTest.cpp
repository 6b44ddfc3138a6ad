#include <gtest/gtest.h>

#include <algorithm>

#include "platform/directoryWalk.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

namespace {
std::vector<std::string> walked(const std::string& root)
{
    std::vector<std::string> files;
    walkDirectory(root, [&](const std::string& path) {
        std::string relative = path.substr(root.size());
        std::replace(relative.begin(), relative.end(), '\\', '/'); // Windows' separator
        files.push_back(relative);
    });
    return files;
}
}

TEST(directoryWalk, subFoldersFirstDepthFirstThenOwnFiles)
{
    scratchDir dir;
    dir.write("root/a.txt", "");
    dir.write("root/sub/b.txt", "");
    dir.write("root/sub/deeper/c.txt", "");
    dir.write("root/.hidden/d.txt", "");
    std::vector<std::string> files = walked(dir.at("root"));
    ASSERT_EQ(4u, files.size());
    EXPECT_EQ("/a.txt", files.back()) << "a folder's own files come after its sub-folders";
    auto at = [&](const char* name) { return std::find(files.begin(), files.end(), name) - files.begin(); };
    EXPECT_LT(at("/sub/deeper/c.txt"), at("/sub/b.txt"));
    EXPECT_LT(at("/.hidden/d.txt"), at("/a.txt"));
}

TEST(directoryWalk, linksAreFollowedButLoopsAndDanglingLinksAreNot)
{
    scratchDir dir;
    dir.write("root/day/c.xml", "");
    dir.write("elsewhere/e.xml", "");
    if (!makeSymlink(dir.at("elsewhere"), dir.at("root/linked")) ||
        !makeSymlink(dir.at("root"), dir.at("root/day/loop")) ||
        !makeSymlink(dir.at("nowhere"), dir.at("root/dangling")))
        GTEST_SKIP() << "no symbolic links here: Windows lets only some users make them, Wine makes none";
    std::vector<std::string> files = walked(dir.at("root"));
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<std::string>{"/day/c.xml", "/linked/e.xml"}), files);
}

TEST(directoryWalk, missingOrPlainFileRootGivesNothing)
{
    scratchDir dir;
    EXPECT_TRUE(walked(dir.at("missing")).empty());
    EXPECT_TRUE(walked(dir.write("file", "x")).empty());
}

// Anything may be called like a catalog; only regular files, directly or through
// a link, are files. (Listing never opens an entry, so this cannot hang.)
TEST(directoryWalk, onlyRegularFilesAreReported)
{
    scratchDir dir;
    dir.write("root/day/plain.xml", "");
    if (!makeFifo(dir.at("root/day/pipe.xml")))
        GTEST_SKIP() << "Windows has no named pipes in the file system";
    ASSERT_TRUE(makeSymlink(dir.at("root/day/plain.xml"), dir.at("root/day/linkToFile.xml")));
    ASSERT_TRUE(makeSymlink(dir.at("root/day/pipe.xml"), dir.at("root/day/linkToPipe.xml")));
    ASSERT_TRUE(makeSymlink("/dev/null", dir.at("root/day/linkToDevice.xml")));
    ASSERT_TRUE(makeSocketFile(dir.at("root/day/socket.xml")));

    std::vector<std::string> files = walked(dir.at("root"));
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<std::string>{"/day/linkToFile.xml", "/day/plain.xml"}), files);
}
