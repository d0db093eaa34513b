#include "editor/buffer_view_model.h"

#include "editor/buffer_entry.h"
#include "editor/fuse_view_layout.h"
#include "editor/vector_view_layout.h"
#include "project/device_descriptor.h"

#include <algorithm>

namespace zelmo::editor {

namespace {

bool byteMode(int organization) {
    return modeTraits(organization).Kind == ViewKind::Bytes;
}

// The memory a device shows (A for a value out of range).
std::size_t shownMemory(const CDevice& device) {
    return device.CurrentMemory < kMemories ? device.CurrentMemory : 0;
}

std::uint64_t memorySize(const CDevice& device) {
    const CDataSet* shown = device.DataSetCount > 0 ? device.Shown() : nullptr;
    return shown != nullptr ? shown->MemSize(static_cast<int>(shownMemory(device))) : 0;
}

ViewLayout layoutOf(const CDevice& device, int rowCount) {
    return {device.Buffers[shownMemory(device)].Organization, memorySize(device), rowCount};
}

BufferViewState& stateOf(CDevice& device) {
    return device.ViewState[shownMemory(device)];
}

// Places a view at an address: the row of the address on top, as far as the buffer allows,
// and the cursor on the address, never past the buffer's last byte.
void placeAt(const ViewLayout& layout, BufferViewState& state, std::uint64_t address) {
    if (layout.bufferSize() == 0) {
        return;
    }
    state.TopRow = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(layout.rowOf(address), layout.maxTopRow()));
    state.Cursor = static_cast<std::uint32_t>(std::min(address, layout.bufferSize() - 1));
}

const char* modeChangeText(int organization) {
    switch (organization) {
    case ORG_16BIT:
        return "mode changed to 16-bit.";
    case ORG_32BIT:
        return "mode changed to 32-bit.";
    default:
        return "mode changed to 8-bit.";
    }
}

} // namespace

BufferViewModel::BufferViewModel(TProject& project) : project_(project) {}

CDevice* BufferViewModel::device() const {
    return project_.Active();
}

CDataSet* BufferViewModel::dataSet() const {
    const CDevice* d = device();
    return d != nullptr && d->DataSetCount > 0 ? d->Shown() : nullptr;
}

int BufferViewModel::memory() const {
    const CDevice* d = device();
    return d != nullptr ? static_cast<int>(shownMemory(*d)) : 0;
}

std::uint64_t BufferViewModel::bufferSize() const {
    const CDevice* d = device();
    return d != nullptr ? memorySize(*d) : 0;
}

bool BufferViewModel::busy() const {
    const CDevice* d = device();
    return d != nullptr && (d->Busy != 0 || d->AutoActive != 0);
}

ViewLayout BufferViewModel::layout() const {
    const CDevice* d = device();
    return d != nullptr ? layoutOf(*d, RowCount) : ViewLayout(ORG_8BIT, 0, RowCount);
}

BufferViewState* BufferViewModel::state() const {
    CDevice* d = device();
    return d != nullptr ? &stateOf(*d) : nullptr;
}

void BufferViewModel::ShowCurrent() {
    NibbleCount = 0;
    RefreshPage(false);
}

ScrollBarState BufferViewModel::LayoutGrids(int panelHeight) {
    RowCount = rowCountForHeight(panelHeight);
    return UpdateScrollBar();
}

ScrollBarState BufferViewModel::UpdateScrollBar() {
    const ViewLayout view = layout();
    BufferViewState* s = state();
    const ScrollBarState bar = view.scrollBar(s != nullptr ? s->TopRow : 0, busy());
    // An enabled bar cannot show a position past its maximum (the window grew, the memory
    // shrank); TopRow follows it so that the view and the bar agree.
    if (s != nullptr && bar.Enabled) {
        s->TopRow = bar.Position;
    }
    return bar;
}

bool BufferViewModel::RefreshPage(bool force) {
    CDevice* d = device();
    if (d == nullptr || (busy() && !force)) {
        return false;
    }
    const CDataSet* shown = dataSet();
    if (shown == nullptr) {
        return false;
    }
    const ViewLayout view = layout();
    const std::uint32_t top = stateOf(*d).TopRow;
    const int slot = project_.ActiveDevice;
    pages_.countRead(pages_.page(slot).load(*shown, memory(), view, top));
    if (const CDataSet* target = compareTarget()) {
        pages_.countRead(pages_.comparePage(slot).load(*target, memory(), view, top));
    } else {
        pages_.releaseComparePage(slot);
    }
    return true;
}

