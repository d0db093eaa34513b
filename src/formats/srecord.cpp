#include "formats/srecord.h"

#include "formats/hex_digits.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelmo::formats {

ParseStep SRecordReader::record(std::string_view line, const DigitPairs& run,
                                const std::uint8_t* bytes) {
    const unsigned type = recordType(line.data(), line.data() + line.size());
    if (type == kNotHex) {
        return fail(kIncorrect);
    }
    if (type >= 7 && type <= 9) {
        return done(" bytes loaded.");
    }
    if (type < 1 || type > 3) {
        return ParseStep::More; // header and count records are not checked
    }
    const std::size_t nb = run.count;
    const std::size_t addressBytes = type + 1;
    const std::size_t count = nb > 0 ? bytes[0] : 0;
    if (nb == 0 || nb < count + 1 || nb < addressBytes + 1) {
        return fail(kIncorrect); // shorter than its fields require
    }
    unsigned sum = run.sum;
    for (std::size_t j = count; j < nb; ++j) {
        sum -= bytes[j]; // sum of the count byte, address and data
    }
    const unsigned checksum = bytes[count];
    std::int64_t address = 0;
    for (std::size_t j = 1; j <= addressBytes; ++j) {
        address = (address << 8) | bytes[j];
    }
    const std::size_t n = count > addressBytes + 1 ? count - addressBytes - 1 : 0;
    store(address - fileOffset(), bytes + 1 + addressBytes, n);
    // The checksum is tested after storing: a failing record's bytes are already stored.
    if (((checksum + sum + 1) & 0xFF) != 0) {
        return fail("Incorrect S-Record file. Checksum error.");
    }
    return ParseStep::More;
}

SRecordWriter::SRecordWriter(std::uint64_t memSize, bool optimize, TextOutput& out)
    : memSize_(memSize), optimize_(optimize), out_(out) {
    type_ = memSize <= 256 ? 1 : memSize <= 4096 ? 2 : 3;
    addressBytes_ = type_ + 1;
}

void SRecordWriter::feed(std::span<const std::uint8_t> bytes) {
    std::size_t i = 0;
    while (i < bytes.size() && address_ < memSize_) {
        const std::size_t k = static_cast<std::size_t>(
            std::min<std::uint64_t>({memSize_ - address_, 16, bytes.size() - i}));
        line(bytes.data() + i, k);
        i += k;
    }
}

void SRecordWriter::line(const std::uint8_t* bytes, std::size_t k) {
    static constexpr std::array<std::uint8_t, 16> kBlank = [] {
        std::array<std::uint8_t, 16> a{};
        a.fill(0xFF);
        return a;
    }();
    ++lines_;
    const std::uint64_t address = address_;
    address_ += 16;
    if (optimize_ && (k == 0 || std::memcmp(bytes, kBlank.data(), k) == 0)) {
        return;
    }
    const std::size_t length = 4 + 2 * addressBytes_ + 2 * k + 4;
    char* o = out_.reserve(length);
    const unsigned count = static_cast<unsigned>(addressBytes_ + k + 1);
    unsigned sum = count;
    o[0] = 'S';
    o[1] = static_cast<char>('0' + type_);
    std::memcpy(o + 2, kHexPair[count].data(), 2);
    char* d = o + 4;
    for (unsigned j = addressBytes_; j-- > 0;) {
        const unsigned b = (address >> (8 * j)) & 0xFF;
        std::memcpy(d, kHexPair[b].data(), 2);
        sum += b;
        d += 2;
    }
    for (std::size_t j = 0; j < k; ++j) {
        std::memcpy(d, kHexPair[bytes[j]].data(), 2);
        sum += bytes[j];
        d += 2;
    }
    std::memcpy(d, kHexPair[~sum & 0xFF].data(), 2);
    d[2] = '\r';
    d[3] = '\n';
    out_.commit(length);
    written_ += k;
}

RecordSaveResult SRecordWriter::finish() {
    if (lines_ == 0) {
        line(nullptr, 0);
    }
    out_.append("S70500000000FA");
    return savedResult(out_.drain(), written_);
}

RecordLoadResult readSRecord(std::span<const char> text, TargetSpans targets,
                             const RecordLoadSettings& settings) {
    SRecordReader reader(targets, settings);
    return parseAll(reader, text);
}

RecordSaveResult writeSRecord(std::span<const std::uint8_t> memory, bool optimize,
                              TextOutput& out) {
    SRecordWriter writer(memory.size(), optimize, out);
    writer.feed(memory);
    return writer.finish();
}

template class LineRecordReader<SRecordReader, kSRecordMaxLine>;

} // namespace zelmo::formats
