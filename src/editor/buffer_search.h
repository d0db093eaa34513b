#pragma once

// Find, replace, go to and find-next-difference over buffer bytes. The scans work on spans (a
// memory's bytes inside a mapping of its swap file) so they are usable and measurable alone.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelmo::editor {

inline constexpr std::size_t kMaxPattern = 32;

// Display modes of the buffer view that the tools know: 1 = 8-bit, 2 = 16-bit, 3 = 32-bit.
enum DisplayMode : int { Mode8 = 1, Mode16 = 2, Mode32 = 3 };

// Bytes per cell of a display mode (1, 2 or 4).
unsigned cellBytes(int mode);

// Turns the hex digits typed into the Find dialog into the byte pattern in buffer order. On a
// digit count that does not suit the mode, returns false with the message to show.
bool parseHexPattern(const std::string& digits, int mode, std::vector<std::uint8_t>& pattern,
                     std::string& message);

struct SearchPattern {
    std::vector<std::uint8_t> Bytes;
    bool CaseSensitive = true; // hex patterns are always exact
};

// Offset of the first match at or after `from` (forward) or at or before `from` (backward);
// only offsets where the whole pattern lies inside the buffer match.
std::optional<std::size_t> findForward(std::span<const std::uint8_t> buffer,
                                       const SearchPattern& pattern, std::size_t from);
std::optional<std::size_t> findBackward(std::span<const std::uint8_t> buffer,
                                        const SearchPattern& pattern, std::size_t from);

// The Information message of a Find without a (further) match: "Value %sh not found." with the
// hex digits as typed, or "String '%s' not found." with the text.
std::string notFoundMessage(const std::string& typed, bool hex);

// Where the next Find press starts: with "From cursor" one byte past the cursor in the search
// direction (unless that leaves the buffer), with "Entire scope" offset 0 forward and the last
// byte backward.
std::size_t findStartOffset(std::size_t cursor, std::size_t size, bool forward, bool entireScope);

// Replace state of one dialog.
struct ReplaceRequest {
    std::string Find;
    std::string ReplaceWith;
    bool Forward = true;
    bool CaseSensitive = false;
    bool ReplaceAll = false;
};

struct ReplaceOutcome {
    int Count = 0;              // replacements made
    std::size_t LastOffset = 0; // offset of the last replaced byte (the new cursor)
    std::string Message;        // message to show, empty when the command ends silently
    bool Refused = false;       // the texts differ in length; nothing was searched
};

// Runs one Replace press over `buffer` from `cursor`. `restart` is the dialog's restart flag:
// when false the scan first steps one byte in the search direction; it is cleared after a
// replacement.
ReplaceOutcome replaceInBuffer(std::span<std::uint8_t> buffer, const ReplaceRequest& request,
                               std::size_t cursor, bool& restart);

// Go to: the hex value counts cells of the display mode; with `offset` the cursor is added.
// Returns the byte address, or nothing when it lies beyond the buffer's last byte.
std::optional<std::uint64_t> goToAddress(std::uint64_t cells, int mode, bool offset,
                                         std::uint64_t cursor, std::uint64_t size);

// Scans two equally positioned byte streams for the next difference: first the run of differing
// bytes the scan starts in is skipped, then the first differing byte after an equal one is the
// result. The state carries across pieces, so a run that crosses a piece boundary stays one run.
class DifferenceScanner {
public:
    // Feeds the next `a.size()` bytes (a and b equally long), starting at stream offset
    // `offset`. Returns the offset of the difference when found.
    std::optional<std::uint64_t> feed(std::span<const std::uint8_t> a,
                                      std::span<const std::uint8_t> b, std::uint64_t offset);

private:
    bool skipping_ = true;
};

// Find next difference over two readers of one memory: reads both from `start` to `size` in
// 64 KiB pieces. A reader returns the bytes it could read (fewer ends the scan).
using PieceReader = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t>)>;
std::optional<std::uint64_t> findNextDifference(const PieceReader& a, const PieceReader& b,
                                                std::uint64_t cursor, std::uint64_t size);

// The start offset of Find next difference: cursor + 1, or 0 when the cursor is at 0.
inline std::uint64_t nextDifferenceStart(std::uint64_t cursor) {
    return cursor == 0 ? 0 : cursor + 1;
}

} // namespace zelmo::editor
