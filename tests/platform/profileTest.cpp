// The INI reading contract of readProfileString: the Windows profile API's results,
// buffer handling and file rules, checked on the portable reader and on Windows'
// own function. Rules that only the portable reader keeps skip on Windows, and
// the few places where Wine reads otherwise than Windows skip under Wine.
#include "platform/profile.h"

#include "platform/fileStamp.h"
#include "platform/machineText.h"
#include "platform/narrow.h"
#include "platform/windowsDirectory.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <wx/strconv.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace std::string_literals;

namespace {

struct call {
    unsigned long length;
    std::string bytes; // the whole buffer
};

call readRaw(const std::string& file, const char* section, const char* key, const char* defaultValue,
             unsigned long size)
{
    std::string buffer(size, '\x7f');
    unsigned long length = readProfileString(section, key, defaultValue, buffer.data(), size, file.c_str());
    return {length, buffer};
}

std::string valueOf(const std::string& file, const char* section, const char* key,
                    const char* defaultValue = "default")
{
    call c = readRaw(file, section, key, defaultValue, 4096);
    EXPECT_EQ(c.bytes[c.length], '\0');
    return c.bytes.substr(0, c.length);
}

// Splits a list result, checking that it ends with the double NUL. Lists are
// asked for with the default "", as the program does: what another default
// gives for a missing section is not the same on every system.
std::vector<std::string> listOf(const std::string& file, const char* section, unsigned long size = 4096)
{
    call c = readRaw(file, section, nullptr, "", size);
    std::vector<std::string> names;
    if (c.length == 0) {
        EXPECT_EQ(c.bytes[0], '\0');
        return names;
    }
    EXPECT_EQ(c.bytes[c.length - 1], '\0');
    EXPECT_EQ(c.bytes[c.length], '\0');
    size_t at = 0;
    while (at < c.length) {
        size_t end = c.bytes.find('\0', at);
        names.push_back(c.bytes.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

using names = std::vector<std::string>;

// Why a test cannot hold for Windows' own function, or for Wine's.
const char* const emptyNameCrash = "Windows' ANSI function may crash on an empty section or key name (Wine's "
                                   "conformance tests ask for one only through the wide function)";
const char* const wineCutList = "Wine leaves out the second NUL after a cut list (its conformance tests mark this "
                                "as not done yet); Windows writes it";
const char* const wineNamelessSection = "Wine files the entries before the first header under the section \"\" and "
                                        "cannot reach a \"[]\" section (its conformance tests mark this as not done "
                                        "yet)";
const char* const byteOrderMark = "Windows reads a UTF-8 byte order mark as part of the first line; skipping it is "
                                  "the portable reader's own addition";
const char* const wineCutTabs = "Wine cuts tabs off the section and key names asked for too; Windows only spaces";
const char* const bigEndian = "Windows does not read UTF-16 big endian; the portable reader's own addition";

// UTF-8 text as UTF-16 bytes with a byte order mark, as Windows editors save it.
std::string utf16(const std::string& utf8, bool bigEndian)
{
    wxString text = wxString::FromUTF8(utf8);
    wxMBConvUTF16LE littleEndian;
    wxMBConvUTF16BE big;
    const wxMBConv& conversion = bigEndian ? static_cast<const wxMBConv&>(big) : littleEndian;
    wxCharBuffer bytes = text.mb_str(conversion);
    return (bigEndian ? "\xFE\xFF"s : "\xFF\xFE"s) + std::string(bytes.data(), bytes.length());
}

} // namespace

// One row per rule of the file format: the file, what is asked, what comes back.
struct fileRule {
    const char* rule;
    std::string content;
    const char* section;
    const char* key;
    std::string expected;
    // The program reads with its own parser on Windows too; these say where the
    // system's function (or Wine's) would read the file otherwise.
    const char* notOnWindows = nullptr;
    const char* notUnderWine = nullptr;
};

void PrintTo(const fileRule& row, std::ostream* out)
{
    *out << row.rule;
}

class profileFileRules : public ::testing::TestWithParam<fileRule> {};

TEST_P(profileFileRules, valueLookup)
{
    const fileRule& row = GetParam();
    scratchDir dir;
    std::string file = dir.write("test.ini", row.content);
    EXPECT_EQ(valueOf(file, row.section, row.key), row.expected) << row.rule;
}

INSTANTIATE_TEST_SUITE_P(
    profile, profileFileRules,
    ::testing::Values(
        fileRule{"plain value", "[s]\nk=v\n", "s", "k", "v"},
        fileRule{"section and key ignore case", "[SeCtIoN]\nKeY=v\n", "section", "KEY", "v"},
        fileRule{"non-ASCII letters are not folded", "[\xC3\x84]\nk=v\n", "\xC3\xA4", "k", "default"},
        fileRule{"blanks around names and value are cut", "  \t[ \t s \v]  \n \t k \t =  \t v w \t\n", "s", "k",
                 "v w"},
        fileRule{"spaces around the arguments are cut", "[s]\nk=v\n", "  s  ", " k ", "v"},
        fileRule{"a tab in the section argument never matches", "[\ts]\nk=v\n", "\ts", "k", "default", nullptr,
                 wineCutTabs},
        fileRule{"a tab in the key argument never matches", "[s]\n\tk=v\n", "s", "\tk", "default", nullptr,
                 wineCutTabs},
        fileRule{"double quotes are stripped, inner blanks kept", "[s]\nk=  \"  v  \"  \n", "s", "k", "  v  "},
        fileRule{"single quotes are stripped", "[s]\nk='v w'\n", "s", "k", "v w"},
        fileRule{"only the outer pair is stripped", "[s]\nk=\"'v'\"\n", "s", "k", "'v'"},
        fileRule{"mismatched quotes stay", "[s]\nk=\"v'\n", "s", "k", "\"v'"},
        fileRule{"quotes not enclosing the whole value stay", "[s]\nk=\"a\" b \"c\"x\n", "s", "k", "\"a\" b \"c\"x"},
        fileRule{"a lone quote stays", "[s]\nk=\"\n", "s", "k", "\""},
        fileRule{"empty quotes give the empty value", "[s]\nk=\"\"\n", "s", "k", ""},
        fileRule{"an empty value is a value", "[s]\nk=\n", "s", "k", ""},
        fileRule{"the first '=' splits", "[s]\nk=a=b\n", "s", "k", "a=b"},
        fileRule{"comment line", "[s]\n;k=v\n", "s", ";k", "default", nullptr,
                 "Wine finds a comment line as the key named with its ';'; Windows never does"},
        fileRule{"comment is not the key without ';'", "[s]\n;k=v\n", "s", "k", "default"},
        fileRule{"indented comment", "[s]\n \t;k=v\n", "s", "k", "default"},
        fileRule{"';' in a value is text", "[s]\nk=;v ;w\n", "s", "k", ";v ;w"},
        fileRule{"';' inside a key is text", "[s]\na;b=v\n", "s", "a;b", "v"},
        fileRule{"';' in a section name is text", "[;s]\nk=v\n", ";s", "k", "v"},
        fileRule{"'#' is not a comment", "[s]\n#k=v\n", "s", "#k", "v"},
        fileRule{"a line without '=' is skipped", "[s]\nk\nk=v\n", "s", "k", "v", nullptr,
                 "Wine takes a line without '=' for a key without a value, which hides the entry after it"},
        fileRule{"the first of duplicate keys wins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
        fileRule{"only the first of duplicate sections is used", "[s]\na=1\n[t]\n[S]\na=2\nb=3\n", "s", "b", "default"},
        fileRule{"a later duplicate section does not override", "[s]\na=1\n[S]\na=2\n", "s", "a", "1"},
        fileRule{"a header may lack its ']'", "[s  \nk=v\n", "s", "k", "v", nullptr,
                 "Wine needs the ']' of a section header; Windows does not"},
        fileRule{"text after ']' is ignored", "[s]k=v\n", "s", "k", "default"},
        fileRule{"the name ends at the first ']'", "[a]b]\nk=v\n", "a", "k", "v", nullptr,
                 "Wine ends a section name at the last ']'; Windows at the first"},
        fileRule{"a header needs its '['", "s]\nk=v\n", "s", "k", "default"},
        fileRule{"'[]' is the section with the empty name", "k=0\n[]\nk=v\n", "", "k", "v", emptyNameCrash,
                 wineNamelessSection},
        fileRule{"entries before the first header are unreachable", "k=v\n[s]\n", "", "k", "default", emptyNameCrash,
                 wineNamelessSection},
        fileRule{"a '=value' line is key \"\"", "[s]\n=v\n", "s", "", "v", emptyNameCrash},
        fileRule{"a key stops at the next section", "[s]\n[t]\nk=v\n", "s", "k", "default"},
        fileRule{"CR LF line ends", "[s]\r\nj=w\r\nk=v\r\n", "s", "k", "v"},
        fileRule{"lone CR line ends", "[s]\rj=w\rk=v\r", "s", "k", "v"},
        fileRule{"LF CR is two line ends", "[s]\n\rk=v\n\r", "s", "k", "v"},
        fileRule{"no line end at the end of the file", "[s]\nk=v", "s", "k", "v"},
        fileRule{"a UTF-8 byte order mark is skipped", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v", byteOrderMark},
        fileRule{"UTF-8 bytes pass unchanged", "[s]\nk=Gr\xC3\xBC\xC3\x9F" "e\n", "s", "k", "Gr\xC3\xBC\xC3\x9F" "e"},
        fileRule{"a NUL byte ends the line's text", "[s]\nk=v\0junk=x\nj=w\n"s, "s", "k", "v"},
        fileRule{"the line after a NUL byte is read", "[s]\nk=v\0junk\nj=w\n"s, "s", "j", "w"},
        fileRule{"UTF-16 LE with its mark becomes UTF-8", utf16("[s]\r\nk=Gr\xC3\xBC\xC3\x9F" "e\r\n", false), "s", "k",
                 "Gr\xC3\xBC\xC3\x9F" "e"},
        fileRule{"UTF-16 BE with its mark becomes UTF-8", utf16("[s]\r\nk=Gr\xC3\xBC\xC3\x9F" "e\r\n", true), "s", "k",
                 "Gr\xC3\xBC\xC3\x9F" "e", bigEndian},
        fileRule{"UTF-16 names are converted too", utf16("[Empfang S\xC3\xBC" "d]\nSt\xC3\xA4rke=1\n", false),
                 "Empfang S\xC3\xBC" "d", "St\xC3\xA4rke", "1"},
        fileRule{"UTF-16 surrogate pairs are one character", utf16("[s]\nk=\xF0\x9F\x93\x9E x\n", true), "s", "k",
                 "\xF0\x9F\x93\x9E x", bigEndian},
        fileRule{"UTF-16 case folding and blanks as in bytes", utf16(" [ S ]\n K = ' v ' \n", false), "s", "k", " v "},
        fileRule{"a lone UTF-16 surrogate becomes U+FFFD", "\xFF\xFE[\0s\0]\0\n\0k\0=\0\x00\xD8x\0\n\0"s, "s", "k",
                 "\xEF\xBF\xBDx", "the ANSI code page has no U+FFFD: Windows gives '?'"},
        fileRule{"an odd last byte of UTF-16 is dropped", "\xFE\xFF\0[\0s\0]\0\n\0k\0=\0v\0"s, "s", "k", "v",
                 bigEndian},
        fileRule{"UTF-16 U+0000 ends the line's text", "\xFF\xFE[\0s\0]\0\n\0k\0=\0v\0\0\0w\0\n\0"s, "s", "k",
                 "v"}),
    [](const ::testing::TestParamInfo<fileRule>& info) { return "rule" + std::to_string(info.index); });

// A file without a byte order mark that is not UTF-8 is in the machine's code
// page: converted on Windows, whichever code page the program itself runs
// with, and kept as bytes elsewhere.
TEST(profileEncodings, machineCodePageFilesAreConverted)
{
    // Section and value of "[section]\nk=value\n": as the file holds them,
    // and as Windows reads them.
    struct row {
        unsigned codePage;
        std::string section, value, sectionOnWindows, valueOnWindows;
    } rows[] = {
        {1252, "s", "M\xFCller", "s", "M\xC3\xBCller"},
        {1252, "Empfang S\xFC" "d", "caf\xE9", "Empfang S\xC3\xBC" "d", "caf\xC3\xA9"},
        // Shift-JIS: the second byte of "\x95\x5C" would read as a backslash.
        {932, "s", "D:\\rec\\\x95\x5C", "s", "D:\\rec\\\xE8\xA1\xA8"},
        {932, "\x83\x5C\x83\x74\x83\x67", "1", "\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88", "1"},
        // Valid UTF-8 stays UTF-8 in any code page.
        {1252, "s", "M\xC3\xBCller", "s", "M\xC3\xBCller"},
    };
    scratchDir dir;
    for (const row& r : rows) {
        useMachineCodePage(r.codePage);
        const std::string file =
            dir.write("test" + std::to_string(&r - rows) + ".ini", "[" + r.section + "]\nk=" + r.value + "\n");
        const std::string& section = runningOnWindows() ? r.sectionOnWindows : r.section;
        EXPECT_EQ(valueOf(file, section.c_str(), "k"), runningOnWindows() ? r.valueOnWindows : r.value) << r.value;
    }
    useMachineCodePage(0);
}

TEST(profileLists, sectionNamesInFileOrderWithDuplicates)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "k=0\n[a]\nx=1\n[ b ]\ny=2\n[A]\n;[c]\n");
    EXPECT_EQ(listOf(file, nullptr), (names{"a", "b", "A"}));
    // The key argument does not matter when the section is null.
    call c = readRaw(file, nullptr, "x", "default", 64);
    EXPECT_EQ(c.length, 6u);
    EXPECT_EQ(c.bytes.substr(0, 7), "a\0b\0A\0\0"s);
}

TEST(profileLists, keyNamesOfTheFirstMatchingSection)
{
    scratchDir dir;
    std::string file = dir.write("test.ini",
                                 "name0=before\n[S]\nname1=val1\nname2=\nname3\n ;name5=c\nname4 = val4\n"
                                 "NAME1=again\n[t]\nz=1\n[s]\nlater=1\n");
    EXPECT_EQ(listOf(file, "s"), (names{"name1", "name2", "name4", "NAME1"}));
    EXPECT_EQ(listOf(file, "t"), (names{"z"}));
    EXPECT_EQ(listOf(file, "missing"), names{});
}

TEST(profileLists, emptySectionNameListsTheKeysOfBrackets)
{
    scratchDir dir;
    EXPECT_EQ(listOf(dir.write("test.ini", "outside=1\n[]\ninside=2\n"), ""), (names{"inside"}));
    EXPECT_EQ(listOf(dir.write("other.ini", "outside=1\n[s]\n"), ""), names{});
}

// An empty name would read as the end of a NUL-separated list.
TEST(profileLists, emptyNamesAreLeftOut)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\n=nameless\nk=1\n[]\nx=1\n[t]\n");
    EXPECT_EQ(listOf(file, nullptr), (names{"s", "t"}));
    EXPECT_EQ(listOf(file, "s"), (names{"k"}));
}

TEST(profileBuffers, valueIsCutToSizeMinusOne)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nk=val1\nshort=a\n");
    call c = readRaw(file, "s", "k", "default", 5);
    EXPECT_EQ(c.length, 4u);
    EXPECT_EQ(c.bytes, "val1\0"s);
    c = readRaw(file, "s", "k", "default", 4);
    EXPECT_EQ(c.length, 3u);
    EXPECT_EQ(c.bytes, "val\0"s);
    c = readRaw(file, "s", "k", "default", 2);
    EXPECT_EQ(c.length, 1u);
    EXPECT_EQ(c.bytes, "v\0"s);
    c = readRaw(file, "s", "short", "default", 1);
    EXPECT_EQ(c.length, 0u);
    EXPECT_EQ(c.bytes, "\0"s);
    c = readRaw(file, "s", "missing", "default", 4);
    EXPECT_EQ(c.length, 3u);
    EXPECT_EQ(c.bytes, "def\0"s);
}

TEST(profileBuffers, sizeZeroWritesNothing)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nk=v\n");
    char buffer[4] = {'x', 'y', 'z', 'w'};
    EXPECT_EQ(readProfileString("s", "k", "default", buffer, 0, file.c_str()), 0u);
    EXPECT_EQ(readProfileString(nullptr, nullptr, "default", buffer, 0, file.c_str()), 0u);
    EXPECT_EQ(std::string(buffer, 4), "xyzw");
}

