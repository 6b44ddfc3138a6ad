// Benchmarks of the copy engine, in a scratch folder it fills once.
//
//   copyBench SCRATCH [RUNS]
//
// 1. A few hundred recordings of about 1 MB from a demo archive (warm cache):
//    copyFiles into a fresh folder against cp into the same layout, one cp
//    per target folder, alternating, medians and their ratio (not on Windows,
//    which has no sh and cp).
// 2. Stopping a copy of one large file (2 GB, less when the disk has less
//    room): the time from the stop request until copyFiles has returned,
//    partial file and rollback included.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <csignal>

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include "bench/benchSupport.h"
#include "export/copyEngine.h"
#include "platform/diskSpace.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/loggerIni.h"
#include "tools/demoArchive.h"

namespace {
using clock_ = std::chrono::steady_clock;

#ifdef _WIN32
const bool runningOnWindows = true;
#else
const bool runningOnWindows = false;
#endif

const std::uint64_t megabyte = 1000000;

double secondsSince(clock_::time_point start, clock_::time_point end = clock_::now())
{
    return std::chrono::duration<double>(end - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool removeTree(const std::string& folder)
{
    return !wxDirExists(folder) || wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE);
}

std::string quoted(const std::string& text)
{
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

// Goes on with every copy and stops when `stop` says so; counts the rollback.
struct benchObserver : copyObserver {
    std::function<bool(std::uint64_t done)> stop = [](std::uint64_t) { return false; };
    std::size_t rolledBack = 0;

    void spaceUnknown(const std::string& folder, const wxString& reason) override
    {
        std::fprintf(stderr, "cannot measure the space in %s: %s\n", folder.c_str(), reason.utf8_str().data());
    }
    void notEnoughSpace(std::uint64_t available, std::uint64_t total) override
    {
        std::fprintf(stderr, "not enough space: %llu bytes free, %llu needed\n",
                     static_cast<unsigned long long>(available), static_cast<unsigned long long>(total));
    }
    bool continueWithLowSpace(std::uint64_t, std::uint64_t, std::uint64_t) override { return true; }
    void copyStarting(std::uint64_t) override {}
    bool copyProgress(std::uint64_t done, std::uint64_t) override { return !stop(done); }
    void rollbackStarting(std::size_t files) override { rolledBack = files; }
    void rollbackProgress(std::size_t) override {}
    void copyFinished() override {}
    void filesFailed(const std::vector<copyFailure>& failures) override
    {
        std::fprintf(stderr, "%zu files failed, first %s: %s\n", failures.size(), failures[0].source.c_str(),
                     failures[0].reason.utf8_str().data());
    }
};

// The audio files of a demo archive of about `files` recordings of 1 MB, made
// once, in the order orvista-cli copy takes them.
std::vector<std::string> recordingFiles(const std::string& scratch)
{
    const std::string root = scratch + "/archive";
    if (!wxFileExists(root + "/logger.ini")) {
        removeTree(root);
        demoOptions options;
        options.outDir = root;
        options.channels = 6;
        options.days = 4;
        options.callsPerDay = 20;
        options.audioBytes = megabyte;
        options.endDate = "2024-03-31";
        std::string error;
        if (!generateDemoArchive(options, &error)) {
            std::fprintf(stderr, "cannot make the archive: %s\n", error.c_str());
            std::exit(1);
        }
    }
    std::map<std::string, std::string> channels;
    readLoggerIni(root + "/logger.ini", channels);
    std::vector<std::string> files;
    for (const auto& [name, folder] : channels) {
        dynamicTimeline timeline(folder, name);
        for (const recording* r : timeline.getRecordings(0, 4e9))
            if (!r->fileName().empty())
                files.push_back(r->fileName());
    }
    return files;
}

std::uint64_t sizeOf(const std::string& path)
{
    return wxFileName::GetSize(path).GetValue();
}

void readThrough(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    static std::vector<char> buffer(8 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    }
}

void compareWithCp(const std::string& scratch, int runs)
{
    const std::vector<std::string> sources = recordingFiles(scratch);
    std::uint64_t bytes = 0;
    for (const std::string& s : sources) {
        bytes += sizeOf(s);
        readThrough(s); // warm cache
    }
    const std::string target = scratch + "/target";

    // cp at its best: one invocation per target folder, all from one shell.
    std::map<std::string, std::vector<std::string>> byFolder;
    for (const std::string& s : sources) {
        const std::string to = copyTargetPath(target, s);
        byFolder[to.substr(0, to.rfind('/'))].push_back(s);
    }
    const std::string script = scratch + "/cp.sh";
    {
        std::ofstream out(script);
        for (const auto& [folder, files] : byFolder) {
            out << "mkdir -p " << quoted(folder) << " && cp";
            for (const std::string& f : files)
                out << ' ' << quoted(f);
            out << ' ' << quoted(folder) << "/ || exit 1\n";
        }
    }
    const std::string cpCommand = "sh " + quoted(script);

    auto fresh = [&] {
        if (!removeTree(target)) {
            std::fprintf(stderr, "cannot remove %s\n", target.c_str());
            std::exit(1);
        }
        flushFileSystems(); // earlier writes are not flushed on this run's time
    };
    std::function<void()> engine = [&] {
        benchObserver observer;
        if (!copyFiles(sources, target, nullptr, observer))
            std::exit(1);
    };
    std::function<void()> cp = [&] {
        if (std::system(cpCommand.c_str()) != 0) {
            std::fprintf(stderr, "cp failed\n");
            std::exit(1);
        }
    };

    fresh();
    engine(); // warm-up of both
    fresh();
    cp();
    std::vector<double> engineTimes, cpTimes;
    for (int i = 0; i < runs; ++i) {
        // Alternating order, so neither always follows the other's writeback.
        for (int turn = 0; turn < 2; ++turn) {
            const bool engineTurn = (turn == 0) == (i % 2 == 0);
            fresh();
            (engineTurn ? engineTimes : cpTimes).push_back(secondsOf(engineTurn ? engine : cp));
        }
    }
    fresh();
    const double e = median(engineTimes), c = median(cpTimes);
    std::printf("copy: %zu files, %.1f MB, %zu target folders, median of %d runs (warm cache)\n", sources.size(),
                double(bytes) / megabyte, byFolder.size(), runs);
    std::printf("  copyFiles: %.3f s (%.0f MB/s, %.2f ms per file)\n", e, double(bytes) / megabyte / e,
                e * 1e3 / sources.size());
    std::printf("  cp       : %.3f s (%.0f MB/s, %zu cp runs)\n", c, double(bytes) / megabyte / c, byFolder.size());
    std::printf("  speed copyFiles / cp = %.2f (goal >= 0.90: %s)\n", c / e, c / e >= 0.9 ? "met" : "NOT met");
}

// A file of real blocks (not sparse, not merely allocated), made once.
bool makeLargeFile(const std::string& path, std::uint64_t size)
{
    if (wxFileExists(path) && sizeOf(path) == size)
        return true;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::setvbuf(file, nullptr, _IONBF, 0); // whole blocks go straight to the system
    std::vector<char> block(8 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7 + i / 4096);
    for (std::uint64_t written = 0; written < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), size - written));
        if (std::fwrite(block.data(), 1, n, file) != n) {
            std::fclose(file);
            return false;
        }
        written += n;
    }
    return std::fclose(file) == 0;
}

