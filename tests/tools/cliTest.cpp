#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include <wx/datetime.h>
#include <wx/dir.h>
#include <wx/filefn.h>

#include "support/testSupport.h"
#include "tools/cli.h"
#include "tools/cliTesting.h"
#include "tools/demoArchive.h"

namespace {
std::vector<std::vector<std::string>> rows(const std::string& text)
{
    std::vector<std::vector<std::string>> result;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        size_t begin = 0, tab;
        while ((tab = line.find('\t', begin)) != std::string::npos) {
            fields.push_back(line.substr(begin, tab - begin));
            begin = tab + 1;
        }
        fields.push_back(line.substr(begin));
        result.push_back(fields);
    }
    return result;
}

class cliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        archive = new scratchDir;
        demoOptions options;
        options.outDir = archive->at("archive");
        options.channels = 4;
        options.days = 3;
        options.callsPerDay = 30;
        options.audioBytes = 0;
        options.endDate = "2024-03-31"; // the last day is 23 hours long in Berlin
        std::string error;
        ASSERT_TRUE(generateDemoArchive(options, &error)) << error;
    }
    static void TearDownTestSuite() { delete archive; }

    int run(std::vector<std::string> args)
    {
        out.str("");
        err.str("");
        return runCli(args, out, err);
    }
    std::string ini() const { return archive->at("archive/logger.ini"); }

    static scratchDir* archive;
    // `recordings` keeps an index in the user's cache folder; here a scratch one.
    scopedCliIndexFolder cache{archive->at("cache/orvista")};
    std::ostringstream out;
    std::ostringstream err;
};
scratchDir* cliTest::archive = nullptr;
}

TEST_F(cliTest, channelsListsEveryLineInNameOrder)
{
    ASSERT_EQ(0, run({"channels", "--logger-ini", ini()})) << err.str();
    auto lines = rows(out.str());
    ASSERT_EQ(4u, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        ASSERT_EQ(5u, lines[i].size());
        if (i > 0) {
            EXPECT_LT(lines[i - 1][0], lines[i][0]);
        }
        EXPECT_NE(std::string::npos, lines[i][1].find(lines[i][0])); // the folder ends with the name
        EXPECT_EQ("3", lines[i][2]);
        EXPECT_EQ("2024-03-29 00:00:00", lines[i][3]);
        EXPECT_EQ("2024-04-01 00:00:00", lines[i][4]);
    }
    EXPECT_TRUE(err.str().empty());
}

TEST_F(cliTest, recordingsOfAnIntervalPerChannel)
{
    ASSERT_EQ(0, run({"channels", "--logger-ini=" + ini()}));
    auto channels = rows(out.str());
    ASSERT_EQ(0, run({"recordings", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to",
                      "2024-03-31 00:00:00"}))
        << err.str();
    auto all = rows(out.str());
    ASSERT_FALSE(all.empty());
    size_t channel = 0;
    for (const auto& r : all) {
        ASSERT_EQ(5u, r.size());
        while (channel < channels.size() && channels[channel][0] != r[0])
            ++channel; // channels come in name order, never back
        ASSERT_LT(channel, channels.size()) << r[0];
        EXPECT_EQ("2024-03-30", r[1].substr(0, 10));
        EXPECT_LT(r[1], r[2]);
        EXPECT_NE(std::string::npos, r[4].find(r[0])) << "the audio file lies in the channel's folder";
    }

    // One channel named (twice): only its recordings.
    const std::string name = channels[1][0];
    ASSERT_EQ(0, run({"recordings", "--from", "2024-03-30T00:00", "--to", "2024-03-31 00:00:00", "--channel", name,
                      "--logger-ini", ini(), "--channel", name}));
    auto one = rows(out.str());
    size_t expected = 0;
    for (const auto& r : all)
        expected += r[0] == name;
    EXPECT_EQ(expected, one.size());
    for (const auto& r : one)
        EXPECT_EQ(name, r[0]);
}

