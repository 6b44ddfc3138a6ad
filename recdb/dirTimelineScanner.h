#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <wx/dir.h>

// Collects the catalog files (extension XML in any case) of a folder tree in
// the traversal's order: each folder's sub-folders first, depth first, then its
// own files. It is a wxDirTraverser, so it works with wxDir::Traverse; the
// timelines feed it from walkDirectory (platform/directoryWalk.h), which visits
// the same files in the same order at a fraction of the cost.
class dirTimelineScanner : public wxDirTraverser {
public:
    dirTimelineScanner(std::vector<std::string>& paths, const std::function<void()>& keepAlive);

    wxDirTraverseResult OnFile(const wxString& path) override;
    wxDirTraverseResult OnDir(const wxString& path) override;

    // OnFile for a path that is already a narrow string.
    void acceptFile(const std::string& path);

    // How long the scan waits between two calls of keepAlive.
    static constexpr std::chrono::milliseconds keepAliveInterval{50};

private:
    std::vector<std::string>& paths;
    const std::function<void()>& keepAlive;
    std::chrono::steady_clock::time_point lastKeepAlive;
};
