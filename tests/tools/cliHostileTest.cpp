#include <gtest/gtest.h>

#include <sstream>

#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "tools/cli.h"
#include "tools/cliTesting.h"

namespace {
std::string catalog(const std::string& date, const std::string& time, const std::string& number,
                    const std::string& file)
{
    return "<vmk_catalog><file><hdr><au_hdr><data_size>80000</data_size><sample_rate>8000</sample_rate></au_hdr>"
           "<vmk_hdr><date>" + date + "</date><time>" + time + "</time><number>" + number +
           "</number><file_name>" + file + "</file_name></vmk_hdr></hdr></file></vmk_catalog>";
}

// A folder as `channels` prints it: with the system's separators, and each
// backslash written twice.
std::string printedFolder(const std::string& path)
{
    std::string printed;
    for (char c : path)
        printed += c == '\\' || (c == '/' && runningOnWindows()) ? "\\\\" : std::string(1, c);
    return printed;
}

struct run {
    int status;
    std::string out, err;
};

run cli(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

// Calls on the first local day of 1970 (before 1970 in UTC), in 2050, and one
// whose catalog text tries to forge records.
class hostileArchive : public ::testing::Test {
protected:
    scratchDir dir;
    scopedCliIndexFolder cache{dir.at("cache")}; // not the user's catalog index
    std::string ini;
    void SetUp() override
    {
        dir.write("store/Alpha/19700101/c.xml", catalog("19700101", "003000", "early", "/rec/early.wav"));
        dir.write("store/Alpha/20500101/c.xml", catalog("20500101", "090000", "late", "/rec/late.wav"));
        dir.write("store/Beta/20240115/c.xml",
                  catalog("20240115", "090000", "x&#10;FAKE&#9;2024-01-15 09:00:00&#9;y", "C:\\rec\\a&#9;b&#13;.wav"));
        ini = dir.write("logger.ini", "[storage paths]\nmain=" + dir.at("store") +
                                          "\n[line01]\nStoragePath=main\nChannelName=Alpha\n"
                                          "[line02]\nStoragePath=main\nChannelName=Beta\n");
    }
};
}

TEST_F(hostileArchive, timesBefore1970AndAfter2038AreTimesLikeAnyOther)
{
    run r = cli({"channels", "--logger-ini", ini});
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.err) << "no assertion or other complaint";
    EXPECT_EQ(0u, r.out.find("Alpha\t" + printedFolder(dir.at("store/Alpha")) +
                             "\t2\t1970-01-01 00:00:00\t2050-01-02 00:00:00\n"))
        << r.out;

    r = cli({"recordings", "--from", "1900-01-01 00:00:00", "--to", "9999-12-31 23:59:59", "--channel", "Alpha",
             "--logger-ini", ini});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("Alpha\t1970-01-01 00:30:00\t1970-01-01 00:30:10\tearly\t/rec/early.wav\n"
              "Alpha\t2050-01-01 09:00:00\t2050-01-01 09:00:10\tlate\t/rec/late.wav\n",
              r.out);

    for (const char* outside : {"1899-12-31 23:59:59", "10000-01-01 00:00:00"}) {
        r = cli({"recordings", "--from", outside, "--to", "2024-01-01 00:00:00", "--logger-ini", ini});
        EXPECT_EQ(2, r.status) << outside;
        EXPECT_EQ("", r.out);
    }
}

TEST_F(hostileArchive, catalogTextCannotSplitOrForgeARecord)
{
    run r = cli({"recordings", "--from", "2024-01-15 00:00:00", "--to", "2024-01-16 00:00:00", "--logger-ini", ini});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("Beta\t2024-01-15 09:00:00\t2024-01-15 09:00:10\tx\\nFAKE\\t2024-01-15 09:00:00\\ty\t"
              "C:\\\\rec\\\\a\\tb\\r.wav\n",
              r.out);
}
