#pragma once
// Looking for calls over many lines and years without holding up the window:
// the search runs on a thread of its own, goes through the time range from its
// start in growing steps (a day first, so the first hits come at once), has
// the loader's workers read the catalogs a little ahead of it, and publishes
// the hits of each step in start order. The window takes them as they come.
#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "recdb/callMatch.h"
#include "recdb/timeline.h"

class catalogLoader;

struct callHit {
    const timeline* line;
    const recording* call;
};

class callSearch {
public:
    // Starts at once. The calls of `lines` that overlap (from, to), as
    // getRecordings gives them, that `filter` keeps. The lines and the loader
    // (which may be null) must outlive the search.
    callSearch(std::vector<const timeline*> lines, double from, double to, callFilter filter,
               catalogLoader* loader);
    // Stops the search and waits for its thread (a catalog being read is
    // finished first).
    ~callSearch();
    callSearch(const callSearch&) = delete;
    callSearch& operator=(const callSearch&) = delete;

    // Asks the search to stop after the catalog it is reading; finished()
    // then becomes true soon.
    void cancel() { cancelled.store(true, std::memory_order_relaxed); }
    bool finished() const { return done.load(std::memory_order_acquire); }
    // Waits until the search has finished (or stopped, when cancelled).
    void wait();
    bool wasCancelled() const { return cancelled.load(std::memory_order_relaxed); }
    // The share of the range searched so far, from 0 to 1.
    double progress() const { return searched.load(std::memory_order_relaxed); }

    // Appends to `out` the hits published since `out` was last filled here
    // (out.size() of them are taken to be there already). Hits come in order
    // of their start.
    void takeHits(std::vector<callHit>& out) const;
    // Once finished: the catalogs of the range that could not be read.
    std::vector<std::string> unreadableCatalogs() const;

private:
    void run();

    const std::vector<const timeline*> lines;
    const double from, to;
    const callFilter filter;
    catalogLoader* const loader;

    mutable std::mutex lock;
    std::vector<callHit> hits; // under lock
    std::atomic<bool> cancelled{false};
    std::atomic<bool> done{false};
    std::atomic<double> searched{0};
    std::thread worker;
};
