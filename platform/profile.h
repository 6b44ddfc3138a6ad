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
// On every system this is the program's own parser of the same file rules (see
// profile.cpp for the list): on Windows the system's functions would read a
// file without a byte order mark in this process's code page (UTF-8), not the
// machine's one that the logger writes. Where Windows is unhelpful or
// undocumented the parser makes its own choices, so a caller that also reads
// with Windows' own functions should not count on them:
//  - Ask for lists with the default "". (For a missing section or file the
//    parser gives an empty list whatever the default; Windows may copy the
//    default in instead.)
//  - A list may hold empty names on Windows (a "[]" section, a "=value" entry),
//    which read like the list's end: walk it by the returned length. The
//    parser leaves them out.
//  - Windows reads at most 65535 characters of a value, UTF-16 only little
//    endian, and a UTF-8 byte order mark as part of the first line; the
//    parser has no limit, reads big endian too and skips the mark.
//  - Text comes in the program's narrow encoding, UTF-8: from UTF-16 and from
//    the machine's ANSI code page converted, UTF-8 as it is.
#include <cstddef>

unsigned long readProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* fileName);
