#include "editor/buffer_tool_commands.h"
#include "editor/tool_dialog_rules.h"
#include "project/project.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zelmo::editor {
namespace {

PieceReader readerOver(const std::vector<std::uint8_t>& bytes) {
    return [&bytes](std::uint64_t offset, std::span<std::uint8_t> out) -> std::size_t {
        if (offset + out.size() > bytes.size()) {
            return 0;
        }
        std::memcpy(out.data(), bytes.data() + offset, out.size());
        return out.size();
    };
}

TEST(PreviousDifference, LandsOnTheFirstByteOfTheRunBeforeTheCursor) {
    // Three pieces and a bit; runs at 0..1, across the first piece boundary and near the end.
    const std::size_t size = 3 * 65536 + 100;
    std::vector<std::uint8_t> a(size, 0x11);
    std::vector<std::uint8_t> b(size, 0x11);
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{65534}, std::size_t{65535},
                          std::size_t{65536}, std::size_t{65537}, size - 3}) {
        b[i] = 0x22;
    }
    const PieceReader ra = readerOver(a);
    const PieceReader rb = readerOver(b);
    struct Case {
        std::uint64_t cursor;
        std::optional<std::uint64_t> expected;
    };
    const Case cases[] = {
        {size - 1, size - 3}, // the cursor after a one-byte run
        {size - 3, 65534},    // from the start of a run to the one before, across two pieces
        {65537, 65534},       // inside a run that crosses a piece boundary: its first byte
        {65534, 0},           // the run at the buffer's first byte
        {1, 0},
        {0, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findPreviousDifference(ra, rb, c.cursor, size), c.expected) << c.cursor;
    }
    // Identical buffers, and a reader that fails, give none.
    EXPECT_EQ(findPreviousDifference(ra, ra, size - 1, size), std::nullopt);
    const PieceReader failing = [](std::uint64_t, std::span<std::uint8_t>) -> std::size_t {
        return 0;
    };
    EXPECT_EQ(findPreviousDifference(ra, failing, size - 1, size), std::nullopt);
}

TEST(FillDialogRules, KindsValuesAndMirrors) {
    EXPECT_EQ(fillKindOf(FillOption::SeqBytes, true), 20);
    EXPECT_EQ(fillKindOf(FillOption::SeqWords, true), 21);
    EXPECT_EQ(fillKindOf(FillOption::SeqDWords, true), 23);
    EXPECT_EQ(fillKindOf(FillOption::Random, true), 3); // the order applies to sequences only
    EXPECT_EQ(fillKindOf(FillOption::Test512, false), 6);

    // Only the chosen constant's field gives the value.
    const auto word =
        fillDialogChoice(FillOption::ConstWord, false, "AA", "1234", "1", "2", 1, 0x10);
    ASSERT_TRUE(word);
    EXPECT_EQ(word->Value, 0x1234u);
    EXPECT_EQ(word->Range.First, 1u);
    EXPECT_EQ(word->Range.Last, 2u);
    EXPECT_EQ(fillDialogChoice(FillOption::Random, false, "", "", "0", "F", 1, 0x10)->Value, 0u);

    // Control characters have no character to show; characters beyond 8 bits give no code.
    EXPECT_EQ(byteAsciiFromHex("0A"), "");
    EXPECT_EQ(wordAsciiFromHex("0041"), "A");
    EXPECT_EQ(byteHexFromAscii(QString(QChar(0x20AC))), std::nullopt);
    EXPECT_EQ(byteHexFromAscii(QString(QChar(0xE9))), "e9");
    EXPECT_EQ(goToHexFromDecimal("x"), "0");
    EXPECT_EQ(goToHexFromDecimal("999999999"), "3B9AC9FF");
}

TEST(ToolRanges, SelectionOrWholeBufferAndChecksumCorrections) {
    BufferViewState state;
    EXPECT_EQ(selectionOrBuffer(state, 0x100).Last, 0xFFu);
    state.SelStart = 0x10;
    state.SelEnd = 0x1F;
    EXPECT_EQ(selectionOrBuffer(state, 0x100).First, 0x10u);
    // A selection stored for a larger buffer ends at this buffer's last byte.
    state.SelEnd = 0x1000;
    EXPECT_EQ(selectionOrBuffer(state, 0x100).Last, 0xFFu);

    struct Case {
        std::uint32_t from, to, fixedFrom, fixedTo;
    };
    const Case cases[] = {{2, 10, 2, 10},
                          {20, 10, 0, 0xFF},
                          {0, 0x100, 0, 0xFF},
                          {0x100, 0x200, 0, 0xFF},
                          {5, 5, 5, 5}};
    for (const Case& c : cases) {
        EXPECT_EQ(correctedChecksumFrom(c.from, c.to, 0x100), c.fixedFrom) << c.from;
        EXPECT_EQ(correctedChecksumTo(c.from, c.to, 0x100), c.fixedTo) << c.to;
    }
}

} // namespace
} // namespace zelmo::editor