struct stopFigures {
    std::vector<double> latency;  // seconds from the request until copyFiles returned
    std::vector<double> reaction; // until the file's copy had stopped, before anything was removed
    std::vector<double> partial;  // MB of the large file's copy that had to be removed
    std::size_t rolledBack = 0;
};

// One copy of `sources` stopped 0.5 s into the last file. With `betweenChunks`
// the progress call itself asks to stop (the best case); otherwise another
// thread raises the flag, as a signal handler would, somewhere in a chunk.
void stoppedCopy(const std::vector<std::string>& sources, const std::string& target, bool betweenChunks,
                 stopFigures& figures)
{
    std::uint64_t before = 0;
    for (std::size_t i = 0; i + 1 < sources.size(); ++i)
        before += sizeOf(sources[i]);
    static volatile std::sig_atomic_t flag;
    flag = 0;
    std::atomic<bool> lastStarted{false};
    clock_::time_point lastStart, requested;
    benchObserver observer;
    observer.stop = [&](std::uint64_t done) {
        const clock_::time_point now = clock_::now();
        if (done <= before)
            return false;
        if (!lastStarted) {
            lastStart = now;
            lastStarted = true;
        }
        if (betweenChunks && !flag && secondsSince(lastStart, now) >= 0.5) {
            requested = now;
            flag = 1;
        }
        return flag != 0;
    };
    std::thread timer;
    if (!betweenChunks)
        timer = std::thread([&] {
            while (!lastStarted)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_until(lastStart + std::chrono::milliseconds(500));
            requested = clock_::now();
            flag = 1;
        });
    // The time the stopped file copy returns splits the reaction to the stop
    // from the removal of what was written.
    clock_::time_point fileReturned;
    std::uint64_t fileBytes = 0;
    copySystem system;
    system.copyFile = [&](const wxString& source, const wxString& partialName,
                          const std::function<bool(std::uint64_t)>& progress, wxString& error) {
        copyOutcome outcome = copyFileContents(source, partialName, [&](std::uint64_t copied) {
            fileBytes = copied;
            return progress(copied);
        }, error);
        fileReturned = clock_::now();
        return outcome;
    };
    const bool completed = copyFiles(sources, target, nullptr, observer, system);
    const clock_::time_point returned = clock_::now();
    if (timer.joinable())
        timer.join();
    if (completed) {
        std::fprintf(stderr, "the copy ended before it could be stopped\n");
        return;
    }
    figures.latency.push_back(secondsSince(requested, returned));
    figures.reaction.push_back(secondsSince(requested, fileReturned));
    figures.partial.push_back(double(fileBytes) / megabyte);
    figures.rolledBack = observer.rolledBack;
}

