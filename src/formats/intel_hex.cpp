#include "formats/intel_hex.h"

#include "formats/hex_digits.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelmo::formats {

namespace {
// Offsets beyond this cannot address a memory below 2 GiB; clamping keeps the arithmetic exact.
constexpr std::int64_t kOffsetLimit = std::int64_t{1} << 40;

std::uint64_t smallestMemory(TargetSpans targets, std::uint64_t memSize) {
    for (const auto& t : targets) {
        memSize = std::min<std::uint64_t>(memSize, t.size());
    }
    return memSize;
}
} // namespace

IntelHexReader::IntelHexReader(TargetSpans targets, const RecordLoadSettings& settings,
                               Progress* progress, std::uint64_t totalSize)
    : targets_(targets), settings_(settings), progress_(progress, totalSize) {
    settings_.memSize = smallestMemory(targets, settings.memSize);
    settings_.bufferOffset = std::clamp(settings.bufferOffset, -kOffsetLimit, kOffsetLimit);
}

ParseStep IntelHexReader::fail(const char* text) {
    message_ = QString::fromLatin1(text);
    return ParseStep::Failed;
}

ParseStep IntelHexReader::parse(std::span<const char> text, bool last, std::size_t& consumed) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    std::array<std::uint8_t, kMaxLine / 2 + 1> bytes;
    auto more = [&](const char* at) {
        consumed = static_cast<std::size_t>(at - begin);
        consumedBefore_ += consumed;
        return ParseStep::More;
    };
    for (;;) {
        if (skipBreaks_) {
            while (p < end && isLineBreak(*p)) {
                ++p;
            }
            if (p == end) {
                // An empty line at the end of the data: the file has no end record.
                return last ? fail("Incorrect Hex file.") : more(p);
            }
            skipBreaks_ = false;
        }
        const char* const line = p;
        progress_.update(consumedBefore_ + static_cast<std::uint64_t>(line - begin));

        // The run of digit pairs after the colon; anything after it on the line is ignored.
        DigitPairs run{line, 0, 0};
        if (line < end && *line == ':') {
            run = decodeDigitPairs(line + 1, end, bytes);
        }
        const std::size_t nb = run.count;
        const unsigned sum = run.sum;
        const char* e = findLineEnd(run.next, end);
        if (static_cast<std::size_t>(e - line) > kMaxLine) {
            return fail("Incorrect Hex file.");
        }
        if (e == end && !last) {
            return more(line); // the line may continue in the next text
        }
        p = e;
        skipBreaks_ = true;

        if (nb < 5) {
            return fail("Incorrect Hex file."); // too short or not starting with ':'
        }
        const unsigned count = bytes[0];
        const unsigned type = bytes[3];
        if (type == 0x01) {
            consumed = static_cast<std::size_t>(p - begin);
            consumedBefore_ += consumed;
            const auto n = static_cast<unsigned long long>(stored_);
            message_ = truncated_
                           ? QString::asprintf(
                                 "%llu bytes loaded from file. Redundant bytes truncated.", n)
                           : QString::asprintf("%llu bytes loaded from file.", n);
            return ParseStep::Done;
        }
        // A line whose digits end before its byte count is satisfied (short, or with another
        // character inside a field) is refused before its checksum is looked at.
        if (nb < count + 5) {
            return fail("Incorrect Hex file.");
        }
        const unsigned stored = bytes[nb - 1];
        const unsigned computed = (0x100u - ((sum - stored) & 0xFFu)) & 0xFFu;
        if (type == 0x00 && stored != 0 && stored != computed) {
            return fail("Incorrect Hex file. Checksum error.");
        }
        if (type == 0x02 || type == 0x04) {
            if (nb < 6) {
                return fail("Incorrect Hex file.");
            }
            const std::int64_t value = (bytes[4] << 8) | bytes[5];
            base_ = type == 0x02 ? value * 16 : value * 65536;
            continue;
        }
        if (type != 0x00) {
            continue;
        }
        const ParseStep step = record(bytes.data(), count);
        if (step != ParseStep::More) {
            return step;
        }
    }
}

