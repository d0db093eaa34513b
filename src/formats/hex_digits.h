#pragma once

// Table-driven conversion between text digits and values, shared by the record readers and
// writers. A lookup per character keeps the hot loops free of range comparisons.

#include <array>
#include <cstdint>

namespace zelmo::formats {

inline constexpr std::uint8_t kNotHex = 0xFF;

// Value of a hexadecimal digit (either case), or kNotHex.
inline constexpr std::array<std::uint8_t, 256> kHexValue = [] {
    std::array<std::uint8_t, 256> t{};
    for (auto& v : t) {
        v = kNotHex;
    }
    for (int c = '0'; c <= '9'; ++c) {
        t[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - '0');
    }
    for (int c = 'A'; c <= 'F'; ++c) {
        t[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c - 'A' + 10);
        t[static_cast<std::size_t>(c + 32)] = static_cast<std::uint8_t>(c - 'A' + 10);
    }
    return t;
}();

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// The two upper-case digits of every byte value, for writers.
inline constexpr std::array<std::array<char, 2>, 256> kHexPair = [] {
    std::array<std::array<char, 2>, 256> t{};
    for (int b = 0; b < 256; ++b) {
        t[static_cast<std::size_t>(b)] = {kHexDigits[b >> 4], kHexDigits[b & 15]};
    }
    return t;
}();

inline std::uint8_t hexValue(char c) {
    return kHexValue[static_cast<unsigned char>(c)];
}

inline bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

} // namespace zelmo::formats
