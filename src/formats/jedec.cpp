#include "formats/jedec.h"

#include "formats/hex_digits.h"

#include <algorithm>
#include <limits>

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

// A decimal number as the file states it: `value` saturates (positions), `wrapped` keeps the low
// 32 bits (counts compared by their low bits).
struct Decimal {
    std::uint64_t value = 0;
    std::uint32_t wrapped = 0;
};

class Scanner {
public:
    Scanner(std::span<const char> text, std::size_t begin, std::size_t limit)
        : s_(text), i_(begin), limit_(limit) {}

    bool atEnd() const { return i_ >= limit_; }
    char peek() const { return s_[i_]; }
    void next() { ++i_; }

    Decimal decimal() {
        Decimal d;
        constexpr std::uint64_t kCap = std::uint64_t{1} << 62;
        while (!atEnd() && isDigit(peek())) {
            const unsigned v = static_cast<unsigned>(peek() - '0');
            d.value = d.value >= kCap ? kCap : d.value * 10 + v;
            d.wrapped = d.wrapped * 10u + v;
            next();
        }
        return d;
    }
    // Moves to the next '*' (which stays unread) or to the end.
    void skipField() {
        while (!atEnd() && peek() != '*') {
            next();
        }
    }
    // Moves to the first character that `wanted` accepts, never past the '*' ending the field.
    template <typename Pred> bool skipTo(Pred wanted) {
        while (!atEnd() && peek() != '*') {
            if (wanted(peek())) {
                return true;
            }
            next();
        }
        return false;
    }

private:
    std::span<const char> s_;
    std::size_t i_;
    std::size_t limit_;
};

std::size_t find(std::span<const char> text, std::size_t from, char c) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == c) {
            return i;
        }
    }
    return text.size();
}

void storeFuse(std::span<const JedecTarget> targets, std::uint64_t fuse, std::uint8_t value) {
    for (const auto& t : targets) {
        if (fuse < t.fuses.size()) {
            t.fuses[fuse] = value;
        }
    }
}

} // namespace

JedecLoadResult readJedec(std::span<const char> text, std::span<const JedecTarget> targets,
                          std::uint8_t pins) {
    JedecLoadResult result;
    auto fail = [&](const char* message) {
        result.message = QString::fromLatin1(message);
        return result;
    };
    std::uint64_t fuseSize = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t vectorSize = fuseSize;
    for (const auto& t : targets) {
        fuseSize = std::min<std::uint64_t>(fuseSize, t.fuses.size());
        vectorSize = std::min<std::uint64_t>(vectorSize, t.vectors.size());
    }
    if (targets.empty()) {
        fuseSize = vectorSize = 0;
    }

    const std::size_t stx = find(text, 0, kStx);
    if (stx == text.size()) {
        return fail("Incorrect Jedec file, missing <STX>.");
    }
    const std::size_t star = find(text, stx, '*');
    if (star == text.size()) {
        return fail("Incorrect Jedec file, could not find '*'.");
    }

    // First pass: the counts and defaults.
    unsigned fuseDefault = 0;
    unsigned testCondition = 0;
    Decimal fuseCount, pinCount, vectorCount;
    {
        Scanner sc(text, star, find(text, star, kEtx));
        while (!sc.atEnd()) {
            const char c = sc.peek();
            sc.next();
            switch (c) {
            case 'C':
                while (!sc.atEnd() && hexValue(sc.peek()) != kNotHex) {
                    sc.next();
                }
                break;
            case 'F':
                while (!sc.atEnd() && isDigit(sc.peek())) {
                    fuseDefault = static_cast<unsigned>(sc.peek() - '0');
                    sc.next();
                }
                break;
            case 'X':
                while (!sc.atEnd() && isDigit(sc.peek())) {
                    testCondition = static_cast<unsigned>(sc.peek() - '0');
                    sc.next();
                }
                break;
            case 'Q':
                if (!sc.atEnd()) {
                    const char q = sc.peek();
                    Decimal* target = q == 'F'   ? &fuseCount
                                      : q == 'P' ? &pinCount
                                      : q == 'V' ? &vectorCount
                                                 : nullptr;
                    if (target != nullptr) {
                        sc.next();
                        *target = sc.decimal();
                    }
                }
                break;
            case 'K':
            case 'L':
            case 'N':
            case 'V':
                sc.skipField();
                break;
            default:
                break;
            }
        }
    }
    if (fuseCount.value > fuseSize) {
        return fail("Incorrect Jedec file, wrong number of fuses.");
    }
    if ((pinCount.wrapped & 0xFF) != pins) {
        return fail("Incorrect Jedec file, wrong number of pins.");
    }

    for (const auto& t : targets) {
        std::fill(t.fuses.begin(), t.fuses.end(), fuseDefault != 0 ? 1 : 0);
        std::fill(t.vectors.begin(), t.vectors.end(), 0xFF);
    }

    // Second pass, from the start of the file: the fuse and vector fields.
    Scanner sc(text, 0, find(text, 0, kEtx));
    while (!sc.atEnd()) {
        const char c = sc.peek();
        sc.next();
        switch (c) {
        case 'C':
        case 'F':
        case 'N':
        case 'Q':
        case 'X':
            sc.skipField();
            break;
        case 'K': {
            std::uint64_t fuse = sc.decimal().value;
            sc.skipTo([](char ch) { return isDigit(ch) || isUpper(ch) || isLower(ch); });
            for (; !sc.atEnd() && sc.peek() != '*'; sc.next()) {
                const unsigned v = hexValue(sc.peek());
                if (v == kNotHex) {
                    continue;
                }
                for (unsigned bit = 8; bit != 0; bit >>= 1) {
                    storeFuse(targets, fuse++, (v & bit) != 0 ? 1 : 0);
                }
            }
            break;
        }
        case 'L': {
            std::uint64_t fuse = sc.decimal().value;
            sc.skipTo(isDigit);
            for (; !sc.atEnd() && sc.peek() != '*'; sc.next()) {
                if (isDigit(sc.peek())) {
                    storeFuse(targets, fuse++, sc.peek() != '0' ? 1 : 0);
                }
            }
            break;
        }
        case 'V': {
            const std::uint64_t n = sc.decimal().value;
            sc.skipTo([](char ch) { return ch >= '0' && ch <= 'Z' && ch != '@'; });
            // Vector n fills slot n - 1; vector 0 has no slot. A slot never overflows into the
            // next one, whatever the pin count.
            const std::uint64_t slot = n >= 1 ? (n - 1) * kVectorSlot : vectorSize;
            for (std::size_t i = 0; !sc.atEnd() && (isDigit(sc.peek()) || isUpper(sc.peek()));
                 ++i, sc.next()) {
                if (n >= 1 && i < kVectorSlot && slot + i < vectorSize) {
                    for (const auto& t : targets) {
                        t.vectors[slot + i] = static_cast<std::uint8_t>(sc.peek());
                    }
                }
            }
            break;
        }
        default:
            break;
        }
    }

    result.ok = true;
    result.defaultTestState = testCondition != 0 ? 1 : 0;
    const int fuses = static_cast<int>(fuseCount.wrapped);
    const int vectors = static_cast<int>(vectorCount.wrapped);
    result.message = vectors != 0
                         ? QString::asprintf("%d fuses, %d test vectors loaded.", fuses, vectors)
                         : QString::asprintf("%d fuses loaded, no test vectors found", fuses);
    return result;
}