TEST_F(cliTest, countsAgreeWithTheListWithAndWithoutTheIndex)
{
    // From midday to midday, so that catalogs are cut at both ends.
    const std::vector<std::string> interval = {"--logger-ini", ini(), "--from", "2024-03-29 12:00:00", "--to",
                                               "2024-03-31 12:00:00"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), interval.begin(), interval.end());
        return args;
    };
    const std::string index = archive->at("countCache/orvista");
    scopedCliIndexFolder freshCache(index);
    std::map<std::string, size_t> listed;
    ASSERT_EQ(0, run(with({"recordings", "--no-index"}))) << err.str();
    for (const auto& r : rows(out.str()))
        ++listed[r[0]];
    ASSERT_EQ(4u, listed.size());
    EXPECT_FALSE(wxDirExists(index)) << "--no-index leaves the cache alone";

    std::string expected;
    for (const auto& [name, calls] : listed)
        expected += name + "\t" + std::to_string(calls) + "\n";
    ASSERT_EQ(0, run(with({"recordings", "--count"}))) << err.str();
    EXPECT_EQ(expected, out.str());
    wxArrayString indexFiles;
    EXPECT_LT(0u, wxDir::GetAllFiles(index, &indexFiles)) << "the index is kept by default";
    // Read back from the index now.
    ASSERT_EQ(0, run(with({"recordings", "--count"})));
    EXPECT_EQ(expected, out.str());

    const std::string name = listed.rbegin()->first;
    ASSERT_EQ(0, run(with({"recordings", "--count", "--channel", name})));
    EXPECT_EQ(name + "\t" + std::to_string(listed[name]) + "\n", out.str());
}

TEST_F(cliTest, errorsAreOneLineAndStatusTwo)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"channels", "--logger-ini", archive->at("nowhere/logger.ini")},
        {"channels", "--from", "2024-01-01 00:00:00"},
        {"channels", "--logger-ini"},
        {"recordings", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00"},
        {"recordings", "--logger-ini", ini(), "--from", "yesterday", "--to", "2024-03-31 00:00:00"},
        {"recordings", "--logger-ini", ini(), "--from", "2024-03-31 00:00:00", "--to", "2024-03-31 00:00:00"},
        {"recordings", "--logger-ini", ini(), "--from", "2024-03-31 00:00:00", "--to", "2024-03-30 00:00:00"},
        {"recordings", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to", "2024-03-31 00:00:00",
         "--channel", "No such line"},
        {"recordings", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to", "2024-03-31 00:00:00",
         "--into", archive->at("copied")},
        {"recordings", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to", "2024-03-31 00:00:00",
         "--count=yes"},
        {"copy", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to", "2024-03-31 00:00:00", "--into",
         archive->at("copied"), "--count"},
        {"copy", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to", "2024-03-31 00:00:00"},
        {"copy", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--into", archive->at("copied")},
        {"copy", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to", "2024-03-31 00:00:00", "--into",
         ini()},
        {"copy", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to", "2024-03-31 00:00:00", "--into",
         archive->at("copied"), "--yes=no"},
        {"copy", "--logger-ini", ini(), "--from", "2024-03-30 00:00:00", "--to", "2024-03-31 00:00:00", "--into",
         archive->at("copied"), "--channel", "No such line"},
    };
    for (const auto& args : bad) {
        std::string shown;
        for (const auto& a : args)
            shown += a + " ";
        EXPECT_EQ(2, run(args)) << shown;
        EXPECT_TRUE(out.str().empty()) << shown;
        std::string message = err.str();
        EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << shown << message;
        EXPECT_EQ(0u, message.rfind("orvista-cli: ", 0)) << message;
    }
    EXPECT_FALSE(wxDirExists(archive->at("copied"))) << "a refused copy makes no folder";
}

TEST_F(cliTest, helpForEveryCommand)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"channels", "--help"}, {"recordings", "--help"}, {"copy", "--help"}}) {
        EXPECT_EQ(0, run(args));
        EXPECT_EQ(0u, out.str().rfind("Usage: orvista-cli", 0));
    }
    // The manual page is made from the tool's --help and --version.
    run({"--help"});
    for (const char* command : {"channels", "recordings", "copy", "settings"})
        EXPECT_NE(std::string::npos, out.str().find(std::string("\n  ") + command + "\n")) << command;
    EXPECT_EQ(0, run({"--version"}));
    EXPECT_EQ(0u, out.str().rfind("orvista-cli 0.", 0));
}

