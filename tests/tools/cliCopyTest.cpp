#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sstream>

#include <wx/dir.h>
#include <wx/filename.h>

#include "export/copyEngine.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "export/fakeVolume.h"
#include "tools/cli.h"
#include "tools/cliTesting.h"
#include "tools/demoArchive.h"

namespace {
// A field of the CLI's output as it was before its escapes (which double every
// backslash of a Windows path).
std::string unescaped(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        const char c = field[++i];
        text += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return text;
}

// The lines the CLI writes, the escapes of their fields undone.
std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        result.push_back(unescaped(line));
    return result;
}


// Every file below a folder, relative with forward slashes, sorted.
std::vector<std::string> filesBelow(const std::string& folder)
{
    std::vector<std::string> result;
    if (!wxDirExists(wxString::FromUTF8(folder)))
        return result;
    wxArrayString files;
    wxDir::GetAllFiles(wxString::FromUTF8(folder), &files, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    files.Sort();
    for (const wxString& f : files) {
        std::string relative = f.Mid(folder.size() + 1).utf8_string();
        std::replace(relative.begin(), relative.end(), '\\', '/');
        result.push_back(relative);
    }
    return result;
}

std::uint64_t sizeOf(const std::string& path)
{
    return wxFileName::GetSize(wxString::FromUTF8(path)).GetValue();
}



class cliCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        demoOptions options;
        options.outDir = dir.at("archive");
        options.channels = 3;
        options.days = 2;
        options.callsPerDay = 6;
        options.audioBytes = 1500;
        options.endDate = "2024-03-31";
        std::string error;
        ASSERT_TRUE(generateDemoArchive(options, &error)) << error;
        setup.system = volumeOf(tera, tera);
        setCliCopySetup(&setup);
    }
    void TearDown() override { setCliCopySetup(nullptr); }

    int run(std::vector<std::string> args)
    {
        out.str("");
        err.str("");
        return runCli(args, out, err);
    }
    std::vector<std::string> selection(const std::vector<std::string>& extra = {}) const
    {
        std::vector<std::string> args = {"--logger-ini", dir.at("archive/logger.ini"), "--from",
                                         "2024-03-30 00:00:00", "--to", "2024-04-01 00:00:00"};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    int copy(const std::string& into, const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args = {"copy", "--into", into};
        for (const std::string& a : selection(extra))
            args.push_back(a);
        return run(args);
    }
    // The audio files `recordings` lists for the same selection, in its order.
    std::vector<std::string> listedFiles(const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args = {"recordings", "--no-index"};
        for (const std::string& a : selection(extra))
            args.push_back(a);
        EXPECT_EQ(0, run(args)) << err.str();
        std::vector<std::string> files;
        std::istringstream listed(out.str());
        for (std::string line; std::getline(listed, line);)
            files.push_back(unescaped(line.substr(line.rfind('\t') + 1)));
        return files;
    }

    scratchDir dir;
    cliCopySetup setup;
    std::ostringstream out;
    std::ostringstream err;
};

int signalsSeen = 0;
void countSignal(int)
{
    ++signalsSeen;
}

// Runs in another folder for its lifetime.
class workingFolder {
public:
    explicit workingFolder(const std::string& folder) : previous(std::filesystem::current_path()) { go(folder); }
    ~workingFolder() { go(previous); }

private:
    static void go(const std::filesystem::path& folder)
    {
        std::error_code error;
        std::filesystem::current_path(folder, error);
        EXPECT_FALSE(error) << folder << ": " << error.message();
    }

    std::filesystem::path previous;
};
}

