#pragma once
// What the tests of orvista-cli change: the system facilities the copy uses (a
// full disk, a copy that raises a signal halfway), whether progress is drawn,
// which otherwise depends on stderr being a terminal, and where the catalog
// index is kept.
#include <string>

#include "export/copyEngine.h"

struct cliCopySetup {
    copySystem system;
    bool progress = false;
};

// The following runCli calls copy with `setup` (kept by address), until set
// back to nullptr: the real system, progress when stderr is a terminal.
void setCliCopySetup(const cliCopySetup* setup);

// The following runCli calls keep the catalog index in `folder` instead of the
// user's cache folder (which on Windows no environment variable moves), until
// set back to empty. Returns the folder set before.
std::string setCliIndexFolder(const std::string& folder);

// setCliIndexFolder for a scope.
class scopedCliIndexFolder {
public:
    explicit scopedCliIndexFolder(const std::string& folder) : previous(setCliIndexFolder(folder)) {}
    ~scopedCliIndexFolder() { setCliIndexFolder(previous); }
    scopedCliIndexFolder(const scopedCliIndexFolder&) = delete;
    scopedCliIndexFolder& operator=(const scopedCliIndexFolder&) = delete;

private:
    std::string previous;
};
