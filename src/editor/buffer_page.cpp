#include "editor/buffer_page.h"

#include <algorithm>

namespace zelmo::editor {

namespace {
bool validSlot(int slot) {
    return slot >= 0 && slot < kMaxDevices;
}
} // namespace

std::size_t BufferPage::load(const CDataSet& dataSet, int memory, const ViewLayout& layout,
                             std::uint32_t topRow) {
    const std::uint64_t size = layout.bufferSize();
    const std::uint64_t first = static_cast<std::uint64_t>(topRow) * layout.bytesPerRow();
    const std::size_t pageSize = layout.mode().PageSize;
    const auto length =
        first >= size ? 0
                      : static_cast<std::size_t>(std::min<std::uint64_t>(size - first, pageSize));
    if (bytes_.size() < pageSize) {
        bytes_.resize(pageSize);
    }
    dataSet_ = &dataSet;
    memory_ = memory;
    first_ = first;
    length_ = 0;
    if (length > 0 && dataSet.Read(memory, first, std::span(bytes_).first(length))) {
        length_ = length;
    }
    return length;
}

void BufferPage::clear() {
    dataSet_ = nullptr;
    memory_ = -1;
    first_ = 0;
    length_ = 0;
}

int BufferPage::byteAt(const CDataSet* dataSet, int memory, std::uint64_t address) const {
    if (dataSet == nullptr || dataSet != dataSet_ || memory != memory_ || address < first_ ||
        address - first_ >= length_) {
        return -1;
    }
    return bytes_[static_cast<std::size_t>(address - first_)];
}

CellValue BufferPage::cell(const CDataSet* dataSet, int memory, const ViewLayout& layout,
                           std::uint64_t address) const {
    CellValue value;
    value.Width = layout.cellBytes();
    for (unsigned i = 0; i < value.Width; ++i) {
        if (layout.inside(address + i)) {
            value.Bytes[i] = byteAt(dataSet, memory, address + i);
        }
    }
    return value;
}

namespace {
BufferPage& slotPage(std::array<std::unique_ptr<BufferPage>, kMaxDevices>& pages, int slot) {
    auto& page = pages[static_cast<std::size_t>(std::clamp(slot, 0, kMaxDevices - 1))];
    if (!page) {
        page = std::make_unique<BufferPage>();
    }
    return *page;
}

const BufferPage* findSlotPage(const std::array<std::unique_ptr<BufferPage>, kMaxDevices>& pages,
                               int slot) {
    return validSlot(slot) ? pages[static_cast<std::size_t>(slot)].get() : nullptr;
}
} // namespace

BufferPage& PageCache::page(int slot) {
    return slotPage(pages_, slot);
}

const BufferPage* PageCache::findPage(int slot) const {
    return findSlotPage(pages_, slot);
}

BufferPage& PageCache::comparePage(int slot) {
    return slotPage(compare_, slot);
}

const BufferPage* PageCache::findComparePage(int slot) const {
    return findSlotPage(compare_, slot);
}

void PageCache::releaseComparePage(int slot) {
    if (validSlot(slot)) {
        compare_[static_cast<std::size_t>(slot)].reset();
    }
}

} // namespace zelmo::editor