// --match, --min-length and --max-length keep exactly the listed calls that a
// plain look at the label and the times picks, in --count as well.
TEST_F(cliTest, matchAndLengthsFilterTheListing)
{
    const std::vector<std::string> interval = {"--logger-ini", ini(), "--from", "2024-03-29 00:00:00", "--to",
                                               "2024-04-01 00:00:00"};
    auto listing = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "recordings");
        args.insert(args.end(), interval.begin(), interval.end());
        EXPECT_EQ(0, run(args)) << err.str();
        return rows(out.str());
    };
    const auto all = listing({});
    // A national number of the archive, and its first eight digits written with
    // separators.
    std::string national;
    for (const auto& r : all)
        if (r[3].size() > 6 && r[3].rfind("0", 0) == 0 && r[3].rfind("00", 0) != 0)
            national = r[3];
    ASSERT_FALSE(national.empty());
    const std::string prefix = national.substr(0, 8);
    const std::string written = prefix.substr(0, 4) + "-" + prefix.substr(4, 3) + " " + prefix.substr(7) + "*";
    auto lengthOf = [](const std::vector<std::string>& r) {
        wxDateTime start, end;
        start.ParseISOCombined(r[1], ' ');
        end.ParseISOCombined(r[2], ' ');
        return (end - start).GetSeconds().ToLong();
    };
    const struct {
        std::vector<std::string> args;
        std::function<bool(const std::vector<std::string>&)> keeps;
    } cases[] = {
        {{"--match", national}, [&](const auto& r) { return r[3] == national; }},
        {{"--match=" + written}, [&](const auto& r) { return r[3].rfind(prefix, 0) == 0; }},
        {{"--match", "00*"}, [](const auto& r) { return r[3].rfind("+", 0) == 0; }}, // calls from abroad
        {{"--match", "2*, 3*, !*9"},
         [](const auto& r) { return r[3].size() == 3 && (r[3][0] == '2' || r[3][0] == '3') && r[3][2] != '9'; }},
        {{"--min-length", "120", "--max-length=600"},
         [&](const auto& r) { return lengthOf(r) >= 120 && lengthOf(r) <= 600; }},
    };
    for (const auto& c : cases) {
        std::vector<std::vector<std::string>> expected;
        std::map<std::string, size_t> perLine;
        for (const auto& r : all)
            if (c.keeps(r)) {
                expected.push_back(r);
                ++perLine[r[0]];
            }
        EXPECT_FALSE(expected.empty()) << c.args[0] << ": a case that keeps nothing tests little";
        EXPECT_EQ(expected, listing(c.args)) << c.args[0];
        std::vector<std::string> counting = c.args;
        counting.push_back("--count");
        for (const auto& r : listing(counting))
            EXPECT_EQ(std::to_string(perLine[r[0]]), r[1]) << c.args[0] << " on " << r[0];
    }
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--min-length", "ten"}, {"--max-length", "-1"}, {"--min-length", "9", "--max-length", "8"},
          {"--max-length"}}) {
        std::vector<std::string> args = {"recordings"};
        args.insert(args.end(), bad.begin(), bad.end());
        args.insert(args.end(), interval.begin(), interval.end());
        EXPECT_EQ(2, run(args)) << bad[0];
    }
}