TEST(profileBuffers, listNeedsTwoSpareBytesElseIsCutWithDoubleNul)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[section1]\n[section2]\n[section3]\n");
    // 27 characters with their NULs: 29 bytes hold them, 28 do not.
    call c = readRaw(file, nullptr, nullptr, nullptr, 29);
    EXPECT_EQ(c.length, 27u);
    EXPECT_EQ(c.bytes.substr(0, 28), "section1\0section2\0section3\0\0"s);
    c = readRaw(file, nullptr, nullptr, nullptr, 28);
    EXPECT_EQ(c.length, 26u);
    EXPECT_EQ(c.bytes, "section1\0section2\0section3\0\0"s);
    c = readRaw(file, nullptr, nullptr, nullptr, 27);
    EXPECT_EQ(c.length, 25u);
    EXPECT_EQ(c.bytes, "section1\0section2\0section\0\0"s);
    c = readRaw(file, nullptr, nullptr, nullptr, 16);
    EXPECT_EQ(c.length, 14u);
    EXPECT_EQ(c.bytes, "section1\0secti\0\0"s);
}

TEST(profileBuffers, keyListIsCutLikeTheSectionList)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nname1=1\nname2=2\nname4=4\n");
    call c = readRaw(file, "s", nullptr, nullptr, 16);
    EXPECT_EQ(c.length, 14u);
    EXPECT_EQ(c.bytes, "name1\0name2\0na\0\0"s);
}

