#pragma once

// TChecksumThread: reads a byte range of a data set's swap file in 64 KiB pieces and computes
// either the buffer checksum (stored into the memory's state) or all nine calculator values.

#include "editor/checksum_engine.h"
#include "platform/file_io.h"
#include "platform/progress.h"

#include <QThread>

#include <cstdint>

namespace zelmo {
class CDataSet;
class CExecutor;
} // namespace zelmo

namespace zelmo::editor {

// Reads `length` bytes of `file` from `start` and feeds them to a calculator. A short read ends
// the run with the bytes read so far counted. `progress` (optional) gets the percentage.
ChecksumValues computeFileChecksums(const platform::File& file, std::uint64_t start,
                                    std::uint32_t length, bool calculatorMode,
                                    Progress* progress = nullptr);

class TChecksumThread : public QThread {
    Q_OBJECT
public:
    // Buffer-checksum mode when `calculatorMode` is false: the sum is stored into memory
    // `memory` of `dataSet` in a step run through `executor` when the run ends. The worker only
    // reads the data set's swap file.
    TChecksumThread(CExecutor& executor, CDataSet& dataSet, int memory, std::uint64_t start,
                    std::uint32_t length, bool calculatorMode, Progress* progress = nullptr);

    const ChecksumValues& Results() const { return results_; }

protected:
    void run() override;

private:
    CExecutor& executor_;
    CDataSet& dataSet_;
    const platform::File& file_;
    int memory_;
    std::uint64_t start_;
    std::uint32_t length_;
    bool calculatorMode_;
    Progress* progress_;
    ChecksumValues results_;
};

// Buffer checksum of memory `memory` of `dataSet` computed on the calling thread and stored; the
// same as running the thread over the whole buffer. Returns the sum.
std::uint32_t refreshBufferChecksum(CDataSet& dataSet, int memory, Progress* progress = nullptr);

} // namespace zelmo::editor
