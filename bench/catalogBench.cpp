// Benchmarks of catalog reading on archives made by orvista-demo.
//
//   catalogBench speed ARCHIVE_DIR [RUNS]   every catalog below the folder on one
//                                           thread: raw expat, the streaming reader,
//                                           and the document tree, medians of RUNS
//   catalogBench memory ARCHIVE_DIR         resident bytes per call with the whole
//                                           archive (its logger.ini) loaded
//
// The speed mode measures with a warm page cache: a warm-up run reads every file
// first. Neither mode uses the catalog index.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
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
#include "recdb/dynamicTimeline.h"
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
    std::fprintf(stderr, "usage: catalogBench speed ARCHIVE_DIR [RUNS]\n"
                         "       catalogBench memory ARCHIVE_DIR\n");
    return 2;
}
