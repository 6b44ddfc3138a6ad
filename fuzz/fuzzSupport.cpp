#include "fuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include <wx/utils.h>

const fuzzTarget fuzzTargets[] = {
    {"profile", fuzzProfile},   {"loggerIni", fuzzLoggerIni}, {"catalog", fuzzCatalog},
    {"settings", fuzzSettings}, {"registry", fuzzRegistry},   {"schema", fuzzSchema},
    {nullptr, nullptr},
};

const fuzzTarget* findFuzzTarget(const std::string& name)
{
    for (const fuzzTarget* t = fuzzTargets; t->name; ++t)
        if (name == t->name)
            return t;
    return nullptr;
}


namespace {
std::string scratch;

void removeScratch()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}
}

void prepareFuzzEnvironment()
{
    if (!scratch.empty())
        return;
#ifndef _WIN32
    // Local times as the tests see them: Berlin's, with its daylight-saving days.
    // (Windows runs the targets only in the test programs, whose main has set
    // the zone already, the way that system needs.)
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
#endif
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    scratch = (base / ("orvista-fuzz-" + std::to_string(wxGetProcessId()))).string();
    std::filesystem::create_directories(scratch + "/line-a", error);
    std::filesystem::create_directories(scratch + "/line-b", error);
    if (error) {
        std::fprintf(stderr, "cannot create the scratch folder %s: %s\n", scratch.c_str(), error.message().c_str());
        std::abort();
    }
    std::atexit(removeScratch);
    wxSetEnv("ORVISTA_FUZZ_ROOT", scratch);
    wxSetEnv("ORVISTA_REGISTRY", scratch + "/registry.reg");
}

const std::string& fuzzScratch()
{
    return scratch;
}

std::string writeScratchFile(const char* name, const void* data, std::size_t size)
{
    const std::string path = scratch + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || (size && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
    return path;
}

void fuzzCheckFailed(const char* condition, const char* file, int line, const std::string& detail)
{
    std::fprintf(stderr, "%s:%d: broken promise: %s\n  %s\n", file, line, condition, detail.c_str());
    std::fflush(stderr);
    std::abort();
}
