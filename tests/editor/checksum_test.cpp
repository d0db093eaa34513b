#include "editor/checksum_engine.h"
#include "editor/checksum_thread.h"
#include "project/executor.h"
#include "project/project.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zelmo::editor {
namespace {

std::span<const std::uint8_t> bytesOf(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Byte-at-a-time reference built from the textbook table rules.
struct Reference {
    std::uint16_t arc[256], dnp[256], ccitt[256];
    std::uint32_t c32[256];
    Reference() {
        for (unsigned i = 0; i < 256; ++i) {
            auto refl = [](unsigned poly, unsigned idx) {
                unsigned c = 0, a = idx;
                for (int k = 0; k < 8; ++k) {
                    c = ((a ^ c) & 1) ? (c >> 1) ^ poly : c >> 1;
                    a >>= 1;
                }
                return static_cast<std::uint16_t>(c);
            };
            arc[i] = refl(0xA001, i);
            dnp[i] = refl(0xA6BC, i);
            unsigned c = 0, a = i << 8;
            for (int k = 0; k < 8; ++k) {
                c = (((a ^ c) & 0x8000) ? (c << 1) ^ 0x1021 : c << 1) & 0xFFFF;
                a = (a << 1) & 0xFFFF;
            }
            ccitt[i] = static_cast<std::uint16_t>(c);
            std::uint32_t d = i;
            for (int k = 0; k < 8; ++k) {
                d = (d >> 1) ^ ((d & 1) ? 0xEDB88320u : 0);
            }
            c32[i] = d;
        }
    }
    ChecksumValues compute(std::span<const std::uint8_t> bytes) const {
        std::uint32_t sum = 0, a = 0, m = 0xFFFF, d = 0, x = 0, f = 0xFFFF, j = 0x1D0F;
        std::uint32_t c = 0xFFFFFFFFu;
        for (std::uint8_t b : bytes) {
            sum += b;
            a = (a >> 8) ^ arc[(a ^ b) & 0xFF];
            m = (m >> 8) ^ arc[(m ^ b) & 0xFF];
            d = (d >> 8) ^ dnp[(d ^ b) & 0xFF];
            x = ((x << 8) & 0xFFFF) ^ ccitt[((x >> 8) ^ b) & 0xFF];
            f = ((f << 8) & 0xFFFF) ^ ccitt[((f >> 8) ^ b) & 0xFF];
            j = ((j << 8) & 0xFFFF) ^ ccitt[((j >> 8) ^ b) & 0xFF];
            c = (c >> 8) ^ c32[(c ^ b) & 0xFF];
        }
        d = ~d & 0xFFFF;
        return {sum, a, m, ((d & 0xFF) << 8) | (d >> 8), x, f, j, ~c};
    }
};

void expectSame(const ChecksumValues& a, const ChecksumValues& b, const std::string& where) {
    EXPECT_EQ(formatChecksumValues(a), formatChecksumValues(b)) << where;
}

TEST(ChecksumEngine, CheckStringGivesTheNineKnownValues) {
    ChecksumCalculator calc;
    calc.update(bytesOf("123456789"));
    const auto texts = formatChecksumValues(calc.result());
    const std::array<std::string, 9> expected = {"01DD", "000001DD", "BB3D", "4B37",    "82EA",
                                                 "31C3", "29B1",     "E5CC", "CBF43926"};
    EXPECT_EQ(texts, expected);
    EXPECT_STREQ(kChecksumFields[3].Caption, "CRC-16 (Modbus)");
    EXPECT_STREQ(kChecksumFields[8].Caption, "CRC-32");
}

TEST(ChecksumEngine, SixtyFourKiBOfFFSumsTo00FF0000) {
    const std::vector<std::uint8_t> ff(0x10000, 0xFF);
    ChecksumCalculator calc;
    calc.update(ff);
    const auto texts = formatChecksumValues(calc.result());
    EXPECT_EQ(texts[0], "0000");
    EXPECT_EQ(texts[1], "00FF0000");
    EXPECT_EQ(byteSum(ff), 0x00FF0000u);
}

void matchesReference();

// The table-sliced CRCs and the linear corrections for the other initial values must agree
// with the byte-at-a-time rules for every length and however the range is split into pieces.
TEST(ChecksumEngine, MatchesByteAtATimeRulesForAnyLengthAndSplit) {
    for (bool accelerated : {true, false}) {
        setChecksumAcceleration(accelerated);
        SCOPED_TRACE(accelerated ? "accelerated" : "tables only");
        matchesReference();
    }
    setChecksumAcceleration(true);
}

void matchesReference() {
    const Reference ref;
    std::mt19937 rng(7);
    std::vector<std::uint8_t> data(70000);
    for (auto& b : data) {
        b = static_cast<std::uint8_t>(rng());
    }
    for (std::size_t len : {0u, 1u, 2u, 7u, 15u, 16u, 17u, 31u, 33u, 255u, 4097u, 65536u, 70000u}) {
        const std::span<const std::uint8_t> range(data.data(), len);
        const ChecksumValues expected = ref.compute(range);
        ChecksumCalculator whole;
        whole.update(range);
        expectSame(whole.result(), expected, "whole, length " + std::to_string(len));

        ChecksumCalculator pieces;
        std::size_t pos = 0;
        while (pos < len) {
            const std::size_t n = std::min<std::size_t>(len - pos, 1 + rng() % 40);
            pieces.update(range.subspan(pos, n));
            pos += n;
        }
        expectSame(pieces.result(), expected, "pieces, length " + std::to_string(len));
    }
}

TEST(ChecksumEngine, SumOnlyModeKeepsOnlyTheSum) {
    ChecksumCalculator calc(false);
    calc.update(bytesOf("123456789"));
    EXPECT_EQ(calc.result().Sum, 0x1DDu);
    EXPECT_EQ(calc.result().Crc32, 0u);
}

TEST(ChecksumEngine, RangeCorrections) {
    struct Case {
        std::uint32_t from, to, size, wantFrom, wantTo;
    };
    const Case cases[] = {
        {0x10, 0x10, 0x100, 0x10, 0x10},   // one byte
        {0x20, 0x10, 0x100, 0x00, 0xFF},   // From above To: whole buffer
        {0x10, 0x200, 0x100, 0x10, 0xFF},  // To past the end
        {0x300, 0x400, 0x100, 0x00, 0xFF}, // From past the end
        {0, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        std::uint32_t f = c.from, t = c.to;
        correctChecksumRange(f, t, c.size);
        EXPECT_EQ(f, c.wantFrom) << c.from << "-" << c.to;
        EXPECT_EQ(t, c.wantTo) << c.from << "-" << c.to;
    }
}

class ChecksumThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_ / "buf0001.swp";
        std::string bytes(0x30000, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 7 + 3);
        }
        ASSERT_TRUE(test::writeFile(path_, bytes));
        content_ = bytes;
        ds_.SwapFile = platform::File::open(path_, platform::OpenMode::ReadWrite);
        ASSERT_TRUE(ds_.SwapFile.isOpen());
        ds_.TotalSize = 0x30000;
        ds_.MemStart = {0, 0x10000, 0x30000, 0x30000, 0x30000}; // A 64 KiB, B 128 KiB
    }
    std::uint32_t referenceSum(std::size_t from, std::size_t n) const {
        std::uint32_t s = 0;
        for (std::size_t i = from; i < from + n; ++i) {
            s += static_cast<std::uint8_t>(content_[i]);
        }
        return s;
    }
    test::TempDir dir_;
    std::filesystem::path path_;
    std::string content_;
    CDataSet ds_;
};

