// Benchmarks of the recording database on archives made by orvista-demo.
//
//   recdbBench scan LOGGER_INI [RUNS]      build every channel's timeline
//   recdbBench load CHANNEL_DIR [RUNS]     load all catalogs of one channel
//   recdbBench query CHANNEL_DIR [CALLS]   one-hour getRecordings on a long timeline
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include <malloc.h>

#include <wx/init.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

#include "bench/benchSupport.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/loggerIni.h"

namespace {
int scan(const std::string& ini, int runs)
{
    std::map<std::string, std::string> channels;
    readLoggerIni(ini, channels);
    size_t entries = 0;
    double median = medianSeconds(runs, [&] {
        entries = 0;
        for (const auto& [name, dir] : channels)
            entries += dynamicTimeline(dir, name).catalogEntries().size();
    });
    std::printf("scan: %zu channels, %zu catalogs: median %.3f s over %d runs (%.2f us per catalog)\n",
                channels.size(), entries, median, runs, median * 1e6 / entries);
    return 0;
}

int load(const std::string& dir, int runs)
{
    size_t recordings = 0, catalogs = 0;
    // Baseline: only parsing the same catalogs into wx's XML documents.
    double xmlOnly = medianSeconds(runs, [&] {
        dynamicTimeline t(dir, "bench");
        catalogs = t.catalogEntries().size();
        for (const catalogEntry& e : t.catalogEntries()) {
            wxXmlDocument document;
            document.Load(e.path, "UTF-8");
        }
    });
    double full = medianSeconds(runs, [&] {
        dynamicTimeline t(dir, "bench");
        recordings = t.getRecordings(0, 4e9).size();
    });
    std::printf("load: %zu catalogs, %zu recordings: median %.3f s = %.0f recordings/s "
                "(XML parsing alone: %.3f s, ratio %.2f)\n",
                catalogs, recordings, full, recordings / full, xmlOnly, full / xmlOnly);

    malloc_trim(0);
    long before = residentBytes();
    auto kept = std::make_unique<dynamicTimeline>(dir, "bench");
    long scanned = residentBytes();
    recordings = kept->getRecordings(0, 4e9).size();
    malloc_trim(0);
    long loaded = residentBytes();
    std::printf("memory: %.0f resident bytes per loaded recording (%zu recordings; scan alone %.0f bytes per "
                "catalog)\n",
                double(loaded - scanned) / recordings, recordings, double(scanned - before) / catalogs);
    return 0;
}

int query(const std::string& dir, int calls)
{
    dynamicTimeline t(dir, "bench");
    if (t.isEmpty()) {
        std::fprintf(stderr, "no catalogs in %s\n", dir.c_str());
        return 1;
    }
    // Hours spread over the whole extent, each catalog loaded before timing.
    const double span = t.getEnd() - t.getStart() - 3600;
    std::vector<double> starts;
    for (int i = 0; i < calls; ++i)
        starts.push_back(t.getStart() + std::fmod(i * 7919.0 * 3600, span));
    for (double s : starts)
        t.getRecordings(s, s + 3600);
    size_t found = 0;
    double median = medianSeconds(5, [&] {
        found = 0;
        for (double s : starts)
            found += t.getRecordings(s, s + 3600).size();
    });
    std::printf("query: %zu catalog entries, one-hour intervals: median %.2f us per call (%.1f recordings per "
                "call)\n",
                t.catalogEntries().size(), median * 1e6 / calls, double(found) / calls);
    return 0;
}
}

int main(int argc, char** argv)
{
    wxInitializer wx;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    if (argc < 3) {
        std::fprintf(stderr, "usage: recdbBench scan LOGGER_INI [RUNS] | load CHANNEL_DIR [RUNS] | query "
                             "CHANNEL_DIR [CALLS]\n");
        return 2;
    }
    std::string what = argv[1];
    int count = argc > 3 ? std::atoi(argv[3]) : 0;
    if (what == "scan")
        return scan(argv[2], count > 0 ? count : 5);
    if (what == "load")
        return load(argv[2], count > 0 ? count : 3);
    if (what == "query")
        return query(argv[2], count > 0 ? count : 2000);
    std::fprintf(stderr, "unknown benchmark %s\n", what.c_str());
    return 2;
}
