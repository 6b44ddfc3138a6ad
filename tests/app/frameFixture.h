#pragma once
// A scratch installation for frame tests: a program folder with the schema, a
// settings folder, a logger.ini with two lines, and WINDIR pointing at an empty
// folder so that the default "logger.ini" does not exist (on Windows the default
// is in the system's own folder, whatever WINDIR says).
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include <wx/evtloop.h>

#include "app/orvistaFrame.h"
#include "support/testSupport.h"

class frameStart : public ::testing::Test {
protected:
    scratchDir dir;
    std::string programDir = dir.mkdir("program");
    std::string settingsDir = dir.mkdir("settings");
    scopedEnv windir{"WINDIR", wxString::FromUTF8(dir.mkdir("windows"))};
    // The frame lives under the program's event loop. wxMSW dispatches window
    // messages (paints, timers) only through an active loop, and the tests run
    // none of their own.
    wxEventLoopGuarantor activeLoop;

    void SetUp() override
    {
        dir.write("program/orv-config-schema.xml",
                  readWholeFile(ORVISTA_SOURCE_DIR "/resources/settings/orv-config-schema.xml"));
    }

    std::string writeSettings(const std::string& rootContent)
    {
        return dir.write("settings/orv.xml",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orvista>" + rootContent + "</orvista>\n");
    }

    // A logger.ini with two lines whose folders exist.
    std::string writeLoggerIni(const std::string& relative = "logger/logger.ini")
    {
        std::string storage = dir.mkdir("storage");
        dir.mkdir("storage/Front desk");
        dir.write("storage/Alpha/20240115/catalog.xml", "<vmk_catalog/>");
        return dir.write(relative, "[storage paths]\r\nmain=" + storage +
                                       "\r\n[line01]\r\nStoragePath=main\r\nChannelName=Front desk\r\n"
                                       "[line02]\r\nStoragePath=main\r\nChannelName=Alpha\r\n");
    }

    std::unique_ptr<orvistaFrame> start()
    {
        return std::make_unique<orvistaFrame>(wxString::FromUTF8(programDir), wxString::FromUTF8(settingsDir));
    }
};

