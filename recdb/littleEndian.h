#pragma once
// Numbers in files, little-endian whatever the machine: the index's files and
// the compact catalogs it keeps, and the demo archive's audio headers.
#include <cstdint>
#include <string>

inline void putLittleEndian(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::uint64_t getLittleEndian(const char* in, int bytes)
{
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(in[i]);
    return value;
}
