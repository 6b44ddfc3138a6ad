#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <wx/dir.h>
#include <wx/filename.h>

#include "export/copyEngine.h"
#include "export/tempCopy.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "export/fakeVolume.h"

namespace {
// Records what a copy reports; answers the low-space question and stops the
// copy where told.
struct recorder : copyObserver {
    bool answerLowSpace = true;
    int stopAtProgress = -1; // the n-th progress call (from 0) answers false
    std::uint64_t stopAtBytes = ~std::uint64_t(0); // or the first call that reaches this many bytes
    int progressCalls = 0;
    std::string log;
    std::vector<copyFailure> failures;

    void spaceUnknown(const std::string&, const wxString&) override { log += "unknown "; }
    void notEnoughSpace(std::uint64_t available, std::uint64_t total) override
    {
        log += "full(" + std::to_string(available) + "<" + std::to_string(total) + ") ";
    }
    bool continueWithLowSpace(std::uint64_t, std::uint64_t, std::uint64_t) override
    {
        log += "low ";
        return answerLowSpace;
    }
    void copyStarting(std::uint64_t total) override { log += "start(" + std::to_string(total) + ") "; }
    bool copyProgress(std::uint64_t done, std::uint64_t) override
    {
        return progressCalls++ != stopAtProgress && done < stopAtBytes;
    }
    void rollbackStarting(std::size_t files) override { log += "rollback(" + std::to_string(files) + ") "; }
    void rollbackProgress(std::size_t) override {}
    void copyFinished() override { log += "end "; }
    void filesFailed(const std::vector<copyFailure>& f) override
    {
        log += "failed(" + std::to_string(f.size()) + ") ";
        failures = f;
    }
};

// Every file below a folder, relative, sorted: what a copy left behind.
std::string tree(const std::string& folder)
{
    wxArrayString files;
    wxDir::GetAllFiles(wxString::FromUTF8(folder), &files, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    files.Sort();
    std::string out;
    for (const wxString& f : files)
        out += f.Mid(folder.size() + 1).utf8_string() + " ";
    return out;
}

}

TEST(copyTargets, stayInsideTheChosenFolder)
{
    const struct {
        const char* source;
        const char* target;
    } cases[] = {
        {"/rec/line03/20100512/rec1.au", "/t/line03/20100512/rec1.au"},
        {"D:\\rec\\line03\\20100512\\rec1.au", "/t/line03/20100512/rec1.au"},
        {"20100512/rec1.au", "/t/20100512/rec1.au"}, // fewer levels: the ones there are
        {"rec1.au", "/t/rec1.au"},
        {"D:\\rec1.au", "/t/_/rec1.au"},
        {"/rec/../../etc/passwd", "/t/_/etc/passwd"},
        {"/rec/../..", "/t/rec/_/_"},
        {"/rec/line/./..", "/t/line/_/_"},
        {"/rec/line/day/", "/t/line/day/_"},
        {"/rec/a:b/c:/x:y", "/t/_/_/_"},
        {"/rec//line//day//f", "/t/line/day/f"},
        // Names Windows keeps for devices, or would cut at their end.
        {"/rec/CON/aux/nul.wav", "/t/_CON/_aux/_nul.wav"},
        {"/rec/Com1/LPT9.x.y/prn", "/t/_Com1/_LPT9.x.y/_prn"},
        {"/rec/COM\xC2\xB9/lpt\xC2\xB3/con .wav", "/t/_COM\xC2\xB9/_lpt\xC2\xB3/_con .wav"},
        {"/rec/day./f. /g ", "/t/day._/f. _/g _"},
        {"/rec/CON./x/AUX ", "/t/_CON._/x/_AUX _"},
        // Near misses keep their names.
        {"/rec/COM0/CONSOLE/LPT10.wav", "/t/COM0/CONSOLE/LPT10.wav"},
        {"/rec/xCON/com/.nul", "/t/xCON/com/.nul"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nativePath(c.target), copyTargetPath("/t", c.source)) << c.source;
}

TEST(copyEngine, copiesIntoTwoLevelsAndListsEveryTarget)
{
    scratchDir dir;
    const std::string a = dir.write("rec/Front desk/20240115/1.wav", "first");
    const std::string b = dir.write("rec/Alpha/20240116/2.wav", "second");
    const std::string again = dir.write("other/Alpha/20240116/2.wav", "again");
    std::vector<std::string> copied;
    recorder observer;
    const std::string into = dir.at("into");
    ASSERT_TRUE(copyFiles({a, "", b, again}, into, &copied, observer, volumeOf(tera, tera)));
    EXPECT_EQ("start(16) end ", observer.log);
    // The same target twice is listed twice; the later file wins.
    const std::vector<std::string> expected = {nativePath(into + "/Front desk/20240115/1.wav"),
                                               nativePath(into + "/Alpha/20240116/2.wav"),
                                               nativePath(into + "/Alpha/20240116/2.wav")};
    EXPECT_EQ(expected, copied);
    EXPECT_EQ("again", readWholeFile(expected[1]));
    EXPECT_EQ(nativePath("Alpha/20240116/2.wav Front desk/20240115/1.wav "), tree(into)) << "no temporary file stays";

    // Nothing to copy: true at once, the progress opened and closed.
    recorder idle;
    EXPECT_TRUE(copyFiles({}, into, nullptr, idle, volumeOf(tera, tera)));
    EXPECT_EQ("start(0) end ", idle.log);
}

// New copies get the rights any new file gets, not a temporary file's.
TEST(copyEngine, copiesGetTheRightsOfAnyNewFile)
{
    scratchDir dir;
    std::vector<std::string> copied;
    recorder observer;
    ASSERT_TRUE(copyFiles({dir.write("rec/line/20240115/1.wav", "x")}, dir.at("into"), &copied, observer,
                          volumeOf(tera, tera)));
    ASSERT_EQ(1u, copied.size());
    unsigned bits = 0;
    if (!permissionBitsOf(copied[0], bits))
        GTEST_SKIP() << "Windows files have access lists, not permission bits";
    EXPECT_EQ(newFilePermissionBits(), bits);
}

TEST(copyEngine, stopDeletesExactlyWhatThisCopyCreated)
{
    scratchDir dir;
    std::vector<std::string> sources;
    for (int i = 1; i <= 5; ++i)
        sources.push_back(dir.write("rec/line/2024011" + std::to_string(i) + "/" + std::to_string(i) + ".wav", "x"));
    const std::string into = dir.at("into");
    // A target that was there before is replaced, and given back by the stop.
    dir.write("into/line/20240112/2.wav", "older copy");

    recorder observer;
    observer.stopAtBytes = 4; // one byte a file: the stop comes inside the fourth
    // The stop comes inside the fourth file also where the system's copy
    // reports no bytes before a file ends (Wine's CopyFileEx reports none):
    // each file's byte is reported once more when it is written.
    copySystem system = volumeOf(tera, tera);
    system.copyFile = [](const wxString& from, const wxString& to, const std::function<bool(std::uint64_t)>& p,
                         wxString& error) {
        const copyOutcome outcome = copyFileContents(from, to, p, error);
        return outcome == copyOutcome::copied && !p(1) ? copyOutcome::stopped : outcome;
    };
    std::vector<std::string> copied;
    EXPECT_FALSE(copyFiles(sources, into, &copied, observer, system));
    EXPECT_EQ(3u, copied.size()) << "the list keeps what was copied";
    EXPECT_EQ("start(5) rollback(3) end ", observer.log);
    EXPECT_EQ(nativePath("20240112/2.wav "), tree(into + "/line")) << "nothing set aside stays";
    EXPECT_EQ("older copy", readWholeFile(into + "/line/20240112/2.wav"));
    for (int i : {1, 3, 4})
        EXPECT_TRUE(wxDirExists(wxString::FromUTF8(into + "/line/2024011" + std::to_string(i)))) << "folders stay";
}

// Two copies into one folder: a stopped one takes back only what is still its
// own, and a completed one keeps nothing of what it replaced.
TEST(copyEngine, aStoppedCopyLeavesAnotherCopysFiles)
{
    scratchDir dir;
    std::vector<std::string> sources;
    for (int i = 1; i <= 4; ++i)
        sources.push_back(dir.write("rec/line/20240115/" + std::to_string(i) + ".wav", "new " + std::to_string(i)));
    const std::string into = dir.at("into");
    dir.write("into/line/20240115/1.wav", "the user's own");

    // Copy A stops in its fourth file; just before, copy B of the same files
    // runs to its end.
    int files = 0;
    recorder second;
    copySystem first = volumeOf(tera, tera);
    first.copyFile = [&](const wxString& from, const wxString& to, const std::function<bool(std::uint64_t)>& p,
                         wxString& error) {
        if (++files == 4) {
            EXPECT_TRUE(copyFiles({sources[0], sources[1]}, into, nullptr, second, volumeOf(tera, tera)));
            return copyOutcome::stopped;
        }
        return copyFileContents(from, to, p, error);
    };
    recorder observer;
    EXPECT_FALSE(copyFiles(sources, into, nullptr, observer, first));
    EXPECT_EQ("start(20) rollback(3) end ", observer.log);
    EXPECT_EQ(nativePath("line/20240115/1.wav line/20240115/2.wav "), tree(into))
        << "B's files stay, A's own third goes, nothing set aside is left";
    EXPECT_EQ("new 1", readWholeFile(into + "/line/20240115/1.wav")) << "B meant to replace it";
    EXPECT_EQ("new 2", readWholeFile(into + "/line/20240115/2.wav"));
}

// A killed copy leaves its temporary file beside the target; the next copy of
// that file removes it once it has not changed for some minutes.
TEST(copyEngine, temporaryFilesOfAKilledCopyGoWithTheNextCopy)
{
    scratchDir dir;
    const std::string source = dir.write("rec/line/20240115/1.wav", "new");
    const std::string into = dir.at("into");
    const wxDateTime old = wxDateTime::Now() - wxTimeSpan::Minutes(10);
    const struct {
        const char* name;
        bool old, stays;
    } rows[] = {
        {".1.wav.Ab3xYz", true, false}, // a killed run's
        {".1.wav.Qr7sTu", false, true}, // another run's, still being written
        {".1.wav.kept.Ab3xYz", true, true}, // a killed run's set-aside file: the user's own
        {".1.wav.Ab3xY", true, true},
        {".1.wav.Ab3xYz1", true, true},
        {".2.wav.Ab3xYz", true, true}, // not a file this copy writes
        {".bashrc", true, true},
    };
    for (const auto& row : rows) {
        const std::string path = dir.write("into/line/20240115/" + std::string(row.name), "left");
        if (row.old) {
            ASSERT_TRUE(wxFileName(wxString::FromUTF8(path)).SetTimes(&old, &old, nullptr));
        }
    }
    recorder observer;
    ASSERT_TRUE(copyFiles({source}, into, nullptr, observer, volumeOf(tera, tera)));
    for (const auto& row : rows)
        EXPECT_EQ(row.stays, wxFileExists(wxString::FromUTF8(into + "/line/20240115/" + row.name))) << row.name;
    EXPECT_EQ("new", readWholeFile(into + "/line/20240115/1.wav"));
}

TEST(copyEngine, aStopInsideALargeFileLeavesNothing)
{
    // Chunks let the copy stop in the middle of a file instead of after it.
    scratchDir dir;
    const std::string big = dir.write("rec/line/20240115/big.wav", std::string(20 << 20, 'a'));
    recorder observer;
    observer.stopAtProgress = 0;
    EXPECT_FALSE(copyFiles({big}, dir.at("into"), nullptr, observer, volumeOf(tera, tera)));
    EXPECT_EQ(1, observer.progressCalls) << "stopped after the first chunk";
    EXPECT_EQ("", tree(dir.at("into")));
}

TEST(copyEngine, failedFilesAreReportedAndNeverListed)
{
    scratchDir dir;
    const std::string good = dir.write("rec/line/20240115/good.wav", "ok");
    const std::string folderSource = dir.mkdir("rec/line/20240115/folder.wav");
    const std::string missing = dir.at("rec/line/20240115/gone.wav");
    // Where the copy needs a folder there is a file, and where it needs a file a folder.
    const std::string blockedSource = dir.write("rec/blocked/20240115/x.wav", "x");
    dir.write("into/blocked", "a file");
    const std::string busySource = dir.write("rec/busy/20240115/y.wav", "y");
    dir.mkdir("into/busy/20240115/y.wav/inside");
    // The disk fills up half-way through a file.
    const std::string fullSource = dir.write("rec/full/20240115/z.wav", "zzzz");
    copySystem system = volumeOf(tera, tera);
    system.copyFile = [&](const wxString& from, const wxString& to, const std::function<bool(std::uint64_t)>& p,
                          wxString& error) {
        if (from.utf8_string() != fullSource)
            return copyFileContents(from, to, p, error);
        std::string half = "zz";
        FILE* f = fopen(to.utf8_str(), "wb");
        fwrite(half.data(), 1, half.size(), f);
        fclose(f);
        error = "No space left on device";
        return copyOutcome::failed;
    };

    recorder observer;
    std::vector<std::string> copied;
    const std::string into = dir.at("into");
    EXPECT_TRUE(copyFiles({folderSource, missing, blockedSource, busySource, fullSource, good}, into, &copied,
                          observer, system));
    EXPECT_EQ(std::vector<std::string>{nativePath(into + "/line/20240115/good.wav")}, copied);
    ASSERT_EQ(5u, observer.failures.size());
    EXPECT_EQ(missing, observer.failures[1].source);
    EXPECT_EQ("No space left on device", observer.failures[4].reason);
    for (const copyFailure& f : observer.failures)
        EXPECT_FALSE(f.reason.empty()) << f.source;
    EXPECT_EQ(nativePath("blocked line/20240115/good.wav "), tree(into)) << "no partial file";
}

TEST(copyEngine, spaceIsCheckedBeforeAnythingIsWritten)
{
    scratchDir dir;
    const std::string a = dir.write("rec/line/20240115/a.wav", std::string(1000, 'a'));
    const std::string empty = dir.write("rec/line/20240115/empty.wav", "");
    const std::string into = dir.at("new/folder/into");
    struct {
        std::vector<std::string> sources;
        copySystem system;
        bool lowAnswer;
        bool result;
        const char* log;
    } cases[] = {
        {{a}, volumeOf(999, tera), true, false, "full(999<1000) "},
        {{a}, volumeOf(1000 + (1u << 30) - 1, tera), false, false, "low "}, // less than 1 GiB would remain
        {{a}, volumeOf(1000 + 50, 1000), true, true, "start(1000) end "},    // 5 % of a small volume remains
        {{a}, volumeOf(1000 + 49, 1000), true, true, "low start(1000) end "},
        // Nothing to copy on a volume that is low already: no question.
        {{}, volumeOf(10, tera), false, true, "start(0) end "},
        {{empty, ""}, volumeOf(10, tera), false, true, "start(0) end "},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.log);
        wxFileName::Rmdir(wxString::FromUTF8(dir.at("new")), wxPATH_RMDIR_RECURSIVE);
        recorder observer;
        observer.answerLowSpace = c.lowAnswer;
        EXPECT_EQ(c.result, copyFiles(c.sources, into, nullptr, observer, c.system));
        EXPECT_EQ(c.log, observer.log);
        if (!c.sources.empty() && c.sources[0] == a) {
            EXPECT_EQ(c.result, wxFileExists(wxString::FromUTF8(into + "/line/20240115/a.wav")));
        }
    }

    // A folder that does not exist yet is measured on the nearest one that does.
    wxFileName::Rmdir(wxString::FromUTF8(dir.at("new")), wxPATH_RMDIR_RECURSIVE);
    std::string measuredAt;
    recorder observer;
    copyFiles({a}, into, nullptr, observer, volumeOf(tera, tera, &measuredAt));
    EXPECT_EQ(nativePath(dir.path() + "/"), measuredAt);

    // A volume that cannot be measured: nothing is copied.
    copySystem unknown;
    unknown.measure = [](const wxString&, volumeSpace&, wxString& error) {
        error = "no such device";
        return false;
    };
    recorder refused;
    EXPECT_FALSE(copyFiles({a}, dir.at("elsewhere"), nullptr, refused, unknown));
    EXPECT_EQ("unknown ", refused.log);
    EXPECT_FALSE(wxDirExists(wxString::FromUTF8(dir.at("elsewhere"))));
}

// A read-only recording (an archive on a write-protected share) gives a copy
// that a stop can remove and a second copy can replace.
// Beyond the 260 characters Windows' older calls stop at, in the sources, the
// target folder and the names of the temporary files beside the targets.
TEST(copyEngine, pathsLongerThanWindowsOldLimitCopyAndRollBack)
{
    scratchDir dir;
    const std::string deep = std::string(120, 'd') + "/" + std::string(120, 'e') + "/" + std::string(60, 'f');
    const std::string a = dir.write(deep + "/line/20240115/" + std::string(100, 'a') + ".wav", "aaaa");
    const std::string b = dir.write("rec/line/20240115/b.wav", "bbbb");
    ASSERT_EQ("aaaa", readWholeFile(a)) << "the long source is there";
    const std::string into = dir.at(std::string(150, 'i') + "/" + std::string(150, 'j'));
    ASSERT_GT(copyTargetPath(into, a).size(), 400u);

    recorder stopped;
    stopped.stopAtBytes = 6;
    EXPECT_FALSE(copyFiles({a, b}, into, nullptr, stopped, volumeOf(tera, tera)));
    EXPECT_EQ("", tree(into)) << "the stop removed the long copy";

    std::vector<std::string> copied;
    recorder observer;
    EXPECT_TRUE(copyFiles({a, b}, into, &copied, observer, volumeOf(tera, tera)));
    EXPECT_EQ("start(8) end ", observer.log);
    ASSERT_EQ(2u, copied.size());
    EXPECT_EQ("aaaa", readWholeFile(copied[0]));
    EXPECT_EQ(nativePath("line/20240115/" + std::string(100, 'a') + ".wav line/20240115/b.wav "), tree(into));
}

TEST(copyEngine, readOnlySourcesGiveCopiesThatCanGoAgain)
{
    scratchDir dir;
    const std::string a = dir.write("rec/line/20240115/a.wav", "aaaa");
    const std::string b = dir.write("rec/line/20240115/b.wav", "bbbb");
    ASSERT_TRUE(makeReadOnly(a));
    ASSERT_TRUE(makeReadOnly(b));
    ASSERT_TRUE(isReadOnly(a));
    const std::string into = dir.at("into");

    // Stopped once both files are in place: the system's copy reports no
    // bytes of its own, so the stop comes after the second file.
    copySystem quiet = volumeOf(tera, tera);
    quiet.copyFile = [](const wxString& from, const wxString& to, const std::function<bool(std::uint64_t)>&,
                        wxString& error) {
        return copyFileContents(from, to, [](std::uint64_t) { return true; }, error);
    };
    recorder stopped;
    stopped.stopAtBytes = 8;
    EXPECT_FALSE(copyFiles({a, b}, into, nullptr, stopped, quiet));
    EXPECT_EQ("start(8) rollback(2) end ", stopped.log);
    EXPECT_EQ("", tree(into)) << "the stop removed both copies";
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run ? "copied over the first copy" : "copied");
        recorder observer;
        EXPECT_TRUE(copyFiles({a, b}, into, nullptr, observer, volumeOf(tera, tera)));
        EXPECT_EQ("start(8) end ", observer.log);
        EXPECT_EQ(nativePath("line/20240115/a.wav line/20240115/b.wav "), tree(into));
        EXPECT_FALSE(isReadOnly(into + "/line/20240115/a.wav"));
    }
    removeFolderTree(into);
    EXPECT_FALSE(wxDirExists(wxString::FromUTF8(into)));
}

