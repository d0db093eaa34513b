#include "editor/buffer_cells.h"
#include "editor/buffer_popup.h"
#include "editor/buffer_view_layout.h"
#include "editor/fuse_view_layout.h"
#include "editor/vector_view_layout.h"
#include "project/device_descriptor.h"

#include <gtest/gtest.h>

namespace zelmo::editor {
namespace {

TEST(ViewLayout, RowCountFollowsThePanelHeightUpTo65Rows) {
    struct Case {
        int height, rows;
    };
    const Case cases[] = {
        {0, 2},
        {36, 2},
        {53, 3},
        {54, 3}, // (54 - 2) / 17 = 3
        {2 + 17 * 20, 20},
        {2 + 17 * 65, 65},
        {5000, 65},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rowCountForHeight(c.height), c.rows) << "height " << c.height;
    }
}

TEST(ViewLayout, EachOrganisationHasItsCellsAndPage) {
    struct Case {
        int organization;
        unsigned cellBytes, columns, bytesPerRow;
        std::size_t page;
        int panelWidth;
    };
    const Case cases[] = {
        {ORG_8BIT, 1, 16, 16, 1024, 68 + 16 * 19 + 16 * 15},
        {ORG_16BIT, 2, 8, 16, 1024, 68 + 8 * 38 + 8 * 30},
        {ORG_32BIT, 4, 4, 16, 1024, 68 + 4 * 75 + 4 * 59},
        {ORG_FUSE_MAP, 1, 64, 64, 4096, 68 + 64 * 8},
        {ORG_TEST_VECTORS, 1, 48, 48, 4096, 68 + 48 * 11},
        {0, 1, 16, 16, 1024, 68 + 16 * 19 + 16 * 15}, // undescribed memory: shown as bytes
    };
    for (const Case& c : cases) {
        const ViewLayout layout(c.organization, 0x1000, 65);
        EXPECT_EQ(layout.cellBytes(), c.cellBytes) << c.organization;
        EXPECT_EQ(layout.columns(), c.columns) << c.organization;
        EXPECT_EQ(layout.bytesPerRow(), c.bytesPerRow) << c.organization;
        EXPECT_EQ(layout.mode().PageSize, c.page) << c.organization;
        EXPECT_EQ(layout.panelWidth(), c.panelWidth) << c.organization;
        // 64 data rows never need more than one page.
        EXPECT_LE(layout.dataRows() * layout.bytesPerRow(), layout.mode().PageSize);
    }
}

TEST(ViewLayout, CellAtPointInTheThreeByteOrganisations) {
    struct Case {
        int organization, x, y;
        std::optional<GridHit> hit;
    };
    const Case cases[] = {
        {ORG_8BIT, 0, 0, GridHit{GridKind::Address, 0, 0}},
        {ORG_8BIT, 67, 20, GridHit{GridKind::Address, 1, 0}},
        {ORG_8BIT, 68, 17, GridHit{GridKind::Hex, 1, 0}},
        {ORG_8BIT, 68 + 19 * 15 + 18, 33, GridHit{GridKind::Hex, 1, 15}},
        {ORG_8BIT, 68 + 19 * 16, 16, GridHit{GridKind::Characters, 0, 0}},
        {ORG_8BIT, 68 + 19 * 16 + 15 * 16 - 1, 3 * 17, GridHit{GridKind::Characters, 3, 15}},
        {ORG_8BIT, 68 + 19 * 16 + 15 * 16, 20, std::nullopt},
        {ORG_16BIT, 68 + 38 * 7 + 37, 17 * 4 - 1, GridHit{GridKind::Hex, 3, 7}},
        {ORG_16BIT, 68 + 38 * 8 + 30 * 2, 17, GridHit{GridKind::Characters, 1, 2}},
        {ORG_32BIT, 68 + 75 * 3, 17, GridHit{GridKind::Hex, 1, 3}},
        {ORG_32BIT, 68 + 75 * 4 + 59 * 3 + 58, 17, GridHit{GridKind::Characters, 1, 3}},
        {ORG_FUSE_MAP, 68 + 8 * 63, 17, GridHit{GridKind::Fuses, 1, 63}},
        {ORG_TEST_VECTORS, 68 + 11 * 47 + 10, 17, GridHit{GridKind::Vectors, 1, 47}},
        // Rows end at RowCount x 17 - 1: the last row is 16 pixels high.
        {ORG_8BIT, 70, 10 * 17 - 2, GridHit{GridKind::Hex, 9, 0}},
        {ORG_8BIT, 70, 10 * 17 - 1, std::nullopt},
        {ORG_8BIT, -1, 20, std::nullopt},
    };
    for (const Case& c : cases) {
        const ViewLayout layout(c.organization, 0x1000, 10);
        EXPECT_EQ(layout.cellAt(c.x, c.y), c.hit)
            << "mode " << c.organization << " at " << c.x << "," << c.y;
    }
}

TEST(ViewLayout, OffsetOfACellCountsCellsOfTheMode) {
    struct Case {
        int organization;
        std::uint32_t topRow;
        int dataRow, column;
        std::uint64_t cell, address;
    };
    const Case cases[] = {
        {ORG_8BIT, 0, 0, 15, 15, 15},
        {ORG_8BIT, 3, 1, 2, 66, 66},
        {ORG_16BIT, 3, 1, 2, 34, 68},
        {ORG_32BIT, 3, 1, 2, 18, 72},
        {ORG_FUSE_MAP, 1, 0, 36, 100, 100},
        {ORG_TEST_VECTORS, 2, 1, 4, 148, 148},
        {ORG_8BIT, 0x0FFFFFFF, 0, 15, 0xFFFFFFFF, 0xFFFFFFFF}, // last byte of a 4 GiB buffer
        {ORG_32BIT, 0x0FFFFFFF, 0, 3, 0x3FFFFFFF, 0xFFFFFFFC},
    };
    for (const Case& c : cases) {
        const ViewLayout layout(c.organization, 0xFFFFFFFF, 65);
        const std::uint64_t cell = layout.cellIndex(c.topRow, c.dataRow, c.column);
        EXPECT_EQ(cell, c.cell) << c.organization;
        EXPECT_EQ(layout.cellAddress(cell), c.address) << c.organization;
        EXPECT_EQ(layout.cellOf(c.address + layout.cellBytes() - 1), c.cell) << c.organization;
    }
}

TEST(ViewLayout, ScrollBarIsDisabledWhileTheBufferFitsOrTheDeviceIsBusy) {
    // 10 grid rows show 9 data rows of 16 bytes.
    struct Case {
        std::uint64_t size;
        bool busy;
        bool enabled;
        std::uint32_t maximum;
    };
    const Case cases[] = {
        {0, false, false, 0},         {100, false, false, 0},         {9 * 16, false, false, 0},
        {9 * 16 + 1, false, true, 1}, {0x1000, false, true, 256 - 9}, {0x1000, true, false, 0},
    };
    for (const Case& c : cases) {
        const ScrollBarState bar = ViewLayout(ORG_16BIT, c.size, 10).scrollBar(500, c.busy);
        EXPECT_EQ(bar.Enabled, c.enabled) << c.size;
        EXPECT_EQ(bar.Maximum, c.maximum) << c.size;
        if (bar.Enabled) {
            EXPECT_EQ(bar.PageStep, 9u);
            EXPECT_EQ(bar.Position, c.maximum); // 500 is past the end
        }
        EXPECT_EQ(bar.Top, 17);
        EXPECT_EQ(bar.Height, 10 * 17 - 1 - 17);
    }
}

TEST(ByteCells, LittleEndianCellsShowTheirHighByteFirst) {
    const CellValue word{2, {0x34, 0x12, -1, -1}};
    EXPECT_EQ(hexCellText(word), "1234");
    EXPECT_EQ(charCellText(word), ".4"); // 0x12 is a control character
    const CellValue dword{4, {0x41, 0xFF, 0x7E, 0xE9}};
    EXPECT_EQ(hexCellText(dword), "E97EFF41");
    EXPECT_EQ(charCellText(dword), QString::fromUtf8("é~.A"));
    // DEL and the C1 controls have no picture either; 0xA0 (no-break space) does.
    const CellValue controls{4, {0x7F, 0x80, 0x9F, 0xA0}};
    EXPECT_EQ(charCellText(controls), QString::fromUtf8("\u00A0..."));
    // The high byte of a word cut off by the buffer's end is left blank.
    const CellValue partial{2, {0x0A, -1, -1, -1}};
    EXPECT_EQ(hexCellText(partial), "  0A");
    EXPECT_EQ(charCellText(partial), " .");
}

TEST(ByteCells, AddressColumnCountsUnitsOfTheModeAndStopsAtTheEnd) {
    struct Case {
        int organization;
        int dataRow;
        const char* text;
    };
    const Case cases[] = {
        {ORG_8BIT, 0, "00000010"},  {ORG_8BIT, 1, "00000020"}, {ORG_16BIT, 1, "00000010"},
        {ORG_32BIT, 1, "00000008"}, {ORG_32BIT, 2, ""}, // 40 bytes: rows 0 to 2 only
    };
    for (const Case& c : cases) {
        const ViewLayout layout(c.organization, 40, 65);
        EXPECT_EQ(byteAddressText(layout, 1, c.dataRow), c.text) << c.organization;
    }
    EXPECT_EQ(byteHeaderText(15), "F");
}

TEST(ByteCells, HintNamesTheCellAndItsArea) {
    BufferInfo info{};
    SetFieldText(info.Areas[1].Name, "Boot");
    info.Areas[1].Start = 0x20;
    info.Areas[1].End = 0x2F;
    info.Areas[1].Color = 0x0000FF;
    SetFieldText(info.Areas[0].Name, "Unused"); // colour 0: an empty entry
    info.Areas[0].End = 0xFFFF;
    const ViewLayout bytes(ORG_8BIT, 0x40, 65);
    EXPECT_EQ(byteCellHint(bytes, info, 0x1F), "1Fh / 31");
    EXPECT_EQ(byteCellHint(bytes, info, 0x2F), "2Fh / 47\nBoot");
    EXPECT_EQ(byteCellHint(bytes, info, 0x40), "");
    // In 16-bit mode the area's byte range counts in words: 0x10 to 0x17.
    const ViewLayout words(ORG_16BIT, 0x40, 65);
    EXPECT_EQ(byteCellHint(words, info, 0x10), "10h / 16\nBoot");
    EXPECT_EQ(byteCellHint(words, info, 0x18), "18h / 24");
}

TEST(FuseView, HundredFusesFillTwoRowsNumberedInDecimal) {
    const ViewLayout layout(ORG_FUSE_MAP, 100, 65);
    EXPECT_EQ(layout.totalRows(), 2u);
    EXPECT_EQ(fuseAddressText(layout, 0, 0), "00000000");
    EXPECT_EQ(fuseAddressText(layout, 0, 1), "00000064");
    EXPECT_EQ(fuseAddressText(layout, 0, 2), "");
    EXPECT_TRUE(layout.inside(layout.cellIndex(0, 1, 35)));
    EXPECT_FALSE(layout.inside(layout.cellIndex(0, 1, 36)));

    const char* header[] = {"0", "", "", "", "", "", "", "", "8", ""};
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(fuseHeaderText(c), header[c]) << c;
    }
    EXPECT_EQ(fuseHeaderText(16), "1");
    EXPECT_EQ(fuseHeaderText(17), "6");
    EXPECT_EQ(fuseHeaderText(18), "");
    EXPECT_EQ(fuseHeaderText(57), "6");

