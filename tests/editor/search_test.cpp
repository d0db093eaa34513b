#include "editor/buffer_search.h"
#include "editor/buffer_tools.h"
#include "project/project.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zelmo::editor {
namespace {

std::vector<std::uint8_t> bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

SearchPattern text(const std::string& s, bool caseSensitive) {
    return {bytes(s), caseSensitive};
}

TEST(HexPattern, DigitCountsAndByteOrderPerDisplayMode) {
    struct Case {
        std::string digits;
        int mode;
        std::vector<std::uint8_t> pattern; // empty: refused with `message`
        std::string message;
    };
    const Case cases[] = {
        {"55AA", Mode8, {0x55, 0xAA}, ""},
        {"55a", Mode8, {}, "Count of characters must be even."},
        {"AA55", Mode16, {0x55, 0xAA}, ""},
        {"12345678", Mode16, {0x34, 0x12, 0x78, 0x56}, ""},
        {"123456", Mode16, {}, "Value must be 4, 8, 12, 16, 20, 24, 28 or 32 characters long."},
        {"12345678", Mode32, {0x78, 0x56, 0x34, 0x12}, ""},
        {"AA55", Mode32, {}, "Value must be 8, 16, 24 or 32 characters long."},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> pattern;
        std::string message;
        const bool ok = parseHexPattern(c.digits, c.mode, pattern, message);
        EXPECT_EQ(ok, !c.pattern.empty()) << c.digits;
        EXPECT_EQ(pattern, c.pattern) << c.digits;
        EXPECT_EQ(message, c.message) << c.digits;
    }
}

TEST(Find, HexTextCaseAndBufferEnd) {
    const auto buf = bytes("xxABCxx\x55\xAAxyabcAB");
    EXPECT_EQ(findForward(buf, {{0x55, 0xAA}, true}, 0), 7u);
    EXPECT_EQ(findForward(buf, text("abc", false), 0), 2u);
    EXPECT_EQ(findForward(buf, text("abc", true), 0), 11u);
    EXPECT_EQ(findForward(buf, text("abc", false), 3), 11u);
    // "ABx" would run past the end at the last offsets.
    EXPECT_FALSE(findForward(buf, text("ABx", true), 12));
    EXPECT_EQ(findBackward(buf, text("ab", false), buf.size()), 14u);
    EXPECT_EQ(findBackward(buf, text("ab", false), 13), 11u);
    EXPECT_FALSE(findBackward(buf, text("ab", false), 1));
    EXPECT_EQ(notFoundMessage("55AA", true), "Value 55AAh not found.");
    EXPECT_EQ(notFoundMessage("abc", false), "String 'abc' not found.");
}

TEST(Find, RepeatedPressesWalkFromHitToHit) {
    const auto buf = bytes("abc--abc--abc");
    std::vector<std::size_t> forward;
    std::size_t cursor = 0;
    bool first = true;
    while (true) {
        // The first press with the cursor on byte 0 uses "Entire scope" to find a hit at 0.
        const std::size_t from = findStartOffset(cursor, buf.size(), true, first);
        first = false;
        const auto hit = findForward(buf, text("abc", true), from);
        if (!hit) {
            break;
        }
        forward.push_back(*hit);
        cursor = *hit;
    }
    EXPECT_EQ(forward, (std::vector<std::size_t>{0, 5, 10}));
    EXPECT_EQ(findStartOffset(12, 13, true, false), 12u); // cursor on the last byte stays
    EXPECT_EQ(findStartOffset(0, 13, false, false), 0u);
    EXPECT_EQ(findStartOffset(5, 13, false, false), 4u);
}

// The block scans must agree with a plain byte-by-byte scan everywhere, including near both
// ends of the buffer and for letters whose case differs.
TEST(Find, BlockScanAgreesWithPlainScan) {
    std::mt19937 rng(3);
    const std::string alphabet = "aAbB\xe9\xc9-";
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> buf(rng() % 90);
        for (auto& b : buf) {
            b = static_cast<std::uint8_t>(alphabet[rng() % alphabet.size()]);
        }
        std::string pat(1 + rng() % 3, 'a');
        for (auto& c : pat) {
            c = alphabet[rng() % alphabet.size()];
        }
        for (bool cs : {true, false}) {
            const SearchPattern p = text(pat, cs);
            auto eq = [&](std::size_t at) {
                for (std::size_t k = 0; k < pat.size(); ++k) {
                    unsigned a = buf[at + k], b = static_cast<std::uint8_t>(pat[k]);
                    if (!cs && ((a | 0x20) == (b | 0x20)) &&
                        ((a & ~0x20u) == 'A' || (a & ~0x20u) == 'B' || (a & ~0x20u) == 0xC9)) {
                        continue;
                    }
                    if (a != b) {
                        return false;
                    }
                }
                return true;
            };
            const std::size_t from = buf.empty() ? 0 : rng() % buf.size();
            std::optional<std::size_t> fwd, bwd;
            for (std::size_t i = from; i + pat.size() <= buf.size(); ++i) {
                if (eq(i)) {
                    fwd = i;
                    break;
                }
            }
            for (std::size_t i = from + 1; i-- > 0;) {
                if (i + pat.size() <= buf.size() && eq(i)) {
                    bwd = i;
                    break;
                }
            }
            EXPECT_EQ(findForward(buf, p, from), fwd) << round;
            EXPECT_EQ(findBackward(buf, p, from), bwd) << round;
        }
    }
}

