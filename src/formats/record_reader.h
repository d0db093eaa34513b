#pragma once

// The reader that the line-record formats (Intel HEX, S-record) share. It splits the text into
// lines, skips the runs of line breaks between them, refuses over-long lines, reports progress,
// resumes where a piece of text ended, and stores data bytes into every target under one set of
// offset rules. A format adds only its record grammar. Also the result shapes of record loads
// and saves.

#include "formats/hex_digits.h"
#include "platform/progress.h"
#include "platform/result.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace zelmo::formats {

// The memory each target offers: the same bytes are stored at the same position of every one.
using TargetSpans = std::span<const std::span<std::uint8_t>>;

struct RecordLoadSettings {
    std::uint64_t memSize = 0;     // size of the memory addressed, the same in every target
    std::int64_t bufferOffset = 0; // first buffer byte written
    std::int64_t fileOffset = 0;   // address in the file that lands at bufferOffset
};

// The outcome of a whole record load.
struct RecordLoadResult : Result {
    std::uint64_t stored = 0; // data bytes stored into the memory
    bool truncated = false;   // some data lay beyond the memory
    std::uint32_t loaded = 0; // address (from the file offset) just after the last byte stored
};

// The outcome of a save in a byte format (binary, Intel HEX, S-record).
struct RecordSaveResult : Result {
    std::uint64_t written = 0; // data bytes written
};

// "%llu bytes saved to file." with the data bytes written, or "Couldn't save file." when the
// output did not take the text.
inline RecordSaveResult savedResult(bool outputOk, std::uint64_t written) {
    RecordSaveResult r;
    r.ok = outputOk;
    r.written = written;
    r.message = outputOk ? QString::number(written) + QLatin1String(" bytes saved to file.")
                         : QStringLiteral("Couldn't save file.");
    return r;
}

enum class ParseStep {
    More,   // every complete line was used; feed the rest with more text
    Done,   // the data ended as the format allows
    Failed, // message() tells why
};

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

