#pragma once
// The index of parsed catalogs kept between runs, so that a second start reads
// a compact form instead of the XML. It is only a cache: whatever is missing,
// changed, damaged or foreign is simply not found, and the catalog is parsed
// again and stored anew.
#include <string>

#include "platform/fileStamp.h"

class catalogIndex {
public:
    // An index kept in `folder` (made when first needed). An empty folder
    // gives an index that finds nothing and stores nothing.
    explicit catalogIndex(std::string folder);

    // The user's cache folder for it: $XDG_CACHE_HOME/orvista (~/.cache/orvista
    // without it); on Windows the local application-data folder.
    static std::string defaultFolder();

    // The payload stored for the catalog at `path` with exactly this stamp.
    // False when there is none, the stamp differs, or the stored data do not
    // check out. Safe to call from several threads, and while other processes
    // store.
    bool find(const std::string& path, const fileStamp& stamp, std::string& payload) const;

    // Stores (or replaces) the payload for `path` with its stamp. Failures
    // (a read-only or full disk) are silent: the next run parses again.
    void store(const std::string& path, const fileStamp& stamp, const std::string& payload) const;

    const std::string& folder() const { return where; }

private:
    std::string where;
};
