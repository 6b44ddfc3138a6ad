#pragma once
// What the tests of `orvista-cli copy` change: the system facilities the copy
// uses (a full disk, a copy that raises a signal halfway) and whether progress
// is drawn, which otherwise depends on stderr being a terminal.
#include "export/copyEngine.h"

struct cliCopySetup {
    copySystem system;
    bool progress = false;
};

// The following runCli calls copy with `setup` (kept by address), until set
// back to nullptr: the real system, progress when stderr is a terminal.
void setCliCopySetup(const cliCopySetup* setup);
