#include "editor/tool_dialog_rules.h"

#include "editor/buffer_search.h"
#include "editor/fill_pattern.h"
#include "project/project.h"

#include <algorithm>

namespace zelmo::editor {

QString filterHexText(const QString& typed, int maxLength) {
    QString out;
    for (QChar c : typed) {
        const QChar u = c.toUpper();
        if ((u >= QLatin1Char('0') && u <= QLatin1Char('9')) ||
            (u >= QLatin1Char('A') && u <= QLatin1Char('F'))) {
            out.append(u);
        }
    }
    return out.left(maxLength);
}

QString filterDecimalText(const QString& typed, int maxLength) {
    QString out;
    for (QChar c : typed) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            out.append(c);
        }
    }
    return out.left(maxLength);
}

std::uint32_t hexFieldValue(const QString& text) {
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok, 16);
    return ok && v <= 0xFFFFFFFFull ? static_cast<std::uint32_t>(v) : 0;
}

bool isSequential(FillOption option) {
    return option == FillOption::SeqBytes || option == FillOption::SeqWords ||
           option == FillOption::SeqDWords;
}

int fillKindOf(FillOption option, bool descending) {
    int kind = FillConstByte;
    switch (option) {
    case FillOption::ConstByte:
        kind = FillConstByte;
        break;
    case FillOption::ConstWord:
        kind = FillConstWord;
        break;
    case FillOption::Random:
        kind = FillRandom;
        break;
    case FillOption::SeqBytes:
        kind = FillSeqBytes;
        break;
    case FillOption::SeqWords:
        kind = FillSeqWords;
        break;
    case FillOption::SeqDWords:
        kind = FillSeqDWords;
        break;
    case FillOption::Test512:
        kind = FillTest512;
        break;
    }
    return isSequential(option) && descending ? kind + 16 : kind;
}

namespace {

// The character of one byte value, nothing for control characters.
QString charOf(unsigned value) {
    if (value < 0x20 || value == 0x7F || (value >= 0x80 && value < 0xA0)) {
        return {};
    }
    return QString(QChar(static_cast<char16_t>(value)));
}

bool isByteChar(QChar c) {
    return c.unicode() <= 0xFF;
}

} // namespace

QString byteAsciiFromHex(const QString& hex) {
    if (hex.isEmpty()) {
        return {};
    }
    return charOf(hexFieldValue(hex) & 0xFF);
}

QString wordAsciiFromHex(const QString& hex) {
    if (hex.isEmpty()) {
        return {};
    }
    const std::uint32_t v = hexFieldValue(hex) & 0xFFFF;
    return charOf(v >> 8) + charOf(v & 0xFF);
}

std::optional<QString> byteHexFromAscii(const QString& ascii) {
    if (ascii.isEmpty() || !isByteChar(ascii[0])) {
        return std::nullopt;
    }
    return QString::asprintf("%02x", static_cast<unsigned>(ascii[0].unicode()));
}

std::optional<QString> wordHexFromAscii(const QString& ascii) {
    if (ascii.isEmpty() || !isByteChar(ascii[0]) || (ascii.size() > 1 && !isByteChar(ascii[1]))) {
        return std::nullopt;
    }
    if (ascii.size() == 1) {
        return QString::asprintf("%04X", static_cast<unsigned>(ascii[0].unicode()));
    }
    return QString::asprintf("%02X%02X", static_cast<unsigned>(ascii[0].unicode()),
                             static_cast<unsigned>(ascii[1].unicode()));
}

ByteRange selectionOrBuffer(const BufferViewState& state, std::uint32_t size) {
    if (state.SelStart != state.SelEnd && state.SelStart < size) {
        // A stored selection may end past a buffer that has since become smaller.
        const std::uint32_t last = std::min(std::max(state.SelStart, state.SelEnd), size - 1);
        return {std::min(state.SelStart, state.SelEnd), last};
    }
    return {0, size == 0 ? 0 : size - 1};
}

RangeTexts fillRangeTexts(const ByteRange& bytes, int mode) {
    const ByteRange cells = cellsFromBytes(bytes, mode);
    return {hex8(cells.First), hex8(cells.Last)};
}

std::optional<FillChoice> fillDialogChoice(FillOption option, bool descending,
                                           const QString& byteHex, const QString& wordHex,
                                           const QString& from, const QString& to, int mode,
                                           std::uint32_t size) {
    FillChoice choice;
    if (!fillRangeFromCells(hexFieldValue(from), hexFieldValue(to), mode, size, choice.Range)) {
        return std::nullopt;
    }
    choice.Kind = fillKindOf(option, descending);
    if (option == FillOption::ConstByte) {
        choice.Value = hexFieldValue(byteHex) & 0xFF;
    } else if (option == FillOption::ConstWord) {
        choice.Value = hexFieldValue(wordHex) & 0xFFFF;
    }
    return choice;
}

QString goToDecimalFromHex(const QString& hex) {
    return QString::number(hexFieldValue(hex));
}

QString goToHexFromDecimal(const QString& decimal) {
    bool ok = false;
    const qulonglong v = decimal.toULongLong(&ok, 10);
    return QString::asprintf("%llX", ok ? v : 0ull);
}

std::uint32_t correctedChecksumFrom(std::uint32_t from, std::uint32_t to, std::uint32_t size) {
    return from <= to && from < size ? from : 0;
}

std::uint32_t correctedChecksumTo(std::uint32_t from, std::uint32_t to, std::uint32_t size) {
    return from <= to && to < size ? to : (size == 0 ? 0 : size - 1);
}

QString hex8(std::uint32_t value) {
    return QString::asprintf("%08X", value);
}

ChecksumFieldLook checksumFieldLook(const CDevice* device) {
    ChecksumFieldLook look;
    const CDataSet* shown = device != nullptr ? device->Shown() : nullptr;
    if (shown == nullptr || device->Descriptor.Type == DT_PLD ||
        device->CurrentMemory >= kMemories) {
        return look;
    }
    look.Visible = true;
    const MemoryState& state = shown->Memories[device->CurrentMemory];
    if (state.ChecksumValid != 0) {
        look.Text = hex8(state.Checksum);
        look.Hint = QStringLiteral("32-bit checksum");
    } else {
        look.Text = QStringLiteral("Refresh");
        look.Grey = true;
        look.Hint = QStringLiteral("Click to calculate checksum");
    }
    return look;
}

} // namespace zelmo::editor
