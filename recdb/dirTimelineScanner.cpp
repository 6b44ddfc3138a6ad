#include "recdb/dirTimelineScanner.h"

#include "platform/narrow.h"

#include <utility>

#include <wx/filefn.h>

namespace {
// Only the name is looked at: extension "XML" in any case. As with wxFileName,
// a name that only starts with its dot (".xml") has no extension; on Windows
// the name may follow either separator.
bool isCatalogName(const std::string& path)
{
    size_t n = path.size();
    if (n < 5 || path[n - 4] != '.' || path[n - 5] == '/' || (wxFILE_SEP_PATH == '\\' && path[n - 5] == '\\'))
        return false;
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    return upper(path[n - 3]) == 'X' && upper(path[n - 2]) == 'M' && upper(path[n - 1]) == 'L';
}
}

dirTimelineScanner::dirTimelineScanner(std::vector<std::string>& paths_, const std::function<void()>& keepAlive_,
                                       clock now_)
    : paths(paths_), keepAlive(keepAlive_), now(std::move(now_)), lastKeepAlive(now())
{
}

wxDirTraverseResult dirTimelineScanner::OnFile(const wxString& path)
{
    acceptFile(toNarrow(path));
    return wxDIR_CONTINUE;
}

wxDirTraverseResult dirTimelineScanner::OnDir(const wxString&)
{
    return wxDIR_CONTINUE;
}

void dirTimelineScanner::acceptFile(const std::string& path)
{
    if (!isCatalogName(path))
        return;
    paths.push_back(path);

    // Keeping the windows painted costs about a millisecond a time; doing it for
    // every catalog would make a long scan mostly yielding.
    if (keepAlive && now() - lastKeepAlive >= keepAliveInterval) {
        keepAlive();
        lastKeepAlive = now();
    }
}
