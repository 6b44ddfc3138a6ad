#include "platform/directoryWalk.h"

#include <algorithm>
#include <chrono>

#include "platform/folderListing.h"

namespace {
// The wall clock as the file system's times count: seconds since 1970 and the
// nanoseconds within the second.
struct instant {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
};

instant now()
{
    using namespace std::chrono;
    const std::int64_t total = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
    instant at;
    at.seconds = total / 1000000000;
    at.nanoseconds = total % 1000000000;
    if (at.nanoseconds < 0) {
        --at.seconds;
        at.nanoseconds += 1000000000;
    }
    return at;
}

// Whether a listing taken at `listed` can be trusted for as long as the
// folder keeps `stamp`: a change after the listing would have moved the time.
bool settled(const folderStamp& stamp, const instant& listed)
{
    const std::int64_t limit = listed.seconds - settledSeconds;
    if (stamp.modifiedSeconds != limit)
        return stamp.modifiedSeconds < limit;
    return stamp.modifiedNanoseconds <= listed.nanoseconds;
}

struct walker {
    walker(const std::function<void(const std::string&)>& onFile_,
           const std::function<bool(const std::string&)>& keepFile_, const walkMemory& known_, walkMemory& learned_,
           walkCounts& counts_)
        : onFile(onFile_), keepFile(keepFile_), known(known_), learned(learned_), counts(counts_)
    {
    }

    const std::function<void(const std::string&)>& onFile;
    const std::function<bool(const std::string&)>& keepFile;
    const walkMemory& known;
    walkMemory& learned;
    walkCounts& counts;
    const bool everyFolder = checksEveryFolderForLoops();
    bool freshKept = false;
    std::vector<folderStamp> open; // the folders being walked, the root first

    bool isOpen(const folderStamp& stamp) const
    {
        return std::any_of(open.begin(), open.end(), [&](const folderStamp& folder) {
            return folder.volume == stamp.volume && folder.identity == stamp.identity;
        });
    }

    void walk(const std::string& relative, const std::string& path, const folderStamp& stamp);
};

void walker::walk(const std::string& relative, const std::string& path, const folderStamp& stamp)
{
    const folderRecord* record = nullptr;
    const auto found = known.find(relative);
    if (found != known.end() && found->second.stamp == stamp)
        record = &found->second;
    std::vector<listedEntry> listed;
    if (record) {
        learned.emplace(relative, *record);
    } else {
        // The clock is read first: a change while the folder is listed then
        // lies after it, and the listing is not kept.
        const instant listing = now();
        bool keepable = true;
        if (!listFolder(path, listed, keepable))
            return;
        ++counts.listings;
        listed.erase(std::remove_if(listed.begin(), listed.end(),
                                    [&](const listedEntry& entry) {
                                        return entry.kind == entryKind::file && !keepFile(entry.name);
                                    }),
                     listed.end());
        if (keepable && settled(stamp, listing)) {
            learned[relative] = folderRecord{stamp, listed};
            freshKept = true;
        }
    }
    const std::vector<listedEntry>& entries = record ? record->entries : listed;

    struct subFolder {
        const listedEntry* entry;
        folderStamp stamp;
    };
    std::vector<subFolder> folders;
    std::vector<const std::string*> files;
    for (const listedEntry& entry : entries) {
        if (entry.kind == entryKind::file) {
            files.push_back(&entry.name);
            continue;
        }
        folderStamp target;
        ++counts.lookups;
        const pathKind kind = lookAtPath(joinPath(path, entry.name), target);
        if (kind == pathKind::folder && entry.kind != entryKind::fileLink)
            folders.push_back(subFolder{&entry, target});
        else if (kind == pathKind::file && (entry.kind == entryKind::link || entry.kind == entryKind::fileLink) &&
                 keepFile(entry.name))
            files.push_back(&entry.name);
    }
    for (const subFolder& folder : folders) {
        if ((everyFolder || folder.entry->kind != entryKind::folder) && isOpen(folder.stamp))
            continue; // back into a folder being walked
        open.push_back(folder.stamp);
        walk(relative.empty() ? folder.entry->name : relative + '/' + folder.entry->name,
             joinPath(path, folder.entry->name), folder.stamp);
        open.pop_back();
    }
    for (const std::string* name : files)
        onFile(joinPath(path, *name));
}
}

bool walkDirectoryRemembering(const std::string& root, const std::function<void(const std::string& path)>& onFile,
                              const std::function<bool(const std::string& name)>& keepFile, const walkMemory& known,
                              walkMemory& learned, walkCounts* counts)
{
    walkCounts ignored;
    walker w(onFile, keepFile, known, learned, counts ? *counts : ignored);
    learned.clear();
    folderStamp stamp;
    ++w.counts.lookups;
    if (lookAtPath(root, stamp) != pathKind::folder)
        return !known.empty();
    w.open.push_back(stamp);
    w.walk(std::string(), root, stamp);
    return w.freshKept || learned.size() != known.size();
}
