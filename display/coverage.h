#pragma once
// How much of each pixel column of a channel row its calls cover. Window-free:
// times come in as positions among the columns, column x spanning [x, x + 1),
// as the row maps them (its timeToX is the whole part of a position).
#include <vector>

// One call, from and to as positions within [0, width], from <= to.
// `selected` is how the call counts when it has no length: it then covers no
// time, yet its column still has to show it.
struct coverageSpan {
    double from = 0;
    double to = 0;
    bool selected = false;
};

// Shares of one column's span: recorded within the selection, and the rest.
struct columnShare {
    double selected = 0;
    double other = 0;
    double total() const { return selected + other; }
};

// For each of `width` columns, the share of its span that the calls cover,
// overlapping calls counted once, split into the part within [selectionFrom,
// selectionTo) (positions; give an empty stretch for a line whose selection
// does not count) and the rest. A column holding any call, also one of no
// length, gets at least `least` in all, split in proportion (between calls of
// no length alone: by how many of them are selected). Sorts `spans` by start
// when they are not in that order already.
std::vector<columnShare> columnShares(std::vector<coverageSpan>& spans, int width, double selectionFrom,
                                      double selectionTo, double least = 0.25);
