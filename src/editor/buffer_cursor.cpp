#include "editor/buffer_cursor.h"

#include <algorithm>

namespace zelmo::editor {

namespace {

// Scrolls one row (or one page) towards a cursor that left the screen. Positions are computed
// in 64 bits: a cursor near the end of a 4 GiB buffer plus a row would wrap in 32.
void followDown(const ViewLayout& layout, BufferViewState& state, std::uint32_t rows) {
    const std::uint64_t row = layout.rowOf(state.Cursor);
    if (row >= static_cast<std::uint64_t>(state.TopRow) + layout.dataRows()) {
        const std::uint64_t top = static_cast<std::uint64_t>(state.TopRow) + rows;
        state.TopRow = static_cast<std::uint32_t>(std::min<std::uint64_t>(top, layout.maxTopRow()));
    }
}

void followUp(const ViewLayout& layout, BufferViewState& state, std::uint32_t rows) {
    if (layout.rowOf(state.Cursor) < state.TopRow) {
        state.TopRow = state.TopRow > rows ? state.TopRow - rows : 0;
    }
}

} // namespace

void moveCursor(const ViewLayout& layout, BufferViewState& state, NavKey key) {
    const std::uint64_t size = layout.bufferSize();
    const std::uint64_t cursor = state.Cursor;
    const std::uint64_t bpr = layout.bytesPerRow();
    const std::uint64_t w = layout.cellBytes();
    const std::uint32_t page = layout.dataRows();
    const std::uint64_t pageBytes = page * bpr;
    std::uint64_t moved = cursor;
    switch (key) {
    case NavKey::Down:
    case NavKey::Right: {
        const std::uint64_t step = key == NavKey::Down ? bpr : w;
        if (cursor + step < size) {
            moved = cursor + step;
        }
        break;
    }
    case NavKey::Up:
    case NavKey::Left: {
        const std::uint64_t step = key == NavKey::Up ? bpr : w;
        if (cursor >= step) {
            moved = cursor - step;
        }
        break;
    }
    case NavKey::PageDown:
        // Past the end the cursor lands on the first byte of the last cell, so that in the 16-
        // and 32-bit grids it still addresses a whole cell.
        if (cursor + pageBytes < size) {
            moved = cursor + pageBytes;
        } else if (size > 0) {
            moved = layout.lastCell();
        }
        break;
    case NavKey::PageUp:
        moved = cursor >= pageBytes ? cursor - pageBytes : 0;
        break;
    }
    state.Cursor = static_cast<std::uint32_t>(moved);
    switch (key) {
    case NavKey::Down:
    case NavKey::Right:
        followDown(layout, state, 1);
        break;
    case NavKey::PageDown:
        followDown(layout, state, page);
        break;
    case NavKey::Up:
    case NavKey::Left:
        followUp(layout, state, 1);
        break;
    case NavKey::PageUp:
        followUp(layout, state, page);
        break;
    }
}

NavKey wheelKey(bool down, bool ctrl) {
    if (down) {
        return ctrl ? NavKey::PageDown : NavKey::Down;
    }
    return ctrl ? NavKey::PageUp : NavKey::Up;
}

void leftClick(const ViewLayout& layout, BufferViewState& state, std::uint64_t cell, bool shift) {
    const std::uint64_t address = layout.cellAddress(cell);
    if (layout.inside(address)) {
        state.Anchor = state.Cursor;
        state.Cursor = static_cast<std::uint32_t>(address);
    }
    if (!shift || state.Anchor == state.Cursor) {
        clearSelection(state);
        return;
    }
    // The selection covers both end cells whole and never reaches past the buffer's last byte,
    // whichever way the user clicked; the tools that take it (clear, fill) need First <= Last.
    const std::uint64_t first = std::min(state.Anchor, state.Cursor);
    const std::uint64_t last =
        layout.cellStart(std::max(state.Anchor, state.Cursor)) + layout.cellBytes() - 1;
    state.SelStart = static_cast<std::uint32_t>(first);
    state.SelEnd = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(last, layout.bufferSize() == 0 ? 0 : layout.bufferSize() - 1));
}

} // namespace zelmo::editor
