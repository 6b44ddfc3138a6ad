#include <gtest/gtest.h>

#include <cstdio>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/dir.h>
#include <wx/filename.h>

#include "app/commands.h"
#include "app/frameFixture.h"
#include "app/siblingPrograms.h"
#include "display/vTimeline.h"
#include "platform/machineText.h"
#include "support/guiSupport.h"
#include "support/systemSupport.h"

namespace {
// How many files and folders a folder holds.
size_t entries(const std::string& folder)
{
    wxDir dir(wxString::FromUTF8(folder));
    wxString name;
    size_t count = 0;
    for (bool more = dir.GetFirst(&name); more; more = dir.GetNext(&name))
        ++count;
    return count;
}

// Two calls on "Alpha", fake sibling programs that record what they were given,
// and a registry file that says where they are installed.
class siblings : public frameStart {
protected:
    std::string record = dir.at("record.txt");
    scopedEnv registry{"ORVISTA_REGISTRY", wxString::FromUTF8(dir.at("registry.reg"))};
    scopedEnv temporary{"TMPDIR", wxString::FromUTF8(dir.mkdir("tmp"))};
    scopedEnv localData{"XDG_DATA_HOME", wxString::FromUTF8(dir.mkdir("local"))};
    std::vector<std::string> recordings;
    std::unique_ptr<orvistaFrame> frame;

    void SetUp() override
    {
        if (runningOnWindows())
            GTEST_SKIP() << "Windows finds the sibling programs in its registry, not in a registry file, and runs "
                            "no shell scripts as fakes of them";
        frameStart::SetUp();
        writeSettings("<paths logger-ini='" + writeLoggerIni() +
                      "'/><startup last-view-begin='2024-01-15 00:00:00' last-view-end='2024-01-16 00:00:00' "
                      "last-selection-begin='2024-01-15 08:00:00' last-selection-end='2024-01-15 10:00:00'/>");
        std::string catalog = "<vmk_catalog>";
        for (const char* time : {"090000", "093000"}) {
            recordings.push_back(dir.write(std::string("storage/Alpha/20240115/") + time + ".wav", time));
            catalog += std::string("<file><hdr><au_hdr><data_size>8000</data_size><sample_rate>8000</sample_rate>"
                                   "</au_hdr><vmk_hdr><date>20240115</date><time>") +
                       time + "</time><file_name>" + recordings.back() + "</file_name></vmk_hdr></hdr></file>";
        }
        dir.write("storage/Alpha/20240115/catalog.xml", catalog + "</vmk_catalog>");
        frame = start();
    }

    // A program that writes its arguments, one per line, then what `more`
    // adds, into the record (in one step, so the test never reads half).
    std::string fakeProgram(const std::string& path, const std::string& more = "")
    {
        const std::string script = dir.write(path, "#!/bin/sh\n{ for a in \"$@\"; do echo \"[$a]\"; done; " + more +
                                                       "; } > '" + record + ".part'\nmv '" + record + ".part' '" +
                                                       record + "'\n");
        EXPECT_TRUE(makeExecutable(script));
        return script;
    }

