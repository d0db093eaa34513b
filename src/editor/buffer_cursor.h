#pragma once

// Cursor, scrolling and selection of the buffer view, as plain rules over a memory's view state
// (`BufferViewState`, kept in the device). The same rules serve every display mode: the fuse
// map and the vectors move like the 8-bit grid, with their own cells per row.

#include "editor/buffer_view_layout.h"
#include "project/project.h"

#include <cstdint>

namespace zelmo::editor {

enum class NavKey { Up, Down, Left, Right, PageUp, PageDown };

// Moves the cursor for one navigation key and scrolls when it leaves the screen:
// - Down / Right: one row / one cell on, if that stays inside the buffer; the view scrolls one
//   row when the cursor's row falls below the screen.
// - Up / Left: one row / one cell back, if the cursor is that far from 0; the view scrolls one
//   row when the cursor's row rises above the screen.
// - Page Down: RowCount - 1 rows on, or onto the buffer's last cell when that would leave the
//   buffer; the view pages on when the cursor leaves the screen, never past the last page.
// - Page Up: RowCount - 1 rows back or to 0; the view pages back when the cursor leaves the
//   screen, stopping at row 0.
// The cursor never passes the buffer's last cell and never goes below 0.
void moveCursor(const ViewLayout& layout, BufferViewState& state, NavKey key);

// The key a wheel notch acts as: Down or Up, Page Down or Page Up while Ctrl is held.
NavKey wheelKey(bool down, bool ctrl);

// A left click on data cell `cell`. A cell inside the buffer becomes the cursor and the old
// cursor the anchor (a click past the end moves nothing). With Shift the selection runs from
// the anchor to the cursor, both cells whole, in whichever order they lie; a Shift+click on the
// anchor's own cell clears it. Without Shift the selection is cleared.
void leftClick(const ViewLayout& layout, BufferViewState& state, std::uint64_t cell, bool shift);

inline bool hasSelection(const BufferViewState& state) {
    return state.SelStart != state.SelEnd;
}
inline void clearSelection(BufferViewState& state) {
    state.SelStart = 0;
    state.SelEnd = 0;
}
// The byte lies in the selection.
inline bool isSelected(const BufferViewState& state, std::uint64_t address) {
    return hasSelection(state) && state.SelStart <= address && address <= state.SelEnd;
}

} // namespace zelmo::editor
