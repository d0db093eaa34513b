#include "editor/buffer_search.h"
#include "editor/checksum_engine.h"
#include "editor/fill_pattern.h"
#include "editor/fill_range.h"
#include "editor/fill_thread.h"
#include "project/project.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zelmo::editor {
namespace {

std::vector<std::uint8_t> generate(int kind, std::uint32_t value, std::size_t n,
                                   std::size_t piece = 65536, std::uint64_t seed = 1) {
    FillGenerator g(kind, value, seed);
    std::vector<std::uint8_t> out(n);
    for (std::size_t pos = 0; pos < n; pos += piece) {
        g.next(std::span<std::uint8_t>(out).subspan(pos, std::min(piece, n - pos)));
    }
    return out;
}

TEST(FillPattern, FirstBytesOfEveryKind) {
    struct Case {
        int kind;
        std::uint32_t value;
        std::vector<std::uint8_t> first;
    };
    const Case cases[] = {
        {FillConstByte, 0x1A5, {0xA5, 0xA5, 0xA5}},
        {FillConstWord, 0x1234, {0x34, 0x12, 0x34, 0x12, 0x34}},
        {FillSeqBytes, 0, {0x00, 0x01, 0x02, 0x03}},
        {FillSeqBytesDown, 0, {0xFF, 0xFE, 0xFD, 0xFC}},
        {FillSeqWords, 0, {0x00, 0x00, 0x01, 0x00, 0x02, 0x00}},
        {FillSeqWordsDown, 0, {0xFF, 0xFF, 0xFE, 0xFF, 0xFD, 0xFF}},
        {FillSeqDWords, 0, {0, 0, 0, 0, 1, 0, 0, 0, 2, 0}},
        {FillSeqDWordsDown, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        const auto bytes = generate(c.kind, c.value, c.first.size());
        EXPECT_EQ(bytes, c.first) << "kind " << c.kind;
    }
}

TEST(FillPattern, CountersRunOnAcrossPiecesOfAnySize) {
    // Word counter past 0xFFFF wraps per cell; the byte counter repeats every 256 bytes.
    for (int kind : {FillConstWord, FillSeqBytes, FillSeqBytesDown, FillSeqWords, FillSeqWordsDown,
                     FillSeqDWords, FillSeqDWordsDown, FillRandom}) {
        const auto whole = generate(kind, 0xBEEF, 0x30001, 0x30001);
        for (std::size_t piece : {1u, 3u, 7u, 255u, 65536u}) {
            EXPECT_EQ(generate(kind, 0xBEEF, 0x30001, piece), whole)
                << "kind " << kind << " piece " << piece;
        }
    }
    const auto words = generate(FillSeqWords, 0, 0x20004);
    EXPECT_EQ(words[0x1FFFE], 0xFF);
    EXPECT_EQ(words[0x1FFFF], 0xFF);
    EXPECT_EQ(words[0x20000], 0x00); // counter 0x10000 keeps its low 16 bits
    EXPECT_EQ(words[0x20002], 0x01);
}

TEST(FillPattern, DescendingBytesOver0x300RepeatFFDownTo00ThreeTimes) {
    const auto bytes = generate(FillSeqBytesDown, 0, 0x300);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i], 255 - (i % 256)) << i;
    }
}

TEST(FillPattern, TestPatternBlocksCarryTheirNumber) {
    const auto bytes = generate(FillTest512, 0, 0x500, 512, 99);
    for (int block = 0; block < 3; ++block) {
        const std::size_t start = static_cast<std::size_t>(block) * 512;
        char label[9];
        std::snprintf(label, sizeof label, "%08X", block);
        EXPECT_EQ(std::string(bytes.begin() + static_cast<long>(start),
                              bytes.begin() + static_cast<long>(start) + 8),
                  label);
        const std::size_t end = std::min<std::size_t>(start + 512, bytes.size());
        for (std::size_t i = start + 9; i < end; ++i) {
            ASSERT_EQ(bytes[i], bytes[start + 8]) << "block " << block << " byte " << i;
        }
    }
    // Same seed, same bytes; another seed gives other block values.
    EXPECT_EQ(generate(FillTest512, 0, 0x500, 512, 99), bytes);
    EXPECT_NE(generate(FillRandom, 0, 64, 64, 1), generate(FillRandom, 0, 64, 64, 2));
}