void BufferViewModel::ScrollTo(std::uint32_t position) {
    BufferViewState* s = state();
    if (s == nullptr) {
        return;
    }
    s->TopRow = std::min(position, layout().maxTopRow());
    RefreshPage(false);
}

bool BufferViewModel::KeyDown(NavKey key, bool shift, bool ctrl, bool alt) {
    BufferViewState* s = state();
    if (s == nullptr || shift || ctrl || alt || !GridsEnabled) {
        return false;
    }
    NibbleCount = 0;
    moveCursor(layout(), *s, key);
    RefreshPage(false);
    return true;
}

void BufferViewModel::Wheel(bool down, bool ctrl) {
    KeyDown(wheelKey(down, ctrl), false, false, false);
}

void BufferViewModel::MouseDown(const GridHit& hit, MouseButton button, bool shift) {
    BufferViewState* s = state();
    if (s == nullptr || !GridsEnabled || hit.Grid == GridKind::Address) {
        return;
    }
    Focus = hit.Grid;
    NibbleCount = 0;
    const ViewLayout view = layout();
    if (hit.Row <= 0 || hit.Column < 0 || hit.Column >= static_cast<int>(view.columns())) {
        return;
    }
    if (button == MouseButton::Left) {
        leftClick(view, *s, view.cellIndex(s->TopRow, hit.Row - 1, hit.Column), shift);
    }
    RefreshPage(false);
}

EntryResult BufferViewModel::KeyPress(char32_t ch) {
    if (device() == nullptr) {
        return {};
    }
    switch (layout().kind()) {
    case ViewKind::Bytes:
        return Focus == GridKind::Characters ? charEntry(ch) : hexEntry(ch);
    case ViewKind::Fuses:
        return fuseEntry(ch);
    case ViewKind::Vectors:
        break;
    }
    return {};
}

bool BufferViewModel::canEdit() const {
    const CDevice* d = device();
    // A busy device's swap file belongs to its worker: the buffer-changing commands refuse it,
    // and so does typing.
    return d != nullptr && dataSet() != nullptr && bufferSize() > 0 && GridsEnabled &&
           d->Editable != 0 && !busy() &&
           (d->Buffers[static_cast<std::size_t>(memory())].Flags & BUF_READ_ONLY) == 0;
}

bool BufferViewModel::readByte(std::uint64_t address, std::uint8_t& value) const {
    const CDataSet* shown = dataSet();
    return shown != nullptr && address < bufferSize() &&
           shown->Read(memory(), address, {&value, 1});
}

bool BufferViewModel::writeByte(std::uint64_t address, std::uint8_t value) {
    CDataSet* shown = dataSet();
    return shown != nullptr && address < bufferSize() &&
           shown->Write(memory(), address, {&value, 1});
}

std::uint64_t BufferViewModel::typingCell() const {
    const BufferViewState* s = state();
    return s != nullptr ? layout().cellStart(s->Cursor) : 0;
}

void BufferViewModel::syncTyping() {
    if (typedDataSet_ != dataSet() || typedMemory_ != memory() || typedCell_ != typingCell()) {
        NibbleCount = 0;
    }
}

void BufferViewModel::typed() {
    typedDataSet_ = dataSet();
    typedMemory_ = memory();
    typedCell_ = typingCell();
}

EntryResult BufferViewModel::finishEdit(bool written) {
    typed();
    RefreshPage(false);
    EntryResult result;
    if (written) {
        MemoryState& memoryState = dataSet()->Memories[static_cast<std::size_t>(memory())];
        result.Written = true;
        result.ModifiedSet = memoryState.Modified == 0;
        memoryState.OnEdited();
    }
    return result;
}

int BufferViewModel::nextStroke(int strokes) {
    syncTyping();
    if (NibbleCount >= strokes) {
        NibbleCount = 0;
    }
    return ++NibbleCount;
}

