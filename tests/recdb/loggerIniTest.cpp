// Reading "logger.ini": the read-only configuration object over the profile
// functions, and the map from channel names to recording folders built from it.
#include "recdb/loggerIni.h"
#include "platform/narrow.h"
#include "platform/windowsDirectory.h"
#include "recdb/win32NativeConfig.h"

#include "support/systemSupport.h"
#include "support/testSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

#include <wx/filefn.h>
#include <wx/strconv.h>

namespace {

using channelMap = std::map<std::string, std::string>;

std::vector<wxString> groupsOf(const win32NativeConfig& config)
{
    std::vector<wxString> names;
    wxString name;
    long index = 0;
    for (bool more = config.GetFirstGroup(name, index); more; more = config.GetNextGroup(name, index))
        names.push_back(name);
    return names;
}

std::vector<wxString> entriesOf(const win32NativeConfig& config)
{
    std::vector<wxString> names;
    wxString name;
    long index = 0;
    for (bool more = config.GetFirstEntry(name, index); more; more = config.GetNextEntry(name, index))
        names.push_back(name);
    return names;
}

using wxNames = std::vector<wxString>;

} // namespace

// ---- win32NativeConfig -------------------------------------------------------

TEST(win32NativeConfig, namesAreMatchedWithCaseAlthoughTheFileIsNot)
{
    scratchDir dir;
    win32NativeConfig config(dir.write("test.ini", "[Line01]\nStoragePath=a\n[line02]\nstoragepath=b\n"));
    EXPECT_TRUE(config.HasGroup("Line01"));
    EXPECT_FALSE(config.HasGroup("line01"));
    EXPECT_FALSE(config.HasGroup("LINE02"));

    config.SetPath("/line02");
    EXPECT_TRUE(config.HasEntry("storagepath"));
    EXPECT_FALSE(config.HasEntry("StoragePath"));
    EXPECT_EQ(config.GetEntryType("storagepath"), wxConfigBase::Type_String);
    EXPECT_EQ(config.GetEntryType("StoragePath"), wxConfigBase::Type_Unknown);
    wxString value;
    // The profile reader alone would find it; the exact comparison must not.
    EXPECT_FALSE(config.Read("StoragePath", &value));
    EXPECT_TRUE(config.Read("storagepath", &value));
    EXPECT_EQ(value, "b");
}

TEST(win32NativeConfig, enumeratesSectionsAndTheKeysOfTheCurrentSection)
{
    scratchDir dir;
    win32NativeConfig config(dir.write("test.ini", "[]\nrootKey=1\n[b]\nx=1\ny=2\n[a]\n[b]\nz=3\n"));
    EXPECT_EQ(groupsOf(config), (wxNames{"b", "a", "b"}));
    EXPECT_EQ(config.GetNumberOfGroups(), 3u);

    config.SetPath("/b");
    EXPECT_EQ(entriesOf(config), (wxNames{"x", "y"}));
    EXPECT_EQ(config.GetNumberOfEntries(true), 2u);
    config.SetPath("/missing");
    EXPECT_EQ(entriesOf(config), wxNames{});
    EXPECT_EQ(config.GetNumberOfEntries(), 0u);
}

TEST(win32NativeConfig, theRootIsTheSectionWithTheEmptyName)
{
    scratchDir dir;
    win32NativeConfig config(dir.write("test.ini", "[]\nrootKey=1\n[b]\nx=1\n"));
    for (const char* root : {"/", ""}) {
        config.SetPath(root);
        EXPECT_EQ(entriesOf(config), (wxNames{"rootKey"})) << '"' << root << '"';
    }
}

