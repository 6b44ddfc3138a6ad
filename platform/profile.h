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
// same file rules (see profile_portable.cpp for the list).
#include <cstddef>

unsigned long readProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* fileName);
