// The days the logger is still writing: new catalogs and changed ones found
// while the program runs, without a Refresh.
#include <algorithm>
#include <unordered_set>

#include <wx/filefn.h>

#include "platform/fileStamp.h"
#include "platform/folderListing.h"
#include "recdb/catalog.h"
#include "recdb/catalogIndex.h"
#include "recdb/dirTimelineScanner.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/localCalendar.h"

namespace {
// The folder a path lies in; empty for a bare name.
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of(wxFILE_SEP_PATH == '\\' ? "\\/" : "/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Notes the folders a catalog lies in: its day's, and the one above.
void noteFoldersOf(const std::string& path, std::unordered_set<std::string>& folders)
{
    const std::string day = folderOf(path);
    folders.insert(day);
    folders.insert(folderOf(day));
}
}

double dynamicTimeline::presentFrom(std::int64_t now) const
{
    return static_cast<double>(localMidnight(localDayAt(now) - 1));
}

void dynamicTimeline::watchPresentDays(std::int64_t now)
{
    const double from = presentFrom(now);
    for (catalogEntry& entry : entries)
        entry.quiet = entry.end > from;
}

void dynamicTimeline::addNewCatalogs(const std::vector<std::string>& paths, std::int64_t now, news& found,
                                     const std::function<void()>& beforeChange)
{
    const double from = presentFrom(now);
    midnightCache midnights;
    for (const std::string& path : paths) {
        if (!knownPaths.insert(path).second)
            continue;
        noteFoldersOf(path, knownFolders);
        beforeChange(); // a new entry may move the others
        const std::size_t before = entries.size();
        addCatalog(path, midnights);
        if (entries.size() == before)
            continue; // not in a day folder
        entries.back().quiet = entries.back().end > from;
        found.changed = true;
    }
}

void dynamicTimeline::lookForNews(std::int64_t now, const catalogIndex* index, news& found,
                                  const std::function<void()>& beforeChange)
{
    const double from = presentFrom(now);
    const std::int64_t yesterday = localDayAt(now) - 1;
    if (knownPaths.empty())
        for (const catalogEntry& entry : entries) {
            knownPaths.insert(entry.path);
            noteFoldersOf(entry.path, knownFolders);
        }

    // The present days' folders are small: listed at every look. New folders
    // show in the folder that holds them, the line's own or one that holds
    // the present days' folders; such a folder is listed when it changed,
    // and a folder in it that is new is walked. A folder's time may be too
    // coarse to tell two changes a second or two apart: one that changed so
    // recently is listed at the next look too.
    std::vector<std::string> parents{directory}, dayFolders;
    auto watch = [](std::vector<std::string>& list, const std::string& folder) {
        if (std::find(list.begin(), list.end(), folder) == list.end())
            list.push_back(folder);
    };
    for (const catalogEntry& entry : entries)
        if (entry.end > from) {
            watch(dayFolders, folderOf(entry.path));
            watch(parents, folderOf(folderOf(entry.path)));
        }
    presentFolders.erase(std::remove_if(presentFolders.begin(), presentFolders.end(),
                                        [&](const std::pair<std::string, std::int64_t>& folder) {
                                            return folder.second < yesterday;
                                        }),
                         presentFolders.end());
    for (const auto& folder : presentFolders)
        watch(dayFolders, folder.first);

    std::vector<std::string> paths;
    const std::function<void()> noKeepAlive; // the scanner keeps it by reference
    dirTimelineScanner collect(paths, noKeepAlive);
    auto accept = [&collect](const std::string& path) { collect.acceptFile(path); };
    for (const std::string& parent : parents) {
        folderStamp stamp;
        lookAtPath(parent, stamp);
        auto seen = watchedFolders.find(parent);
        const bool same = seen != watchedFolders.end() && seen->second.stamp == stamp &&
                          stamp.modifiedSeconds < seen->second.lookedAt - 2;
        watchedFolders[parent] = watchedFolder{stamp, now};
        std::vector<listedEntry> listed;
        bool keepable = true;
        if (same || !listFolder(parent, listed, keepable))
            continue;
        for (const listedEntry& item : listed) {
            if (item.kind == entryKind::file || item.kind == entryKind::fileLink)
                continue;
            const std::string folder = joinPath(parent, item.name);
            if (!knownFolders.insert(folder).second)
                continue;
            walkDirectory(folder, accept);
            // A present day's folder made before its first catalog is
            // listed from now on.
            std::int64_t day;
            if (dayOfName(item.name, 0, day) && day >= yesterday)
                presentFolders.emplace_back(folder, day);
        }
    }
    for (const std::string& day : dayFolders)
        walkDirectory(day, accept);
    addNewCatalogs(paths, now, found, beforeChange);

    for (catalogEntry& entry : entries)
        if (entry.end > from)
            readAgain(entry, now, index, found, beforeChange);
}

void dynamicTimeline::readAgain(catalogEntry& entry, std::int64_t now, const catalogIndex* index, news& found,
                                const std::function<void()>& beforeChange)
{
    const bool haveCalls = entry.isLoaded(), haveSummary = entry.hasSummary();
    if (!haveCalls && !haveSummary)
        return; // read as it is then, when first needed
    fileStamp stamp;
    if (!fileStampOf(entry.path, stamp))
        return; // gone: Refresh tells
    liveCatalog& state = liveCatalogs[entry.path];
    const fileStamp& read = haveCalls ? entry.callsStamp : entry.summaryStamp;
    const bool broken = state.brokenSince != 0 || (haveCalls && entry.unreadable);
    if (stamp != read || (broken && state.brokenSince == 0)) {
        beforeChange(); // a worker may be reading the entry
        // What a worker read meanwhile is what is replaced.
        if (entry.isLoaded() != haveCalls || entry.hasSummary() != haveSummary)
            return readAgain(entry, now, index, found, beforeChange);
        std::vector<char> bytes;
        std::string error, packed;
        std::vector<recording> list;
        bool leansOnToday = false;
        if (readFileStamped(entry.path, bytes, stamp, error) &&
            readCatalog(bytes.data(), bytes.size(), list, error, index ? &packed : nullptr, &leansOnToday)) {
            std::unique_ptr<daySummary> summary(new daySummary(entry.start, entry.end, list));
            if (index) {
                index->store(entry.path, stamp, packed);
                if (!leansOnToday)
                    index->store(entry.path, stamp, summary->pack(), catalogIndex::kind::summary);
            }
            if (haveCalls) {
                retired.push_back(std::move(entry.recordings));
                entry.recordings.reset(new std::vector<recording>(std::move(list)));
                entry.callsStamp = stamp;
                entry.unreadable = false;
            }
            entry.summary = std::move(summary);
            entry.summaryStamp = stamp;
            entry.summaryState.store(catalogEntry::loaded, std::memory_order_release);
            state = liveCatalog();
            found.changed = true;
            return;
        }
        // Kept as it was; read again when it changes.
        if (haveCalls)
            entry.callsStamp = stamp;
        else
            entry.summaryStamp = stamp;
        if (state.brokenSince == 0) {
            state.brokenSince = now;
            state.reported = false;
        }
        state.reason = error;
    }
    if (state.brokenSince != 0 && !state.reported && now - state.brokenSince >= patience) {
        found.broken.push_back(catalogTrouble(entry.path, state.reason));
        state.reported = true;
    }
}
