#include "editor/buffer_entry.h"
#include "editor/view_fixture.h"

#include <gtest/gtest.h>

namespace zelmo::editor::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST_F(ViewTest, TypingFourDigitsOnA16BitCellStoresItLittleEndian) {
    addDevice({{0x40, ORG_16BIT}});
    put(0, {0x00, 0x00});
    view.RefreshPage(false);
    const EntryResult first = view.KeyPress(U'1');
    EXPECT_TRUE(first.Written);
    EXPECT_TRUE(first.ModifiedSet);
    EXPECT_EQ(get(0, 2), (Bytes{0x00, 0x10})); // a half-typed cell is already in the buffer
    EXPECT_EQ(viewState().Cursor, 0u);
    type("234");
    EXPECT_EQ(get(0, 2), (Bytes{0x34, 0x12}));
    EXPECT_EQ(text(GridKind::Hex, 0, 0), "1234");
    EXPECT_EQ(text(GridKind::Characters, 0, 0), ".4");
    EXPECT_EQ(viewState().Cursor, 2u);
    EXPECT_EQ(view.NibbleCount, 0);
    EXPECT_EQ(shown().Memories[0].Modified, 1);
    EXPECT_EQ(shown().Memories[0].ChecksumValid, 0);
    EXPECT_FALSE(view.KeyPress(U'5').ModifiedSet); // already modified
}

TEST_F(ViewTest, TheLastCellCompletesWithoutMovingTheCursor) {
    struct Case {
        std::uint8_t organization;
        std::uint32_t cursor;
        const char* digits;
        Bytes stored;
    };
    const Case cases[] = {
        {ORG_8BIT, 0x1F, "5A", {0x5A}},
        {ORG_16BIT, 0x1E, "BEEF", {0xEF, 0xBE}},
        {ORG_32BIT, 0x1C, "01234567", {0x67, 0x45, 0x23, 0x01}},
        // A cursor inside the last cell (a search hit) still types into the whole cell.
        {ORG_32BIT, 0x1E, "89ABCDEF", {0xEF, 0xCD, 0xAB, 0x89}},
    };
    addDevice({{0x20, ORG_8BIT}});
    for (const Case& c : cases) {
        dev().Buffers[0].Organization = c.organization;
        view.GoToAddress(c.cursor);
        type(c.digits);
        const std::uint32_t first =
            c.cursor - c.cursor % static_cast<std::uint32_t>(c.stored.size());
        EXPECT_EQ(get(first, c.stored.size()), c.stored) << c.digits;
        EXPECT_EQ(viewState().Cursor, c.cursor) << c.digits;
        // The next digit starts the same cell again at its first digit.
        view.KeyPress(U'0');
        EXPECT_EQ(get(0x1F, 1)[0] >> 4, 0) << c.digits;
    }
}

TEST_F(ViewTest, HalfTypedCellThenAnArrowKeyStartsTheNextCellAtItsHighNibble) {
    addDevice({{0x40, ORG_8BIT}});
    put(0, {0x12, 0x34});
    type("A");
    EXPECT_TRUE(view.KeyDown(NavKey::Right, false, false, false));
    type("Gb"); // "G" is no hex digit and is dropped; lower case counts
    EXPECT_EQ(get(0, 2), (Bytes{0xA2, 0xB4}));
    EXPECT_EQ(view.NibbleCount, 1);
    EXPECT_EQ(viewState().Cursor, 1u);
    // A navigation key with a modifier is not handled and leaves the count alone.
    EXPECT_FALSE(view.KeyDown(NavKey::Right, true, false, false));
    type("C");
    EXPECT_EQ(get(1, 1), Bytes{0xBC});
    EXPECT_EQ(viewState().Cursor, 2u);

    // A half-typed cell is forgotten when the view comes to show another device, however the
    // switch reached it.
    addDevice({{0x40, ORG_8BIT}});
    type("D");
    project.ActiveDevice = 1;
    type("E");
    EXPECT_EQ(get(0, 1, 0, 1), Bytes{0xEF});
    EXPECT_EQ(get(2, 1, 0, 0), Bytes{0xDF});
}

