#include "editor/fill_thread.h"

#include "editor/checksum_engine.h"
#include "editor/fill_pattern.h"
#include "project/buffer_fill.h"
#include "project/project.h"

#include <algorithm>
#include <ctime>

namespace zelmo::editor {

namespace {

constexpr std::size_t kPiece = 65536;

// Adds the bytes of [position, position + length) of `file` to `sum`.
std::uint32_t sumRange(const platform::File& file, std::uint64_t position, std::uint64_t length,
                       std::vector<std::uint8_t>& work, std::uint32_t sum) {
    while (length > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, kPiece));
        std::span<std::uint8_t> bytes(work.data(), n);
        if (!file.readAt(position, bytes)) {
            break;
        }
        sum = byteSum(bytes, sum);
        position += n;
        length -= n;
    }
    return sum;
}

// Produces or swaps the range piece by piece, writes every piece to all files and adds the
// bytes inside the buffer (the first `counted` of the range) to `sum`.
std::uint32_t writePattern(const FillOrder& order, std::span<platform::File* const> files,
                           std::uint64_t counted, std::vector<std::uint8_t>& work,
                           std::uint32_t sum, Progress* progress) {
    const platform::File& active = *files[0];
    const bool swap = isSwapKind(order.Kind);
    const std::size_t piece = swap ? kPiece : fillPieceSize(order.Kind);
    FillGenerator generator(order.Kind, order.Value, order.Seed);
    std::uint64_t done = 0;
    while (done < order.Length) {
        if (progress != nullptr) {
            progress->setFraction(done, order.Length);
        }
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(order.Length - done, piece));
        std::span<std::uint8_t> bytes(work.data(), n);
        const std::uint64_t position = order.Start + done;
        if (swap) {
            if (!active.readAt(position, bytes)) {
                // Unreadable bytes are left as they are; keep going past them.
                std::fill(bytes.begin(), bytes.end(), 0);
                done += n;
                continue;
            }
            swapInPlace(order.Kind, bytes);
        } else {
            generator.next(bytes);
        }
        for (platform::File* file : files) {
            if (file != nullptr) {
                file->writeAt(position, bytes);
            }
        }
        if (done < counted) {
            sum = byteSum(
                bytes.first(static_cast<std::size_t>(std::min<std::uint64_t>(n, counted - done))),
                sum);
        }
        done += n;
    }

    return sum;
}

} // namespace

std::uint32_t runFill(const FillOrder& order, std::span<platform::File* const> files,
                      Progress* progress) {
    if (files.empty() || files[0] == nullptr) {
        return 0;
    }
    std::vector<std::uint8_t> work(kPiece);
    const platform::File& active = *files[0];
    const std::uint64_t prefix =
        order.Start >= order.BufferStart ? order.Start - order.BufferStart : 0;
    const std::uint64_t bufferSize = order.BufferSize;

    // Bytes of the buffer before the range.
    std::uint32_t sum = sumRange(active, order.BufferStart, std::min(prefix, bufferSize), work, 0);
    // Only the part of the range that lies inside the buffer counts towards its checksum.
    const std::uint64_t counted =
        prefix >= bufferSize ? 0 : std::min<std::uint64_t>(order.Length, bufferSize - prefix);

    if (!isFillKind(order.Kind) && !isSwapKind(order.Kind)) {
        // An unknown kind writes nothing; the sum of the unchanged range still counts.
        sum = sumRange(active, order.Start, counted, work, sum);
    } else if (order.Kind == FillConstByte) {
        // Constant bytes go through the project's range writer; their sum is known.
        FillFileRange(files, order.Start, order.Length, static_cast<std::uint8_t>(order.Value),
                      progress);
        sum += static_cast<std::uint32_t>(counted * (order.Value & 0xFF));
    } else {
        sum = writePattern(order, files, counted, work, sum, progress);
    }

    // Bytes of the buffer after the range.
    if (prefix + order.Length < bufferSize) {
        sum = sumRange(active, order.Start + order.Length, bufferSize - prefix - order.Length, work,
                       sum);
    }
    for (platform::File* file : files) {
        if (file != nullptr) {
            file->flush();
        }
    }
    if (progress != nullptr) {
        progress->setPercent(100);
    }
    return sum;
}

std::uint32_t initialiseSwapFile(platform::File& file, std::uint64_t totalSize,
                                 std::uint32_t firstBufferSize, Progress* progress) {
    platform::File* files[] = {&file};
    std::uint64_t position = 0;
    std::uint32_t sum = 0;
    // The order's length is 32-bit; a swap file may be longer, so it is written in orders of at
    // most 1 GiB.
    constexpr std::uint64_t kStep = std::uint64_t{1} << 30;
    while (position < totalSize) {
        FillOrder order;
        order.BufferStart = 0;
        order.Start = position;
        order.Length = static_cast<std::uint32_t>(std::min(kStep, totalSize - position));
        order.BufferSize = firstBufferSize;
        order.Value = 0xFF;
        order.Kind = FillConstByte;
        const std::uint32_t part = runFill(order, files, progress);
        if (position == 0) {
            sum = part;
        }
        position += order.Length;
    }
    return sum;
}

TFillThread::TFillThread(TProject& project, int device, int dataSet, int memory,
                         std::uint32_t first, std::uint32_t length, std::uint32_t value, int kind,
                         Progress* progress)
    : project_(project), device_(device), dataSet_(dataSet), memory_(memory), first_(first),
      length_(length), value_(value), kind_(kind), progress_(progress) {}

void TFillThread::run() {
    CDevice* active = project_.Devices[static_cast<std::size_t>(device_)].get();
    if (active == nullptr || active->DataSets[static_cast<std::size_t>(dataSet_)] == nullptr) {
        return;
    }
    CDataSet& ds = *active->DataSets[static_cast<std::size_t>(dataSet_)];
    const auto m = static_cast<std::size_t>(memory_);

    std::vector<platform::File*> files{&ds.SwapFile};
    if (project_.LinkDevices != 0) {
        for (int d = 0; d < project_.DeviceCount; ++d) {
            CDevice* dev = project_.Devices[static_cast<std::size_t>(d)].get();
            if (d == device_ || dev == nullptr || dev->Linked == 0) {
                continue;
            }
            CDataSet* other = dev->DataSets[static_cast<std::size_t>(dataSet_)].get();
            if (other != nullptr) {
                files.push_back(&other->SwapFile);
            }
        }
    }

    FillOrder order;
    order.BufferStart = static_cast<std::uint64_t>(ds.MemStart[m]);
    order.Start = order.BufferStart + first_;
    order.Length = length_;
    order.BufferSize = static_cast<std::uint32_t>(ds.MemSize(memory_));
    order.Value = value_;
    order.Kind = kind_;
    order.Seed = static_cast<std::uint64_t>(std::time(nullptr));
    checksum_ = runFill(order, files, progress_);
    ds.Memories[m].OnChecksum(checksum_);
}

} // namespace zelmo::editor