TEST(Replace, RefusesUnequalLengthsAndCountsReplaceAll) {
    auto buf = bytes("AB--ab--Ab--");
    bool restart = true;
    const ReplaceOutcome refused = replaceInBuffer(buf, {"AB", "XYZ"}, 0, restart);
    EXPECT_TRUE(refused.Refused);
    EXPECT_EQ(refused.Message, "Search and replace strings should have the same length.");

    ReplaceRequest all{"ab", "xy", true, false, true};
    const ReplaceOutcome done = replaceInBuffer(buf, all, 0, restart);
    EXPECT_EQ(done.Count, 3);
    EXPECT_EQ(done.Message, "3 replaces done.");
    EXPECT_EQ(done.LastOffset, 9u);
    EXPECT_EQ(std::string(buf.begin(), buf.end()), "xy--xy--xy--");
    EXPECT_FALSE(restart);

    const ReplaceOutcome none = replaceInBuffer(buf, all, 0, restart);
    EXPECT_EQ(none.Count, 0);
    EXPECT_EQ(none.Message, "String 'ab' not found.");
}

TEST(Replace, SingleStepsMoveOnAndBackwardWorks) {
    auto buf = bytes("aa-aa-aa");
    bool restart = true;
    ReplaceRequest one{"aa", "bb", true, true, false};
    ReplaceOutcome r = replaceInBuffer(buf, one, 0, restart);
    EXPECT_EQ(r.Count, 1);
    EXPECT_TRUE(r.Message.empty());
    EXPECT_EQ(r.LastOffset, 1u);
    r = replaceInBuffer(buf, one, r.LastOffset, restart);
    EXPECT_EQ(r.LastOffset, 4u);
    EXPECT_EQ(std::string(buf.begin(), buf.end()), "bb-bb-aa");

    auto back = bytes("aa-aa-aa");
    restart = true;
    r = replaceInBuffer(back, {"aa", "cc", false, true, true}, back.size() - 1, restart);
    EXPECT_EQ(r.Count, 3);
    EXPECT_EQ(std::string(back.begin(), back.end()), "cc-cc-cc");

    // A replacement that matches the search text again is not replaced twice.
    auto same = bytes("a-a");
    restart = true;
    r = replaceInBuffer(same, {"a", "A", true, false, true}, 0, restart);
    EXPECT_EQ(r.Count, 2);
}

