#pragma once

// What every cell of the buffer view looks like: colours, weight, text and its offset, worked
// out from the layout, the memory's description, the view state and the cell's bytes. The
// widget fills and writes exactly what it is told; the rules live here.

#include "editor/buffer_cells.h"
#include "editor/buffer_view_layout.h"
#include "project/project.h"

#include <QString>

#include <cstdint>

namespace zelmo::editor {

struct Rgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A colour stored as 0x00BBGGRR (memory and area colours).
constexpr Rgb fromColorRef(std::uint32_t colour) {
    return {static_cast<std::uint8_t>(colour & 0xFF), static_cast<std::uint8_t>(colour >> 8),
            static_cast<std::uint8_t>(colour >> 16)};
}

inline constexpr Rgb kEmptyCell{255, 255, 225}; // cells past the buffer's end, address column
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kGrey{128, 128, 128};       // disabled text, the cursor without focus
inline constexpr Rgb kRed{255, 0, 0};            // cells that differ from the compare data set
inline constexpr Rgb kGridLine{192, 192, 192};   // row and column lines
inline constexpr Rgb kHeader8Bit{212, 208, 200}; // header of the 8-bit grids and the address
inline constexpr Rgb kHeaderWide{192, 192, 192}; // header of the 16- and 32-bit grids

struct CellLook {
    bool Empty = false;     // fill with kEmptyCell and draw nothing else
    bool Highlight = false; // the system's selection colours replace Background and Ink
    Rgb Background = kEmptyCell;
    Rgb Ink = kBlack;
    bool Bold = false;
    QString Text;
    int TextOffset = 0;     // pixels from the cell's left edge
    bool LineBelow = false; // a line along the bottom edge, in kGridLine
    bool LineRight = false; // a line along the right edge, in RightLine
    Rgb RightLine = kGridLine;
};

// A cell past the buffer's end, or of a view without a device.
inline CellLook emptyLook() {
    CellLook look;
    look.Empty = true;
    return look;
}

// What the looks depend on besides the cell itself.
struct LookContext {
    const ViewLayout& Layout;
    const BufferInfo& Info;
    const BufferViewState& State;
    bool Enabled = true;  // the grids are enabled
    bool Focused = false; // the grid being drawn has keyboard focus
};

// A data cell (row >= 1) of the hex, character, fuse or vector grid, showing cell `cell`.
// `compare` is the same cell of the compare data set while comparison is on, else null. Lines
// run below every row but the last and, in the byte grids, right of every column but the last;
// the fuse and vector grids have row lines only.
CellLook dataCellLook(const LookContext& context, const GridHit& hit, std::uint64_t cell,
                      const CellValue& value, const CellValue* compare);
// Row 0 of a data grid: the column numbers; the cursor's column white on grey; grey lines
// between the columns.
CellLook headerLook(const LookContext& context, GridKind grid, int column);
// The address column: "Address" (or "Vector") on the header row, then each data row's number in
// bold on light yellow, the cursor's row white on grey, nothing past the buffer's end.
CellLook addressLook(const LookContext& context, int row);

} // namespace zelmo::editor
