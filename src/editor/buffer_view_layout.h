#pragma once

// Geometry of the buffer view, free of widgets: how each display mode lays a memory out in rows
// and cells, where the grids and their cells lie in the panel, which cell a point hits, which
// byte a cell stands for, how many rows fit a panel and what the scroll bar offers. The painting
// widget asks this class where things are and draws them; nothing here touches a file.

#include "abi/device_records.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace zelmo::editor {

enum class ViewKind { Bytes, Fuses, Vectors };

// One display mode (BufferInfo.Organization): 1, 2 and 3 are the 8-, 16- and 32-bit grids with
// a character column, 5 the fuse map, 6 the test vectors.
struct ModeTraits {
    int Organization;
    ViewKind Kind;
    unsigned CellBytes;   // bytes per cell: 1, 2 or 4; one byte per fuse or pin
    unsigned Columns;     // data cells per row
    unsigned BytesPerRow; // Columns x CellBytes
    std::size_t PageSize; // bytes the page cache reads per refresh at most
    int CellWidth;        // pixels of a hex, fuse or pin cell
    int CharWidth;        // pixels of a character cell; 0 when the mode has no character grid
    int HexDigits;        // digits of a hex cell (modes 1 to 3)
    int HexTextOffset;    // text offsets from the cell's left edge (modes 1 to 3)
    int CharTextOffset;
};

// The mode of an organisation value. A value the view does not know (a memory the library left
// undescribed) is shown as bytes.
const ModeTraits& modeTraits(int organization);

inline constexpr int kRowHeight = 17;    // every row but the last, which is one pixel less
inline constexpr int kAddressWidth = 68; // the address column
inline constexpr int kMaxRowCount = 65;  // header + 64 data rows: one page
inline constexpr int kMinRowCount = 2;   // header + 1 data row, so paging always moves

// RowCount for a panel of the given height: (height - 2) / 17 rows including the header row, at
// most 65; never fewer than a header and one data row, so that paging by RowCount - 1 rows
// always moves.
int rowCountForHeight(int panelHeight);

// The grids of a panel, left to right: the address column, then the hex and character grids
// (modes 1 to 3), the fuse grid (mode 5) or the vector grid (mode 6).
enum class GridKind { Address, Hex, Characters, Fuses, Vectors };

// A cell of one grid. Row 0 is the header row; data row d is grid row d + 1.
struct GridHit {
    GridKind Grid = GridKind::Address;
    int Row = 0;
    int Column = 0;
    friend bool operator==(const GridHit&, const GridHit&) = default;
};

struct ScrollBarState {
    bool Enabled = false;
    std::uint32_t Minimum = 0;
    std::uint32_t Maximum = 0;  // largest TopRow
    std::uint32_t PageStep = 0; // RowCount - 1 rows
    std::uint32_t Position = 0; // TopRow
    int Top = kRowHeight;       // starts below the header row ...
    int Height = 0;             // ... and is one row shorter than the grids
};

// One memory of `bufferSize` bytes shown in one display mode on `rowCount` grid rows.
class ViewLayout {
public:
    ViewLayout(int organization, std::uint64_t bufferSize, int rowCount);

    const ModeTraits& mode() const { return *mode_; }
    ViewKind kind() const { return mode_->Kind; }
    unsigned cellBytes() const { return mode_->CellBytes; }
    unsigned columns() const { return mode_->Columns; }
    unsigned bytesPerRow() const { return mode_->BytesPerRow; }
    std::uint64_t bufferSize() const { return size_; }
    int rowCount() const { return rowCount_; }
    // Data rows on screen: RowCount - 1.
    std::uint32_t dataRows() const { return static_cast<std::uint32_t>(rowCount_ - 1); }

    // Rows the buffer needs, the last one perhaps partly empty.
    std::uint64_t totalRows() const;
    // True when every row fits the screen: the scroll bar is then disabled.
    bool fitsScreen() const;
    // Largest TopRow that still fills the screen; 0 when the buffer fits.
    std::uint32_t maxTopRow() const;
    // The scroll bar for this buffer at `topRow`: disabled when the buffer fits or the device is
    // busy; otherwise range 0 to maxTopRow() with a page of RowCount - 1 rows. The position is
    // TopRow limited to that range.
    ScrollBarState scrollBar(std::uint32_t topRow, bool busy) const;

    // Cell index (in cells of the mode) of data row `dataRow`, column `column` at `topRow`.
    std::uint64_t cellIndex(std::uint32_t topRow, int dataRow, int column) const;
    // First byte of a cell, and the cell holding a byte.
    std::uint64_t cellAddress(std::uint64_t cell) const { return cell * mode_->CellBytes; }
    std::uint64_t cellOf(std::uint64_t address) const { return address / mode_->CellBytes; }
    // First byte of the cell holding `address`.
    std::uint64_t cellStart(std::uint64_t address) const {
        return address - address % mode_->CellBytes;
    }
    // Row holding a byte address.
    std::uint64_t rowOf(std::uint64_t address) const { return address / mode_->BytesPerRow; }
    bool inside(std::uint64_t address) const { return address < size_; }
    // First byte of the buffer's last cell (0 for an empty buffer).
    std::uint64_t lastCell() const { return size_ == 0 ? 0 : cellStart(size_ - 1); }
    // The cell of `address` lies on screen with the view at `topRow`.
    bool onScreen(std::uint32_t topRow, std::uint64_t address) const;

    // Panel geometry in pixels, from the panel's left edge and the grids' top edge.
    int gridLeft(GridKind grid) const;
    int gridWidth(GridKind grid) const;
    int columnWidth(GridKind grid) const;
    int panelWidth() const;
    // Height of every grid: RowCount x 17 - 1 (the last row is 16 high).
    int gridHeight() const { return rowCount_ * kRowHeight - 1; }
    int rowTop(int row) const { return row * kRowHeight; }
    int rowHeight(int row) const { return row == rowCount_ - 1 ? kRowHeight - 1 : kRowHeight; }
    // The grids this mode shows, in panel order; `count` receives how many (2 or 3).
    const GridKind* grids(int& count) const;

    // The grid cell under a point of the panel, if any.
    std::optional<GridHit> cellAt(int x, int y) const;

private:
    const ModeTraits* mode_;
    std::uint64_t size_;
    int rowCount_;
};

// The first area (in order) with a non-zero colour whose range holds `cell`. The range test is
// in cells: Start / w <= cell <= End / w for w bytes per cell in modes 1 to 3, fuse numbers in
// the fuse map. Test vectors have no areas.
const AreaInfo* areaOfCell(const BufferInfo& info, const ModeTraits& mode, std::uint64_t cell);

} // namespace zelmo::editor
