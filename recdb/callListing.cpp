#include "recdb/callListing.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "platform/narrow.h"
#include "recdb/timeValue.h"

std::string tabField(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string csvField(const std::string& text)
{
    const bool quoted = text.find_first_of(",\"\r\n") != std::string::npos ||
                        (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quoted)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string listingTime(const wxDateTime& when)
{
    return when.IsValid() ? toNarrow(when.Format("%Y-%m-%d %H:%M:%S")) : std::string();
}

std::string lengthText(double seconds)
{
    if (!(seconds >= 0))
        seconds = 0;
    const std::int64_t whole = static_cast<std::int64_t>(std::floor(std::min(seconds, 9.2e18)));
    char text[40];
    std::snprintf(text, sizeof text, "%" PRId64 ":%02d:%02d", whole / 3600, static_cast<int>(whole / 60 % 60),
                  static_cast<int>(whole % 60));
    return text;
}

const std::vector<std::string>& callColumnTitles()
{
    static const std::vector<std::string> titles = {"Line", "Start", "End", "Length", "Label", "File"};
    return titles;
}

std::string callColumnText(const callHit& hit, callColumn column)
{
    const recording& r = *hit.call;
    switch (column) {
    case callColumn::line:
        return hit.line->getName();
    case callColumn::start:
        return listingTime(r.start);
    case callColumn::end:
        return listingTime(r.end);
    case callColumn::length:
        return lengthText(toSeconds(r.end) - toSeconds(r.start));
    case callColumn::label:
        return r.label();
    case callColumn::file:
        return r.fileName();
    }
    return std::string();
}

namespace {
template <typename Field>
std::string listing(const std::vector<callHit>& hits, char separator, const char* lineEnd, Field field)
{
    std::string out;
    const std::vector<std::string>& titles = callColumnTitles();
    auto row = [&](auto text) {
        for (std::size_t c = 0; c < titles.size(); ++c) {
            if (c > 0)
                out += separator;
            out += field(text(c));
        }
        out += lineEnd;
    };
    row([&](std::size_t c) { return titles[c]; });
    for (const callHit& hit : hits)
        row([&](std::size_t c) { return callColumnText(hit, static_cast<callColumn>(c)); });
    return out;
}
}

std::string hitsAsTabText(const std::vector<callHit>& hits)
{
    return listing(hits, '\t', "\n", tabField);
}

std::string hitsAsCsv(const std::vector<callHit>& hits)
{
    // Spreadsheets take line ends of CR LF in CSV on every system.
    return listing(hits, ',', "\r\n", csvField);
}
