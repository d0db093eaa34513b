#include "project/byte_size_text.h"

#include <array>

namespace zelmo {

QString ByteSizeText(std::uint64_t bytes) {
    if (bytes < 1024) {
        return QString::number(bytes) + QStringLiteral(" bytes");
    }
    static constexpr std::array<const char*, 6> kUnits{"KB", "MB", "GB", "TB", "PB", "EB"};
    // The smallest unit in which the value stays below 1000, so that 1000 KB to 1023 KB read
    // as "0.97 MB" and so on.
    int unit = 1;
    while (unit < static_cast<int>(kUnits.size()) && (bytes >> (10 * unit)) >= 1000) {
        ++unit;
    }
    const int shift = 10 * unit;
    const std::uint64_t whole = bytes >> shift;
    const int decimals = whole < 10 ? 2 : (whole < 100 ? 1 : 0);
    const std::uint64_t scale = decimals == 2 ? 100 : (decimals == 1 ? 10 : 1);
    // Truncated decimals: floor(rest * scale / 2^shift), pre-shifted where the product would
    // not fit in 64 bits.
    const std::uint64_t rest = bytes & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t fraction =
        shift > 56 ? ((rest >> (shift - 56)) * scale) >> 56 : (rest * scale) >> shift;
    QString text = QString::number(whole);
    if (decimals > 0) {
        text +=
            QLatin1Char('.') + QStringLiteral("%1").arg(fraction, decimals, 10, QLatin1Char('0'));
    }
    return text + QLatin1Char(' ') + QLatin1String(kUnits[static_cast<std::size_t>(unit - 1)]);
}

} // namespace zelmo
