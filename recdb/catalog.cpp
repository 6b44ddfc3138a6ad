#include "recdb/catalog.h"

#include <condition_variable>
#include <memory>
#include <mutex>

#include <wx/log.h>

#include "platform/fileStamp.h"
#include "platform/narrow.h"
#include "recdb/catalogIndex.h"
#include "recdb/catalogRules.h"

// ---- Loading an entry: once, by one thread; the others wait for it.
namespace {
std::mutex loadedLock;
std::condition_variable loadedSignal;

void readEntry(catalogEntry& entry, std::vector<recording>& list, const catalogIndex* index)
{
    std::vector<char> bytes;
    fileStamp stamp;
    std::string error;
    if (!readFileStamped(entry.path, bytes, stamp, error)) {
        wxLogError("can't open file '%s' (%s)", fromNarrow(entry.path), wxString::FromUTF8(error));
        entry.unreadable = true;
        return;
    }
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

void loadCatalog(catalogEntry& entry, const catalogIndex* index)
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
    readClaimedCatalog(entry, index);
}

void readClaimedCatalog(catalogEntry& entry, const catalogIndex* index)
{
    std::unique_ptr<std::vector<recording>> list(new std::vector<recording>);
    readEntry(entry, *list, index);
    entry.recordings = std::move(list);
    {
        std::lock_guard<std::mutex> hold(loadedLock);
        entry.state.store(catalogEntry::loaded, std::memory_order_release);
    }
    loadedSignal.notify_all();
}
