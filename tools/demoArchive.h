#pragma once
// Writes a made-up but realistic recording archive: a "logger.ini" naming the
// storage roots and lines, and below each root one folder per channel with day
// folders holding a catalog and the audio files it lists. Used for demos, tests
// and benchmarks; the same seed and options always give the same bytes (apart
// from the absolute paths written into the files).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct demoOptions {
    std::string outDir;           // required; must not exist yet or be empty
    std::uint64_t seed = 1;
    int channels = 6;
    int days = 14;
    int callsPerDay = 20;         // average per channel and day
    std::uint64_t audioBytes = 2048;  // size of each audio file; 0 writes none
    std::string endDate;          // "YYYY-MM-DD", last day written; empty = today (local)
    int storages = 2;             // 1 or 2 storage roots
    std::uint32_t sampleRate = 8000;
};

struct demoStats {
    int channels = 0;
    int days = 0;
    std::uint64_t calls = 0;
    std::uint64_t catalogs = 0;
    std::uint64_t audioFiles = 0;
    std::uint64_t bytes = 0;      // everything written: ini, catalogs, audio
};

// Checks ranges and the end date; false with a message when something is off.
bool validateDemoOptions(const demoOptions& options, std::string* error);

// Writes the archive. On failure (bad options, a folder or file that cannot be
// written) returns nothing and says why in *error; what was written so far stays.
std::optional<demoStats> generateDemoArchive(const demoOptions& options, std::string* error);

// Command line of orvista-demo, without the program name.
enum class demoCommand { run, help, error };
demoCommand parseDemoArguments(const std::vector<std::string>& args, demoOptions& options,
                               std::string* error);
std::string demoUsage();
