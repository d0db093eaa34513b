#include "editor/fill_thread.h"

#include "editor/checksum_engine.h"
#include "editor/fill_pattern.h"
#include "platform/piece_loop.h"
#include "project/executor.h"
#include "project/project.h"

#include <algorithm>
#include <ctime>

namespace zelmo::editor {

namespace {

constexpr std::size_t kPiece = 65536;

QString writeFailure() {
    return QStringLiteral("Couldn't write swap file.");
}

// Adds the bytes of [position, position + length) of `file` to `sum`; nothing when a read
// fails.
std::optional<std::uint32_t> sumRange(const platform::File& file, std::uint64_t position,
                                      std::uint64_t length, std::vector<std::uint8_t>& work,
                                      std::uint32_t sum = 0) {
    const auto step = [&](std::uint64_t offset, std::size_t n) {
        const std::span<std::uint8_t> bytes(work.data(), n);
        if (!file.readAt(position + offset, bytes)) {
            return false;
        }
        sum = byteSum(bytes, sum);
        return true;
    };
    if (platform::forEachPiece(length, work.size(), step) != platform::PieceEnd::Done) {
        return std::nullopt;
    }
    return sum;
}

struct RangeOutcome {
    bool written = true;              // every piece reached every file
    std::optional<std::uint32_t> sum; // sum of the range's bytes inside the buffer
};

// Produces or swaps the range piece by piece, writes every piece to all files and sums the
// bytes inside the buffer (the first `counted` of the range). Stops at the first failed write.
RangeOutcome writePattern(const FillOrder& order, std::span<platform::File* const> files,
                          std::uint64_t counted, std::vector<std::uint8_t>& work,
                          Progress* progress) {
    const platform::File& active = *files[0];
    const bool swap = isSwapKind(order.Kind);
    // A constant byte is produced once and summed by multiplying.
    const bool constant = order.Kind == FillConstByte;
    const auto value = static_cast<std::uint8_t>(order.Value & 0xFF);
    if (constant) {
        std::fill(work.begin(), work.end(), value);
    }
    FillGenerator generator(order.Kind, order.Value, order.Seed);
    std::uint32_t sum = 0;
    bool sumKnown = true;
    const auto step = [&](std::uint64_t done, std::size_t n) {
        std::span<std::uint8_t> bytes(work.data(), n);
        const std::uint64_t position = order.Start + done;
        if (swap) {
            if (!active.readAt(position, bytes)) {
                // Unreadable bytes are left as they are; the run goes on past them.
                sumKnown = false;
                return true;
            }
            swapInPlace(order.Kind, bytes);
        } else if (!constant) {
            generator.next(bytes);
        }
        for (platform::File* file : files) {
            if (file != nullptr && !file->writeAt(position, bytes)) {
                return false;
            }
        }
        if (done < counted) {
            const auto inside =
                static_cast<std::size_t>(std::min<std::uint64_t>(n, counted - done));
            sum = constant ? sum + static_cast<std::uint32_t>(inside * value)
                           : byteSum(bytes.first(inside), sum);
        }
        return true;
    };
    const auto report = [progress](std::uint64_t done, std::uint64_t total) {
        if (progress != nullptr) {
            progress->setFraction(done, total);
        }
    };
    const std::size_t piece = swap ? kPiece : fillPieceSize(order.Kind);
    RangeOutcome outcome;
    outcome.written = platform::forEachPiece(order.Length, piece, step, platform::NeverCancelled{},
                                             report) == platform::PieceEnd::Done;
    if (sumKnown) {
        outcome.sum = sum;
    }
    return outcome;
}

} // namespace

FillResult runFill(const FillOrder& order, std::span<platform::File* const> files,
                   Progress* progress) {
    FillResult result;
    result.Checksums.assign(files.size(), std::nullopt);
    if (files.empty() || files[0] == nullptr) {
        result.message = writeFailure();
        return result;
    }
    if (progress != nullptr) {
        progress->setPercent(0);
    }
    std::vector<std::uint8_t> work(kPiece);
    const std::uint64_t prefix =
        order.Start >= order.BufferStart ? order.Start - order.BufferStart : 0;
    const std::uint64_t bufferSize = order.BufferSize;
    const std::uint64_t before = std::min(prefix, bufferSize);
    // Only the part of the range that lies inside the buffer counts towards its checksum.
    const std::uint64_t counted =
        prefix >= bufferSize ? 0 : std::min<std::uint64_t>(order.Length, bufferSize - prefix);
    const std::uint64_t after =
        prefix + order.Length < bufferSize ? bufferSize - prefix - order.Length : 0;

    RangeOutcome range;
    const bool known = isFillKind(order.Kind) || isSwapKind(order.Kind);
    if (known) {
        range = writePattern(order, files, counted, work, progress);
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        platform::File* file = files[i];
        if (file == nullptr) {
            continue;
        }
        if (!range.written || !known) {
            // What is really on disk now: a failed run may have stopped anywhere, and an
            // unknown kind wrote nothing.
            result.Checksums[i] = sumRange(*file, order.BufferStart, bufferSize, work);
            continue;
        }
        // The bytes before and after the range are each file's own; the range is the same in all.
        const auto head = sumRange(*file, order.BufferStart, before, work);
        const auto tail = sumRange(*file, order.Start + order.Length, after, work);
        if (head && tail && range.sum) {
            result.Checksums[i] = *head + *range.sum + *tail;
        }
    }

    bool flushed = true;
    for (platform::File* file : files) {
        if (file != nullptr && !file->flush()) {
            flushed = false;
        }
    }
    if (progress != nullptr) {
        progress->setPercent(100);
    }
    result.ok = range.written && flushed;
    if (!result.ok) {
        result.message = writeFailure();
    }
    return result;
}

std::optional<std::uint32_t> initialiseSwapFile(platform::File& file, std::uint64_t totalSize,
                                                std::uint32_t firstBufferSize, Progress* progress) {
    platform::File* files[] = {&file};
    std::optional<std::uint32_t> sum = 0;
    // The order's length is 32-bit; a swap file may be longer, so it is written in orders of at
    // most 1 GiB.
    constexpr std::size_t kStep = std::size_t{1} << 30;
    const auto step = [&](std::uint64_t position, std::size_t length) {
        FillOrder order;
        order.Start = position;
        order.Length = static_cast<std::uint32_t>(length);
        order.BufferSize = firstBufferSize;
        order.Value = 0xFF;
        order.Kind = FillConstByte;
        const FillResult part = runFill(order, files, progress);
        if (position == 0) {
            sum = part.Checksums[0];
        }
        return part.ok;
    };
    if (platform::forEachPiece(totalSize, kStep, step) != platform::PieceEnd::Done) {
        return std::nullopt;
    }
    return sum;
}

TFillThread::TFillThread(TProject& project, CExecutor& executor, const FillRequest& request,
                         Progress* progress)
    : project_(project), executor_(executor), request_(request), progress_(progress) {}

void TFillThread::run() {
    const int m = request_.Memory;
    FillOrder order;
    std::vector<CDataSet*> targets;
    // Reads the project on the main thread: the data set, its linked copies and the order.
    executor_.Run([&] {
        // Set here, on the main thread, so a refused run has its outcome where it is read.
        outcome_ = Result::failure(QStringLiteral("Invalid range."));
        CDevice* active = project_.DeviceAt(request_.Device);
        CDataSet* ds = active != nullptr ? active->DataSetAt(request_.DataSet) : nullptr;
        if (ds == nullptr || m < 0 || m >= kMemories) {
            return;
        }
        const std::uint64_t size = ds->MemSize(m);
        if (request_.First > size || request_.Length > size - request_.First) {
            return;
        }
        targets.push_back(ds);
        if (project_.LinkDevices != 0) {
            for (int d = 0; d < project_.DeviceCount; ++d) {
                CDevice* device = project_.DeviceAt(d);
                if (d == request_.Device || device == nullptr || device->Linked == 0) {
                    continue;
                }
                CDataSet* other = device->DataSetAt(request_.DataSet);
                // Linked devices are the same device, so the memory has the same size.
                if (other != nullptr && other->MemSize(m) == size) {
                    targets.push_back(other);
                }
            }
        }
        order.BufferStart = static_cast<std::uint64_t>(ds->MemStart[static_cast<std::size_t>(m)]);
        order.Start = order.BufferStart + request_.First;
        order.Length = request_.Length;
        order.BufferSize = static_cast<std::uint32_t>(size);
    });
    if (targets.empty()) {
        return;
    }
    order.Value = request_.Value;
    order.Kind = request_.Kind;
    order.Seed = static_cast<std::uint64_t>(std::time(nullptr));

    // The swap files themselves are the worker's while the busy window holds every command off.
    std::vector<platform::File*> files;
    for (CDataSet* target : targets) {
        files.push_back(&target->SwapFile);
    }
    const FillResult result = runFill(order, files, progress_);
    outcome_ = result;
    checksum_ = result.Checksums[0];

    // Records the change in every rewritten memory, on the main thread.
    executor_.Run([&] {
        for (std::size_t i = 0; i < targets.size(); ++i) {
            CDataSet& target = *targets[i];
            MemoryState& state = target.Memories[static_cast<std::size_t>(m)];
            target.OnBytesChanged(m, request_.First, request_.Length);
            const std::optional<std::uint32_t>& sum = result.Checksums[i];
            if (request_.Clear) {
                state.SetCurrent(nullptr);
            }
            if (!sum) {
                state.OnEdited();
            } else if (request_.Clear && result.ok) {
                state.OnCleared(*sum);
            } else {
                state.OnFilled(*sum);
            }
        }
    });
}

} // namespace zelmo::editor
