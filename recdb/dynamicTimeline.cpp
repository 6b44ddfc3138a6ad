#include "recdb/dynamicTimeline.h"

#include <ctime>

#include <wx/filefn.h>

#include "platform/folderListing.h"

#include "recdb/catalog.h"
#include "recdb/catalogLoader.h"
#include "recdb/dirTimelineScanner.h"
#include "recdb/localCalendar.h"
#include "recdb/scanCache.h"
#include "recdb/timeValue.h"

bool dynamicTimeline::dayOfName(const std::string& text, std::size_t at, std::int64_t& dayNumber)
{
    if (text.size() < at + 8)
        return false;
    int digits[8];
    for (int i = 0; i < 8; ++i) {
        char c = text[at + i];
        if (c < '0' || c > '9')
            return false;
        digits[i] = c - '0';
    }
    civilDate date;
    date.year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    date.month = digits[4] * 10 + digits[5];
    date.day = digits[6] * 10 + digits[7];
    if (!isValidDate(date.year, date.month, date.day))
        return false;
    dayNumber = dayNumberOf(date);
    return true;
}

namespace {
// The day named by the folder that holds a catalog (see dayOfName).
bool dayOfFolder(const std::string& path, std::int64_t& dayNumber)
{
    const char* separators = wxFILE_SEP_PATH == '\\' ? "\\/" : "/";
    size_t fileStart = path.find_last_of(separators);
    if (fileStart == std::string::npos || fileStart == 0)
        return false;
    size_t folderStart = path.find_last_of(separators, fileStart - 1);
    folderStart = folderStart == std::string::npos ? 0 : folderStart + 1;
    return fileStart - folderStart >= 8 && dynamicTimeline::dayOfName(path, folderStart, dayNumber);
}
}

// Local midnights of the days seen so far in one scan: a long history has
// thousands of catalogs but each day's midnight (and the next one) is computed
// once.
double dynamicTimeline::midnight(midnightCache& midnights, std::int64_t day)
{
    auto found = midnights.find(day);
    if (found != midnights.end())
        return found->second;
    const double seconds = static_cast<double>(localMidnight(day));
    midnights.emplace(day, seconds);
    return seconds;
}

dynamicTimeline::dynamicTimeline(const std::string& directory_, const std::string& name_,
                                 const std::function<void()>& keepAlive, const catalogIndex* index,
                                 walkCounts* counts)
    : name(name_), directory(directory_)
{
    // Taken before the scan: a day folder made while it runs shows at the
    // first look for news.
    folderStamp before;
    lookAtPath(directory, before);
    watchedFolders[directory] = watchedFolder{before, static_cast<std::int64_t>(std::time(nullptr))};
    std::vector<std::string> paths;
    {
        dirTimelineScanner scanner(paths, keepAlive);
        scanCatalogFolders(
            directory_, index, [&scanner](const std::string& path) { scanner.acceptFile(path); }, counts);
    }
    entries.reserve(paths.size());
    midnightCache midnights;
    for (const std::string& path : paths)
        addCatalog(path, midnights);
}

void dynamicTimeline::addCatalog(const std::string& path, midnightCache& midnights)
{
    std::int64_t day;
    if (!dayOfFolder(path, day))
        return;
    // Up to the next day's midnight, so that the entry lasts 23, 24 or 25 hours.
    catalogEntry entry;
    entry.start = midnight(midnights, day);
    entry.end = midnight(midnights, day + 1);
    entry.path = path;
    if (entries.empty()) {
        start = entry.start;
        end = entry.end;
    } else {
        if (entry.start < start)
            start = entry.start;
        if (entry.end > end)
            end = entry.end;
    }
    entries.push_back(std::move(entry));
}

namespace {
void appendOverlapping(const catalogEntry& entry, double from, double to, recordingList& result)
{
    for (const recording& r : *entry.recordings) {
        double s = toSeconds(r.start);
        double e = toSeconds(r.end);
        if (to > s && from < e)
            result.push_back(&r);
    }
}
}

recordingList dynamicTimeline::getRecordings(double from, double to) const
{
    recordingList result;
    for (catalogEntry& entry : entries) {
        if (!(to > entry.start && from < entry.end))
            continue;
        loadCatalog(entry, loader ? loader->index() : nullptr);
        appendOverlapping(entry, from, to, result);
    }
    return result;
}

recordingList dynamicTimeline::getAvailableRecordings(double from, double to, std::vector<timeSpan>& pending) const
{
    if (!loader)
        return getRecordings(from, to);
    recordingList result;
    for (catalogEntry& entry : entries) {
        if (!(to > entry.start && from < entry.end))
            continue;
        if (entry.isLoaded()) {
            appendOverlapping(entry, from, to, result);
        } else {
            loader->request(entry);
            pending.push_back(timeSpan{entry.start, entry.end});
        }
    }
    return result;
}

bool dynamicTimeline::availableSummaries(double from, double to, std::vector<const daySummary*>& out,
                                         std::vector<timeSpan>& pending) const
{
    std::vector<catalogEntry*> ask;
    for (catalogEntry& entry : entries) {
        if (!(to > entry.start && from < entry.end))
            continue;
        // A day whose calls are read has its summary made at once (it is
        // small work); others are asked for, or made here without a loader.
        if (!entry.hasSummary() && (entry.isLoaded() || !loader))
            loadSummary(entry, loader ? loader->index() : nullptr);
        if (entry.hasSummary()) {
            out.push_back(entry.summary.get());
        } else {
            if (entry.summaryState.load(std::memory_order_relaxed) == catalogEntry::absent)
                ask.push_back(&entry);
            pending.push_back(timeSpan{entry.start, entry.end});
        }
    }
    if (!ask.empty())
        loader->requestSummaries(ask);
    return true;
}

void dynamicTimeline::unreadEntries(double from, double to, std::vector<catalogEntry*>& out) const
{
    for (catalogEntry& entry : entries)
        if (to > entry.start && from < entry.end && !entry.isLoaded())
            out.push_back(&entry);
}

void dynamicTimeline::unreadableCatalogs(double from, double to, std::vector<std::string>& out) const
{
    for (const catalogEntry& entry : entries)
        if (to > entry.start && from < entry.end && entry.isLoaded() && entry.unreadable)
            out.push_back(entry.path);
}
