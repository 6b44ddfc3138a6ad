#include "recdb/catalog.h"

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <expat.h>
#include <wx/log.h>
#include <wx/strconv.h>
#include <wx/wxcrt.h>
#include <wx/xml/xml.h>

#include "platform/fileStamp.h"
#include "platform/narrow.h"
#include "recdb/catalogIndex.h"
#include "recdb/localCalendar.h"

namespace {
// ---- Numbers: leading decimal digits after optional blanks and "+", like the
// C library's unsigned conversions, but saturating at the type's maximum
// instead of wrapping, and taking a negative number as 0 rather than as a huge
// one. Blanks are what wx's wxIsspace calls blanks, also beyond ASCII.

// The code point at `c` (UTF-8, as expat hands text on) and its length.
std::uint32_t codePointAt(const unsigned char* c, const unsigned char* end, int& length)
{
    const unsigned char lead = *c;
    int n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (end - c < n)
        n = 1;
    std::uint32_t value = n == 1 ? lead : n == 2 ? (lead & 0x1F) : n == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (int i = 1; i < n; ++i)
        value = (value << 6) | (c[i] & 0x3F);
    length = n;
    return value;
}

template <typename T>
T leadingNumber(const std::string& text)
{
    const T maximum = std::numeric_limits<T>::max();
    auto c = reinterpret_cast<const unsigned char*>(text.data());
    auto end = c + text.size();
    while (c != end) {
        int length = 1;
        std::uint32_t code = *c < 0x80 ? *c : codePointAt(c, end, length);
        if (!wxIsspace(static_cast<wxChar>(code)))
            break;
        c += length;
    }
    if (c != end && *c == '+')
        ++c;
    T value = 0;
    for (; c != end && *c >= '0' && *c <= '9'; ++c) {
        T digit = static_cast<T>(*c - '0');
        if (value > (maximum - digit) / 10)
            return maximum;
        value = static_cast<T>(value * 10 + digit);
    }
    return value;
}

template <typename T>
T leadingNumber(const wxString& text)
{
    return leadingNumber<T>(text.utf8_string());
}

// Durations beyond this are nonsense from a damaged catalog; capping them keeps
// the date arithmetic far from overflow.
const std::uint64_t longestDuration = std::numeric_limits<std::int32_t>::max();

// A parse sets only the fields its format names; the others come from what
// was parsed before (or today at midnight), so "date" and "time" combine in
// either order. A value that does not match leaves the date-time as it was.
void parseInto(wxDateTime& value, const wxString& text, const char* format)
{
    wxDateTime parsed = value;
    wxString::const_iterator end;
    if (parsed.ParseFormat(text, format, wxDefaultDateTime, &end) && parsed.IsValid())
        value = parsed;
}

// ---- Building a catalog's recordings: texts go to one shared block, labels
// to the pool (interned once per catalog, under one lock).
class catalogBuilder {
public:
    void add(const wxDateTime& start, std::uint64_t seconds, const std::string& label, const std::string& fileName)
    {
        call c;
        c.start = start;
        if (seconds > longestDuration)
            seconds = longestDuration;
        c.seconds = static_cast<std::uint32_t>(seconds);
        if (!block)
            block.reset(new recordingTexts);
        if (calls.empty()) {
            // The folder the first name lies in: as a rule every call's file
            // lies in its day's folder.
            size_t slash = fileName.find_last_of("/\\");
            if (slash != std::string::npos)
                block->folder = fileName.substr(0, slash + 1);
        }
        c.name = block->addName(fileName);
        if (label.size() > labelPool::longestLabel) {
            c.label = recordingProperties::labelInNames | block->addText(label);
        } else {
            auto found = labelIndex.find(label);
            if (found == labelIndex.end()) {
                found = labelIndex.emplace(label, static_cast<std::uint32_t>(labels.size())).first;
                labels.push_back(label);
            }
            c.label = found->second;
        }
        calls.push_back(c);
    }

