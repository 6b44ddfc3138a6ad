#include "recdb/catalogIndex.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include <wx/filename.h>
#include <wx/log.h>

#include "platform/fileReplace.h"
#include "platform/narrow.h"
#include "platform/standardPaths.h"

// An entry file, all numbers little-endian:
//
//   "ORVIDX" version(1)              7 bytes
//   path length                      u32
//   catalog path                     path length bytes
//   stamp: size, modified, changed,  5 x 64 bits
//          volume, identity
//   payload length                   u64
//   checksum                         u64, FNV-1a (64 bits) of every byte above
//                                    it followed by the payload
//   payload                          payload length bytes, up to the file's end
//
// The path is kept whole because file names come from a hash of it: two
// catalogs whose paths share a hash then take turns in one file, and neither
// ever receives the other's payload. The checksum catches a file damaged on
// disk; a half-written file cannot occur, as entries are replaced whole.

namespace {
const char magic[] = {'O', 'R', 'V', 'I', 'D', 'X'};
const unsigned char formatVersion = 1;
const char* const entryExtension = ".idx";

const std::size_t magicSize = sizeof magic + 1;
const std::size_t stampSize = 5 * 8;
// Everything that is not the path or the payload.
const std::size_t fixedSize = magicSize + 4 + stampSize + 8 + 8;

const std::uint64_t fnvOffset = 14695981039346656037ull;
const std::uint64_t fnvPrime = 1099511628211ull;

std::uint64_t fnv1a(const char* bytes, std::size_t size, std::uint64_t hash = fnvOffset)
{
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(bytes[i]);
        hash *= fnvPrime;
    }
    return hash;
}

void putNumber(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xff);
}

std::uint64_t getNumber(const char* in, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(in[i]);
    return value;
}

void putStamp(std::string& out, const fileStamp& stamp)
{
    putNumber(out, stamp.size, 8);
    putNumber(out, static_cast<std::uint64_t>(stamp.modified), 8);
    putNumber(out, static_cast<std::uint64_t>(stamp.changed), 8);
    putNumber(out, stamp.volume, 8);
    putNumber(out, stamp.identity, 8);
}

fileStamp getStamp(const char* in)
{
    fileStamp stamp;
    stamp.size = getNumber(in, 8);
    stamp.modified = static_cast<std::int64_t>(getNumber(in + 8, 8));
    stamp.changed = static_cast<std::int64_t>(getNumber(in + 16, 8));
    stamp.volume = getNumber(in + 24, 8);
    stamp.identity = getNumber(in + 32, 8);
    return stamp;
}

// The payload of an entry file's bytes, when they are an intact entry for
// exactly this path and stamp. Every length is checked against what is there
// before it is used.
bool parseEntry(const std::vector<char>& file, const std::string& path, const fileStamp& stamp,
                std::string& payload)
{
    const char* bytes = file.data();
    const std::size_t size = file.size();
    if (size < fixedSize || std::memcmp(bytes, magic, sizeof magic) != 0 ||
        static_cast<unsigned char>(bytes[sizeof magic]) != formatVersion)
        return false;
    std::size_t at = magicSize;
    const std::uint64_t pathLength = getNumber(bytes + at, 4);
    at += 4;
    // The length must be the wanted path's and fit in the file before the
    // path itself is compared.
    if (pathLength != path.size() || size - fixedSize < pathLength ||
        std::memcmp(bytes + at, path.data(), path.size()) != 0)
        return false;
    at += path.size();
    if (getStamp(bytes + at) != stamp)
        return false;
    at += stampSize;
    const std::uint64_t payloadLength = getNumber(bytes + at, 8);
    at += 8;
    const std::uint64_t checksum = getNumber(bytes + at, 8);
    const std::size_t checked = at;
    at += 8;
    if (payloadLength != size - at)
        return false;
    if (fnv1a(bytes + at, size - at, fnv1a(bytes, checked)) != checksum)
        return false;
    payload.assign(bytes + at, size - at);
    return true;
}

std::string hexOf(std::uint64_t value)
{
    static const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = digits[value & 0xf];
    return text;
}

// Entries are named from a hash of the catalog path and spread over 256
// sub-folders by its first byte, so that no folder grows large.
std::string entryName(const std::string& path)
{
    return hexOf(fnv1a(path.data(), path.size())) + entryExtension;
}

std::string entryFolder(const std::string& folder, const std::string& name)
{
    const char separator = static_cast<char>(wxFileName::GetPathSeparator());
    std::string sub = folder;
    if (sub.back() != separator && sub.back() != '/')
        sub += separator;
    return sub + name.substr(0, 2);
}
}

catalogIndex::catalogIndex(std::string folder) : where(std::move(folder)) {}

std::string catalogIndex::defaultFolder()
{
    return toNarrow(cacheDirectory());
}

bool catalogIndex::find(const std::string& path, const fileStamp& stamp, std::string& payload) const
{
    if (where.empty())
        return false;
    try {
        const std::string name = entryName(path);
        const std::string file = entryFolder(where, name) + static_cast<char>(wxFileName::GetPathSeparator()) + name;
        // The stamped reader takes only regular files and never blocks on a
        // fifo or device someone left in the folder.
        std::vector<char> bytes;
        fileStamp entryStamp;
        std::string error;
        if (!readFileStamped(file, bytes, entryStamp, error))
            return false;
        return parseEntry(bytes, path, stamp, payload);
    } catch (...) {
        // Out of memory for a huge entry: the catalog is simply parsed.
        return false;
    }
}

void catalogIndex::store(const std::string& path, const fileStamp& stamp, const std::string& payload) const
{
    if (where.empty() || path.size() > 0xffffffffu)
        return;
    try {
        std::string entry;
        entry.reserve(fixedSize + path.size() + payload.size());
        entry.append(magic, sizeof magic);
        entry += static_cast<char>(formatVersion);
        putNumber(entry, path.size(), 4);
        entry += path;
        putStamp(entry, stamp);
        putNumber(entry, payload.size(), 8);
        putNumber(entry, fnv1a(payload.data(), payload.size(), fnv1a(entry.data(), entry.size())), 8);
        entry += payload;

        const std::string name = entryName(path);
        const wxString sub = fromNarrow(entryFolder(where, name));
        wxLogNull quiet;
        // Another thread or process may make the folder at the same moment;
        // whether it then exists is all that counts, and the write tells.
        if (!wxFileName::DirExists(sub))
            wxFileName::Mkdir(sub, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
        // The new entry is written beside the old under a unique name and moved
        // over it: readers and concurrent writers see one whole entry or another.
        wxString error;
        writeFileReplacing(wxFileName(sub, fromNarrow(name)).GetFullPath(), entry.data(), entry.size(), error,
                           false);
    } catch (...) {
        // Out of memory: nothing is stored, and the next run parses again.
    }
}
