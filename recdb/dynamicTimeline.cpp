#include "recdb/dynamicTimeline.h"

#include <wx/filename.h>
#include <wx/log.h>

#include "recdb/catalog.h"
#include "recdb/dirTimelineScanner.h"
#include "recdb/narrow.h"
#include "recdb/timeValue.h"

std::string recording::getProperty(const std::string& key) const
{
    auto found = properties.find(key);
    return found == properties.end() ? std::string() : found->second;
}

dynamicTimeline::dynamicTimeline(const std::string& directory, const std::string& name_,
                                 const std::function<void()>& keepAlive)
    : name(name_)
{
    std::vector<std::string> paths;
    {
        dirTimelineScanner scanner(paths, keepAlive);
        wxDir dir;
        wxLogNull quiet; // a folder that cannot be opened simply contributes nothing
        if (dir.Open(fromNarrow(directory)))
            dir.Traverse(scanner, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    }
    entries.reserve(paths.size());
    for (const std::string& path : paths)
        addCatalog(path);
}

void dynamicTimeline::addCatalog(const std::string& path)
{
    // The folder that holds the catalog names its day; what follows the eight
    // digits (as in 20240115_old) does not matter.
    wxFileName file(fromNarrow(path));
    const wxArrayString& dirs = file.GetDirs();
    if (dirs.empty())
        return;
    const wxString& folder = dirs.Last();
    wxDateTime day;
    wxString::const_iterator parsedEnd;
    if (!day.ParseFormat(folder, "%Y%m%d", wxDefaultDateTime, &parsedEnd) || !day.IsValid())
        return;
    day.ResetTime();

    catalogEntry entry;
    entry.start = toSeconds(day);
    entry.end = toSeconds(day + wxDateSpan::Day());
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
