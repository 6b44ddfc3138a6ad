#include "resources.h"

#include "resources/embedded.h"

bool findResource(int id, const unsigned char*& data, std::size_t& size)
{
    for (std::size_t i = 0; i < embeddedResources::count; ++i) {
        const embeddedResources::entry& e = embeddedResources::table[i];
        if (e.id == id) {
            data = e.data;
            size = e.size;
            return true;
        }
    }
    return false;
}
