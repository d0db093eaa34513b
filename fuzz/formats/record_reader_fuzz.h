#pragma once

// Feeds arbitrary text to a record reader, whole and in two pieces, into a small memory whose
// neighbours must stay untouched; both ways must give the same bytes, result and message.

#include "formats/record_reader.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

template <typename Reader> int fuzzRecordReader(const std::uint8_t* data, std::size_t size) {
    using namespace zelmo::formats;
    if (size < 3) {
        return 0;
    }
    // The first bytes choose the memory size and the offsets.
    const std::size_t memSize = data[0] * 4u + 1;
    const RecordLoadSettings settings{memSize, static_cast<std::int8_t>(data[1]) * 3,
                                      static_cast<std::int64_t>(data[2]) << 4};
    const char* text = reinterpret_cast<const char*>(data + 3);
    const std::size_t length = size - 3;

    std::vector<std::uint8_t> whole(memSize + 2, 0xA5), split(memSize + 2, 0xA5);
    const std::vector<std::span<std::uint8_t>> a{std::span(whole).subspan(1, memSize)};
    Reader reader(a, settings);
    std::size_t consumed = 0;
    const ParseStep step = reader.parse(std::span(text, length), true, consumed);

    const std::vector<std::span<std::uint8_t>> b{std::span(split).subspan(1, memSize)};
    Reader pieces(b, settings);
    const std::size_t cut = length / 2;
    ParseStep s2 = pieces.parse(std::span(text, cut), false, consumed);
    if (s2 == ParseStep::More) {
        std::vector<char> rest(text + consumed, text + length);
        s2 = pieces.parse(rest, true, consumed);
    }
    if (whole.front() != 0xA5 || whole.back() != 0xA5 || s2 != step || whole != split ||
        pieces.message() != reader.message()) {
        std::abort();
    }
    return 0;
}
