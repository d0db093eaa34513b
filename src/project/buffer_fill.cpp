#include "project/buffer_fill.h"

#include "project/project.h"

#include <algorithm>
#include <vector>

namespace zelmo {

namespace {
FillStatus writePieces(std::span<platform::File* const> files, std::uint64_t start,
                       std::uint64_t length, std::span<std::uint8_t> buffer,
                       const PieceProducer* produce, Progress* progress) {
    std::uint64_t done = 0;
    while (done < length) {
        if (progress != nullptr) {
            if (progress->cancelRequested()) {
                return FillStatus::Cancelled;
            }
            progress->setFraction(done, length);
        }
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - done, buffer.size()));
        const std::span<std::uint8_t> piece = buffer.first(count);
        if (produce != nullptr) {
            (*produce)(piece, done);
        }
        for (platform::File* file : files) {
            if (file != nullptr && !file->writeAt(start + done, piece)) {
                return FillStatus::Failed;
            }
        }
        done += count;
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