void BufferViewModel::endStroke(int strokes, std::uint64_t cell) {
    if (NibbleCount < strokes) {
        return;
    }
    NibbleCount = 0;
    const ViewLayout view = layout();
    if (cell + view.cellBytes() < view.bufferSize()) {
        state()->Cursor = static_cast<std::uint32_t>(cell + view.cellBytes());
    }
}

EntryResult BufferViewModel::hexEntry(char32_t ch) {
    const int digit = hexDigitValue(ch);
    if (digit < 0 || !canEdit()) {
        return {};
    }
    const unsigned width = layout().cellBytes();
    const int digits = static_cast<int>(2 * width);
    const NibblePlace place = hexDigitPlace(width, nextStroke(digits));
    const std::uint64_t cell = typingCell();
    std::uint8_t byte = 0;
    bool written = false;
    if (readByte(cell + place.Offset, byte)) {
        written = writeByte(cell + place.Offset, withNibble(byte, place.High, digit));
    }
    endStroke(digits, cell);
    return finishEdit(written);
}

EntryResult BufferViewModel::charEntry(char32_t ch) {
    // Control characters (Enter and Escape among them) are swallowed, and so is a character
    // the 8-bit code page cannot hold.
    if (ch < 32 || ch > 0xFF || !canEdit()) {
        return {};
    }
    const unsigned width = layout().cellBytes();
    const int characters = static_cast<int>(width);
    const unsigned offset = charPlace(width, nextStroke(characters));
    const std::uint64_t cell = typingCell();
    const bool written = writeByte(cell + offset, static_cast<std::uint8_t>(ch));
    endStroke(characters, cell);
    return finishEdit(written);
}

EntryResult BufferViewModel::fuseEntry(char32_t ch) {
    if (ch == kEnter || ch == kEscape || !canEdit()) {
        return {};
    }
    nextStroke(1);
    const std::uint64_t fuse = typingCell();
    const bool written = writeByte(fuse, ch == U'0' ? 0 : 1);
    endStroke(1, fuse);
    return finishEdit(written);
}

void BufferViewModel::GoToAddress(std::uint64_t address) {
    CDevice* d = device();
    if (d == nullptr) {
        return;
    }
    NibbleCount = 0;
    placeAt(layout(), stateOf(*d), address);
    if (project_.LinkDevices != 0) {
        // Each linked device is placed within its own current memory, which need not be the
        // same memory (or size) as the active device's.
        for (int i = 0; i < project_.DeviceCount; ++i) {
            CDevice* other = project_.Devices[static_cast<std::size_t>(i)].get();
            if (other != nullptr && other != d && other->Linked != 0) {
                placeAt(layoutOf(*other, RowCount), stateOf(*other), address);
            }
        }
    }
    RefreshPage(false);
    UpdateScrollBar();
}

std::optional<QString> BufferViewModel::SetDisplayMode(int tag) {
    CDevice* d = device();
    if (d == nullptr || tag < 0 || tag > 2) {
        return std::nullopt;
    }
    BufferInfo& info = d->Buffers[static_cast<std::size_t>(memory())];
    if (!byteMode(info.Organization)) {
        return std::nullopt;
    }
    const auto organization = static_cast<std::uint8_t>(ORG_8BIT + tag);
    info.Organization = organization;
    if (project_.LinkDevices != 0) {
        // A linked device showing its fuse map or vectors keeps them: only byte grids switch.
        for (int i = 0; i < project_.DeviceCount; ++i) {
            CDevice* other = project_.Devices[static_cast<std::size_t>(i)].get();
            if (other != nullptr && other != d && other->Linked != 0) {
                BufferInfo& otherInfo = other->Buffers[shownMemory(*other)];
                if (byteMode(otherInfo.Organization)) {
                    otherInfo.Organization = organization;
                }
            }
        }
    }
    NibbleCount = 0;
    RefreshPage(false);
    return FieldQString(info.Name) + QStringLiteral(" (Buffer %1) ").arg(QChar(u'A' + memory())) +
           QString::fromLatin1(modeChangeText(organization));
}

