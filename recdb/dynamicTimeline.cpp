#include "recdb/dynamicTimeline.h"

#include <wx/filefn.h>

#include "platform/directoryWalk.h"
#include "recdb/catalog.h"
#include "recdb/dirTimelineScanner.h"
#include "recdb/timeValue.h"

std::string recording::getProperty(const std::string& key) const
{
    auto found = properties.find(key);
    return found == properties.end() ? std::string() : found->second;
}

namespace {
// The day named by the folder that holds a catalog: "%Y%m%d" at the start of
// its name (four-digit year, two-digit month and day; what follows, as in
// 20240115_old, does not matter). Returns false for a name that is no real date.
bool dayOfFolder(const std::string& path, int& year, int& month, int& day)
{
    const char* separators = wxFILE_SEP_PATH == '\\' ? "\\/" : "/";
    size_t fileStart = path.find_last_of(separators);
    if (fileStart == std::string::npos || fileStart == 0)
        return false;
    size_t folderStart = path.find_last_of(separators, fileStart - 1);
    folderStart = folderStart == std::string::npos ? 0 : folderStart + 1;
    if (fileStart - folderStart < 8)
        return false;
    int digits[8];
    for (int i = 0; i < 8; ++i) {
        char c = path[folderStart + i];
        if (c < '0' || c > '9')
            return false;
        digits[i] = c - '0';
    }
    year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    month = digits[4] * 10 + digits[5];
    day = digits[6] * 10 + digits[7];
    return month >= 1 && month <= 12 && day >= 1 &&
           day <= wxDateTime::GetNumberOfDays(static_cast<wxDateTime::Month>(month - 1), year);
}
}

// Local midnights of the days seen so far in one scan: a long history has
// thousands of catalogs but each day's midnight (and the next one) is computed once.
double dynamicTimeline::midnight(midnightCache& midnights, int year, int month, int day)
{
    int key = (year * 100 + month) * 100 + day;
    auto found = midnights.find(key);
    if (found != midnights.end())
        return found->second;
    wxDateTime date(static_cast<wxDateTime::wxDateTime_t>(day), static_cast<wxDateTime::Month>(month - 1), year);
    double seconds = toSeconds(date);
    midnights.emplace(key, seconds);
    return seconds;
}

dynamicTimeline::dynamicTimeline(const std::string& directory, const std::string& name_,
                                 const std::function<void()>& keepAlive)
    : name(name_)
{
    std::vector<std::string> paths;
    {
        dirTimelineScanner scanner(paths, keepAlive);
        walkDirectory(directory, [&scanner](const std::string& path) { scanner.acceptFile(path); });
    }
    entries.reserve(paths.size());
    midnightCache midnights;
    for (const std::string& path : paths)
        addCatalog(path, midnights);
}

void dynamicTimeline::addCatalog(const std::string& path, midnightCache& midnights)
{
    int year, month, day;
    if (!dayOfFolder(path, year, month, day))
        return;
    // The next calendar day, so that the entry lasts 23, 24 or 25 hours.
    int nextYear = year, nextMonth = month, nextDay = day + 1;
    if (nextDay > wxDateTime::GetNumberOfDays(static_cast<wxDateTime::Month>(month - 1), year)) {
        nextDay = 1;
        if (++nextMonth > 12) {
            nextMonth = 1;
            ++nextYear;
        }
    }

    catalogEntry entry;
    entry.start = midnight(midnights, year, month, day);
    entry.end = midnight(midnights, nextYear, nextMonth, nextDay);
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

recordingList dynamicTimeline::getRecordings(double from, double to) const
{
    recordingList result;
    for (catalogEntry& entry : entries) {
        if (!(to > entry.start && from < entry.end))
            continue;
        loadCatalog(entry);
        for (const recording& r : *entry.recordings) {
            double s = toSeconds(r.start);
            double e = toSeconds(r.end);
            if (to > s && from < e)
                result.push_back(&r);
        }
    }
    return result;
}
