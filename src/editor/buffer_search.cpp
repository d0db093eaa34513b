#include "editor/buffer_search.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelmo::editor {

namespace {

// Letters of ISO 8859-1 whose lower-case form is the upper-case form plus 0x20.
constexpr bool isLetter(unsigned c) {
    const unsigned u = c & ~0x20u;
    return (u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7);
}

constexpr std::array<std::uint8_t, 256> makeFold() {
    std::array<std::uint8_t, 256> t{};
    for (unsigned c = 0; c < 256; ++c) {
        t[c] = static_cast<std::uint8_t>(isLetter(c) ? (c | 0x20) : c);
    }
    return t;
}
constexpr std::array<std::uint8_t, 256> kFold = makeFold();

bool matchesAt(const std::uint8_t* p, const SearchPattern& pattern) {
    const std::size_t n = pattern.Bytes.size();
    if (pattern.CaseSensitive) {
        return std::memcmp(p, pattern.Bytes.data(), n) == 0;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (kFold[p[i]] != kFold[pattern.Bytes[i]]) {
            return false;
        }
    }
    return true;
}

// Candidate filter of one pattern byte: (b | mask) == value.
struct ByteFilter {
    std::uint8_t mask;
    std::uint8_t value;
};

ByteFilter filterFor(std::uint8_t c, bool caseSensitive) {
    if (!caseSensitive && isLetter(c)) {
        return {0x20, static_cast<std::uint8_t>(c | 0x20)};
    }
    return {0, c};
}

#if defined(__SSE2__)
// Bit i set when offset base + i is a candidate (first and last pattern bytes agree).
inline unsigned candidates(const std::uint8_t* base, std::size_t lastIndex, ByteFilter f,
                           ByteFilter l) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + lastIndex));
    const __m128i ea = _mm_cmpeq_epi8(_mm_or_si128(a, _mm_set1_epi8(static_cast<char>(f.mask))),
                                      _mm_set1_epi8(static_cast<char>(f.value)));
    const __m128i eb = _mm_cmpeq_epi8(_mm_or_si128(b, _mm_set1_epi8(static_cast<char>(l.mask))),
                                      _mm_set1_epi8(static_cast<char>(l.value)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ea, eb)));
}
#endif

} // namespace

unsigned cellBytes(int mode) {
    return mode == Mode16 ? 2u : mode == Mode32 ? 4u : 1u;
}

bool parseHexPattern(const std::string& digits, int mode, std::vector<std::uint8_t>& pattern,
                     std::string& message) {
    pattern.clear();
    const std::size_t n = digits.size();
    const std::size_t group = 2 * cellBytes(mode);
    if (n % group != 0 || n == 0 || n > 2 * kMaxPattern) {
        message = mode == Mode16   ? "Value must be 4, 8, 12, 16, 20, 24, 28 or 32 characters long."
                  : mode == Mode32 ? "Value must be 8, 16, 24 or 32 characters long."
                                   : "Count of characters must be even.";
        return false;
    }
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    for (std::size_t g = 0; g < n; g += group) {
        // One cell, most significant digits first, stored little-endian.
        const std::size_t cellLen = group / 2;
        std::vector<std::uint8_t> cell(cellLen);
        for (std::size_t k = 0; k < cellLen; ++k) {
            const int hi = nibble(digits[g + 2 * k]);
            const int lo = nibble(digits[g + 2 * k + 1]);
            if (hi < 0 || lo < 0) {
                message = "Invalid hex value.";
                pattern.clear();
                return false;
            }
            cell[cellLen - 1 - k] = static_cast<std::uint8_t>(hi * 16 + lo);
        }
        pattern.insert(pattern.end(), cell.begin(), cell.end());
    }
    message.clear();
    return true;
}

