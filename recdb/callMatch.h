#pragma once
// Finding calls by the caller's number: the query language shared by the find
// panel and orvista-cli.
//
// A query is a list of patterns separated by commas; a call matches when any
// pattern without "!" matches its label (or when there is none) and no pattern
// with a leading "!" does. A pattern matches the whole label: "*" stands for
// any run of characters, "?" for one character; letters match in either case.
// Numbers are compared as numbers: when the pattern has nothing but digits,
// wildcards, blanks, "-", ".", "/", brackets and a leading "+" or "00", those
// separators are ignored in pattern and label alike and a leading "+" counts as
// "00", so "+49 30 123" finds "004930123" and "0049-30-123".
#include <string>
#include <vector>

class recording;

class callQuery {
public:
    callQuery() = default;
    explicit callQuery(const std::string& text);

    bool matches(const std::string& label) const;
    // Neither wanted nor excluded patterns: every call matches.
    bool empty() const { return wanted.empty() && excluded.empty(); }

    // One pattern against one label, as the query compares them.
    static bool patternMatches(const std::string& pattern, const std::string& label);

private:
    struct pattern {
        std::string text;   // as written, the runs of "*" made one
        std::string number; // the digits and wildcards of a number pattern; empty otherwise
    };
    static pattern compile(const std::string& text);
    static bool matchesOne(const pattern& p, const std::string& label, const std::string& labelNumber);

    std::vector<pattern> wanted;
    std::vector<pattern> excluded;
};

// A query and the call's length in seconds (a bound below 0 is no bound).
struct callFilter {
    callQuery query;
    double minLength = -1;
    double maxLength = -1;

    bool matches(const recording& r) const;
};
