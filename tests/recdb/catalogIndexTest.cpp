#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <wx/dir.h>

#include "platform/fileStamp.h"
#include "recdb/catalogIndex.h"
#include "support/systemSupport.h"
#include "support/testSupport.h"

namespace {
// Values that need all 64 bits, and a time before the epoch.
const fileStamp stamp{0xfffffffffffffff0ull, -1234567890123456789, 1700000000123456789, 1ull << 63, 0x0123456789abcdefull};

// The one entry file in an index folder.
std::string onlyEntry(const std::string& folder)
{
    wxArrayString files;
    wxDir::GetAllFiles(wxString::FromUTF8(folder), &files);
    return files.size() == 1 ? files[0].utf8_string() : std::string();
}

void overwrite(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}
}

TEST(catalogIndexTest, findsExactlyThePathAndStampStored)
{
    scratchDir dir;
    const catalogIndex index(dir.at("index"));
    const std::string payload("\0\xff binary\n\0", 11);
    index.store("/line1/catalog.xml", stamp, payload);
    index.store("/line2/catalog.xml", stamp, "");
    std::string found;
    ASSERT_TRUE(index.find("/line1/catalog.xml", stamp, found));
    EXPECT_EQ(found, payload);
    ASSERT_TRUE(index.find("/line2/catalog.xml", stamp, found));
    EXPECT_EQ(found, "");
    EXPECT_FALSE(index.find("/line3/catalog.xml", stamp, found));

    const std::function<void(fileStamp&)> changes[] = {
        [](fileStamp& s) { s.size ^= 1; },    [](fileStamp& s) { s.modified += 1; },
        [](fileStamp& s) { s.changed -= 1; }, [](fileStamp& s) { s.volume ^= 1ull << 63; },
        [](fileStamp& s) { s.identity += 1; },
    };
    for (const auto& change : changes) {
        fileStamp other = stamp;
        change(other);
        found = "untouched";
        EXPECT_FALSE(index.find("/line1/catalog.xml", other, found));
        EXPECT_EQ(found, "untouched");
    }

    // Another path's entry where this path's was, as after another process
    // rewrote the file.
    const catalogIndex a(dir.at("a")), b(dir.at("b"));
    a.store("/line/day/a", stamp, "a");
    b.store("/line/day/b", stamp, "b");
    overwrite(onlyEntry(dir.at("b")), readWholeFile(onlyEntry(dir.at("a"))));
    EXPECT_FALSE(b.find("/line/day/b", stamp, found));
}

