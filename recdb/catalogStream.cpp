#include <cstdint>
#include <cstring>

#include <expat.h>
#include <wx/strconv.h>

#include "platform/narrow.h"
#include "recdb/catalog.h"
#include "recdb/callClock.h"
#include "recdb/catalogRules.h"

using namespace catalogRules;

// The streaming reader. It follows the tree wx's loader would build, event
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

class streamReader {
public:
    streamReader(catalogBuilder& builder_, bool noting) : builder(builder_), clock(noting)
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
            else if (current == tag::file) {
                if (clock.leansOnToday())
                    builder.startOnToday();
                if (builder.keepsTexts())
                    builder.add(clock.get(), durationOf(dataSize, sampleRate), narrowFromUtf8(number),
                                narrowFromUtf8(fileName), clock.note());
                else
                    builder.add(clock.get(), durationOf(dataSize, sampleRate), std::string(), std::string());
            }
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

bool readCatalog(const char* bytes, std::size_t size, std::vector<recording>& list, std::string& error,
                 std::string* packed, bool* leansOnToday)
{
    catalogBuilder builder(packed != nullptr);
    streamReader reader(builder, packed != nullptr);
    if (!reader.read(bytes, size, error))
        return false;
    if (packed)
        *packed = builder.pack();
    if (leansOnToday)
        *leansOnToday = builder.leansOnToday();
    builder.finish(list);
    return true;
}

bool readCatalogTimes(const char* bytes, std::size_t size, std::vector<recording>& list, std::string& error,
                      bool& leansOnToday)
{
    catalogBuilder builder = catalogBuilder::timesOnly();
    streamReader reader(builder, false);
    if (!reader.read(bytes, size, error))
        return false;
    leansOnToday = builder.leansOnToday();
    builder.finish(list);
    return true;
}
