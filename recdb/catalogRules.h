#pragma once
// How catalogs are read: numbers, dates and durations, and how a catalog's
// calls become compact recordings. Internal to recdb, and to the document-tree
// reader the tests compare the streaming reader with (fuzz/catalogTreeReader.h).
#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <wx/datetime.h>
#include <wx/string.h>
#include <wx/wxcrt.h>

#include "recdb/timeline.h"

namespace catalogRules {
// Numbers: leading decimal digits after optional blanks and "+", like the
// C library's unsigned conversions, but saturating at the type's maximum
// instead of wrapping, and taking a negative number as 0 rather than as a huge
// one. Blanks are what wx's wxIsspace calls blanks, also beyond ASCII.

// The code point at `c` (UTF-8, as expat hands text on) and its length.
inline std::uint32_t codePointAt(const unsigned char* c, const unsigned char* end, int& length)
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
constexpr std::uint64_t longestDuration = std::numeric_limits<std::int32_t>::max();

// The day a "time" without a "date" falls on: today on the local calendar,
// as wx's parsing would take it, unless another clock was put in
// (useCatalogClock).
wxDateTime catalogToday();

// A parse sets only the fields its format names; the others come from what
// was parsed before (or today at midnight), so "date" and "time" combine in
// either order. A value that does not match leaves the date-time as it was.
inline void parseInto(wxDateTime& value, const wxString& text, const char* format)
{
    // Given today explicitly, wx takes the same fields from it as from its own
    // Today(); so the clock can be another one.
    wxDateTime parsed = value.IsValid() ? value : catalogToday();
    wxString::const_iterator end;
    if (parsed.ParseFormat(text, format, wxDefaultDateTime, &end) && parsed.IsValid())
        value = parsed;
}

// Building a catalog's recordings: texts go to one shared block, labels
// to the pool (interned once per catalog, under one lock). A builder that
// packs also keeps each call's start note (callClock::note) for the index's
// compact form.
class catalogBuilder {
public:
    explicit catalogBuilder(bool packing_ = false) : packing(packing_) {}

    // A builder for the times alone (a day's summary): its recordings have
    // no label and no file name, and none are kept or looked up.
    static catalogBuilder timesOnly()
    {
        catalogBuilder builder;
        builder.texts = false;
        return builder;
    }
    bool keepsTexts() const { return texts; }

    void add(const wxDateTime& start, std::uint64_t seconds, const std::string& label, const std::string& fileName,
             const std::string& startNote = std::string())
    {
        call c;
        c.start = start;
        if (seconds > longestDuration)
            seconds = longestDuration;
        c.seconds = static_cast<std::uint32_t>(seconds);
        if (!texts) {
            calls.push_back(c);
            return;
        }
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
        if (packing) {
            notes += startNote;
            noteEnds.push_back(static_cast<std::uint32_t>(std::min<std::size_t>(notes.size(), 0xFFFFFFFFu)));
        }
    }

    // A call whose start lies on the day the catalog is read (see
    // callClock::leansOnToday): a summary of the day holds only for today.
    void startOnToday() { onToday = true; }
    bool leansOnToday() const { return onToday; }

    // The compact form of the calls added so far (for a packing builder): what
    // unpackCatalog makes the same recordings of, here and now. Call before
    // finish.
    std::string pack() const;

    // Appends the recordings to `list`, sized exactly.
    void finish(std::vector<recording>& list)
    {
        if (calls.empty())
            return;
        if (!texts) {
            list.reserve(list.size() + calls.size());
            for (const call& c : calls) {
                list.emplace_back();
                list.back().start = c.start;
                list.back().end = endOf(c);
            }
            return;
        }
        std::vector<std::uint32_t> offsets;
        labelPool::internAll(labels, offsets);
        block->names.shrink_to_fit();
        list.reserve(list.size() + calls.size());
        const recordingTexts* shared = block.release();
        for (const call& c : calls) {
            list.emplace_back();
            recording& r = list.back();
            r.start = c.start;
            r.end = endOf(c);
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
    static wxDateTime endOf(const call& c)
    {
        return c.start.IsValid() ? wxDateTime(c.start.GetValue() + wxLongLong(static_cast<wxInt64>(c.seconds) * 1000))
                                 : c.start;
    }

    std::vector<call> calls;
    std::unique_ptr<recordingTexts> block;
    std::vector<std::string> labels;
    std::unordered_map<std::string, std::uint32_t> labelIndex;
    bool packing;
    bool texts = true;
    bool onToday = false;
    std::string notes;                  // the start notes of all calls, one after the other
    std::vector<std::uint32_t> noteEnds; // where each call's note ends
};

// A missing or zero sample rate gives a recording of no length.
inline std::uint64_t durationOf(std::uint64_t dataSize, std::uint32_t sampleRate)
{
    return sampleRate ? dataSize / sampleRate : 0;
}
}
