#pragma once

// What the record readers (Intel HEX, S-record) share: the memories they store into, the offsets
// of the file entry, and a resumable line-by-line parse so the same reader can be fed from one
// mapped span or from a file read in large pieces.

#include "platform/progress.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>

namespace zelmo::formats {

// The memory each target offers: the same bytes are stored at the same position of every one.
using TargetSpans = std::span<const std::span<std::uint8_t>>;

struct RecordLoadSettings {
    std::uint64_t memSize = 0;     // size of the memory addressed, the same in every target
    std::int64_t bufferOffset = 0; // first buffer byte written
    std::int64_t fileOffset = 0;   // address in the file that lands at bufferOffset
};

enum class ParseStep {
    More,   // every complete line was used; feed the rest with more text
    Done,   // the data ended as the format allows
    Failed, // message() tells why
};

// Drives a reader over a whole text span in one call (the span is the end of the data).
template <typename Reader> bool parseAll(Reader& reader, std::span<const char> text) {
    std::size_t consumed = 0;
    return reader.parse(text, true, consumed) == ParseStep::Done;
}

// Reports the share of the input consumed to the busy window, at most every 256 KiB.
class ParseProgress {
public:
    ParseProgress(Progress* progress, std::uint64_t total) : progress_(progress), total_(total) {}
    void update(std::uint64_t consumed) {
        if (progress_ != nullptr && consumed >= next_) {
            progress_->setFraction(consumed, total_);
            next_ = consumed + (256u << 10);
        }
    }

private:
    Progress* progress_;
    std::uint64_t total_;
    std::uint64_t next_ = 0;
};

} // namespace zelmo::formats
