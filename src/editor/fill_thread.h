#pragma once

// TFillThread: writes a fill pattern or swaps bytes over a range of a swap file in 64 KiB pieces,
// on one file or on the same position of several linked files, and computes the byte sum of the
// whole buffer that holds the range during the same pass.

#include "platform/file_io.h"
#include "platform/progress.h"
#include "platform/result.h"

#include <QThread>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zelmo {
class CExecutor;
class TProject;
} // namespace zelmo

namespace zelmo::editor {

struct FillOrder {
    std::uint64_t BufferStart = 0; // position of the buffer holding the range in the swap file
    std::uint64_t Start = 0;       // position of the range's first byte in the swap file
    std::uint32_t Length = 0;      // bytes in the range
    std::uint32_t BufferSize = 0;  // size of the buffer holding the range
    std::uint32_t Value = 0;       // constant byte or word
    int Kind = 0;                  // fill or swap kind
    std::uint64_t Seed = 0;        // pseudo-random seed (calendar time in seconds)
};

// Outcome of a run: failed with "Couldn't write swap file." when a piece could not be written
// (the run stops there), and per file the byte sum of its whole buffer as it now is on disk,
// or nothing when some of its bytes could not be read.
struct FillResult : Result {
    std::vector<std::optional<std::uint32_t>> Checksums;
};

// Runs the order over `files` (the first is the active device's file, whose bytes the swaps
// read; every file gets the same bytes at the same positions). A fill cannot be cancelled.
FillResult runFill(const FillOrder& order, std::span<platform::File* const> files,
                   Progress* progress = nullptr);

// Writes 0xFF over `totalSize` bytes of a new swap file from position 0 (in 64 KiB pieces) and
// returns the byte sum of the first `firstBufferSize` bytes (memory A), or nothing when the
// file could not be written.
std::optional<std::uint32_t> initialiseSwapFile(platform::File& file, std::uint64_t totalSize,
                                                std::uint32_t firstBufferSize,
                                                Progress* progress = nullptr);

// What a fill, clear or swap command asks of the worker.
struct FillRequest {
    int Device = 0;  // the active device
    int DataSet = 0; // its data set (the same index in every linked device)
    int Memory = 0;  // memory 0 to 3
    std::uint32_t First = 0;
    std::uint32_t Length = 0;
    std::uint32_t Value = 0;
    int Kind = 0;
    // A clear: afterwards the memories have no file assigned and nothing unsaved; any other
    // kind leaves them modified.
    bool Clear = false;
};

class TFillThread : public QThread {
    Q_OBJECT
public:
    // Fills memory `Memory` of data set `DataSet` of device `Device` from byte `First` for
    // `Length` bytes. While the project's LinkDevices is on, every linked device's data set of
    // the same index is written too. The project is read and changed only in steps run through
    // `executor`; the step that ends the run stores every rewritten memory's new checksum and
    // marks it modified (cleared for a clear).
    TFillThread(TProject& project, CExecutor& executor, const FillRequest& request,
                Progress* progress = nullptr);

    // The outcome: failed with "Invalid range." for a range outside the memory or a device or
    // data set that does not exist, with "Couldn't write swap file." for a failed write.
    const Result& Outcome() const { return outcome_; }
    // The active data set's new checksum, when it is known.
    std::optional<std::uint32_t> Checksum() const { return checksum_; }

protected:
    void run() override;

private:
    TProject& project_;
    CExecutor& executor_;
    FillRequest request_;
    Progress* progress_;
    Result outcome_;
    std::optional<std::uint32_t> checksum_;
};

} // namespace zelmo::editor
