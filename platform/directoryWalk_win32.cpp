#include "directoryWalk.h"

#include <wx/dir.h>
#include <wx/log.h>

#include "platform/narrow.h"

namespace {
// On Windows the listing already carries each entry's attributes, so wxDir's
// own traversal is as fast as a walk of our own.
class forwardFiles : public wxDirTraverser {
public:
    explicit forwardFiles(const std::function<void(const std::string&)>& onFile_) : onFile(onFile_) {}
    wxDirTraverseResult OnFile(const wxString& path) override
    {
        onFile(toNarrow(path));
        return wxDIR_CONTINUE;
    }
    wxDirTraverseResult OnDir(const wxString&) override { return wxDIR_CONTINUE; }

private:
    const std::function<void(const std::string&)>& onFile;
};
}

void walkDirectory(const std::string& root, const std::function<void(const std::string& path)>& onFile)
{
    wxLogNull quiet;
    wxDir dir;
    if (!dir.Open(fromNarrow(root)))
        return;
    forwardFiles sink(onFile);
    dir.Traverse(sink, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
}
