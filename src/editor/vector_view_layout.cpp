#include "editor/vector_view_layout.h"

#include <array>

namespace zelmo::editor {

namespace {
constexpr std::array<int, 5> kMarkedPins{1, 11, 21, 31, 41};
} // namespace

QString vectorHeaderText(int column) {
    for (int pin : kMarkedPins) {
        const QString number = QString::number(pin);
        const int digit = column - (pin - 1);
        if (digit >= 0 && digit < number.size()) {
            return QString(number[digit]);
        }
    }
    return {};
}

QString vectorAddressText(const ViewLayout& layout, std::uint32_t topRow, int dataRow) {
    const std::uint64_t first = layout.cellIndex(topRow, dataRow, 0);
    if (!layout.inside(first)) {
        return {};
    }
    return QStringLiteral("%1").arg(first / layout.columns() + 1, 8, 10, QLatin1Char('0'));
}

QString vectorCellText(const CellValue& value) {
    const int byte = value.Bytes[0];
    if (byte < 0 || byte == 0xFF) {
        return {};
    }
    return QString(QChar(static_cast<char16_t>(byte)));
}

int vectorTextOffset(int column) {
    return column == 0 ? 2 : column % 10 == 0 ? 3 : 1;
}

QString vectorCellHint(const ViewLayout& layout, std::uint64_t cell, const CellValue& value) {
    if (!layout.inside(cell) || value.Bytes[0] < 0 || value.Bytes[0] == 0xFF) {
        return {};
    }
    return QStringLiteral("Vector %1, pin %2")
        .arg(cell / layout.columns() + 1)
        .arg(cell % layout.columns() + 1);
}

} // namespace zelmo::editor