TEST(Replace, DataSetCountsAsEditedOnlyAfterAReplacement) {
    CDataSet ds;
    ds.Memories[0].ChecksumValid = 1;
    auto buf = bytes("hello");
    bool restart = true;
    replaceInDataSet(ds, 0, buf, {"xx", "yy", true, false, false}, 0, restart);
    EXPECT_EQ(ds.Memories[0].ChecksumValid, 1);
    replaceInDataSet(ds, 0, buf, {"ll", "LL", true, false, false}, 0, restart);
    EXPECT_EQ(ds.Memories[0].ChecksumValid, 0);
    EXPECT_EQ(ds.Memories[0].Modified, 1);
}

TEST(GoTo, CellsToBytesOffsetAndRange) {
    EXPECT_EQ(goToAddress(0x10, Mode16, false, 0, 0x1000), 0x20u);
    EXPECT_EQ(goToAddress(0x10, Mode16, true, 0x100, 0x1000), 0x120u);
    EXPECT_EQ(goToAddress(0x10, Mode32, false, 0, 0x1000), 0x40u);
    EXPECT_EQ(goToAddress(0xFFF, Mode8, false, 0, 0x1000), 0xFFFu);
    EXPECT_FALSE(goToAddress(0x1000, Mode8, false, 0, 0x1000));
    EXPECT_FALSE(goToAddress(0x800, Mode16, false, 0, 0x1000));
}

std::optional<std::uint64_t> nextDiff(const std::vector<std::uint8_t>& a,
                                      const std::vector<std::uint8_t>& b, std::uint64_t cursor) {
    auto reader = [](const std::vector<std::uint8_t>& v) {
        return [&v](std::uint64_t off, std::span<std::uint8_t> out) -> std::size_t {
            const std::size_t n = std::min<std::size_t>(out.size(), v.size() - off);
            std::copy_n(v.begin() + static_cast<long>(off), n, out.begin());
            return n;
        };
    };
    return findNextDifference(reader(a), reader(b), cursor, a.size());
}

TEST(NextDifference, SkipsTheCurrentRunThenStopsAtTheNext) {
    std::vector<std::uint8_t> a(0x30000, 0x11), b = a;
    EXPECT_FALSE(nextDiff(a, b, 0));
    b[0x40] = 0;
    EXPECT_EQ(nextDiff(a, b, 0), 0x40u);
    EXPECT_FALSE(nextDiff(a, b, 0x40));
    // A run of differences across the 64 KiB piece boundary of the scan is one run.
    for (std::size_t i = 0x10030; i < 0x10050; ++i) {
        b[i] = 0;
    }
    b[0x20000] = 0;
    EXPECT_EQ(nextDiff(a, b, 0x40), 0x10030u);
    EXPECT_EQ(nextDiff(a, b, 0x10030), 0x20000u); // scan starts at 0x10031, inside the run
    // A cursor at 0 on a difference does not skip: the scan starts at 0 and is in the run.
    b[0] = 0;
    b[1] = 0;
    EXPECT_EQ(nextDiff(a, b, 0), 0x40u);
}

TEST(NextDifference, ReadsTwoDataSets) {
    test::TempDir dir;
    CDataSet x, y;
    for (CDataSet* ds : {&x, &y}) {
        const auto path = dir / (ds == &x ? "x.swp" : "y.swp");
        ASSERT_TRUE(test::writeFile(path, std::string(0x200, '\x22')));
        ds->SwapFile = platform::File::open(path, platform::OpenMode::ReadWrite);
        ds->TotalSize = 0x200;
        ds->MemStart = {0, 0x100, 0x200, 0x200, 0x200};
    }
    const std::uint8_t zero = 0;
    ASSERT_TRUE(y.Write(1, 0x80, {&zero, 1}));
    EXPECT_EQ(findNextDifference(x, y, 1, 0), 0x80u);
    EXPECT_FALSE(findNextDifference(x, y, 0, 0));
}

} // namespace
} // namespace zelmo::editor
