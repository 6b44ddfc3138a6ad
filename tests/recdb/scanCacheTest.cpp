// A scan that takes unchanged folders from the cache must give what a full
// scan gives, whatever changed since, and list only the folders that changed.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>

#include <wx/dir.h>
#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include "platform/directoryWalk.h"
#include "platform/narrow.h"
#include "recdb/catalogIndex.h"
#include "recdb/dynamicTimeline.h"
#include "recdb/scanCache.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"
#include "tests/recdb/demoLines.h"

namespace {
const std::string catalog = "<vmk_catalog></vmk_catalog>";
const std::uint64_t allFolders = 10; // two lines, each its folder and four days

void writeFile(const std::string& path, const std::string& bytes)
{
    const wxFileName name(fromNarrow(path));
    wxFile file;
    ASSERT_TRUE(wxFileName::Mkdir(name.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL) &&
                file.Create(name.GetFullPath(), true) && file.Write(bytes.data(), bytes.size()) == bytes.size())
        << path;
}

bool removeTree(const std::string& path)
{
    return wxFileName::Rmdir(fromNarrow(path), wxPATH_RMDIR_RECURSIVE);
}

bool removeFile(const std::string& path)
{
    return wxRemoveFile(fromNarrow(path));
}

bool rename(const std::string& from, const std::string& to)
{
    return wxRenameFile(fromNarrow(from), fromNarrow(to), false);
}

// Two lines of four days. `line` is the first line's folder, `day` its days.
struct archive {
    scratchDir dir;
    std::map<std::string, std::string> lines; // name -> folder
    std::string line;
    std::vector<std::string> day;
    std::int64_t tick = 0;

    archive()
    {
        lines = demoLines(dir, 2, 4, 2, "2024-03-31", 1);
        line = lines.begin()->second;
        for (const char* name : {"20240328", "20240329", "20240330", "20240331"})
            day.push_back(line + "/" + name);
        settle();
    }

    // Gives every folder changed in the last minutes (not one whose time is
    // ahead of the clock) a time of its own, long past, as if the scan came
    // much later: what it holds now is kept.
    void settle(const std::string& folder = std::string())
    {
        const std::string path = folder.empty() ? dir.path() : folder;
        wxDir listing(fromNarrow(path));
        wxString name;
        for (bool more = listing.GetFirst(&name, wxString(), wxDIR_DIRS | wxDIR_HIDDEN | wxDIR_NO_FOLLOW); more;
             more = listing.GetNext(&name))
            settle(path + "/" + toNarrow(name));
        using namespace std::chrono;
        const std::int64_t now = duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
        std::int64_t modified;
        if (modificationTimeOf(path, modified) && modified / 1000000000 > now - 600 && modified / 1000000000 <= now) {
            EXPECT_TRUE(setModificationTime(path, (1577836800 + ++tick * 10) * std::int64_t(1000000000))) << path;
        }
    }

    void link(const std::string& target, const std::string& link) { ASSERT_TRUE(makeSymlink(target, link)) << link; }
};

std::string describe(const dynamicTimeline& t)
{
    std::string text;
    for (const catalogEntry& entry : t.catalogEntries())
        text += entry.path + " " + std::to_string(entry.start) + " " + std::to_string(entry.end) + "\n";
    return text;
}

std::string fullScan(const archive& a)
{
    std::string text;
    for (const auto& l : a.lines)
        text += describe(dynamicTimeline(l.second, l.first));
    return text;
}

// Every line's entries, scanned with the cache; `listings`: the folders listed.
std::string cachedScan(const archive& a, const catalogIndex& index, std::uint64_t& listings)
{
    walkCounts counts;
    std::string text;
    for (const auto& l : a.lines)
        text += describe(dynamicTimeline(l.second, l.first, std::function<void()>(), &index, &counts));
    listings = counts.listings;
    return text;
}

// A change made after the cache was filled, with what it needs made before
// (`prepare`); what either touched is settled after it. `listed`: the folders
// the next scan lists; `listedAgain`: the one after. Changes with symbolic
// links skip where the system makes none.
struct change {
    const char* what;
    std::function<void(archive&)> apply;
    std::uint64_t listed;
    std::uint64_t listedAgain = 0;
    bool links = false;
    std::function<void(archive&)> prepare = [](archive&) {};
};
}

