#pragma once
// What the scan of a line's folder found (its folders, and the catalog names
// in each, in the order the walk found them), kept beside the catalog index
// (catalogIndex.h) for the next start. A logger with years of day folders is
// then listed only where something changed: an unchanged folder is looked at,
// not listed, and its entries come from here (platform/directoryWalk.h).
//
// Like the index it is only a cache. A file that is missing, damaged, of
// another version or made for another folder is not used, and the folder is
// listed in full; a file that cannot be written (a read-only or full disk)
// leaves the next start to list again. Each line's file is written whole under
// a new name and moved into place, so a process that reads it while another
// writes sees one of the two, never a mix.
#include <functional>
#include <string>

#include "platform/directoryWalk.h"

class catalogIndex;

// Calls onFile for each file below `directory` that may be a catalog (a name
// ending in ".xml", in any case), as walkDirectory would and in its order.
// With an index (that has a folder) the listings of unchanged folders are
// taken from its folder, and what was listed is kept there for the next scan.
// `counts`, when given, is added to.
void scanCatalogFolders(const std::string& directory, const catalogIndex* index,
                        const std::function<void(const std::string& path)>& onFile, walkCounts* counts = nullptr);

// The file in the index's folder that keeps the scan of `directory`. For tests.
std::string scanCacheFile(const catalogIndex& index, const std::string& directory);
