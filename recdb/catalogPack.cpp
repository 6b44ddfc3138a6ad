#include <cstdint>
#include <cstring>
#include <memory>

#include "recdb/callClock.h"
#include "recdb/catalog.h"
#include "recdb/catalogRules.h"
#include "recdb/littleEndian.h"

// The compact form of a catalog's calls, as the index keeps it, little-endian:
//
//   "ORVCAT2" and a NUL                 8 bytes
//   call count                          u32
//   folder, names                       u32 length and bytes each: the catalog's text block
//   label count, labels                 u32, then u32 length and bytes each
//   per call: name, label, seconds      u32 each (name: a reference into the names;
//                                       label: an index into the labels, or a
//                                       reference into the names for a long one)
//             start note                u32 length and bytes (callClock::note)
//
// Starts are kept as the catalog wrote them, not as instants: unpacking works
// them out in the time zone and on the day it runs, as a fresh read would.
// Every count, offset and note is checked on the way back.
namespace {
void putText(std::string& out, const char* text, std::size_t size)
{
    putLittleEndian(out, size, 4);
    out.append(text, size);
}

class unpacker {
public:
    unpacker(const char* bytes_, std::size_t size_) : at(bytes_), end(bytes_ + size_) {}
    bool number(std::uint32_t& value)
    {
        if (end - at < 4)
            return false;
        value = static_cast<std::uint32_t>(getLittleEndian(at, 4));
        at += 4;
        return true;
    }
    // A text in place: its bytes stay in the buffer.
    bool span(const char*& text, std::uint32_t& length)
    {
        if (!number(length) || static_cast<std::size_t>(end - at) < length)
            return false;
        text = at;
        at += length;
        return true;
    }
    bool text(std::string& value)
    {
        const char* text;
        std::uint32_t length;
        if (!span(text, length))
            return false;
        value.assign(text, length);
        return true;
    }
    std::size_t left() const { return static_cast<std::size_t>(end - at); }
    bool finished() const { return at == end; }

private:
    const char* at;
    const char* end;
};

const char packMagic[8] = {'O', 'R', 'V', 'C', 'A', 'T', '2', '\0'};
const std::uint32_t smallestCall = 4 * 4;
}

std::string catalogRules::catalogBuilder::pack() const
{
    if (notes.size() > 0x7FFFFFFFu)
        return std::string(); // nothing the index could keep
    std::string out(packMagic, sizeof packMagic);
    putLittleEndian(out, calls.size(), 4);
    putText(out, block ? block->folder.data() : "", block ? block->folder.size() : 0);
    putText(out, block ? block->names.data() : "", block ? block->names.size() : 0);
    putLittleEndian(out, labels.size(), 4);
    for (const std::string& label : labels)
        putText(out, label.data(), label.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const call& c = calls[i];
        putLittleEndian(out, c.name, 4);
        putLittleEndian(out, c.label, 4);
        putLittleEndian(out, c.seconds, 4);
        const std::uint32_t from = i ? noteEnds[i - 1] : 0;
        putText(out, notes.data() + from, noteEnds[i] - from);
    }
    return out;
}

bool unpackCatalog(const char* bytes, std::size_t size, std::vector<recording>& list, bool* leansOnToday)
{
    using catalogRules::callClock;
    if (size < sizeof packMagic || std::memcmp(bytes, packMagic, sizeof packMagic) != 0)
        return false;
    unpacker in(bytes + sizeof packMagic, size - sizeof packMagic);
    std::uint32_t count, labelCount;
    std::unique_ptr<recordingTexts> block(new recordingTexts);
    if (!in.number(count) || count > in.left() / smallestCall || !in.text(block->folder) || !in.text(block->names) ||
        block->names.size() >= recordingProperties::labelInNames ||
        (!block->names.empty() && block->names.back() != '\0') || !in.number(labelCount) ||
        labelCount > in.left() / 4)
        return false;
    std::vector<std::string> labels(labelCount);
    for (std::string& label : labels)
        if (!in.text(label) || label.size() > labelPool::longestLabel)
            return false;

    // A reference into the names: with no flag but the one it may carry, its
    // offset inside them.
    const std::uint32_t flags = recordingTexts::relativeName | recordingProperties::labelInNames;
    auto inNames = [&](std::uint32_t reference, std::uint32_t flag) {
        return (reference & flags & ~flag) == 0 && (reference & ~flags) < block->names.size();
    };
    callClock clock;
    bool onToday = false;
    std::vector<recording> made(count);
    std::vector<std::uint32_t> names(count), labelRefs(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t seconds, noteSize;
        const char* note;
        if (!in.number(names[i]) || !in.number(labelRefs[i]) || !in.number(seconds) || !in.span(note, noteSize))
            return false;
        const std::uint32_t label = labelRefs[i];
        if (!inNames(names[i], recordingTexts::relativeName) || seconds > catalogRules::longestDuration ||
            ((label & recordingProperties::labelInNames) ? !inNames(label, recordingProperties::labelInNames)
                                                          : label >= labels.size()))
            return false;
        if (!clock.replay(note, noteSize))
            return false;
        onToday = onToday || clock.leansOnToday();
        recording& r = made[i];
        r.start = clock.get();
        r.end = r.start.IsValid() ? wxDateTime(r.start.GetValue() + wxLongLong(static_cast<wxInt64>(seconds) * 1000))
                                  : r.start;
    }
    if (!in.finished())
        return false;

    std::vector<std::uint32_t> offsets;
    labelPool::internAll(labels, offsets);
    const recordingTexts* shared = block.release();
    {
        // Holds the block while the recordings take it, so that a catalog of
        // no calls lets it go again.
        recordingProperties holder;
        holder.assign(shared, recordingProperties::none, recordingProperties::none);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t label = labelRefs[i];
            made[i].properties.assign(shared, names[i],
                                      (label & recordingProperties::labelInNames) ? label : offsets[label]);
        }
    }
    list.reserve(list.size() + made.size());
    for (recording& r : made)
        list.push_back(std::move(r));
    if (leansOnToday)
        *leansOnToday = onToday;
    return true;
}
