#include "support/systemSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A call the system has that failed: the test fails, and the caller's skip
// only ends it.
bool failed(const char* call, const std::string& path)
{
    ADD_FAILURE() << call << " " << path << ": " << std::strerror(errno);
    return false;
}
}

bool runningOnWindows()
{
    return false;
}

bool runningUnderWine()
{
    return false;
}

void useBerlinTime()
{
    useTimeZone("Europe/Berlin");
}

void useTimeZone(const char* rule)
{
    setenv("TZ", rule, 1);
    tzset();
}

bool modificationTimeOf(const std::string& path, std::int64_t& nanoseconds)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return failed("stat", path);
    nanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return true;
}

bool setModificationTime(const std::string& path, std::int64_t nanoseconds)
{
    std::int64_t seconds = nanoseconds / 1000000000, rest = nanoseconds % 1000000000;
    if (rest < 0) {
        --seconds;
        rest += 1000000000;
    }
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), static_cast<long>(rest)}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 || failed("utimensat", path);
}

bool makeSymlink(const std::string& target, const std::string& link)
{
    return symlink(target.c_str(), link.c_str()) == 0 || failed("symlink", link);
}

bool makeFifo(const std::string& path)
{
    return mkfifo(path.c_str(), 0600) == 0 || failed("mkfifo", path);
}

bool makeSocketFile(const std::string& path)
{
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        ADD_FAILURE() << "too long for a socket's name: " << path;
        return false;
    }
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    const int unixSocket = socket(AF_UNIX, SOCK_STREAM, 0);
    if (unixSocket < 0)
        return failed("socket", path);
    const bool bound = bind(unixSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ||
                       failed("bind", path);
    close(unixSocket); // the name stays in the folder
    return bound;
}

bool makeExecutable(const std::string& path)
{
    return chmod(path.c_str(), 0755) == 0 || failed("chmod", path);
}

bool makeReadOnly(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return failed("stat", path);
    return chmod(path.c_str(), info.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
           failed("chmod", path);
}

bool isReadOnly(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool makeWritable(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return failed("stat", path);
    return chmod(path.c_str(), info.st_mode | S_IWUSR) == 0 || failed("chmod", path);
}

bool writesReadOnlyFiles()
{
    return geteuid() == 0;
}

bool ownTerminalServerMark(bool&)
{
    return false;
}

bool ownManifest(std::string&, unsigned&)
{
    return false;
}

bool writeMachineRegistryValue(bool, const std::string&, const std::string&, const std::string&, bool)
{
    return false;
}

bool removeMachineRegistryKey(const std::string&)
{
    return false;
}

bool permissionBitsOf(const std::string& path, unsigned& bits)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return failed("stat", path);
    bits = info.st_mode & 0777u;
    return true;
}

unsigned newFilePermissionBits()
{
    const mode_t mask = umask(0); // the mask can only be read by setting it
    umask(mask);
    return 0666u & ~mask;
}

bool withUnwritableFolder(const std::string& folder, const std::function<void()>& work)
{
    if (geteuid() == 0)
        return false;
    struct stat info;
    if (stat(folder.c_str(), &info) != 0)
        return failed("stat", folder);
    if (chmod(folder.c_str(), info.st_mode & 0555) != 0)
        return failed("chmod", folder);
    work();
    // Writable again, so that the scratch folder can be removed.
    if (chmod(folder.c_str(), info.st_mode & 07777) != 0)
        failed("chmod", folder);
    return true;
}

bool withFileSizeLimit(std::uint64_t bytes, const std::function<void()>& work)
{
    struct rlimit saved;
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0)
        return failed("getrlimit", "RLIMIT_FSIZE");
    struct rlimit limited = saved;
    limited.rlim_cur = bytes;
    // A write beyond the limit then fails with EFBIG instead of ending the process.
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0) {
        std::signal(SIGXFSZ, previousHandler);
        return failed("setrlimit", "RLIMIT_FSIZE");
    }
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    return true;
}

std::string nativePath(std::string path)
{
    return path;
}

bool ownFileVersion(int[4])
{
    return false;
}

bool makeSymbolicLink(const std::string& target, const std::string& link)
{
    return symlink(target.c_str(), link.c_str()) == 0;
}

bool isSymbolicLink(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}