TEST(win32NativeConfig, enumerationIndexesAreTheSmallestFreeOnes)
{
    scratchDir dir;
    win32NativeConfig config(dir.write("test.ini", "[a]\n[b]\n"));
    wxString first, second, third;
    long i0 = -1, i1 = -1, i2 = -1;
    ASSERT_TRUE(config.GetFirstGroup(first, i0));
    ASSERT_TRUE(config.GetFirstGroup(second, i1));
    EXPECT_EQ(i0, 0);
    EXPECT_EQ(i1, 1);
    EXPECT_EQ(first, "a");
    EXPECT_EQ(second, "a");

    // Running enumeration 0 to its end frees index 0 ...
    EXPECT_TRUE(config.GetNextGroup(first, i0));
    EXPECT_EQ(first, "b");
    EXPECT_FALSE(config.GetNextGroup(first, i0));
    EXPECT_FALSE(config.GetNextGroup(first, i0));
    // ... which the next enumeration takes, while the abandoned 1 keeps its own.
    ASSERT_TRUE(config.GetFirstGroup(third, i2));
    EXPECT_EQ(i2, 0);
    EXPECT_TRUE(config.GetNextGroup(second, i1));
    EXPECT_EQ(second, "b");

    long unknown = 7;
    EXPECT_FALSE(config.GetNextGroup(first, unknown));
    EXPECT_FALSE(config.GetNextEntry(first, unknown));
}

TEST(win32NativeConfig, lookupsLeaveNoEnumerationBehind)
{
    scratchDir dir;
    win32NativeConfig config(dir.write("test.ini", "[a]\nk=1\n[b]\n"));
    config.SetPath("/a");
    EXPECT_TRUE(config.HasGroup("a"));
    EXPECT_TRUE(config.HasEntry("k"));
    wxString value;
    EXPECT_TRUE(config.Read("k", &value));
    EXPECT_EQ(config.GetNumberOfGroups(), 2u);
    wxString name;
    long index = -1;
    ASSERT_TRUE(config.GetFirstEntry(name, index));
    EXPECT_EQ(index, 0);
    // An enumeration of nothing ends at once and frees its index.
    config.SetPath("/b");
    long empty = -1;
    EXPECT_FALSE(config.GetFirstEntry(name, empty));
    EXPECT_EQ(empty, 1);
    long again = -1;
    config.GetFirstGroup(name, again);
    EXPECT_EQ(again, 1);
}

TEST(win32NativeConfig, bufferDoublesUntilTheResultHasTwoSpareCharacters)
{
    scratchDir dir;
    win32NativeConfig config(dir.write("test.ini", "[s]\nv13=" + std::string(13, 'a') + "\nv14=" +
                                                       std::string(14, 'b') + "\nv30=" + std::string(30, 'c') +
                                                       "\nv1=d\n"));
    config.SetPath("/s");
    EXPECT_EQ(config.bufferSize(), 16u);
    wxString value;
    // The key list "v13 v14 v30 v1" takes 15 characters, too many for 16 bytes.
    ASSERT_TRUE(config.Read("v13", &value));
    EXPECT_EQ(value, wxString(13, 'a'));
    EXPECT_EQ(config.bufferSize(), 32u);
    ASSERT_TRUE(config.Read("v30", &value));
    EXPECT_EQ(value, wxString(30, 'c'));
    EXPECT_EQ(config.bufferSize(), 64u);
    // Never shrinks.
    ASSERT_TRUE(config.Read("v1", &value));
    EXPECT_EQ(value, "d");
    EXPECT_EQ(config.bufferSize(), 64u);
}

TEST(win32NativeConfig, readExpandsEnvironmentReferencesAlike)
{
    scratchDir dir;
    scopedEnv a("ORV_TEST_A", "alpha");
    scopedEnv site("ORV_TEST_SITE", "Zurich 100% $HOME");
    scopedEnv unset = scopedEnv::unset("ORV_TEST_UNSET");
    const struct {
        const char* written;
        const char* read;
    } rows[] = {
        {"%ORV_TEST_A%/$ORV_TEST_A/${ORV_TEST_A}/$(ORV_TEST_A)", "alpha/alpha/alpha/alpha"},
        // A backslash separates folders; it escapes nothing.
        {"D:\\rec\\%ORV_TEST_A%", "D:\\rec\\alpha"},
        {"D:\\rec\\$ORV_TEST_A\\x", "D:\\rec\\alpha\\x"},
        {"\\\\server\\%ORV_TEST_A%\\", "\\\\server\\alpha\\"},
        // A value is put in as it is, its own '%' and '$' included.
        {"D:\\%ORV_TEST_SITE%", "D:\\Zurich 100% $HOME"},
        {"%ORV_TEST_UNSET% 100% $ORV_TEST_UNSET ${ORV_TEST_UNSET} $ %% ${", "%ORV_TEST_UNSET% 100% $ORV_TEST_UNSET "
                                                                            "${ORV_TEST_UNSET} $ %% ${"},
        {"%ORV_TEST_A%%ORV_TEST_A%$ORV_TEST_A.x", "alphaalphaalpha.x"},
    };
    std::string content = "[s]\n";
    for (size_t i = 0; i < std::size(rows); ++i)
        content += "v" + std::to_string(i) + "=" + rows[i].written + "\n";
    win32NativeConfig config(dir.write("test.ini", content));
    config.SetPath("/s");
    for (size_t i = 0; i < std::size(rows); ++i) {
        wxString value;
        ASSERT_TRUE(config.Read("v" + std::to_string(i), &value));
        EXPECT_EQ(value, wxString::FromUTF8(rows[i].read)) << rows[i].written;
    }
    config.SetExpandEnvVars(false);
    wxString value;
    ASSERT_TRUE(config.Read("v1", &value));
    EXPECT_EQ(value, "D:\\rec\\%ORV_TEST_A%");
}