TEST_F(ChecksumThreadTest, BufferModeStoresTheSumOfTheMemory) {
    Progress progress;
    CMainThreadExecutor executor;
    TChecksumThread thread(executor, ds_, 1, 0x10000, 0x20000, false, &progress);
    RunWorker(thread);
    EXPECT_EQ(ds_.Memories[1].ChecksumValid, 1);
    EXPECT_EQ(ds_.Memories[1].Checksum, referenceSum(0x10000, 0x20000));
    EXPECT_EQ(ds_.Memories[0].ChecksumValid, 0);
    EXPECT_EQ(progress.percent(), 100);
}

TEST_F(ChecksumThreadTest, CalculatorModeLeavesTheStoredChecksumAlone) {
    const Reference ref;
    CInlineExecutor executor;
    TChecksumThread thread(executor, ds_, 0, 0x1234, 0x9000, true);
    RunWorker(thread);
    const auto* p = reinterpret_cast<const std::uint8_t*>(content_.data());
    expectSame(thread.Results(), ref.compute({p + 0x1234, 0x9000}), "calculator range");
    EXPECT_EQ(ds_.Memories[0].ChecksumValid, 0);
}

TEST_F(ChecksumThreadTest, ShortReadCountsTheBytesThatExist) {
    const ChecksumValues v = computeFileChecksums(ds_.SwapFile, 0x2FFF0, 0x100, false);
    EXPECT_EQ(v.Sum, referenceSum(0x2FFF0, 0x10));
}

TEST_F(ChecksumThreadTest, RefreshBufferChecksumUsesTheWholeMemory) {
    EXPECT_EQ(refreshBufferChecksum(ds_, 0), referenceSum(0, 0x10000));
    EXPECT_EQ(ds_.Memories[0].Checksum, referenceSum(0, 0x10000));
}

} // namespace
} // namespace zelmo::editor
