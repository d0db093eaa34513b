#include "formats/jedec.h"

#include "formats/hex_digits.h"
#include "platform/piece_loop.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace zelmo::formats {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}
// The characters a vector stores, one per pin.
bool isPinCharacter(char c) {
    return isDigit(c) || isUpper(c);
}

// Decimal numbers saturate far beyond any memory and any count, before a digit could carry them
// past 64 bits; a position derived from one never wraps round to a small value.
constexpr std::uint64_t kNumberLimit = std::uint64_t{1} << 62;

struct Number {
    std::uint64_t value = 0;
    void add(char digit) {
        const auto d = static_cast<std::uint64_t>(digit - '0');
        value = value >= kNumberLimit / 10 ? kNumberLimit : std::min(kNumberLimit, value * 10 + d);
    }
    bool saturated() const { return value >= kNumberLimit; }
};

// The field grammar, fed one character at a time so that the text may arrive in pieces. The
// counting pass takes the counts and defaults; the storing pass writes fuses and vectors into
// every target. A character that ends a field part is looked at again as the start of the next.
class FieldScanner {
public:
    enum class Pass { Counts, Store };

    FieldScanner(Pass pass, std::span<const JedecTarget> targets, std::uint64_t vectorSize)
        : pass_(pass), targets_(targets), vectorSize_(vectorSize) {}

    void feed(char c);
    // The fields ended (ETX or the end of the data): a number being read is taken as it stands.
    void finish() {
        if (state_ == State::Number) {
            numberDone();
        }
    }

    unsigned fuseDefault = 0;
    unsigned testCondition = 0;
    Number fuseCount, pinCount, vectorCount;

private:
    enum class State {
        Top,
        CheckHex,      // C: hexadecimal digits (counting pass)
        FuseDefault,   // F: digits, the last one counts
        TestCondition, // X: digits, the last one counts
        QLetter,       // Q: F, P or V names the count that follows
        Number,
        SkipField, // to the next '*'
        KSkip,     // K: to the first letter or digit
        KDigits,   // K: four fuses per hexadecimal digit
        LSkip,     // L: to the first digit
        LDigits,   // L: one fuse per digit
        VSkip,     // V: to the first character from '0' to 'Z' other than '@'
        VChars,    // V: one pin character per position
    };
    enum class Of { FuseCount, PinCount, VectorCount, FirstKFuse, FirstLFuse, VectorNumber };

    void number(Of of) {
        of_ = of;
        number_ = {};
        state_ = State::Number;
    }
    void numberDone();
    void storeFuse(std::uint8_t value) {
        for (const auto& t : targets_) {
            if (fuse_ < t.fuses.size()) {
                t.fuses[fuse_] = value;
            }
        }
        ++fuse_;
    }

    Pass pass_;
    std::span<const JedecTarget> targets_;
    std::uint64_t vectorSize_;
    State state_ = State::Top;
    Of of_ = Of::FuseCount;
    Number number_;
    std::uint64_t fuse_ = 0;      // the next fuse a K or L field sets
    std::uint64_t slotStart_ = 0; // first position of the vector being read in memory B
    bool slotInside_ = false;     // that slot lies inside memory B
    std::size_t column_ = 0;      // position inside the slot
};

void FieldScanner::numberDone() {
    state_ = State::Top;
    switch (of_) {
    case Of::FuseCount:
        fuseCount = number_;
        break;
    case Of::PinCount:
        pinCount = number_;
        break;
    case Of::VectorCount:
        vectorCount = number_;
        break;
    case Of::FirstKFuse:
        fuse_ = number_.value;
        state_ = State::KSkip;
        break;
    case Of::FirstLFuse:
        fuse_ = number_.value;
        state_ = State::LSkip;
        break;
    case Of::VectorNumber: {
        // Vector n fills slot n - 1; vector 0 and a slot past memory B store nothing.
        const std::uint64_t slotCount = (vectorSize_ + kVectorSlot - 1) / kVectorSlot;
        slotInside_ = number_.value >= 1 && number_.value - 1 < slotCount;
        slotStart_ = slotInside_ ? (number_.value - 1) * kVectorSlot : 0;
        state_ = State::VSkip;
        break;
    }
    }
}