TEST(profileBuffers, tinyListBuffersNeverGoBelowZero)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nk=v\n");
    call c = readRaw(file, nullptr, nullptr, nullptr, 2);
    EXPECT_EQ(c.length, 0u);
    EXPECT_EQ(c.bytes, "\0\0"s);
    c = readRaw(file, "s", nullptr, nullptr, 1);
    EXPECT_EQ(c.length, 0u);
    EXPECT_EQ(c.bytes, "\0"s);
}

TEST(profileDefaults, nullDefaultIsEmpty)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nk=v\n");
    EXPECT_EQ(valueOf(file, "s", "missing", nullptr), "");
}

TEST(profileDefaults, onlyTrailingSpacesAreCut)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nk=v\n");
    EXPECT_EQ(valueOf(file, "s", "missing", "   default    "), "   default");
    EXPECT_EQ(valueOf(file, "s", "missing", "one two  "), "one two");
    EXPECT_EQ(valueOf(file, "s", "missing", "default\t"), "default\t");
}

TEST(profileDefaults, defaultOfSpacesOnlyIsEmpty)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nk=v\n");
    EXPECT_EQ(valueOf(file, "s", "missing", "    "), "");
}

TEST(profileDefaults, usedForMissingSectionKeyAndFile)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nk=v\n");
    EXPECT_EQ(valueOf(file, "other", "k"), "default");
    EXPECT_EQ(valueOf(file, "s", "other"), "default");
    EXPECT_EQ(valueOf(file, "", "k"), "default");
    EXPECT_EQ(valueOf(dir.at("missing.ini"), "s", "k"), "default");
}

