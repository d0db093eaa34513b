// The buffer view as a user meets it: keys, clicks and typing go through the widget's events, and
// what the user sees is read from the painted pixels.

#include "view_widget_fixture.h"

#include "controls/ui/picture_button.h"
#include "editor/buffer_view_look.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>

namespace zelmo::editor::test {
namespace {

QColor colour(const Rgb& rgb) {
    return {rgb.R, rgb.G, rgb.B};
}

TEST_F(ViewWidgetTest, BufferSmallerThanTheScreenHasNoScrollBarAndLightYellowEmptyCells) {
    struct Case {
        std::uint8_t organization;
        GridHit lastUsed;   // the cell holding the buffer's last byte
        GridHit firstEmpty; // the cell after it
        GridHit emptyRow;   // a cell of a row past the end
    };
    // 40 bytes: two full rows of 16 and half of a third.
    const Case cases[] = {
        {ORG_8BIT, {GridKind::Hex, 3, 7}, {GridKind::Hex, 3, 8}, {GridKind::Hex, 4, 0}},
        {ORG_16BIT, {GridKind::Hex, 3, 3}, {GridKind::Hex, 3, 4}, {GridKind::Characters, 4, 0}},
        {ORG_32BIT, {GridKind::Hex, 3, 1}, {GridKind::Hex, 3, 2}, {GridKind::Characters, 5, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.organization);
        project.CloseAll(true);
        addDevice({40, c.organization});
        EXPECT_FALSE(view.sbScroll->isEnabled());
        const QImage image = paint();
        EXPECT_NE(background(image, grids()->CellRect(c.lastUsed)), colour(kEmptyCell));
        EXPECT_EQ(background(image, grids()->CellRect(c.firstEmpty)), colour(kEmptyCell));
        EXPECT_EQ(background(image, grids()->CellRect(c.emptyRow)), colour(kEmptyCell));
        EXPECT_EQ(darkest(image, grids()->CellRect(c.firstEmpty)), colour(kEmptyCell).lightness())
            << "nothing is written in an empty cell";

        // Keys and the wheel never scroll a buffer that fits.
        key(Qt::Key_PageDown);
        const QPointF over = grids()->CellRect(c.lastUsed).center();
        QWheelEvent wheel(over, grids()->mapToGlobal(over), {}, {0, -120}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grids(), &wheel);
        EXPECT_EQ(state().TopRow, 0u);
    }
}

TEST_F(ViewWidgetTest, SizeNotAMultipleOf16StopsTheCursorAtTheLastByte) {
    constexpr std::uint32_t kSize = 0x1230 + 5; // ends five bytes into a row, past one screen
    addDevice({kSize, ORG_8BIT});
    EXPECT_TRUE(view.sbScroll->isEnabled());
    for (int i = 0; i < 400; ++i) {
        key(Qt::Key_PageDown);
    }
    EXPECT_EQ(state().Cursor, kSize - 1);
    EXPECT_EQ(view.sbScroll->value(), view.sbScroll->maximum()) << "the bar follows the view";
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    EXPECT_EQ(state().Cursor, kSize - 1);

    // From the start of the last row, Right walks to the last byte and stops there.
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(state().Cursor, kSize - 5);
    for (int i = 0; i < 10; ++i) {
        key(Qt::Key_Right);
    }
    EXPECT_EQ(state().Cursor, kSize - 1);
    // The last row shows its five bytes and empty cells after them.
    const std::uint32_t lastRow = (kSize - 1) / 16 - state().TopRow;
    const QImage image = paint();
    const GridHit used{GridKind::Hex, static_cast<int>(lastRow) + 1, 4};
    const GridHit past{GridKind::Hex, static_cast<int>(lastRow) + 1, 5};
    EXPECT_NE(background(image, grids()->CellRect(used)), colour(kEmptyCell));
    EXPECT_EQ(background(image, grids()->CellRect(past)), colour(kEmptyCell));
}

TEST_F(ViewWidgetTest, TypedDigitsFillA16BitCellLittleEndianAndAnArrowEndsAHalfTypedCell) {
    addDevice({0x40, ORG_16BIT});
    typeText(QStringLiteral("1234"));
    EXPECT_EQ(get(0, 2), (Bytes{0x34, 0x12}));
    EXPECT_EQ(state().Cursor, 2u) << "a full cell moves the cursor on";
    EXPECT_EQ(view.Model().Look({GridKind::Hex, 1, 0}, true).Text, "1234");
    EXPECT_EQ(device().Shown()->Memories[0].Modified, 1);

    // Half a cell, then an arrow: the next cell starts again at its high digit.
    typeText(QStringLiteral("A"));
    EXPECT_EQ(get(2, 2), (Bytes{0xFF, 0xAF}));
    key(Qt::Key_Right);
    typeText(QStringLiteral("B"));
    EXPECT_EQ(get(2, 4), (Bytes{0xFF, 0xAF, 0xFF, 0xBF}));
    EXPECT_EQ(state().Cursor, 4u);
}

TEST_F(ViewWidgetTest, ShiftClickSelectsFromTheLastClickToWholeCells) {
    addDevice({0x100, ORG_16BIT});
    click({GridKind::Hex, 1, 2}); // bytes 4 and 5
    EXPECT_EQ(state().Cursor, 4u);
    EXPECT_FALSE(view.SelectionRange());
    click({GridKind::Hex, 3, 1}, Qt::ShiftModifier); // row 2, bytes 0x22 and 0x23
    ASSERT_TRUE(view.SelectionRange());
    EXPECT_EQ(view.SelectionRange()->First, 4u);
    EXPECT_EQ(view.SelectionRange()->Last, 0x23u) << "the last cell is selected whole";
    EXPECT_EQ(view.CursorAddress(), 0x22u);
    // Selected cells are drawn in the highlight colour, others are not.
    const QImage image = paint();
    const QColor highlight = view.palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(background(image, grids()->CellRect({GridKind::Hex, 2, 5})), highlight);
    EXPECT_NE(background(image, grids()->CellRect({GridKind::Hex, 4, 0})), highlight);
    // A plain click ends the selection.
    click({GridKind::Hex, 4, 0});
    EXPECT_FALSE(view.SelectionRange());
}

TEST_F(ViewWidgetTest, ReadOnlyMemoryIsGreyRefusesTypingAndItsPopupChanges) {
    addDevice({0x40, ORG_8BIT});
    const QRect cell = grids()->CellRect({GridKind::Hex, 1, 3});
    EXPECT_LT(darkest(paint(), cell), 80) << "black text on an editable memory";
    view.pmBufferPopup(view.mapToGlobal(QPoint(20, 20)));
    EXPECT_TRUE(view.miFillBuffer->isEnabled());
    view.pmBuffer->hide();

    project.CloseAll(true);
    addDevice({0x40, ORG_8BIT, BUF_READ_ONLY});
    typeText(QStringLiteral("12x"));
    EXPECT_EQ(get(0, 2), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(device().Shown()->Memories[0].Modified, 0);
    const int ink = darkest(paint(), cell);
    EXPECT_GT(ink, 100) << "grey text";
    EXPECT_LT(ink, 160);

    view.pmBufferPopup(view.mapToGlobal(QPoint(20, 20)));
    for (QAction* refused : {view.miLoadBuffer, view.miFillBuffer, view.miClearBuffer,
                             view.pmSwap->menuAction(), view.miReplace}) {
        EXPECT_FALSE(refused->isEnabled()) << refused->text().toStdString();
    }
    EXPECT_TRUE(view.miSaveBuffer->isEnabled());
    EXPECT_TRUE(view.miFind->isEnabled());
    view.pmBuffer->hide();
}

TEST_F(ViewWidgetTest, TallPanelShowsAtMost65Rows) {
    addDevice({0x10000, ORG_8BIT});
    view.resize(900, 3000);
    settle();
    EXPECT_EQ(view.Model().RowCount, 65);
    EXPECT_EQ(grids()->height(), 65 * kRowHeight - 1);
    view.resize(900, 17 * 10 + 2);
    settle();
    EXPECT_EQ(view.Model().RowCount, 10);
}

TEST_F(ViewWidgetTest, HundredFusesFillTwoNumberedRowsAndTheWheelMovesTheFuseMap) {
    addDevice({100, ORG_FUSE_MAP, 0, DT_PLD});
    const BufferViewModel& model = view.Model();
    EXPECT_EQ(model.Look({GridKind::Address, 1, 0}, true).Text, "00000000");
    EXPECT_EQ(model.Look({GridKind::Address, 2, 0}, true).Text, "00000064");
    EXPECT_EQ(model.Look({GridKind::Address, 3, 0}, true).Text, "");
    const QImage image = paint();
    EXPECT_LT(darkest(image, grids()->CellRect({GridKind::Address, 2, 0})), 80);
    EXPECT_NE(background(image, grids()->CellRect({GridKind::Fuses, 2, 35})), colour(kEmptyCell));
    EXPECT_EQ(background(image, grids()->CellRect({GridKind::Fuses, 2, 36})), colour(kEmptyCell))
        << "fuse 100 does not exist";
    EXPECT_EQ(background(image, grids()->CellRect({GridKind::Fuses, 3, 0})), colour(kEmptyCell));

    // Typing 0 stores a blown fuse and moves on.
    typeText(QStringLiteral("0"));
    EXPECT_EQ(get(0, 1), Bytes{0});
    EXPECT_EQ(state().Cursor, 1u);

    // The wheel moves the fuse map's cursor a row of 64 fuses per notch.
    project.CloseAll(true);
    addDevice({64 * 200, ORG_FUSE_MAP, 0, DT_PLD});
    const QPointF over = grids()->CellRect({GridKind::Fuses, 3, 3}).center();
    QWheelEvent wheel(over, grids()->mapToGlobal(over), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(grids(), &wheel);
    EXPECT_EQ(state().Cursor, 64u);
}

TEST_F(ViewWidgetTest, VectorNumbersStandOnlyBesideRowsThatHoldVectors) {
    addDevice({10 * 48, ORG_TEST_VECTORS, 0, DT_PLD});
    const BufferViewModel& model = view.Model();
    EXPECT_EQ(model.Look({GridKind::Address, 1, 0}, true).Text, "00000001");
    EXPECT_EQ(model.Look({GridKind::Address, 10, 0}, true).Text, "00000010");
    EXPECT_EQ(model.Look({GridKind::Address, 11, 0}, true).Text, "");
    const QImage image = paint();
    EXPECT_LT(darkest(image, grids()->CellRect({GridKind::Address, 10, 0})), 80);
    EXPECT_GT(darkest(image, grids()->CellRect({GridKind::Address, 11, 0})), 200)
        << "no number beside a row without a vector";
    EXPECT_EQ(background(image, grids()->CellRect({GridKind::Vectors, 11, 0})), colour(kEmptyCell));
}

TEST_F(ViewWidgetTest, BytesWrittenElsewhereAppearWithoutARefresh) {
    addDevice({0x1000, ORG_8BIT});
    EXPECT_EQ(view.Model().Look({GridKind::Hex, 2, 1}, true).Text, "FF");
    const Bytes bytes{0xA5};
    ASSERT_TRUE(device().Shown()->Write(0, 0x11, bytes)); // a fill or a load does the same
    settle();
    EXPECT_EQ(view.Model().Look({GridKind::Hex, 2, 1}, true).Text, "A5");
}

TEST_F(ViewWidgetTest, ToolDialogsMoveTheCursorAndSelectThroughTheView) {
    addDevice({0x10000, ORG_8BIT});
    EXPECT_EQ(view.ActiveMemory(), 0);
    view.MoveCursor(0x8001);
    EXPECT_EQ(view.CursorAddress(), 0x8001u);
    EXPECT_EQ(state().TopRow, 0x800u) << "the cursor's row comes on screen";
    EXPECT_EQ(view.sbScroll->value(), 0x800);
    view.SelectRange({0x20, 0x2F});
    ASSERT_TRUE(view.SelectionRange());
    EXPECT_EQ(view.SelectionRange()->First, 0x20u);
    EXPECT_EQ(view.SelectionRange()->Last, 0x2Fu);
    EXPECT_EQ(view.CursorAddress(), 0x20u);
    view.MoveCursor(0x123456); // past the end: the last byte
    EXPECT_EQ(view.CursorAddress(), 0xFFFFu);

    project.CloseAll(true);
    settle();
    EXPECT_EQ(view.ActiveMemory(), -1);
    EXPECT_FALSE(view.SelectionRange());
}

} // namespace
} // namespace zelmo::editor::test
