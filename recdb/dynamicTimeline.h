#pragma once
#include <cstdint>
#include <functional>
#include <unordered_map>

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

private:
    typedef std::unordered_map<std::int64_t, double> midnightCache; // day number -> seconds
    void addCatalog(const std::string& path, midnightCache& midnights);
    static double midnight(midnightCache& midnights, std::int64_t day);

    double start = 0;
    double end = 0;
    std::string name;
    // Loaded recordings are a cache: filled by the const getRecordings.
    mutable std::vector<catalogEntry> entries;
    catalogLoader* loader = nullptr;
};