TEST(win32NativeConfig, readsLongsInBaseTen)
{
    scratchDir dir;
    win32NativeConfig config(dir.write("test.ini", "[s]\nlong=042\nbad=4x\nempty=\n"));
    config.SetPath("/s");
    long number = -1;
    EXPECT_TRUE(config.Read("long", &number));
    EXPECT_EQ(number, 42);
    EXPECT_FALSE(config.Read("bad", &number));
    EXPECT_FALSE(config.Read("empty", &number));
    EXPECT_FALSE(config.Read("missing", &number));
    EXPECT_EQ(number, 42);
}

TEST(win32NativeConfig, writingRenamingAndDeletingThrow)
{
    scratchDir dir;
    std::string file = dir.write("test.ini", "[s]\nk=v\n");
    win32NativeConfig config(file);
    config.SetPath("/s");
    EXPECT_THROW(config.Write("k", wxString("x")), std::logic_error);
    EXPECT_THROW(config.Write("k", 1L), std::logic_error);
    EXPECT_THROW(config.Write("k", true), std::logic_error);
    EXPECT_THROW(config.Write("k", 1.5), std::logic_error);
    EXPECT_THROW(config.RenameEntry("k", "j"), std::logic_error);
    EXPECT_THROW(config.RenameGroup("s", "t"), std::logic_error);
    EXPECT_THROW(config.DeleteEntry("k"), std::logic_error);
    EXPECT_THROW(config.DeleteGroup("s"), std::logic_error);
    EXPECT_THROW(config.DeleteAll(), std::logic_error);
    EXPECT_TRUE(config.Flush());
    EXPECT_EQ(readWholeFile(file), "[s]\nk=v\n");
}

TEST(win32NativeConfig, setPathAcceptsOnlyAbsolutePaths)
{
    win32NativeConfig config("/nonexistent/logger.ini");
    for (const char* path : {"", "/", "/storage paths", "/a/b"}) {
        config.SetPath(path);
        EXPECT_EQ(config.GetPath(), path);
    }
    config.SetPath("/line01");
    EXPECT_THROW(config.SetPath("line01"), std::invalid_argument);
    EXPECT_THROW(config.SetPath("../x"), std::logic_error);
    EXPECT_EQ(config.GetPath(), "/line01");
}

TEST(win32NativeConfig, missingFileHasNothing)
{
    win32NativeConfig config("/nonexistent/logger.ini");
    EXPECT_EQ(groupsOf(config), wxNames{});
    EXPECT_FALSE(config.HasGroup("storage paths"));
    config.SetPath("/storage paths");
    EXPECT_FALSE(config.HasEntry("main"));
    wxString value;
    EXPECT_FALSE(config.Read("main", &value));
}

// ---- narrow strings ----------------------------------------------------------

