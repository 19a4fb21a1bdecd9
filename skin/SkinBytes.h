// The byte rules that the skin package reader, the image decoder and the package writer share:
// the case fold of entry names and the little-endian 32-bit fields.
#pragma once

#include <cstdint>

// A-Z to a-z, every other character unchanged: the comparison of _stricmp in the default
// locale, for 8-bit names and wide paths alike.
template <typename Char>
constexpr Char FoldAsciiCase(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

constexpr uint32_t ReadLittleEndian32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

inline void WriteLittleEndian32(unsigned char* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}
