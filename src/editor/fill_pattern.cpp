#include "editor/fill_pattern.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <utility>

namespace zelmo::editor {

bool isFillKind(int kind) {
    switch (kind) {
    case FillConstByte:
    case FillConstWord:
    case FillRandom:
    case FillSeqBytes:
    case FillSeqWords:
    case FillTest512:
    case FillSeqDWords:
    case FillSeqBytesDown:
    case FillSeqWordsDown:
    case FillSeqDWordsDown:
        return true;
    default:
        return false;
    }
}

bool isSwapKind(int kind) {
    return kind == SwapBytes || kind == SwapWords || kind == SwapNibbles;
}

std::size_t fillPieceSize(int kind) {
    return kind == FillTest512 ? 512 : 65536;
}

namespace {
// splitmix64: a small, fast generator of 64-bit numbers.
inline std::uint64_t splitmix64(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
} // namespace

FillGenerator::FillGenerator(int kind, std::uint32_t value, std::uint64_t seed)
    : kind_(kind), value_(value), state_(seed) {}

std::uint8_t FillGenerator::nextRandomByte() {
    // The generator's numbers are bytes: splitmix64 words taken apart low byte first, which
    // keeps the generator fast and its output uniform over 0..255.
    if (available_ == 0) {
        word_ = splitmix64(state_);
        available_ = 8;
    }
    const auto b = static_cast<std::uint8_t>(word_ & 0xFF);
    word_ >>= 8;
    --available_;
    return b;
}

namespace {

// Writes a counter pattern of cells of `width` bytes, little-endian, complemented when `down`,
// for bytes [pos, pos + out.size()) of the range.
template <typename Cell>
void counterCells(std::span<std::uint8_t> out, std::uint64_t pos, bool down) {
    constexpr std::size_t w = sizeof(Cell);
    std::size_t i = 0;
    // Finish a cell that the previous piece began.
    while (i < out.size() && (pos + i) % w != 0) {
        const std::uint64_t p = pos + i;
        Cell c = static_cast<Cell>(p / w);
        if (down) {
            c = static_cast<Cell>(~c);
        }
        out[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(c) >> (8 * (p % w)));
        ++i;
    }
    Cell c = static_cast<Cell>((pos + i) / w);
    while (i + w <= out.size()) {
        const Cell v = down ? static_cast<Cell>(~c) : c;
        for (std::size_t k = 0; k < w; ++k) {
            out[i + k] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * k));
        }
        ++c;
        i += w;
    }
    const Cell v = down ? static_cast<Cell>(~c) : c;
    for (std::size_t k = 0; i < out.size(); ++i, ++k) {
        out[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * k));
    }
}

// Repeats a period of `p` bytes (1, 2 or 4) whose phase is given by `pos`.
void repeatPeriod(std::span<std::uint8_t> out, const std::uint8_t* period, std::size_t p,
                  std::uint64_t pos) {
    if (out.empty()) {
        return;
    }
    if (p == 1) {
        std::memset(out.data(), period[0], out.size());
        return;
    }
    const std::size_t phase = static_cast<std::size_t>(pos % p);
    const std::size_t head = std::min(out.size(), p);
    for (std::size_t i = 0; i < head; ++i) {
        out[i] = period[(phase + i) % p];
    }
    // Doubling copies keep the period.
    std::size_t filled = head;
    while (filled < out.size()) {
        const std::size_t n = std::min(filled, out.size() - filled);
        std::memcpy(out.data() + filled, out.data(), n);
        filled += n;
    }
}

} // namespace

