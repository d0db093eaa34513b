#pragma once

// Texts of the 8-, 16- and 32-bit grids: hex and character cells, the column header, the
// address column and the hint of the cell under the mouse. Multi-byte cells are little-endian in
// the buffer and shown most significant byte first.

#include "editor/buffer_view_layout.h"

#include <QString>

#include <array>
#include <cstdint>

namespace zelmo::editor {

// The bytes of one cell in buffer order (byte a first). A byte is -1 when the view does not know
// it: past the buffer's end, or outside the rows the page cache holds.
struct CellValue {
    unsigned Width = 1;
    std::array<int, 4> Bytes{-1, -1, -1, -1};

    bool anyKnown() const;
    // Some byte known on both sides holds different values.
    bool differsFrom(const CellValue& other) const;
};

// Upper-case hex with leading zeros, most significant byte first; an unknown byte shows as two
// blanks.
QString hexCellText(const CellValue& value);
// One character per byte, most significant first: "." for bytes below 32 and for 255, else the
// byte's ISO 8859-1 character; an unknown byte shows as a blank.
QString charCellText(const CellValue& value);
// Header of a hex or character column: the column number as one hex digit.
QString byteHeaderText(int column);
// The address column of a data row: the index of the row's first cell in units of the mode, as
// 8 upper-case hex digits; empty for rows past the buffer's end.
QString byteAddressText(const ViewLayout& layout, std::uint32_t topRow, int dataRow);
// Hint of a data cell: "%Xh / %d" with the cell index, plus the name of the area that colours it
// on a second line; empty past the buffer's end.
QString byteCellHint(const ViewLayout& layout, const BufferInfo& info, std::uint64_t cell);

} // namespace zelmo::editor