TEST(narrowStrings, utf8RoundTripsAndInvalidBytesSurvive)
{
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F" "e";
    EXPECT_EQ(fromNarrow(utf8), wxString::FromUTF8(utf8));
    EXPECT_EQ(toNarrow(fromNarrow(utf8)), utf8);
    const std::string latin1 = "\xE9t\xE9 caf\xE9";
    EXPECT_FALSE(fromNarrow(latin1).empty());
    EXPECT_EQ(toNarrow(fromNarrow(latin1)), latin1);
    EXPECT_EQ(toNarrow(fromNarrow("")), "");
    // Beyond the code page of any machine, on every system.
    const std::string far = "\xC5\x81ukasz \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x93\x9E";
    EXPECT_EQ(fromNarrow(far).length(), wxString::FromUTF8(far).length());
    EXPECT_EQ(toNarrow(fromNarrow(far)), far);
    EXPECT_TRUE(representable(fromNarrow(far)));
    EXPECT_TRUE(representable(wxString()));
    // Half of a surrogate pair, as a Windows file name may hold one, has no
    // UTF-8 form there (elsewhere text in wx is UTF-32, where it is carried).
    wxString half("x");
    half[0] = wxUniChar(0xD800);
    EXPECT_EQ(!runningOnWindows(), representable(half));
}

// ---- readLoggerIni -----------------------------------------------------------

class loggerIni : public ::testing::Test {
protected:
    scratchDir dir;
    std::string root = dir.mkdir("rec");

    std::string channel(const std::string& name) { return nativePath(dir.mkdir("rec/" + name)); }
    std::string ini(const std::string& content) { return dir.write("logger.ini", content); }

    channelMap read(const std::string& path)
    {
        channelMap result;
        readLoggerIni(path, result);
        return result;
    }

    std::string storage() { return "[storage paths]\nmain=" + root + "\n"; }
    void expectUtf16FileRead(bool bigEndian);
    static std::string line(int n, const std::string& storageName, const std::string& channelName)
    {
        char section[32];
        std::snprintf(section, sizeof section, "[line%02d]\n", n);
        return section + ("StoragePath=" + storageName + "\nChannelName=" + channelName + "\n");
    }
};

TEST_F(loggerIni, channelFolderIsStorageRootJoinedWithChannelName)
{
    std::string front = channel("Front desk");
    EXPECT_EQ(read(ini(storage() + line(1, "main", "Front desk"))), (channelMap{{"Front desk", front}}));
}

TEST_F(loggerIni, firstMissingLineNumberEndsTheList)
{
    channel("One");
    channel("Two");
    channel("Four");
    channelMap result = read(ini(storage() + line(1, "main", "One") + line(2, "main", "Two") + line(4, "main", "Four")));
    EXPECT_EQ(result.size(), 2u);
    EXPECT_EQ(result.count("Four"), 0u);
}

TEST_F(loggerIni, lineNumbersGrowPastTwoDigits)
{
    std::string content = storage();
    for (int n = 1; n <= 100; ++n)
        content += line(n, "main", "ch" + std::to_string(n));
    std::string ch100 = channel("ch100");
    std::string ch7 = channel("ch7");
    EXPECT_EQ(read(ini(content)), (channelMap{{"ch100", ch100}, {"ch7", ch7}}));
}

TEST_F(loggerIni, sectionAndKeyNamesAreMatchedWithCase)
{
    channel("One");
    std::string two = channel("Two");
    EXPECT_EQ(read(ini(storage() + "[Line01]\nStoragePath=main\nChannelName=One\n")), channelMap{});
    // A lower-case key leaves its line out, the next line is still read.
    EXPECT_EQ(read(ini(storage() + "[line01]\nstoragepath=main\nChannelName=One\n" + line(2, "main", "Two"))),
              (channelMap{{"Two", two}}));
}

TEST_F(loggerIni, storageNameIsMatchedExactly)
{
    std::string one = channel("One");
    EXPECT_EQ(read(ini(storage() + line(1, "Main", "One"))), channelMap{});
    EXPECT_EQ(read(ini(storage() + line(1, " main", "One"))), (channelMap{{"One", one}}))
        << "blanks around values are not part of them";
}

TEST_F(loggerIni, laterLineWithTheSameChannelWins)
{
    std::string second = nativePath(dir.mkdir("second/Same"));
    channel("Same");
    std::string content = "[storage paths]\nmain=" + root + "\nother=" + dir.at("second") + "\n" +
                          line(1, "main", "Same") + line(2, "other", "Same");
    EXPECT_EQ(read(ini(content)), (channelMap{{"Same", second}}));
}

