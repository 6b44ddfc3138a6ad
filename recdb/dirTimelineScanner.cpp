#include "recdb/dirTimelineScanner.h"

#include <wx/filename.h>

#include "recdb/narrow.h"

dirTimelineScanner::dirTimelineScanner(std::vector<std::string>& paths_, const std::function<void()>& keepAlive_)
    : paths(paths_), keepAlive(keepAlive_), lastKeepAlive(std::chrono::steady_clock::now())
{
}

wxDirTraverseResult dirTimelineScanner::OnFile(const wxString& path)
{
    // Only the name is looked at: extension "XML" in any case.
    size_t dot = path.find_last_of(".");
    size_t slash = path.find_last_of(wxFileName::GetPathSeparators());
    if (dot == wxString::npos || (slash != wxString::npos && dot < slash) || path.length() - dot != 4 ||
        path.Mid(dot + 1).Upper() != "XML")
        return wxDIR_CONTINUE;
    paths.push_back(toNarrow(path));

    // Keeping the windows painted costs about a millisecond a time; doing it for
    // every catalog would make a long scan mostly yielding.
    if (keepAlive) {
        auto now = std::chrono::steady_clock::now();
        if (now - lastKeepAlive >= keepAliveInterval) {
            keepAlive();
            lastKeepAlive = std::chrono::steady_clock::now();
        }
    }
    return wxDIR_CONTINUE;
}

wxDirTraverseResult dirTimelineScanner::OnDir(const wxString&)
{
    return wxDIR_CONTINUE;
}
