#include "display/coverage.h"

#include <algorithm>

namespace {
// Less than this of a column is the rounding of a time on its boundary, not a
// call in it: a call ending where a column begins must leave that column dark.
constexpr double sliver = 1e-9;

// Adds the stretch [from, to) to the part of each column it covers.
void addStretch(std::vector<columnShare>& shares, double columnShare::*part, double from, double to)
{
    if (!(from < to))
        return;
    const int width = static_cast<int>(shares.size());
    const int first = static_cast<int>(from), last = static_cast<int>(to);
    if (first == last) {
        shares[first].*part += to - from;
        return;
    }
    shares[first].*part += first + 1 - from;
    for (int x = first + 1; x < last; ++x)
        shares[x].*part += 1;
    if (last < width)
        shares[last].*part += to - last;
}
}

std::vector<columnShare> columnShares(std::vector<coverageSpan>& spans, int width, double selectionFrom,
                                      double selectionTo, double least)
{
    std::vector<columnShare> shares(static_cast<size_t>(std::max(width, 0)));
    if (shares.empty())
        return shares;
    auto byStart = [](const coverageSpan& a, const coverageSpan& b) { return a.from < b.from; };
    if (!std::is_sorted(spans.begin(), spans.end(), byStart))
        std::sort(spans.begin(), spans.end(), byStart);

    // One stretch of the union at a time, cut where the selection begins and ends.
    auto addUnion = [&](double from, double to) {
        const double in = std::max(from, selectionFrom), out = std::min(to, selectionTo);
        if (in < out) {
            addStretch(shares, &columnShare::other, from, in);
            addStretch(shares, &columnShare::selected, in, out);
            addStretch(shares, &columnShare::other, out, to);
        } else {
            addStretch(shares, &columnShare::other, from, to);
        }
    };
    // Calls of no length, counted by column: selected ones and others.
    std::vector<std::pair<int, int>> flat;
    bool open = false;
    double from = 0, to = 0;
    for (const coverageSpan& s : spans) {
        if (s.from == s.to) {
            const int x = static_cast<int>(s.from);
            if (x >= width)
                continue; // where the row ends: no column shows it
            if (flat.empty())
                flat.resize(shares.size());
            ++(s.selected ? flat[x].first : flat[x].second);
            continue;
        }
        if (open && s.from <= to) {
            to = std::max(to, s.to);
            continue;
        }
        if (open)
            addUnion(from, to);
        open = true;
        from = s.from;
        to = s.to;
    }
    if (open)
        addUnion(from, to);

    for (size_t x = 0; x < shares.size(); ++x) {
        columnShare& share = shares[x];
        const double total = share.total();
        if (total > sliver) {
            if (total < least) {
                share.selected *= least / total;
                share.other *= least / total;
            }
        } else if (!flat.empty() && flat[x].first + flat[x].second > 0) {
            share.selected = least * flat[x].first / (flat[x].first + flat[x].second);
            share.other = least - share.selected;
        } else {
            share = columnShare();
        }
    }
    return shares;
}