    // Appends the recordings to `list`, sized exactly.
    void finish(std::vector<recording>& list)
    {
        if (calls.empty())
            return;
        std::vector<std::uint32_t> offsets;
        labelPool::internAll(labels, offsets);
        block->names.shrink_to_fit();
        list.reserve(list.size() + calls.size());
        const recordingTexts* shared = block.release();
        for (const call& c : calls) {
            list.emplace_back();
            recording& r = list.back();
            r.start = c.start;
            r.end = c.start.IsValid() ? wxDateTime(c.start.GetValue() + wxLongLong(static_cast<wxInt64>(c.seconds) * 1000))
                                      : c.start;
            std::uint32_t label = (c.label & recordingProperties::labelInNames) ? c.label : offsets[c.label];
            r.properties.assign(shared, c.name, label);
        }
    }

private:
    struct call {
        wxDateTime start;
        std::uint32_t seconds;
        std::uint32_t name;
        std::uint32_t label; // index into labels, or a long label kept with the names
    };
    std::vector<call> calls;
    std::unique_ptr<recordingTexts> block;
    std::vector<std::string> labels;
    std::unordered_map<std::string, std::uint32_t> labelIndex;
};

// ---- The tree path.
struct callValues {
    wxDateTime start;
    std::uint64_t dataSize = 0;
    std::uint32_t sampleRate = 0;
    wxString number;
    wxString fileName;
};

void readAudioHeader(const wxXmlNode* header, callValues& call)
{
    for (const wxXmlNode* item = header->GetChildren(); item; item = item->GetNext()) {
        if (item->GetName() == "data_size")
            call.dataSize = leadingNumber<std::uint64_t>(item->GetNodeContent());
        else if (item->GetName() == "sample_rate")
            call.sampleRate = leadingNumber<std::uint32_t>(item->GetNodeContent());
    }
}

void readLoggerHeader(const wxXmlNode* header, callValues& call)
{
    for (const wxXmlNode* item = header->GetChildren(); item; item = item->GetNext()) {
        const wxString& name = item->GetName();
        if (name == "date")
            parseInto(call.start, item->GetNodeContent(), "%Y%m%d");
        else if (name == "time")
            parseInto(call.start, item->GetNodeContent(), "%H%M%S");
        else if (name == "number")
            call.number = item->GetNodeContent();
        else if (name == "file_name")
            call.fileName = item->GetNodeContent();
    }
}

// A missing or zero sample rate gives a recording of no length.
std::uint64_t durationOf(std::uint64_t dataSize, std::uint32_t sampleRate)
{
    return sampleRate ? dataSize / sampleRate : 0;
}
}

void parseCatalog(const wxXmlNode* root, std::vector<recording>& list)
{
    if (!root || root->GetName() != "vmk_catalog")
        return;
    catalogBuilder builder;
    for (const wxXmlNode* file = root->GetChildren(); file; file = file->GetNext()) {
        if (file->GetType() != wxXML_ELEMENT_NODE || file->GetName() != "file")
            continue;
        callValues call;
        for (const wxXmlNode* hdr = file->GetChildren(); hdr; hdr = hdr->GetNext()) {
            if (hdr->GetName() != "hdr")
                continue;
            for (const wxXmlNode* part = hdr->GetChildren(); part; part = part->GetNext()) {
                if (part->GetName() == "au_hdr")
                    readAudioHeader(part, call);
                else if (part->GetName() == "vmk_hdr")
                    readLoggerHeader(part, call);
            }
        }
        builder.add(call.start, durationOf(call.dataSize, call.sampleRate), toNarrow(call.number),
                    toNarrow(call.fileName));
    }
    builder.finish(list);
}

// ---- The streaming path. It follows the tree wx's loader would build, event
// by event, without building it: the same expat settings and handlers, the
// same 1 KB feeding (text is reported in pieces at feed boundaries, and wx
// drops a first piece that is only blanks), and an element's text is its
// first text or CDATA child, as wxXmlNode::GetNodeContent reads it.
namespace {
enum class tag { none, root, file, hdr, audio, logger, dataSize, sampleRate, date, time, number, fileName };

tag leafOf(tag parent, const char* name)
{
    if (parent == tag::audio) {
        if (!std::strcmp(name, "data_size"))
            return tag::dataSize;
        if (!std::strcmp(name, "sample_rate"))
            return tag::sampleRate;
    } else if (parent == tag::logger) {
        if (!std::strcmp(name, "date"))
            return tag::date;
        if (!std::strcmp(name, "time"))
            return tag::time;
        if (!std::strcmp(name, "number"))
            return tag::number;
        if (!std::strcmp(name, "file_name"))
            return tag::fileName;
    }
    return tag::none;
}

// Narrow text from expat's UTF-8. Elsewhere than Windows the bytes are the
// narrow text already, except for the code points the narrow conversion keeps
// for undecodable bytes (from U+100000, lead byte F4): those take its path.
std::string narrowOfUtf8(const std::string& text)
{
#ifndef __WINDOWS__
    if (text.find('\xF4') == std::string::npos)
        return text;
#endif
    return toNarrow(wxString::FromUTF8Unchecked(text.data(), text.size()));
}

// The local date and time of a call, kept as wx keeps it (a wxDateTime), with
// a fast path for the usual case: exactly eight or six digits, a valid date in
// a year the local clock's rules are known for, on a day of 24 hours. Anything
// else goes through wx's own parsing, so the rules stay wx's.
class callClock {
public:
    void reset()
    {
        value = wxDateTime();
        fieldsKnown = false;
    }