TEST_F(cliCopyTest, printsExactlyTheTargetsOfTheListedRecordings)
{
    const std::vector<std::vector<std::string>> selections = {{}, {"--channel", "Dispatch 1"}};
    int round = 0;
    for (const auto& channels : selections) {
        const std::vector<std::string> sources = listedFiles(channels);
        ASSERT_GT(sources.size(), 2u);
        const std::string into = dir.at("into" + std::to_string(++round));
        std::vector<std::string> expected;
        for (const std::string& source : sources)
            expected.push_back(copyTargetPath(into, source));

        ASSERT_EQ(0, copy(into, channels)) << err.str();
        EXPECT_EQ(expected, lines(out.str()));
        EXPECT_EQ("", err.str()) << "no progress when stderr is no terminal, no other noise";
        for (std::size_t i = 0; i < sources.size(); ++i)
            EXPECT_EQ(readWholeFile(sources[i]), readWholeFile(expected[i])) << expected[i];
        EXPECT_EQ(sources.size(), filesBelow(into).size()) << "no temporary file stays";
    }
}

TEST_F(cliCopyTest, exitStatusFollowsTheOutcome)
{
    const std::vector<std::string> sources = listedFiles();
    std::uint64_t total = 0;
    for (const std::string& s : sources)
        total += sizeOf(s);
    copySystem unmeasurable;
    unmeasurable.measure = [](const wxString&, volumeSpace&, wxString& error) {
        error = "no such volume";
        return false;
    };
    const struct {
        const char* name;
        copySystem system;
        std::vector<std::string> extra;
        std::size_t missing; // sources removed before the copy
        int status;
        const char* message; // part of the one stderr line, or "" for none
    } cases[] = {
        {"room enough", volumeOf(tera, tera), {}, 0, 0, ""},
        {"unmeasurable", unmeasurable, {}, 0, 2, "cannot be measured (no such volume)"},
        {"too small", volumeOf(total - 1, tera), {}, 0, 2, "not enough free space"},
        {"low room", volumeOf(total + 1000, tera), {}, 0, 2, "use --yes"},
        {"low room, --yes", volumeOf(total + 1000, tera), {"--yes"}, 0, 0, "warning: only 0.0 MB will remain"},
        {"room for exactly the files, --yes", volumeOf(total, tera), {"--yes"}, 0, 0, "warning"},
        {"two files gone", volumeOf(tera, tera), {}, 2, 1, ""},
    };
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setup.system = c.system;
        const std::string into = dir.at("into" + std::to_string(++round));
        std::vector<std::string> gone;
        for (std::size_t i = 0; i < c.missing; ++i) {
            gone.push_back(sources[i * 3 + 1]);
            ASSERT_TRUE(wxRemoveFile(wxString::FromUTF8(gone.back())));
        }

        EXPECT_EQ(c.status, copy(into, c.extra));
        const std::vector<std::string> printed = lines(out.str());
        const std::vector<std::string> errors = lines(err.str());
        if (c.status == 2) {
            EXPECT_TRUE(printed.empty());
            EXPECT_TRUE(filesBelow(into).empty()) << "nothing copied, no folder made";
        } else {
            std::vector<std::string> expected;
            for (const std::string& s : sources)
                if (std::find(gone.begin(), gone.end(), s) == gone.end())
                    expected.push_back(copyTargetPath(into, s));
            EXPECT_EQ(expected, printed);
        }
        if (c.missing) {
            // Each failure named on stderr with the system's reason, never on stdout.
            ASSERT_EQ(gone.size(), errors.size()) << err.str();
            for (std::size_t i = 0; i < gone.size(); ++i) {
                const std::string named =
                    "orvista-cli: cannot copy " + gone[i] + " to " + copyTargetPath(into, gone[i]) + ": ";
                EXPECT_EQ(0u, errors[i].rfind(named, 0)) << errors[i];
                EXPECT_LT(named.size(), errors[i].size()) << errors[i];
                EXPECT_EQ(std::string::npos, unescaped(out.str()).find(gone[i]));
            }
        } else if (*c.message) {
            ASSERT_EQ(1u, errors.size()) << err.str();
            EXPECT_EQ(0u, errors[0].rfind("orvista-cli: ", 0)) << errors[0];
            EXPECT_NE(std::string::npos, errors[0].find(c.message)) << errors[0];
        } else {
            EXPECT_EQ("", err.str());
        }
    }
}

