#pragma once
// Whether this process may change a file, asked before changing it, so that a
// program can pick another file (or tell the user) instead of failing halfway.
#include <wx/string.h>

// Whether the existing file could be opened for writing; asking changes
// nothing about it. False for a missing file and for a folder. On
// Windows a read-only attribute or an access list that denies writing makes
// it false; elsewhere the permission bits do, except for root, who may write
// any file.
bool canWriteFile(const wxString& path);