TEST_F(ViewTest, CharacterEntryFillsTheCellHighByteFirst) {
    addDevice({{0x40, ORG_16BIT}});
    view.MouseDown({GridKind::Characters, 1, 1}, MouseButton::Left, false);
    EXPECT_EQ(view.Focus, GridKind::Characters);
    EXPECT_EQ(viewState().Cursor, 2u);
    view.KeyPress(U'\t');     // control characters are dropped
    view.KeyPress(U'\u20AC'); // and so is one the 8-bit code page cannot hold
    type("AB");
    EXPECT_EQ(get(2, 2), (Bytes{'B', 'A'}));
    EXPECT_EQ(text(GridKind::Characters, 0, 1), "AB");
    EXPECT_EQ(text(GridKind::Hex, 0, 1), "4142");
    EXPECT_EQ(viewState().Cursor, 4u);
}

TEST_F(ViewTest, TypingChangesNothingOnReadOnlyLockedOrBusyBuffers) {
    enum Lock { ReadOnly, NotEditable, Busy, Disabled };
    for (Lock lock : {ReadOnly, NotEditable, Busy, Disabled}) {
        project.CloseAll(true);
        addDevice({{0x40, ORG_8BIT, lock == ReadOnly ? std::uint32_t{BUF_READ_ONLY} : 0u}});
        if (lock == NotEditable) {
            EXPECT_EQ(view.ToggleEditable(), "Buffer read-only.");
        }
        dev().Busy = lock == Busy ? 1 : 0;
        view.GridsEnabled = lock != Disabled;
        view.Focus = GridKind::Hex;
        type("12");
        view.Focus = GridKind::Characters;
        type("x");
        EXPECT_EQ(get(0, 2), (Bytes{0xFF, 0xFF})) << lock;
        EXPECT_EQ(shown().Memories[0].Modified, 0) << lock;
        EXPECT_EQ(viewState().Cursor, 0u) << lock;
    }
    // Editable again: typing works.
    view.GridsEnabled = true;
    EXPECT_EQ(view.ToggleEditable(), "Buffer read-only.");
    EXPECT_EQ(view.ToggleEditable(), "Buffer editable.");
    view.Focus = GridKind::Hex;
    type("12");
    EXPECT_EQ(get(0, 1), Bytes{0x12});

    // A read-only memory is drawn grey and its popup refuses every change.
    project.CloseAll(true);
    addDevice({{0x40, ORG_8BIT, BUF_READ_ONLY}});
    view.RefreshPage(false);
    EXPECT_EQ(view.Look({GridKind::Hex, 1, 3}, true).Ink, kGrey);
    const BufferPopup menu = view.Popup();
    EXPECT_FALSE(menu.LoadBuffer || menu.FillBuffer || menu.ClearBuffer || menu.Swap ||
                 menu.Replace);
    EXPECT_TRUE(menu.SaveBuffer);
}

TEST_F(ViewTest, FuseEntryStoresZeroOrOneAndMovesOn) {
    addDevice({{100, ORG_FUSE_MAP}, {10 * 48, ORG_TEST_VECTORS}}, DT_PLD);
    type("0X");
    EXPECT_EQ(get(0, 3), (Bytes{0, 1, 0xFF}));
    EXPECT_EQ(viewState().Cursor, 2u);
    EXPECT_EQ(text(GridKind::Fuses, 0, 0), "0");
    EXPECT_EQ(text(GridKind::Fuses, 0, 1), "1");
    view.KeyPress(kEnter);
    EXPECT_EQ(viewState().Cursor, 2u);
    // End of the first row: on to the next row, whose address column reads 00000064.
    view.GoToAddress(63);
    type("0");
    EXPECT_EQ(viewState().Cursor, 64u);
    EXPECT_EQ(view.Look({GridKind::Address, 2, 0}, true).Text, "00000064");
    view.GoToAddress(99);
    type("0");
    EXPECT_EQ(get(99, 1), Bytes{0});
    EXPECT_EQ(viewState().Cursor, 99u);

    // The vector grid takes no typing.
    dev().CurrentMemory = 1;
    view.ShowCurrent();
    type("H");
    EXPECT_EQ(get(0, 1, 1), Bytes{0xFF});
}

