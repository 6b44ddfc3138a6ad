// Reading INI files with the rules of the Windows profile API
// (GetPrivateProfileStringA), so that "logger.ini" reads the same on every system,
// Windows included: there the system's own functions would read a file without
// a byte order mark in this process's code page, UTF-8, not in the machine's
// one the logger writes.
//
// Sources for the rules below:
//   [MS]   Microsoft's reference page of GetPrivateProfileStringA.
//   [WT]   Wine's conformance tests of the profile functions
//          (dlls/kernel32/tests/profile.c), which pass on real Windows.
//   [RE]   The public reverse-engineering test suite "IniFileFormatReverseEngineering"
//          (tests run against Windows 10, with its documentation of each finding).
//   [OURS] A choice of ours where Windows is unknown, unreachable or plainly unhelpful.
//
// Calls and results
//  1. section == nullptr: the names of all sections in file order, each ended by NUL,
//     the list ended by one more NUL; the key argument is then ignored. [MS][WT]
//  2. key == nullptr: the key names of the section, same list form. [MS][WT]
//  3. Otherwise the value of the key, or the default when the file, the section or
//     the key is missing. [MS][RE]
//  4. The return value counts the characters written, without the final NUL. [MS]
//  5. A value that does not fit is cut to size-1 characters plus NUL and size-1 is
//     returned; it fits when its length is below size. [MS][WT]
//  6. A list fits only when its length (names and their NULs) plus 2 is at most size
//     (Windows keeps one spare byte: 27 characters need 29 bytes). Otherwise its
//     first size-2 characters are kept, followed by two NULs, and size-2 is
//     returned; the last name is cut. [MS][WT]
//  7. size 0 writes nothing and returns 0; size 1 writes one NUL and returns 0;
//     a list with size 2 gives two NULs and 0 (never size-2 below zero). [WT][RE]
//  8. An empty list returns 0 with a NUL at the start (and, as a courtesy to
//     callers that look for the double NUL, a second one when it fits). [WT][OURS]
//  9. The default: nullptr means ""; trailing spaces (only ' ', not tabs) are cut,
//     leading ones kept; it is cut to the buffer like a value. [MS][WT][RE]
// 10. Missing, empty or unreadable file (or a folder): values give the default,
//     lists are empty. A nullptr or empty file name behaves like a missing file. [WT][RE]
// 11. A file name without any folder part is looked for in the Windows folder
//     (windowsDirectory()); "./name" or any path with a separator (on Windows
//     also '\\' or a drive's ':') is used as it is. [MS][WT]
//
// File format
// 12. Lines end at LF, CR LF or a lone CR. [WT] ("CR only" run)
// 13. Leading blanks of a line (space, tab, vertical tab) are skipped. [RE]
// 14. A line whose first non-blank character is ';' is a comment; ';' elsewhere in a
//     key, value or section name is an ordinary character. '#' is not a comment. [RE]
// 15. A line whose first non-blank character is '[' starts a section. The name runs to
//     the first ']' or the end of the line; blanks around it are cut; text after the
//     ']' is ignored. A missing ']' is accepted. [RE]
// 16. "[]" is a section with the empty name, reachable with section "". [RE]
// 17. Any other line with '=' is an entry: the key is the text before the first '=',
//     the value the rest, both with surrounding blanks cut. Lines without '=' are
//     neither entries nor listed. [WT][RE]
// 18. Entries before the first section header belong to no section: no section name,
//     not even "", reaches them. [RE]
// 19. A value wholly enclosed in one pair of matching quotes ('...' or "...") loses
//     that outer pair only; blanks inside stay; mismatched quotes stay. [MS][WT][RE]
// 20. Section and key names match without regard to case (ASCII letters here; the
//     bytes are UTF-8, so we do not fold other letters). [MS][WT][RE]
// 21. The section and key arguments lose leading and trailing spaces before matching
//     (only ' '; a tab in the argument must match literally and therefore never
//     does, since names in the file are trimmed). [RE]
// 22. Duplicate sections: lookups (values and key lists) use the first section of
//     that name only; the section list names every occurrence. [RE]
// 23. Duplicate keys: the first one wins for a value; the key list names every
//     occurrence. [RE]
// 24. Names that are empty (a "[]" section, a "=value" entry) are left out of the
//     lists: in a NUL-separated list an empty name would read as the list's end.
//     A "=value" entry is still readable with key "". [WT][OURS]
//
// Robustness (our own rules)
// 25. The file is read as bytes and parsed in one pass, then kept until it changes
//     (its size, its modification or change time to the nanosecond, or its
//     identity, volume and file number, differ: its fileStamp), as Windows keeps its profile files
//     cached. The change time catches a rewrite of the same size whose
//     modification time stayed or was set back (tools that keep times do so),
//     the identity a file replaced by another one. A lookup then costs a search,
//     not a parse, so reading thousands of lines stays linear. Values, names and
//     lists have no length limit (Windows wraps values longer than 65535
//     characters around modulo 65536, which would hand back a wrong value).
// 26. A NUL byte in the file ends the useful text of its line, so that names and
//     values never carry a NUL (binary files give odd names, never a broken list).
// 27. A UTF-8 byte order mark at the start of the file is skipped (Windows would
//     treat it as part of the first line and lose the first section).
// 28. A file that starts with a UTF-16 byte order mark (little or big endian, as
//     Windows editors save "Unicode" text) is read as UTF-16 and converted to the
//     program's narrow strings, UTF-8; Windows reads such files too, though only
//     little endian ones (big endian is our addition) [RE]. A surrogate
//     without its partner becomes U+FFFD, an odd last byte is dropped.
// 29. Without a mark, a file that is valid UTF-8 is taken as it is; any other is
//     in the machine's ANSI code page and converted from it on Windows
//     (narrowFromMachineText), kept as bytes elsewhere. Decoding the whole file
//     first also keeps a double-byte character whose second byte is 0x5C (as in
//     Shift-JIS) from reading as a backslash. [OURS]
#include "profile.h"