TEST(scanCacheTest, givesTheFullScanAfterEveryChangeListingOnlyWhatChanged)
{
    const change changes[] = {
        {"nothing", [](archive&) {}, 0},
        {"a day folder added", [](archive& a) { writeFile(a.line + "/20240401/new.xml", catalog); }, 2},
        {"a day folder removed", [](archive& a) { ASSERT_TRUE(removeTree(a.day[1])); }, 1},
        {"a day folder renamed", [](archive& a) { ASSERT_TRUE(rename(a.day[1], a.line + "/20240402")); }, 2},
        {"two day folders that swapped names",
         [](archive& a) {
             ASSERT_TRUE(rename(a.day[1], a.line + "/swap") && rename(a.day[2], a.day[1]) &&
                         rename(a.line + "/swap", a.day[2]));
         },
         3},
        {"catalogs added to an old day",
         [](archive& a) {
             for (const char* name : {"/late.xml", "/LATER.XML", "/late.wav"})
                 writeFile(a.day[1] + name, catalog);
         },
         1},
        {"a day's only catalog removed", [](archive& a) { ASSERT_TRUE(removeFile(a.day[1] + "/catalog.xml")); }, 1},
        {"a catalog replaced by a folder of the same name",
         [](archive& a) {
             ASSERT_TRUE(removeFile(a.day[1] + "/catalog.xml"));
             writeFile(a.day[1] + "/catalog.xml/inner.xml", catalog);
         },
         2},
        {"a day folder replaced by a file of the same name",
         [](archive& a) {
             ASSERT_TRUE(removeTree(a.day[1]));
             writeFile(a.day[1], catalog);
         },
         1},
        {"a folder given its old time back after a change",
         [](archive& a) {
             std::int64_t before;
             ASSERT_TRUE(modificationTimeOf(a.day[1], before));
             writeFile(a.day[1] + "/late.xml", catalog);
             ASSERT_TRUE(setModificationTime(a.day[1], before));
         },
         1},
        // Its time a little ahead of the clock: the listing falls within the
        // folder's tick however slowly the test runs, and is not kept.
        {"a catalog added within the folder's clock tick",
         [](archive& a) {
             writeFile(a.day[1] + "/late.xml", catalog);
             const auto soon = std::chrono::system_clock::now().time_since_epoch() + std::chrono::minutes(1);
             ASSERT_TRUE(setModificationTime(a.day[1], std::chrono::nanoseconds(soon).count()));
         },
         1, 1},
        {"the line folder gone", [](archive& a) { ASSERT_TRUE(removeTree(a.line)); }, 0},
        {"a linked day folder whose target gained a catalog",
         [](archive& a) { writeFile(a.dir.at("elsewhere/20240501/more.xml"), catalog); }, 1, 0, true,
         [](archive& a) {
             writeFile(a.dir.at("elsewhere/20240501/first.xml"), catalog);
             a.link(a.dir.at("elsewhere/20240501"), a.line + "/20240501");
         }},
        {"a link turned to another folder",
         [](archive& a) {
             ASSERT_TRUE(removeFile(a.line + "/20240501"));
             a.link(a.dir.at("elsewhere/b"), a.line + "/20240501");
         },
         2, 0, true,
         [](archive& a) {
             writeFile(a.dir.at("elsewhere/a/a.xml"), catalog);
             writeFile(a.dir.at("elsewhere/b/b.xml"), catalog);
             a.link(a.dir.at("elsewhere/a"), a.line + "/20240501");
         }},
        {"a dangling link whose target came to be",
         [](archive& a) { writeFile(a.dir.at("later/20240502.xml"), catalog); }, 1, 0, true,
         [](archive& a) { a.link(a.dir.at("later"), a.line + "/20240502"); }},
        {"a linked catalog whose target went",
         [](archive& a) { ASSERT_TRUE(removeFile(a.dir.at("elsewhere/linked.xml"))); }, 0, 0, true,
         [](archive& a) {
             writeFile(a.dir.at("elsewhere/linked.xml"), catalog);
             a.link(a.dir.at("elsewhere/linked.xml"), a.day[1] + "/linked.xml");
         }},
        {"a link back into the line folder", [](archive& a) { a.link(a.line, a.day[1] + "/loop"); }, 1, 0, true},
    };
    for (const change& c : changes) {
        SCOPED_TRACE(c.what);
        archive a;
        if (c.links && !makeSymlink(a.line, a.dir.at("probe"))) {
            std::cout << "skipped, no symbolic links here: " << c.what << "\n";
            continue;
        }
        c.prepare(a);
        a.settle();
        const catalogIndex index(a.dir.at("cache"));
        std::uint64_t listings = 0;
        EXPECT_EQ(fullScan(a), cachedScan(a, index, listings));
        EXPECT_GE(listings, allFolders) << "the first scan lists every folder";
        EXPECT_EQ(fullScan(a), cachedScan(a, index, listings));
        EXPECT_EQ(0u, listings) << "nothing changed yet";

        c.apply(a);
        a.settle();
        const std::string expected = fullScan(a);
        EXPECT_EQ(expected, cachedScan(a, index, listings));
        EXPECT_EQ(c.listed, listings);
        EXPECT_EQ(expected, cachedScan(a, index, listings));
        EXPECT_EQ(c.listedAgain, listings);
        EXPECT_EQ(expected, cachedScan(a, catalogIndex(a.dir.at("cache")), listings)) << "as another process finds it";
    }
}

