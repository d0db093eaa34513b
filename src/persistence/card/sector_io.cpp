#include "persistence/card/sector_io.h"

#include "persistence/card/card_library.h"
#include "platform/piece_loop.h"

#include <limits>

namespace zelmo::card {

namespace {
constexpr std::uint64_t kSectorNumbers = std::uint64_t{std::numeric_limits<std::uint32_t>::max()};
constexpr std::size_t kTransferBytes = kSectorsPerTransfer * kSectorSize;
} // namespace

std::optional<SectorRegion> SectorWriter::Reserve(std::uint64_t count) {
    if (count > kSectorNumbers - next_) {
        return std::nullopt;
    }
    const SectorRegion region{next_, static_cast<std::uint32_t>(count)};
    next_ += static_cast<std::uint32_t>(count);
    return region;
}

bool SectorWriter::Write(const SectorRegion& region, std::uint64_t offset,
                         std::span<const std::uint8_t> bytes) {
    if (bytes.size() % kSectorSize != 0) {
        return false;
    }
    const std::uint64_t count = bytes.size() / kSectorSize;
    const bool reserved = region.First <= next_ && region.Count <= next_ - region.First;
    if (!reserved || offset > region.Count || count > region.Count - offset) {
        return false;
    }
    const std::uint64_t first = region.First + offset;
    return platform::forEachPiece(
               bytes.size(), kTransferBytes, [&](std::uint64_t done, std::size_t length) {
                   return library_.WriteCard(
                       port_, static_cast<std::uint32_t>(first + done / kSectorSize),
                       static_cast<std::uint32_t>(length / kSectorSize), bytes.data() + done);
               }) == platform::PieceEnd::Done;
}

bool SectorReader::Read(std::uint64_t first, std::span<std::uint8_t> bytes) {
    if (bytes.size() % kSectorSize != 0 || !Inside(first, bytes.size() / kSectorSize)) {
        return false;
    }
    return platform::forEachPiece(
               bytes.size(), kTransferBytes, [&](std::uint64_t done, std::size_t length) {
                   return library_.ReadCard(
                       port_, static_cast<std::uint32_t>(first + done / kSectorSize),
                       static_cast<std::uint32_t>(length / kSectorSize), bytes.data() + done);
               }) == platform::PieceEnd::Done;
}

} // namespace zelmo::card
