#include "recdb/catalogLoader.h"

#include <chrono>
#include <utility>

#include "platform/threadPriority.h"
#include "recdb/catalog.h"
#include "recdb/catalogIndex.h"

catalogLoader::catalogLoader(std::shared_ptr<const catalogIndex> index, unsigned count)
    : sharedIndex(std::move(index))
{
    if (count == 0)
        count = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < count; ++i)
        workers.emplace_back([this] { work(); });
}

catalogLoader::~catalogLoader()
{
    {
        std::lock_guard<std::mutex> hold(lock);
        quitting = true;
    }
    stop();
    wake.notify_all();
    for (std::thread& worker : workers)
        worker.join();
}

void catalogLoader::enqueue(const job& j)
{
    int expected = catalogEntry::absent;
    if (!stateOf(j).compare_exchange_strong(expected, catalogEntry::queued, std::memory_order_acq_rel))
        return;
    bool wakeOne;
    {
        std::lock_guard<std::mutex> hold(lock);
        queue.push_back(j);
        // A long view asks for thousands at once: once there is work for
        // every worker, the idle ones are awake already.
        wakeOne = queue.size() <= workers.size();
    }
    if (wakeOne)
        wake.notify_one();
}

void catalogLoader::request(catalogEntry& entry)
{
    enqueue(job{&entry, false});
}

void catalogLoader::enqueue(const std::vector<job>& jobs)
{
    std::vector<job> taken;
    taken.reserve(jobs.size());
    for (const job& j : jobs) {
        int expected = catalogEntry::absent;
        if (stateOf(j).compare_exchange_strong(expected, catalogEntry::queued, std::memory_order_acq_rel))
            taken.push_back(j);
    }
    if (taken.empty())
        return;
    {
        std::lock_guard<std::mutex> hold(lock);
        queue.insert(queue.end(), taken.begin(), taken.end());
    }
    wake.notify_all();
}

void catalogLoader::requestSummaries(const std::vector<catalogEntry*>& entries)
{
    std::vector<job> jobs;
    jobs.reserve(entries.size());
    for (catalogEntry* entry : entries)
        jobs.push_back(job{entry, true});
    enqueue(jobs);
}

void catalogLoader::stop()
{
    std::unique_lock<std::mutex> hold(lock);
    for (const job& j : queue) {
        int expected = catalogEntry::queued;
        stateOf(j).compare_exchange_strong(expected, catalogEntry::absent, std::memory_order_acq_rel);
    }
    queue.clear();
    idle.wait(hold, [this] { return busy == 0; });
}

catalogLoader::job catalogLoader::next()
{
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
        wake.wait(hold, [this] { return quitting || !queue.empty(); });
        if (quitting)
            return job{nullptr, false};
        const job j = queue.front();
        queue.pop_front();
        // Someone who could not wait may have taken it meanwhile.
        int expected = catalogEntry::queued;
        if (stateOf(j).compare_exchange_strong(expected, catalogEntry::loading, std::memory_order_acq_rel)) {
            ++busy;
            return j;
        }
    }
}

void catalogLoader::work()
{
    lowerThisThreadsPriority();
    for (job j = next(); j.entry; j = next()) {
        if (j.summary)
            makeClaimedSummary(*j.entry, sharedIndex.get());
        else
            readClaimedCatalog(*j.entry, sharedIndex.get());
        finished.fetch_add(1, std::memory_order_acq_rel);
        bool drained;
        {
            std::lock_guard<std::mutex> hold(lock);
            --busy;
            drained = queue.empty() && busy == 0;
        }
        // The last of a batch writes what the index keeps back.
        if (drained && sharedIndex)
            sharedIndex->flush();
        idle.notify_all();
    }
}

bool loadInterval(const std::vector<const timeline*>& lines, double from, double to, catalogLoader* loader,
                  const std::function<bool(std::size_t, std::size_t)>& progress)
{
    std::vector<catalogEntry*> entries;
    for (const timeline* line : lines)
        line->unreadEntries(from, to, entries);
    if (loader)
        for (catalogEntry* entry : entries)
            loader->request(*entry);

    using clock = std::chrono::steady_clock;
    auto lastReport = clock::now();
    std::size_t done = 0;
    for (catalogEntry* entry : entries) {
        // Reads it here unless a worker has it; then waits for that one.
        loadCatalog(*entry, loader ? loader->index() : nullptr);
        ++done;
        if (progress && clock::now() - lastReport >= std::chrono::milliseconds(100)) {
            lastReport = clock::now();
            if (!progress(done, entries.size()))
                return false;
        }
    }
    return true;
}
