#pragma once
// Reading catalogs on worker threads, so that a window showing years of
// recordings stays responsive while they are read.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "recdb/timeline.h"

class catalogIndex;

class catalogLoader {
public:
    // Every catalog read through this loader consults and fills `index` (none
    // when null): on its workers, in loadInterval, and in the getRecordings of
    // the timelines it was given to. `workers` threads; 0 for as many as the
    // machine has cores.
    explicit catalogLoader(std::shared_ptr<const catalogIndex> index = nullptr, unsigned workers = 0);
    // Withdraws what is still queued and joins the workers (a catalog being
    // read is finished first). Entries must outlive their loader.
    ~catalogLoader();
    catalogLoader(const catalogLoader&) = delete;
    catalogLoader& operator=(const catalogLoader&) = delete;

    // How many catalogs the workers have read so far: a window polls it on
    // its own thread to learn that more has arrived (workers never call into
    // the window).
    unsigned catalogsRead() const { return finished.load(std::memory_order_acquire); }

    // Queues an entry unless it is loaded, being loaded or queued already.
    void request(catalogEntry& entry);
    // Queues the making of entries' summaries (loadSummary) in the same way,
    // all at once: a long view asks for thousands.
    void requestSummaries(const std::vector<catalogEntry*>& entries);

    // Withdraws all queued requests (their entries go back to absent) and
    // waits until no worker is reading. The loader can be used again.
    void stop();

    unsigned workerCount() const { return static_cast<unsigned>(workers.size()); }

    // The index its reads use; null for none.
    const catalogIndex* index() const { return sharedIndex.get(); }

private:
    void work();
    struct job {
        catalogEntry* entry;
        bool summary; // the summary, not the recordings
    };
    std::atomic<int>& stateOf(const job& j) const { return j.summary ? j.entry->summaryState : j.entry->state; }
    void enqueue(const job& j);
    void enqueue(const std::vector<job>& jobs);
    // Takes the next queued job (marking it loading); a null entry when stopping.
    job next();

    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<job> queue;
    unsigned busy = 0;
    bool quitting = false;
    std::atomic<unsigned> finished{0};
    const std::shared_ptr<const catalogIndex> sharedIndex;
    std::vector<std::thread> workers;
};

// Makes sure every catalog of `lines` that the interval (from, to) overlaps is
// read: queues them on `loader` (when given) and reads along on this thread,
// with the loader's index (none without a loader).
// `progress(done, total)` is called on this thread about every 100 ms while
// it takes; when it returns false the wait ends (false returned, some days may
// be unread). Afterwards getRecordings on the interval returns at once.
bool loadInterval(const std::vector<const timeline*>& lines, double from, double to, catalogLoader* loader,
                  const std::function<bool(std::size_t done, std::size_t total)>& progress =
                      std::function<bool(std::size_t, std::size_t)>());