void FillGenerator::next(std::span<std::uint8_t> out) {
    const std::uint64_t pos = produced_;
    switch (kind_) {
    case FillConstByte: {
        const std::uint8_t b = static_cast<std::uint8_t>(value_ & 0xFF);
        repeatPeriod(out, &b, 1, pos);
        break;
    }
    case FillConstWord: {
        const std::uint8_t w[2] = {static_cast<std::uint8_t>(value_ & 0xFF),
                                   static_cast<std::uint8_t>((value_ >> 8) & 0xFF)};
        repeatPeriod(out, w, 2, pos);
        break;
    }
    case FillRandom: {
        std::size_t i = 0;
        // Hand out what is left of the current word, then whole words at once (the same byte
        // sequence as taking them one by one, low byte first).
        while (i < out.size() && (available_ != 0 || out.size() - i < 8)) {
            out[i++] = nextRandomByte();
        }
        if constexpr (std::endian::native == std::endian::little) {
            for (; i + 8 <= out.size(); i += 8) {
                const std::uint64_t z = splitmix64(state_);
                std::memcpy(out.data() + i, &z, 8);
            }
        }
        for (; i < out.size(); ++i) {
            out[i] = nextRandomByte();
        }
        break;
    }
    case FillSeqBytes:
    case FillSeqBytesDown: {
        const bool down = kind_ == FillSeqBytesDown;
        if (out.size() >= 256) {
            // One period of 256 bytes, then copies of it.
            std::uint8_t period[256];
            for (unsigned i = 0; i < 256; ++i) {
                const auto n = static_cast<std::uint8_t>(pos + i);
                period[i] = down ? static_cast<std::uint8_t>(255 - n) : n;
            }
            std::memcpy(out.data(), period, 256);
            repeatPeriod(out, out.data(), 256, 0);
        } else {
            for (std::size_t i = 0; i < out.size(); ++i) {
                const auto n = static_cast<std::uint8_t>(pos + i);
                out[i] = down ? static_cast<std::uint8_t>(255 - n) : n;
            }
        }
        break;
    }
    case FillSeqWords:
    case FillSeqWordsDown:
        counterCells<std::uint16_t>(out, pos, kind_ == FillSeqWordsDown);
        break;
    case FillSeqDWords:
    case FillSeqDWordsDown:
        counterCells<std::uint32_t>(out, pos, kind_ == FillSeqDWordsDown);
        break;
    case FillTest512: {
        // Blocks of 512 bytes: one pseudo-random value, then the block number as "%08X".
        std::size_t i = 0;
        std::uint64_t p = pos;
        while (i < out.size()) {
            const std::size_t inBlock = static_cast<std::size_t>(p % 512);
            const std::size_t n = std::min<std::size_t>(512 - inBlock, out.size() - i);
            if (inBlock == 0) {
                const std::uint8_t v = nextRandomByte();
                std::memset(out.data() + i, v, n);
                char label[16];
                std::snprintf(label, sizeof label, "%08X",
                              static_cast<unsigned>((p / 512) & 0xFFFFFFFFu));
                std::memcpy(out.data() + i, label, std::min<std::size_t>(8, n));
            } else {
                // A piece that starts inside a block continues it (the worker never does this);
                // keep the bytes defined.
                std::memset(out.data() + i, 0, n);
            }
            i += n;
            p += n;
        }
        break;
    }
    default:
        std::memset(out.data(), 0xFF, out.size());
        break;
    }
    produced_ += out.size();
}

void swapInPlace(int kind, std::span<std::uint8_t> bytes) {
    std::uint8_t* p = bytes.data();
    const std::size_t n = bytes.size();
    switch (kind) {
    case SwapBytes:
        for (std::size_t i = 0; i + 2 <= n; i += 2) {
            std::swap(p[i], p[i + 1]);
        }
        break;
    case SwapWords:
        for (std::size_t i = 0; i + 4 <= n; i += 4) {
            std::swap(p[i], p[i + 2]);
            std::swap(p[i + 1], p[i + 3]);
        }
        break;
    case SwapNibbles:
        for (std::size_t i = 0; i < n; ++i) {
            p[i] = static_cast<std::uint8_t>((p[i] << 4) | (p[i] >> 4));
        }
        break;
    default:
        break;
    }
}

} // namespace zelmo::editor
