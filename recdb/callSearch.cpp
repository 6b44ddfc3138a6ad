#include "recdb/callSearch.h"

#include <algorithm>

#include "recdb/catalogLoader.h"
#include "recdb/timeValue.h"

namespace {
const double day = 86400;
// Steps grow to a month: short enough that Cancel is heard soon, long enough
// that walking the lines' catalogs once per step costs nothing.
const double longestStep = 32 * day;
}

callSearch::callSearch(std::vector<const timeline*> lines_, double from_, double to_, callFilter filter_,
                       catalogLoader* loader_)
    : lines(std::move(lines_)), from(from_), to(to_), filter(std::move(filter_)), loader(loader_)
{
    worker = std::thread([this] { run(); });
}

callSearch::~callSearch()
{
    cancel();
    wait();
}

void callSearch::wait()
{
    if (worker.joinable())
        worker.join();
}

void callSearch::takeHits(std::vector<callHit>& out) const
{
    std::lock_guard<std::mutex> hold(lock);
    if (out.size() < hits.size())
        out.insert(out.end(), hits.begin() + static_cast<std::ptrdiff_t>(out.size()), hits.end());
}

std::vector<std::string> callSearch::unreadableCatalogs() const
{
    std::vector<std::string> paths;
    if (finished())
        for (const timeline* line : lines)
            line->unreadableCatalogs(from, to, paths);
    return paths;
}

void callSearch::run()
{
    // The unread catalogs in the order the search will need them; the loader
    // is asked for those of the next two steps, so it reads ahead without
    // being left with years of work when the search is cancelled.
    std::vector<catalogEntry*> unread;
    for (const timeline* line : lines)
        line->unreadEntries(from, to, unread);
    std::stable_sort(unread.begin(), unread.end(),
                     [](const catalogEntry* a, const catalogEntry* b) { return a->start < b->start; });
    std::size_t requested = 0;
    auto requestUntil = [&](double t) {
        for (; requested < unread.size() && unread[requested]->start < t; ++requested)
            if (loader)
                loader->request(*unread[requested]);
    };

    std::vector<callHit> found;
    double step = day;
    // A range of no length is searched too: like a selection of no length, it
    // holds the calls that run across its instant.
    for (double stepFrom = from; (stepFrom < to || stepFrom == from) && !wasCancelled();
         stepFrom += step, step = std::min(step * 2, longestStep)) {
        const double stepTo = std::min(to, stepFrom + step);
        requestUntil(std::min(to, stepTo + 2 * std::min(step * 2, longestStep)));
        found.clear();
        for (const timeline* line : lines) {
            if (wasCancelled())
                break;
            // A little wider than the step, so that a call of no length on the
            // step's border is seen; each call belongs to the step in which its
            // overlap with the range begins.
            for (const recording* r : line->getRecordings(std::max(from, stepFrom - 1), std::min(to, stepTo + 1))) {
                const double s = toSeconds(r->start), e = toSeconds(r->end);
                const double begins = std::max(s, from);
                if (to > s && from < e && begins >= stepFrom && (begins < stepTo || stepTo >= to) &&
                    filter.matches(*r))
                    found.push_back(callHit{line, r});
            }
        }
        if (wasCancelled())
            break;
        std::stable_sort(found.begin(), found.end(), [](const callHit& a, const callHit& b) {
            return a.call->start.GetValue() < b.call->start.GetValue();
        });
        {
            std::lock_guard<std::mutex> hold(lock);
            hits.insert(hits.end(), found.begin(), found.end());
        }
        searched.store(to > from ? (stepTo - from) / (to - from) : 1, std::memory_order_relaxed);
    }
    done.store(true, std::memory_order_release);
}
