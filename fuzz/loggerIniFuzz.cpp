// readLoggerIni on a logger.ini holding the input. Seeds name storage roots
// through $ORVISTA_FUZZ_ROOT, whose folders line-a and line-b exist, so lines
// can be usable.
#include <map>
#include <string>

#include <wx/filename.h>

#include "platform/narrow.h"
#include "platform/profile.h"
#include "recdb/loggerIni.h"

#include "fuzzSupport.h"

void fuzzLoggerIni(const std::uint8_t* data, std::size_t size)
{
    const std::string file = writeScratchFile("logger.ini", data, size);
    char unused[2];
    readProfileString("s", "k", "", unused, sizeof unused, (fuzzScratch() + "/missing.ini").c_str());

    std::map<std::string, std::string> channels;
    readLoggerIni(file, channels);
    for (const auto& channel : channels) {
        FUZZ_CHECK(!channel.first.empty(), "a line without a channel name");
        FUZZ_CHECK(wxFileName::DirExists(fromNarrow(channel.second)), channel.first + " -> " + channel.second);
    }
}