    void writeRegistry(const std::string& entries)
    {
        dir.write("registry.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + entries);
    }

    static std::string regPath(const std::string& path)
    {
        std::string escaped;
        for (char c : path)
            escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return escaped;
    }

    void command(int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        frame->ProcessWindowEvent(event);
    }

    // The record once the program has written it (the event loop runs meanwhile).
    std::string awaitRecord()
    {
        EXPECT_TRUE(yieldUntil([&] { return wxFileExists(wxString::FromUTF8(record)); }, 10000));
        std::string text = readWholeFile(record);
        wxRemoveFile(wxString::FromUTF8(record));
        return text;
    }

    // Lines of "[argument]" in a record.
    static std::vector<std::string> arguments(const std::string& text)
    {
        std::vector<std::string> out;
        size_t pos = 0;
        while ((pos = text.find('[', pos)) != std::string::npos) {
            size_t end = text.find("]\n", pos);
            out.push_back(text.substr(pos + 1, end - pos - 1));
            pos = end;
        }
        return out;
    }
};
}

TEST_F(siblings, tracewiseGetsTheOwnFilesOrTheCopies)
{
    fakeProgram("Trace wise/Tracewise.exe", "echo ---; cat \"$2\"");
    writeRegistry("[HKEY_CURRENT_USER\\Software\\Vellmark, Inc.\\Tracewise]\r\n\"InstallPath\"=\"" +
                  regPath(dir.at("Trace wise")) + "\"\r\n");

    command(cmdOpenInTracewise);
    std::string text = awaitRecord();
    std::vector<std::string> args = arguments(text);
    ASSERT_EQ(2u, args.size()) << text;
    EXPECT_EQ("/filelist_nodelete", args[0]);
    EXPECT_EQ(recordings[0] + "\r\n" + recordings[1] + "\r\n", text.substr(text.find("---\n") + 4));
    EXPECT_TRUE(wxFileExists(wxString::FromUTF8(args[1]))) << "the list file is left for Tracewise";

    command(cmdOpenCopyInTracewise);
    text = awaitRecord();
    args = arguments(text);
    ASSERT_EQ(2u, args.size()) << text;
    EXPECT_EQ("/filelist", args[0]);
    const std::string list = text.substr(text.find("---\n") + 4);
    const std::string firstCopy = list.substr(0, list.find("\r\n"));
    EXPECT_EQ(0u, firstCopy.find(dir.at("tmp/"))) << list;
    EXPECT_EQ("/Alpha/20240115/090000.wav", firstCopy.substr(firstCopy.size() - 26));
    EXPECT_EQ("090000", readWholeFile(firstCopy));

    // Nothing selected: said so, nothing started, no folder left behind.
    frame->panel()->lineCheckBox(0)->SetValue(false);
    wxCommandEvent check(wxEVT_CHECKBOX);
    frame->panel()->ProcessWindowEvent(check);
    const size_t folders = entries(dir.at("tmp"));
    for (int id : {cmdOpenInTracewise, cmdOpenCopyInTracewise})
        wxTEST_DIALOG(command(id), expectMessage(wxOK, "No recordings selected.", "Error"));
    EXPECT_EQ(folders, entries(dir.at("tmp")));
}

TEST_F(siblings, casebinderOnlyWithACopyAndFromAFolderWithBlanks)
{
    wxTEST_DIALOG(command(cmdOpenInCasebinder),
                  expectMessage(wxOK, "Casebinder can only work with a copy of recordings at the moment.", "Error"));

    fakeProgram("Case binder/Casebinder.exe", "ls -R \"$1\"");
    writeRegistry("[HKEY_LOCAL_MACHINE\\Software\\Vellmark, Inc.\\Casebinder]\r\n\"InstallDir\"=\"" +
                  regPath(dir.at("Case binder")) + "\"\r\n");
    command(cmdOpenCopyInCasebinder);
    const std::string text = awaitRecord();
    std::vector<std::string> args = arguments(text);
    ASSERT_LE(1u, args.size()) << text;
    EXPECT_EQ(0u, args[0].find(dir.at("tmp/"))) << text;
    EXPECT_NE(std::string::npos, text.find("090000.wav\n093000.wav")) << text;
}

TEST_F(siblings, livecueNotFoundWhenAnyPartIsMissing)
{
    const std::string install = dir.mkdir("Live cue");
    auto notFound = [&] {
        wxTEST_DIALOG(command(cmdOpenCopyInLivecue), expectMessage(wxOK, "LCQ not found!", "Error"));
    };
    notFound(); // no registry entry
    writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Livecue_is1]\r\n"
                  "\"InstallLocation\"=\"" + regPath(install) + "\"\r\n");
    notFound(); // no executable
    fakeProgram("Live cue/livecue.exe");
    notFound(); // no options file
    EXPECT_FALSE(wxFileExists(wxString::FromUTF8(record)));
}

namespace {
// Livecue's options file: 900 bytes of a pattern, so that every byte is known.
std::string optionsContent()
{
    std::string bytes;
    for (int i = 0; i < 900; ++i)
        bytes += static_cast<char>('A' + i % 26);
    return bytes;
}
}

