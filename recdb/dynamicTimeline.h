#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "platform/directoryWalk.h"

#include "recdb/timeline.h"

class catalogIndex;
class catalogLoader;
struct walkCounts;

// A timeline built by scanning a channel's recording folder for day catalogs.
// Catalogs are read lazily, the first time an interval overlaps their day.
class dynamicTimeline : public timeline {
public:
    // Scans `directory` at once. `keepAlive`, when given, is called now and then
    // during a long scan (at most every 50 ms, when a catalog was just found) so
    // that the caller can keep its windows painted. With an `index`, the folders
    // unchanged since the last scan are not listed again: their entries come
    // from the index's folder (recdb/scanCache.h), and the timeline is the same.
    // `counts`, when given, is added what the scan cost.
    dynamicTimeline(const std::string& directory, const std::string& name,
                    const std::function<void()>& keepAlive = std::function<void()>(),
                    const catalogIndex* index = nullptr, walkCounts* counts = nullptr);

    double getStart() const override { return start; }
    double getEnd() const override { return end; }
    bool isEmpty() const override { return entries.empty(); }
    std::string getName() const override { return name; }
    recordingList getRecordings(double from, double to) const override;
    recordingList getAvailableRecordings(double from, double to, std::vector<timeSpan>& pending) const override;
    bool availableSummaries(double from, double to, std::vector<const daySummary*>& out,
                            std::vector<timeSpan>& pending) const override;
    void unreadEntries(double from, double to, std::vector<catalogEntry*>& out) const override;
    void unreadableCatalogs(double from, double to, std::vector<std::string>& out) const override;

    // Where getAvailableRecordings asks for the days it lacks; without one it
    // reads them at once, as getRecordings does. Every read of this timeline's
    // catalogs uses the loader's index (none without a loader). The loader must
    // be stopped before the timeline goes.
    void setLoader(catalogLoader* loader_) { loader = loader_; }

    // For tests and tools: the entries as scanned.
    const std::vector<catalogEntry>& catalogEntries() const { return entries; }

    // ---- The present days, while the logger writes them.
    //
    // What a look for news found.
    struct news {
        bool changed = false;             // calls came, went or changed: the rows are drawn again
        std::vector<wxString> broken;     // catalogs broken for `patience` seconds, once each, worded
    };
    // How long a catalog may stay broken before it is reported: the logger
    // writes a catalog whole in far less.
    static constexpr std::int64_t patience = 60;
    // Catalogs of days that end after yesterday began (local time, at `now`)
    // are the present days': their trouble is not reported when they are
    // read, and lookForNews reads them again. Call before they are read.
    void watchPresentDays(std::int64_t now);
    // Looks for what the logger wrote since the last look: catalogs that are
    // new (in a new day folder too, as after midnight) become entries, and
    // those of the present days that changed are read again where their calls
    // or summary were read, and replace them. The calls they replace are kept
    // while the timeline lives, as callers may hold them. A catalog that does
    // not read well keeps what it had, is read again when it changes, and is
    // reported once it has stayed broken for `patience` seconds. The look
    // itself may run beside the loader's workers; before it changes anything
    // it calls `beforeChange`, which must stop them. No search may run.
    void lookForNews(std::int64_t now, const catalogIndex* index, news& found,
                     const std::function<void()>& beforeChange);

    // The day a day folder's name begins with at `at`: "%Y%m%d" (four-digit
    // year, two-digit month and day; what follows, as in 20240115_old, does
    // not matter). False for a name that is no real date.
    static bool dayOfName(const std::string& text, std::size_t at, std::int64_t& dayNumber);

private:
    // What lookForNews keeps between looks.
    struct liveCatalog {
        std::int64_t brokenSince = 0; // 0 while it reads well
        bool reported = false;
        std::string reason;
    };
    struct watchedFolder {
        folderStamp stamp;
        std::int64_t lookedAt = 0;
    };
    double presentFrom(std::int64_t now) const;
    void addNewCatalogs(const std::vector<std::string>& paths, std::int64_t now, news& found,
                        const std::function<void()>& beforeChange);
    void readAgain(catalogEntry& entry, std::int64_t now, const catalogIndex* index, news& found,
                   const std::function<void()>& beforeChange);

    typedef std::unordered_map<std::int64_t, double> midnightCache; // day number -> seconds
    void addCatalog(const std::string& path, midnightCache& midnights);
    static double midnight(midnightCache& midnights, std::int64_t day);

    double start = 0;
    double end = 0;
    std::string name;
    // Loaded recordings are a cache: filled by the const getRecordings.
    mutable std::vector<catalogEntry> entries;
    catalogLoader* loader = nullptr;

    std::string directory;
    std::unordered_set<std::string> knownPaths;   // filled at the first look
    std::unordered_set<std::string> knownFolders; // those of the catalogs, and the folders they lie in
    std::vector<std::pair<std::string, std::int64_t>> presentFolders; // new folders named for a present day, and it
    std::map<std::string, watchedFolder> watchedFolders;
    std::map<std::string, liveCatalog> liveCatalogs; // by path
    std::vector<std::unique_ptr<std::vector<recording>>> retired;
};
