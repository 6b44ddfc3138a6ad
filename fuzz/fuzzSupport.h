#pragma once
// What the fuzz targets share: the table of targets, one scratch folder per
// process whose files every input rewrites in place, and checks of the readers'
// own promises that end the process when broken (libFuzzer then keeps the input).
#include <cstddef>
#include <cstdint>
#include <string>

// One input: the bytes libFuzzer made, or a saved input replayed by the tests.
typedef void (*fuzzFunction)(const std::uint8_t* data, std::size_t size);

struct fuzzTarget {
    const char* name; // also the folder of its seed corpus: fuzz/corpus/<name>
    fuzzFunction run;
};

// Every target, in the order scripts/fuzz runs them; ends with {nullptr, nullptr}.
extern const fuzzTarget fuzzTargets[];
// The target of that name, or null.
const fuzzTarget* findFuzzTarget(const std::string& name);

// Sets the environment the targets read (time zone, ORVISTA_FUZZ_ROOT with the
// folders line-a and line-b in it, ORVISTA_REGISTRY) and creates the scratch
// folder, removed again at exit. wx must already be initialised.
void prepareFuzzEnvironment();
// The scratch folder (no trailing slash).
const std::string& fuzzScratch();
// Replaces <scratch>/<name> with the bytes; returns its path.
std::string writeScratchFile(const char* name, const void* data, std::size_t size);

[[noreturn]] void fuzzCheckFailed(const char* condition, const char* file, int line, const std::string& detail);
// A promise of the code under test that the input broke.
#define FUZZ_CHECK(condition, detail) \
    ((condition) ? (void)0 : fuzzCheckFailed(#condition, __FILE__, __LINE__, (detail)))

// The fuzz targets (one file each).
void fuzzProfile(const std::uint8_t* data, std::size_t size);
void fuzzLoggerIni(const std::uint8_t* data, std::size_t size);
void fuzzCatalog(const std::uint8_t* data, std::size_t size);
void fuzzSettings(const std::uint8_t* data, std::size_t size);
void fuzzRegistry(const std::uint8_t* data, std::size_t size);
void fuzzSchema(const std::uint8_t* data, std::size_t size);
