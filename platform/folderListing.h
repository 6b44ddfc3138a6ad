#pragma once
// What the remembering walk (directoryWalk.cpp) asks of the system, one call
// each; one source per system (directoryWalk_posix.cpp, directoryWalk_win32.cpp).
#include <string>
#include <vector>

#include "platform/directoryWalk.h"

enum class pathKind { nothing, file, folder };

// What `path` leads to, links followed: a folder (and its stamp), a regular
// file, or nothing the walk takes (missing, a dangling link, a pipe, a device).
pathKind lookAtPath(const std::string& path, folderStamp& stamp);

// The entries of a folder in the order the system lists them, "." and ".."
// left out, and so is what can never be a file or a folder (a pipe, a socket, a
// device). False when the folder cannot be listed. `keepable` is set false
// when the listing left out a name the program cannot hold (Windows: half of
// a UTF-16 pair), so that it is not kept and the warning comes at every walk.
bool listFolder(const std::string& folder, std::vector<listedEntry>& entries, bool& keepable);

// Whether the walk checks every folder against the folders it is in (POSIX,
// where a bind mount can loop without a link), or only folders reached through
// a link (Windows, where a folder without one cannot loop, and some servers
// give every folder the same identity).
bool checksEveryFolderForLoops();

// The folder path and a name in it, as the full walk joins them.
std::string joinPath(const std::string& folder, const std::string& name);
