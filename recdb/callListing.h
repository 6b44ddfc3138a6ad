#pragma once
// Calls as text: the fields of orvista-cli's listings and of the find panel's
// list, Copy results and Export results, so all of them write a call alike.
#include <string>
#include <vector>

#include <wx/datetime.h>

#include "recdb/callSearch.h"

// A field of a tab-separated line: tab, line feed, carriage return and
// backslash are written \t, \n, \r and \\, so text from a catalog can never
// split a record or forge one.
std::string tabField(const std::string& text);
// A field of a comma-separated file: quoted, with its quotes doubled, when it
// holds a comma, a quote, a line break or a blank at either end.
std::string csvField(const std::string& text);

// Local time as "2024-01-15 08:00:00"; empty for an invalid time.
std::string listingTime(const wxDateTime& when);
// A length of seconds as "h:mm:ss" (rounded down to whole seconds).
std::string lengthText(double seconds);

// The columns of a call in the find panel's list and its exports.
enum class callColumn { line, start, end, length, label, file };
const std::vector<std::string>& callColumnTitles();
std::string callColumnText(const callHit& hit, callColumn column);

// The list with a header line: tab-separated (fields as tabField) or as CSV.
std::string hitsAsTabText(const std::vector<callHit>& hits);
std::string hitsAsCsv(const std::vector<callHit>& hits);
