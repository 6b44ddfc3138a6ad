// The INI reader (readProfileString) on a file holding the input: every list
// and value it offers, whole and cut to small buffers, checked against the
// profile API's result rules.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/profile.h"

#include "fuzzSupport.h"

namespace {
const unsigned long smallSizes[] = {1, 2, 3, 4, 7};
const std::size_t maxNames = 64;

struct result {
    unsigned long length;
    std::string buffer; // all of it, `size` bytes
};

result call(const char* section, const char* key, const char* defaultValue, unsigned long size,
            const std::string& file)
{
    result r{0, std::string(size, '\x7f')};
    r.length = readProfileString(section, key, defaultValue, r.buffer.data(), size, file.c_str());
    return r;
}

// A list result: the names, each ended by NUL, and one more NUL.
std::vector<std::string> checkedList(const result& r, const char* what)
{
    const std::string detail = std::string(what) + ", length " + std::to_string(r.length);
    FUZZ_CHECK(r.length + 1 < r.buffer.size() || (r.length == 0 && r.buffer.size() >= 1), detail);
    FUZZ_CHECK(r.buffer[r.length] == '\0', detail);
    std::vector<std::string> names;
    if (r.length == 0)
        return names;
    FUZZ_CHECK(r.buffer[r.length - 1] == '\0', detail); // the last name's NUL; the list's is checked above
    for (std::size_t at = 0; at < r.length;) {
        std::size_t end = r.buffer.find('\0', at);
        FUZZ_CHECK(end > at, detail + ": an empty name inside the list");
        names.push_back(r.buffer.substr(at, end - at));
        at = end + 1;
    }
    return names;
}

// The list again in buffers too small for it: the rules for a cut list.
void checkCutLists(const char* section, const result& whole, const std::string& file)
{
    for (unsigned long size : smallSizes) {
        result cut = call(section, nullptr, "x", size, file);
        const std::string detail = "list cut to " + std::to_string(size) + " bytes";
        if (whole.length + 2 <= size) {
            FUZZ_CHECK(cut.length == whole.length &&
                           cut.buffer.compare(0, cut.length + 1, whole.buffer, 0, cut.length + 1) == 0,
                       detail);
        } else if (size < 2) {
            FUZZ_CHECK(cut.length == 0 && cut.buffer[0] == '\0', detail);
        } else {
            FUZZ_CHECK(cut.length == size - 2, detail);
            FUZZ_CHECK(cut.buffer.compare(0, cut.length, whole.buffer, 0, cut.length) == 0, detail);
            FUZZ_CHECK(cut.buffer[size - 2] == '\0' && cut.buffer[size - 1] == '\0', detail);
        }
    }
}

// A listed key reads as present: two different defaults never both come back.
void checkValue(const std::string& section, const std::string& key, unsigned long room, const std::string& file)
{
    result a = call(section.c_str(), key.c_str(), "default one", room, file);
    result b = call(section.c_str(), key.c_str(), "default two", room, file);
    const std::string detail = "[" + section + "] " + key;
    FUZZ_CHECK(a.length < room && a.buffer[a.length] == '\0', detail);
    FUZZ_CHECK(std::strlen(a.buffer.c_str()) == a.length, detail + ": a NUL inside the value");
    FUZZ_CHECK(a.length == b.length && a.buffer.compare(0, a.length, b.buffer, 0, b.length) == 0,
               detail + ": a listed key reads as missing");
    for (unsigned long size : smallSizes) {
        result cut = call(section.c_str(), key.c_str(), "", size, file);
        const unsigned long expected = std::min<unsigned long>(a.length, size - 1);
        FUZZ_CHECK(cut.length == expected && cut.buffer[expected] == '\0' &&
                       cut.buffer.compare(0, expected, a.buffer, 0, expected) == 0,
                   detail + ": value cut to " + std::to_string(size) + " bytes");
    }
}
}

void fuzzProfile(const std::uint8_t* data, std::size_t size)
{
    const std::string file = writeScratchFile("profile.ini", data, size);
    // A missing file drops the reader's cache, so this input is parsed afresh
    // even when its size and time stamps match the previous one's.
    const std::string missing = fuzzScratch() + "/missing.ini";
    call("s", "k", "", 2, missing);

    // No list or value can be longer than the file with a NUL per line.
    const unsigned long room = static_cast<unsigned long>(2 * size + 16);
    result sections = call(nullptr, "ignored", "x", room, file);
    std::vector<std::string> sectionNames = checkedList(sections, "section list");
    checkCutLists(nullptr, sections, file);

    sectionNames.resize(std::min(sectionNames.size(), maxNames));
    for (const std::string& section : sectionNames) {
        result keys = call(section.c_str(), nullptr, "x", room, file);
        std::vector<std::string> keyNames = checkedList(keys, "key list");
        checkCutLists(section.c_str(), keys, file);
        keyNames.resize(std::min(keyNames.size(), maxNames));
        for (const std::string& key : keyNames)
            checkValue(section, key, room, file);
    }

    // A key no file can hold (names lose their surrounding blanks) gives the
    // default without its trailing spaces.
    result fallback = call(sectionNames.empty() ? "s" : sectionNames.front().c_str(), " \t", " fall back  ", room, file);
    FUZZ_CHECK(fallback.buffer.substr(0, fallback.length + 1) == std::string(" fall back", 11), "the default");
}