TEST_F(ViewTest, BufferSmallerThanAScreenHasEmptyCellsAndNoScrollBar) {
    addDevice({{40, ORG_8BIT}});
    for (std::uint8_t organization : {ORG_8BIT, ORG_16BIT, ORG_32BIT}) {
        dev().Buffers[0].Organization = organization;
        EXPECT_FALSE(view.LayoutGrids(2 + 17 * 20).Enabled);
        view.RefreshPage(false);
        const ViewLayout layout = view.layout();
        for (GridKind grid : {GridKind::Hex, GridKind::Characters}) {
            for (int row = 1; row < 20; ++row) {
                for (int column = 0; column < static_cast<int>(layout.columns()); ++column) {
                    const bool inside =
                        layout.inside(layout.cellAddress(layout.cellIndex(0, row - 1, column)));
                    const CellLook look = view.Look({grid, row, column}, true);
                    EXPECT_EQ(look.Empty, !inside) << int(organization) << " " << row;
                    EXPECT_EQ(look.Text.isEmpty(), !inside) << int(organization) << " " << row;
                }
            }
        }
        EXPECT_FALSE(view.Look({GridKind::Address, 3, 0}, true).Empty);
        EXPECT_TRUE(view.Look({GridKind::Address, 4, 0}, true).Empty);
    }
    EXPECT_EQ(kEmptyCell, (Rgb{255, 255, 225}));
    EXPECT_EQ(view.LayoutGrids(100000).Height, 65 * 17 - 1 - 17);
    EXPECT_EQ(view.RowCount, 65);
}

TEST_F(ViewTest, RefreshReadsOnePageWhateverTheBufferSize) {
    addDevice({{0x10008, ORG_8BIT}, {0x8000, ORG_FUSE_MAP}});
    put(0x640, {0xAB});
    EXPECT_TRUE(view.LayoutGrids(100000).Enabled);
    std::uint64_t before = view.pages().bytesRead();
    view.ScrollTo(0x64);
    EXPECT_EQ(view.pages().bytesRead() - before, 1024u);
    EXPECT_EQ(text(GridKind::Hex, 0, 0), "AB");
    EXPECT_EQ(view.Look({GridKind::Address, 1, 0}, true).Text, "00000640");

    // The last page holds the rest of the buffer only: 0x1001 rows, the last of 8 bytes.
    before = view.pages().bytesRead();
    view.ScrollTo(0xFFFFFFFF);
    EXPECT_EQ(viewState().TopRow, 0x1001u - 64);
    EXPECT_EQ(view.pages().bytesRead() - before, 0x10008u - (0x1001u - 64) * 16);
    view.GoToAddress(0xFFF8);
    EXPECT_EQ(viewState().TopRow, 0x1001u - 64);
    EXPECT_EQ(viewState().Cursor, 0xFFF8u);

    dev().CurrentMemory = 1;
    before = view.pages().bytesRead();
    view.ShowCurrent();
    EXPECT_EQ(view.pages().bytesRead() - before, 4096u);
}

TEST_F(ViewTest, BusyDeviceKeepsItsOldPageUntilARefreshIsForced) {
    addDevice({{0x10000, ORG_8BIT}, {0x100, ORG_8BIT}});
    put(0, {0x11});
    put(0x400, {0x44});
    view.LayoutGrids(100000);
    view.RefreshPage(false);
    put(0, {0x22}); // an operation writes behind the view
    dev().Busy = 1;
    EXPECT_FALSE(view.RefreshPage(false));
    EXPECT_EQ(text(GridKind::Hex, 0, 0), "11");
    EXPECT_FALSE(view.UpdateScrollBar().Enabled);
    // Paging on while busy shows nothing for rows the page does not hold, rather than the old
    // rows' bytes under new addresses.
    view.KeyDown(NavKey::PageDown, false, false, false);
    EXPECT_EQ(viewState().TopRow, 64u);
    EXPECT_EQ(text(GridKind::Hex, 0, 0), "  ");
    EXPECT_EQ(text(GridKind::Characters, 0, 0), " ");
    EXPECT_TRUE(view.RefreshPage(true));
    EXPECT_EQ(text(GridKind::Hex, 0, 0), "44");
    view.GoToAddress(0);
    EXPECT_EQ(text(GridKind::Hex, 0, 0), "  "); // still busy: not re-read
    // Nor does the page of memory A stand in for memory B.
    view.RefreshPage(true);
    dev().CurrentMemory = 1;
    view.ShowCurrent();
    EXPECT_EQ(text(GridKind::Hex, 0, 0), "  ");
    dev().CurrentMemory = 0;
    dev().Busy = 0;
    view.RefreshPage(false);
    EXPECT_EQ(text(GridKind::Hex, 0, 0), "22");
}