TEST_F(siblings, livecuePlaysTheCopyAndItsOptionsComeBackAfterTheLastOne)
{
    const std::string install = dir.mkdir("opt/Live cue");
    // The options file only in the VirtualStore copy of the install folder.
    const std::string options = dir.write("local/VirtualStore" + install + "/player.opt", optionsContent());
    // Livecue lists the folder its options point at, then waits until the test
    // lets it end (a file named after that folder's last component).
    const std::string livecue = dir.write(
        "opt/Live cue/livecue.exe",
        "#!/bin/sh\n"
        "folder=$(dd if='" + options + "' bs=1 skip=265 count=521 2>/dev/null | tr '\\000' '\\n' | head -1)\n"
        "{ echo \"$folder\"; dd if='" + options + "' bs=1 skip=786 count=1 2>/dev/null | od -An -tu1 | tr -d ' '; "
        "ls -R \"$folder\"; } > '" + record + ".part'\n"
        "mv '" + record + ".part' '" + record + "'\n"
        "while [ ! -e \"" + dir.at("release-") + "$(basename \"$folder\")\" ]; do sleep 0.02; done\n");
    ASSERT_TRUE(makeExecutable(livecue));
    writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Livecue_is1]\r\n"
                  "\"InstallLocation\"=\"" + regPath(install) + "\"\r\n");

    command(cmdOpenCopyInLivecue);
    const std::string first = awaitRecord();
    const std::string firstFolder = first.substr(0, first.find('\n'));
    EXPECT_EQ(0u, firstFolder.find(dir.at("tmp/"))) << first;
    EXPECT_NE(std::string::npos, first.find("\n0\n")) << "the byte at 786 is cleared: " << first;
    EXPECT_NE(std::string::npos, first.find("090000.wav\n093000.wav")) << first;

    // A second Livecue while the first plays: when the first ends, the options
    // still point at the second's copy; when the second ends, they are as before.
    command(cmdOpenCopyInLivecue);
    const std::string second = awaitRecord();
    const std::string secondFolder = second.substr(0, second.find('\n'));
    EXPECT_NE(firstFolder, secondFolder);
    auto release = [&](const std::string& folder) {
        dir.write("release-" + wxFileName(wxString::FromUTF8(folder)).GetFullName().utf8_string(), "");
        EXPECT_TRUE(yieldUntil([&] { return !wxDirExists(wxString::FromUTF8(folder)); }, 10000)) << folder;
    };
    release(firstFolder);
    EXPECT_EQ(secondFolder, readWholeFile(options).substr(265, secondFolder.size()));
    EXPECT_TRUE(wxDirExists(wxString::FromUTF8(secondFolder)));
    release(secondFolder);
    EXPECT_EQ(optionsContent(), readWholeFile(options)) << "byte for byte as before";
}

TEST_F(siblings, livecueIsNotStartedOnAPathThatDoesNotFit)
{
    const std::string install = dir.mkdir("livecue");
    const std::string options = dir.write("livecue/player.opt", optionsContent());
    fakeProgram("livecue/livecue.exe");
    writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Livecue_is1]\r\n"
                  "\"InstallLocation\"=\"" + regPath(install) + "\"\r\n");
    std::string deep = "tmp";
    for (int i = 0; i < 6; ++i)
        deep += "/" + std::string(90, 'd');
    scopedEnv longTemporary("TMPDIR", wxString::FromUTF8(dir.mkdir(deep)));
    wxTEST_DIALOG(command(cmdOpenCopyInLivecue), expectMessage(wxOK, wxString(), "Error"));
    EXPECT_EQ(optionsContent(), readWholeFile(options));
    EXPECT_EQ(0u, entries(dir.at(deep)))
        << "the copy folder is gone";
    EXPECT_FALSE(wxFileExists(wxString::FromUTF8(record))) << "Livecue never started";
}

TEST_F(siblings, livecueThatCannotStartLeavesNothingChanged)
{
    const std::string install = dir.mkdir("livecue");
    const std::string options = dir.write("livecue/player.opt", optionsContent());
    dir.write("livecue/livecue.exe", "not a program"); // there, but cannot run
    writeRegistry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Livecue_is1]\r\n"
                  "\"InstallLocation\"=\"" + regPath(install) + "\"\r\n");
    // Depending on the system the failure shows at once (a message) or as a
    // program that ends at once; either way everything is put back.
    wxTEST_DIALOG(command(cmdOpenCopyInLivecue), expectMessage(wxOK, wxString(), "Error").Optional());
    EXPECT_TRUE(yieldUntil([&] { return entries(dir.at("tmp")) == 0; }, 10000)) << "the copy folder is gone";
    EXPECT_TRUE(yieldUntil([&] { return readWholeFile(options) == optionsContent(); }, 10000));
}

