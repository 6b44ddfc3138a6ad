#pragma once
// Copying one file's bytes with the system's own copy facility, in chunks, so
// that the caller can show progress and stop a long copy between chunks.
#include <cstdint>
#include <functional>

#include <wx/string.h>

enum class copyOutcome { copied, stopped, failed };

// Copies `source` into `target`, which is created or truncated. After each chunk
// (a few MiB) `progress` gets the bytes copied of this file so far; when it
// returns false the copy stops and the outcome is `stopped`. On `failed`,
// `error` says why. Either way a partial target is left for the caller to
// remove.
copyOutcome copyFileContents(const wxString& source, const wxString& target,
                             const std::function<bool(std::uint64_t copied)>& progress, wxString& error);

// Creates a new folder with a unique name that starts with `prefix` (a path),
// readable by the user only; returns its path, or an empty string on failure.
// Made in one step, so nobody else can have put a folder or link there first.
wxString makeUniqueFolder(const wxString& prefix);
