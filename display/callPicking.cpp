#include "display/callPicking.h"

#include "platform/narrow.h"
#include "recdb/callListing.h"
#include "recdb/timeValue.h"

const recording* callAt(const recordingList& found, const vTimelineDisplayState& s, int width, int x)
{
    const double t = columnToTime(x, s.viewBegin, s.viewEnd, width);
    const recording* best = nullptr;
    bool bestContains = false;
    double bestDistance = 0, bestLength = 0;
    for (const recording* r : found) {
        const double b = toSeconds(r->start), e = toSeconds(r->end);
        // The columns exactly as the row paints the box.
        const int x0 = timeToColumn(b, s.viewBegin, s.viewEnd, width);
        const int x1 = timeToColumn(e, s.viewBegin, s.viewEnd, width);
        if (x < x0 || x >= (x1 == x0 ? x0 + 1 : x1))
            continue;
        const bool contains = b <= t && t < e;
        const double distance = contains ? 0 : (t < b ? b - t : t - e);
        const double length = e - b;
        bool better;
        if (!best)
            better = true;
        else if (contains != bestContains)
            better = contains;
        else if (distance != bestDistance)
            better = distance < bestDistance;
        else
            better = length > bestLength;
        if (better) {
            best = r;
            bestContains = contains;
            bestDistance = distance;
            bestLength = length;
        }
    }
    return best;
}

namespace {
wxString localTime(const wxDateTime& when)
{
    // A damaged catalog can leave a time unset; Format would assert on it.
    return when.IsValid() ? when.Format("%Y-%m-%d %H:%M:%S") : wxString("?");
}

// Catalogs written on Windows name files with backslashes: either separator
// ends the folder. (Neither byte occurs inside a multi-byte UTF-8 character.)
std::string withoutFolder(const std::string& path)
{
    const std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}

wxString callDetails(const std::string& lineName, const recording& r)
{
    wxString text = "Line: " + fromNarrow(lineName);
    text += "\nStart: " + localTime(r.start);
    text += "\nEnd: " + localTime(r.end);
    if (r.start.IsValid() && r.end.IsValid())
        text += "\nLength: " + lengthText(toSeconds(r.end) - toSeconds(r.start));
    const std::string label = r.label();
    if (!label.empty())
        text += "\nLabel: " + fromNarrow(label);
    const std::string file = withoutFolder(r.fileName());
    if (!file.empty())
        text += "\nFile: " + fromNarrow(file);
    return text;
}
