#pragma once
// Walking a folder tree in the order of wxDir::Traverse with the flags
// wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN: in each folder its sub-folders first,
// each walked completely (depth first), then its own files, each group in the
// order the system lists it; hidden entries included. Folders that cannot be
// opened contribute nothing.
//
// Unlike wxDir it lists each folder once and takes the kind of each entry from
// the listing itself instead of asking the file system about every name, which
// makes a scan of tens of thousands of day folders several times faster.
// Symbolic links are followed, but a link back into a folder being walked is not
// entered again.
//
// Only regular files (and links to them) are reported: a named pipe, socket or
// device may carry any name, and opening one can block or read endlessly.
#include <functional>
#include <string>

// Calls onFile with the full path (folder path, separator, name) of every
// regular file.
void walkDirectory(const std::string& root, const std::function<void(const std::string& path)>& onFile);