TEST_F(ViewTest, GoToAndDisplayModeReachLinkedDevices) {
    const std::vector<MemoryShape> memories{{0x10000, ORG_8BIT}, {0x100, ORG_FUSE_MAP}};
    for (int i = 0; i < 3; ++i) {
        addDevice(memories);
    }
    project.LinkDevices = 1;
    project.UpdateLinks();
    dev(2).Linked = 0;
    dev(1).CurrentMemory = 1; // shows its fuse map
    view.LayoutGrids(2 + 17 * 11);

    view.GoToAddress(0x1234);
    EXPECT_EQ(viewState(0).TopRow, 0x123u);
    EXPECT_EQ(viewState(0).Cursor, 0x1234u);
    // The linked device's fuse map has 0x100 fuses in four rows: it fits, and the cursor stops
    // on its last fuse.
    EXPECT_EQ(viewState(1).TopRow, 0u);
    EXPECT_EQ(viewState(1).Cursor, 0xFFu);
    EXPECT_EQ(viewState(2).Cursor, 0u);

    dev(2).CurrentMemory = 0;
    dev(2).Linked = 1;
    EXPECT_EQ(view.SetDisplayMode(1), "Code (Buffer A) mode changed to 16-bit.");
    EXPECT_EQ(dev(0).Buffers[0].Organization, ORG_16BIT);
    EXPECT_EQ(dev(2).Buffers[0].Organization, ORG_16BIT);
    EXPECT_EQ(dev(1).Buffers[1].Organization, ORG_FUSE_MAP);
    EXPECT_EQ(dev(1).Buffers[0].Organization, ORG_8BIT);
    EXPECT_EQ(viewState(0).Cursor, 0x1234u); // place and selection keep their values
    EXPECT_EQ(view.Popup().CheckedMode, 1);

    dev(0).CurrentMemory = 1;
    EXPECT_FALSE(view.SetDisplayMode(0));
    EXPECT_EQ(dev(0).Buffers[1].Organization, ORG_FUSE_MAP);
}