TEST(FillPattern, SwapsExchangeAndLeaveTrailingBytes) {
    struct Case {
        int kind;
        std::vector<std::uint8_t> in, out;
    };
    const Case cases[] = {
        {SwapBytes, {1, 2, 3, 4, 5}, {2, 1, 4, 3, 5}},
        {SwapWords, {1, 2, 3, 4, 5, 6, 7}, {3, 4, 1, 2, 5, 6, 7}},
        {SwapNibbles, {0xAB, 0x10, 0xFF}, {0xBA, 0x01, 0xFF}},
    };
    for (Case c : cases) {
        const std::uint32_t before = byteSum(c.in);
        swapInPlace(c.kind, c.in);
        EXPECT_EQ(c.in, c.out) << "kind " << c.kind;
        if (c.kind != SwapNibbles) {
            EXPECT_EQ(byteSum(c.in), before);
        }
    }
}

TEST(FillRange, CellsToBytesValidationAndLogLine) {
    ByteRange r;
    ASSERT_TRUE(fillRangeFromCells(0x10, 0x1F, Mode16, 0x100, r));
    EXPECT_EQ(r.First, 0x20u);
    EXPECT_EQ(r.Last, 0x3Fu);
    EXPECT_EQ(fillLogLine(r, Mode16, 0x100), "Block 00000010 - 0000001F filled.");
    ASSERT_TRUE(fillRangeFromCells(1, 2, Mode32, 0x100, r));
    EXPECT_EQ(r.First, 4u);
    EXPECT_EQ(r.Last, 11u);
    ASSERT_TRUE(fillRangeFromCells(0, 0xFF, Mode8, 0x100, r));
    EXPECT_EQ(fillLogLine(r, Mode8, 0x100), "Buffer filled.");
    EXPECT_FALSE(fillRangeFromCells(0, 0x100, Mode8, 0x100, r)); // To one past the end
    EXPECT_FALSE(fillRangeFromCells(5, 4, Mode8, 0x100, r));     // From above To
    EXPECT_FALSE(fillRangeFromCells(0, 0x80, Mode16, 0x100, r));
    EXPECT_FALSE(fillRangeFromCells(0, 0xFFFFFFFFu, Mode32, 0x100, r)); // no 32-bit wrap
}

// A swap file of two buffers (A 0x1000, B 0x23000 bytes) holding a known pattern.
class FillRunTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kA = 0x1000;
    static constexpr std::uint32_t kB = 0x23000;

    platform::File makeFile(const std::string& name) {
        std::string bytes(kA + kB, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 13 + 5);
        }
        original_ = bytes;
        EXPECT_TRUE(test::writeFile(dir_ / name, bytes));
        return platform::File::open(dir_ / name, platform::OpenMode::ReadWrite);
    }
    std::string read(const std::string& name) { return test::readFile(dir_ / name); }
    static std::uint32_t sumOf(const std::string& s, std::size_t from, std::size_t n) {
        return byteSum({reinterpret_cast<const std::uint8_t*>(s.data()) + from, n});
    }

    test::TempDir dir_;
    std::string original_;
};

TEST_F(FillRunTest, FillChangesOnlyTheRangeAndStoresTheWholeBufferSum) {
    for (int kind : {FillConstByte, FillConstWord, FillSeqWords, FillTest512, FillRandom}) {
        platform::File f = makeFile("a.swp");
        platform::File* files[] = {&f};
        FillOrder order{kA, kA + 0x10001, 0x11235, kB, 0x1234, kind, 42};
        const std::uint32_t sum = runFill(order, files);
        const std::string after = read("a.swp");
        EXPECT_EQ(sum, sumOf(after, kA, kB)) << "kind " << kind;
        EXPECT_EQ(after.substr(0, kA + 0x10001), original_.substr(0, kA + 0x10001));
        EXPECT_EQ(after.substr(kA + 0x10001 + 0x11235), original_.substr(kA + 0x10001 + 0x11235));
        const auto expected = generate(kind, 0x1234, 0x11235, fillPieceSize(kind), 42);
        EXPECT_EQ(after.substr(kA + 0x10001, 0x11235),
                  std::string(expected.begin(), expected.end()))
            << "kind " << kind;
    }
}

TEST_F(FillRunTest, UnknownKindWritesNothing) {
    platform::File f = makeFile("a.swp");
    platform::File* files[] = {&f};
    EXPECT_EQ(runFill({kA, kA + 4, 16, kB, 0, 0, 0}, files), sumOf(original_, kA, kB));
    EXPECT_EQ(read("a.swp"), original_);
}

