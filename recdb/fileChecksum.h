#pragma once
// What the cache folder's files share: the checksum every record carries
// (64-bit FNV-1a), and the hexadecimal text of a hash that names a line's
// files.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::uint64_t fnvOffset = 14695981039346656037ull;

inline std::uint64_t fnv1a(const char* bytes, std::size_t size, std::uint64_t hash = fnvOffset)
{
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(bytes[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Sixteen lower-case hexadecimal digits.
inline std::string hexOf(std::uint64_t value)
{
    static const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = digits[value & 0xf];
    return text;
}
