#include "editor/buffer_entry.h"

namespace zelmo::editor {

int hexDigitValue(char32_t ch) {
    if (ch >= U'0' && ch <= U'9') {
        return static_cast<int>(ch - U'0');
    }
    if (ch >= U'a' && ch <= U'f') {
        ch -= U'a' - U'A';
    }
    if (ch >= U'A' && ch <= U'F') {
        return static_cast<int>(ch - U'A') + 10;
    }
    return -1;
}

NibblePlace hexDigitPlace(unsigned cellBytes, int digit) {
    const auto index = static_cast<unsigned>(digit - 1);
    return {cellBytes - 1 - index / 2, index % 2 == 0};
}

std::uint8_t withNibble(std::uint8_t byte, bool high, int value) {
    const auto v = static_cast<unsigned>(value & 0xF);
    return static_cast<std::uint8_t>(high ? (byte & 0x0Fu) | (v << 4) : (byte & 0xF0u) | v);
}

} // namespace zelmo::editor