TEST_F(FillRunTest, ConstantWordFromAnOddAddressStartsWithTheLowByte) {
    platform::File f = makeFile("a.swp");
    platform::File* files[] = {&f};
    runFill({0, 3, 6, kA, 0x1234, FillConstWord, 0}, files);
    const std::string after = read("a.swp");
    EXPECT_EQ(after.substr(3, 6), std::string("\x34\x12\x34\x12\x34\x12"));
}

TEST_F(FillRunTest, SwapsKeepTheByteSumAndLinkedFilesGetTheSameBytes) {
    for (int kind : {SwapBytes, SwapWords, SwapNibbles}) {
        platform::File a = makeFile("a.swp");
        ASSERT_TRUE(test::writeFile(dir_ / "b.swp", std::string(kA + kB, '\x11')));
        platform::File b = platform::File::open(dir_ / "b.swp", platform::OpenMode::ReadWrite);
        platform::File* files[] = {&a, &b};
        const std::uint32_t sum = runFill({kA, kA, kB, kB, 0, kind, 0}, files);
        const std::string after = read("a.swp");
        EXPECT_EQ(sum, sumOf(after, kA, kB));
        if (kind != SwapNibbles) {
            EXPECT_EQ(sum, sumOf(original_, kA, kB)) << "kind " << kind;
        }
        std::vector<std::uint8_t> expected(original_.begin() + kA, original_.end());
        swapInPlace(kind, expected);
        EXPECT_EQ(after.substr(kA), std::string(expected.begin(), expected.end()));
        // The linked file receives the active file's swapped bytes, not its own.
        EXPECT_EQ(read("b.swp").substr(kA), after.substr(kA));
        EXPECT_EQ(read("b.swp").substr(0, kA), std::string(kA, '\x11'));
    }
}

TEST_F(FillRunTest, InitialisingASwapFileGivesMemoryASum) {
    platform::File f = platform::File::open(dir_ / "new.swp", platform::OpenMode::ReadWriteCreate);
    const std::uint32_t sum = initialiseSwapFile(f, 0x30000, 0x12345);
    EXPECT_EQ(sum, 0xFFu * 0x12345u);
    EXPECT_EQ(read("new.swp"), std::string(0x30000, '\xFF'));
}

TEST(FillThread, LinkedDevicesGetTheSameFillAndTheActiveOneTheChecksum) {
    test::TempDir dir;
    TProject project;
    for (int d = 0; d < 3; ++d) {
        project.Devices[d] = std::make_unique<CDevice>();
        CDevice& dev = *project.Devices[d];
        dev.Linked = d < 2 ? 1 : 0; // the third device is not linked
        dev.DataSetCount = 2;
        for (int s = 0; s < 2; ++s) {
            auto ds = std::make_unique<CDataSet>();
            const auto path = dir / ("buf" + std::to_string(d * 2 + s) + ".swp");
            EXPECT_TRUE(test::writeFile(path, std::string(0x300, '\0')));
            ds->SwapFile = platform::File::open(path, platform::OpenMode::ReadWrite);
            ds->TotalSize = 0x300;
            ds->MemStart = {0, 0x100, 0x300, 0x300, 0x300};
            dev.DataSets[s] = std::move(ds);
        }
    }
    project.DeviceCount = 3;
    project.LinkDevices = 1;

    TFillThread thread(project, 0, 1, 1, 0x10, 0x20, 0xAB, FillConstByte);
    thread.start();
    ASSERT_TRUE(thread.wait(30000));
    std::string expected(0x300, '\0');
    expected.replace(0x110, 0x20, std::string(0x20, '\xAB'));
    EXPECT_EQ(test::readFile(dir / "buf1.swp"), expected);
    EXPECT_EQ(test::readFile(dir / "buf3.swp"), expected);
    EXPECT_EQ(test::readFile(dir / "buf5.swp"), std::string(0x300, '\0'));
    EXPECT_EQ(test::readFile(dir / "buf0.swp"), std::string(0x300, '\0'));
    const MemoryState& state = project.Devices[0]->DataSets[1]->Memories[1];
    EXPECT_EQ(state.ChecksumValid, 1);
    EXPECT_EQ(state.Checksum, 0xABu * 0x20u);
    EXPECT_EQ(thread.Checksum(), 0xABu * 0x20u);
}

} // namespace
} // namespace zelmo::editor
