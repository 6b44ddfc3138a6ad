// Every saved fuzz input through its target, as libFuzzer would run it: the
// seeds, and the inputs that once made a target fail (see CMakeLists.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "fuzzSupport.h"
#include "support/testSupport.h"

namespace {
const char* const knownCrashPrefix = "known-crash-";

struct savedInput {
    std::string target;
    std::string path;
    std::string name; // the test's: target and file name
};

// The inputs of every target, in name order; known crashes only or all others.
std::vector<savedInput> savedInputs(bool knownCrashes)
{
    std::vector<savedInput> inputs;
    for (const fuzzTarget* t = fuzzTargets; t->name; ++t) {
        for (const std::string folder : {ORVISTA_FUZZ_CORPUS, ORVISTA_FUZZ_SAVED}) {
            std::error_code missing;
            for (const auto& entry : std::filesystem::directory_iterator(folder + "/" + t->name, missing)) {
                const std::string file = entry.path().filename().string();
                if (!entry.is_regular_file() || (file.rfind(knownCrashPrefix, 0) == 0) != knownCrashes)
                    continue;
                std::string name = std::string(t->name) + "_" + file;
                std::replace_if(
                    name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                inputs.push_back({t->name, entry.path().string(), name});
            }
        }
    }
    std::sort(inputs.begin(), inputs.end(), [](const savedInput& a, const savedInput& b) { return a.name < b.name; });
    return inputs;
}

void PrintTo(const savedInput& input, std::ostream* out)
{
    *out << input.path;
}

class replay : public ::testing::TestWithParam<savedInput> {};

std::string testName(const ::testing::TestParamInfo<savedInput>& info)
{
    return info.param.name;
}
}

TEST_P(replay, runsWithoutFault)
{
    prepareFuzzEnvironment();
    const std::string bytes = readWholeFile(GetParam().path);
    ASSERT_FALSE(bytes.empty()) << GetParam().path;
    const fuzzTarget* target = findFuzzTarget(GetParam().target);
    ASSERT_NE(nullptr, target);
    target->run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(replay, everyTargetHasSeeds)
{
    const std::vector<savedInput> all = savedInputs(false);
    for (const fuzzTarget* t = fuzzTargets; t->name; ++t) {
        EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const savedInput& s) { return s.target == t->name; }))
            << t->name;
    }
}

INSTANTIATE_TEST_SUITE_P(saved, replay, ::testing::ValuesIn(savedInputs(false)), testName);
// Faults found by fuzzing and not fixed yet.
INSTANTIATE_TEST_SUITE_P(DISABLED_knownCrash, replay, ::testing::ValuesIn(savedInputs(true)), testName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(replay);
