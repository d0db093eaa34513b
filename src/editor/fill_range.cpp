#include "editor/fill_range.h"

#include "editor/buffer_search.h"

#include <cstdio>

namespace zelmo::editor {

bool fillRangeFromCells(std::uint32_t from, std::uint32_t to, int mode, std::uint32_t size,
                        ByteRange& range) {
    const std::uint64_t n = cellBytes(mode);
    const std::uint64_t first = std::uint64_t{from} * n;
    const std::uint64_t last = std::uint64_t{to} * n + (n - 1);
    if (first >= size || last >= size || last < first) {
        return false;
    }
    range.First = static_cast<std::uint32_t>(first);
    range.Last = static_cast<std::uint32_t>(last);
    return true;
}

ByteRange cellsFromBytes(const ByteRange& bytes, int mode) {
    const std::uint64_t n = cellBytes(mode);
    ByteRange cells;
    cells.First = static_cast<std::uint32_t>(bytes.First / n);
    cells.Last = static_cast<std::uint32_t>((std::uint64_t{bytes.Last} + 1) / n - 1);
    return cells;
}

std::string fillLogLine(const ByteRange& bytes, int mode, std::uint32_t size) {
    if (bytes.First == 0 && size > 0 && bytes.Last == size - 1) {
        return "Buffer filled.";
    }
    const ByteRange cells = cellsFromBytes(bytes, mode);
    char text[64];
    std::snprintf(text, sizeof text, "Block %08X - %08X filled.", cells.First, cells.Last);
    return text;
}

} // namespace zelmo::editor