JedecSaveResult writeJedec(std::span<const std::uint8_t> fuses,
                           std::span<const std::uint8_t> vectors, const JedecHeader& header,
                           std::string& out) {
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

    out.clear();
    out += kStx;
    out += "\nJedec file for " + header.name + " / " + header.package + "\n";
    out += "Created " + header.created + "\n";
    out += QString::asprintf("TERVANIK, Zelmo 2, software version %d.%02d.%02d.%02d\n\n*\n",
                             header.buildDay[0], header.buildDay[1], header.buildDay[2],
                             header.buildDay[3])
               .toStdString();
    out += QString::asprintf("QP%d*\nQF%d*\nQV%d*\nF0*\n", header.pins,
                             static_cast<int>(fuses.size()), static_cast<int>(count))
               .toStdString();
    if (count != 0) {
        out += "X0*\n";
    }

    // One line per 32 fuses; lines of zeros only are covered by F0 but still count in the
    // checksum, whose bytes take eight fuses each, the first one as the least significant bit.
    unsigned checksum = 0;
    char number[32];
    for (std::size_t f = 0; f < fuses.size(); f += 32) {
        const std::size_t n = std::min<std::size_t>(32, fuses.size() - f);
        std::string line(n, '0');
        bool any = false;
        unsigned byte = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const bool set = (fuses[f + i] & 1) != 0;
            if (set) {
                line[i] = '1';
                any = true;
                byte |= 1u << (i % 8);
            }
            if (i % 8 == 7 || i + 1 == n) {
                checksum += byte;
                byte = 0;
            }
        }
        if (any) {
            std::snprintf(number, sizeof number, "L%04zu ", f);
            out += number;
            out += line;
            out += "*\n";
        }
    }

    const std::size_t width = std::min<std::size_t>(header.pins, kVectorSlot);
    for (std::size_t v = 1; v <= count; ++v) {
        std::snprintf(number, sizeof number, "V%04zu ", v);
        out += number;
        const auto* slot = vectors.data() + (v - 1) * kVectorSlot;
        out.append(reinterpret_cast<const char*>(slot), width);
        out += "*\n";
    }
    std::snprintf(number, sizeof number, "C%04X*\n", checksum & 0xFFFF);
    out += number;
    out += kEtx;
    out += "0000";

    result.ok = true;
    result.vectors = static_cast<int>(count);
    result.message = count != 0 ? QString::asprintf("Jedec file saved (%d test vectors).",
                                                    static_cast<int>(count))
                                : QStringLiteral("Jedec file saved.");
    return result;
}

} // namespace zelmo::formats