TEST(profileFiles, missingEmptyOrUnreadableFilesGiveDefaultsAndEmptyLists)
{
    scratchDir dir;
    dir.mkdir("folder.ini");
    std::string empty = dir.write("empty.ini", "");
    for (const std::string& file : {dir.at("missing.ini"), empty, dir.at("folder.ini")}) {
        EXPECT_EQ(valueOf(file, "s", "k"), "default") << file;
        EXPECT_EQ(listOf(file, nullptr), names{}) << file;
        EXPECT_EQ(listOf(file, "s"), names{}) << file;
    }
    char buffer[16];
    EXPECT_EQ(readProfileString("s", "k", "default", buffer, sizeof buffer, nullptr), 7u);
    EXPECT_STREQ(buffer, "default");
    EXPECT_EQ(readProfileString("s", "k", "default", buffer, sizeof buffer, ""), 7u);
    EXPECT_STREQ(buffer, "default");
}

TEST(profileFiles, bareFileNameIsLookedForInTheWindowsFolder)
{
    // Elsewhere WINDIR stands for the Windows folder; Windows takes its own,
    // whatever the environment says, so there the test writes into it.
    scratchDir windows;
    scopedEnv windir("WINDIR", wxString::FromUTF8(windows.path()));
    const std::string name = "orvista-profile-test.ini";
    const std::string file = runningOnWindows() ? windowsDirectory() + "\\" + name : windows.at(name);
    struct removedAtEnd {
        std::string path;
        ~removedAtEnd() { std::remove(path.c_str()); }
    } removal{file};
    std::ofstream out(file, std::ios::binary);
    if (!out)
        GTEST_SKIP() << "the Windows folder takes new files only from administrators";
    out << "[s]\nk=from windows\n";
    out.close();
    ASSERT_TRUE(out) << file;
    EXPECT_EQ(valueOf(name, "s", "k"), "from windows");
}

