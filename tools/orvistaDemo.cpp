// orvista-demo: writes a demo recording archive (see tools/demoArchive.h).
#include <cstdio>
#include <string>
#include <vector>

#include <wx/init.h>

#include "platform/terminal.h"
#include "platform/narrow.h"
#include "tools/demoArchive.h"

int main(int argc, char** argv)
{
    useNarrowFileNames();
    wxInitializer wx;
    if (!wx.IsOk()) {
        std::fprintf(stderr, "orvista-demo: cannot initialise wxWidgets\n");
        return 1;
    }
    useUtf8Console();
    std::vector<std::string> args = commandArguments(argc, argv);
    demoOptions options;
    std::string error;
    switch (parseDemoArguments(args, options, &error)) {
    case demoCommand::help:
        std::fputs(demoUsage().c_str(), stdout);
        return 0;
    case demoCommand::error:
        std::fprintf(stderr, "orvista-demo: %s\n%s", error.c_str(), demoUsage().c_str());
        return 2;
    case demoCommand::run:
        break;
    }
    std::optional<demoStats> stats = generateDemoArchive(options, &error);
    if (!stats) {
        std::fprintf(stderr, "orvista-demo: %s\n", error.c_str());
        return 1;
    }
    std::printf("orvista-demo: %d channels, %d days, %llu calls, %llu catalogs, %llu audio files, %llu bytes written to %s\n",
                stats->channels, stats->days, static_cast<unsigned long long>(stats->calls),
                static_cast<unsigned long long>(stats->catalogs), static_cast<unsigned long long>(stats->audioFiles),
                static_cast<unsigned long long>(stats->bytes), options.outDir.c_str());
    return 0;
}
