// Benchmarks of catalog reading on archives made by orvista-demo.
//
//   catalogBench speed ARCHIVE_DIR [RUNS]   every catalog below the folder on one
//                                           thread: raw expat, the streaming reader,
//                                           and the document tree, medians of RUNS
//   catalogBench memory ARCHIVE_DIR         resident bytes per call with the whole
//                                           archive (its logger.ini) loaded
//   catalogBench summaries ARCHIVE_DIR [RUNS]
//                                           every catalog below the folder on one
//                                           thread: raw expat doing nothing but
//                                           parse, against the program's reader
//                                           giving the recordings and the day's
//                                           summary, each from bytes in memory and
//                                           with the files' reading; medians of RUNS
//
// The speed and summaries modes measure with a warm page cache: a warm-up run
// reads every file first. No mode uses the catalog index.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <expat.h>

#include <wx/init.h>
#include <wx/log.h>
#include <wx/xml/xml.h>

#include "bench/benchSupport.h"
#include "fuzz/catalogTreeReader.h"
#include "platform/fileStamp.h"
#include "platform/narrow.h"
#include "recdb/catalog.h"
#include "recdb/catalogLoader.h"
#include "recdb/daySummary.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/localCalendar.h"
#include "recdb/loggerIni.h"

namespace {
std::vector<std::string> catalogsBelow(const std::string& folder)
{
    std::vector<std::string> paths;
    std::error_code failed;
    for (std::filesystem::recursive_directory_iterator it(folder, failed), end; !failed && it != end;
         it.increment(failed)) {
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (extension == ".xml" && it->is_regular_file())
            paths.push_back(it->path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The least a reader must do: read the bytes and let expat see every element.
bool readWhole(const std::string& path, std::vector<char>& bytes)
{
    std::error_code failed;
    const std::uintmax_t size = std::filesystem::file_size(path, failed);
    std::FILE* file = failed ? nullptr : std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::setvbuf(file, nullptr, _IONBF, 0); // read straight into the buffer
    bytes.resize(static_cast<size_t>(size));
    const bool ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    return ok;
}

void XMLCALL countFile(void* data, const XML_Char* name, const XML_Char**)
{
    if (std::strcmp(name, "file") == 0)
        ++*static_cast<size_t*>(data);
}

size_t rawExpat(const std::vector<std::string>& paths)
{
    size_t calls = 0;
    std::vector<char> bytes;
    for (const std::string& path : paths) {
        if (!readWhole(path, bytes))
            continue;
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, &calls);
        XML_SetStartElementHandler(parser, countFile);
        XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), 1);
        XML_ParserFree(parser);
    }
    return calls;
}

size_t streamingReader(const std::vector<std::string>& paths)
{
    size_t calls = 0;
    std::vector<char> bytes;
    std::string error;
    for (const std::string& path : paths) {
        fileStamp stamp;
        if (!readFileStamped(path, bytes, stamp, error))
            continue;
        std::vector<recording> list;
        readCatalog(bytes.data(), bytes.size(), list, error);
        calls += list.size();
    }
    return calls;
}

size_t documentTree(const std::vector<std::string>& paths)
{
    size_t calls = 0;
    for (const std::string& path : paths) {
        wxXmlDocument document;
        std::vector<recording> list;
        if (document.Load(fromNarrow(path), "UTF-8") && document.GetRoot())
            parseCatalog(document.GetRoot(), list);
        calls += list.size();
    }
    return calls;
}

int speed(const std::string& folder, int runs)
{
    const std::vector<std::string> paths = catalogsBelow(folder);
    if (paths.empty()) {
        std::fprintf(stderr, "catalogBench: no catalogs below %s\n", folder.c_str());
        return 2;
    }
    size_t rawCalls = 0, newCalls = 0, treeCalls = 0;
    const double raw = medianSeconds(runs, [&] { rawCalls = rawExpat(paths); });
    const double reader = medianSeconds(runs, [&] { newCalls = streamingReader(paths); });
    const double tree = medianSeconds(runs, [&] { treeCalls = documentTree(paths); });
    std::printf("catalogs: %zu, one thread, warm cache, median of %d\n", paths.size(), runs);
    std::printf("raw expat: %zu calls, median %.3f s\n", rawCalls, raw);
    std::printf("streaming reader: %zu calls, median %.3f s\n", newCalls, reader);
    std::printf("document tree: %zu calls, median %.3f s\n", treeCalls, tree);
    std::printf("speed vs raw expat = %.0f %% (goal >= 50 %%); document tree / streaming reader = %.2f\n",
                100 * raw / reader, tree / reader);
    if (rawCalls != newCalls || rawCalls != treeCalls) {
        std::printf("MISMATCH: the readers counted different numbers of calls\n");
        return 1;
    }
    return 0;
}

// ---- summaries

// A catalog with the day its folder names (YYYYMMDD...), as the scan gives it.
struct dayCatalog {
    std::string path;
    double dayStart = 0;
    double dayEnd = 0;
};

// The day number of the folder that holds `path`, named YYYYMMDD (more may
// follow); false for any other folder.
bool dayOfFolder(const std::string& path, std::int64_t& day)
{
    const std::string folder = std::filesystem::path(path).parent_path().filename().string();
    if (folder.size() < 8)
        return false;
    for (int i = 0; i < 8; ++i)
        if (folder[i] < '0' || folder[i] > '9')
            return false;
    civilDate date;
    date.year = std::stoi(folder.substr(0, 4));
    date.month = std::stoi(folder.substr(4, 2));
    date.day = std::stoi(folder.substr(6, 2));
    if (!isValidDate(date.year, date.month, date.day))
        return false;
    day = dayNumberOf(date);
    return true;
}

// Holds up to `limit` bytes of catalogs at a time: one whole archive would be
// gigabytes, and timing only the parse of each batch leaves the reading out.
struct catalogBatch {
    std::vector<char> bytes;
    std::vector<std::size_t> ends; // of each catalog in `bytes`
    std::size_t first = 0;         // index of the batch's first catalog
};

// Fills `batch` with the catalogs from `next` on, at least one, until about
// `limit` bytes; returns the index after the last. A catalog that cannot be
// read is held as no bytes (and parses as not well-formed).
std::size_t fillBatch(const std::vector<dayCatalog>& catalogs, std::size_t next, std::size_t limit,
                      catalogBatch& batch)
{
    batch.bytes.clear();
    batch.ends.clear();
    batch.first = next;
    std::vector<char> one;
    while (next < catalogs.size() && (batch.ends.empty() || batch.bytes.size() < limit)) {
        if (readWhole(catalogs[next].path, one))
            batch.bytes.insert(batch.bytes.end(), one.begin(), one.end());
        batch.ends.push_back(batch.bytes.size());
        ++next;
    }
    return next;
}

// The work on one catalog's bytes, timed by the caller.
typedef std::function<void(const dayCatalog&, const char*, std::size_t)> catalogWork;

// Seconds `work` takes over every catalog from bytes in memory: the batches'
// reading is not timed.
double fromMemory(const std::vector<dayCatalog>& catalogs, const catalogWork& work)
{
    const std::size_t limit = 64 << 20;
    catalogBatch batch;
    double seconds = 0;
    for (std::size_t next = 0; next < catalogs.size();) {
        next = fillBatch(catalogs, next, limit, batch);
        seconds += secondsOf([&] {
            std::size_t begin = 0;
            for (std::size_t i = 0; i < batch.ends.size(); ++i) {
                work(catalogs[batch.first + i], batch.bytes.data() + begin, batch.ends[i] - begin);
                begin = batch.ends[i];
            }
        });
    }
    return seconds;
}

// Median of `runs` results of `run`, after one warm-up run.
double medianOf(int runs, const std::function<double()>& run)
{
    run();
    std::vector<double> results;
    for (int i = 0; i < runs; ++i)
        results.push_back(run());
    std::sort(results.begin(), results.end());
    return results[results.size() / 2];
}

void XMLCALL ignoreStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL ignoreEnd(void*, const XML_Char*) {}
void XMLCALL ignoreText(void*, const XML_Char*, int) {}

// The floor: expat seeing every element and text, and nothing done with them.
void parseOnly(const char* bytes, std::size_t size)
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetElementHandler(parser, ignoreStart, ignoreEnd);
    XML_SetCharacterDataHandler(parser, ignoreText);
    XML_Parse(parser, bytes, static_cast<int>(size), 1);
    XML_ParserFree(parser);
}

