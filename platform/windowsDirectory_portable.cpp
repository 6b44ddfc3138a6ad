#include "windowsDirectory.h"

#include <cstdlib>

std::string windowsDirectory()
{
    const char* dir = std::getenv("WINDIR");
    if (dir && *dir)
        return dir;
    return "/etc";
}
