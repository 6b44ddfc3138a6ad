#include "recdb/recordingText.h"

#include <cstring>
#include <memory>
#include <mutex>

namespace {
// Offsets of names and labels stay below this bit, which marks a label kept
// with the names.
constexpr std::uint32_t offsetLimit = recordingProperties::labelInNames;
}

std::uint32_t recordingTexts::addName(const std::string& name)
{
    std::uint32_t flags = 0;
    const char* text = name.c_str();
    size_t length = name.size();
    if (!folder.empty() && name.size() > folder.size() && name.compare(0, folder.size(), folder) == 0) {
        flags = relativeName;
        text += folder.size();
        length -= folder.size();
    }
    // A block beyond a gigabyte comes only from a hostile catalog: its further
    // names read as empty rather than as someone else's.
    if (names.size() + length + 1 >= offsetLimit) {
        if (names.empty() || names.back() != '\0' || names.size() + 1 >= offsetLimit)
            names.push_back('\0');
        return static_cast<std::uint32_t>(names.size() - 1);
    }
    const std::uint32_t offset = static_cast<std::uint32_t>(names.size());
    names.append(text, length);
    names.push_back('\0');
    return offset | flags;
}

std::uint32_t recordingTexts::addText(const std::string& text)
{
    std::string kept;
    kept.swap(folder);
    const std::uint32_t reference = addName(text);
    folder.swap(kept);
    return reference;
}

std::string recordingTexts::name(std::uint32_t reference) const
{
    const char* text = names.c_str() + (reference & ~relativeName);
    if (reference & relativeName)
        return folder + text;
    return text;
}

// ---- The label pool: append-only chunks, so a text never moves once interned
// and readers need no lock (they learn an offset only after it was written).
namespace {
constexpr std::uint32_t chunkBits = 20; // 1 MB chunks
constexpr std::uint32_t chunkSize = 1u << chunkBits;
constexpr std::uint32_t chunkCount = offsetLimit >> chunkBits;

// Interned texts are found again through an open-addressing table of their
// offsets (4 bytes a slot, at most half full): a node-based map would cost more
// per distinct label than the label itself, and callers' numbers are many.
struct pool {
    std::mutex lock;
    std::unique_ptr<char[]> chunks[chunkCount];
    std::uint32_t used = 0; // offset of the next free byte
    std::vector<std::uint32_t> slots; // offset + 1; 0 for a free slot
    size_t count = 0;

    const char* at(std::uint32_t offset) const
    {
        return chunks[offset >> chunkBits].get() + (offset & (chunkSize - 1));
    }

    static size_t hashOf(const char* text, size_t length)
    {
        std::uint64_t hash = 1469598103934665603ull; // FNV-1a
        for (size_t i = 0; i < length; ++i)
            hash = (hash ^ static_cast<unsigned char>(text[i])) * 1099511628211ull;
        return static_cast<size_t>(hash ^ (hash >> 29));
    }

    void grow()
    {
        std::vector<std::uint32_t> old;
        old.swap(slots);
        slots.assign(old.empty() ? 1024 : old.size() * 2, 0);
        const size_t mask = slots.size() - 1;
        for (std::uint32_t entry : old) {
            if (!entry)
                continue;
            const char* text = at(entry - 1);
            size_t i = hashOf(text, std::strlen(text)) & mask;
            while (slots[i])
                i = (i + 1) & mask;
            slots[i] = entry;
        }
    }

    std::uint32_t internLocked(const std::string& label)
    {
        if ((count + 1) * 2 > slots.size())
            grow();
        const size_t mask = slots.size() - 1;
        size_t i = hashOf(label.data(), label.size()) & mask;
        for (; slots[i]; i = (i + 1) & mask) {
            const char* text = at(slots[i] - 1);
            if (std::strncmp(text, label.data(), label.size()) == 0 && text[label.size()] == '\0')
                return slots[i] - 1;
        }
        const std::uint32_t length = static_cast<std::uint32_t>(label.size()) + 1;
        std::uint32_t where = used;
        if ((where & (chunkSize - 1)) + length > chunkSize)
            where = (where | (chunkSize - 1)) + 1; // start a fresh chunk
        const std::uint32_t chunk = where >> chunkBits;
        if (chunk >= chunkCount)
            return 0; // a gigabyte of distinct labels: the empty one, interned first
        if (!chunks[chunk])
            chunks[chunk].reset(new char[chunkSize]);
        std::memcpy(chunks[chunk].get() + (where & (chunkSize - 1)), label.c_str(), length);
        slots[i] = where + 1;
        ++count;
        used = where + length;
        return where;
    }
};

pool& thePool()
{
    static pool* instance = [] {
        static pool made;
        made.internLocked(std::string()); // at offset 0
        return &made;
    }();
    return *instance;
}
}

