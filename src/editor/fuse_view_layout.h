#pragma once

// Texts of the fuse-map view (display mode 5): one cell per fuse showing bit 0 of its byte, 64
// fuses per row, rows numbered by their first fuse in decimal.

#include "editor/buffer_cells.h"
#include "editor/buffer_view_layout.h"

#include <QString>

#include <cstdint>

namespace zelmo::editor {

// Column numbers 0, 8, ..., 56 over the first column of each group of eight, a two-digit number
// written one digit per column ("1" over column 16, "6" over column 17).
QString fuseHeaderText(int column);
// "%08d": the decimal number of the row's first fuse; empty for rows past the buffer's end.
QString fuseAddressText(const ViewLayout& layout, std::uint32_t topRow, int dataRow);
// "0" or "1" from bit 0 of the fuse's byte; empty when the byte is not known.
QString fuseCellText(const CellValue& value);
// Text offset in pixels: 2 in the first column of each group of eight, else 0.
int fuseTextOffset(int column);
// "%d" with the fuse number, or "%d\n%s" with the name of the area that colours it; empty past
// the buffer's end.
QString fuseCellHint(const ViewLayout& layout, const BufferInfo& info, std::uint64_t fuse);

} // namespace zelmo::editor
