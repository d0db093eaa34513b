#include "editor/checksum_thread.h"

#include "platform/piece_loop.h"
#include "project/executor.h"
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
    // A range that runs past the end of the file counts the bytes that exist.
    const std::int64_t fileSize = file.size();
    const std::uint64_t available =
        fileSize < 0 || start >= static_cast<std::uint64_t>(fileSize)
            ? 0
            : std::min<std::uint64_t>(length, static_cast<std::uint64_t>(fileSize) - start);
    const auto step = [&](std::uint64_t offset, std::size_t n) {
        const std::span<std::uint8_t> bytes(piece.data(), n);
        if (!file.readAt(start + offset, bytes)) {
            return false; // a failed read ends the run with what was read so far
        }
        calc.update(bytes);
        return true;
    };
    const auto report = [progress, length](std::uint64_t done, std::uint64_t) {
        if (progress != nullptr) {
            progress->setFraction(done, length);
        }
    };
    if (progress != nullptr) {
        progress->setPercent(0);
    }
    platform::forEachPiece(available, kReadPiece, step, platform::NeverCancelled{}, report);
    if (progress != nullptr) {
        progress->setPercent(100);
    }
    return calc.result();
}

TChecksumThread::TChecksumThread(CExecutor& executor, CDataSet& dataSet, int memory,
                                 std::uint64_t start, std::uint32_t length, bool calculatorMode,
                                 Progress* progress)
    : executor_(executor), dataSet_(dataSet), file_(dataSet.SwapFile), memory_(memory),
      start_(start), length_(length), calculatorMode_(calculatorMode), progress_(progress) {}

void TChecksumThread::run() {
    results_ = computeFileChecksums(file_, start_, length_, calculatorMode_, progress_);
    // The run ends on the main thread: the buffer checksum is stored there, and the results are
    // handed over there in either mode.
    executor_.Run([this] {
        if (!calculatorMode_ && memory_ >= 0 && memory_ < kMemories) {
            dataSet_.Memories[static_cast<std::size_t>(memory_)].OnChecksum(results_.Sum);
        }
    });
}

std::uint32_t refreshBufferChecksum(CDataSet& dataSet, int memory, Progress* progress) {
    if (memory < 0 || memory >= kMemories) {
        return 0;
    }
    const ChecksumValues v = computeFileChecksums(
        dataSet.SwapFile,
        static_cast<std::uint64_t>(dataSet.MemStart[static_cast<std::size_t>(memory)]),
        static_cast<std::uint32_t>(dataSet.MemSize(memory)), false, progress);
    dataSet.Memories[static_cast<std::size_t>(memory)].OnChecksum(v.Sum);
    return v.Sum;
}

} // namespace zelmo::editor
