#pragma once

// The buffer view of the main window without its widgets: it shows one memory of the active
// device's shown data set, keeps the page cache, forwards keys, clicks, the wheel and typed
// characters to the cursor and entry rules, writes edits straight to the swap file and tells
// the widget what every cell looks like. Where the view stands in each memory lives in the
// device (`CDevice::ViewState`), so every device and memory keeps its place; what belongs to
// the window (RowCount, NibbleCount, the focused grid, the cell under the mouse, the pages) lives
// here. Everything runs on the user-interface thread.

#include "editor/buffer_cursor.h"
#include "editor/buffer_page.h"
#include "editor/buffer_popup.h"
#include "editor/buffer_view_layout.h"
#include "editor/buffer_view_look.h"
#include "project/project.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace zelmo::editor {

enum class MouseButton { Left, Other };

struct EntryResult {
    bool Written = false;     // a byte of the buffer changed in the swap file
    bool ModifiedSet = false; // the memory just became modified: the file-name field changes
};

class BufferViewModel {
public:
    explicit BufferViewModel(TProject& project);

    // Window-side state.
    int RowCount = kMaxRowCount; // grid rows including the header row
    int NibbleCount = 0;         // digits (or characters) typed into the cursor cell so far
    GridKind Focus = GridKind::Hex;
    bool GridsEnabled = true;
    std::optional<GridHit> Hover; // the grid cell under the mouse

    // What is shown: the active device, its shown data set and current memory. Null or empty
    // when the project has no device (or the device no data set).
    CDevice* device() const;
    CDataSet* dataSet() const;
    int memory() const;
    std::uint64_t bufferSize() const;
    // The device is busy: an operation or a production-mode thread owns it.
    bool busy() const;
    ViewLayout layout() const;
    // View state of the shown memory; null without a device.
    BufferViewState* state() const;

    // After a change of device, data set or memory: forget a half-typed cell and re-read.
    void ShowCurrent();
    // RowCount from the panel height, then the scroll bar.
    ScrollBarState LayoutGrids(int panelHeight);
    // The scroll bar for the shown memory; keeps TopRow inside its range while it is enabled.
    ScrollBarState UpdateScrollBar();
    // Re-reads the page of the rows on screen (and of the compare data set). Skipped while the
    // device is busy unless forced; true when the page was read.
    bool RefreshPage(bool force);
    // The scroll bar was moved: the view scrolls, the cursor stays.
    void ScrollTo(std::uint32_t position);

    // A navigation key on a data grid; ignored with Shift, Ctrl or Alt or on disabled grids.
    bool KeyDown(NavKey key, bool shift, bool ctrl, bool alt);
    // A wheel notch over a data grid of any mode.
    void Wheel(bool down, bool ctrl);
    // A mouse button pressed on a grid cell.
    void MouseDown(const GridHit& hit, MouseButton button, bool shift);
    // A character typed on the focused grid: hex digits on the hex grid, characters on the
    // character grid, fuse values on the fuse grid; the vector grid takes none.
    EntryResult KeyPress(char32_t ch);

    // Moves view and cursor to a byte address (a cell index in the fuse and vector views);
    // linked devices follow while devices are linked.
    void GoToAddress(std::uint64_t address);
    // Display mode command (menu tag 0, 1, 2 for 8-, 16-, 32-bit): the log detail and status
    // text, or nothing when the mode cannot change (fuse map, test vectors, no device).
    std::optional<QString> SetDisplayMode(int tag);
    // Editable button: toggles the device's Editable; the log detail and status text.
    QString ToggleEditable();

    // The popup menu as it opens now.
    BufferPopup Popup() const;
    // Hint text of the cell under the mouse; empty for none.
    QString Hint() const;
    // How to draw a cell; `widgetFocused` tells whether the view has keyboard focus.
    CellLook Look(const GridHit& cell, bool widgetFocused) const;

    const PageCache& pages() const { return pages_; }

private:
    bool canEdit() const;
    // Replaces one byte of the shown memory; false when it lies past the end or the transfer
    // fails.
    bool writeByte(std::uint64_t address, std::uint8_t value);
    bool readByte(std::uint64_t address, std::uint8_t& value) const;
    EntryResult finishEdit(bool written);
    EntryResult hexEntry(char32_t ch);
    EntryResult charEntry(char32_t ch);
    EntryResult fuseEntry(char32_t ch);
    // Forgets a half-typed cell when the cursor has left it by any road.
    void syncTyping();
    // The first byte of the cell the typing goes to: the one holding the cursor, also when the
    // cursor was put on one of its upper bytes (a search hit, a mode change).
    std::uint64_t typingCell() const;
    // One more digit or character typed into a cell that takes `strokes` of them: its number,
    // counted from 1.
    int nextStroke(int strokes);
    // After the cell's last stroke the count starts again and the cursor moves on to the next
    // cell, unless `cell` is the buffer's last.
    void endStroke(int strokes, std::uint64_t cell);
    void typed();
    const CDataSet* compareTarget() const;

    TProject& project_;
    PageCache pages_;
    // The cell that NibbleCount counts digits of.
    const CDataSet* typedDataSet_ = nullptr;
    int typedMemory_ = -1;
    std::uint64_t typedCell_ = 0;
};

} // namespace zelmo::editor
