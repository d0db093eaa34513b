#include "editor/buffer_view_layout.h"

#include <algorithm>
#include <array>

namespace zelmo::editor {

namespace {

// Cell widths: address 68; hex 19 / 38 / 75 and characters 15 / 30 / 59 in the byte modes; a fuse
// is 8 pixels wide, a pin 11. Byte modes read a page of 64 rows of 16 bytes; the fuse map and
// the vectors read 4096 bytes (64 rows of 64 fuses, or 64 rows of 48 pins and some more).
constexpr std::array<ModeTraits, 5> kModes{{
    {ORG_8BIT, ViewKind::Bytes, 1, 16, 16, 1024, 19, 15, 2, 1, 3},
    {ORG_16BIT, ViewKind::Bytes, 2, 8, 16, 1024, 38, 30, 4, 3, 6},
    {ORG_32BIT, ViewKind::Bytes, 4, 4, 16, 1024, 75, 59, 8, 6, 12},
    {ORG_FUSE_MAP, ViewKind::Fuses, 1, 64, 64, 4096, 8, 0, 0, 0, 0},
    {ORG_TEST_VECTORS, ViewKind::Vectors, 1, 48, 48, 4096, 11, 0, 0, 0, 0},
}};

constexpr std::array<GridKind, 3> kByteGrids{GridKind::Address, GridKind::Hex,
                                             GridKind::Characters};
constexpr std::array<GridKind, 2> kFuseGrids{GridKind::Address, GridKind::Fuses};
constexpr std::array<GridKind, 2> kVectorGrids{GridKind::Address, GridKind::Vectors};

} // namespace

const ModeTraits& modeTraits(int organization) {
    for (const ModeTraits& mode : kModes) {
        if (mode.Organization == organization) {
            return mode;
        }
    }
    return kModes[0];
}

int rowCountForHeight(int panelHeight) {
    return std::clamp((panelHeight - 2) / kRowHeight, kMinRowCount, kMaxRowCount);
}

ViewLayout::ViewLayout(int organization, std::uint64_t bufferSize, int rowCount)
    : mode_(&modeTraits(organization)), size_(bufferSize),
      rowCount_(std::clamp(rowCount, kMinRowCount, kMaxRowCount)) {}

std::uint64_t ViewLayout::totalRows() const {
    return (size_ + mode_->BytesPerRow - 1) / mode_->BytesPerRow;
}

bool ViewLayout::fitsScreen() const {
    return totalRows() <= dataRows();
}

std::uint32_t ViewLayout::maxTopRow() const {
    return fitsScreen() ? 0 : static_cast<std::uint32_t>(totalRows() - dataRows());
}

ScrollBarState ViewLayout::scrollBar(std::uint32_t topRow, bool busy) const {
    ScrollBarState bar;
    bar.Height = gridHeight() - kRowHeight;
    bar.Enabled = size_ > 0 && !fitsScreen() && !busy;
    if (bar.Enabled) {
        bar.Maximum = maxTopRow();
        bar.PageStep = dataRows();
        bar.Position = std::min(topRow, bar.Maximum);
    }
    return bar;
}

std::uint64_t ViewLayout::cellIndex(std::uint32_t topRow, int dataRow, int column) const {
    return (static_cast<std::uint64_t>(topRow) + static_cast<std::uint64_t>(dataRow)) *
               mode_->Columns +
           static_cast<std::uint64_t>(column);
}

bool ViewLayout::onScreen(std::uint32_t topRow, std::uint64_t address) const {
    const std::uint64_t row = rowOf(address);
    return row >= topRow && row < static_cast<std::uint64_t>(topRow) + dataRows();
}

const GridKind* ViewLayout::grids(int& count) const {
    switch (mode_->Kind) {
    case ViewKind::Fuses:
        count = static_cast<int>(kFuseGrids.size());
        return kFuseGrids.data();
    case ViewKind::Vectors:
        count = static_cast<int>(kVectorGrids.size());
        return kVectorGrids.data();
    case ViewKind::Bytes:
        break;
    }
    count = static_cast<int>(kByteGrids.size());
    return kByteGrids.data();
}

int ViewLayout::columnWidth(GridKind grid) const {
    switch (grid) {
    case GridKind::Address:
        return kAddressWidth;
    case GridKind::Characters:
        return mode_->CharWidth;
    case GridKind::Hex:
    case GridKind::Fuses:
    case GridKind::Vectors:
        break;
    }
    return mode_->CellWidth;
}

int ViewLayout::gridWidth(GridKind grid) const {
    return grid == GridKind::Address ? kAddressWidth
                                     : columnWidth(grid) * static_cast<int>(mode_->Columns);
}

int ViewLayout::gridLeft(GridKind grid) const {
    int count = 0;
    const GridKind* shown = grids(count);
    int left = 0;
    for (int i = 0; i < count; ++i) {
        if (shown[i] == grid) {
            return left;
        }
        left += gridWidth(shown[i]);
    }
    return -1;
}

int ViewLayout::panelWidth() const {
    int count = 0;
    const GridKind* shown = grids(count);
    int width = 0;
    for (int i = 0; i < count; ++i) {
        width += gridWidth(shown[i]);
    }
    return width;
}

std::optional<GridHit> ViewLayout::cellAt(int x, int y) const {
    if (x < 0 || y < 0 || y >= gridHeight()) {
        return std::nullopt;
    }
    int count = 0;
    const GridKind* shown = grids(count);
    int left = 0;
    for (int i = 0; i < count; ++i) {
        const int width = gridWidth(shown[i]);
        if (x < left + width) {
            return GridHit{shown[i], y / kRowHeight, (x - left) / columnWidth(shown[i])};
        }
        left += width;
    }
    return std::nullopt;
}

const AreaInfo* areaOfCell(const BufferInfo& info, const ModeTraits& mode, std::uint64_t cell) {
    if (mode.Kind == ViewKind::Vectors) {
        return nullptr;
    }
    for (const AreaInfo& area : info.Areas) {
        if (area.Color != 0 && area.Start / mode.CellBytes <= cell &&
            cell <= area.End / mode.CellBytes) {
            return &area;
        }
    }
    return nullptr;
}

} // namespace zelmo::editor
