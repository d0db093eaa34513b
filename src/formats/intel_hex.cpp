#include "formats/intel_hex.h"

#include "formats/hex_digits.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelmo::formats {

ParseStep IntelHexReader::record(std::string_view /*line*/, const DigitPairs& run,
                                 const std::uint8_t* bytes) {
    const std::size_t nb = run.count;
    if (nb < 5) {
        return fail(kIncorrect); // too short or not starting with ':'
    }
    const unsigned count = bytes[0];
    const unsigned type = bytes[3];
    if (type == 0x01) {
        return done(" bytes loaded from file.");
    }
    // A line whose digits end before its byte count is satisfied (short, or with another
    // character inside a field) is refused before its checksum is looked at.
    if (nb < count + 5) {
        return fail(kIncorrect);
    }
    const unsigned stored = bytes[nb - 1];
    const unsigned computed = (0x100u - ((run.sum - stored) & 0xFFu)) & 0xFFu;
    if (type == 0x00 && stored != 0 && stored != computed) {
        return fail("Incorrect Hex file. Checksum error.");
    }
    if (type == 0x02 || type == 0x04) {
        if (nb < 6) {
            return fail(kIncorrect);
        }
        const std::int64_t value = (bytes[4] << 8) | bytes[5];
        base_ = type == 0x02 ? value * 16 : value * 65536;
        return ParseStep::More;
    }
    if (type == 0x00) {
        const std::int64_t address = (bytes[1] << 8) | bytes[2];
        store(base_ + address - fileOffset(), bytes + 4, count);
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

RecordSaveResult IntelHexWriter::finish() {
    if (lines_ == 0) {
        line(nullptr, 0); // an empty memory still makes one (empty) line
    }
    if (any_) {
        out_.append(":00000001FF");
    }
    return savedResult(out_.drain(), written_);
}

RecordLoadResult readIntelHex(std::span<const char> text, TargetSpans targets,
                              const RecordLoadSettings& settings) {
    IntelHexReader reader(targets, settings);
    return parseAll(reader, text);
}

RecordSaveResult writeIntelHex(std::span<const std::uint8_t> memory, bool optimize,
                               TextOutput& out) {
    IntelHexWriter writer(memory.size(), optimize, out);
    writer.feed(memory);
    return writer.finish();
}

template class LineRecordReader<IntelHexReader, kIntelHexMaxLine>;

} // namespace zelmo::formats
