#pragma once

// TFillThread: writes a fill pattern or swaps bytes over a range of a swap file in 64 KiB pieces,
// on one file or on the same position of several linked files, and computes the byte sum of the
// whole buffer that holds the range during the same pass.

#include "platform/file_io.h"
#include "platform/progress.h"

#include <QThread>

#include <cstdint>
#include <span>
#include <vector>

namespace zelmo {
class TProject;
}

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

// Runs the order over `files` (the first is the active device's file, whose bytes the swaps
// read; every file gets the same bytes at the same positions). Returns the byte sum of the
// whole buffer after the change, as read from the first file. Read and write errors are not
// reported; the run always covers the whole range.
std::uint32_t runFill(const FillOrder& order, std::span<platform::File* const> files,
                      Progress* progress = nullptr);

// Writes 0xFF over `totalSize` bytes of a new swap file from position 0 (in 64 KiB pieces) and
// returns the byte sum of the first `firstBufferSize` bytes (memory A).
std::uint32_t initialiseSwapFile(platform::File& file, std::uint64_t totalSize,
                                 std::uint32_t firstBufferSize, Progress* progress = nullptr);

class TFillThread : public QThread {
    Q_OBJECT
public:
    // Fills memory `memory` of data set `dataSet` of device `device` from byte `first` for
    // `length` bytes. While the project's LinkDevices is on, every linked device's data set of
    // the same index is written too. The checksum is stored for the active device's data set.
    TFillThread(TProject& project, int device, int dataSet, int memory, std::uint32_t first,
                std::uint32_t length, std::uint32_t value, int kind, Progress* progress = nullptr);

    std::uint32_t Checksum() const { return checksum_; }

protected:
    void run() override;

private:
    TProject& project_;
    int device_;
    int dataSet_;
    int memory_;
    std::uint32_t first_;
    std::uint32_t length_;
    std::uint32_t value_;
    int kind_;
    Progress* progress_;
    std::uint32_t checksum_ = 0;
};

} // namespace zelmo::editor
