#pragma once
// The table of pictures compiled into the executable on systems without Windows
// resources. Generated at build time from the PNG files in resources/pictures.
#include <cstddef>

namespace embeddedResources {
struct entry {
    int id;
    const unsigned char* data;
    std::size_t size;
};
extern const entry table[];
extern const std::size_t count;
}
