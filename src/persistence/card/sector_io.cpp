#include "persistence/card/sector_io.h"

#include "persistence/card/card_library.h"
#include "platform/piece_loop.h"

#include <limits>

namespace zelmo::card {

namespace {
constexpr std::uint64_t kSectorNumbers = std::uint64_t{std::numeric_limits<std::uint32_t>::max()};
constexpr std::size_t kTransferBytes = kSectorsPerTransfer * kSectorSize;

// Walks `bytes` bytes of whole sectors from sector `first` in transfers of at most 256 sectors;
// `transfer(sector, count, offset)` moves one and returns false to stop.
template <typename Transfer>
bool bySectorPieces(std::uint64_t first, std::size_t bytes, Transfer&& transfer) {
    return platform::forEachPiece(
               bytes, kTransferBytes, [&](std::uint64_t done, std::size_t length) {
                   return transfer(static_cast<std::uint32_t>(first + done / kSectorSize),
                                   static_cast<std::uint32_t>(length / kSectorSize),
                                   static_cast<std::size_t>(done));
               }) == platform::PieceEnd::Done;
}
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
    return bySectorPieces(region.First + offset, bytes.size(),
                          [&](std::uint32_t sector, std::uint32_t sectors, std::size_t done) {
                              return library_.WriteCard(port_, sector, sectors,
                                                        bytes.data() + done);
                          });
}

bool SectorReader::Read(std::uint64_t first, std::span<std::uint8_t> bytes) {
    if (bytes.size() % kSectorSize != 0 || !Inside(first, bytes.size() / kSectorSize)) {
        return false;
    }
    return bySectorPieces(first, bytes.size(),
                          [&](std::uint32_t sector, std::uint32_t sectors, std::size_t done) {
                              return library_.ReadCard(port_, sector, sectors, bytes.data() + done);
                          });
}

} // namespace zelmo::card