QString BufferViewModel::ToggleEditable() {
    CDevice* d = device();
    if (d == nullptr) {
        return {};
    }
    d->Editable = d->Editable != 0 ? 0 : 1;
    return d->Editable != 0 ? QStringLiteral("Buffer editable.")
                            : QStringLiteral("Buffer read-only.");
}

BufferPopup BufferViewModel::Popup() const {
    const CDevice* d = device();
    if (d == nullptr) {
        return {};
    }
    // Loading into a programmable logic device always addresses memory A, so its recent list
    // is the one offered.
    const int fileMemory = d->Descriptor.Type == DT_PLD ? 0 : memory();
    int recent = 0;
    if (const CDataSet* shown = dataSet()) {
        for (const FileEntryPtr& entry :
             shown->Memories[static_cast<std::size_t>(fileMemory)].Recent) {
            recent += entry != nullptr ? 1 : 0;
        }
    }
    return bufferPopup(d->Buffers[static_cast<std::size_t>(memory())], project_.LinkDevices != 0,
                       recent, d->DataSetCount);
}

QString BufferViewModel::Hint() const {
    const CDevice* d = device();
    if (d == nullptr || !Hover || Hover->Row <= 0 || Hover->Grid == GridKind::Address) {
        return {};
    }
    const ViewLayout view = layout();
    if (Hover->Column < 0 || Hover->Column >= static_cast<int>(view.columns())) {
        return {};
    }
    const std::uint64_t cell = view.cellIndex(state()->TopRow, Hover->Row - 1, Hover->Column);
    const BufferInfo& info = d->Buffers[static_cast<std::size_t>(memory())];
    switch (view.kind()) {
    case ViewKind::Bytes:
        return byteCellHint(view, info, cell);
    case ViewKind::Fuses:
        return fuseCellHint(view, info, cell);
    case ViewKind::Vectors:
        break;
    }
    const BufferPage* page = pages_.findPage(project_.ActiveDevice);
    const CellValue value =
        page != nullptr ? page->cell(dataSet(), memory(), view, cell) : CellValue{view.cellBytes()};
    return vectorCellHint(view, cell, value);
}

const CDataSet* BufferViewModel::compareTarget() const {
    const CDevice* d = device();
    const CDataSet* shown = dataSet();
    if (d == nullptr || shown == nullptr || shown->CompareTo < 0 ||
        shown->CompareTo >= d->DataSetCount || shown->CompareTo == d->ShownDataSet) {
        return nullptr;
    }
    return d->DataSets[static_cast<std::size_t>(shown->CompareTo)].get();
}

CellLook BufferViewModel::Look(const GridHit& cell, bool widgetFocused) const {
    const CDevice* d = device();
    if (d == nullptr) {
        return emptyLook();
    }
    const ViewLayout view = layout();
    if (cell.Row < 0 || cell.Row >= view.rowCount() || cell.Column < 0 ||
        (cell.Grid != GridKind::Address && cell.Column >= static_cast<int>(view.columns()))) {
        return emptyLook();
    }
    const BufferViewState& s = *state();
    const bool focused = widgetFocused && (cell.Grid == Focus || view.kind() != ViewKind::Bytes);
    const LookContext context{view, d->Buffers[static_cast<std::size_t>(memory())], s, GridsEnabled,
                              focused};
    if (cell.Grid == GridKind::Address) {
        return addressLook(context, cell.Row);
    }
    if (cell.Row == 0) {
        return headerLook(context, cell.Grid, cell.Column);
    }
    const std::uint64_t index = view.cellIndex(s.TopRow, cell.Row - 1, cell.Column);
    const std::uint64_t address = view.cellAddress(index);
    const int slot = project_.ActiveDevice;
    const BufferPage* page = pages_.findPage(slot);
    const CellValue value = page != nullptr ? page->cell(dataSet(), memory(), view, address)
                                            : CellValue{view.cellBytes()};
    const CDataSet* target = compareTarget();
    const BufferPage* comparePage = pages_.findComparePage(slot);
    if (target != nullptr && comparePage != nullptr) {
        const CellValue other = comparePage->cell(target, memory(), view, address);
        return dataCellLook(context, cell, index, value, &other);
    }
    return dataCellLook(context, cell, index, value, nullptr);
}

} // namespace zelmo::editor
