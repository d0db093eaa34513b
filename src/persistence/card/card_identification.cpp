#include "persistence/card/card_identification.h"

#include "project/byte_size_text.h"

namespace zelmo::card {

namespace {

// Words first to first + count - 1 as text, each word's high byte first. Control bytes would
// break the log line, so they read as blanks.
QString wordText(std::span<const std::uint8_t, kSectorSize> block, int first, int count) {
    QString text;
    text.reserve(2 * count);
    for (int n = first; n < first + count; ++n) {
        const std::uint16_t word = IdentificationWord(block, n);
        for (const auto byte :
             {static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF)}) {
            text += byte < 0x20 || byte == 0x7F ? QLatin1Char(' ') : QChar(byte);
        }
    }
    return text;
}

} // namespace

std::uint16_t IdentificationWord(std::span<const std::uint8_t, kSectorSize> block, int n) {
    const auto at = static_cast<std::size_t>(2 * n);
    return static_cast<std::uint16_t>(block[at] | block[at + 1] << 8);
}

std::vector<CardLogLine> IdentificationLines(std::span<const std::uint8_t, kSectorSize> block,
                                             int programmerCount) {
    const LogKind detail = lkDetailFor(programmerCount);
    // The count is unsigned and 64 bits wide, so cards of 2 GiB and more print their real size.
    const std::uint64_t bytes =
        (std::uint64_t{IdentificationWord(block, 58)} * 65536 + IdentificationWord(block, 57)) *
        kSectorSize;
    std::vector<CardLogLine> lines = {
        {detail,
         QStringLiteral("Current capacity: %1 (%2 bytes)").arg(ByteSizeText(bytes)).arg(bytes)},
        {detail, QStringLiteral("Serial number: ") + wordText(block, 10, 10)},
        {detail, QStringLiteral("Firmware revision: ") + wordText(block, 23, 4)},
        {detail, QStringLiteral("Model number: ") + wordText(block, 27, 20)},
    };
    if ((IdentificationWord(block, 49) & 0x0200) == 0) {
        lines.push_back({lkFailureDetailFor(programmerCount),
                         QStringLiteral("Error! LBA mode not supported. This card is not "
                                        "recommended to use.")});
    }
    const std::uint16_t features = IdentificationWord(block, 82);
    if (features != 0 && features != 0xFFFF && (features & 0x3000) == 0) {
        lines.push_back({lkPurpleDetailFor(programmerCount),
                         QStringLiteral("Warning! Required features may not be supported.")});
    }
    return lines;
}

} // namespace zelmo::card
