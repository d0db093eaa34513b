#include "formats/srecord.h"

#include "formats/hex_digits.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zelmo::formats {

namespace {
constexpr std::int64_t kOffsetLimit = std::int64_t{1} << 40;
}

SRecordReader::SRecordReader(TargetSpans targets, const RecordLoadSettings& settings,
                             Progress* progress, std::uint64_t totalSize)
    : targets_(targets), settings_(settings), progress_(progress, totalSize) {
    for (const auto& t : targets) {
        settings_.memSize = std::min<std::uint64_t>(settings_.memSize, t.size());
    }
    settings_.bufferOffset = std::clamp(settings.bufferOffset, -kOffsetLimit, kOffsetLimit);
}

ParseStep SRecordReader::fail(const char* text) {
    message_ = QString::fromLatin1(text);
    return ParseStep::Failed;
}

ParseStep SRecordReader::done() {
    const int n = static_cast<int>(total_);
    message_ = truncated_ ? QString::asprintf("%d bytes loaded. Redundant bytes truncated.", n)
                          : QString::asprintf("%d bytes loaded.", n);
    return ParseStep::Done;
}

ParseStep SRecordReader::parse(std::span<const char> text, bool last, std::size_t& consumed) {
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
                return last ? done() : more(p); // a file may end without an end record
            }
            skipBreaks_ = false;
        }
        if (p == end) {
            return last ? done() : more(p); // an empty file is an empty load
        }
        const char* const line = p;
        progress_.update(consumedBefore_ + static_cast<std::uint64_t>(line - begin));

        const bool isS = line < end && (*line == 'S' || *line == 's');
        unsigned type = kNotHex;
        if (isS && end - line >= 2) {
            type = hexValue(line[1]);
        }
        DigitPairs run{line, 0, 0};
        if (type >= 1 && type <= 3) {
            run = decodeDigitPairs(line + 2, end, bytes);
        }
        const std::size_t nb = run.count;
        unsigned sum = run.sum;
        const char* e = findLineEnd(run.next, end);
        if (static_cast<std::size_t>(e - line) > kMaxLine) {
            return fail("Incorrect S-Record file.");
        }
        if (e == end && !last) {
            return more(line);
        }
        p = e;
        skipBreaks_ = true;

        if (!isS || type == kNotHex) {
            return fail("Incorrect S-Record file.");
        }
        if (type >= 7 && type <= 9) {
            consumed = static_cast<std::size_t>(p - begin);
            consumedBefore_ += consumed;
            return done();
        }
        if (type < 1 || type > 3) {
            continue; // header and count records are not checked
        }
        const std::size_t addressBytes = type + 1;
        const std::size_t count = nb > 0 ? bytes[0] : 0;
        if (nb == 0 || nb < count + 1 || nb < addressBytes + 1) {
            return fail("Incorrect S-Record file."); // shorter than its fields require
        }
        for (std::size_t j = count; j < nb; ++j) {
            sum -= bytes[j]; // sum of the count byte, address and data
        }
        const unsigned checksum = bytes[count];
        std::int64_t address = 0;
        for (std::size_t j = 1; j <= addressBytes; ++j) {
            address = (address << 8) | bytes[j];
        }
        const auto n =
            static_cast<std::int64_t>(count > addressBytes + 1 ? count - addressBytes - 1 : 0);
        const std::int64_t rel =
            address - static_cast<std::int64_t>(static_cast<std::uint32_t>(settings_.fileOffset));
        total_ += static_cast<std::uint64_t>(n);

        // Bytes before `ahead` lie before the file offset and are dropped silently; from `beyond`
        // on they lie past the end of the memory.
        const std::int64_t first = rel + settings_.bufferOffset;
        const std::int64_t ahead =
            std::min<std::int64_t>(std::max<std::int64_t>({0, -rel, -first}), n);
        const std::int64_t beyond =
            std::clamp<std::int64_t>(static_cast<std::int64_t>(settings_.memSize) - first, 0, n);
        if (std::max(std::min<std::int64_t>(std::max<std::int64_t>(0, -rel), n), beyond) < n) {
            truncated_ = true;
        }
        if (ahead < beyond) {
            const std::uint8_t* data = bytes.data() + 1 + addressBytes;
            for (const auto& t : targets_) {
                std::memcpy(t.data() + first + ahead, data + ahead,
                            static_cast<std::size_t>(beyond - ahead));
            }
        }
        // The checksum is tested after storing: a failing record's bytes are already stored.
        if (((checksum + sum + 1) & 0xFF) != 0) {
            return fail("Incorrect S-Record file. Checksum error.");
        }
    }
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

void SRecordWriter::finish() {
    if (lines_ == 0) {
        line(nullptr, 0);
    }
    out_.append("S70500000000FA");
    out_.drain();
}

QString readSRecord(std::span<const char> text, TargetSpans targets,
                    const RecordLoadSettings& settings, bool* ok) {
    SRecordReader reader(targets, settings);
    const bool done = parseAll(reader, text);
    if (ok != nullptr) {
        *ok = done;
    }
    return reader.message();
}

std::uint64_t writeSRecord(std::span<const std::uint8_t> memory, bool optimize, TextOutput& out) {
    SRecordWriter writer(memory.size(), optimize, out);
    writer.feed(memory);
    writer.finish();
    return writer.written();
}

} // namespace zelmo::formats
