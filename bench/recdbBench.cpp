// Benchmarks of the recording database on archives made by orvista-demo.
//
//   recdbBench scan LOGGER_INI [RUNS]      build every channel's timeline
//   recdbBench rescan LOGGER_INI [RUNS]    the same with the folders kept from the last scan, against a full scan
//   recdbBench load CHANNEL_DIR [RUNS]     load all catalogs of one channel
//   recdbBench query CHANNEL_DIR [CALLS]   one-hour getRecordings on a long timeline
//   recdbBench ini LINES [RUNS]            readLoggerIni on a generated file of LINES line sections
#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

#include "bench/benchSupport.h"
#include "platform/directoryWalk.h"
#include "recdb/catalogIndex.h"
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

// A start with the scan cache filled by an earlier one, nothing changed since,
// against the full scan (both must give the same entries); then starts after
// each line gained a day.
int rescan(const std::string& ini, int runs)
{
    std::map<std::string, std::string> channels;
    readLoggerIni(ini, channels);
    wxString base = wxFileName::CreateTempFileName(wxFileName::GetTempDir() + "/orvista-bench-");
    wxRemoveFile(base);
    const std::string cache = base.utf8_string();
    int status = 0;
    {
        const catalogIndex index(cache);
        auto scanAll = [&](const catalogIndex* with, walkCounts& counts, std::string* paths) {
            counts = walkCounts();
            size_t entries = 0;
            for (const auto& [name, dir] : channels) {
                dynamicTimeline t(dir, name, std::function<void()>(), with, &counts);
                entries += t.catalogEntries().size();
                if (paths)
                    for (const catalogEntry& e : t.catalogEntries())
                        *paths += e.path + '\n';
            }
            return entries;
        };
        walkCounts filling, full, warm;
        std::string fullPaths, warmPaths;
        const double fill = secondsOf([&] { scanAll(&index, filling, nullptr); });
        size_t entries = 0;
        const double fullMedian = medianSeconds(runs, [&] { entries = scanAll(nullptr, full, nullptr); });
        const double warmMedian = medianSeconds(runs, [&] { scanAll(&index, warm, nullptr); });
        scanAll(nullptr, full, &fullPaths);
        scanAll(&index, warm, &warmPaths);
        if (fullPaths != warmPaths) {
            std::printf("MISMATCH: the warm scan found other catalogs than the full scan\n");
            status = 1;
        }
        // A start the next day: every line gained a day folder since the last
        // scan (made anew for each run and removed after it, untimed).
        std::vector<double> times;
        walkCounts grown;
        for (int run = 0; run <= runs; ++run) {
            for (const auto& channel : channels) {
                const wxString day = wxString::FromUTF8(channel.second) + "/20991231";
                wxFileName::Mkdir(day, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
                wxFile(day + "/catalog.xml", wxFile::write).Write("<vmk_catalog></vmk_catalog>");
            }
            const double seconds = secondsOf([&] { scanAll(&index, grown, nullptr); });
            if (run > 0) // the first is a warm-up, as in medianSeconds
                times.push_back(seconds);
            for (const auto& channel : channels)
                wxFileName::Rmdir(wxString::FromUTF8(channel.second) + "/20991231", wxPATH_RMDIR_RECURSIVE);
        }
        std::sort(times.begin(), times.end());
        std::printf("rescan: %zu channels, %zu catalogs; full scan median %.3f s (%llu listings, %llu lookups); "
                    "warm scan median %.3f s (%llu listings, %llu lookups) over %d runs; full / warm = %.2f; "
                    "first scan filling the cache %.3f s (%llu listings)\n",
                    channels.size(), entries, fullMedian, static_cast<unsigned long long>(full.listings),
                    static_cast<unsigned long long>(full.lookups), warmMedian,
                    static_cast<unsigned long long>(warm.listings), static_cast<unsigned long long>(warm.lookups),
                    runs, fullMedian / warmMedian, fill, static_cast<unsigned long long>(filling.listings));
        std::printf("rescan after a new day folder in every line: median %.3f s (%llu listings); full / this = %.2f\n",
                    times[times.size() / 2], static_cast<unsigned long long>(grown.listings),
                    fullMedian / times[times.size() / 2]);
    }
    wxFileName::Rmdir(wxString::FromUTF8(cache), wxPATH_RMDIR_RECURSIVE);
    return status;
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

    returnFreedMemory();
    const long long before = residentBytes();
    auto kept = std::make_unique<dynamicTimeline>(dir, "bench");
    const long long scanned = residentBytes();
    recordings = kept->getRecordings(0, 4e9).size();
    returnFreedMemory();
    const long long loaded = residentBytes();
    std::printf("memory: %.0f resident bytes per loaded recording (%zu recordings; scan alone %.0f bytes per "
                "catalog)\n",
                double(loaded - scanned) / recordings, recordings, double(scanned - before) / catalogs);
    return 0;
}

// A logger.ini as a large installation (or a generator gone wrong) may write it:
// thousands of line sections, every hundredth with an existing folder.
int ini(int lines, int runs)
{
    wxString base = wxFileName::CreateTempFileName(wxFileName::GetTempDir() + "/orvista-bench-");
    wxRemoveFile(base);
    const std::string dir = base.utf8_string();
    const std::string root = dir + "/rec";
    wxFileName::Mkdir(wxString::FromUTF8(root), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    std::string content = "[storage paths]\r\nmain=" + root + "\r\n";
    for (int line = 1; line <= lines; ++line) {
        char section[32];
        std::snprintf(section, sizeof section, "[line%02d]\r\n", line);
        std::string channel = "channel " + std::to_string(line);
        content += section + ("StoragePath=main\r\nChannelName=" + channel + "\r\n");
        if (line % 100 == 0)
            wxFileName::Mkdir(wxString::FromUTF8(root + "/" + channel));
    }
    const std::string path = dir + "/logger.ini";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(content.data(), 1, content.size(), file) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::fclose(file);

    size_t channels = 0;
    double median = medianSeconds(runs, [&] {
        std::map<std::string, std::string> result;
        readLoggerIni(path, result);
        channels = result.size();
    });
    wxFileName::Rmdir(wxString::FromUTF8(dir), wxPATH_RMDIR_RECURSIVE);
    std::printf("ini: %d line sections (%zu bytes), %zu channels: median %.3f s over %d runs (%.2f us per line)\n",
                lines, content.size(), channels, median, runs, median * 1e6 / lines);
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
        std::fprintf(stderr, "usage: recdbBench scan LOGGER_INI [RUNS] | rescan LOGGER_INI [RUNS] | load CHANNEL_DIR "
                             "[RUNS] | query "
                             "CHANNEL_DIR [CALLS] | ini LINES [RUNS]\n");
        return 2;
    }
    std::string what = argv[1];
    int count = argc > 3 ? std::atoi(argv[3]) : 0;
    if (what == "scan")
        return scan(argv[2], count > 0 ? count : 5);
    if (what == "rescan")
        return rescan(argv[2], count > 0 ? count : 5);
    if (what == "load")
        return load(argv[2], count > 0 ? count : 3);
    if (what == "query")
        return query(argv[2], count > 0 ? count : 2000);
    if (what == "ini")
        return ini(std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 50000, count > 0 ? count : 3);
    std::fprintf(stderr, "unknown benchmark %s\n", what.c_str());
    return 2;
}
