#pragma once
// The index of parsed catalogs kept between runs, so that a second start reads
// a compact form instead of the XML. It is only a cache: whatever is missing,
// changed, damaged or foreign is simply not found, and the catalog is parsed
// again and stored anew.
//
// The catalogs of one line share one file, to which entries are appended:
// making a file per day costs more than parsing the day (a year of eight lines
// is 2,920 catalogs). Each entry carries its own checksum, so a torn or
// interleaved append is never trusted; a file with more superseded entries
// than live ones is rewritten whole, under a new name moved into place.
#include <memory>
#include <string>

#include "platform/fileStamp.h"

class catalogIndex {
public:
    // What is kept of a catalog: its compact form, or the summary of its day.
    // Each kind has files of its own, so that a long view reads only the
    // small summaries.
    enum class kind { catalog, summary };

    // An index kept in `folder` (made when first needed). An empty folder
    // gives an index that finds nothing and stores nothing.
    explicit catalogIndex(std::string folder);

    // The payload stored for the catalog at `path` with exactly this stamp.
    // False when there is none, the stamp differs, or the stored data do not
    // check out. Safe to call from several threads, and while other processes
    // store.
    bool find(const std::string& path, const fileStamp& stamp, std::string& payload,
              kind what = kind::catalog) const;

    // Stores (or replaces) the payload for `path` with its stamp. Failures
    // (a read-only or full disk) are silent: the next run parses again.
    void store(const std::string& path, const fileStamp& stamp, const std::string& payload,
               kind what = kind::catalog) const;

    // As store, but the entry may wait in memory until more have come or
    // flush is called (at the latest when the last copy of the index goes):
    // reading thousands of days, one write for each would cost more than the
    // reading. Find answers for it meanwhile.
    void storeSoon(const std::string& path, const fileStamp& stamp, const std::string& payload,
                   kind what = kind::catalog) const;
    // Writes what storeSoon keeps.
    void flush() const;

    const std::string& folder() const { return where; }

    // The file that holds the entries of a catalog's group (the catalogs of
    // one line: the folder above their day folders). For tests.
    std::string groupFile(const std::string& catalogPath, kind what = kind::catalog) const;

private:
    // Adds the entry to what waits for its group file, and writes that now
    // (or once it has grown).
    void keep(const std::string& path, const fileStamp& stamp, const std::string& payload, kind what,
              bool writeNow) const;
    struct tables;
    std::string where;
    std::shared_ptr<tables> known; // what was learned of each group's file
};