#include "fileStamp.h"
#include "machineText.h"
#include "windowsDirectory.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <wx/filefn.h>
#include <wx/strconv.h>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view trimBlanks(std::string_view text)
{
    size_t begin = 0;
    while (begin < text.size() && isBlank(text[begin]))
        ++begin;
    size_t end = text.size();
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string_view trimSpaces(std::string_view text)
{
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return {};
    size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view unquoted(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string resolvedFileName(const char* fileName)
{
    std::string name(fileName);
    const char* separators = wxFILE_SEP_PATH == '\\' ? "/\\:" : "/";
    if (name.find_first_of(separators) == std::string::npos)
        return windowsDirectory() + std::string(1, static_cast<char>(wxFILE_SEP_PATH)) + name;
    return name;
}

void appendUtf8(std::string& out, unsigned long c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-16 code units (without their byte order mark) as UTF-8.
std::string utf8FromUtf16(std::string_view bytes, bool bigEndian)
{
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t i) -> unsigned long {
        unsigned long first = static_cast<unsigned char>(bytes[2 * i]);
        unsigned long second = static_cast<unsigned char>(bytes[2 * i + 1]);
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 2);
    for (size_t i = 0; i < units; ++i) {
        unsigned long c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
            unsigned long low = unit(i + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        appendUtf8(text, c);
    }
    return text;
}

bool isUtf8(const std::string& bytes)
{
    return wxConvUTF8.ToWChar(nullptr, 0, bytes.data(), bytes.size()) != wxCONV_FAILED;
}

// The file's text as narrow bytes: UTF-16 with its mark converted, UTF-8
// unchanged, anything else from the machine's code page.
std::string narrowText(std::string bytes)
{
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return utf8FromUtf16(std::string_view(bytes).substr(2), false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
        return utf8FromUtf16(std::string_view(bytes).substr(2), true);
    if (isUtf8(bytes))
        return bytes;
    return narrowFromMachineText(bytes);
}

// One meaningful line of the file.
struct iniLine {
    enum kind { section, entry } type;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // entry value, trimmed, quotes still on
};

// Calls visit(line) for each section header and entry in file order; visit
// returns false to stop early.
template <typename Visitor>
void forEachLine(std::string_view text, Visitor visit)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++pos;

        size_t nul = line.find('\0');
        if (nul != std::string_view::npos)
            line = line.substr(0, nul);
        size_t first = 0;
        while (first < line.size() && isBlank(line[first]))
            ++first;
        if (first == line.size() || line[first] == ';')
            continue;
        line.remove_prefix(first);
        if (line.front() == '[') {
            size_t close = line.find(']', 1);
            std::string_view name = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            if (!visit(iniLine{iniLine::section, trimBlanks(name), {}}))
                return;
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (!visit(iniLine{iniLine::entry, trimBlanks(line.substr(0, equals)), trimBlanks(line.substr(equals + 1))}))
            return;
    }
}

unsigned long copyValue(std::string_view value, char* buffer, unsigned long size)
{
    if (size == 0)
        return 0;
    size_t n = std::min<size_t>(value.size(), size - 1);
    if (n > 0) // an empty view may hold no pointer at all
        std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<unsigned long>(n);
}

// `list` holds the names, each followed by its NUL, without the final NUL.
unsigned long copyList(const std::string& list, char* buffer, unsigned long size)
{
    if (size == 0)
        return 0;
    if (list.empty()) {
        buffer[0] = '\0';
        if (size >= 2)
            buffer[1] = '\0';
        return 0;
    }
    if (list.size() + 2 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        return static_cast<unsigned long>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    unsigned long kept = size - 2;
    std::memcpy(buffer, list.data(), kept);
    buffer[kept] = '\0';
    buffer[kept + 1] = '\0';
    return kept;
}

void appendName(std::string& list, std::string_view name)
{
    if (name.empty())
        return;
    list.append(name.data(), name.size());
    list.push_back('\0');
}

// The file as parsed: sections in file order with their entries, and indexes
// from lower-cased names to the first section or entry of that name.
struct parsedProfile {
    struct entry {
        std::string_view name;
        std::string_view value; // quotes removed
    };
    struct section {
        std::string_view name;
        std::vector<entry> entries;
        std::unordered_map<std::string, size_t> firstEntry;
        std::string keyList; // names with their NULs, without the final one
    };
    std::string text;
    std::vector<section> sections; // entries before the first header are dropped
    std::unordered_map<std::string, size_t> firstSection;
    std::string sectionList;
};

std::string lowered(std::string_view name)
{
    std::string result(name);
    for (char& c : result)
        c = asciiLower(c);
    return result;
}

std::unique_ptr<parsedProfile> parse(std::string text)
{
    auto profile = std::make_unique<parsedProfile>();
    profile->text = std::move(text);
    forEachLine(profile->text, [&](const iniLine& line) {
        if (line.type == iniLine::section) {
            profile->firstSection.emplace(lowered(line.name), profile->sections.size());
            profile->sections.push_back(parsedProfile::section{line.name, {}, {}, {}});
            appendName(profile->sectionList, line.name);
        } else if (!profile->sections.empty()) {
            parsedProfile::section& current = profile->sections.back();
            current.firstEntry.emplace(lowered(line.name), current.entries.size());
            current.entries.push_back(parsedProfile::entry{line.name, unquoted(line.value)});
            appendName(current.keyList, line.name);
        }
        return true;
    });
    return profile;
}

// The last file read, kept while it is unchanged on disk.
struct cachedProfile {
    std::string path;
    fileStamp stamp;
    std::unique_ptr<parsedProfile> profile;
};

// Runs `use` with the parsed file (empty when missing or unreadable). The cache
// is shared, so it is used under a lock.
template <typename Use>
unsigned long withProfile(const char* fileName, Use use)
{
    static std::mutex lock;
    static cachedProfile cache;
    static const parsedProfile empty;
    if (!fileName || !*fileName)
        return use(empty);
    std::lock_guard<std::mutex> guard(lock);
    std::string path = resolvedFileName(fileName);
    fileStamp stamp;
    if (!fileStampOf(path, stamp)) {
        cache.profile.reset();
        return use(empty);
    }
    if (!cache.profile || cache.path != path || cache.stamp != stamp) {
        // The stamp taken as the file is opened: a change during the read
        // makes the next call read it again.
        std::vector<char> bytes;
        std::string error;
        if (!readFileStamped(path, bytes, stamp, error)) {
            cache.profile.reset();
            return use(empty);
        }
        cache.profile = parse(narrowText(std::string(bytes.begin(), bytes.end())));
        cache.path = path;
        cache.stamp = stamp;
    }
    return use(*cache.profile);
}

const parsedProfile::section* findSection(const parsedProfile& profile, std::string_view name)
{
    auto found = profile.firstSection.find(lowered(trimSpaces(name)));
    return found == profile.firstSection.end() ? nullptr : &profile.sections[found->second];
}

} // namespace

unsigned long readProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* fileName)
{
    if (size == 0 || !buffer)
        return 0;
    return withProfile(fileName, [&](const parsedProfile& profile) -> unsigned long {
        if (!section)
            return copyList(profile.sectionList, buffer, size);
        const parsedProfile::section* found = findSection(profile, section);
        if (!key)
            return copyList(found ? found->keyList : std::string(), buffer, size);
        if (found) {
            auto entry = found->firstEntry.find(lowered(trimSpaces(key)));
            if (entry != found->firstEntry.end())
                return copyValue(found->entries[entry->second].value, buffer, size);
        }
        std::string_view fallback = defaultValue ? std::string_view(defaultValue) : std::string_view();
        size_t end = fallback.find_last_not_of(' ');
        fallback = end == std::string_view::npos ? std::string_view() : fallback.substr(0, end + 1);
        return copyValue(fallback, buffer, size);
    });
}
