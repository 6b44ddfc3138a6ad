// Every saved fuzz input through its target, as libFuzzer would run it: the
// seeds, and the inputs that once made a target fail (see CMakeLists.txt).
// One test per input, named after its target and file: replay.<target>_<file>,
// or DISABLED_knownCrash.<target>_<file> for a fault not fixed yet.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzzSupport.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

namespace {
const char* const knownCrashPrefix = "known-crash-";

struct savedInput {
    std::string target;
    std::string path;
    std::string name; // the test's: target and file name
    bool knownCrash;
};

// The inputs of every target, in name order.
std::vector<savedInput> savedInputs()
{
    std::vector<savedInput> inputs;
    for (const fuzzTarget* t = fuzzTargets; t->name; ++t) {
        for (const std::string folder : {ORVISTA_FUZZ_CORPUS, ORVISTA_FUZZ_SAVED}) {
            std::error_code missing;
            for (const auto& entry : std::filesystem::directory_iterator(folder + "/" + t->name, missing)) {
                if (!entry.is_regular_file())
                    continue;
                const std::string file = entry.path().filename().string();
                std::string name = std::string(t->name) + "_" + file;
                std::replace_if(
                    name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                inputs.push_back({t->name, entry.path().string(), name, file.rfind(knownCrashPrefix, 0) == 0});
            }
        }
    }
    std::sort(inputs.begin(), inputs.end(), [](const savedInput& a, const savedInput& b) { return a.name < b.name; });
    return inputs;
}

class replay : public ::testing::Test {
public:
    explicit replay(savedInput input_) : input(std::move(input_)) {}

    void TestBody() override
    {
        // The profile target holds the reader to the portable reader's own
        // promises too (no empty names in a list, no length limit), which
        // Windows' function, the reader there, does not make; the contract
        // both share is checked by the platform tests.
        if (input.target == "profile" && runningOnWindows())
            GTEST_SKIP() << "readProfileString is Windows' own function here";
        SCOPED_TRACE(input.path);
        prepareFuzzEnvironment();
        const std::string bytes = readWholeFile(input.path);
        ASSERT_FALSE(bytes.empty()) << input.path;
        const fuzzTarget* target = findFuzzTarget(input.target);
        ASSERT_NE(nullptr, target);
        target->run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }

private:
    savedInput input;
};

// Registered before main runs, as TEST does.
[[maybe_unused]] const bool registered = [] {
    for (const savedInput& input : savedInputs()) {
        ::testing::RegisterTest(input.knownCrash ? "DISABLED_knownCrash" : "replay", input.name.c_str(), nullptr,
                                nullptr, __FILE__, __LINE__,
                                [input]() -> ::testing::Test* { return new replay(input); });
    }
    return true;
}();
}

TEST(replaySetup, everyTargetHasSeeds)
{
    const std::vector<savedInput> all = savedInputs();
    for (const fuzzTarget* t = fuzzTargets; t->name; ++t)
        EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                                [&](const savedInput& s) { return s.target == t->name && !s.knownCrash; }))
            << t->name;
}
