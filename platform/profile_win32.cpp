// On Windows the profile API itself reads the file.
#include "profile.h"

#include <windows.h>

unsigned long readProfileString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, unsigned long size, const char* fileName)
{
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}
