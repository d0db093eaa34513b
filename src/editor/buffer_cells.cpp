#include "editor/buffer_cells.h"

#include "project/device_descriptor.h"

namespace zelmo::editor {

bool CellValue::anyKnown() const {
    for (unsigned i = 0; i < Width; ++i) {
        if (Bytes[i] >= 0) {
            return true;
        }
    }
    return false;
}

bool CellValue::differsFrom(const CellValue& other) const {
    for (unsigned i = 0; i < Width && i < other.Width; ++i) {
        if (Bytes[i] >= 0 && other.Bytes[i] >= 0 && Bytes[i] != other.Bytes[i]) {
            return true;
        }
    }
    return false;
}

QString hexCellText(const CellValue& value) {
    QString text;
    for (unsigned i = value.Width; i-- > 0;) {
        const int byte = value.Bytes[i];
        text += byte < 0 ? QStringLiteral("  ")
                         : QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

QString charCellText(const CellValue& value) {
    QString text;
    for (unsigned i = value.Width; i-- > 0;) {
        const int byte = value.Bytes[i];
        text += byte < 0                   ? QChar(u' ')
                : byte < 32 || byte == 255 ? QChar(u'.')
                                           : QChar(static_cast<char16_t>(byte));
    }
    return text;
}

QString byteHeaderText(int column) {
    return QString::number(column, 16).toUpper();
}

QString byteAddressText(const ViewLayout& layout, std::uint32_t topRow, int dataRow) {
    const std::uint64_t cell = layout.cellIndex(topRow, dataRow, 0);
    if (!layout.inside(layout.cellAddress(cell))) {
        return {};
    }
    return QStringLiteral("%1").arg(cell, 8, 16, QLatin1Char('0')).toUpper();
}

QString byteCellHint(const ViewLayout& layout, const BufferInfo& info, std::uint64_t cell) {
    if (!layout.inside(layout.cellAddress(cell))) {
        return {};
    }
    QString hint =
        QString::number(cell, 16).toUpper() + QStringLiteral("h / ") + QString::number(cell);
    if (const AreaInfo* area = areaOfCell(info, layout.mode(), cell)) {
        hint += QLatin1Char('\n') + FieldQString(area->Name);
    }
    return hint;
}

} // namespace zelmo::editor