TEST_F(loggerIni, resultIsOrderedByNameNotLine)
{
    channel("Beta");
    channel("Alpha");
    channelMap result = read(ini(storage() + line(1, "main", "Beta") + line(2, "main", "Alpha")));
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result.begin()->first, "Alpha");
}

TEST_F(loggerIni, environmentReferencesAreExpanded)
{
    scopedEnv data("DATA", "main");
    scopedEnv rootVar("ORV_TEST_ROOT", wxString::FromUTF8(root));
    std::string one = channel("One");
    std::string two = channel("Two");
    std::string content = "[storage paths]\nmain=%ORV_TEST_ROOT%\n" + line(1, "%DATA%", "One") +
                          line(2, "${DATA}", "Two");
    EXPECT_EQ(read(ini(content)), (channelMap{{"One", one}, {"Two", two}}));
}

TEST_F(loggerIni, unusableLinesAreLeftOutSilently)
{
    std::string good = channel("Good");
    channel("Bare"); // exists below the root, but the line names no storage
    std::string content = storage() + "[line01]\nChannelName=Bare\n" +   // no StoragePath
                          "[line02]\nStoragePath=main\n" +                // no ChannelName
                          line(3, "unknown", "Bare") +                    // no such storage
                          line(4, "main", "Missing folder") +             // folder does not exist
                          line(5, "main", "") +                           // no name: would be the root itself
                          line(6, "main", "Good");
    EXPECT_EQ(read(ini(content)), (channelMap{{"Good", good}}));
}

// An empty root would make the channel name a folder relative to wherever the
// program was started; such a line is left out wherever that is.
TEST_F(loggerIni, lineWithAnEmptyStorageRootIsLeftOut)
{
    std::string good = channel("Good");
    channel("One");
    scopedEnv empty("ORV_TEST_EMPTY", "");
    std::string content = "[storage paths]\nmain=" + root + "\nempty=\nquoted=\"\"\nexpanded=${ORV_TEST_EMPTY}\n" +
                          line(1, "empty", "One") + line(2, "quoted", "One") + line(3, "expanded", "One") +
                          line(4, "main", "Good");
    std::string file = ini(content);
    wxString previous = wxGetCwd();
    ASSERT_TRUE(wxSetWorkingDirectory(wxString::FromUTF8(root))); // where "One" exists
    channelMap result = read(file);
    wxSetWorkingDirectory(previous);
    EXPECT_EQ(result, (channelMap{{"Good", good}}));
}

