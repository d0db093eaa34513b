#pragma once

// Table-driven conversion between text digits and values, shared by the record readers and
// writers. A lookup per character keeps the hot loops free of range comparisons.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

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

// The bytes of a run of hexadecimal digit pairs in a record line.
struct DigitPairs {
    const char* next = nullptr; // the first character after the run
    std::size_t count = 0;      // bytes decoded
    unsigned sum = 0;           // their sum, for the record checksum
};

// Decodes digit pairs from `q` into `bytes` until a character that is not a hexadecimal digit,
// a lone last digit, the end of the text or a full `bytes`.
inline DigitPairs decodeDigitPairs(const char* q, const char* end, std::span<std::uint8_t> bytes) {
    // One bound per pair: the pairs the text holds or the room in `bytes`, whichever ends first.
    std::uint8_t* out = bytes.data();
    std::uint8_t* const last =
        out + std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(end - q) / 2);
    unsigned sum = 0;
    while (out < last) {
        const unsigned hi = kHexValue[static_cast<unsigned char>(q[0])];
        const unsigned lo = kHexValue[static_cast<unsigned char>(q[1])];
        if ((hi | lo) > 15) {
            break;
        }
        const unsigned b = (hi << 4) | lo;
        *out++ = static_cast<std::uint8_t>(b);
        sum += b;
        q += 2;
    }
    return {q, static_cast<std::size_t>(out - bytes.data()), sum};
}

// The first line break at or after `p`, or `end`.
inline const char* findLineEnd(const char* p, const char* end) {
    while (p < end && !isLineBreak(*p)) {
        ++p;
    }
    return p;
}

} // namespace zelmo::formats
