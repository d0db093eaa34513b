#pragma once

// Texts of the test-vector view (display mode 6): one row per 48-byte vector slot, one cell per
// device pin holding the vector character; 0xFF marks a pin without an entry.

#include "editor/buffer_cells.h"
#include "editor/buffer_view_layout.h"

#include <QString>

#include <cstdint>

namespace zelmo::editor {

// Pin numbers 1, 11, 21, 31 and 41 over their pins' columns, a two-digit number written one
// digit per column ("2" over pin 21, "1" over pin 22).
QString vectorHeaderText(int column);
// "%08d": the vector number counted from 1, only for rows whose first cell lies inside the
// buffer.
QString vectorAddressText(const ViewLayout& layout, std::uint32_t topRow, int dataRow);
// The pin's character; empty for 0xFF and for a byte that is not known.
QString vectorCellText(const CellValue& value);
// Text offset in pixels: 2 in column 0, 3 in columns divisible by 10, 1 otherwise.
int vectorTextOffset(int column);
// "Vector %d, pin %d" with the vector number counted from 1 and the pin number; empty when the
// cell lies past the buffer's end, holds 0xFF or is not known.
QString vectorCellHint(const ViewLayout& layout, std::uint64_t cell, const CellValue& value);

} // namespace zelmo::editor