// Windows editors save "Unicode" text as UTF-16 with a byte order mark; its
// names come as narrow strings like any others.
void loggerIni::expectUtf16FileRead(bool bigEndian)
{
    const wxString name = wxString::FromUTF8("Empfang S\xC3\xBC" "d");
    const std::string south = toNarrow(wxString::FromUTF8(channel(name.utf8_string())));
    std::string front = channel("Front desk");
    wxString text = wxString::FromUTF8("[storage paths]\r\nmain=" + root + "\r\n" +
                                       line(1, "main", name.utf8_string()) + line(2, "main", "Front desk"));
    wxMBConvUTF16LE littleEndian;
    wxMBConvUTF16BE bigEndianConversion;
    wxCharBuffer bytes = text.mb_str(bigEndian ? static_cast<const wxMBConv&>(bigEndianConversion) : littleEndian);
    std::string content = (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + std::string(bytes.data(), bytes.length());
    EXPECT_EQ(read(ini(content)), (channelMap{{toNarrow(name), south}, {"Front desk", front}}));
}

TEST_F(loggerIni, utf16FilesWithTheirMarkAreRead)
{
    expectUtf16FileRead(false);
}

TEST_F(loggerIni, bigEndianUtf16FilesAreReadToo)
{
    expectUtf16FileRead(true);
}

// A logger.ini written on Windows in code page 1252, read on Linux: the names
// are bytes that are not UTF-8, and so are the folders the logger made.
TEST_F(loggerIni, namesThatAreNotUtf8FindTheirFoldersByteForByte)
{
    if (runningOnWindows())
        GTEST_SKIP() << "Windows names files in UTF-16, where every name is Unicode";
    const std::string office = "B\xFCro", cafe = "Caf\xE9 \xA7 2";
    for (const std::string& name : {office, cafe})
        ASSERT_TRUE(std::filesystem::create_directory(root + "/" + name));
    const channelMap expected{{office, root + "/" + office}, {cafe, root + "/" + cafe}};
    EXPECT_EQ(read(ini("[storage paths]\nmain=" + root + "\n" + line(1, "main", office) + line(2, "main", cafe))),
              expected);
}

TEST_F(loggerIni, rootWithTrailingSeparatorGetsNoSecond)
{
    std::string one = channel("One");
    EXPECT_EQ(read(ini("[storage paths]\nmain=" + root + "/\n" + line(1, "main", "One"))),
              (channelMap{{"One", one}}));
}

TEST_F(loggerIni, entriesAreAddedToWhatTheMapHolds)
{
    channel("One");
    channelMap result{{"Kept", "/somewhere"}};
    readLoggerIni(ini(storage() + line(1, "main", "One")), result);
    EXPECT_EQ(result.size(), 2u);
    EXPECT_EQ(result["Kept"], "/somewhere");
}

TEST_F(loggerIni, missingEmptyAndBinaryFilesGiveNothing)
{
    EXPECT_EQ(read(dir.at("missing.ini")), channelMap{});
    EXPECT_EQ(read(dir.write("empty.ini", "")), channelMap{});

    std::mt19937 random(7);
    std::string bytes(1 << 20, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random() & 0xff);
    EXPECT_EQ(read(dir.write("binary.ini", bytes)), channelMap{});
}

TEST_F(loggerIni, hugeValuesAndManyLinesGiveAClearResult)
{
    std::string one = channel("One");
    std::string content = "[storage paths]\nmain=" + root + "\nhuge=" + std::string(1 << 20, 'x') + "\n" +
                          line(1, "huge", "One") + line(2, "main", std::string(1 << 20, 'y')) + line(3, "main", "One") +
                          "[filler]\n";
    for (int i = 0; i < 100000; ++i)
        content += "key" + std::to_string(i) + "=value\n";
    EXPECT_EQ(read(ini(content)), (channelMap{{"One", one}}));
}

TEST_F(loggerIni, emptyPathMeansLoggerIniInTheWindowsFolder)
{
    // Elsewhere WINDIR stands for the Windows folder; Windows itself names its
    // folder whatever the environment says, so there the test writes into it.
    scratchDir windows;
    scopedEnv windir("WINDIR", wxString::FromUTF8(windows.path()));
    const std::string file = runningOnWindows() ? windowsDirectory() + "\\logger.ini" : windows.at("logger.ini");
    if (wxFileExists(fromNarrow(file)))
        GTEST_SKIP() << "the Windows folder holds the logger's own logger.ini, which the test leaves alone";
    EXPECT_FALSE(loggerIniExists(""));
    std::string one = channel("One");
    std::ofstream out(file, std::ios::binary);
    if (!out)
        GTEST_SKIP() << "the Windows folder takes new files only from administrators";
    struct removedAtEnd {
        std::string path;
        ~removedAtEnd() { wxRemoveFile(fromNarrow(path)); }
    } removal{file};
    out << storage() + line(1, "main", "One");
    out.close();
    ASSERT_TRUE(out) << file;
    EXPECT_TRUE(loggerIniExists(""));
    EXPECT_EQ(read(""), (channelMap{{"One", one}}));
}

TEST_F(loggerIni, relativePathIsTakenFromTheWorkingFolder)
{
    scratchDir windows;
    scopedEnv windir("WINDIR", wxString::FromUTF8(windows.path()));
    windows.write("logger.ini", "[storage paths]\n");
    std::string one = channel("One");
    ini(storage() + line(1, "main", "One"));
    wxString previous = wxGetCwd();
    ASSERT_TRUE(wxSetWorkingDirectory(wxString::FromUTF8(dir.path())));
    bool exists = loggerIniExists("logger.ini");
    channelMap result = read("logger.ini");
    wxSetWorkingDirectory(previous);
    EXPECT_TRUE(exists);
    EXPECT_EQ(result, (channelMap{{"One", one}}));
}

TEST_F(loggerIni, existsOnlyForFiles)
{
    EXPECT_FALSE(loggerIniExists(dir.at("missing.ini")));
    EXPECT_FALSE(loggerIniExists(root));
    EXPECT_TRUE(loggerIniExists(ini("")));
}
