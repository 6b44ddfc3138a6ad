#include "recdb/catalog.h"

#include <condition_variable>
#include <mutex>

#include <wx/log.h>
#include <wx/xml/xml.h>

#include "platform/fileStamp.h"
#include "platform/narrow.h"
#include "recdb/catalogIndex.h"
#include "recdb/catalogRules.h"

using namespace catalogRules;

namespace {
// The document tree: the plain way of reading a catalog, and the reference
// the streaming reader answers like.
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
        entry.unreadable = true;
        return;
    }
    std::shared_ptr<const catalogIndex> index = currentIndex();
    std::string packed;
    if (index && index->find(entry.path, stamp, packed) && unpackCatalog(packed.data(), packed.size(), list))
        return;
    // A catalog that is not well-formed is never kept: most often the logger
    // is still writing it, and once it is complete it must be read.
    if (!readCatalog(bytes.data(), bytes.size(), list, error, index ? &packed : nullptr)) {
        wxLogError("catalog '%s' cannot be read: %s", fromNarrow(entry.path), wxString::FromUTF8(error));
        entry.unreadable = true;
        list.clear();
        return;
    }
    if (index && !packed.empty())
        index->store(entry.path, stamp, packed);
}

std::mutex clockLock;
std::shared_ptr<const std::function<civilDate()>> otherClock;
}

void useCatalogClock(std::function<civilDate()> today)
{
    std::lock_guard<std::mutex> hold(clockLock);
    otherClock = today ? std::make_shared<const std::function<civilDate()>>(std::move(today)) : nullptr;
}

wxDateTime catalogRules::catalogToday()
{
    std::shared_ptr<const std::function<civilDate()>> clock;
    {
        std::lock_guard<std::mutex> hold(clockLock);
        clock = otherClock;
    }
    if (!clock)
        return wxDateTime::Today();
    const civilDate d = (*clock)();
    return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(d.day), static_cast<wxDateTime::Month>(d.month - 1),
                      static_cast<int>(d.year));
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
