#include "serialization/serialization.h"

#include "persistence/settings_document.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace zelmo {

namespace {
const QString kRoot = QStringLiteral("Serialization");
const QString kParameters = QStringLiteral("Parameters");
const QString kValue = QStringLiteral("Value");

std::uint64_t power(std::uint64_t base, int exponent) {
    std::uint64_t r = 1;
    for (int i = 0; i < exponent; ++i) {
        r *= base;
    }
    return r;
}
} // namespace

void CSerialization::Reset() {
    const CSerialization fresh;
    Type = fresh.Type;
    Address = fresh.Address;
    Current = fresh.Current;
    Step = fresh.Step;
    Length = fresh.Length;
    BinaryMode = fresh.BinaryMode;
    MsbOrder = fresh.MsbOrder;
    HexType = fresh.HexType;
}

int CSerialization::Digits(std::uint8_t length, bool binary) {
    if (binary) {
        return length >= 1 && length <= 8 ? 2 * length : 0;
    }
    return length >= 1 && length <= 16 ? length : 0;
}

std::uint64_t CSerialization::Maximum(std::uint8_t length, bool binary, bool hex) {
    const int d = Digits(length, binary);
    if (d == 0) {
        return 0;
    }
    if (hex) {
        return d >= 16 ? ~std::uint64_t{0} : power(16, d) - 1;
    }
    return power(10, d) - 1; // at most 16 decimal digits, inside 64 bits
}

std::vector<std::uint8_t> CSerialization::FormatBytes() const {
    const bool binary = BinaryMode != 0;
    const int d = Digits(Length, binary);
    if (d == 0) {
        return {};
    }
    const std::size_t b = Length;
    std::vector<std::uint8_t> out(b);
    if (!binary) {
        // Characters, most significant first; a value wider than the field keeps its low digits.
        std::uint64_t v = Current;
        const unsigned base = HexType != 0 ? 16 : 10;
        for (std::size_t i = b; i-- > 0;) {
            const unsigned digit = static_cast<unsigned>(v % base);
            out[i] = static_cast<std::uint8_t>(digit < 10 ? '0' + digit : 'A' + digit - 10);
            v /= base;
        }
    } else if (HexType != 0) {
        for (std::size_t i = b; i-- > 0;) {
            out[b - 1 - i] = static_cast<std::uint8_t>((Current >> (8 * i)) & 0xFF);
        }
    } else {
        // Packed BCD, two digits per byte, most significant byte first.
        std::uint64_t v = Current % power(10, d);
        std::uint64_t divisor = power(10, d);
        for (std::size_t i = 0; i < b; ++i) {
            divisor /= 10;
            const std::uint64_t hi = v / divisor;
            v -= hi * divisor;
            divisor /= 10;
            const std::uint64_t lo = v / divisor;
            v -= lo * divisor;
            out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
        }
    }
    if (MsbOrder == 0) {
        std::reverse(out.begin(), out.end());
    }
    return out;
}

QString CSerialization::ValueText() const {
    if (HexType != 0) {
        const int d = Digits(Length, BinaryMode != 0);
        return QStringLiteral("%1").arg(Current, d, 16, QLatin1Char('0')).toUpper();
    }
    return QString::number(Current);
}

bool CSerialization::Advance(QString* message) {
    const std::uint64_t max = Maximum();
    if (max == ~std::uint64_t{0}) {
        Current += Step; // the 64-bit wrap is the mode's own
    } else {
        // A value or step read from a file may lie above the maximum; both are brought into the
        // range first, so the sum fits in 64 bits and one subtraction wraps it.
        const std::uint64_t c = Current % (max + 1);
        const std::uint64_t s = Step % (max + 1);
        Current = c + s > max ? c + s - (max + 1) : c + s;
    }

    // The file must still be there: a missing one would otherwise be recreated holding only
    // "Current", losing the parameters.
    CMyIni ini;
    if (FileName.isEmpty() || !QFileInfo(FileName).isFile() || !ini.Open(FileName, kRoot, true) ||
        !ini.WriteInt64(kValue, QStringLiteral("Current"), static_cast<std::int64_t>(Current)) ||
        !ini.Save()) {
        if (message != nullptr) {
            *message = QStringLiteral("Could not update serialization file.");
        }
        return false;
    }
    return true;
}

bool CSerialization::LoadFromFile(QString* message) {
    CMyIni ini;
    if (FileName.isEmpty() || !QFileInfo(FileName).isFile() || !ini.Open(FileName, kRoot, true)) {
        if (message != nullptr) {
            *message = QStringLiteral("Could not open serialization file.");
        }
        return false;
    }
    // A length its mode cannot hold (a foreign or hand-edited file) would give a maximum of 0,
    // and the first advance would restart the numbering at 0 and save it: such a file is
    // refused as a whole and the record keeps its fields.
    const std::uint8_t binary =
        ini.ReadInt(kParameters, QStringLiteral("BinaryMode"), 1) != 0 ? std::uint8_t{1} : 0;
    const std::int32_t length = ini.ReadInt(kParameters, QStringLiteral("Length"), 2);
    if (length < 1 || length > 16 || Digits(static_cast<std::uint8_t>(length), binary != 0) == 0) {
        if (message != nullptr) {
            *message = QStringLiteral("Could not open serialization file.");
        }
        return false;
    }
    Type = static_cast<std::uint8_t>(ini.ReadInt(kParameters, QStringLiteral("Type"), 0));
    Address = static_cast<std::uint32_t>(ini.ReadInt(kParameters, QStringLiteral("Address"), 0));
    Step = static_cast<std::uint64_t>(ini.ReadInt64(kParameters, QStringLiteral("Step"), 0));
    Length = static_cast<std::uint8_t>(length);
    BinaryMode = binary;
    MsbOrder = ini.ReadInt(kParameters, QStringLiteral("MsbOrder"), 1) != 0 ? std::uint8_t{1} : 0;
    HexType = ini.ReadInt(kParameters, QStringLiteral("HexType"), 1) != 0 ? std::uint8_t{1} : 0;
    Current = static_cast<std::uint64_t>(ini.ReadInt64(kValue, QStringLiteral("Current"), 0));
    return true;
}

bool CSerialization::SaveToFile(QString* message) const {
    CMyIni ini;
    bool ok = !FileName.isEmpty() && ini.Open(FileName, kRoot, false);
    ok = ok && ini.WriteInt(kParameters, QStringLiteral("Type"), Type);
    ok = ok &&
         ini.WriteInt(kParameters, QStringLiteral("Address"), static_cast<std::int32_t>(Address));
    ok = ok && ini.WriteInt64(kParameters, QStringLiteral("Step"), static_cast<std::int64_t>(Step));
    ok = ok && ini.WriteInt(kParameters, QStringLiteral("Length"), Length);
    ok = ok && ini.WriteInt(kParameters, QStringLiteral("BinaryMode"), BinaryMode);
    ok = ok && ini.WriteInt(kParameters, QStringLiteral("MsbOrder"), MsbOrder);
    ok = ok && ini.WriteInt(kParameters, QStringLiteral("HexType"), HexType);
    ok =
        ok && ini.WriteInt64(kValue, QStringLiteral("Current"), static_cast<std::int64_t>(Current));
    ok = ok && ini.Save();
    if (!ok && message != nullptr) {
        *message = QStringLiteral("Could not write serialization file.");
    }
    return ok;
}

} // namespace zelmo
