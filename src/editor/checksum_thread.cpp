#include "editor/checksum_thread.h"

#include "project/project.h"

#include <algorithm>
#include <vector>

namespace zelmo::editor {

namespace {
constexpr std::size_t kReadPiece = 65536;
}

ChecksumValues computeFileChecksums(const platform::File& file, std::uint64_t start,
                                    std::uint32_t length, bool calculatorMode, Progress* progress) {
    ChecksumCalculator calc(calculatorMode);
    std::vector<std::uint8_t> piece(kReadPiece);
    const std::int64_t fileSize = file.size();
    std::uint64_t remaining = length;
    std::uint64_t position = start;
    while (remaining > 0) {
        if (progress != nullptr) {
            progress->setFraction(length - remaining, length);
        }
        std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kReadPiece));
        // A short read counts the bytes that exist and ends the run.
        bool last = false;
        if (fileSize < 0 || position >= static_cast<std::uint64_t>(fileSize)) {
            break;
        }
        if (position + chunk > static_cast<std::uint64_t>(fileSize)) {
            chunk = static_cast<std::size_t>(static_cast<std::uint64_t>(fileSize) - position);
            last = true;
        }
        const std::span<std::uint8_t> bytes(piece.data(), chunk);
        if (!file.readAt(position, bytes)) {
            break;
        }
        calc.update(bytes);
        position += chunk;
        remaining -= chunk;
        if (last) {
            break;
        }
    }
    if (progress != nullptr) {
        progress->setPercent(100);
    }
    return calc.result();
}

TChecksumThread::TChecksumThread(CDataSet* dataSet, int memory, std::uint64_t start,
                                 std::uint32_t length, bool calculatorMode, Progress* progress)
    : dataSet_(dataSet), memory_(memory), start_(start), length_(length),
      calculatorMode_(calculatorMode), progress_(progress) {}

void TChecksumThread::run() {
    results_ =
        computeFileChecksums(dataSet_->SwapFile, start_, length_, calculatorMode_, progress_);
    if (!calculatorMode_ && memory_ >= 0 && memory_ < kMemories) {
        dataSet_->Memories[static_cast<std::size_t>(memory_)].OnChecksum(results_.Sum);
    }
}

std::uint32_t refreshBufferChecksum(CDataSet& dataSet, int memory, Progress* progress) {
    const ChecksumValues v = computeFileChecksums(
        dataSet.SwapFile,
        static_cast<std::uint64_t>(dataSet.MemStart[static_cast<std::size_t>(memory)]),
        static_cast<std::uint32_t>(dataSet.MemSize(memory)), false, progress);
    dataSet.Memories[static_cast<std::size_t>(memory)].OnChecksum(v.Sum);
    return v.Sum;
}

} // namespace zelmo::editor