void cancelLatency(const std::string& scratch, int runs)
{
    volumeSpace volume;
    wxString why;
    if (!measureVolume(wxString::FromUTF8(scratch), volume, why)) {
        std::fprintf(stderr, "cannot measure the space in %s: %s\n", scratch.c_str(), why.utf8_str().data());
        return;
    }
    const std::uint64_t available = volume.available;
    const std::string big = scratch + "/large.bin";
    const std::uint64_t existing = wxFileExists(big) ? sizeOf(big) : 0;
    // Room for the file, its copy and a margin of 1 GiB; 2 GB when that fits.
    std::uint64_t size = 2000 * megabyte;
    const std::uint64_t room = available + existing > (std::uint64_t(1) << 30)
                                   ? (available + existing - (std::uint64_t(1) << 30)) / 2
                                   : 0;
    if (size > room)
        size = room / megabyte * megabyte;
    std::printf("stop: %.0f MB free in %s; large file of %.0f MB\n", double(available) / megabyte, scratch.c_str(),
                double(size) / megabyte);
    if (size < 100 * megabyte || !makeLargeFile(big, size)) {
        std::printf("  not enough room for the large file, skipped\n");
        return;
    }
    readThrough(big);

    const std::string target = scratch + "/stopped";
    std::vector<std::string> small = recordingFiles(scratch);
    small.resize(std::min<std::size_t>(small.size(), 100));
    const struct {
        const char* name;
        std::vector<std::string> sources;
        bool betweenChunks;
    } cases[] = {
        {"large file, stop asked in the progress call", {big}, true},
        {"large file, stop flag set by another thread", {big}, false},
        {"100 small files, then the large one, flag set by another thread", [&] {
             std::vector<std::string> all = small;
             all.push_back(big);
             return all;
         }(),
         false},
    };
    for (const auto& c : cases) {
        stopFigures figures;
        for (int i = 0; i < runs; ++i) {
            removeTree(target);
            flushFileSystems();
            stoppedCopy(c.sources, target, c.betweenChunks, figures);
        }
        removeTree(target);
        if (figures.latency.empty())
            continue;
        std::printf("  %s (%zu runs):\n", c.name, figures.latency.size());
        std::printf("    stop request to copyFiles' return: median %.1f ms, max %.1f ms\n",
                    median(figures.latency) * 1e3, *std::max_element(figures.latency.begin(), figures.latency.end()) * 1e3);
        std::printf("    of which until the file copy had stopped and closed its partial file: median %.2f ms, max %.2f "
                    "ms;\n    the rest deletes that partial file (median %.0f MB) and rolls back %zu files\n",
                    median(figures.reaction) * 1e3,
                    *std::max_element(figures.reaction.begin(), figures.reaction.end()) * 1e3,
                    median(figures.partial), figures.rolledBack);
    }
}
}

int main(int argc, char** argv)
{
    wxInitializer wx;
    delete wxLog::SetActiveTarget(new wxLogStderr);
    if (argc < 2) {
        std::fprintf(stderr, "usage: copyBench SCRATCH_FOLDER [RUNS]\n");
        return 2;
    }
    wxFileName folder = wxFileName::DirName(argv[1]);
    folder.MakeAbsolute();
    const std::string scratch = folder.GetPath().utf8_string();
    if (!wxFileName::Mkdir(scratch, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) {
        std::fprintf(stderr, "cannot make %s\n", scratch.c_str());
        return 1;
    }
    const int runs = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : 7;
    if (runningOnWindows)
        std::printf("copy: no comparison, Windows has no sh and cp\n");
    else
        compareWithCp(scratch, runs);
    cancelLatency(scratch, 5);
    return 0;
}
