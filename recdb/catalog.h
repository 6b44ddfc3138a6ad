#pragma once
// Reading a day's catalog ("vmk_catalog" XML) into recordings.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "recdb/localCalendar.h"
#include "recdb/timeline.h"

class catalogIndex;

// Loads the entry's catalog unless it was loaded before. A catalog that cannot
// be read leaves the entry with an empty list (the reader reports why through
// the log, as wx's XML loader words it) and is not read again by this entry;
// a new timeline (a new start, a Refresh) reads it and reports it again.
//
// Any thread may call it: one of them reads the catalog, the others wait until
// it is there. With an `index` (a loader's, see catalogLoader), an unchanged
// catalog that was read well before is taken from it instead of being parsed,
// and one that is parsed is stored in it; null for none.
void loadCatalog(catalogEntry& entry, const catalogIndex* index = nullptr);

// For a reader that moved the entry to `loading` itself: reads the catalog (with
// `index`, as loadCatalog) and publishes the recordings (the entry is then
// `loaded`).
void readClaimedCatalog(catalogEntry& entry, const catalogIndex* index);

// Reads a catalog's bytes as wx's XML loader would and appends its recordings
// (nothing unless it is well-formed XML). False, with `error` worded as wx's
// loader words it, when it is not well-formed. With `packed`, also gives the
// compact form the index keeps (only when the catalog was read), and with
// `leansOnToday` whether a call's start lies on the day of reading (a "time"
// without a "date"), so that a summary of the day holds only today.
bool readCatalog(const char* bytes, std::size_t size, std::vector<recording>& list, std::string& error,
                 std::string* packed = nullptr, bool* leansOnToday = nullptr);

// readCatalog for the start and end of each call alone: the recordings have
// no properties. For a day's summary, at a fraction of the cost.
bool readCatalogTimes(const char* bytes, std::size_t size, std::vector<recording>& list, std::string& error,
                      bool& leansOnToday);

// Makes the entry's day summary unless it is made already, without keeping
// the recordings: from the index (an unchanged catalog whose summary was made
// for the same day in the same time zone), from the recordings when they are
// read anyway, or by reading the catalog's times (readCatalogTimes); a summary
// made by reading is stored in the index. A catalog that cannot be read gives
// a summary without calls and counts as read (with its error reported once,
// as loadCatalog reports it). Any thread may call it; as with loadCatalog, one
// makes it and the others wait.
void loadSummary(catalogEntry& entry, const catalogIndex* index = nullptr);

// For a reader that moved the entry's summary to `loading` itself.
void makeClaimedSummary(catalogEntry& entry, const catalogIndex* index);

// Appends the recordings of a compact form: the same a fresh read of the
// catalog would give now, in the time zone and on the day of now, as the form
// keeps the catalog's dates and times as written. Every count and offset is
// checked: false for anything damaged, with `list` unchanged. `leansOnToday`
// as for readCatalog.
bool unpackCatalog(const char* bytes, std::size_t size, std::vector<recording>& list, bool* leansOnToday = nullptr);

// How a catalog that is not well-formed is reported.
wxString catalogTrouble(const std::string& path, const std::string& reason);

// The day a catalog's "time" without a "date" is taken to fall on: today, as
// the system's clock and the local time zone tell, unless `today` is given
// (tests; it may be called on any thread). Null puts the system's clock back.
void useCatalogClock(std::function<civilDate()> today);