std::uint32_t labelPool::intern(const std::string& label)
{
    pool& p = thePool();
    std::lock_guard<std::mutex> hold(p.lock);
    return p.internLocked(label);
}

void labelPool::internAll(const std::vector<std::string>& labels, std::vector<std::uint32_t>& offsets)
{
    offsets.resize(labels.size());
    pool& p = thePool();
    std::lock_guard<std::mutex> hold(p.lock);
    for (size_t i = 0; i < labels.size(); ++i)
        offsets[i] = p.internLocked(labels[i]);
}

const char* labelPool::text(std::uint32_t offset)
{
    return thePool().chunks[offset >> chunkBits].get() + (offset & (chunkSize - 1));
}

// ---- Properties.

recordingProperties::recordingProperties(const recordingProperties& other)
    : label(other.label), fileName(other.fileName)
{
    hold(other.texts);
}

recordingProperties& recordingProperties::operator=(const recordingProperties& other)
{
    // assign() takes the new block before letting go of the old one, so a
    // self-assignment or a shared block is never freed on the way.
    assign(other.texts, other.fileName, other.label);
    return *this;
}

recordingProperties::recordingProperties(recordingProperties&& other) noexcept
    : texts(other.texts), label(other.label), fileName(other.fileName)
{
    other.texts = nullptr;
    other.label = other.fileName = none;
}

recordingProperties& recordingProperties::operator=(recordingProperties&& other) noexcept
{
    if (this != &other) {
        release();
        texts = other.texts;
        label = other.label;
        fileName = other.fileName;
        other.texts = nullptr;
        other.label = other.fileName = none;
    }
    return *this;
}

recordingProperties::~recordingProperties()
{
    release();
}

void recordingProperties::hold(const recordingTexts* block)
{
    texts = block;
    if (texts)
        texts->references.fetch_add(1, std::memory_order_relaxed);
}

void recordingProperties::release()
{
    if (texts && texts->references.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete texts;
    texts = nullptr;
}

void recordingProperties::assign(const recordingTexts* block, std::uint32_t nameReference,
                                 std::uint32_t labelReference)
{
    if (block != texts) {
        if (block)
            block->references.fetch_add(1, std::memory_order_relaxed);
        release();
        texts = block;
    }
    fileName = nameReference;
    label = labelReference;
}

std::size_t recordingProperties::count(const std::string& key) const
{
    if (key == "label")
        return label != none ? 1 : 0;
    if (key == "filename")
        return fileName != none ? 1 : 0;
    return 0;
}

std::string recordingProperties::get(const std::string& key) const
{
    if (key == "label")
        return labelText();
    if (key == "filename")
        return fileNameText();
    return std::string();
}

std::string recordingProperties::labelText() const
{
    if (label == none)
        return std::string();
    if (label & labelInNames)
        return texts->name(label & ~labelInNames);
    return labelPool::text(label);
}

std::string recordingProperties::fileNameText() const
{
    return fileName != none ? texts->name(fileName) : std::string();
}

void recordingProperties::set(const std::string& key, const std::string& value)
{
    if (key != "label" && key != "filename")
        return;
    // A block of its own, so that the records sharing the old one keep theirs.
    auto* block = new recordingTexts;
    std::uint32_t newName = none, newLabel = none;
    if (fileName != none)
        newName = block->addName(texts->name(fileName));
    if (label != none && (label & labelInNames))
        newLabel = labelInNames | block->addText(texts->name(label & ~labelInNames));
    else
        newLabel = label;

    if (key == "filename")
        newName = block->addName(value);
    else if (value.size() <= labelPool::longestLabel)
        newLabel = labelPool::intern(value);
    else
        newLabel = labelInNames | block->addText(value);
    assign(block, newName, newLabel);
}
