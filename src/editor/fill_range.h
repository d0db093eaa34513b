#pragma once

// The fill dialog's range: From and To count cells of the display mode (bytes, words or double
// words); the worker and the log need byte addresses and back.

#include <cstdint>
#include <string>

namespace zelmo::editor {

struct ByteRange {
    std::uint32_t First = 0;
    std::uint32_t Last = 0; // inclusive
};

// Cells typed into From and To turned into bytes (16-bit mode: From x 2 to To x 2 + 1; 32-bit
// mode: From x 4 to To x 4 + 3). False ("Invalid range.") unless the range lies inside a buffer
// of `size` bytes and Last >= First.
bool fillRangeFromCells(std::uint32_t from, std::uint32_t to, int mode, std::uint32_t size,
                        ByteRange& range);

// A byte range shown in cells: First / n and (Last + 1) / n - 1 for n bytes per cell.
ByteRange cellsFromBytes(const ByteRange& bytes, int mode);

// The log line of a fill: "Block %08X - %08X filled." in cells, or "Buffer filled." for the
// whole buffer.
std::string fillLogLine(const ByteRange& bytes, int mode, std::uint32_t size);

} // namespace zelmo::editor