void FieldScanner::feed(char c) {
    for (;;) {
        switch (state_) {
        case State::Top:
            if (pass_ == Pass::Counts) {
                switch (c) {
                case 'C':
                    state_ = State::CheckHex;
                    break;
                case 'F':
                    state_ = State::FuseDefault;
                    break;
                case 'X':
                    state_ = State::TestCondition;
                    break;
                case 'Q':
                    state_ = State::QLetter;
                    break;
                case 'K':
                case 'L':
                case 'N':
                case 'V':
                    state_ = State::SkipField;
                    break;
                default:
                    break;
                }
            } else {
                switch (c) {
                case 'C':
                case 'F':
                case 'N':
                case 'Q':
                case 'X':
                    state_ = State::SkipField;
                    break;
                case 'K':
                    number(Of::FirstKFuse);
                    break;
                case 'L':
                    number(Of::FirstLFuse);
                    break;
                case 'V':
                    number(Of::VectorNumber);
                    break;
                default:
                    break;
                }
            }
            return;
        case State::CheckHex:
            if (hexValue(c) != kNotHex) {
                return;
            }
            state_ = State::Top;
            continue;
        case State::FuseDefault:
        case State::TestCondition:
            if (isDigit(c)) {
                (state_ == State::FuseDefault ? fuseDefault : testCondition) =
                    static_cast<unsigned>(c - '0');
                return;
            }
            state_ = State::Top;
            continue;
        case State::QLetter:
            if (c == 'F' || c == 'P' || c == 'V') {
                number(c == 'F' ? Of::FuseCount : c == 'P' ? Of::PinCount : Of::VectorCount);
                return;
            }
            state_ = State::Top;
            continue;
        case State::Number:
            if (isDigit(c)) {
                number_.add(c);
                return;
            }
            numberDone();
            continue;
        case State::SkipField:
            if (c == '*') {
                state_ = State::Top;
            }
            return;
        case State::KSkip:
        case State::LSkip:
        case State::VSkip: {
            if (c == '*') {
                state_ = State::Top;
                return;
            }
            const bool first = state_ == State::KSkip   ? isDigit(c) || isUpper(c) || isLower(c)
                               : state_ == State::LSkip ? isDigit(c)
                                                        : c >= '0' && c <= 'Z' && c != '@';
            if (!first) {
                return;
            }
            state_ = state_ == State::KSkip   ? State::KDigits
                     : state_ == State::LSkip ? State::LDigits
                                              : State::VChars;
            column_ = 0;
            continue;
        }
        case State::KDigits:
            if (c == '*') {
                state_ = State::Top;
            } else if (const unsigned v = hexValue(c); v != kNotHex) {
                for (unsigned bit = 8; bit != 0; bit >>= 1) {
                    storeFuse((v & bit) != 0 ? 1 : 0);
                }
            }
            return;
        case State::LDigits:
            if (c == '*') {
                state_ = State::Top;
            } else if (isDigit(c)) {
                storeFuse(c != '0' ? 1 : 0);
            }
            return;
        case State::VChars:
            if (!isPinCharacter(c)) {
                state_ = State::Top;
                continue;
            }
            // A slot never overflows into the next one, whatever the pin count.
            if (slotInside_ && column_ < kVectorSlot && slotStart_ + column_ < vectorSize_) {
                for (const auto& t : targets_) {
                    t.vectors[slotStart_ + column_] = static_cast<std::uint8_t>(c);
                }
            }
            ++column_;
            return;
        }
    }
}

constexpr std::size_t kReadPiece = std::size_t{1} << 20;

// The text of a source read piece by piece.
class SourceText {
public:
    SourceText(const JedecSource& source, Progress* progress)
        : source_(source), progress_(progress),
          buffer_(static_cast<std::size_t>(std::min<std::uint64_t>(kReadPiece, source.size))) {}

    // Hands every character from `from` on to `each(position, c)` until it returns false or the
    // text ends; false when a read failed. Progress runs from `percent` to `percent` + 50.
    template <typename Each> bool scan(std::uint64_t from, int percent, Each each) {
        bool readFailed = false;
        const std::uint64_t total = source_.size - std::min(from, source_.size);
        platform::forEachPiece(
            total, kReadPiece,
            [&](std::uint64_t offset, std::size_t length) {
                const std::span<char> piece(buffer_.data(), length);
                if (!source_.read(from + offset, piece)) {
                    readFailed = true;
                    return false;
                }
                for (std::size_t i = 0; i < length; ++i) {
                    if (!each(from + offset + i, piece[i])) {
                        return false;
                    }
                }
                return true;
            },
            platform::NeverCancelled{},
            [&](std::uint64_t done, std::uint64_t all) {
                if (progress_ != nullptr) {
                    progress_->setPercent(percent + static_cast<int>(done * 50 / all));
                }
            });
        return !readFailed;
    }

