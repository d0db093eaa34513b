#pragma once

// The buffer view's page cache: per device slot one page holding the bytes of the rows on
// screen (`PageBuffer`) and one holding the same rows of the compare data set (`ComparePage`).
// Drawing takes every value from here and never touches a file; a refresh reads at most one
// page, 1024 or 4096 bytes, whatever the buffer's size.

#include "editor/buffer_cells.h"
#include "editor/buffer_view_layout.h"
#include "project/project.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace zelmo::editor {

// A copy of some rows of one memory of one data set. The page remembers what it holds, so a
// page that was not re-read (the device was busy, the read failed, the slot now shows another
// device) never lends its bytes to other rows.
class BufferPage {
public:
    // Reads the bytes of memory `memory` of `dataSet` from the first byte of row `topRow`: the
    // rest of the buffer, at most the mode's page size. Returns the bytes asked of the file; on
    // a read error the page holds nothing.
    std::size_t load(const CDataSet& dataSet, int memory, const ViewLayout& layout,
                     std::uint32_t topRow);
    void clear();

    // The byte at `address` of `memory` of `dataSet`, or -1 when the page does not hold it.
    int byteAt(const CDataSet* dataSet, int memory, std::uint64_t address) const;
    // The cell of the layout's mode starting at `address`; bytes past the buffer's end or not
    // held are -1.
    CellValue cell(const CDataSet* dataSet, int memory, const ViewLayout& layout,
                   std::uint64_t address) const;

    const CDataSet* dataSet() const { return dataSet_; }
    std::uint64_t first() const { return first_; }
    std::size_t length() const { return length_; }

private:
    std::vector<std::uint8_t> bytes_;
    const CDataSet* dataSet_ = nullptr;
    int memory_ = -1;
    std::uint64_t first_ = 0;
    std::size_t length_ = 0;
};

// PageBuffer and ComparePage of the 16 device slots. A slot's pages are made on first use and
// kept for the life of the window, reused by whichever device occupies the slot.
class PageCache {
public:
    BufferPage& page(int slot);
    const BufferPage* findPage(int slot) const;
    BufferPage& comparePage(int slot);
    const BufferPage* findComparePage(int slot) const;
    void releaseComparePage(int slot);

    // Bytes asked of the swap files by every refresh so far.
    std::uint64_t bytesRead() const { return bytesRead_; }
    void countRead(std::size_t bytes) { bytesRead_ += bytes; }

private:
    std::array<std::unique_ptr<BufferPage>, kMaxDevices> pages_;
    std::array<std::unique_ptr<BufferPage>, kMaxDevices> compare_;
    std::uint64_t bytesRead_ = 0;
};

} // namespace zelmo::editor
