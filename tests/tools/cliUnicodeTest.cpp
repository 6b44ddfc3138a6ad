// An archive named beyond every ANSI code page, read through "logger.ini" in
// each encoding the logger may write: listed and copied whole, on Windows as
// elsewhere.
#include <gtest/gtest.h>

#include <sstream>

#include <wx/strconv.h>

#include "platform/machineText.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "tools/cli.h"
#include "tools/cliTesting.h"

namespace {
const std::string farLine = "\xC5\x8Csaka \xE6\x97\xA5\xE6\x9C\xAC";   // Ōsaka 日本
const std::string latinLine = "M\xC3\xBCller & Fr\xC3\xA8re";          // Müller & Frère
const std::string files[] = {"M\xC3\xBCller \xE6\x9D\xB1\xE4\xBA\xAC \xE2\x84\x96" "1.wav", // Müller 東京 №1
                             "\xC5\x81ukasz \xF0\x9F\x93\x9E.wav"};                    // Łukasz 📞
const std::string labels[] = {"+81 \xE6\x97\xA5\xE6\x9C\xAC", "\xD0\x9E\xD0\xBB\xD1\x8F"}; // +81 日本, Оля

std::string utf16(const std::string& utf8, bool bigEndian)
{
    wxMBConvUTF16LE little;
    wxMBConvUTF16BE big;
    wxCharBuffer bytes = wxString::FromUTF8(utf8).mb_str(bigEndian ? static_cast<const wxMBConv&>(big) : little);
    return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + std::string(bytes.data(), bytes.length());
}

std::string slashed(const std::string& path)
{
    return nativePath(path);
}

// Text as XML character data.
std::string xmlText(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '&' ? std::string("&amp;") : c == '<' ? std::string("&lt;") : std::string(1, c);
    return out;
}

// The CLI's escape of a field: backslashes doubled.
std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

class cliUnicodeTest : public ::testing::Test {
protected:
    // A line folder with one day of two calls, their audio files beside.
    void writeLine(const std::string& line)
    {
        const std::string day = root + "/" + line + "/20240115";
        std::string catalog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<vmk_catalog>\n";
        for (int i = 0; i < 2; ++i) {
            const std::string audio = slashed(day + "/" + files[i]);
            dir.write(audio.substr(dir.path().size() + 1), "audio " + std::to_string(i) + " of " + line);
            catalog += "<file><hdr><au_hdr><data_size>16000</data_size><sample_rate>8000</sample_rate>"
                       "<channels>1</channels></au_hdr><vmk_hdr><date>20240115</date><time>1" +
                       std::to_string(i) + "0000</time><number>" + labels[i] + "</number><file_name>" + xmlText(audio) +
                       "</file_name></vmk_hdr></hdr></file>\n";
        }
        dir.write(slashed(day + "/catalog.xml").substr(dir.path().size() + 1), catalog + "</vmk_catalog>\n");
    }
    std::string iniText(const std::string& line, const char* end) const
    {
        return std::string("[storage paths]") + end + "main=" + slashed(root) + end + "[line01]" + end +
               "StoragePath=main" + end + "ChannelName=" + line + end;
    }
    int run(std::vector<std::string> args)
    {
        out.str("");
        err.str("");
        return runCli(args, out, err);
    }

    scratchDir dir;
    std::string root = dir.mkdir("rec \xE2\x82\xAC");
    scopedCliIndexFolder cache{dir.at("cache")};
    std::ostringstream out, err;
};
}

TEST_F(cliUnicodeTest, everyEncodingOfLoggerIniListsAndCopiesEveryFile)
{
    writeLine(farLine);
    writeLine(latinLine);
    std::string ansi;
    useMachineCodePage(1252);
    ASSERT_TRUE(machineTextFromNarrow(iniText(latinLine, "\r\n"), ansi));
    const struct {
        const char* encoding;
        std::string line, bytes;
        bool onlyOnWindows;
    } rows[] = {
        {"UTF-8", farLine, iniText(farLine, "\r\n"), false},
        {"UTF-8 with its mark", farLine, "\xEF\xBB\xBF" + iniText(farLine, "\n"), false},
        {"UTF-16 with its mark", farLine, utf16(iniText(farLine, "\r\n"), false), false},
        {"UTF-16 big endian", farLine, utf16(iniText(farLine, "\n"), true), false},
        // Elsewhere there is no machine code page: the bytes would name another folder.
        {"the machine's code page, 1252", latinLine, ansi, true},
    };
    int round = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.encoding);
        if (row.onlyOnWindows && !runningOnWindows())
            continue;
        const std::string ini = dir.write("logger" + std::to_string(++round) + ".ini", row.bytes);

        ASSERT_EQ(0, run({"channels", "--logger-ini", ini})) << err.str();
        EXPECT_EQ(0u, out.str().rfind(row.line + "\t" + escaped(slashed(root + "/" + row.line)) + "\t1\t", 0))
            << out.str();

        ASSERT_EQ(0, run({"recordings", "--no-index", "--logger-ini", ini, "--from", "2024-01-15 00:00:00", "--to",
                          "2024-01-16 00:00:00"}))
            << err.str();
        const std::string listed = out.str();
        for (int i = 0; i < 2; ++i) {
            EXPECT_NE(std::string::npos, listed.find("\t" + labels[i] + "\t")) << listed;
            EXPECT_NE(std::string::npos, listed.find(escaped(slashed(root + "/" + row.line + "/20240115/" + files[i]))))
                << listed;
        }

        const std::string into = dir.at("out-\xC5\x8Csaka " + std::to_string(round));
        ASSERT_EQ(0, run({"copy", "--into", into, "--logger-ini", ini, "--from", "2024-01-15 00:00:00", "--to",
                          "2024-01-16 00:00:00"}))
            << err.str();
        EXPECT_EQ("", err.str());
        for (int i = 0; i < 2; ++i) {
            const std::string copy = slashed(into + "/" + row.line + "/20240115/" + files[i]);
            EXPECT_NE(std::string::npos, out.str().find(escaped(copy))) << out.str();
            EXPECT_EQ("audio " + std::to_string(i) + " of " + row.line, readWholeFile(copy)) << copy;
        }
    }
    useMachineCodePage(0);
}
