#include "project/buffer_fill.h"

#include "platform/piece_loop.h"
#include "project/project.h"

#include <algorithm>
#include <vector>

namespace zelmo {

namespace {
FillStatus writePieces(std::span<platform::File* const> files, std::uint64_t start,
                       std::uint64_t length, std::span<std::uint8_t> buffer,
                       const PieceProducer* produce, Progress* progress) {
    const auto step = [&](std::uint64_t offset, std::size_t count) {
        const std::span<std::uint8_t> piece = buffer.first(count);
        if (produce != nullptr) {
            (*produce)(piece, offset);
        }
        for (platform::File* file : files) {
            if (file != nullptr && !file->writeAt(start + offset, piece)) {
                return false;
            }
        }
        return true;
    };
    const auto cancelled = [progress] {
        return progress != nullptr && progress->cancelRequested();
    };
    const auto report = [progress](std::uint64_t done, std::uint64_t total) {
        if (progress != nullptr) {
            progress->setFraction(done, total);
        }
    };
    if (progress != nullptr) {
        progress->setPercent(0);
    }
    switch (platform::forEachPiece(length, buffer.size(), step, cancelled, report)) {
    case platform::PieceEnd::Cancelled:
        return FillStatus::Cancelled;
    case platform::PieceEnd::Failed:
        return FillStatus::Failed;
    case platform::PieceEnd::Done:
        break;
    }
    if (progress != nullptr) {
        progress->setPercent(100);
    }
    return FillStatus::Done;
}
} // namespace

FillStatus FillFileRange(std::span<platform::File* const> files, std::uint64_t start,
                         std::uint64_t length, std::uint8_t value, Progress* progress) {
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length, kPieceSize)), value);
    return writePieces(files, start, length, buffer, nullptr, progress);
}

FillStatus FillFileRange(platform::File& file, std::uint64_t start, std::uint64_t length,
                         std::uint8_t value, Progress* progress) {
    platform::File* const files[] = {&file};
    return FillFileRange(files, start, length, value, progress);
}

FillStatus WriteFileRange(std::span<platform::File* const> files, std::uint64_t start,
                          std::uint64_t length, const PieceProducer& produce, Progress* progress) {
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length, kPieceSize)));
    return writePieces(files, start, length, buffer, &produce, progress);
}

} // namespace zelmo
