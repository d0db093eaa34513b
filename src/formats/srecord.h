#pragma once

// Motorola S-record: a resumable reader of S1/S2/S3 data records that stores straight into the
// target memories, and a streaming writer whose record type follows the memory size.

#include "formats/record_reader.h"
#include "formats/text_output.h"

#include <QString>

#include <cstdint>
#include <span>

namespace zelmo::formats {

class SRecordReader {
public:
    // The reader's line buffer: longer lines are refused.
    static constexpr std::size_t kMaxLine = 526;

    SRecordReader(TargetSpans targets, const RecordLoadSettings& settings,
                  Progress* progress = nullptr, std::uint64_t totalSize = 0);

    // As IntelHexReader::parse. The data may end without an end record.
    ParseStep parse(std::span<const char> text, bool last, std::size_t& consumed);

    const QString& message() const { return message_; }
    // Data bytes of the file's data records, stored or not.
    std::uint64_t total() const { return total_; }
    bool truncated() const { return truncated_; }

private:
    ParseStep fail(const char* text);
    ParseStep done();

    TargetSpans targets_;
    RecordLoadSettings settings_;
    ParseProgress progress_;
    std::uint64_t consumedBefore_ = 0;
    bool skipBreaks_ = false;
    std::uint64_t total_ = 0;
    bool truncated_ = false;
    QString message_;
};

class SRecordWriter {
public:
    SRecordWriter(std::uint64_t memSize, bool optimize, TextOutput& out);

    // The memory's bytes in order, in pieces whose sizes are multiples of 16 except the last.
    void feed(std::span<const std::uint8_t> bytes);
    // Writes the closing S7 record.
    void finish();

    std::uint64_t written() const { return written_; }

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

QString readSRecord(std::span<const char> text, TargetSpans targets,
                    const RecordLoadSettings& settings, bool* ok);
std::uint64_t writeSRecord(std::span<const std::uint8_t> memory, bool optimize, TextOutput& out);

} // namespace zelmo::formats
