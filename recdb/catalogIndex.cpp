#include "recdb/catalogIndex.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "platform/fileReplace.h"
#include "platform/narrow.h"
#include "recdb/fileChecksum.h"
#include "recdb/littleEndian.h"

// A group file, all numbers little-endian:
//
//   "ORVIDX" version(2)              7 bytes
//   then entries, each:
//     length                         u32, of the rest of the entry
//     checksum                       u64, FNV-1a (64 bits) of the rest after it
//     path length, catalog path      u32, then its bytes
//     stamp: size, modified, changed,
//            volume, identity        5 x 64 bits
//     payload                        up to the entry's end
//
// A later entry for a path supersedes earlier ones. Entries are found through
// a table of offsets built once per group and process; the entry is read and
// checked again at every find, as another process may have rewritten the file.
// Summaries, small and asked for by the thousand when a long view opens, are
// kept from the table's reading until they are first found; a stale one
// still has to match the catalog's stamp.

namespace {
const char magic[] = {'O', 'R', 'V', 'I', 'D', 'X', 2};
const std::size_t stampSize = 5 * 8;
const std::size_t headSize = 4 + 8; // length and checksum
const std::size_t smallestRest = 8 + 4 + stampSize;
// A group file is compacted when superseded entries outweigh live ones.
const std::uint64_t compactFrom = 64 * 1024;

void putStamp(std::string& out, const fileStamp& stamp)
{
    putLittleEndian(out, stamp.size, 8);
    putLittleEndian(out, static_cast<std::uint64_t>(stamp.modified), 8);
    putLittleEndian(out, static_cast<std::uint64_t>(stamp.changed), 8);
    putLittleEndian(out, stamp.volume, 8);
    putLittleEndian(out, stamp.identity, 8);
}

fileStamp getStamp(const char* in)
{
    fileStamp stamp;
    stamp.size = getLittleEndian(in, 8);
    stamp.modified = static_cast<std::int64_t>(getLittleEndian(in + 8, 8));
    stamp.changed = static_cast<std::int64_t>(getLittleEndian(in + 16, 8));
    stamp.volume = getLittleEndian(in + 24, 8);
    stamp.identity = getLittleEndian(in + 32, 8);
    return stamp;
}

// The group of a catalog: the folder above its day folder.
std::string groupOf(const std::string& path)
{
    std::string group = path;
    for (int up = 0; up < 2; ++up) {
        const std::size_t slash = group.find_last_of("/\\");
        group = slash == std::string::npos ? std::string() : group.substr(0, slash);
    }
    return group;
}

// An entry read back: its path, stamp and payload, when its length and
// checksum hold. `bytes` starts at the entry's length field.
struct entryView {
    std::string path;
    fileStamp stamp;
    const char* payload = nullptr;
    std::size_t payloadSize = 0;
};

bool readEntry(const char* bytes, std::size_t size, entryView& entry)
{
    if (size < headSize + smallestRest - 8)
        return false;
    const std::uint64_t rest = getLittleEndian(bytes, 4);
    if (rest < smallestRest || rest > size - 4)
        return false;
    const char* body = bytes + headSize;
    const std::size_t bodySize = static_cast<std::size_t>(rest) - 8;
    if (fnv1a(body, bodySize) != getLittleEndian(bytes + 4, 8))
        return false;
    const std::uint64_t pathLength = getLittleEndian(body, 4);
    if (pathLength > bodySize - 4 - stampSize)
        return false;
    entry.path.assign(body + 4, static_cast<std::size_t>(pathLength));
    entry.stamp = getStamp(body + 4 + pathLength);
    entry.payload = body + 4 + pathLength + stampSize;
    entry.payloadSize = bodySize - 4 - static_cast<std::size_t>(pathLength) - stampSize;
    return true;
}

std::string makeEntry(const std::string& path, const fileStamp& stamp, const std::string& payload)
{
    std::string body;
    body.reserve(4 + path.size() + stampSize + payload.size());
    putLittleEndian(body, path.size(), 4);
    body += path;
    putStamp(body, stamp);
    body += payload;
    std::string entry;
    entry.reserve(headSize + body.size());
    putLittleEndian(entry, body.size() + 8, 4);
    putLittleEndian(entry, fnv1a(body.data(), body.size()), 8);
    return entry + body;
}

struct place {
    fileStamp stamp;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;                // of the whole entry
    std::unique_ptr<std::string> payload; // the entry's payload, while it is held
};

// Tables are keyed by a hash of the path rather than the path: a line of ten
// years has 3,650 of them, and the paths would be most of the table. A path of
// another catalog with the same hash never passes for this one: an entry read
// from the file is compared by its path, and a held one has this catalog's
// stamp, which no other file has.
std::uint64_t keyOf(const std::string& path)
{
    return fnv1a(path.data(), path.size());
}
typedef std::unordered_map<std::uint64_t, place> groupTable;
}

