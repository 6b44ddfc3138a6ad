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
// the same files in the same order at a fraction of the cost, and leaves out
// what is no regular file (wxDir would pass on a named pipe called "x.xml",
// which would block the first read of its catalog).
class dirTimelineScanner : public wxDirTraverser {
public:
    using clock = std::function<std::chrono::steady_clock::time_point()>;

    // `keepAlive` is kept by reference and must outlive the scanner. `now` tells
    // the time for the keep-alive's rate (tests pass a clock of their own).
    dirTimelineScanner(std::vector<std::string>& paths, const std::function<void()>& keepAlive,
                       clock now = steadyNow);

    wxDirTraverseResult OnFile(const wxString& path) override;
    wxDirTraverseResult OnDir(const wxString& path) override;

    // OnFile for a path that is already a narrow string.
    void acceptFile(const std::string& path);

    // How long the scan waits between two calls of keepAlive.
    static constexpr std::chrono::milliseconds keepAliveInterval{50};

private:
    static std::chrono::steady_clock::time_point steadyNow() { return std::chrono::steady_clock::now(); }

    std::vector<std::string>& paths;
    const std::function<void()>& keepAlive;
    clock now;
    std::chrono::steady_clock::time_point lastKeepAlive;
};