TEST_F(ViewTest, CellLooksShowCursorSelectionAreasAndDifferences) {
    addDevice({{0x100, ORG_8BIT}});
    BufferInfo& info = dev().Buffers[0];
    info.Areas[0] = {};
    info.Areas[0].Start = 0x10;
    info.Areas[0].End = 0x1F;
    info.Areas[0].Color = 0x000000FF; // red as 0x00BBGGRR
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    ASSERT_TRUE(dev().DataSets[1]->Write(0, 3, Bytes{0x00}));
    view.MouseDown({GridKind::Hex, 2, 2}, MouseButton::Left, false);
    view.MouseDown({GridKind::Hex, 3, 1}, MouseButton::Left, true);
    EXPECT_EQ(viewState().SelStart, 0x12u);
    EXPECT_EQ(viewState().SelEnd, 0x21u);
    view.MouseDown({GridKind::Hex, 0, 5}, MouseButton::Left, false); // header: nothing
    view.MouseDown({GridKind::Address, 2, 0}, MouseButton::Left, false);
    view.MouseDown({GridKind::Hex, 1, 9}, MouseButton::Other, false);
    EXPECT_EQ(viewState().Cursor, 0x21u);
    EXPECT_EQ(viewState().SelEnd, 0x21u);

    const CellLook plain = view.Look({GridKind::Hex, 1, 5}, true);
    EXPECT_EQ(plain.Background, fromColorRef(0x00F0F0F0));
    EXPECT_EQ(plain.Ink, kBlack);
    EXPECT_FALSE(plain.Highlight || plain.Bold);
    EXPECT_EQ(plain.TextOffset, 1);
    EXPECT_TRUE(plain.LineBelow && plain.LineRight);
    EXPECT_EQ(plain.RightLine, kGridLine);
    EXPECT_FALSE(view.Look({GridKind::Characters, 1, 15}, true).LineRight);
    EXPECT_FALSE(view.Look({GridKind::Hex, view.RowCount - 1, 0}, true).LineBelow);
    EXPECT_EQ(view.Look({GridKind::Hex, 2, 0}, true).Background, (Rgb{255, 0, 0}));
    EXPECT_TRUE(view.Look({GridKind::Characters, 2, 5}, true).Highlight);
    const CellLook focused = view.Look({GridKind::Hex, 3, 1}, true);
    EXPECT_EQ(focused.Background, kBlack);
    EXPECT_EQ(focused.Ink, kWhite);
    EXPECT_EQ(view.Look({GridKind::Characters, 3, 1}, true).Background, kGrey);
    EXPECT_EQ(view.Look({GridKind::Hex, 3, 1}, false).Background, kGrey);
    const CellLook header = view.Look({GridKind::Hex, 0, 1}, true);
    EXPECT_EQ(header.Text, "1");
    EXPECT_EQ(header.Background, kGrey);
    EXPECT_EQ(header.RightLine, kGrey);
    EXPECT_EQ(view.Look({GridKind::Hex, 0, 2}, true).Background, kHeader8Bit);
    EXPECT_EQ(view.Look({GridKind::Address, 0, 0}, true).Text, "Address");
    EXPECT_EQ(view.Look({GridKind::Address, 3, 0}, true).Background, kGrey);
    EXPECT_EQ(view.Look({GridKind::Address, 2, 0}, true).Background, kEmptyCell);

    // Comparison with the second data set: the one differing cell turns red and bold.
    EXPECT_EQ(view.Look({GridKind::Hex, 1, 3}, true).Ink, kBlack);
    shown().CompareTo = 1;
    view.RefreshPage(false);
    const CellLook differs = view.Look({GridKind::Hex, 1, 3}, true);
    EXPECT_EQ(differs.Ink, kRed);
    EXPECT_TRUE(differs.Bold);
    EXPECT_EQ(view.Look({GridKind::Hex, 1, 4}, true).Ink, kBlack);
    shown().CompareTo = -1;
    view.RefreshPage(false);
    EXPECT_EQ(view.pages().findComparePage(0), nullptr);
    EXPECT_EQ(view.Look({GridKind::Hex, 1, 3}, true).Ink, kBlack);
}

TEST_F(ViewTest, HintsAndWheelInEveryView) {
    addDevice({{0x1000, ORG_8BIT}, {0x1000, ORG_FUSE_MAP}, {0x1000, ORG_TEST_VECTORS}});
    view.LayoutGrids(2 + 17 * 5);
    view.Hover = GridHit{GridKind::Hex, 2, 2};
    EXPECT_EQ(view.Hint(), "12h / 18");
    view.Hover = GridHit{GridKind::Hex, 0, 2};
    EXPECT_EQ(view.Hint(), "");

    dev().CurrentMemory = 1;
    view.ShowCurrent();
    view.Wheel(true, false);
    view.Wheel(true, true);
    EXPECT_EQ(viewState().Cursor, 64u * 5);
    EXPECT_EQ(viewState().TopRow, 4u);
    view.Hover = GridHit{GridKind::Fuses, 1, 0};
    EXPECT_EQ(view.Hint(), "256");
    const CellLook fuse = view.Look({GridKind::Fuses, 1, 0}, true);
    EXPECT_TRUE(fuse.LineBelow);
    EXPECT_FALSE(fuse.LineRight);

    dev().CurrentMemory = 2;
    put(48 + 2, {'H'}, 2);
    view.ShowCurrent();
    view.Hover = GridHit{GridKind::Vectors, 2, 2};
    EXPECT_EQ(view.Hint(), "Vector 2, pin 3");
    EXPECT_EQ(text(GridKind::Vectors, 1, 2), "H");
    view.Hover = GridHit{GridKind::Vectors, 2, 3};
    EXPECT_EQ(view.Hint(), "");
    EXPECT_EQ(text(GridKind::Vectors, 1, 3), "");
    view.Wheel(true, false);
    EXPECT_EQ(viewState().Cursor, 48u);
}

} // namespace
} // namespace zelmo::editor::test
