// On Windows the profile API itself reads the file.
#include "profile.h"

#include <string>

#include <windows.h>

unsigned long readProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* fileName)
{
    // Some Windows versions crash on an empty section or key name in read-only
    // memory (a string literal), so the function gets writable copies.
    std::string sectionCopy(section ? section : ""), keyCopy(key ? key : "");
    return GetPrivateProfileStringA(section ? &sectionCopy[0] : nullptr, key ? &keyCopy[0] : nullptr, defaultValue,
                                    buffer, size, fileName);
}