// Whatever is wrong with a line's file, that line is listed in full, with the
// same result, and the file is made anew where it can be.
TEST(scanCacheTest, aDamagedOrForeignFileMeansAFullListingOfItsLine)
{
    const std::uint64_t lineFolders = allFolders / 2;
    const struct {
        const char* what;
        std::function<void(std::string& bytes, const std::string& otherLines)> edit;
        std::uint64_t listedAgain = 0;
    } cases[] = {
        {"a flipped byte", [](std::string& b, const std::string&) { b[b.size() / 2] ^= 0x10; }},
        {"the last byte missing", [](std::string& b, const std::string&) { b.pop_back(); }},
        {"another format version", [](std::string& b, const std::string&) { ++b[6]; }},
        {"the other line's file", [](std::string& b, const std::string& other) { b = other; }},
        {"a folder in its place", nullptr, lineFolders},
        {"a named pipe in its place", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        archive a;
        const catalogIndex index(a.dir.at("cache"));
        std::uint64_t listings = 0;
        const std::string expected = fullScan(a);
        EXPECT_EQ(expected, cachedScan(a, index, listings));
        const std::string file = scanCacheFile(index, a.line);
        std::string bytes = readWholeFile(file);
        ASSERT_FALSE(bytes.empty());
        if (c.edit) {
            c.edit(bytes, readWholeFile(scanCacheFile(index, std::next(a.lines.begin())->second)));
            writeFile(file, bytes);
        } else {
            ASSERT_TRUE(removeFile(file));
            if (c.listedAgain)
                writeFile(file + "/inside", "");
            else if (!makeFifo(file))
                continue; // no pipes on Windows
        }
        EXPECT_EQ(expected, cachedScan(a, catalogIndex(a.dir.at("cache")), listings));
        EXPECT_EQ(lineFolders, listings);
        EXPECT_EQ(expected, cachedScan(a, catalogIndex(a.dir.at("cache")), listings));
        EXPECT_EQ(c.listedAgain, listings);
    }
}

// A cache that cannot be kept costs a full listing at every scan, never an
// error, and never another result.
TEST(scanCacheTest, aCacheThatCannotBeWrittenListsEverythingEveryTime)
{
    archive a;
    const std::string expected = fullScan(a);
    std::uint64_t listings = 0;
    const catalogIndex onAFile(a.dir.write("cache", "a file where the folder should be"));
    for (int scan = 0; scan < 2; ++scan) {
        EXPECT_EQ(expected, cachedScan(a, onAFile, listings));
        EXPECT_EQ(allFolders, listings);
    }
    const catalogIndex onAFullDisk(a.dir.at("full"));
    if (!withFileSizeLimit(100, [&] { EXPECT_EQ(expected, cachedScan(a, onAFullDisk, listings)); }))
        return; // no such limit on Windows
    EXPECT_EQ(expected, cachedScan(a, onAFullDisk, listings));
    EXPECT_EQ(allFolders, listings) << "nothing was kept on the full disk";
}