// A format derives from LineRecordReader<Format, MaxLine> (MaxLine: the longest line it accepts)
// and provides:
//   static constexpr const char* kIncorrect; its message for a malformed line
//   DigitPairs decode(const char* line, const char* end, std::span<std::uint8_t> bytes);
//       decodes the line's digit pairs into `bytes`; the run ends where the line may go on
//   ParseStep record(std::string_view line, const DigitPairs& run, const std::uint8_t* bytes);
//       interprets the decoded line: More, Done or Failed
//   ParseStep endOfData();   the data ended after a line break
template <typename Format, std::size_t MaxLine> class LineRecordReader {
public:
    // The reader's line buffer: longer lines are refused.
    static constexpr std::size_t kMaxLine = MaxLine;

    LineRecordReader(TargetSpans targets, const RecordLoadSettings& settings,
                     Progress* progress = nullptr, std::uint64_t totalSize = 0)
        : targets_(targets), settings_(settings), progress_(progress, totalSize) {
        for (const auto& t : targets) {
            settings_.memSize = std::min<std::uint64_t>(settings_.memSize, t.size());
        }
        // Offsets beyond this cannot address a memory below 2 GiB; clamping keeps the
        // arithmetic exact.
        constexpr std::int64_t kOffsetLimit = std::int64_t{1} << 40;
        settings_.bufferOffset = std::clamp(settings.bufferOffset, -kOffsetLimit, kOffsetLimit);
    }

    // Parses the complete lines at the front of `text`; `last` marks the end of the data.
    // `consumed` is set to the characters used; the caller feeds the rest again with more text.
    ParseStep parse(std::span<const char> text, bool last, std::size_t& consumed);

    const QString& message() const { return message_; }
    std::uint64_t stored() const { return stored_; }
    bool truncated() const { return truncated_; }
    std::uint32_t loaded() const { return loaded_; }

    // The outcome after parse() returned Done or Failed.
    RecordLoadResult result(ParseStep step) const {
        RecordLoadResult r;
        r.ok = step == ParseStep::Done;
        r.message = message_;
        r.stored = stored_;
        r.truncated = truncated_;
        r.loaded = loaded_;
        return r;
    }

protected:
    ParseStep fail(const char* text) {
        message_ = QString::fromLatin1(text);
        return ParseStep::Failed;
    }

    // Ends the load with "<stored><loadedText>", followed by " Redundant bytes truncated." when
    // data lay beyond the memory.
    ParseStep done(const char* loadedText) {
        message_ = QString::number(stored_) + QLatin1String(loadedText);
        if (truncated_) {
            message_ += QLatin1String(" Redundant bytes truncated.");
        }
        return ParseStep::Done;
    }

    // Stores the `n` data bytes of a record whose first byte lies `rel` bytes after the file
    // offset. A byte before the file offset, or one that would land before the buffer, is dropped
    // silently; a byte beyond the memory is dropped and marks the load truncated. Only bytes
    // actually stored are counted.
    void store(std::int64_t rel, const std::uint8_t* data, std::size_t count) {
        const auto n = static_cast<std::int64_t>(count);
        const std::int64_t first = rel + settings_.bufferOffset; // buffer position of byte 0
        const std::int64_t from =
            std::max(std::clamp<std::int64_t>(-rel, 0, n), std::clamp<std::int64_t>(-first, 0, n));
        const std::int64_t to =
            std::clamp<std::int64_t>(static_cast<std::int64_t>(settings_.memSize) - first, 0, n);
        if (std::max(std::clamp<std::int64_t>(-rel, 0, n), to) < n) {
            truncated_ = true;
        }
        if (from < to) {
            for (const auto& t : targets_) {
                std::memcpy(t.data() + first + from, data + from,
                            static_cast<std::size_t>(to - from));
            }
            stored_ += static_cast<std::uint64_t>(to - from);
            loaded_ = static_cast<std::uint32_t>(rel + to);
        }
    }

    std::int64_t fileOffset() const {
        // Addresses in the file are compared with the low 32 bits of the entry's file offset.
        return static_cast<std::int64_t>(static_cast<std::uint32_t>(settings_.fileOffset));
    }

private:
    Format& format() { return static_cast<Format&>(*this); }

    TargetSpans targets_;
    RecordLoadSettings settings_;
    ParseProgress progress_;
    std::uint64_t consumedBefore_ = 0;
    bool skipBreaks_ = false; // the run of line breaks after a line may continue in the next text
    std::uint64_t stored_ = 0;
    std::uint32_t loaded_ = 0;
    bool truncated_ = false;
    QString message_;
};

// Drives a reader over a whole text span in one call (the span is the end of the data).
template <typename Reader> RecordLoadResult parseAll(Reader& reader, std::span<const char> text) {
    std::size_t consumed = 0;
    return reader.result(reader.parse(text, true, consumed));
}

template <typename Format, std::size_t MaxLine>
ParseStep LineRecordReader<Format, MaxLine>::parse(std::span<const char> text, bool last,
                                                   std::size_t& consumed) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    // The digit pairs of the current line, kept apart from the reader's own state so that
    // decoding into them never forces that state back to memory.
    std::array<std::uint8_t, MaxLine / 2 + 1> bytes;
    auto stop = [&](const char* at, ParseStep step) {
        consumed = static_cast<std::size_t>(at - begin);
        consumedBefore_ += consumed;
        return step;
    };
    for (;;) {
        if (skipBreaks_) {
            while (p < end && isLineBreak(*p)) {
                ++p;
            }
            if (p < end) {
                skipBreaks_ = false;
            }
        }
        if (p == end) {
            return last ? format().endOfData() : stop(p, ParseStep::More);
        }
        const char* const line = p;
        progress_.update(consumedBefore_ + static_cast<std::uint64_t>(line - begin));
        const DigitPairs run = format().decode(line, end, bytes);
        const char* const e = findLineEnd(run.next, end);
        if (static_cast<std::size_t>(e - line) > MaxLine) {
            return fail(Format::kIncorrect);
        }
        if (e == end && !last) {
            return stop(line, ParseStep::More); // the line may continue in the next text
        }
        p = e;
        skipBreaks_ = true;
        const ParseStep step = format().record(
            std::string_view(line, static_cast<std::size_t>(e - line)), run, bytes.data());
        if (step == ParseStep::Done) {
            return stop(p, ParseStep::Done);
        }
        if (step == ParseStep::Failed) {
            return step;
        }
    }
}

} // namespace zelmo::formats
