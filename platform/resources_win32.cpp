#include "resources.h"

#include <windows.h>

bool findResource(int id, const unsigned char*& data, std::size_t& size)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded)
        return false;
    data = static_cast<const unsigned char*>(LockResource(loaded));
    size = SizeofResource(nullptr, found);
    return data != nullptr;
}
