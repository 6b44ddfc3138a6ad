#include "recdb/scanCache.h"

#include <cstring>
#include <vector>

#include <wx/filename.h>

#include "platform/fileReplace.h"
#include "platform/fileStamp.h"
#include "platform/narrow.h"
#include "recdb/catalogIndex.h"
#include "recdb/fileChecksum.h"
#include "recdb/littleEndian.h"

// A line's file, all numbers little-endian:
//
//   "ORVSCN" version(1)              7 bytes
//   checksum                         u64, FNV-1a (64 bits) of all that follows
//   line folder                      u32 length, then its bytes
//   folder count                     u32
//   then each folder:
//     relative path                  u32 length, then its bytes ("" for the line folder)
//     stamp: modified seconds and
//            nanoseconds, changed,
//            volume, identity        5 x 64 bits
//     entry count                    u32
//     entries, each: kind            u8 (entryKind)
//                    name            u32 length, then its bytes

namespace {
const char magic[] = {'O', 'R', 'V', 'S', 'C', 'N', 1};
const std::size_t headSize = sizeof magic + 8;

bool mayBeCatalog(const std::string& name)
{
    const std::size_t n = name.size();
    if (n < 4 || name[n - 4] != '.')
        return false;
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    return upper(name[n - 3]) == 'X' && upper(name[n - 2]) == 'M' && upper(name[n - 1]) == 'L';
}

void putText(std::string& out, const std::string& text)
{
    putLittleEndian(out, text.size(), 4);
    out += text;
}

std::string encode(const std::string& directory, const walkMemory& memory)
{
    std::string out(magic, sizeof magic);
    out.append(8, '\0'); // the checksum, once the rest is known
    putText(out, directory);
    putLittleEndian(out, memory.size(), 4);
    for (const auto& folder : memory) {
        putText(out, folder.first);
        const folderStamp& stamp = folder.second.stamp;
        putLittleEndian(out, static_cast<std::uint64_t>(stamp.modifiedSeconds), 8);
        putLittleEndian(out, static_cast<std::uint64_t>(stamp.modifiedNanoseconds), 8);
        putLittleEndian(out, static_cast<std::uint64_t>(stamp.changed), 8);
        putLittleEndian(out, stamp.volume, 8);
        putLittleEndian(out, stamp.identity, 8);
        putLittleEndian(out, folder.second.entries.size(), 4);
        for (const listedEntry& entry : folder.second.entries) {
            out += static_cast<char>(entry.kind);
            putText(out, entry.name);
        }
    }
    const std::uint64_t checksum = fnv1a(out.data() + headSize, out.size() - headSize);
    for (int i = 0; i < 8; ++i)
        out[sizeof magic + static_cast<std::size_t>(i)] = static_cast<char>((checksum >> (8 * i)) & 0xff);
    return out;
}

// Reads the file's bytes with every length checked against what is left.
class reader {
public:
    reader(const char* at_, std::size_t left_) : at(at_), left(left_) {}

    bool number(std::uint64_t& value, int bytes)
    {
        if (left < static_cast<std::size_t>(bytes))
            return false;
        value = getLittleEndian(at, bytes);
        at += bytes;
        left -= static_cast<std::size_t>(bytes);
        return true;
    }

    bool text(std::string& value)
    {
        std::uint64_t length;
        if (!number(length, 4) || length > left)
            return false;
        value.assign(at, static_cast<std::size_t>(length));
        at += length;
        left -= static_cast<std::size_t>(length);
        return true;
    }

    bool done() const { return left == 0; }

private:
    const char* at;
    std::size_t left;
};

bool decode(const std::vector<char>& bytes, const std::string& directory, walkMemory& memory)
{
    if (bytes.size() < headSize || std::memcmp(bytes.data(), magic, sizeof magic) != 0 ||
        getLittleEndian(bytes.data() + sizeof magic, 8) != fnv1a(bytes.data() + headSize, bytes.size() - headSize))
        return false;
    reader in(bytes.data() + headSize, bytes.size() - headSize);
    std::string folder;
    std::uint64_t folders;
    if (!in.text(folder) || folder != directory || !in.number(folders, 4))
        return false;
    for (std::uint64_t i = 0; i < folders; ++i) {
        std::string relative;
        folderRecord record;
        std::uint64_t fields[5], entries;
        if (!in.text(relative))
            return false;
        for (std::uint64_t& field : fields)
            if (!in.number(field, 8))
                return false;
        record.stamp.modifiedSeconds = static_cast<std::int64_t>(fields[0]);
        record.stamp.modifiedNanoseconds = static_cast<std::int64_t>(fields[1]);
        record.stamp.changed = static_cast<std::int64_t>(fields[2]);
        record.stamp.volume = fields[3];
        record.stamp.identity = fields[4];
        if (!in.number(entries, 4))
            return false;
        for (std::uint64_t j = 0; j < entries; ++j) {
            listedEntry entry;
            std::uint64_t kind;
            if (!in.number(kind, 1) || kind > static_cast<std::uint64_t>(entryKind::folderLink) || !in.text(entry.name))
                return false;
            entry.kind = static_cast<entryKind>(kind);
            record.entries.push_back(std::move(entry));
        }
        memory[relative] = std::move(record);
    }
    return in.done();
}

walkMemory readMemory(const std::string& file, const std::string& directory)
{
    walkMemory memory;
    try {
        std::vector<char> bytes;
        fileStamp stamp;
        std::string error;
        if (!readFileStamped(file, bytes, stamp, error) || !decode(bytes, directory, memory))
            memory.clear();
    } catch (...) {
        // Out of memory for a file gone wrong: the folder is listed.
        memory.clear();
    }
    return memory;
}
}

std::string scanCacheFile(const catalogIndex& index, const std::string& directory)
{
    std::string file = index.folder();
    const char separator = static_cast<char>(wxFileName::GetPathSeparator());
    if (!file.empty() && file.back() != '/' && file.back() != separator)
        file += separator;
    return file + hexOf(fnv1a(directory.data(), directory.size())) + ".scan";
}

void scanCatalogFolders(const std::string& directory, const catalogIndex* index,
                        const std::function<void(const std::string& path)>& onFile, walkCounts* counts)
{
    if (!index || index->folder().empty()) {
        walkDirectory(directory, onFile, counts);
        return;
    }
    const std::string file = scanCacheFile(*index, directory);
    const walkMemory known = readMemory(file, directory);
    walkMemory learned;
    if (!walkDirectoryRemembering(directory, onFile, mayBeCatalog, known, learned, counts))
        return;
    try {
        const std::string bytes = encode(directory, learned);
        wxString ignored;
        writeFileReplacing(fromNarrow(file), bytes.data(), bytes.size(), ignored, false);
    } catch (...) {
        // Out of memory: nothing is kept, and the next scan lists again.
    }
}