    EXPECT_EQ(fuseCellText(CellValue{1, {0xFE, -1, -1, -1}}), "0");
    EXPECT_EQ(fuseCellText(CellValue{1, {0x01, -1, -1, -1}}), "1");
    EXPECT_EQ(fuseTextOffset(8), 2);
    EXPECT_EQ(fuseTextOffset(9), 0);

    BufferInfo info{};
    SetFieldText(info.Areas[2].Name, "UES");
    info.Areas[2].Start = 90;
    info.Areas[2].End = 99;
    info.Areas[2].Color = 0x00FF00;
    EXPECT_EQ(fuseCellHint(layout, info, 89), "89");
    EXPECT_EQ(fuseCellHint(layout, info, 90), "90\nUES");
    EXPECT_EQ(fuseCellHint(layout, info, 100), "");
}

TEST(VectorView, NumbersOnlyForRowsThatHoldVectors) {
    const ViewLayout layout(ORG_TEST_VECTORS, 10 * 48, 65);
    EXPECT_EQ(vectorAddressText(layout, 0, 0), "00000001");
    EXPECT_EQ(vectorAddressText(layout, 0, 9), "00000010");
    EXPECT_EQ(vectorAddressText(layout, 0, 10), "");
    EXPECT_EQ(vectorAddressText(layout, 5, 4), "00000010");
    EXPECT_EQ(vectorAddressText(layout, 5, 5), "");

    const CellValue blank{1, {0xFF, -1, -1, -1}};
    const CellValue high{1, {'H', -1, -1, -1}};
    EXPECT_EQ(vectorCellText(blank), "");
    EXPECT_EQ(vectorCellText(high), "H");
    EXPECT_EQ(vectorCellHint(layout, 48 + 4, blank), "");
    EXPECT_EQ(vectorCellHint(layout, 48 + 4, high), "Vector 2, pin 5");
    EXPECT_EQ(vectorCellHint(layout, 10 * 48, high), "");

    struct Case {
        int column;
        const char* text;
        int offset;
    };
    const Case header[] = {{0, "1", 2},  {1, "", 1},   {10, "1", 3}, {11, "1", 1}, {12, "", 1},
                           {20, "2", 3}, {21, "1", 1}, {40, "4", 3}, {41, "1", 1}, {47, "", 1}};
    for (const Case& c : header) {
        EXPECT_EQ(vectorHeaderText(c.column), c.text) << c.column;
        EXPECT_EQ(vectorTextOffset(c.column), c.offset) << c.column;
    }
}