namespace {
// The files the sibling programs are handed, on any system: Windows' code page
// taken as Western European, the temporary folder and the registry in scratch.
class siblingsFiles : public ::testing::Test {
protected:
    scratchDir dir;
    const wxString tmp = wxString::FromUTF8(dir.mkdir("tmp"));
    scopedEnv tmpdir{"TMPDIR", tmp}, tmpVariable{"TMP", tmp}, temp{"TEMP", tmp};
    scopedEnv registry{"ORVISTA_REGISTRY", wxString::FromUTF8(dir.at("no registry.reg"))};
    std::vector<std::string> madeReadOnly;

    void SetUp() override { useMachineCodePage(1252); }
    void TearDown() override
    {
        useMachineCodePage(0);
        for (const std::string& path : madeReadOnly)
            makeWritable(path); // else the scratch folder stays on Windows
    }

    void readOnly(const std::string& path)
    {
        ASSERT_TRUE(makeReadOnly(path));
        madeReadOnly.push_back(path);
    }

    // The one list file in the temporary folder, removed once read.
    std::string takeListFile()
    {
        wxDir tmpDir(tmp);
        wxString name;
        EXPECT_TRUE(tmpDir.GetFirst(&name, "orvista-list-*", wxDIR_FILES));
        const std::string path = dir.at("tmp/" + name.utf8_string());
        EXPECT_FALSE(tmpDir.GetNext(&name)) << "more than one list file";
        const std::string bytes = readWholeFile(path);
        wxRemoveFile(wxString::FromUTF8(path));
        return bytes;
    }

    static bool skipRow(const char* row, bool readOnlyNeeded)
    {
        if (!readOnlyNeeded || !writesReadOnlyFiles())
            return false;
        std::printf("row %s skipped: this user writes read-only files\n", row);
        return true;
    }
};

const std::string nichi = "\xE6\x97\xA5";       // in no Western code page
const std::string muellerUtf8 = "M\xC3\xBCller"; // in UTF-8
const std::string mueller1252 = "M\xFCller";     // and in code page 1252
}

TEST_F(siblingsFiles, tracewiseListHoldsThePathsInTheMachineCodePage)
{
    const bool windows = runningOnWindows();
    const struct {
        std::vector<std::string> names;
        std::vector<std::string> windowsListed; // elsewhere every name, as it is
        std::vector<std::string> windowsLeftOut;
    } rows[] = {
        {{"a.wav", "b.wav"}, {"a.wav", "b.wav"}, {}},
        {{muellerUtf8}, {mueller1252}, {}},
        {{"a.wav", nichi, muellerUtf8}, {"a.wav", mueller1252}, {nichi}},
        {{nichi}, {}, {nichi}}, // nothing left: still an (empty) list
    };
    const std::string folder = dir.at("rec/");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.names.back());
        std::vector<std::string> files;
        for (const std::string& name : row.names)
            files.push_back(folder + name);
        std::string expected;
        for (const std::string& name : windows ? row.windowsListed : row.names)
            expected += folder + name + "\r\n";
        if (windows && !row.windowsLeftOut.empty()) {
            wxString message = "These recordings cannot be handed to Tracewise: their paths hold characters that "
                               "Windows' code page for older programs lacks:";
            for (const std::string& name : row.windowsLeftOut)
                message += "\n" + wxString::FromUTF8(folder + name);
            wxTEST_DIALOG(launchTracewise(files, false, nullptr), expectMessage(wxOK, message, "Error"));
        } else {
            launchTracewise(files, false, nullptr);
        }
        EXPECT_EQ(expected, takeListFile());
    }
}

TEST_F(siblingsFiles, livecueOptionsGetTheFolderInTheMachineCodePage)
{
    std::string umlauts = "C:\\";
    for (int i = 0; i < 300; ++i)
        umlauts += "\xC3\xBC"; // 303 bytes in code page 1252, 603 in UTF-8
    const struct {
        std::string folder;
        bool windowsFits;
        std::string windowsBytes; // elsewhere the folder's own bytes
        bool elsewhereFits;
    } rows[] = {
        {"C:\\copies\\x", true, "C:\\copies\\x", true},
        {"C:\\" + muellerUtf8, true, "C:\\" + mueller1252, true},
        {"C:\\" + nichi, false, "", true},
        {std::string(520, 'p'), true, std::string(520, 'p'), true}, // the last byte before 786 is its zero
        {std::string(521, 'p'), false, "", false},
        {umlauts, true, "C:\\" + std::string(300, '\xFC'), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.folder.substr(0, 20));
        const bool windows = runningOnWindows();
        std::vector<char> options(900, 'x');
        wxString error;
        ASSERT_EQ(windows ? row.windowsFits : row.elsewhereFits, pointLivecueOptionsAt(options, row.folder, error))
            << error;
        std::vector<char> expected(900, 'x');
        if (error.empty()) {
            const std::string bytes = windows ? row.windowsBytes : row.folder;
            std::copy(bytes.begin(), bytes.end(), expected.begin() + 265);
            expected[265 + bytes.size()] = 0;
            expected[786] = 0;
        } else {
            EXPECT_TRUE(error.Contains(wxString::FromUTF8(row.folder))) << "the message names the folder";
        }
        EXPECT_EQ(expected, options);
    }
}

