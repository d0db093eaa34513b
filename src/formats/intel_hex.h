#pragma once

// Intel HEX: a resumable reader that stores data records straight into the target memories, and
// a streaming writer of 16-byte records with extended linear address records.

#include "formats/record_reader.h"
#include "formats/text_output.h"

#include <QString>

#include <cstdint>
#include <span>

namespace zelmo::formats {

class IntelHexReader {
public:
    // The reader's line buffer: longer lines are refused.
    static constexpr std::size_t kMaxLine = 523;

    IntelHexReader(TargetSpans targets, const RecordLoadSettings& settings,
                   Progress* progress = nullptr, std::uint64_t totalSize = 0);

    // Parses the complete lines at the front of `text`; `last` marks the end of the data.
    // `consumed` is set to the characters used; the caller feeds the rest again with more text.
    ParseStep parse(std::span<const char> text, bool last, std::size_t& consumed);

    const QString& message() const { return message_; }
    std::uint64_t stored() const { return stored_; }
    bool truncated() const { return truncated_; }
    // base + address just after the last data byte that was not beyond the memory.
    std::uint32_t loaded() const { return loaded_; }

private:
    ParseStep fail(const char* text);
    ParseStep record(const std::uint8_t* bytes, std::size_t count);

    TargetSpans targets_;
    RecordLoadSettings settings_;
    ParseProgress progress_;
    std::uint64_t consumedBefore_ = 0;
    bool skipBreaks_ = false; // the run of line breaks after a line may continue in the next text
    std::int64_t base_ = 0;
    std::uint64_t stored_ = 0;
    std::uint32_t loaded_ = 0;
    bool truncated_ = false;
    QString message_;
};

class IntelHexWriter {
public:
    IntelHexWriter(std::uint64_t memSize, bool optimize, TextOutput& out);

    // The memory's bytes in order, in pieces whose sizes are multiples of 16 except the last.
    void feed(std::span<const std::uint8_t> bytes);
    // Writes the end record (when any data record was written).
    void finish();

    std::uint64_t written() const { return written_; }

private:
    void line(const std::uint8_t* bytes, std::size_t k);

    std::uint64_t memSize_;
    bool optimize_;
    TextOutput& out_;
    std::uint64_t address_ = 0;
    std::uint32_t segment_ = 0;
    bool segmentDue_ = false;
    bool any_ = false;
    std::uint64_t lines_ = 0;
    std::uint64_t written_ = 0;
};

// Whole-memory conveniences.
QString readIntelHex(std::span<const char> text, TargetSpans targets,
                     const RecordLoadSettings& settings, bool* ok, std::uint32_t* loaded = nullptr);
std::uint64_t writeIntelHex(std::span<const std::uint8_t> memory, bool optimize, TextOutput& out);

} // namespace zelmo::formats