TEST(BufferPopup, EnableTableFollowsReadOnlyModeAndLinks) {
    BufferInfo info{};
    info.Organization = ORG_8BIT;
    BufferPopup menu = bufferPopup(info, false, 0, 1);
    EXPECT_TRUE(menu.LoadBuffer && menu.SaveBuffer && menu.FillBuffer && menu.ClearBuffer &&
                menu.Swap && menu.Find && menu.Replace && menu.GoToAddress && menu.DisplayMode &&
                menu.ChecksumCalc);
    EXPECT_FALSE(menu.LoadRecent || menu.Compare || menu.GoToArea);
    EXPECT_EQ(menu.CheckedMode, 0);

    info.Flags = BUF_READ_ONLY;
    info.Organization = ORG_32BIT;
    SetFieldText(info.Areas[3].Name, "Config");
    info.Areas[3].Start = 0x300;
    menu = bufferPopup(info, false, 2, 2);
    EXPECT_FALSE(menu.LoadBuffer || menu.LoadRecent || menu.FillBuffer || menu.ClearBuffer ||
                 menu.Swap || menu.Replace);
    EXPECT_TRUE(menu.SaveBuffer && menu.Find && menu.Compare && menu.GoToArea);
    EXPECT_EQ(menu.CheckedMode, 2);
    ASSERT_EQ(menu.Areas.size(), 1u);
    EXPECT_EQ(menu.Areas[0].Name, "Config");
    EXPECT_EQ(menu.Areas[0].Start, 0x300u);

    info.Flags = 0;
    info.Organization = ORG_16BIT; // Replace works on bytes only
    menu = bufferPopup(info, true, 1, 2);
    EXPECT_FALSE(menu.Replace || menu.Find);
    EXPECT_TRUE(menu.LoadRecent && menu.Compare && menu.GoToAddress);

    info.Organization = ORG_FUSE_MAP;
    menu = bufferPopup(info, false, 1, 2);
    EXPECT_TRUE(menu.LoadBuffer && menu.ClearBuffer && menu.SaveBuffer && menu.GoToArea);
    EXPECT_FALSE(menu.FillBuffer || menu.Swap || menu.Find || menu.Replace || menu.GoToAddress ||
                 menu.DisplayMode || menu.Compare || menu.ChecksumCalc);
    EXPECT_EQ(menu.CheckedMode, -1);
}

} // namespace
} // namespace zelmo::editor
