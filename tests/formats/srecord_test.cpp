#include "formats/srecord.h"

#include "record_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmo::formats {
namespace {

struct SrecCase {
    const char* name;
    std::string text;
    std::int64_t bufferOffset;
    std::int64_t fileOffset;
    std::size_t memSize;
    bool ok;
    const char* message;
    std::vector<std::pair<std::size_t, std::uint8_t>> expect;
};

const std::string kRecord = "S1060010010203E3\r\nS9030000FC\r\n";

std::vector<SrecCase> srecCases() {
    return {
        {"S1 data and end record",
         kRecord,
         0,
         0,
         256,
         true,
         "3 bytes loaded.",
         {{0x10, 1}, {0x11, 2}, {0x12, 3}, {0x0F, 0xEE}, {0x13, 0xEE}}},
        {"S2 record", "S207000000010203F2\n", 0, 0, 256, true, "3 bytes loaded.", {{0, 1}, {2, 3}}},
        {"S3 record",
         "S30800000000010203F1\n",
         0,
         0,
         256,
         true,
         "3 bytes loaded.",
         {{0, 1}, {2, 3}}},
        {"header with any contents is skipped",
         "S0XYZ not even hex\n" + kRecord,
         0,
         0,
         256,
         true,
         "3 bytes loaded.",
         {{0x10, 1}}},
        {"count records are skipped",
         "S5030001FB\n" + kRecord,
         0,
         0,
         256,
         true,
         "3 bytes loaded.",
         {{0x10, 1}}},
        {"no end record", "S1060010010203E3", 0, 0, 256, true, "3 bytes loaded.", {{0x10, 1}}},
        {"empty file", "", 0, 0, 256, true, "0 bytes loaded.", {}},
        {"lower case", "s1060010010203e3\n", 0, 0, 256, true, "3 bytes loaded.", {{0x10, 1}}},
        {"file offset", kRecord, 0, 0x11, 256, true, "2 bytes loaded.", {{0, 2}, {1, 3}}},
        {"buffer offset", kRecord, 0x40, 0, 256, true, "3 bytes loaded.", {{0x50, 1}, {0x52, 3}}},
        {"partly beyond the memory",
         kRecord,
         0,
         0,
         0x11,
         true,
         "1 bytes loaded. Redundant bytes truncated.",
         {{0x10, 1}}},
        {"wholly beyond the memory",
         kRecord,
         0,
         0,
         0x10,
         true,
         "0 bytes loaded. Redundant bytes truncated.",
         {{0x0F, 0xEE}}},
        {"after the end record nothing is read",
         kRecord + "garbage\n",
         0,
         0,
         256,
         true,
         "3 bytes loaded.",
         {}},
        {"checksum error after storing",
         "S1060010010203E4\n",
         0,
         0,
         256,
         false,
         "Incorrect S-Record file. Checksum error.",
         {{0x10, 1}, {0x12, 3}}},
        {"line not starting with S",
         "X1060010010203E3\n",
         0,
         0,
         256,
         false,
         "Incorrect S-Record file.",
         {}},
        {"blank first line", "\n" + kRecord, 0, 0, 256, false, "Incorrect S-Record file.", {}},
        {"type is not a digit",
         "SZ060010010203E3\n",
         0,
         0,
         256,
         false,
         "Incorrect S-Record file.",
         {}},
        {"shorter than its count",
         "S1070010010203E3\n",
         0,
         0,
         256,
         false,
         "Incorrect S-Record file.",
         {}},
        {"non-hex character in the data",
         "S10600100102G3E3\n",
         0,
         0,
         256,
         false,
         "Incorrect S-Record file.",
         {}},
        {"line longer than the line buffer",
         "S0" + std::string(525, '0') + "\n" + kRecord,
         0,
         0,
         256,
         false,
         "Incorrect S-Record file.",
         {}},
        {"longest line still fits",
         "S0" + std::string(524, '0') + "\n" + kRecord,
         0,
         0,
         256,
         true,
         "3 bytes loaded.",
         {{0x10, 1}}},
    };
}

class SRecordRead : public testing::TestWithParam<SrecCase> {};

TEST_P(SRecordRead, StoresAndReports) {
    const SrecCase& c = GetParam();
    std::vector<std::uint8_t> a(c.memSize, 0xEE), b(c.memSize, 0xEE);
    const std::vector<std::span<std::uint8_t>> targets{a, b};
    const RecordLoadResult r =
        readSRecord(c.text, targets, {c.memSize, c.bufferOffset, c.fileOffset});
    const QString& message = r.message;
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(message.toStdString(), c.message);
    for (const auto& [at, value] : c.expect) {
        EXPECT_EQ(a[at], value) << "at " << at;
    }
    EXPECT_EQ(a, b);

    for (std::size_t piece : {1u, 3u, 17u}) {
        const auto run = test::feedInPieces<SRecordReader>(
            c.text, {c.memSize, c.bufferOffset, c.fileOffset}, piece);
        EXPECT_EQ(run.message, message) << "piece " << piece;
        EXPECT_EQ(run.memory, a) << "piece " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SRecordRead, testing::ValuesIn(srecCases()),
                         [](const auto& info) { return test::caseName(info.param.name); });

std::string write(const std::vector<std::uint8_t>& memory, bool optimize,
                  std::uint64_t* written = nullptr) {
    StringOutput out;
    const RecordSaveResult r = writeSRecord(memory, optimize, out.out());
    EXPECT_TRUE(r.ok);
    if (written != nullptr) {
        *written = r.written;
    }
    return out.text();
}

TEST(SRecordWrite, RecordTypeFollowsTheMemorySize) {
    struct Case {
        std::size_t size;
        const char* head;
        std::size_t records;
    };
    for (const Case& c : {Case{256, "S113", 16}, Case{257, "S214", 17}, Case{4096, "S214", 256},
                          Case{4097, "S315", 257}}) {
        const std::string text = write(std::vector<std::uint8_t>(c.size, 0x5A), false);
        std::size_t records = 0;
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
            ++records;
        }
        EXPECT_EQ(records, c.records) << c.size;
        EXPECT_EQ(text.substr(0, 4), c.head) << c.size;
        EXPECT_TRUE(text.ends_with("\r\nS70500000000FA")) << c.size;
    }
}

TEST(SRecordWrite, ExactRecordsAndAShortLastRecord) {
    std::vector<std::uint8_t> memory(20);
    for (std::size_t i = 0; i < memory.size(); ++i) {
        memory[i] = static_cast<std::uint8_t>(i);
    }
    std::uint64_t written = 0;
    EXPECT_EQ(write(memory, false, &written), "S1130000000102030405060708090A0B0C0D0E0F74\r\n"
                                              "S107001010111213A2\r\n"
                                              "S70500000000FA");
    EXPECT_EQ(written, 20u);
}

TEST(SRecordWrite, OptimizeSkipsBlankLinesAndStillEnds) {
    EXPECT_EQ(write(std::vector<std::uint8_t>(64, 0xFF), true), "S70500000000FA");
    std::vector<std::uint8_t> memory(64, 0xFF);
    memory[0x21] = 0;
    EXPECT_EQ(write(memory, true), "S1130020FF00FFFFFFFFFFFFFFFFFFFFFFFFFFFFDB\r\nS70500000000FA");
}

} // namespace
} // namespace zelmo::formats