TEST(catalogIndexTest, damagedEntriesAreNotFoundAndReplacedByTheNextStore)
{
    const std::string payload(1000, 'p');
    // The file: mark (7 bytes), then the entry: length (4), checksum (8),
    // path length (4), path, stamp, payload.
    const struct {
        const char* what;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"flipped payload byte", [](std::string& b) { b[b.size() - 10] ^= 0x20; }},
        {"flipped checksum byte", [](std::string& b) { b[11] ^= 1; }},
        {"last byte missing (a torn append)", [](std::string& b) { b.pop_back(); }},
        {"cut in the entry's head", [](std::string& b) { b.resize(20); }},
        {"foreign mark", [](std::string& b) { b[0] = 'X'; }},
        {"other format version", [](std::string& b) { b[6] = static_cast<char>(b[6] + 1); }},
        {"huge path length", [](std::string& b) { b.replace(19, 4, 4, '\xff'); }},
        {"huge entry length", [](std::string& b) { b.replace(7, 4, 4, '\xff'); }},
        {"entry length 0", [](std::string& b) { b.replace(7, 4, 4, '\0'); }},
        {"empty file", [](std::string& b) { b.clear(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        scratchDir dir;
        catalogIndex(dir.path()).store("/line/day/catalog.xml", stamp, payload);
        const std::string entry = onlyEntry(dir.path());
        std::string bytes = readWholeFile(entry);
        c.damage(bytes);
        overwrite(entry, bytes);

        // Seen by the running process and by the next one alike.
        const catalogIndex running(dir.path());
        std::string found;
        EXPECT_FALSE(running.find("/line/day/catalog.xml", stamp, found));
        running.store("/line/day/catalog.xml", stamp, "fresh");
        ASSERT_TRUE(running.find("/line/day/catalog.xml", stamp, found));
        EXPECT_EQ(found, "fresh");
        ASSERT_TRUE(catalogIndex(dir.path()).find("/line/day/catalog.xml", stamp, found));
        EXPECT_EQ(found, "fresh");
    }
}

// A named pipe in place of an index file neither blocks a store nor a find:
// the catalog is simply parsed.
TEST(catalogIndexTest, aPipeInPlaceOfAnIndexFileIsPassedBy)
{
    scratchDir dir;
    catalogIndex(dir.path()).store("/line/day/catalog.xml", stamp, "payload");
    const std::string entry = onlyEntry(dir.path());
    ASSERT_TRUE(wxRemoveFile(wxString::FromUTF8(entry)));
    if (!makeFifo(entry))
        GTEST_SKIP() << "Windows has no named pipes in the file system";
    const catalogIndex index(dir.path());
    std::string found;
    index.store("/line/day/catalog.xml", stamp, "payload");
    EXPECT_FALSE(index.find("/line/day/catalog.xml", stamp, found));
}

// One file per line, appended to; superseded entries are dropped once they
// outweigh the live ones, so a catalog rewritten all day long does not make
// the file grow without end.
TEST(catalogIndexTest, aLineSharesOneFileThatStaysSmall)
{
    scratchDir dir;
    const std::string big(10000, 'b');
    for (int run = 0; run < 30; ++run) {
        const catalogIndex index(dir.path());
        fileStamp today = stamp;
        today.modified += run;
        index.store("/line/20240102/catalog.xml", today, big);
        index.store("/line/20240101/catalog.xml", stamp, "yesterday");
    }
    const std::string file = onlyEntry(dir.path());
    ASSERT_FALSE(file.empty()) << "one file for the line";
    EXPECT_LT(readWholeFile(file).size(), 80000u);
    const catalogIndex next(dir.path());
    std::string found;
    EXPECT_TRUE(next.find("/line/20240101/catalog.xml", stamp, found));
    EXPECT_EQ(found, "yesterday");
}

TEST(catalogIndexTest, concurrentStoresAndFindsNeverMixEntries)
{
    scratchDir dir;
    const catalogIndex index(dir.path());
    const std::string paths[] = {"/x/catalog.xml", "/y/catalog.xml"};
    // Large enough that a half-written entry would be caught in the act.
    auto payloadOf = [](int path, int variant) { return std::string(300000 + path, static_cast<char>('a' + variant)); };
    std::atomic<int> wrong{0}, hits{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 100; ++i) {
                const int path = (t + i) % 2;
                if ((t + i) % 3 == 0)
                    index.store(paths[path], stamp, payloadOf(path, t % 2));
                std::string found;
                if (index.find(paths[path], stamp, found)) {
                    ++hits;
                    wrong += found != payloadOf(path, 0) && found != payloadOf(path, 1);
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(hits, 0);
}

TEST(catalogIndexTest, withoutAUsableFolderNothingIsStoredOrFound)
{
    scratchDir dir;
    auto nothingKept = [](const std::string& folder) {
        SCOPED_TRACE(folder);
        const catalogIndex index(folder);
        index.store("/catalog.xml", stamp, "payload");
        std::string found;
        EXPECT_FALSE(index.find("/catalog.xml", stamp, found));
    };
    nothingKept("");
    nothingKept(dir.write("aFile", "x") + "/index");
    const std::string locked = dir.mkdir("locked");
    if (!withUnwritableFolder(locked, [&] { nothingKept(locked + "/index"); }))
        GTEST_SKIP() << "no folder is unwritable for root, nor made so on Windows";
}

TEST(fileStampTest, everyRewriteOrReplacementChangesTheStamp)
{
    scratchDir dir;
    const std::string path = dir.write("catalog.xml", "aaaa");
    fileStamp first, later;
    std::int64_t modified = 0;
    ASSERT_TRUE(fileStampOf(path, first));
    ASSERT_TRUE(modificationTimeOf(path, modified));
    auto rewriteWithTime = [&](const char* bytes, std::int64_t nanoseconds) {
        // The kernel's change-time clock may tick only every few milliseconds.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        dir.write("catalog.xml", bytes);
        ASSERT_TRUE(setModificationTime(path, nanoseconds));
    };

    rewriteWithTime("bbbb", modified + 5000000000);
    ASSERT_TRUE(fileStampOf(path, later));
    EXPECT_EQ(later.size, first.size);
    EXPECT_NE(later.modified, first.modified);

    // The old modification time put back: the change time still tells.
    rewriteWithTime("cccc", modified);
    std::vector<char> bytes;
    std::string error;
    ASSERT_TRUE(readFileStamped(path, bytes, later, error)) << error;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "cccc");
    EXPECT_EQ(later.modified, first.modified);
    EXPECT_NE(later, first);

    const std::string next = dir.write("catalog.new", "dddd");
    std::error_code renameError;
    std::filesystem::rename(next, path, renameError); // replaces the file on Windows too
    ASSERT_FALSE(renameError) << renameError.message();
    ASSERT_TRUE(fileStampOf(path, later));
    EXPECT_NE(later.identity, first.identity);
}

// A fifo is refused at once instead of waiting for a writer.
TEST(fileStampTest, fifoIsRefusedAtOnce)
{
    scratchDir dir;
    const std::string fifo = dir.at("fifo.xml");
    if (!makeFifo(fifo))
        GTEST_SKIP() << "Windows has no named pipes in the file system";
    fileStamp stamp;
    std::vector<char> bytes;
    std::string error;
    EXPECT_FALSE(fileStampOf(fifo, stamp));
    EXPECT_FALSE(readFileStamped(fifo, bytes, stamp, error));
}

// Entries kept back are found by their own index at once, by other processes
// once written; an entry stored at once after one kept back still holds.
TEST(catalogIndexTest, entriesKeptBackAreFoundAndWrittenInOrder)
{
    scratchDir dir;
    const catalogIndex index(dir.at("index"));
    fileStamp later = stamp;
    later.size += 1;
    std::string found;
    index.storeSoon("/line/day1/c.xml", stamp, "soon", catalogIndex::kind::summary);
    index.storeSoon("/line/day2/c.xml", stamp, "two", catalogIndex::kind::summary);
    ASSERT_TRUE(index.find("/line/day1/c.xml", stamp, found, catalogIndex::kind::summary));
    EXPECT_EQ("soon", found);
    EXPECT_FALSE(index.find("/line/day1/c.xml", later, found, catalogIndex::kind::summary));
    EXPECT_FALSE(catalogIndex(dir.at("index")).find("/line/day1/c.xml", stamp, found, catalogIndex::kind::summary))
        << "not written yet";

    index.store("/line/day1/c.xml", later, "now", catalogIndex::kind::summary);
    index.flush();
    const catalogIndex other(dir.at("index"));
    ASSERT_TRUE(other.find("/line/day1/c.xml", later, found, catalogIndex::kind::summary));
    EXPECT_EQ("now", found);
    ASSERT_TRUE(other.find("/line/day2/c.xml", stamp, found, catalogIndex::kind::summary));
    EXPECT_EQ("two", found);
    ASSERT_TRUE(index.find("/line/day1/c.xml", later, found, catalogIndex::kind::summary));
    EXPECT_EQ("now", found);
}
