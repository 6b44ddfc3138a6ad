#pragma once
// Whole files: putting a freshly written file in place of another in one step,
// so that a reader (or a crash) sees either the old file or the new one, never
// half of it; and reading one.
#include <cstddef>
#include <vector>

#include <wx/string.h>

class wxFile;

// Moves `newFile` over `target`, replacing it. The new file takes the old one's
// access rights where the system has them (a new file's usual ones when there
// was none). False (with `error` set) when the
// move failed; `newFile` is then left where it was.
bool replaceFile(const wxString& newFile, const wxString& target, wxString& error);

// Makes a new, empty file whose name is `prefix` followed by six random
// letters and digits, opens it for writing in `file` and returns its name;
// "" when no such file can be made. Never an existing file, and the folder may
// have any length (Windows' own call for this refuses long folders).
wxString createTemporaryFile(const wxString& prefix, wxFile& file);

// Removes what a killed run left of createTemporaryFile(prefix): files named
// `prefix` and six letters or digits, unchanged for five minutes (a run still
// writing one keeps it changing). Nothing else of the folder is touched.
void removeStaleTemporaries(const wxString& prefix);

// Reads a whole file; false when it cannot be read.
bool readFileBytes(const wxString& path, std::vector<char>& bytes);

// The file a path names at the end of its symbolic links (the path itself
// when it is no link, or where links are not followed: Windows).
wxString linkedFile(const wxString& path);

// Writes `bytes` to a new file beside `path`, flushes it to the disk and moves
// it over `path`. Where `path` is a symbolic link (a settings file kept with
// others in a folder of its own), the file it leads to is replaced and the
// link stays. On failure `path` is as it was, the new file is gone, and
// `error` says why. A cache that checks its own files can skip waiting for the
// disk (`durable` false): after a power cut it may find a damaged file, never
// a half-replaced one.
bool writeFileReplacing(const wxString& path, const void* bytes, std::size_t size, wxString& error,
                        bool durable = true);
