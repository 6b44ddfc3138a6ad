#include "platform/fileStamp.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
fileStamp stampOf(const struct stat& info)
{
    fileStamp stamp;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changed = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    stamp.volume = static_cast<std::uint64_t>(info.st_dev);
    stamp.identity = static_cast<std::uint64_t>(info.st_ino);
    return stamp;
}
}

bool fileStampOf(const std::string& path, fileStamp& stamp)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    stamp = stampOf(info);
    return true;
}

bool readFileStamped(const std::string& path, std::vector<char>& bytes, fileStamp& stamp, std::string& error)
{
    // Non-blocking open: a fifo named like the file must not hang the reader.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        close(fd);
        return false;
    }
    stamp = stampOf(info);
    bytes.clear();
    // The size is a hint: a file that grows while it is read is read to its end.
    bytes.resize(static_cast<size_t>(info.st_size) + 1);
    size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() * 2);
        ssize_t n = read(fd, bytes.data() + used, bytes.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = std::strerror(errno);
            close(fd);
            return false;
        }
        if (n == 0)
            break;
        used += static_cast<size_t>(n);
    }
    close(fd);
    bytes.resize(used);
    return true;
}
