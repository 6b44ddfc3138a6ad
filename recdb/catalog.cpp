#include "recdb/catalog.h"

#include <cstdint>
#include <limits>

#include <wx/wxcrt.h>
#include <wx/xml/xml.h>

#include "platform/narrow.h"

namespace {
// Leading decimal digits after optional blanks and "+", like the C library's
// unsigned conversions, but saturating at the type's maximum instead of
// wrapping, and taking a negative number as 0 rather than as a huge one.
template <typename T>
T leadingNumber(const wxString& text)
{
    const T maximum = std::numeric_limits<T>::max();
    auto c = text.begin();
    while (c != text.end() && wxIsspace(*c))
        ++c;
    if (c != text.end() && *c == '+')
        ++c;
    T value = 0;
    for (; c != text.end() && *c >= '0' && *c <= '9'; ++c) {
        T digit = static_cast<T>(*c - '0');
        if (value > (maximum - digit) / 10)
            return maximum;
        value = static_cast<T>(value * 10 + digit);
    }
    return value;
}

// Durations beyond this are nonsense from a damaged catalog; capping them keeps
// the date arithmetic far from overflow.
const std::uint64_t longestDuration = std::numeric_limits<std::int32_t>::max();

struct callValues {
    wxDateTime start;
    std::uint64_t dataSize = 0;
    std::uint32_t sampleRate = 0;
    wxString number;
    wxString fileName;
};

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

recording makeRecording(const callValues& call)
{
    // A missing or zero sample rate gives a recording of no length.
    std::uint64_t seconds = call.sampleRate ? call.dataSize / call.sampleRate : 0;
    if (seconds > longestDuration)
        seconds = longestDuration;
    recording r;
    r.start = call.start;
    r.end = call.start.IsValid() ? call.start + wxTimeSpan::Seconds(wxLongLong(static_cast<wxInt64>(seconds)))
                                 : call.start;
    r.properties["label"] = toNarrow(call.number);
    r.properties["filename"] = toNarrow(call.fileName);
    return r;
}
}

void parseCatalog(const wxXmlNode* root, std::vector<recording>& list)
{
    if (!root || root->GetName() != "vmk_catalog")
        return;
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
        list.push_back(makeRecording(call));
    }
}

void loadCatalog(catalogEntry& entry)
{
    if (entry.recordings)
        return;
    entry.recordings.reset(new std::vector<recording>);
    wxXmlDocument document;
    if (document.Load(fromNarrow(entry.path), "UTF-8") && document.GetRoot())
        parseCatalog(document.GetRoot(), *entry.recordings);
}
