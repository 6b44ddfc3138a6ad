#pragma once
// A demo archive of catalogs alone (no audio files) in a scratch folder, for
// the tests that read whole archives.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "recdb/loggerIni.h"
#include "support/testSupport.h"
#include "tools/demoArchive.h"

// Writes the archive to `dir`/archive, its last day `endDate`, and gives its
// lines as logger.ini names them (channel name to folder): none when it could
// not be written (a test failure says why).
inline std::map<std::string, std::string> demoLines(const scratchDir& dir, int channels, int days, int callsPerDay,
                                                    const std::string& endDate, int storages = 2)
{
    demoOptions options;
    options.outDir = dir.at("archive");
    options.channels = channels;
    options.days = days;
    options.callsPerDay = callsPerDay;
    options.audioBytes = 0;
    options.storages = storages;
    options.endDate = endDate;
    std::string error;
    std::map<std::string, std::string> lines;
    EXPECT_TRUE(generateDemoArchive(options, &error)) << error;
    readLoggerIni(dir.at("archive/logger.ini"), lines);
    return lines;
}
