#include "recdb/catalogLoader.h"

#include <chrono>
#include <utility>

#include "recdb/catalog.h"

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

void catalogLoader::request(catalogEntry& entry)
{
    int expected = catalogEntry::absent;
    if (!entry.state.compare_exchange_strong(expected, catalogEntry::queued, std::memory_order_acq_rel))
        return;
    {
        std::lock_guard<std::mutex> hold(lock);
        queue.push_back(&entry);
    }
    wake.notify_one();
}

void catalogLoader::stop()
{
    std::unique_lock<std::mutex> hold(lock);
    for (catalogEntry* entry : queue) {
        int expected = catalogEntry::queued;
        entry->state.compare_exchange_strong(expected, catalogEntry::absent, std::memory_order_acq_rel);
    }
    queue.clear();
    idle.wait(hold, [this] { return busy == 0; });
}

catalogEntry* catalogLoader::next()
{
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
        wake.wait(hold, [this] { return quitting || !queue.empty(); });
        if (quitting)
            return nullptr;
        catalogEntry* entry = queue.front();
        queue.pop_front();
        // Someone who could not wait may have taken it meanwhile.
        int expected = catalogEntry::queued;
        if (entry->state.compare_exchange_strong(expected, catalogEntry::loading, std::memory_order_acq_rel)) {
            ++busy;
            return entry;
        }
    }
}

void catalogLoader::work()
{
    while (catalogEntry* entry = next()) {
        readClaimedCatalog(*entry, sharedIndex.get());
        finished.fetch_add(1, std::memory_order_acq_rel);
        {
            std::lock_guard<std::mutex> hold(lock);
            --busy;
        }
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