    void date(const std::string& text)
    {
        int year, month, day;
        if (text.size() == 8 && digits(text, 0, 4, year) && digits(text, 4, 2, month) && digits(text, 6, 2, day) &&
            year > 1970 && year < 2037 && isValidDate(year, month, day) && (fieldsKnown || !value.IsValid())) {
            civilDate d;
            d.year = year;
            d.month = month;
            d.day = day;
            std::int64_t dayNumber = dayNumberOf(d);
            std::int64_t midnight;
            if (normalDay(dayNumber, midnight)) {
                // With nothing parsed before, wx starts from midnight.
                const std::int64_t ofDay = value.IsValid() ? secondOfDay : 0;
                set(dayNumber, ofDay, midnight);
                return;
            }
        }
        slow(text, "%Y%m%d");
    }

    void time(const std::string& text)
    {
        int hour, minute, second;
        if (fieldsKnown && text.size() == 6 && digits(text, 0, 2, hour) && digits(text, 2, 2, minute) &&
            digits(text, 4, 2, second) && hour < 24 && minute < 60 && second < 60) {
            set(day, hour * 3600 + minute * 60 + second, dayMidnight);
            return;
        }
        slow(text, "%H%M%S");
    }

    const wxDateTime& get() const { return value; }

private:
    static bool digits(const std::string& text, size_t at, size_t count, int& out)
    {
        out = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return false;
            out = out * 10 + (text[i] - '0');
        }
        return true;
    }

    bool normalDay(std::int64_t dayNumber, std::int64_t& midnight)
    {
        auto found = days.find(dayNumber);
        if (found == days.end()) {
            std::int64_t begin = localMidnight(dayNumber);
            bool normal = localMidnight(dayNumber + 1) - begin == 86400;
            found = days.emplace(dayNumber, normal ? begin : std::numeric_limits<std::int64_t>::min()).first;
        }
        midnight = found->second;
        return midnight != std::numeric_limits<std::int64_t>::min();
    }

    void set(std::int64_t dayNumber, std::int64_t ofDay, std::int64_t midnight)
    {
        day = dayNumber;
        dayMidnight = midnight;
        secondOfDay = ofDay;
        fieldsKnown = true;
        value = wxDateTime(wxLongLong(static_cast<wxInt64>((midnight + ofDay) * 1000)));
    }

    void slow(const std::string& text, const char* format)
    {
        wxDateTime before = value;
        parseInto(value, wxString::FromUTF8Unchecked(text.data(), text.size()), format);
        if (value != before || !value.IsValid())
            fieldsKnown = false; // its local fields are wx's business now
    }

    wxDateTime value;
    bool fieldsKnown = false;
    std::int64_t day = 0, dayMidnight = 0, secondOfDay = 0;
    std::unordered_map<std::int64_t, std::int64_t> days; // day number -> midnight, or min for odd days
};

class streamReader {
public:
    explicit streamReader(catalogBuilder& builder_) : builder(builder_)
    {
        parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, onStart, onEnd);
        XML_SetCharacterDataHandler(parser, onText);
        XML_SetCdataSectionHandler(parser, onCdataStart, onCdataEnd);
        XML_SetCommentHandler(parser, onComment);
        XML_SetProcessingInstructionHandler(parser, onInstruction);
        // As with wx: a default handler turns off the expansion of entities
        // declared in the document.
        XML_SetDefaultHandler(parser, onDefault);
        XML_SetUnknownEncodingHandler(parser, onUnknownEncoding, nullptr);
    }
    ~streamReader() { XML_ParserFree(parser); }

    bool read(const char* bytes, std::size_t size, std::string& error)
    {
        const std::size_t piece = 1024;
        std::size_t at = 0;
        for (;;) {
            const std::size_t length = std::min(piece, size - at);
            const bool done = length < piece;
            if (!XML_Parse(parser, bytes + at, static_cast<int>(length), done)) {
                error = wxString::Format("XML parsing error: '%s' at line %d",
                                         XML_ErrorString(XML_GetErrorCode(parser)),
                                         static_cast<int>(XML_GetCurrentLineNumber(parser)))
                            .utf8_string();
                return false;
            }
            at += length;
            if (done)
                return true;
        }
    }

