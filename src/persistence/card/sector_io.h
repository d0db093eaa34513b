#pragma once

// Sector transfers of the card image. The writer hands out the image's sectors in order and
// writes only inside the regions it handed out; the reader reads only below a limit (the card's
// size, then the image's). Both move at most 256 sectors (128 KiB) per library call.

#include "persistence/card/card_layout.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zelmo::card {

class CardLibrary;

inline constexpr std::uint32_t kSectorsPerTransfer = 256;

// Consecutive sectors of the image.
struct SectorRegion {
    std::uint32_t First = 0;
    std::uint32_t Count = 0;
};

class SectorWriter {
public:
    SectorWriter(CardLibrary& library, std::int32_t port) : library_(library), port_(port) {}

    // The next `count` free sectors; none when the image would pass the last sector number a
    // 32-bit field can name.
    std::optional<SectorRegion> Reserve(std::uint64_t count);
    // Writes `bytes` (whole sectors) from `offset` sectors into `region`. False, writing
    // nothing, when that would leave the region or the region was never reserved.
    bool Write(const SectorRegion& region, std::uint64_t offset,
               std::span<const std::uint8_t> bytes);
    bool Write(const SectorRegion& region, const Sector& sector) {
        return Write(region, 0, sector);
    }
    // The first sector not yet reserved: the size of the image so far.
    std::uint32_t Next() const { return next_; }

private:
    CardLibrary& library_;
    std::int32_t port_;
    std::uint32_t next_ = 0;
};

class SectorReader {
public:
    SectorReader(CardLibrary& library, std::int32_t port, std::uint64_t limit)
        : library_(library), port_(port), limit_(limit) {}

    // Reads whole sectors from `first` into `bytes`; false, reading nothing, when any of them
    // lies at or beyond the limit, and false when the library reports a failed read.
    bool Read(std::uint64_t first, std::span<std::uint8_t> bytes);
    bool Read(std::uint64_t first, Sector& sector) { return Read(first, std::span(sector)); }
    // True when `count` sectors from `first` lie below the limit.
    bool Inside(std::uint64_t first, std::uint64_t count) const {
        return first <= limit_ && count <= limit_ - first;
    }
    // Only narrows: a limit read from the image never widens what the card allows.
    void Narrow(std::uint64_t limit) {
        if (limit < limit_) {
            limit_ = limit;
        }
    }
    std::uint64_t Limit() const { return limit_; }

private:
    CardLibrary& library_;
    std::int32_t port_;
    std::uint64_t limit_;
};

} // namespace zelmo::card