// Entries stored with storeSoon, not written yet: their bytes one after the
// other, and where each lies in them.
struct pendingWrites {
    std::string bytes;
    groupTable places; // offsets into `bytes`
};

struct catalogIndex::tables {
    std::mutex lock;
    // Group file -> catalog path -> where its latest entry lies.
    std::map<std::string, groupTable> groups;
    std::map<std::string, pendingWrites> pending;

    // Appends the entries (whole, with the file's mark when it is new) in
    // one write; true when they were written, and then `at` is where.
    static bool append(const std::string& file, std::string& bytes, std::uint64_t& at);
    // By value: the name may be a key of `pending`, which goes.
    void flushLocked(std::string file);
    void flushAllLocked()
    {
        while (!pending.empty())
            flushLocked(pending.begin()->first);
    }
    // The table of a group file, read when first needed.
    groupTable& groupLocked(const std::string& file, kind what);
    ~tables()
    {
        try {
            flushAllLocked();
        } catch (...) {
        }
    }
};

bool catalogIndex::tables::append(const std::string& file, std::string& bytes, std::uint64_t& at)
{
    wxLogNull quiet;
    // One write at the end of the file: appends of other processes land
    // before or after it. A new file gets its mark in the same write.
    // Opening a named pipe (or a device) in its place would wait for a
    // reader for ever: only an ordinary file, or none yet, is written.
    fileStamp existing;
    if (wxFileName::Exists(fromNarrow(file), wxFILE_EXISTS_ANY | wxFILE_EXISTS_NO_FOLLOW) &&
        !fileStampOf(file, existing))
        return false;
    wxFile out;
    if (!out.Open(fromNarrow(file), wxFile::write_append))
        return false;
    const bool fresh = out.Length() == 0;
    const std::size_t mark = fresh ? sizeof magic : 0;
    if (fresh)
        bytes.insert(0, magic, sizeof magic);
    if (out.Write(bytes.data(), bytes.size()) != bytes.size())
        return false;
    const wxFileOffset end = out.Tell();
    if (end == wxInvalidOffset || static_cast<std::uint64_t>(end) < bytes.size())
        return false;
    at = static_cast<std::uint64_t>(end) - bytes.size() + mark;
    return true;
}

void catalogIndex::tables::flushLocked(std::string file)
{
    auto waiting = pending.find(file);
    if (waiting == pending.end())
        return;
    pendingWrites writes = std::move(waiting->second);
    pending.erase(waiting);
    std::uint64_t at = 0;
    if (!append(file, writes.bytes, at))
        return;
    groupTable& table = groups[file];
    for (auto& item : writes.places) {
        item.second.offset += at;
        item.second.payload.reset();
        table[item.first] = std::move(item.second);
    }
}