private:
    static constexpr int leafDepth = 5;

    static void onStart(void* self, const char* name, const char**)
    {
        static_cast<streamReader*>(self)->start(name);
    }
    static void onEnd(void* self, const char*) { static_cast<streamReader*>(self)->end(); }
    static void onText(void* self, const char* s, int length) { static_cast<streamReader*>(self)->text(s, length); }
    static void onCdataStart(void* self) { static_cast<streamReader*>(self)->cdataStart(); }
    static void onCdataEnd(void* self) { static_cast<streamReader*>(self)->lastIsText = false; }
    static void onComment(void* self, const char*) { static_cast<streamReader*>(self)->lastIsText = false; }
    static void onInstruction(void* self, const char* target, const char*)
    {
        static_cast<streamReader*>(self)->instruction(target);
    }
    static void onDefault(void*, const char*, int) {}

    static int onUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info)
    {
        // A one-byte encoding expat does not know, converted by wx as its
        // loader does; a byte the encoding lacks is an error in the text.
        wxCSConv conv(name);
        info->map[0] = 0;
        for (int byte = 1; byte < 256; ++byte) {
            char in[2] = {static_cast<char>(byte), 0};
            wchar_t out[4] = {0, 0, 0, 0};
            info->map[byte] = conv.MB2WC(out, in, 2) == wxCONV_FAILED ? -1 : static_cast<int>(out[0]);
        }
        info->data = nullptr;
        info->convert = nullptr;
        info->release = nullptr;
        return 1;
    }

    void start(const char* name)
    {
        ++depth;
        lastIsText = false;
        tag parent = depth >= 2 && depth - 2 < leafDepth ? path[depth - 2] : tag::none;
        tag current = tag::none;
        if (depth == 1) {
            current = std::strcmp(name, "vmk_catalog") ? tag::none : tag::root;
        } else if (depth == 2 && parent == tag::root && !std::strcmp(name, "file")) {
            current = tag::file;
            clock.reset();
            dataSize = 0;
            sampleRate = 0;
            number.clear();
            fileName.clear();
        } else if (depth == 3 && parent == tag::file && !std::strcmp(name, "hdr")) {
            current = tag::hdr;
        } else if (depth == 4 && parent == tag::hdr) {
            current = !std::strcmp(name, "au_hdr") ? tag::audio
                      : !std::strcmp(name, "vmk_hdr") ? tag::logger
                                                       : tag::none;
        } else if (depth == leafDepth) {
            current = leafOf(parent, name);
            content.clear();
            haveText = false;
        }
        if (depth <= leafDepth)
            path[depth - 1] = current;
    }

    void end()
    {
        if (depth <= leafDepth) {
            tag current = path[depth - 1];
            if (depth == leafDepth && current != tag::none)
                take(current, content);
            else if (current == tag::file)
                builder.add(clock.get(), durationOf(dataSize, sampleRate), narrowOfUtf8(number),
                            narrowOfUtf8(fileName));
        }
        --depth;
        lastIsText = false;
    }

    // A text piece goes on the last text (or CDATA) node if the last child was
    // one, else it begins a new node unless it is only blanks.
    void text(const char* s, int length)
    {
        if (depth != leafDepth || path[leafDepth - 1] == tag::none) {
            if (!lastIsText && !blanksOnly(s, length))
                lastIsText = true;
            return;
        }
        if (lastIsText) {
            if (collecting)
                content.append(s, static_cast<size_t>(length));
            return;
        }
        if (blanksOnly(s, length))
            return;
        lastIsText = true;
        collecting = !haveText;
        if (collecting) {
            haveText = true;
            content.assign(s, static_cast<size_t>(length));
        }
    }

    void cdataStart()
    {
        lastIsText = true;
        collecting = depth == leafDepth && !haveText;
        if (collecting) {
            haveText = true;
            content.clear();
        }
    }

    // wx names an instruction's node after its target: one named like a value
    // inside a header reads as that value, empty.
    void instruction(const char* target)
    {
        lastIsText = false;
        if (depth == leafDepth - 1) {
            tag leaf = leafOf(path[depth - 1], target);
            if (leaf != tag::none)
                take(leaf, std::string());
        }
    }

    void take(tag leaf, const std::string& value)
    {
        switch (leaf) {
        case tag::dataSize:
            dataSize = leadingNumber<std::uint64_t>(value);
            break;
        case tag::sampleRate:
            sampleRate = leadingNumber<std::uint32_t>(value);
            break;
        case tag::date:
            clock.date(value);
            break;
        case tag::time:
            clock.time(value);
            break;
        case tag::number:
            number = value;
            break;
        case tag::fileName:
            fileName = value;
            break;
        default:
            break;
        }
    }

    static bool blanksOnly(const char* s, int length)
    {
        for (int i = 0; i < length; ++i)
            if (s[i] != ' ' && s[i] != '\t' && s[i] != '\n' && s[i] != '\r')
                return false;
        return true;
    }

    XML_Parser parser;
    catalogBuilder& builder;
    int depth = 0;
    tag path[leafDepth] = {};
    // The text node being built is the parent's last child (wx's lastAsText),
    // and whether its pieces belong to the first text of a value element.
    bool lastIsText = false;
    bool collecting = false;
    bool haveText = false;
    std::string content;

    callClock clock;
    std::uint64_t dataSize = 0;
    std::uint32_t sampleRate = 0;
    std::string number;
    std::string fileName;
};
}

