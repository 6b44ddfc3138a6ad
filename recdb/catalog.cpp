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

// Moves a state from absent or queued to loading; false when another thread
// has it or it is done.
bool claim(std::atomic<int>& state)
{
    int now = state.load(std::memory_order_acquire);
    while (now == catalogEntry::absent || now == catalogEntry::queued)
        if (state.compare_exchange_weak(now, catalogEntry::loading, std::memory_order_acq_rel))
            return true;
    return false;
}

void publish(std::atomic<int>& state)
{
    {
        std::lock_guard<std::mutex> hold(loadedLock);
        state.store(catalogEntry::loaded, std::memory_order_release);
    }
    loadedSignal.notify_all();
}

// Waits until another thread has published what it claimed.
void awaitLoaded(const std::atomic<int>& state)
{
    std::unique_lock<std::mutex> hold(loadedLock);
    loadedSignal.wait(hold, [&] { return state.load(std::memory_order_acquire) == catalogEntry::loaded; });
}

std::unique_ptr<daySummary> summaryOf(const catalogEntry& entry, const std::vector<recording>& list)
{
    return std::unique_ptr<daySummary>(new daySummary(entry.start, entry.end, list));
}

// A summary that holds beyond today is kept in the index with the catalog.
void storeSummary(const catalogIndex* index, const catalogEntry& entry, const fileStamp& stamp,
                  const daySummary& summary, bool leansOnToday)
{
    if (index && !leansOnToday)
        index->storeSoon(entry.path, stamp, summary.pack(), catalogIndex::kind::summary);
}

// Reads the catalog's calls into `list`: from the index's compact form when
// it holds this state of the file, else by parsing (and then stored in the
// index). With `summary`, also makes the day's summary.
void readEntry(catalogEntry& entry, std::vector<recording>& list, const catalogIndex* index,
               std::unique_ptr<daySummary>* summary)
{
    std::vector<char> bytes;
    fileStamp stamp;
    std::string error;
    if (!readFileStamped(entry.path, bytes, stamp, error)) {
        if (!entry.quiet)
            wxLogError("can't open file '%s' (%s)", fromNarrow(entry.path), wxString::FromUTF8(error));
        entry.unreadable = true;
        if (summary)
            *summary = summaryOf(entry, list);
        return;
    }
    entry.callsStamp = stamp;
    std::string packed;
    if (index && index->find(entry.path, stamp, packed) && unpackCatalog(packed.data(), packed.size(), list)) {
        if (summary)
            *summary = summaryOf(entry, list);
        return;
    }
    // A catalog that is not well-formed is never kept: most often the logger
    // is still writing it, and once it is complete it must be read.
    bool leansOnToday = false;
    if (!readCatalog(bytes.data(), bytes.size(), list, error, index ? &packed : nullptr, &leansOnToday)) {
        if (!entry.quiet)
            wxLogError("%s", catalogTrouble(entry.path, error));
        entry.unreadable = true;
        list.clear();
        if (summary)
            *summary = summaryOf(entry, list);
        return;
    }
    if (index && !packed.empty())
        index->store(entry.path, stamp, packed);
    if (summary) {
        *summary = summaryOf(entry, list);
        storeSummary(index, entry, stamp, **summary, leansOnToday);
    }
}

// The summary of the entry's catalog without keeping its calls: from the
// index, else by reading the catalog's times. False when the catalog cannot
// be opened or read.
bool summariseEntry(catalogEntry& entry, const catalogIndex* index, std::unique_ptr<daySummary>& summary)
{
    fileStamp stamp;
    std::string payload;
    if (index && fileStampOf(entry.path, stamp) &&
        index->find(entry.path, stamp, payload, catalogIndex::kind::summary)) {
        std::unique_ptr<daySummary> kept(new daySummary);
        // Made for this day as this time zone has it, or not at all.
        if (daySummary::unpack(payload.data(), payload.size(), *kept) && kept->dayStart() == entry.start &&
            kept->dayEnd() == entry.end) {
            summary = std::move(kept);
            entry.summaryStamp = stamp;
            return true;
        }
    }
    std::vector<char> bytes;
    std::string error;
    if (!readFileStamped(entry.path, bytes, stamp, error))
        return false;
    entry.summaryStamp = stamp;
    // The calls' texts are not needed, nor kept in the index: a long view
    // reads thousands of days for their summaries, and the few that are
    // shown in full are read (and kept) when they are.
    std::vector<recording> list;
    bool leansOnToday = false;
    if (!readCatalogTimes(bytes.data(), bytes.size(), list, error, leansOnToday))
        return false;
    summary = summaryOf(entry, list);
    storeSummary(index, entry, stamp, *summary, leansOnToday);
    return true;
}

std::mutex clockLock;
std::shared_ptr<const std::function<civilDate()>> otherClock;
}

wxString catalogTrouble(const std::string& path, const std::string& reason)
{
    return wxString::Format("catalog '%s' cannot be read: %s", fromNarrow(path), wxString::FromUTF8(reason));
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
    if (claim(entry.state))
        readClaimedCatalog(entry, index);
    else if (!entry.isLoaded())
        awaitLoaded(entry.state);
}

void readClaimedCatalog(catalogEntry& entry, const catalogIndex* index)
{
    // The summary comes along unless another thread is making it.
    const bool withSummary = claim(entry.summaryState);
    std::unique_ptr<daySummary> summary;
    std::unique_ptr<std::vector<recording>> list(new std::vector<recording>);
    readEntry(entry, *list, index, withSummary ? &summary : nullptr);
    // The summary first: who waited for the calls finds it there too.
    if (withSummary) {
        entry.summaryStamp = entry.callsStamp;
        entry.summary = std::move(summary);
        publish(entry.summaryState);
    }
    entry.recordings = std::move(list);
    publish(entry.state);
}

void loadSummary(catalogEntry& entry, const catalogIndex* index)
{
    if (claim(entry.summaryState))
        makeClaimedSummary(entry, index);
    else if (!entry.hasSummary())
        awaitLoaded(entry.summaryState);
}

void makeClaimedSummary(catalogEntry& entry, const catalogIndex* index)
{
    std::unique_ptr<daySummary> summary;
    if (entry.isLoaded()) {
        summary = summaryOf(entry, *entry.recordings);
        entry.summaryStamp = entry.callsStamp;
    } else if (!summariseEntry(entry, index, summary)) {
        // Read as the recordings would be, so that the trouble is reported
        // once and the day counts as unreadable.
        loadCatalog(entry, index);
        summary = summaryOf(entry, *entry.recordings);
        entry.summaryStamp = entry.callsStamp;
    }
    entry.summary = std::move(summary);
    publish(entry.summaryState);
}
