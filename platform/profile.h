#pragma once
// Reading INI files with the contract of the Windows profile API.
//
// readProfileString behaves like GetPrivateProfileStringA: with section and key it
// copies the value; with key == nullptr the section's key names, with
// section == nullptr the file's section names, each list as NUL-terminated names
// ended by one more NUL. The result is truncated to fit `size` bytes and the
// return value is the number of characters copied, not counting the final NUL
// (size - 1 for a truncated value, size - 2 for a truncated list).
//
// On Windows this is the system call itself; elsewhere a parser that follows the
// same file rules (see profile_portable.cpp for the list). Where Windows is
// unhelpful or undocumented the portable parser makes its own choices, which
// callers must not count on from Windows:
//  - Ask for lists with the default "". (For a missing section or file the
//    portable parser gives an empty list whatever the default; Windows may copy
//    the default in instead.)
//  - A list may hold empty names on Windows (a "[]" section, a "=value" entry),
//    which read like the list's end: walk it by the returned length. The
//    portable parser leaves them out.
//  - Windows reads at most 65535 characters of a value, UTF-16 only little
//    endian, and a UTF-8 byte order mark as part of the first line; the
//    portable parser has no limit, reads big endian too and skips the mark.
//    Text from a UTF-16 file comes in the program's narrow encoding: the ANSI
//    code page on Windows, UTF-8 elsewhere.
//  - Windows' ANSI function may crash on an empty section or key name (Wine's
//    conformance tests, run on Windows, ask for those only through the wide
//    function): do not ask for one.
#include <cstddef>

unsigned long readProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* fileName);
