#pragma once

// Motorola S-record: a resumable reader of S1/S2/S3 data records that stores straight into the
// target memories, and a streaming writer whose record type follows the memory size.

#include "formats/record_reader.h"
#include "formats/text_output.h"

#include <QString>

#include <cstdint>
#include <span>

namespace zelmo::formats {

class SRecordReader;
// The reader's line buffer: longer lines are refused.
inline constexpr std::size_t kSRecordMaxLine = 526;
using SRecordLines = LineRecordReader<SRecordReader, kSRecordMaxLine>;

// The S-record grammar over the shared line-record reader. The data may end without an end
// record.
class SRecordReader : public SRecordLines {
public:
    static constexpr const char* kIncorrect = "Incorrect S-Record file.";

    using LineRecordReader::LineRecordReader;

private:
    friend SRecordLines;
    // The record type digit of a line, or kNotHex when the line is no S-record at all.
    static unsigned recordType(const char* line, const char* end) {
        const bool isS = line < end && (*line == 'S' || *line == 's');
        return isS && end - line >= 2 ? hexValue(line[1]) : kNotHex;
    }
    // Defined here so that the parse loop decodes without a call per line.
    DigitPairs decode(const char* line, const char* end, std::span<std::uint8_t> bytes) {
        const unsigned type = recordType(line, end);
        if (type >= 1 && type <= 3) {
            return decodeDigitPairs(line + 2, end, bytes);
        }
        return {line, 0, 0};
    }
    ParseStep record(std::string_view line, const DigitPairs& run, const std::uint8_t* bytes);
    ParseStep endOfData() { return done(" bytes loaded."); }
};

// The parse loop is compiled once, beside the grammar it calls.
extern template class LineRecordReader<SRecordReader, kSRecordMaxLine>;

class SRecordWriter {
public:
    SRecordWriter(std::uint64_t memSize, bool optimize, TextOutput& out);

    // The memory's bytes in order, in pieces whose sizes are multiples of 16 except the last.
    void feed(std::span<const std::uint8_t> bytes);
    // Writes the closing S7 record and hands the text on.
    RecordSaveResult finish();

private:
    void line(const std::uint8_t* bytes, std::size_t k);

    std::uint64_t memSize_;
    bool optimize_;
    TextOutput& out_;
    unsigned type_;         // 1, 2 or 3
    unsigned addressBytes_; // 2, 3 or 4
    std::uint64_t address_ = 0;
    std::uint64_t lines_ = 0;
    std::uint64_t written_ = 0;
};

RecordLoadResult readSRecord(std::span<const char> text, TargetSpans targets,
                             const RecordLoadSettings& settings);
RecordSaveResult writeSRecord(std::span<const std::uint8_t> memory, bool optimize, TextOutput& out);

} // namespace zelmo::formats
