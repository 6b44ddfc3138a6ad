#pragma once
// What tells one state of a file from another without reading it: its size,
// its modification and change times and its identity on the volume. A file
// rewritten in place changes its times; one replaced by a rename changes its
// identity; restoring the modification time still changes the change time.
#include <cstdint>
#include <string>
#include <vector>

struct fileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds (or the system's unit) since an epoch
    std::int64_t changed = 0;  // the same for the last change of the file's data or attributes
    std::uint64_t volume = 0;
    std::uint64_t identity = 0; // inode, or the file index on Windows

    bool operator==(const fileStamp& other) const
    {
        return size == other.size && modified == other.modified && changed == other.changed &&
               volume == other.volume && identity == other.identity;
    }
    bool operator!=(const fileStamp& other) const { return !(*this == other); }
};

// The stamp of a regular file; false when there is no such file.
bool fileStampOf(const std::string& path, fileStamp& stamp);

// Reads a whole regular file and the stamp it had when it was opened (taken
// before the read, so that a file changed meanwhile is read again next time).
// False when it cannot be opened or read; `error` then says why.
bool readFileStamped(const std::string& path, std::vector<char>& bytes, fileStamp& stamp, std::string& error);
