#pragma once
// Walking a folder tree in the order of wxDir::Traverse with the flags
// wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN: in each folder its sub-folders first,
// each walked completely (depth first), then its own files, each group in the
// order the system lists it; hidden entries included. Folders that cannot be
// opened contribute nothing.
//
// Unlike wxDir it lists each folder once and takes the kind of each entry from
// the listing itself instead of asking the file system about every name, which
// makes a scan of tens of thousands of day folders several times faster.
// Symbolic links are followed, but a link back into a folder being walked is not
// entered again.
//
// Only regular files (and links to them) are reported: a named pipe, socket or
// device may carry any name, and opening one can block or read endlessly.
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

// What a walk cost: how many folders it listed, and how many paths it asked
// the system about one by one.
struct walkCounts {
    std::uint64_t listings = 0;
    std::uint64_t lookups = 0;
};

// Calls onFile with the full path (folder path, separator, name) of every
// regular file. `counts`, when given, is added to.
void walkDirectory(const std::string& root, const std::function<void(const std::string& path)>& onFile,
                   walkCounts* counts = nullptr);

// --- A walk that remembers ---------------------------------------------------
//
// Listing a folder is what a walk spends its time on, the more so on a network
// share where each listing is a round trip. A folder's modification time moves
// whenever an entry is added, removed or renamed in it, so a listing kept from
// an earlier walk still holds while the time (and the rest of the stamp) is
// unchanged: the walk then looks at the folder alone, one call, and lists it
// only when it changed.

// What tells one state of a folder from another: its modification time, and
// what moves when that time is set back (the change time) or when another
// folder takes its name (the identity).
struct folderStamp {
    std::int64_t modifiedSeconds = 0;     // since 1970-01-01 UTC
    std::int64_t modifiedNanoseconds = 0; // within that second
    std::int64_t changed = 0;             // change time, in the system's own unit and epoch
    std::uint64_t volume = 0;
    std::uint64_t identity = 0; // inode, or the file index on Windows

    bool operator==(const folderStamp& other) const
    {
        return modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds &&
               changed == other.changed && volume == other.volume && identity == other.identity;
    }
    bool operator!=(const folderStamp& other) const { return !(*this == other); }
};

// An entry of a listing as far as the listing settles it. A link's target can
// change without its folder changing, so what a link leads to is looked up at
// every walk. `fileLink` and `folderLink` count only when they lead to a file or
// a folder (Windows marks which kind of link it is); `link` counts either way.
enum class entryKind : std::uint8_t { file = 0, folder = 1, link = 2, fileLink = 3, folderLink = 4 };

struct listedEntry {
    std::string name;
    entryKind kind = entryKind::file;
};

// A folder's listing and the stamp the folder had when it was taken.
struct folderRecord {
    folderStamp stamp;
    std::vector<listedEntry> entries; // in the order the system listed them
};

// Folder records by path relative to the root: "" for the root itself, names
// joined with '/' below it.
typedef std::unordered_map<std::string, folderRecord> walkMemory;

// How long after its modification time a listing must have been taken to be
// kept: a folder changed again within the same tick of its clock (two seconds
// on FAT) would show the same time with other entries.
constexpr std::int64_t settledSeconds = 2;

// Walks as walkDirectory does and reports the same files in the same order,
// but takes the listing of each folder whose stamp is the one in `known` from
// there. Files whose name `keepFile` refuses are neither reported nor kept
// (links are always kept: one may lead to a folder). `learned` receives the
// record of every folder walked whose listing can be trusted next time.
// Returns whether `learned` differs from `known` (and so is worth keeping).
bool walkDirectoryRemembering(const std::string& root, const std::function<void(const std::string& path)>& onFile,
                              const std::function<bool(const std::string& name)>& keepFile, const walkMemory& known,
                              walkMemory& learned, walkCounts* counts = nullptr);
