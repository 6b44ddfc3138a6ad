#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "platform/directoryWalk.h"
#include "support/testSupport.h"

namespace {
std::vector<std::string> walked(const std::string& root)
{
    std::vector<std::string> files;
    walkDirectory(root, [&](const std::string& path) { files.push_back(path.substr(root.size())); });
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
    ASSERT_EQ(0, symlink(dir.at("elsewhere").c_str(), dir.at("root/linked").c_str()));
    ASSERT_EQ(0, symlink(dir.at("root").c_str(), dir.at("root/day/loop").c_str()));
    ASSERT_EQ(0, symlink(dir.at("nowhere").c_str(), dir.at("root/dangling").c_str()));
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
    ASSERT_EQ(0, mkfifo(dir.at("root/day/pipe.xml").c_str(), 0600));
    ASSERT_EQ(0, symlink(dir.at("root/day/plain.xml").c_str(), dir.at("root/day/linkToFile.xml").c_str()));
    ASSERT_EQ(0, symlink(dir.at("root/day/pipe.xml").c_str(), dir.at("root/day/linkToPipe.xml").c_str()));
    ASSERT_EQ(0, symlink("/dev/null", dir.at("root/day/linkToDevice.xml").c_str()));

    int unixSocket = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(unixSocket, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.at("root/day/socket.xml");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    EXPECT_EQ(0, bind(unixSocket, reinterpret_cast<sockaddr*>(&address), sizeof address));
    close(unixSocket);

    std::vector<std::string> files = walked(dir.at("root"));
    std::sort(files.begin(), files.end());
    EXPECT_EQ((std::vector<std::string>{"/day/linkToFile.xml", "/day/plain.xml"}), files);
}