// The parsed file is kept while the file is unchanged, so a change that keeps
// the size and the modification time (a tool that keeps times, a rewrite in the
// same clock tick) must still be noticed: by the change time or by the identity.
TEST(profileFiles, rewriteWithTheSameSizeAndModificationTimeIsSeen)
{
    for (bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "replaced by another file" : "rewritten in place");
        // Within one second, so that the change times differ only below it.
        using namespace std::chrono;
        const nanoseconds intoSecond = system_clock::now().time_since_epoch() % seconds(1);
        if (intoSecond > milliseconds(700))
            std::this_thread::sleep_for(seconds(1) - intoSecond + milliseconds(1));
        scratchDir dir;
        std::string file = dir.write("test.ini", "[s]\nk=old\n");
        ASSERT_EQ(valueOf(file, "s", "k"), "old");
        fileStamp before, after;
        std::int64_t modified = 0;
        ASSERT_TRUE(fileStampOf(file, before));
        ASSERT_TRUE(modificationTimeOf(file, modified));

        // More than a tick of the coarsest file system clock, so the change time moves.
        std::this_thread::sleep_for(milliseconds(20));
        if (replaced) {
            std::string other = dir.write("other.ini", "[s]\nk=new\n");
            ASSERT_TRUE(setModificationTime(other, modified));
            std::error_code error;
            std::filesystem::rename(other, file, error); // replaces the file on Windows too
            ASSERT_FALSE(error) << error.message();
        } else {
            dir.write("test.ini", "[s]\nk=new\n");
            ASSERT_TRUE(setModificationTime(file, modified));
        }
        ASSERT_TRUE(fileStampOf(file, after));
        ASSERT_EQ(after.size, before.size);
        ASSERT_EQ(after.modified, before.modified);
        ASSERT_EQ(after.identity == before.identity, !replaced);

        EXPECT_EQ(valueOf(file, "s", "k"), "new");
        EXPECT_EQ(listOf(file, "s"), names{"k"});
    }
}