// What a long view needs of a catalog: the times of its calls, read by the
// program's reader as it reads them for a summary, and summed up as the day's
// summary, which is kept (the calls are not), with the count of what was read.
struct summarising {
    std::vector<daySummary> summaries;
    std::size_t calls = 0;
    std::size_t unreadable = 0;
    std::vector<recording> list;
    std::string error;

    void reset(std::size_t catalogs)
    {
        summaries.clear();
        summaries.reserve(catalogs);
        calls = unreadable = 0;
    }
    void operator()(const dayCatalog& catalog, const char* bytes, std::size_t size)
    {
        list.clear();
        bool leansOnToday = false;
        if (!readCatalogTimes(bytes, size, list, error, leansOnToday))
            ++unreadable;
        calls += list.size();
        summaries.emplace_back(catalog.dayStart, catalog.dayEnd, list);
    }
};

int summaries(const std::string& folder, int runs)
{
    std::vector<dayCatalog> catalogs;
    std::size_t outside = 0; // catalogs in folders that name no day, as the scan leaves them out
    {
        std::map<std::int64_t, std::pair<double, double>> days; // midnights, each worked out once
        for (std::string& path : catalogsBelow(folder)) {
            std::int64_t day;
            if (!dayOfFolder(path, day)) {
                ++outside;
                continue;
            }
            auto found = days.find(day);
            if (found == days.end())
                found = days.emplace(day, std::make_pair(static_cast<double>(localMidnight(day)),
                                                         static_cast<double>(localMidnight(day + 1))))
                            .first;
            catalogs.push_back(dayCatalog{std::move(path), found->second.first, found->second.second});
        }
    }
    if (catalogs.empty()) {
        std::fprintf(stderr, "catalogBench: no catalogs in day folders below %s\n", folder.c_str());
        return 2;
    }

    std::size_t bytes = 0;
    for (const dayCatalog& c : catalogs) {
        std::error_code failed;
        const std::uintmax_t size = std::filesystem::file_size(c.path, failed);
        bytes += failed ? 0 : static_cast<std::size_t>(size);
    }

    const double rawMemory = medianOf(runs, [&] {
        return fromMemory(catalogs, [](const dayCatalog&, const char* b, std::size_t n) { parseOnly(b, n); });
    });
    const double rawFiles = medianOf(runs, [&] {
        std::vector<char> one;
        return secondsOf([&] {
            for (const dayCatalog& c : catalogs)
                if (readWhole(c.path, one))
                    parseOnly(one.data(), one.size());
        });
    });
    summarising work;
    const double readerMemory = medianOf(runs, [&] {
        work.reset(catalogs.size());
        return fromMemory(catalogs, std::ref(work));
    });
    // As the program reads a catalog: its stamp (for the index) and its bytes.
    const double readerFiles = medianOf(runs, [&] {
        work.reset(catalogs.size());
        std::vector<char> one;
        fileStamp stamp;
        return secondsOf([&] {
            for (const dayCatalog& c : catalogs) {
                if (!readFileStamped(c.path, one, stamp, work.error))
                    one.clear();
                work(c, one.data(), one.size());
            }
        });
    });

    // What the index would keep of them; each must read back as it was.
    std::size_t summarisedCalls = 0, packed = 0, damaged = 0;
    for (const daySummary& summary : work.summaries) {
        summarisedCalls += summary.callCount();
        const std::string form = summary.pack();
        packed += form.size();
        daySummary back;
        if (!daySummary::unpack(form.data(), form.size(), back) || back != summary)
            ++damaged;
    }
    std::printf("catalogs: %zu in day folders (%.1f MB, %zu calls, %zu not well-formed)%s, one thread, warm cache, "
                "median of %d\n",
                catalogs.size(), bytes / 1e6, work.calls, work.unreadable,
                outside ? (", " + std::to_string(outside) + " elsewhere left out").c_str() : "", runs);
    std::printf("raw expat, parsing only, bytes in memory: median %.3f s (%.0f MB/s)\n", rawMemory,
                bytes / 1e6 / rawMemory);
    std::printf("raw expat, parsing only, reading the files too: median %.3f s\n", rawFiles);
    std::printf("reader and day summaries, bytes in memory: median %.3f s (%.1f us per catalog)\n", readerMemory,
                readerMemory * 1e6 / catalogs.size());
    std::printf("reader and day summaries, reading the files too: median %.3f s\n", readerFiles);
    std::printf("reader and day summaries / raw expat = %.2f (bytes in memory), %.2f (reading the files too)\n",
                readerMemory / rawMemory, readerFiles / rawFiles);
    std::printf("day summaries: %zu, %zu calls in them, packed %.2f MB (%.0f bytes a day)\n", work.summaries.size(),
                summarisedCalls, packed / 1e6, double(packed) / work.summaries.size());
    if (damaged) {
        std::printf("MISMATCH: %zu day summaries did not read back from their packed form as they were\n", damaged);
        return 1;
    }
    if (summarisedCalls > work.calls) {
        std::printf("MISMATCH: the day summaries hold more calls than the catalogs\n");
        return 1;
    }
    return 0;
}

