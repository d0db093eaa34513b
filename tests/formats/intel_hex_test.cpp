#include "formats/intel_hex.h"

#include "record_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmo::formats {
namespace {

struct HexCase {
    const char* name;
    std::string text;
    std::int64_t bufferOffset;
    std::int64_t fileOffset;
    std::size_t memSize;
    bool ok;
    const char* message;
    std::vector<std::pair<std::size_t, std::uint8_t>> expect; // bytes that must be stored
    std::uint32_t loaded = 0;
};

const std::string kRecord = ":0400100001020304E2\r\n:00000001FF\r\n";

std::vector<HexCase> hexCases() {
    return {
        {"data at its address",
         kRecord,
         0,
         0,
         256,
         true,
         "4 bytes loaded from file.",
         {{0x10, 1}, {0x11, 2}, {0x12, 3}, {0x13, 4}, {0x0F, 0xEE}, {0x14, 0xEE}},
         0x14},
        {"file offset moves data down",
         kRecord,
         0,
         0x10,
         256,
         true,
         "4 bytes loaded from file.",
         {{0, 1}, {1, 2}, {2, 3}, {3, 4}},
         4},
        {"bytes before the file offset drop silently",
         kRecord,
         0,
         0x12,
         256,
         true,
         "2 bytes loaded from file.",
         {{0, 3}, {1, 4}, {2, 0xEE}},
         2},
        {"buffer offset",
         kRecord,
         0x20,
         0,
         256,
         true,
         "4 bytes loaded from file.",
         {{0x30, 1}, {0x33, 4}},
         0x14},
        {"beyond the memory is truncated",
         kRecord,
         0,
         0,
         0x12,
         true,
         "2 bytes loaded from file. Redundant bytes truncated.",
         {{0x10, 1}, {0x11, 2}},
         0x12},
        {"checksum 00 is not tested",
         ":04001000AABBCCDD00\n:00000001FF",
         0,
         0,
         256,
         true,
         "4 bytes loaded from file.",
         {{0x10, 0xAA}, {0x13, 0xDD}}},
        {"lower case, trailing blanks, blank lines",
         ":04001000aabbccddde  \r\n\r\n\n:00000001ff",
         0,
         0,
         256,
         true,
         "4 bytes loaded from file.",
         {{0x10, 0xAA}, {0x13, 0xDD}}},
        {"extended linear address beyond a 64 KiB memory",
         ":020000040001F9\n:0400000001020304F2\n:00000001FF",
         0,
         0,
         65536,
         true,
         "0 bytes loaded from file. Redundant bytes truncated.",
         {}},
        {"extended linear address inside the memory",
         ":020000040001F9\n:0400000001020304F2\n:00000001FF",
         0,
         0,
         0x10004,
         true,
         "4 bytes loaded from file.",
         {{0x10000, 1}, {0x10003, 4}},
         0x10004},
        {"extended segment address",
         ":020000020100FB\n:0400000001020304F2\n:00000001FF",
         0,
         0,
         0x1004,
         true,
         "4 bytes loaded from file.",
         {{0x1000, 1}, {0x1003, 4}}},
        {"records after the end record are ignored",
         kRecord + "garbage",
         0,
         0,
         256,
         true,
         "4 bytes loaded from file.",
         {{0x10, 1}}},
        {"other record types are skipped",
         ":0400000300003800C1\n" + kRecord,
         0,
         0,
         256,
         true,
         "4 bytes loaded from file.",
         {{0x10, 1}}},
        {"wrong checksum",
         ":0400100001020304E3\n:00000001FF",
         0,
         0,
         256,
         false,
         "Incorrect Hex file. Checksum error.",
         {}},
        {"no end record",
         ":0400100001020304E2\n",
         0,
         0,
         256,
         false,
         "Incorrect Hex file.",
         {{0x10, 1}}},
        {"empty file", "", 0, 0, 256, false, "Incorrect Hex file.", {}},
        {"line not starting with a colon",
         "0400100001020304E2\n:00000001FF",
         0,
         0,
         256,
         false,
         "Incorrect Hex file.",
         {}},
        {"line too short", ":0400100\n:00000001FF", 0, 0, 256, false, "Incorrect Hex file.", {}},
        {"shorter than its byte count",
         ":0500100001020304E1\n:00000001FF",
         0,
         0,
         256,
         false,
         "Incorrect Hex file.",
         {}},
        {"non-hex character in the data",
         ":04001000010G0304E2\n:00000001FF",
         0,
         0,
         256,
         false,
         "Incorrect Hex file.",
         {}},
        {"address record without its value",
         ":00000004FC\n:00000001FF",
         0,
         0,
         256,
         false,
         "Incorrect Hex file.",
         {}},
        {"longest line still fits",
         ":0400100001020304E2" + std::string(504, ' ') + "\n:00000001FF",
         0,
         0,
         256,
         true,
         "4 bytes loaded from file.",
         {{0x10, 1}}},
        {"line longer than the line buffer",
         ":0400100001020304E2" + std::string(505, ' ') + "\n:00000001FF",
         0,
         0,
         256,
         false,
         "Incorrect Hex file.",
         {}},
    };
}

class IntelHexRead : public testing::TestWithParam<HexCase> {};

TEST_P(IntelHexRead, StoresAndReports) {
    const HexCase& c = GetParam();
    std::vector<std::uint8_t> a(c.memSize, 0xEE), b(c.memSize, 0xEE);
    const std::vector<std::span<std::uint8_t>> targets{a, b};
    const RecordLoadResult r =
        readIntelHex(c.text, targets, {c.memSize, c.bufferOffset, c.fileOffset});
    const QString& message = r.message;
    EXPECT_EQ(r.ok, c.ok);
    EXPECT_EQ(message.toStdString(), c.message);
    for (const auto& [at, value] : c.expect) {
        EXPECT_EQ(a[at], value) << "at " << at;
    }
    EXPECT_EQ(a, b) << "every target gets the same bytes";
    if (c.ok && c.loaded != 0) {
        EXPECT_EQ(r.loaded, c.loaded);
    }

    // Fed in pieces of every small size, the reader reaches the same result.
    for (std::size_t piece : {1u, 2u, 7u, 19u, 64u}) {
        const auto run = test::feedInPieces<IntelHexReader>(
            c.text, {c.memSize, c.bufferOffset, c.fileOffset}, piece);
        EXPECT_EQ(run.step == ParseStep::Done, c.ok) << "piece " << piece;
        EXPECT_EQ(run.message, message) << "piece " << piece;
        EXPECT_EQ(run.memory, a) << "piece " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IntelHexRead, testing::ValuesIn(hexCases()),
                         [](const auto& info) { return test::caseName(info.param.name); });

std::string write(const std::vector<std::uint8_t>& memory, bool optimize,
                  std::uint64_t* written = nullptr) {
    StringOutput out;
    const RecordSaveResult r = writeIntelHex(memory, optimize, out.out());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.message.toStdString(), std::to_string(r.written) + " bytes saved to file.");
    if (written != nullptr) {
        *written = r.written;
    }
    return out.text();
}

TEST(IntelHexWrite, FortyBytesMakeThreeRecordsAndTheEndRecord) {
    std::vector<std::uint8_t> memory(40);
    for (std::size_t i = 0; i < memory.size(); ++i) {
        memory[i] = static_cast<std::uint8_t>(i);
    }
    std::uint64_t written = 0;
    EXPECT_EQ(write(memory, false, &written), ":10000000000102030405060708090A0B0C0D0E0F78\r\n"
                                              ":10001000101112131415161718191A1B1C1D1E1F68\r\n"
                                              ":080020002021222324252627BC\r\n"
                                              ":00000001FF");
    EXPECT_EQ(written, 40u);
}

TEST(IntelHexWrite, ExtendedAddressBeforeEachSixtyFourKiB) {
    const std::vector<std::uint8_t> memory(128 * 1024, 0x00);
    const std::string text = write(memory, false);
    const auto ext = text.find(":020000040001F9\r\n");
    ASSERT_NE(ext, std::string::npos);
    EXPECT_EQ(text.compare(ext + 17, 9, ":10000000"), 0);
    EXPECT_EQ(text.find(":02000004"), ext) << "only one boundary in 128 KiB";
}

TEST(IntelHexWrite, OptimizeSkipsBlankLinesButKeepsTheSegment) {
    EXPECT_EQ(write(std::vector<std::uint8_t>(4096, 0xFF), true), "");
    std::vector<std::uint8_t> memory(0x30000, 0xFF);
    memory[0x20005] = 0x12;
    std::uint64_t written = 0;
    EXPECT_EQ(write(memory, true, &written), ":020000040002F8\r\n"
                                             ":10000000FFFFFFFFFF12FFFFFFFFFFFFFFFFFFFFED\r\n"
                                             ":00000001FF");
    EXPECT_EQ(written, 16u);
}

} // namespace
} // namespace zelmo::formats
