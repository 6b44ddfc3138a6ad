#pragma once
// Pictures embedded in the executable, addressed by number (RCDATA on Windows,
// a table compiled in from resources/ elsewhere).
#include <cstddef>

// Returns false when no resource has that number.
bool findResource(int id, const unsigned char*& data, std::size_t& size);
