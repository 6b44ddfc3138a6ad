#pragma once
// Copying selected recordings from the window: the space questions as message
// boxes, the copy and its rollback under progress windows.
#include <string>
#include <vector>

#include "export/copyEngine.h"
#include "recdb/timeline.h"

class wxWindow;

// The window that parents the progress windows.
struct CopyRequest {
    wxWindow* parent;
};

// Copies the files of the recordings ("filename"; empty ones are skipped) into
// `targetFolder` as copyFiles does, appending each target to `output` when
// given. Files that could not be copied are named in one message box at the
// end. False when the space check, the user's No or Cancel stopped the copy.
bool copyRecordings(const std::string& targetFolder, std::vector<std::string>* output, const CopyRequest& request,
                    const recordingList& input, const copySystem& system = copySystem());
