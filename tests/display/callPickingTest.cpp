#include <gtest/gtest.h>

#include "display/callPicking.h"
#include "platform/narrow.h"
#include "tests/display/fakeTimeline.h"

// View [day, day + 4000] on 400 columns: 10 seconds a column.
TEST(callPicking, theBoxHoldingTheColumnsTimeWinsThenTheLongestThenTheNearest)
{
    const double day = 1700000000;
    fakeTimeline line("line");
    line.add(day + 100, day + 300, "long").add(day + 200, day + 260, "inside") // columns 10..29 and 20..25
        .add(day + 495, day + 520, "holds 500").add(day + 503, day + 530, "longer") // 49..51 and 50..52
        .add(day + 2005, day + 2008, "far").add(day + 2001, day + 2002, "near")     // both in column 200
        .add(day + 3000, day + 3000, "flat");                                       // no length: column 300
    const recordingList found = line.getRecordings(day, day + 4000);
    const struct {
        int x;
        const char* expected;
    } cases[] = {{5, ""},           {10, "long"},   {29, "long"}, {30, ""},     {20, "long"},
                 {50, "holds 500"}, {51, "longer"}, {200, "near"}, {300, "flat"}, {301, ""}};
    for (const auto& c : cases) {
        const recording* r = callAt(found, vTimelineDisplayState{0, 0, day, day + 4000}, 400, c.x);
        EXPECT_EQ(c.expected, r ? r->label() : std::string()) << "column " << c.x;
    }
}

TEST(callPicking, detailsKeepEveryCharacterAndOnlyTheFileName)
{
    const std::string times =
        "Line: B\xC3\xBCro\nStart: 2023-11-14 23:13:20\nEnd: 2023-11-14 23:16:45\nLength: 0:03:25";
    const struct {
        std::string label, path, expected;
    } cases[] = {
        {"M\xC3\xBCller \xE2\x98\x8E", "/archive/2023/11/M\xC3\xBCller 1.wav",
         times + "\nLabel: M\xC3\xBCller \xE2\x98\x8E\nFile: M\xC3\xBCller 1.wav"},
        {"Z\xFCrich", "C:\\rec\\0001.wav", times + "\nLabel: Z\xFCrich\nFile: 0001.wav"}, // not UTF-8
        {"", "", times},
    };
    for (const auto& c : cases) {
        recording r;
        r.start = wxDateTime(14, wxDateTime::Nov, 2023, 23, 13, 20);
        r.end = wxDateTime(14, wxDateTime::Nov, 2023, 23, 16, 45);
        r.properties["label"] = c.label;
        r.properties["filename"] = c.path;
        EXPECT_EQ(c.expected, toNarrow(callDetails("B\xC3\xBCro", r)));
    }
}
