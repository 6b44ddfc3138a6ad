#pragma once
// A scratch installation: a program folder, a settings folder, a logger.ini
// with two lines, and WINDIR pointing at an empty folder so that the default
// "logger.ini" does not exist (on Windows the default is in the system's own
// folder, whatever WINDIR says).
#include <string>

#include <gtest/gtest.h>

#include "support/testSupport.h"

class scratchInstallation : public ::testing::Test {
protected:
    scratchDir dir;
    std::string programDir = dir.mkdir("program");
    std::string settingsDir = dir.mkdir("settings");
    scopedEnv windir{"WINDIR", wxString::FromUTF8(dir.mkdir("windows"))};

    std::string writeSettings(const std::string& rootContent)
    {
        return dir.write("settings/orv.xml",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orvista>" + rootContent + "</orvista>\n");
    }

    // A logger.ini with two lines whose folders exist: "Front desk", empty, and
    // "Alpha" with one day.
    std::string writeLoggerIni(const std::string& relative = "logger/logger.ini")
    {
        std::string storage = dir.mkdir("storage");
        dir.mkdir("storage/Front desk");
        dir.write("storage/Alpha/20240115/catalog.xml", "<vmk_catalog/>");
        return dir.write(relative, "[storage paths]\r\nmain=" + storage +
                                       "\r\n[line01]\r\nStoragePath=main\r\nChannelName=Front desk\r\n"
                                       "[line02]\r\nStoragePath=main\r\nChannelName=Alpha\r\n");
    }
};