    // Position of the first `c` from `from` on, the size when there is none, -1 on a read error.
    std::int64_t find(std::uint64_t from, char c) {
        std::uint64_t at = source_.size;
        if (!scan(from, 0, [&](std::uint64_t position, char ch) {
                if (ch == c) {
                    at = position;
                    return false;
                }
                return true;
            })) {
            return -1;
        }
        return static_cast<std::int64_t>(at);
    }

    std::uint64_t size() const { return source_.size; }

private:
    const JedecSource& source_;
    Progress* progress_;
    std::vector<char> buffer_;
};

} // namespace

JedecLoadResult readJedec(const JedecSource& source, std::span<const JedecTarget> targets,
                          std::uint8_t pins, Progress* progress) {
    JedecLoadResult result;
    auto fail = [&](const char* message) {
        result.message = QString::fromLatin1(message);
        return result;
    };
    constexpr const char* kAccessError = "Couldn't open file, file access error.";
    std::uint64_t fuseSize = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t vectorSize = fuseSize;
    for (const auto& t : targets) {
        fuseSize = std::min<std::uint64_t>(fuseSize, t.fuses.size());
        vectorSize = std::min<std::uint64_t>(vectorSize, t.vectors.size());
    }
    if (targets.empty()) {
        fuseSize = vectorSize = 0;
    }

    SourceText text(source, progress);
    const std::int64_t stx = text.find(0, kStx);
    if (stx < 0) {
        return fail(kAccessError);
    }
    if (static_cast<std::uint64_t>(stx) == text.size()) {
        return fail("Incorrect Jedec file, missing <STX>.");
    }
    // The design text between STX and the first '*' is a comment, whatever letters and digits
    // it holds (device names such as 16V8 do); both passes start after it.
    const std::int64_t star = text.find(static_cast<std::uint64_t>(stx), '*');
    if (star < 0) {
        return fail(kAccessError);
    }
    if (static_cast<std::uint64_t>(star) == text.size()) {
        return fail("Incorrect Jedec file, could not find '*'.");
    }
    auto pass = [&](FieldScanner& fields, int percent) {
        const bool read =
            text.scan(static_cast<std::uint64_t>(star), percent, [&](std::uint64_t, char c) {
                if (c == kEtx) {
                    return false;
                }
                fields.feed(c);
                return true;
            });
        fields.finish();
        return read;
    };

    FieldScanner counts(FieldScanner::Pass::Counts, targets, vectorSize);
    if (!pass(counts, 0)) {
        return fail(kAccessError);
    }
    if (counts.fuseCount.saturated() || counts.fuseCount.value > fuseSize) {
        return fail("Incorrect Jedec file, wrong number of fuses.");
    }
    if (counts.pinCount.saturated() || (counts.pinCount.value & 0xFF) != pins) {
        return fail("Incorrect Jedec file, wrong number of pins.");
    }

    for (const auto& t : targets) {
        std::fill(t.fuses.begin(), t.fuses.end(), counts.fuseDefault != 0 ? 1 : 0);
        std::fill(t.vectors.begin(), t.vectors.end(), 0xFF);
    }
    FieldScanner store(FieldScanner::Pass::Store, targets, vectorSize);
    if (!pass(store, 50)) {
        return fail(kAccessError);
    }

    result.ok = true;
    result.defaultTestState = counts.testCondition != 0 ? 1 : 0;
    const auto fuses = static_cast<unsigned long long>(counts.fuseCount.value);
    const auto vectors = static_cast<unsigned long long>(counts.vectorCount.value);
    result.message =
        vectors != 0 ? QString::asprintf("%llu fuses, %llu test vectors loaded.", fuses, vectors)
                     : QString::asprintf("%llu fuses loaded, no test vectors found", fuses);
    return result;
}