TEST(copyEngine, moreThanFourGibibytesPassOnALargeVolume)
{
    scratchDir dir;
    const std::string big = dir.write("rec/line/20240115/big.wav", "");
    std::error_code error;
    std::filesystem::resize_file(big, 5ll << 30, error); // sparse where the file system can: no disk needed
    ASSERT_FALSE(error) << error.message();
    recorder observer;
    observer.stopAtProgress = 0;
    copySystem system = volumeOf(6ull << 40, 8ull << 40);
    system.copyFile = [](const wxString&, const wxString&, const std::function<bool(std::uint64_t)>& p, wxString&) {
        return p(1) ? copyOutcome::copied : copyOutcome::stopped;
    };
    copyFiles({big}, dir.at("into"), nullptr, observer, system);
    EXPECT_EQ("start(5368709120) rollback(0) end ", observer.log);
}

TEST(temporaryCopies, madePrivateAndRemovedWithOptionsRestored)
{
    scratchDir dir;
    if (runningOnWindows())
        GTEST_SKIP() << "Windows takes the temporary folder from TMP, not TMPDIR, and keeps a folder private by "
                        "its access list, not by permission bits";
    scopedEnv tmp("TMPDIR", wxString::FromUTF8(dir.path()));
    const std::string first = makeTemporaryCopyFolder();
    const std::string second = makeTemporaryCopyFolder();
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(wxDirExists(wxString::FromUTF8(first)));
    unsigned bits = 0;
    ASSERT_TRUE(permissionBitsOf(first, bits));
    EXPECT_EQ(0700u, bits);

    // The copy, with a hidden file and a link to something that is not ours.
    const std::string keep = dir.write("keep/precious.txt", "mine");
    dir.write(first.substr(dir.path().size() + 1) + "/line/day/.hidden", "h");
    ASSERT_TRUE(makeSymlink(dir.at("keep"), first + "/line/link"));
    const std::string original("before\0with zero", 16);
    const std::string options = dir.write("player.opt", original);
    auto saved = savedOptionsFile::hold(options);
    ASSERT_TRUE(saved);
    dir.write("player.opt", "pointed at the copy");
    auto* cleanup = new directoryCleanup(first, saved);
    EXPECT_EQ(saved, savedOptionsFile::hold(options)) << "one hold while a copy is in use";
    saved.reset();
    cleanup->OnTerminate(123, 0); // deletes itself
    EXPECT_FALSE(wxDirExists(wxString::FromUTF8(first)));
    EXPECT_EQ("mine", readWholeFile(keep));
    EXPECT_EQ(original, readWholeFile(options));
}