TEST(profileRobustness, longValueIsReadWholeOrCut)
{
    // Windows reads at most 65535 characters of a value and wraps longer ones
    // around; the portable reader has no limit.
    scratchDir dir;
    const std::string big(1 << 20, 'x');
    std::string file = dir.write("test.ini", "[s]\nbig=" + big + "\nk=v\n");
    call c = readRaw(file, "s", "big", "default", big.size() + 2);
    EXPECT_EQ(c.length, big.size());
    EXPECT_TRUE(c.bytes.compare(0, big.size(), big) == 0);
    c = readRaw(file, "s", "big", "default", 100);
    EXPECT_EQ(c.length, 99u);
    EXPECT_EQ(valueOf(file, "s", "k"), "v");
}

TEST(profileRobustness, hundredThousandLinesAreReadInLinearTime)
{
    scratchDir dir;
    std::string content = "[first]\n";
    for (int i = 0; i < 100000; ++i)
        content += "key" + std::to_string(i) + "=value " + std::to_string(i) + "\n";
    content += "[last]\nk=end\n";
    std::string file = dir.write("test.ini", content);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(valueOf(file, "last", "k"), "end");
    EXPECT_EQ(valueOf(file, "first", "key99999"), "value 99999");
    std::vector<char> buffer(4 << 20);
    unsigned long length = readProfileString("first", nullptr, "", buffer.data(),
                                             static_cast<unsigned long>(buffer.size()), file.c_str());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(length, 100000u * 5);
    EXPECT_EQ(std::string(buffer.data()), "key0");
    EXPECT_LT(seconds, 5.0);
}

TEST(profileRobustness, binaryFileGivesWellFormedResults)
{
    scratchDir dir;
    std::mt19937 random(20240115);
    std::string bytes(256 * 1024, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random() & 0xff);
    // Make sure there are some headers and entries among the noise.
    bytes.replace(1000, 12, "\n[noise]\na=b\n");
    std::string file = dir.write("binary.ini", bytes);

    std::vector<char> buffer(1 << 20);
    unsigned long length = readProfileString(nullptr, nullptr, "", buffer.data(),
                                             static_cast<unsigned long>(buffer.size()), file.c_str());
    ASSERT_GT(length, 0u);
    EXPECT_EQ(buffer[length - 1], '\0');
    EXPECT_EQ(buffer[length], '\0');
    // Every name is non-empty, so no double NUL before the end.
    for (unsigned long i = 1; i < length; ++i)
        ASSERT_FALSE(buffer[i] == '\0' && buffer[i - 1] == '\0') << "empty name at " << i;
    EXPECT_EQ(valueOf(file, "noise", "a"), "b");
}