JedecLoadResult readJedec(std::span<const char> text, std::span<const JedecTarget> targets,
                          std::uint8_t pins) {
    const JedecSource source{text.size(), [text](std::uint64_t position, std::span<char> into) {
                                 std::memcpy(into.data(), text.data() + position, into.size());
                                 return true;
                             }};
    return readJedec(source, targets, pins);
}

namespace {
// Header text goes into the comment before the first '*': a character that would end the
// comment or the file is written as '?'.
std::string commentText(const std::string& text) {
    std::string out = text;
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '*' || c == kStx || c == kEtx; }, '?');
    return out;
}
} // namespace

JedecSaveResult writeJedec(std::span<const std::uint8_t> fuses,
                           std::span<const std::uint8_t> vectors, const JedecHeader& header,
                           TextOutput& out) {
    JedecSaveResult result;
    if (header.pins == 0) {
        result.message = QStringLiteral("Couldn't save file. Incorrect device.");
        return result;
    }
    const std::size_t slotCount = vectors.size() / kVectorSlot;
    std::size_t count = 0;
    while (count < slotCount && vectors[count * kVectorSlot] != 0xFF) {
        ++count;
    }

    out.append(std::string_view(&kStx, 1));
    out.append("\nJedec file for " + commentText(header.name) + " / " +
               commentText(header.package) + "\n");
    out.append("Created " + commentText(header.created) + "\n");
    out.append(QString::asprintf("TERVANIK, Zelmo 2, software version %d.%02d.%02d.%02d\n\n*\n",
                                 header.buildDay[0], header.buildDay[1], header.buildDay[2],
                                 header.buildDay[3])
                   .toStdString());
    out.append(QString::asprintf("QP%d*\nQF%llu*\nQV%d*\nF0*\n", header.pins,
                                 static_cast<unsigned long long>(fuses.size()),
                                 static_cast<int>(count))
                   .toStdString());
    if (count != 0) {
        out.append("X0*\n");
    }

    // One line per 32 fuses; lines of zeros only are covered by F0 but still count in the
    // checksum, whose bytes take eight fuses each, the first one as the least significant bit.
    unsigned checksum = 0;
    char line[64];
    for (std::size_t f = 0; f < fuses.size(); f += 32) {
        const std::size_t n = std::min<std::size_t>(32, fuses.size() - f);
        const int head = std::snprintf(line, sizeof line, "L%04zu ", f);
        char* bits = line + head;
        bool any = false;
        unsigned byte = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const bool set = (fuses[f + i] & 1) != 0;
            bits[i] = set ? '1' : '0';
            if (set) {
                any = true;
                byte |= 1u << (i % 8);
            }
            if (i % 8 == 7 || i + 1 == n) {
                checksum += byte;
                byte = 0;
            }
        }
        if (any) {
            std::memcpy(bits + n, "*\n", 2);
            out.append(std::string_view(line, static_cast<std::size_t>(head) + n + 2));
        }
    }

    // A vector line carries the slot's pin characters, at most one per pin; a vector shorter
    // than the pin count ends where its characters end.
    const std::size_t width = std::min<std::size_t>(header.pins, kVectorSlot);
    for (std::size_t v = 1; v <= count; ++v) {
        const int head = std::snprintf(line, sizeof line, "V%04zu ", v);
        out.append(std::string_view(line, static_cast<std::size_t>(head)));
        const auto* slot = reinterpret_cast<const char*>(vectors.data() + (v - 1) * kVectorSlot);
        const std::size_t n =
            static_cast<std::size_t>(std::find_if_not(slot, slot + width, isPinCharacter) - slot);
        out.append(std::string_view(slot, n));
        out.append("*\n");
    }
    std::snprintf(line, sizeof line, "C%04X*\n", checksum & 0xFFFF);
    out.append(line);
    out.append(std::string_view(&kEtx, 1));
    out.append("0000");
    if (!out.drain()) {
        result.message = QStringLiteral("Couldn't save file.");
        return result;
    }

    result.ok = true;
    result.vectors = static_cast<int>(count);
    result.message = count != 0 ? QString::asprintf("Jedec file saved (%d test vectors).",
                                                    static_cast<int>(count))
                                : QStringLiteral("Jedec file saved.");
    return result;
}

} // namespace zelmo::formats
