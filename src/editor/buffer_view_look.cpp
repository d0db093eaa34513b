#include "editor/buffer_view_look.h"

#include "editor/buffer_cursor.h"
#include "editor/fuse_view_layout.h"
#include "editor/vector_view_layout.h"

namespace zelmo::editor {

namespace {

QString dataText(GridKind grid, const CellValue& value) {
    switch (grid) {
    case GridKind::Hex:
        return hexCellText(value);
    case GridKind::Characters:
        return charCellText(value);
    case GridKind::Fuses:
        return fuseCellText(value);
    case GridKind::Vectors:
        return vectorCellText(value);
    case GridKind::Address:
        break;
    }
    return {};
}

int dataOffset(const ModeTraits& mode, GridKind grid, int column) {
    switch (grid) {
    case GridKind::Hex:
        return mode.HexTextOffset;
    case GridKind::Characters:
        return mode.CharTextOffset;
    case GridKind::Fuses:
        return fuseTextOffset(column);
    case GridKind::Vectors:
        return vectorTextOffset(column);
    case GridKind::Address:
        break;
    }
    return 0;
}

} // namespace

CellLook dataCellLook(const LookContext& context, const GridHit& hit, std::uint64_t cell,
                      const CellValue& value, const CellValue* compare) {
    const ViewLayout& layout = context.Layout;
    const GridKind grid = hit.Grid;
    const int column = hit.Column;
    const std::uint64_t address = layout.cellAddress(cell);
    if (!layout.inside(address)) {
        return emptyLook();
    }
    CellLook look;
    const bool readOnly = (context.Info.Flags & BUF_READ_ONLY) != 0;
    look.Ink = context.Enabled && !readOnly ? kBlack : kGrey;
    look.Background = fromColorRef(context.Info.Color);
    if (const AreaInfo* area = areaOfCell(context.Info, layout.mode(), cell)) {
        look.Background = fromColorRef(area->Color);
    }
    look.Highlight = isSelected(context.State, address);
    if (layout.cellOf(context.State.Cursor) == cell) {
        look.Highlight = false;
        look.Ink = kWhite;
        look.Background = context.Focused ? kBlack : kGrey;
    }
    if (compare != nullptr && value.differsFrom(*compare)) {
        look.Ink = kRed;
        look.Bold = true;
    }
    look.Text = dataText(grid, value);
    look.TextOffset = dataOffset(layout.mode(), grid, column);
    look.LineBelow = hit.Row < layout.rowCount() - 1;
    look.LineRight = layout.kind() == ViewKind::Bytes && column + 1 < int(layout.columns());
    return look;
}

CellLook headerLook(const LookContext& context, GridKind grid, int column) {
    const ViewLayout& layout = context.Layout;
    CellLook look;
    look.Bold = true;
    look.Background =
        layout.mode().Organization == ORG_16BIT || layout.mode().Organization == ORG_32BIT
            ? kHeaderWide
            : kHeader8Bit;
    const std::uint64_t cursorColumn =
        context.State.Cursor % layout.bytesPerRow() / layout.cellBytes();
    if (cursorColumn == static_cast<std::uint64_t>(column)) {
        look.Ink = kWhite;
        look.Background = kGrey;
    }
    switch (grid) {
    case GridKind::Hex:
    case GridKind::Characters:
        look.Text = byteHeaderText(column);
        break;
    case GridKind::Fuses:
        look.Text = fuseHeaderText(column);
        break;
    case GridKind::Vectors:
        look.Text = vectorHeaderText(column);
        break;
    case GridKind::Address:
        break;
    }
    look.TextOffset = dataOffset(layout.mode(), grid, column);
    look.LineBelow = true;
    look.LineRight = column + 1 < int(layout.columns());
    look.RightLine = kGrey;
    return look;
}

CellLook addressLook(const LookContext& context, int row) {
    const ViewLayout& layout = context.Layout;
    CellLook look;
    look.Bold = true;
    look.TextOffset = 2;
    look.LineBelow = row < layout.rowCount() - 1;
    if (row == 0) {
        look.Background = kHeader8Bit;
        look.Text = layout.kind() == ViewKind::Vectors ? QStringLiteral("Vector")
                                                       : QStringLiteral("Address");
        return look;
    }
    const int dataRow = row - 1;
    const std::uint32_t top = context.State.TopRow;
    switch (layout.kind()) {
    case ViewKind::Bytes:
        look.Text = byteAddressText(layout, top, dataRow);
        break;
    case ViewKind::Fuses:
        look.Text = fuseAddressText(layout, top, dataRow);
        break;
    case ViewKind::Vectors:
        look.Text = vectorAddressText(layout, top, dataRow);
        break;
    }
    if (look.Text.isEmpty()) {
        return emptyLook();
    }
    if (layout.rowOf(context.State.Cursor) == static_cast<std::uint64_t>(top) + dataRow) {
        look.Ink = kWhite;
        look.Background = kGrey;
    }
    return look;
}

} // namespace zelmo::editor