int memory(const std::string& folder)
{
    std::map<std::string, std::string> channels;
    readLoggerIni(folder + "/logger.ini", channels);
    if (channels.empty()) {
        std::fprintf(stderr, "catalogBench: no channels in %s/logger.ini\n", folder.c_str());
        return 2;
    }
    std::vector<std::unique_ptr<dynamicTimeline>> timelines;
    std::vector<const timeline*> lines;
    size_t catalogs = 0;
    for (const auto& [name, directory] : channels) {
        timelines.push_back(std::make_unique<dynamicTimeline>(directory, name));
        lines.push_back(timelines.back().get());
        catalogs += timelines.back()->catalogEntries().size();
    }
    returnFreedMemory();
    const long long scanned = residentBytes();

    unsigned workers = 0;
    const double seconds = secondsOf([&] {
        catalogLoader loader;
        workers = loader.workerCount();
        loadInterval(lines, -1e12, 1e12, &loader);
    });
    size_t calls = 0;
    for (const timeline* line : lines)
        calls += line->getRecordings(-1e12, 1e12).size();
    returnFreedMemory();
    const long long loaded = residentBytes();

    std::printf("channels: %zu, catalogs: %zu, calls loaded: %zu in %.3f s (%u workers and the caller)\n",
                channels.size(), catalogs, calls, seconds, workers);
    std::printf("resident after the scan %.1f MB, after loading %.1f MB (after returning freed memory)\n",
                scanned / 1e6, loaded / 1e6);
    std::printf("bytes per call = %.1f (growth of the resident memory; goal <= 64)\n",
                calls ? double(loaded - scanned) / calls : 0.0);
    return calls ? 0 : 1;
}
}

int main(int argc, char** argv)
{
    wxInitializer wx;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "speed" && argc >= 3)
        return speed(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
    if (mode == "memory" && argc == 3)
        return memory(argv[2]);
    if (mode == "summaries" && argc >= 3)
        return summaries(argv[2], argc > 3 ? std::max(1, std::atoi(argv[3])) : 5);
    std::fprintf(stderr, "usage: catalogBench speed ARCHIVE_DIR [RUNS]\n"
                         "       catalogBench memory ARCHIVE_DIR\n"
                         "       catalogBench summaries ARCHIVE_DIR [RUNS]\n");
    return 2;
}
