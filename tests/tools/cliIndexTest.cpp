#include <gtest/gtest.h>

#include <sstream>

#include <wx/log.h>

#include "recdb/catalog.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "tools/cli.h"
#include "tools/cliTesting.h"

namespace {
std::string call(const std::string& loggerHeader)
{
    return "<file><hdr><au_hdr><data_size>80000</data_size><sample_rate>8000</sample_rate></au_hdr><vmk_hdr>" +
           loggerHeader + "<file_name>a.wav</file_name></vmk_hdr></hdr></file>";
}

// Starts written every way a catalog may write them: each one's instant
// depends on the zone, its rules, or (a time alone) on the day of reading.
const std::string calls = "<vmk_catalog>" + call("<date>20240116</date><time>010203</time>") +
                          call("<time>023000</time><date>20240331</date>") + // Berlin's clock skips it
                          call("<date>20241027</date><time>023000</time>") + // Berlin's clock shows it twice
                          call("<date>20240310</date><time>023000</time>") + // New York's clock skips it
                          call("<time>101500</time>") + call("<date>2024x</date><time>120000</time>") +
                          call("<date>20240116 </date><time>1203</time>") + call("<date>20240201</date>") +
                          call("") + "</vmk_catalog>";
const std::string lateCalls = "<vmk_catalog>" + call("<date>20240117</date><time>235959</time>") + "</vmk_catalog>";
// The same catalog while the logger is still writing it.
const std::string lateUnfinished = lateCalls.substr(0, lateCalls.size() - 20);

const char* const berlin = "CET-1CEST,M3.5.0,M10.5.0/3";
const char* const newYork = "EST5EDT,M3.2.0,M11.1.0";
const char* const berlinOtherRules = "CET-1CEST,M4.1.0,M9.5.0/3"; // as after an update of the zone's rules
const char* const utc = "UTC0";
}

// Whatever the index was filled in (another zone, other rules, another day, a
// catalog broken then), what it gives is what a fresh read gives now, here;
// a catalog that could not be read is read and reported again at every start.
TEST(cliIndexTest, indexReadsAgreeWithFreshReads)
{
    scratchDir dir;
    dir.write("logger.ini", "[storage paths]\nmain=" + dir.path() +
                                "\n\n[line01]\nStoragePath=main\nChannelName=Desk\n");
    dir.write("Desk/20240116/calls.xml", calls);
    const std::string late = "Desk/20240117/late.xml";
    scopedCliIndexFolder cache(dir.at("cache"));
    const std::vector<std::string> recordings = {"recordings",         "--logger-ini",          dir.at("logger.ini"),
                                                 "--from",             "2000-01-01 00:00:00", "--to",
                                                 "2030-01-01 00:00:00"};
    auto run = [&](std::vector<std::string> args) {
        capturedLog log;
        std::ostringstream out, err;
        const int status = runCli(args, out, err);
        return std::to_string(status) + "\n" + out.str() + "--- stderr\n" + err.str() + log.text;
    };

    const struct {
        const char* zone;
        civilDate today;
        bool lateComplete;
    } reads[] = {
        {berlin, {2024, 1, 16}, true}, // fills the index
        {newYork, {2024, 1, 16}, true},
        {berlinOtherRules, {2024, 1, 16}, true},
        {berlin, {2025, 7, 1}, true},
        {utc, {2025, 7, 1}, false},
        {utc, {2025, 7, 1}, false}, // unchanged since: still reported
        {berlin, {2025, 7, 2}, true},
    };
    bool lateWritten = false, lateWasComplete = false;
    for (const auto& r : reads) {
        SCOPED_TRACE(std::string(r.zone) + " " + std::to_string(r.today.year) + "-" + std::to_string(r.today.month) +
                     "-" + std::to_string(r.today.day) + (r.lateComplete ? "" : ", a catalog unfinished"));
        useTimeZone(r.zone);
        useCatalogClock([&] { return r.today; });
        if (!lateWritten || lateWasComplete != r.lateComplete)
            dir.write(late, r.lateComplete ? lateCalls : lateUnfinished);
        lateWritten = true;
        lateWasComplete = r.lateComplete;

        std::vector<std::string> fresh = recordings;
        fresh.push_back("--no-index");
        const std::string expected = run(fresh);
        EXPECT_EQ(expected, run(recordings));
        // As written, in every zone.
        EXPECT_NE(std::string::npos, expected.find("\t2024-01-16 01:02:03\t2024-01-16 01:02:13\t")) << expected;
        EXPECT_EQ(!r.lateComplete, expected.find("XML parsing error") != std::string::npos) << expected;
    }
    useCatalogClock(nullptr);
    useBerlinTime();
}
