#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "recdb/catalog.h"

// The compact form of a catalog's recordings, as the index keeps it: little-endian, every count checked on the way back.
namespace {
void putNumber(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

class unpacker {
public:
    unpacker(const char* bytes_, std::size_t size_) : at(bytes_), end(bytes_ + size_) {}
    bool number(std::uint64_t& value, int bytes)
    {
        if (end - at < bytes)
            return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(at[i])) << (8 * i);
        at += bytes;
        return true;
    }
    bool text(std::string& value)
    {
        std::uint64_t length;
        if (!number(length, 4) || static_cast<std::uint64_t>(end - at) < length)
            return false;
        value.assign(at, static_cast<size_t>(length));
        at += length;
        return true;
    }
    bool finished() const { return at == end; }

private:
    const char* at;
    const char* end;
};

const char packMagic[] = "ORVCAT1";
}

std::string packCatalog(const std::vector<recording>& list)
{
    std::string out(packMagic, sizeof packMagic);
    putNumber(out, list.size(), 4);
    // Texts per distinct block; labels as texts (pool offsets mean nothing to
    // another process).
    std::unordered_map<const recordingTexts*, std::uint32_t> blocks;
    std::vector<const recordingTexts*> blockOrder;
    std::unordered_map<std::string, std::uint32_t> labels;
    std::vector<std::string> labelOrder;
    std::string records;
    for (const recording& r : list) {
        const recordingTexts* block = r.properties.block();
        std::uint32_t blockIndex = 0xFFFFFFFFu;
        if (block) {
            auto found = blocks.emplace(block, static_cast<std::uint32_t>(blockOrder.size()));
            if (found.second)
                blockOrder.push_back(block);
            blockIndex = found.first->second;
        }
        std::uint32_t labelIndex = 0xFFFFFFFFu;
        if (r.properties.count("label")) {
            auto found = labels.emplace(r.getProperty("label"), static_cast<std::uint32_t>(labelOrder.size()));
            if (found.second)
                labelOrder.push_back(found.first->first);
            labelIndex = found.first->second;
        }
        putNumber(records, static_cast<std::uint64_t>(r.start.IsValid() ? r.start.GetValue().GetValue() : 0), 8);
        putNumber(records, static_cast<std::uint64_t>(r.end.IsValid() ? r.end.GetValue().GetValue() : 0), 8);
        putNumber(records, r.start.IsValid() ? 1 : 0, 1);
        putNumber(records, blockIndex, 4);
        putNumber(records, r.properties.count("filename") ? r.properties.nameReference() : 0xFFFFFFFFu, 4);
        putNumber(records, labelIndex, 4);
    }
    putNumber(out, blockOrder.size(), 4);
    for (const recordingTexts* block : blockOrder) {
        putNumber(out, block->folder.size(), 4);
        out += block->folder;
        putNumber(out, block->names.size(), 4);
        out += block->names;
    }
    putNumber(out, labelOrder.size(), 4);
    for (const std::string& label : labelOrder) {
        putNumber(out, label.size(), 4);
        out += label;
    }
    return out + records;
}

bool unpackCatalog(const char* bytes, std::size_t size, std::vector<recording>& list)
{
    if (size < sizeof packMagic || std::memcmp(bytes, packMagic, sizeof packMagic) != 0)
        return false;
    unpacker in(bytes + sizeof packMagic, size - sizeof packMagic);
    std::uint64_t count, blockCount, labelCount;
    const std::uint64_t recordSize = 29;
    if (!in.number(count, 4) || count > size / recordSize || !in.number(blockCount, 4) || blockCount > size)
        return false;
    std::vector<std::unique_ptr<recordingTexts>> blocks;
    for (std::uint64_t i = 0; i < blockCount; ++i) {
        std::unique_ptr<recordingTexts> block(new recordingTexts);
        if (!in.text(block->folder) || !in.text(block->names) ||
            block->names.size() >= recordingProperties::labelInNames ||
            (!block->names.empty() && block->names.back() != '\0'))
            return false;
        blocks.push_back(std::move(block));
    }
    if (!in.number(labelCount, 4) || labelCount > size)
        return false;
    std::vector<std::string> labels(static_cast<size_t>(labelCount));
    for (std::string& label : labels)
        if (!in.text(label))
            return false;

    struct packed {
        std::uint64_t start, end, valid, block, name, label;
    };
    std::vector<packed> records(static_cast<size_t>(count));
    for (packed& p : records) {
        if (!in.number(p.start, 8) || !in.number(p.end, 8) || !in.number(p.valid, 1) || !in.number(p.block, 4) ||
            !in.number(p.name, 4) || !in.number(p.label, 4))
            return false;
        if (p.valid > 1 || (p.block != 0xFFFFFFFFu && p.block >= blocks.size()) ||
            (p.label != 0xFFFFFFFFu && p.label >= labels.size()))
            return false;
        if (p.name != 0xFFFFFFFFu) {
            const std::uint64_t offset = p.name & ~static_cast<std::uint64_t>(recordingTexts::relativeName);
            if (p.block == 0xFFFFFFFFu || offset >= blocks[p.block]->names.size())
                return false;
        }
    }
    if (!in.finished())
        return false;

    // Labels go to the pool, or, when long, into the block of their record.
    std::vector<std::uint32_t> offsets;
    std::vector<std::string> shortLabels;
    for (const std::string& label : labels)
        shortLabels.push_back(label.size() <= labelPool::longestLabel ? label : std::string());
    labelPool::internAll(shortLabels, offsets);

    std::vector<const recordingTexts*> shared;
    for (auto& block : blocks)
        shared.push_back(block.get());
    std::vector<recording> made(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const packed& p = records[i];
        recording& r = made[i];
        if (p.valid) {
            r.start = wxDateTime(wxLongLong(static_cast<wxInt64>(p.start)));
            r.end = wxDateTime(wxLongLong(static_cast<wxInt64>(p.end)));
        }
        std::uint32_t label = recordingProperties::none;
        if (p.label != 0xFFFFFFFFu) {
            const std::string& text = labels[p.label];
            if (text.size() <= labelPool::longestLabel || p.block == 0xFFFFFFFFu)
                label = offsets[p.label];
            else
                label = recordingProperties::labelInNames | blocks[p.block]->addText(text);
        }
        r.properties.assign(p.block == 0xFFFFFFFFu ? nullptr : shared[p.block], static_cast<std::uint32_t>(p.name),
                            label);
    }
    // The blocks now belong to their recordings; one no record names is dropped.
    for (auto& block : blocks) {
        block->names.shrink_to_fit();
        (void)block.release();
    }
    for (const recordingTexts* block : shared) {
        recordingProperties holder;
        holder.assign(block, recordingProperties::none, recordingProperties::none);
    }
    list.reserve(list.size() + made.size());
    for (recording& r : made)
        list.push_back(std::move(r));
    return true;
}