catalogIndex::catalogIndex(std::string folder) : where(std::move(folder)), known(std::make_shared<tables>())
{
    // Made here, once, on the thread that sets the index up; a folder that
    // cannot be made just leaves every store without effect.
    if (!where.empty() && !wxFileName::DirExists(fromNarrow(where))) {
        wxLogNull quiet;
        wxFileName::Mkdir(fromNarrow(where), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    }
}

std::string catalogIndex::groupFile(const std::string& catalogPath, kind what) const
{
    const std::string group = groupOf(catalogPath);
    std::string file = where;
    if (!file.empty() && file.back() != '/' && file.back() != static_cast<char>(wxFileName::GetPathSeparator()))
        file += static_cast<char>(wxFileName::GetPathSeparator());
    return file + hexOf(fnv1a(group.data(), group.size())) + (what == kind::summary ? ".sum" : ".idx");
}

namespace {
// Reads a group file into a table. A file that is not one of ours is started
// afresh; one mostly made of superseded or damaged entries is rewritten with
// the live ones.
groupTable readGroup(const std::string& file, bool holdPayloads)
{
    groupTable table;
    std::vector<char> bytes;
    fileStamp stamp;
    std::string error;
    if (!readFileStamped(file, bytes, stamp, error) || bytes.empty())
        return table;
    wxString ignored;
    if (bytes.size() < sizeof magic || std::memcmp(bytes.data(), magic, sizeof magic) != 0) {
        writeFileReplacing(fromNarrow(file), magic, sizeof magic, ignored, false);
        return table;
    }
    std::uint64_t live = 0;
    std::size_t at = sizeof magic;
    while (at < bytes.size()) {
        entryView entry;
        if (!readEntry(bytes.data() + at, bytes.size() - at, entry))
            break; // a torn end: what follows cannot be found
        const std::uint64_t size = headSize + getLittleEndian(bytes.data() + at, 4) - 8;
        place& slot = table[keyOf(entry.path)];
        live -= slot.size;
        slot = place{entry.stamp, at, size, nullptr};
        if (holdPayloads)
            slot.payload.reset(new std::string(entry.payload, entry.payloadSize));
        live += size;
        at += static_cast<std::size_t>(size);
    }
    // A torn end must go, or every later append would lie behind it unseen.
    const bool torn = at < bytes.size();
    if (torn || (bytes.size() > compactFrom && live < bytes.size() / 2)) {
        std::string kept(magic, sizeof magic);
        for (auto& item : table) {
            const std::uint64_t offset = kept.size();
            kept.append(bytes.data() + item.second.offset, static_cast<std::size_t>(item.second.size));
            item.second.offset = offset;
        }
        if (!writeFileReplacing(fromNarrow(file), kept.data(), kept.size(), ignored, false))
            table.clear();
    }
    return table;
}
}

groupTable& catalogIndex::tables::groupLocked(const std::string& file, kind what)
{
    auto group = groups.find(file);
    if (group == groups.end())
        group = groups.emplace(file, readGroup(file, what == kind::summary)).first;
    return group->second;
}

bool catalogIndex::find(const std::string& path, const fileStamp& stamp, std::string& payload, kind what) const
{
    if (where.empty())
        return false;
    try {
        const std::string file = groupFile(path, what);
        place found;
        {
            std::lock_guard<std::mutex> hold(known->lock);
            groupTable& table = known->groupLocked(file, what);
            // What this index stored but has not written yet counts.
            auto waiting = known->pending.find(file);
            if (waiting != known->pending.end()) {
                auto soon = waiting->second.places.find(keyOf(path));
                entryView entry;
                if (soon != waiting->second.places.end() && soon->second.stamp == stamp &&
                    readEntry(waiting->second.bytes.data() + soon->second.offset,
                              static_cast<std::size_t>(soon->second.size), entry) &&
                    entry.path == path) {
                    payload.assign(entry.payload, entry.payloadSize);
                    return true;
                }
            }
            auto entry = table.find(keyOf(path));
            if (entry == table.end() || entry->second.stamp != stamp)
                return false;
            if (entry->second.payload) {
                payload = std::move(*entry->second.payload);
                entry->second.payload.reset();
                return true;
            }
            found.stamp = entry->second.stamp;
            found.offset = entry->second.offset;
            found.size = entry->second.size;
        }
        // Read again and checked: the file may have been rewritten since.
        wxLogNull quiet;
        wxFile in;
        if (!in.Open(fromNarrow(file)) || in.Seek(static_cast<wxFileOffset>(found.offset)) == wxInvalidOffset)
            return false;
        std::vector<char> bytes(static_cast<std::size_t>(found.size));
        if (in.Read(bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            return false;
        entryView entry;
        if (!readEntry(bytes.data(), bytes.size(), entry) || entry.path != path || entry.stamp != stamp)
            return false;
        payload.assign(entry.payload, entry.payloadSize);
        return true;
    } catch (...) {
        // Out of memory for a huge entry: the catalog is simply parsed.
        return false;
    }
}

void catalogIndex::keep(const std::string& path, const fileStamp& stamp, const std::string& payload, kind what,
                        bool writeNow) const
{
    if (where.empty() || path.size() > 0xffffffu || payload.size() > 0x7fffffffu)
        return;
    try {
        const std::string file = groupFile(path, what);
        const std::string entry = makeEntry(path, stamp, payload);
        std::lock_guard<std::mutex> hold(known->lock);
        known->groupLocked(file, what);
        // After what waits for the same file: the later entry is the one that
        // holds, and all of them go in one write.
        pendingWrites& writes = known->pending[file];
        writes.places[keyOf(path)] = place{stamp, writes.bytes.size(), entry.size(), nullptr};
        writes.bytes += entry;
        if (writeNow || writes.bytes.size() >= 64 * 1024)
            known->flushLocked(file);
    } catch (...) {
        // Out of memory: nothing is stored, and the next run parses again.
    }
}

void catalogIndex::store(const std::string& path, const fileStamp& stamp, const std::string& payload,
                         kind what) const
{
    keep(path, stamp, payload, what, true);
}

void catalogIndex::storeSoon(const std::string& path, const fileStamp& stamp, const std::string& payload,
                             kind what) const
{
    keep(path, stamp, payload, what, false);
}

void catalogIndex::flush() const
{
    try {
        std::lock_guard<std::mutex> hold(known->lock);
        known->flushAllLocked();
    } catch (...) {
    }
}
