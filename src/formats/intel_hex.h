#pragma once

// Intel HEX: a resumable reader that stores data records straight into the target memories, and
// a streaming writer of 16-byte records with extended linear address records.

#include "formats/record_reader.h"
#include "formats/text_output.h"

#include <QString>

#include <cstdint>
#include <span>

namespace zelmo::formats {

class IntelHexReader;
// The reader's line buffer: longer lines are refused.
inline constexpr std::size_t kIntelHexMaxLine = 523;
using IntelHexLines = LineRecordReader<IntelHexReader, kIntelHexMaxLine>;

// The Intel HEX record grammar over the shared line-record reader.
class IntelHexReader : public IntelHexLines {
public:
    static constexpr const char* kIncorrect = "Incorrect Hex file.";

    using LineRecordReader::LineRecordReader;

private:
    friend IntelHexLines;
    // Defined here so that the parse loop decodes without a call per line.
    DigitPairs decode(const char* line, const char* end, std::span<std::uint8_t> bytes) {
        // The run of digit pairs after the colon; anything after it on the line is ignored.
        if (line < end && *line == ':') {
            return decodeDigitPairs(line + 1, end, bytes);
        }
        return {line, 0, 0};
    }
    ParseStep record(std::string_view line, const DigitPairs& run, const std::uint8_t* bytes);
    ParseStep endOfData() { return fail(kIncorrect); } // a file without an end record

    std::int64_t base_ = 0; // from the last extended address record
};

// The parse loop is compiled once, beside the grammar it calls.
extern template class LineRecordReader<IntelHexReader, kIntelHexMaxLine>;

class IntelHexWriter {
public:
    IntelHexWriter(std::uint64_t memSize, bool optimize, TextOutput& out);

    // The memory's bytes in order, in pieces whose sizes are multiples of 16 except the last.
    void feed(std::span<const std::uint8_t> bytes);
    // Writes the end record (when any data record was written) and hands the text on.
    RecordSaveResult finish();

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

// Whole-text and whole-memory conveniences.
RecordLoadResult readIntelHex(std::span<const char> text, TargetSpans targets,
                              const RecordLoadSettings& settings);
RecordSaveResult writeIntelHex(std::span<const std::uint8_t> memory, bool optimize,
                               TextOutput& out);

} // namespace zelmo::formats
