#pragma once
// A scratch installation for frame tests, with the program's schema.
#include <memory>
#include <string>

#include <wx/evtloop.h>

#include "app/orvistaFrame.h"
#include "tests/core/scratchInstallation.h"

class frameStart : public scratchInstallation {
protected:
    // The frame lives under the program's event loop. wxMSW dispatches window
    // messages (paints, timers) only through an active loop, and the tests run
    // none of their own.
    wxEventLoopGuarantor activeLoop;

    void SetUp() override
    {
        dir.write("program/orv-config-schema.xml",
                  readWholeFile(ORVISTA_SOURCE_DIR "/resources/settings/orv-config-schema.xml"));
    }

    std::unique_ptr<orvistaFrame> start()
    {
        return std::make_unique<orvistaFrame>(programFiles(wxString::FromUTF8(programDir), wxString::FromUTF8(settingsDir)));
    }
};
