#pragma once

// Where typed hex digits and characters land in a cell. Cells are little-endian in the buffer
// and typed most significant digit first, so the first two digits of a 16-bit cell go to byte
// a + 1 and the next two to byte a; a 32-bit cell fills bytes a + 3 down to a.

#include <cstdint>

namespace zelmo::editor {

inline constexpr char32_t kEnter = U'\r';
inline constexpr char32_t kEscape = U'\x1B';

// The value of a hex digit ("0" to "9", "A" to "F", lower case accepted), or -1.
int hexDigitValue(char32_t ch);

struct NibblePlace {
    unsigned Offset = 0; // byte within the cell, from its first (lowest) byte
    bool High = true;    // the high nibble of that byte
};
// Place of digit `digit` (1-based) of a cell of `cellBytes` bytes: odd digits are high nibbles,
// even ones low nibbles, the most significant byte first.
NibblePlace hexDigitPlace(unsigned cellBytes, int digit);
// Byte within the cell that character `n` (1-based) goes to: the most significant first.
inline unsigned charPlace(unsigned cellBytes, int n) {
    return cellBytes - static_cast<unsigned>(n);
}
// `byte` with one nibble replaced by `value`; the other nibble stays.
std::uint8_t withNibble(std::uint8_t byte, bool high, int value);

} // namespace zelmo::editor