std::optional<std::size_t> findForward(std::span<const std::uint8_t> buffer,
                                       const SearchPattern& pattern, std::size_t from) {
    const std::size_t m = pattern.Bytes.size();
    if (m == 0 || m > buffer.size() || from > buffer.size() - m) {
        return std::nullopt;
    }
    const std::size_t last = buffer.size() - m; // last offset where a match fits
    const std::uint8_t* p = buffer.data();
    std::size_t i = from;
#if defined(__SSE2__)
    const ByteFilter f = filterFor(pattern.Bytes.front(), pattern.CaseSensitive);
    const ByteFilter l = filterFor(pattern.Bytes.back(), pattern.CaseSensitive);
    // A block tests offsets i..i+15 and reads up to i + 15 + m - 1, inside the buffer while
    // i + 15 <= last.
    while (i + 15 <= last) {
        unsigned bits = candidates(p + i, m - 1, f, l);
        while (bits != 0) {
            const unsigned k = static_cast<unsigned>(__builtin_ctz(bits));
            if (matchesAt(p + i + k, pattern)) {
                return i + k;
            }
            bits &= bits - 1;
        }
        i += 16;
    }
#endif
    for (; i <= last; ++i) {
        if (matchesAt(p + i, pattern)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> findBackward(std::span<const std::uint8_t> buffer,
                                        const SearchPattern& pattern, std::size_t from) {
    const std::size_t m = pattern.Bytes.size();
    if (m == 0 || m > buffer.size()) {
        return std::nullopt;
    }
    const std::size_t last = buffer.size() - m;
    std::size_t i = std::min(from, last); // highest offset still to test
    const std::uint8_t* p = buffer.data();
#if defined(__SSE2__)
    const ByteFilter f = filterFor(pattern.Bytes.front(), pattern.CaseSensitive);
    const ByteFilter l = filterFor(pattern.Bytes.back(), pattern.CaseSensitive);
    // Blocks test offsets i-15..i, the highest candidate first.
    while (i >= 15) {
        unsigned bits = candidates(p + i - 15, m - 1, f, l);
        while (bits != 0) {
            const unsigned k = 31u - static_cast<unsigned>(__builtin_clz(bits));
            if (matchesAt(p + i - 15 + k, pattern)) {
                return i - 15 + k;
            }
            bits &= ~(1u << k);
        }
        if (i == 15) {
            return std::nullopt;
        }
        i -= 16;
    }
#endif
    for (std::size_t j = i + 1; j-- > 0;) {
        if (matchesAt(p + j, pattern)) {
            return j;
        }
    }
    return std::nullopt;
}

std::string notFoundMessage(const std::string& typed, bool hex) {
    return hex ? "Value " + typed + "h not found." : "String '" + typed + "' not found.";
}

std::size_t findStartOffset(std::size_t cursor, std::size_t size, bool forward, bool entireScope) {
    if (forward) {
        if (entireScope) {
            return 0;
        }
        return cursor + 1 < size ? cursor + 1 : cursor;
    }
    if (entireScope) {
        // A backward search over the whole buffer starts at its last byte.
        return size == 0 ? 0 : size - 1;
    }
    return cursor > 0 ? cursor - 1 : 0;
}

ReplaceOutcome replaceInBuffer(std::span<std::uint8_t> buffer, const ReplaceRequest& request,
                               std::size_t cursor, bool& restart) {
    ReplaceOutcome out;
    if (request.Find.size() != request.ReplaceWith.size()) {
        out.Refused = true;
        out.Message = "Search and replace strings should have the same length.";
        return out;
    }
    if (request.Find.empty()) {
        return out;
    }
    SearchPattern pattern;
    pattern.Bytes.assign(request.Find.begin(), request.Find.end());
    pattern.CaseSensitive = request.CaseSensitive;

    std::size_t offset = cursor;
    if (!restart) {
        offset = findStartOffset(cursor, buffer.size(), request.Forward, false);
    }
    const std::size_t m = pattern.Bytes.size();
    while (true) {
        std::optional<std::size_t> hit;
        if (request.Forward) {
            hit = findForward(buffer, pattern, offset);
        } else {
            hit = findBackward(buffer, pattern, offset);
        }
        if (!hit) {
            break;
        }
        std::memcpy(buffer.data() + *hit, request.ReplaceWith.data(), m);
        ++out.Count;
        out.LastOffset = *hit + m - 1;
        restart = false;
        if (!request.ReplaceAll) {
            return out;
        }
        // The scan goes on past the replaced bytes, so a replacement that matches the search
        // text again is never replaced twice (a one-character pair would otherwise loop).
        if (request.Forward) {
            offset = out.LastOffset + 1;
        } else {
            if (*hit == 0) {
                break;
            }
            offset = *hit - 1;
        }
    }
    if (request.ReplaceAll && out.Count > 0) {
        out.Message = std::to_string(out.Count) + " replaces done.";
    } else {
        out.Message = "String '" + request.Find + "' not found.";
    }
    return out;
}

std::optional<std::uint64_t> goToAddress(std::uint64_t cells, int mode, bool offset,
                                         std::uint64_t cursor, std::uint64_t size) {
    std::uint64_t address = cells * cellBytes(mode);
    if (offset) {
        address += cursor;
    }
    if (address >= size) {
        return std::nullopt;
    }
    return address;
}

namespace {

// First index where a[i] != b[i] (want == false) or a[i] == b[i] (want == true), or n.
std::size_t firstIndex(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, bool equal) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        unsigned eq = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)));
        const unsigned bits = equal ? eq : (~eq & 0xFFFFu);
        if (bits != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(bits));
        }
    }
#endif
    for (; i < n; ++i) {
        if ((a[i] == b[i]) == equal) {
            return i;
        }
    }
    return n;
}

} // namespace

std::optional<std::uint64_t> DifferenceScanner::feed(std::span<const std::uint8_t> a,
                                                     std::span<const std::uint8_t> b,
                                                     std::uint64_t offset) {
    const std::size_t n = std::min(a.size(), b.size());
    std::size_t i = 0;
    if (skipping_) {
        i = firstIndex(a.data(), b.data(), n, true);
        if (i == n) {
            return std::nullopt; // still inside the run of differences
        }
        skipping_ = false;
    }
    // Fast path for long equal stretches.
    if (std::memcmp(a.data() + i, b.data() + i, n - i) == 0) {
        return std::nullopt;
    }
    const std::size_t d = i + firstIndex(a.data() + i, b.data() + i, n - i, false);
    if (d < n) {
        return offset + d;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> findNextDifference(const PieceReader& a, const PieceReader& b,
                                                std::uint64_t cursor, std::uint64_t size) {
    constexpr std::size_t kPiece = 65536;
    std::vector<std::uint8_t> bufA(kPiece);
    std::vector<std::uint8_t> bufB(kPiece);
    DifferenceScanner scanner;
    std::uint64_t offset = nextDifferenceStart(cursor);
    while (offset < size) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, size - offset));
        const std::size_t gotA = a(offset, std::span<std::uint8_t>(bufA.data(), want));
        const std::size_t gotB = b(offset, std::span<std::uint8_t>(bufB.data(), want));
        const std::size_t got = std::min({gotA, gotB, want});
        if (got == 0) {
            break;
        }
        if (auto hit = scanner.feed(std::span<const std::uint8_t>(bufA.data(), got),
                                    std::span<const std::uint8_t>(bufB.data(), got), offset)) {
            return hit;
        }
        if (got < want) {
            break;
        }
        offset += got;
    }
    return std::nullopt;
}

} // namespace zelmo::editor
