#include "editor/buffer_cursor.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelmo::editor {
namespace {

struct Step {
    NavKey key;
    std::uint32_t cursor, topRow;
};

// Runs keys from `start` and checks where each one leaves cursor and TopRow.
void walk(const ViewLayout& layout, BufferViewState start, const std::vector<Step>& steps,
          const char* what) {
    BufferViewState state = start;
    int n = 0;
    for (const Step& step : steps) {
        moveCursor(layout, state, step.key);
        EXPECT_EQ(state.Cursor, step.cursor) << what << ", step " << n;
        EXPECT_EQ(state.TopRow, step.topRow) << what << ", step " << n;
        ++n;
    }
}

TEST(CursorKeys, ArrowsScrollOneRowWhenTheCursorLeavesTheScreen) {
    // 5 grid rows: 4 data rows of 16 bytes over 0x100 bytes (16 rows, last TopRow 12).
    const ViewLayout layout(ORG_8BIT, 0x100, 5);
    walk(layout, {},
         {{NavKey::Up, 0, 0},
          {NavKey::Left, 0, 0},
          {NavKey::Down, 0x10, 0},
          {NavKey::Down, 0x20, 0},
          {NavKey::Down, 0x30, 0},
          {NavKey::Down, 0x40, 1}, // row 4 left the screen
          {NavKey::Right, 0x41, 1},
          {NavKey::Up, 0x31, 1},
          {NavKey::Up, 0x21, 1},
          {NavKey::Up, 0x11, 1},
          {NavKey::Left, 0x10, 1},
          {NavKey::Up, 0x00, 0}},
         "8-bit");
    // Right and Left step whole cells; Left stops at the first cell, also from an address
    // inside it.
    const ViewLayout words(ORG_16BIT, 0x100, 5);
    walk(words, {0, 1, 0, 0, 0},
         {{NavKey::Left, 1, 0}, {NavKey::Right, 3, 0}, {NavKey::Left, 1, 0}}, "16-bit odd cursor");
    const ViewLayout dwords(ORG_32BIT, 0x100, 5);
    walk(dwords, {0, 0x3C, 0, 0, 0}, {{NavKey::Right, 0x40, 1}, {NavKey::Left, 0x3C, 1}}, "32-bit");
}

TEST(CursorKeys, SizeNotAMultipleOf16ReachesTheLastByteAndNoFurther) {
    // 100 bytes: 6 full rows and a row of 4; 3 data rows on screen, last TopRow 4.
    const ViewLayout layout(ORG_8BIT, 100, 4);
    BufferViewState state;
    for (int i = 0; i < 200; ++i) {
        moveCursor(layout, state, NavKey::Right);
    }
    EXPECT_EQ(state.Cursor, 99u);
    EXPECT_EQ(state.TopRow, 4u);
    moveCursor(layout, state, NavKey::Down);
    EXPECT_EQ(state.Cursor, 99u);

    walk(layout, {},
         {{NavKey::PageDown, 48, 3},
          {NavKey::PageDown, 96, 4}, // not past the last page
          {NavKey::PageDown, 99, 4},
          {NavKey::PageDown, 99, 4},
          {NavKey::PageUp, 51, 1},
          {NavKey::PageUp, 3, 0},
          {NavKey::PageUp, 0, 0}},
         "paging");
    // Near the end of 16- and 32-bit grids Page Down lands on the first byte of the last cell,
    // so typing there fills that whole cell.
    walk(ViewLayout(ORG_16BIT, 100, 4), {3, 90, 0, 0, 0}, {{NavKey::PageDown, 98, 4}}, "16-bit");
    walk(ViewLayout(ORG_32BIT, 101, 4), {3, 90, 0, 0, 0}, {{NavKey::PageDown, 100, 4}}, "32-bit");
    walk(ViewLayout(ORG_32BIT, 101, 4), {4, 100, 0, 0, 0}, {{NavKey::Right, 100, 4}}, "32-bit end");
}

TEST(CursorKeys, BufferSmallerThanTheScreenNeverScrolls) {
    const ViewLayout layout(ORG_16BIT, 40, 65);
    walk(layout, {}, {{NavKey::PageDown, 38, 0}, {NavKey::Down, 38, 0}, {NavKey::PageUp, 0, 0}},
         "small");
    walk(ViewLayout(ORG_8BIT, 0, 65), {}, {{NavKey::PageDown, 0, 0}, {NavKey::Right, 0, 0}},
         "empty");
}

TEST(CursorKeys, EndOfA4GiBBufferDoesNotWrap) {
    const ViewLayout layout(ORG_8BIT, 0xFFFFFFFF, 65);
    const std::uint32_t last = 0x0FFFFFFF - 63; // last TopRow
    walk(layout, {last, 0xFFFFFFF8, 0, 0, 0},
         {{NavKey::Down, 0xFFFFFFF8, last},
          {NavKey::Right, 0xFFFFFFF9, last},
          {NavKey::PageDown, 0xFFFFFFFE, last},
          {NavKey::Right, 0xFFFFFFFE, last}},
         "4 GiB");
    EXPECT_EQ(layout.lastCell(), 0xFFFFFFFEu);
}

TEST(CursorKeys, FuseMapPagesByRowsOf64) {
    const ViewLayout layout(ORG_FUSE_MAP, 1000, 5); // 16 rows, 4 on screen, last TopRow 12
    walk(layout, {0, 999, 0, 0, 0}, {{NavKey::PageUp, 743, 0}}, "from an off-screen cursor");
    walk(layout, {}, {{NavKey::PageDown, 256, 4}, {NavKey::Down, 320, 4}, {NavKey::Left, 319, 4}},
         "fuses");
    EXPECT_EQ(wheelKey(true, false), NavKey::Down);
    EXPECT_EQ(wheelKey(true, true), NavKey::PageDown);
    EXPECT_EQ(wheelKey(false, true), NavKey::PageUp);
}

TEST(MouseSelection, ShiftClickSelectsWholeCellsBetweenAnchorAndCursor) {
    struct Click {
        std::uint64_t cell;
        bool shift;
        std::uint32_t cursor, anchor, selStart, selEnd;
    };
    struct Case {
        int organization;
        std::uint64_t size;
        std::vector<Click> clicks;
    };
    const Case cases[] = {
        // Click, then Shift+click on the same cell: no selection.
        {ORG_8BIT, 0x100, {{5, false, 5, 0, 0, 0}, {5, true, 5, 5, 0, 0}}},
        // Click, Shift+click further down: the range between, the last cell whole.
        {ORG_8BIT, 0x100, {{5, false, 5, 0, 0, 0}, {0x25, true, 0x25, 5, 5, 0x25}}},
        {ORG_16BIT, 0x100, {{2, false, 4, 0, 0, 0}, {9, true, 18, 4, 4, 19}}},
        {ORG_32BIT, 0x100, {{1, false, 4, 0, 0, 0}, {3, true, 12, 4, 4, 15}}},
        // Upwards the selection still runs from its lower to its upper end.
        {ORG_16BIT, 0x100, {{9, false, 18, 0, 0, 0}, {2, true, 4, 18, 4, 19}}},
        // The anchor is the cursor before each click: a second Shift+click starts at the previous
        // one.
        {ORG_8BIT, 0x100, {{1, false, 1, 0, 0, 0}, {3, true, 3, 1, 1, 3}, {8, true, 8, 3, 3, 8}}},
        // A click past the end moves nothing; a plain click clears the selection.
        {ORG_8BIT, 20, {{2, false, 2, 0, 0, 0}, {30, true, 2, 0, 0, 2}, {30, false, 2, 0, 0, 0}}},
        // The last cell of a buffer that ends inside a word: the selection stops at the end.
        {ORG_16BIT, 7, {{0, false, 0, 0, 0, 0}, {3, true, 6, 0, 0, 6}}},
    };
    for (const Case& c : cases) {
        const ViewLayout layout(c.organization, c.size, 65);
        BufferViewState state;
        int n = 0;
        for (const Click& click : c.clicks) {
            leftClick(layout, state, click.cell, click.shift);
            const std::vector<std::uint32_t> got{state.Cursor, state.Anchor, state.SelStart,
                                                 state.SelEnd};
            const std::vector<std::uint32_t> want{click.cursor, click.anchor, click.selStart,
                                                  click.selEnd};
            EXPECT_EQ(got, want) << "mode " << c.organization << ", click " << n;
            ++n;
        }
    }
}

} // namespace
} // namespace zelmo::editor