bool readCatalog(const char* bytes, std::size_t size, std::vector<recording>& list, std::string& error)
{
    catalogBuilder builder;
    streamReader reader(builder);
    if (!reader.read(bytes, size, error))
        return false;
    builder.finish(list);
    return true;
}

// ---- The compact form: little-endian, every count checked on the way back.
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

// ---- Loading an entry: once, by one thread; the others wait for it.
namespace {
std::mutex indexLock;
std::shared_ptr<const catalogIndex> activeIndex;

std::mutex loadedLock;
std::condition_variable loadedSignal;

std::shared_ptr<const catalogIndex> currentIndex()
{
    std::lock_guard<std::mutex> hold(indexLock);
    return activeIndex;
}

void readEntry(catalogEntry& entry, std::vector<recording>& list)
{
    std::vector<char> bytes;
    fileStamp stamp;
    std::string error;
    if (!readFileStamped(entry.path, bytes, stamp, error)) {
        wxLogError("can't open file '%s' (%s)", fromNarrow(entry.path), wxString::FromUTF8(error));
        return;
    }
    std::shared_ptr<const catalogIndex> index = currentIndex();
    std::string packed;
    if (index && index->find(entry.path, stamp, packed) && unpackCatalog(packed.data(), packed.size(), list))
        return;
    if (!readCatalog(bytes.data(), bytes.size(), list, error)) {
        wxLogError("%s", wxString::FromUTF8(error));
        list.clear();
    }
    if (index)
        index->store(entry.path, stamp, packCatalog(list));
}
}

void useCatalogIndex(std::shared_ptr<const catalogIndex> index)
{
    std::lock_guard<std::mutex> hold(indexLock);
    activeIndex = std::move(index);
}

void loadCatalog(catalogEntry& entry)
{
    int state = entry.state.load(std::memory_order_acquire);
    for (;;) {
        if (state == catalogEntry::loaded)
            return;
        if (state == catalogEntry::loading) {
            std::unique_lock<std::mutex> hold(loadedLock);
            loadedSignal.wait(hold, [&] { return entry.state.load(std::memory_order_acquire) == catalogEntry::loaded; });
            return;
        }
        // Absent or queued: whoever moves it to loading reads it.
        if (entry.state.compare_exchange_weak(state, catalogEntry::loading, std::memory_order_acq_rel))
            break;
    }
    readClaimedCatalog(entry);
}

void readClaimedCatalog(catalogEntry& entry)
{
    std::unique_ptr<std::vector<recording>> list(new std::vector<recording>);
    readEntry(entry, *list);
    entry.recordings = std::move(list);
    {
        std::lock_guard<std::mutex> hold(loadedLock);
        entry.state.store(catalogEntry::loaded, std::memory_order_release);
    }
    loadedSignal.notify_all();
}
