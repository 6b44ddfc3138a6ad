#include "platform/fileCopy.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const std::size_t chunkSize = 8 << 20;

wxString systemError()
{
    return wxString::FromUTF8(std::strerror(errno));
}

// Closes a descriptor when the copy leaves, however it leaves.
struct descriptor {
    int fd;
    ~descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

// copy_file_range lets the kernel move the bytes (or share extents) without
// passing them through this process; where it is not supported between these
// two files, plain reads and writes do the same.
ssize_t copyChunk(int in, int out, std::vector<char>& buffer, bool& kernelCopy)
{
    if (kernelCopy) {
        ssize_t n = copy_file_range(in, nullptr, out, nullptr, chunkSize, 0);
        if (n >= 0 || (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP))
            return n;
        kernelCopy = false;
    }
    if (buffer.empty())
        buffer.resize(1 << 20);
    ssize_t total = 0;
    while (static_cast<std::size_t>(total) < chunkSize) {
        ssize_t n = read(in, buffer.data(), buffer.size());
        if (n <= 0)
            return total > 0 ? total : n;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0)
                return -1;
            done += w;
        }
        total += n;
    }
    return total;
}
}

copyOutcome copyFileContents(const wxString& source, const wxString& target,
                             const std::function<bool(std::uint64_t copied)>& progress, wxString& error)
{
    // Opening a named pipe waits for a writer, for ever and deaf to signals
    // (a device may do worse): the source is opened without waiting and must
    // be an ordinary file before anything is read.
    descriptor in{open(source.fn_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    if (in.fd < 0) {
        error = systemError();
        return copyOutcome::failed;
    }
    struct stat info;
    if (fstat(in.fd, &info) != 0) {
        error = systemError();
        return copyOutcome::failed;
    }
    if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not an ordinary file";
        return copyOutcome::failed;
    }
    fcntl(in.fd, F_SETFL, fcntl(in.fd, F_GETFL) & ~O_NONBLOCK);
    // No O_TRUNC: ext4 flushes a file truncated on open when it is closed (its
    // guard for programs that rewrite files in place), which makes stopping a
    // large copy, and deleting its remains, take much longer. A target that is
    // not empty is cut to nothing explicitly instead.
    descriptor out{open(target.fn_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644)};
    struct stat existing;
    if (out.fd < 0 || fstat(out.fd, &existing) != 0 || (existing.st_size > 0 && ftruncate(out.fd, 0) != 0)) {
        error = systemError();
        return copyOutcome::failed;
    }
    std::vector<char> buffer;
    bool kernelCopy = true;
    std::uint64_t copied = 0;
    for (;;) {
        ssize_t n = copyChunk(in.fd, out.fd, buffer, kernelCopy);
        if (n < 0) {
            error = systemError();
            return copyOutcome::failed;
        }
        if (n == 0)
            break;
        copied += static_cast<std::uint64_t>(n);
        if (!progress(copied))
            return copyOutcome::stopped;
    }
    if (close(out.fd) != 0) {
        out.fd = -1;
        error = systemError();
        return copyOutcome::failed;
    }
    out.fd = -1;
    return copyOutcome::copied;
}

wxString makeUniqueFolder(const wxString& prefix)
{
    std::string pattern(prefix.fn_str());
    pattern += "XXXXXX";
    if (!mkdtemp(&pattern[0]))
        return wxString();
    return wxString(pattern.c_str(), *wxConvFileName);
}