// A damaged catalog is a failure of the command, not an empty day: named in the
// log, the rest listed or copied, status 1.
TEST_F(cliCopyTest, aCatalogThatCannotBeReadFailsTheCommandAndIsNamed)
{
    const std::vector<std::string> all = listedFiles();
    wxArrayString catalogs;
    wxDir::GetAllFiles(wxString::FromUTF8(dir.at("archive")), &catalogs, "catalog.xml");
    catalogs.Sort();
    const std::string damaged = catalogs[0].utf8_string();
    const std::string content = readWholeFile(damaged);
    std::size_t inDamaged = 0;
    for (std::size_t at = 0; (at = content.find("<file_name>", at)) != std::string::npos; ++at)
        ++inDamaged;
    dir.write(damaged.substr(dir.path().size() + 1), content.substr(0, content.size() / 2));

    const struct {
        const char* name;
        std::vector<std::string> command;
    } cases[] = {
        {"recordings", {"recordings", "--no-index"}},
        {"--count", {"recordings", "--count"}},
        {"recordings with the index", {"recordings"}},
        {"copy", {"copy", "--into", dir.at("into")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.command;
        for (const std::string& a : selection())
            args.push_back(a);
        capturedLog log;
        EXPECT_EQ(1, run(args));
        EXPECT_NE(std::string::npos, log.text.find("catalog '" + damaged + "' cannot be read: XML parsing error"))
            << log.text;
        const std::vector<std::string> printed = lines(out.str());
        if (std::find(c.command.begin(), c.command.end(), "--count") != c.command.end()) {
            std::size_t counted = 0;
            for (const std::string& line : printed)
                counted += std::stoul(line.substr(line.rfind('\t') + 1));
            EXPECT_EQ(all.size() - inDamaged, counted);
        } else {
            EXPECT_EQ(all.size() - inDamaged, printed.size()) << "the other days are there";
        }
    }
}

// A named pipe where a recording should be: opening it would wait for a
// writer for ever, deaf to Ctrl-C. It is a named failure instead.
TEST_F(cliCopyTest, aPipeInPlaceOfARecordingIsANamedFailure)
{
    const std::vector<std::string> sources = listedFiles();
    ASSERT_TRUE(wxRemoveFile(wxString::FromUTF8(sources[1])));
    if (!makeFifo(sources[1]))
        GTEST_SKIP() << "no named pipes in the file system here";
    const std::string into = dir.at("into");
    EXPECT_EQ(1, copy(into));
    EXPECT_EQ(sources.size() - 1, lines(out.str()).size());
    const std::vector<std::string> errors = lines(err.str());
    ASSERT_EQ(1u, errors.size()) << err.str();
    EXPECT_EQ("orvista-cli: cannot copy " + sources[1] + " to " + copyTargetPath(into, sources[1]) +
                  ": it is not an ordinary file",
              errors[0]);
}

TEST_F(cliCopyTest, aSignalStopsTheCopyAndRemovesWhatItCopied)
{
    std::vector<int> stops = {SIGINT, SIGTERM};
#ifdef SIGHUP
    stops.push_back(SIGHUP); // the terminal was closed
#endif
    for (int signal : stops) {
        SCOPED_TRACE(signal);
        const auto original = std::signal(signal, countSignal);
        ASSERT_NE(SIG_ERR, original);
        signalsSeen = 0;

        const std::string into = dir.at("into" + std::to_string(signal));
        dir.write("into" + std::to_string(signal) + "/keep.txt", "there before");
        int files = 0;
        setup.system.copyFile = [&](const wxString& source, const wxString& target,
                                    const std::function<bool(std::uint64_t)>& progress, wxString& error) {
            copyOutcome outcome = copyFileContents(source, target, progress, error);
            if (++files == 3)
                std::raise(signal); // as if Ctrl-C came while the third file was being written
            return outcome;
        };

        EXPECT_EQ(130, copy(into));
        EXPECT_EQ(3, files) << "the copy stops at once";
        EXPECT_EQ("", out.str());
        EXPECT_EQ("orvista-cli: copy stopped; removed the 3 files it had copied (files there before are as they were)\n",
                  err.str());
        EXPECT_EQ(std::vector<std::string>{"keep.txt"}, filesBelow(into));

        // The program's own handler is back once the copy is over.
        EXPECT_EQ(0, signalsSeen);
        std::raise(signal);
        EXPECT_EQ(1, signalsSeen);
        std::signal(signal, original);
    }
}

TEST_F(cliCopyTest, hostileFileNamesStayInsideTheTarget)
{
    // A catalog's file names, relative to the working folder, climbing out and
    // naming a drive; each reaches a real file. On Windows the drive is the
    // working folder's, and the name the file beside that folder; elsewhere it
    // is a file of that name in the working folder.
    const std::string work = dir.mkdir("deep/1/2/3/4");
    const std::string climbing = dir.write("deep/etc/x", "climbing");
    const std::string drive = (runningOnWindows() ? dir.path().substr(0, 2) : "C:") + "..\\x";
    dir.write(runningOnWindows() ? "deep/1/2/3/x" : "deep/1/2/3/4/" + drive, "drive");
    wxArrayString catalogs;
    wxDir::GetAllFiles(wxString::FromUTF8(dir.at("archive")), &catalogs, "catalog.xml");
    catalogs.Sort();
    std::string catalogPath, catalog;
    for (const wxString& path : catalogs) {
        catalogPath = path.utf8_string();
        catalog = readWholeFile(catalogPath);
        if (catalog.find("<file_name>") != catalog.rfind("<file_name>"))
            break; // two calls at least
    }
    std::size_t at = 0;
    for (const std::string& hostile : {std::string("../../../../etc/x"), drive}) {
        at = catalog.find("<file_name>", at);
        ASSERT_NE(std::string::npos, at);
        at += std::string("<file_name>").size();
        catalog.replace(at, catalog.find("</file_name>", at) - at, hostile);
    }
    dir.write(catalogPath.substr(dir.path().size() + 1), catalog);

    // Joined naively to the target, the first would land in deep/1/etc/x.
    const std::string into = dir.at("deep/1/2/3/4/into");
    std::vector<std::string> before = filesBelow(dir.path());
    {
        workingFolder inside(work);
        ASSERT_EQ(0, copy(into)) << err.str();
    }
    const std::vector<std::string> printed = lines(out.str());
    for (const std::string& target : printed)
        EXPECT_EQ(0u, target.rfind(nativePath(into + "/"), 0)) << target;
    EXPECT_NE(printed.end(), std::find(printed.begin(), printed.end(), nativePath(into + "/_/etc/x")));
    EXPECT_NE(printed.end(), std::find(printed.begin(), printed.end(), nativePath(into + "/_/x")));
    EXPECT_EQ("climbing", readWholeFile(into + "/_/etc/x"));
    EXPECT_EQ("drive", readWholeFile(into + "/_/x"));

    std::vector<std::string> after;
    for (const std::string& f : filesBelow(dir.path()))
        if (f.rfind("deep/1/2/3/4/into", 0) != 0)
            after.push_back(f);
    EXPECT_EQ(before, after) << "nothing changed outside the target";
}

TEST_F(cliCopyTest, progressGoesToStderrAndEndsItsLine)
{
    setup.progress = true;
    const std::string into = dir.at("into");
    ASSERT_EQ(0, copy(into));
    const std::string shown = err.str();
    EXPECT_EQ(listedFiles().size(), lines(out.str()).size());
    EXPECT_EQ(0u, shown.find("\rcopying   0% (0.0 MB of ")) << shown;
    EXPECT_NE(std::string::npos, shown.find("\rcopying 100% (")) << shown;
    EXPECT_EQ(1, std::count(shown.begin(), shown.end(), '\n')) << "one line, redrawn in place";
    EXPECT_EQ('\n', shown.back());
}