TEST_F(siblingsFiles, livecueOptionsFromTheVirtualStoreOnlyWhenTheInstalledOneCannotBeWritten)
{
    enum state { none, writable, readOnlyFile };
    const struct {
        const char* name;
        state installed, store;
        const char* chosen; // "installed", "store" or ""
    } rows[] = {
        {"installedWritable", writable, writable, "installed"},
        {"installedReadOnly", readOnlyFile, writable, "store"},
        {"installedReadOnlyNoStore", readOnlyFile, none, "installed"},
        {"onlyStore", none, writable, "store"},
        {"neither", none, none, ""},
        {"bothReadOnly", readOnlyFile, readOnlyFile, "store"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (skipRow(row.name, row.installed == readOnlyFile || row.store == readOnlyFile))
            continue;
        const std::string install = dir.mkdir(std::string(row.name) + "/Program Files/Live cue");
        const std::string local = dir.mkdir(std::string(row.name) + "/local");
        // The store repeats the install path without its drive.
        const std::string below = install.size() > 1 && install[1] == ':' ? install.substr(2) : install;
        const std::string installed = install + "/player.opt", stored = local + "/VirtualStore" + below + "/player.opt";
        for (const auto& [file, kind] : {std::make_pair(installed, row.installed), std::make_pair(stored, row.store)})
            if (kind != none) {
                dir.write(file.substr(dir.path().size() + 1), "opt");
                if (kind == readOnlyFile)
                    readOnly(file);
            }
        const std::string chosen = std::string(row.chosen) == "installed" ? nativePath(installed)
                                   : std::string(row.chosen) == "store"   ? nativePath(stored)
                                                                          : std::string();
        EXPECT_EQ(chosen, livecueOptionsFile(install, wxString::FromUTF8(local)));
    }
}

TEST_F(siblingsFiles, livecueRefusesBeforeTouchingAnything)
{
    const struct {
        const char* name;
        std::string folderName;
        bool readOnlyOptions;
    } rows[] = {
        {"unrepresentableFolder", nichi, false},
        {"optionsNotWritable", "copy", true},
    };
    int ran = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (!runningOnWindows() && !row.readOnlyOptions) {
            std::printf("row %s skipped: outside Windows every path is written as it is\n", row.name);
            continue;
        }
        if (skipRow(row.name, row.readOnlyOptions))
            continue;
        ++ran;
        const std::string options = dir.write(std::string(row.name) + "/player.opt", optionsContent());
        if (row.readOnlyOptions)
            readOnly(options);
        const std::string folder = dir.mkdir(std::string(row.name) + "/" + row.folderName);
        dir.write(std::string(row.name) + "/" + row.folderName + "/a.wav", "a");
        const wxString message =
            row.readOnlyOptions
                ? "Livecue's options file cannot be written:\n" + wxString::FromUTF8(options)
                : "The copy folder's path holds characters that Windows' code page for older programs lacks, so "
                  "Livecue cannot be pointed at it:\n" + wxString::FromUTF8(folder);
        const LivecueLocation location{dir.at(std::string(row.name) + "/livecue.exe"), options, true};
        bool started = true;
        wxTEST_DIALOG(started = startLivecueOnCopy(folder, location, nullptr),
                      expectMessage(wxOK, message, "Error"));
        EXPECT_FALSE(started);
        EXPECT_FALSE(wxDirExists(wxString::FromUTF8(folder))) << "the copy folder is gone";
        EXPECT_EQ(optionsContent(), readWholeFile(options));
        EXPECT_EQ(row.readOnlyOptions, isReadOnly(options));
    }
    if (ran == 0)
        GTEST_SKIP() << "no row can be had here (see above)";
}