ParseStep IntelHexReader::record(const std::uint8_t* bytes, std::size_t count) {
    const std::int64_t address = (bytes[1] << 8) | bytes[2];
    const std::int64_t rel =
        address - static_cast<std::int64_t>(static_cast<std::uint32_t>(settings_.fileOffset));
    const std::int64_t first = base_ + rel + settings_.bufferOffset; // position of data byte 0
    const auto n = static_cast<std::int64_t>(count);
    const auto mem = static_cast<std::int64_t>(settings_.memSize);
    // Data bytes [lo, hi) land inside the memory; those below lo lie before the file offset and
    // are dropped silently, those from hi on lie beyond the memory.
    const std::int64_t hi = std::clamp<std::int64_t>(mem - first, 0, n);
    const std::int64_t lo = std::min<std::int64_t>(first < 0 ? -first : 0, n);
    if (hi < n) {
        truncated_ = true;
    }
    if (hi > 0) {
        loaded_ = static_cast<std::uint32_t>(base_ + rel + hi);
    }
    if (lo < hi) {
        for (const auto& t : targets_) {
            std::memcpy(t.data() + first + lo, bytes + 4 + lo, static_cast<std::size_t>(hi - lo));
        }
        stored_ += static_cast<std::uint64_t>(hi - lo);
    }
    return ParseStep::More;
}

IntelHexWriter::IntelHexWriter(std::uint64_t memSize, bool optimize, TextOutput& out)
    : memSize_(memSize), optimize_(optimize), out_(out) {}

void IntelHexWriter::feed(std::span<const std::uint8_t> bytes) {
    std::size_t i = 0;
    while (i < bytes.size() && address_ < memSize_) {
        const std::size_t k = static_cast<std::size_t>(
            std::min<std::uint64_t>({memSize_ - address_, 16, bytes.size() - i}));
        line(bytes.data() + i, k);
        i += k;
    }
}

void IntelHexWriter::line(const std::uint8_t* bytes, std::size_t k) {
    static constexpr std::array<std::uint8_t, 16> kBlank = [] {
        std::array<std::uint8_t, 16> a{};
        a.fill(0xFF);
        return a;
    }();
    ++lines_;
    if ((address_ & 0xFFFF) < 16 && address_ != 0) {
        segment_ += 1; // a 64 KiB boundary has just been passed
        segmentDue_ = true;
    }
    if (optimize_ && (k == 0 || std::memcmp(bytes, kBlank.data(), k) == 0)) {
        address_ += k;
        return;
    }
    if (segmentDue_) {
        char* o = out_.reserve(17);
        std::memcpy(o, ":02000004", 9);
        const unsigned hi = (segment_ >> 8) & 0xFF;
        const unsigned lo = segment_ & 0xFF;
        const unsigned sum = 0x02 + 0x04 + hi + lo;
        std::memcpy(o + 9, kHexPair[hi].data(), 2);
        std::memcpy(o + 11, kHexPair[lo].data(), 2);
        std::memcpy(o + 13, kHexPair[(0x100 - (sum & 0xFF)) & 0xFF].data(), 2);
        o[15] = '\r';
        o[16] = '\n';
        out_.commit(17);
        segmentDue_ = false;
    }
    char* o = out_.reserve(13 + 2 * k);
    const unsigned ahi = (address_ >> 8) & 0xFF;
    const unsigned alo = address_ & 0xFF;
    unsigned sum = static_cast<unsigned>(k) + ahi + alo;
    o[0] = ':';
    std::memcpy(o + 1, kHexPair[k].data(), 2);
    std::memcpy(o + 3, kHexPair[ahi].data(), 2);
    std::memcpy(o + 5, kHexPair[alo].data(), 2);
    o[7] = '0';
    o[8] = '0';
    char* d = o + 9;
    for (std::size_t j = 0; j < k; ++j) {
        std::memcpy(d, kHexPair[bytes[j]].data(), 2);
        sum += bytes[j];
        d += 2;
    }
    std::memcpy(d, kHexPair[(0x100 - (sum & 0xFF)) & 0xFF].data(), 2);
    d[2] = '\r';
    d[3] = '\n';
    out_.commit(13 + 2 * k);
    written_ += k;
    any_ = true;
    address_ += 16;
}

void IntelHexWriter::finish() {
    if (lines_ == 0) {
        line(nullptr, 0); // an empty memory still makes one (empty) line
    }
    if (any_) {
        out_.append(":00000001FF");
    }
    out_.drain();
}

QString readIntelHex(std::span<const char> text, TargetSpans targets,
                     const RecordLoadSettings& settings, bool* ok, std::uint32_t* loaded) {
    IntelHexReader reader(targets, settings);
    const bool done = parseAll(reader, text);
    if (ok != nullptr) {
        *ok = done;
    }
    if (loaded != nullptr) {
        *loaded = reader.loaded();
    }
    return reader.message();
}

std::uint64_t writeIntelHex(std::span<const std::uint8_t> memory, bool optimize, TextOutput& out) {
    IntelHexWriter writer(memory.size(), optimize, out);
    writer.feed(memory);
    writer.finish();
    return writer.written();
}

} // namespace zelmo::formats
