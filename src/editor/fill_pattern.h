#pragma once

// The fill and swap kinds of the fill worker as pure byte producers and transforms, so every
// pattern can be checked and measured without a file.

#include <cstdint>
#include <span>

namespace zelmo::editor {

enum FillKind : int {
    FillNone = 0,
    FillConstByte = 1,
    FillConstWord = 2,
    FillRandom = 3,
    FillSeqBytes = 4,
    FillSeqWords = 5,
    FillTest512 = 6,
    FillSeqDWords = 7,
    SwapBytes = 10,
    SwapWords = 11,
    SwapNibbles = 12,
    FillSeqBytesDown = 20,
    FillSeqWordsDown = 21,
    FillSeqDWordsDown = 23,
};

bool isFillKind(int kind);
bool isSwapKind(int kind);

// Largest piece the worker produces at a time for this kind: 512 for the test pattern, else
// 65536.
std::size_t fillPieceSize(int kind);

// Produces a fill pattern piece by piece; counters and the random generator run on across
// pieces, starting at the first byte of the range.
class FillGenerator {
public:
    // `seed` feeds the pseudo-random generator (kinds 3 and 6); the worker passes the calendar
    // time in seconds.
    FillGenerator(int kind, std::uint32_t value, std::uint64_t seed);

    // Writes the next out.size() bytes of the pattern. For the test pattern every call must
    // start on a 512-byte block (pieces of 512 bytes, the last one may be shorter).
    void next(std::span<std::uint8_t> out);

private:
    std::uint8_t nextRandomByte();

    int kind_;
    std::uint32_t value_;
    std::uint64_t state_;
    std::uint64_t word_ = 0;     // random bits not yet handed out
    unsigned available_ = 0;     // bytes left in word_
    std::uint64_t produced_ = 0; // bytes produced so far
};

// Applies swap kind 10, 11 or 12 in place. Pieces must start on a multiple of four bytes from
// the range start; a trailing incomplete pair or group of four is left unchanged.
void swapInPlace(int kind, std::span<std::uint8_t> bytes);

} // namespace zelmo::editor
