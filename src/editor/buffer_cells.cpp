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
    // Built in place: the view asks for a screenful of these on every repaint.
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::array<char16_t, 8> text{};
    std::size_t n = 0;
    for (unsigned i = value.Width; i-- > 0;) {
        const int byte = value.Bytes[i];
        text[n++] = byte < 0 ? u' ' : kDigits[byte >> 4];
        text[n++] = byte < 0 ? u' ' : kDigits[byte & 0xF];
    }
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(n));
}

QString charCellText(const CellValue& value) {
    std::array<char16_t, 4> text{};
    std::size_t n = 0;
    for (unsigned i = value.Width; i-- > 0;) {
        const int byte = value.Bytes[i];
        // Control codes have no picture: below 32, and DEL and the C1 controls 0x7F-0x9F of
        // Latin-1 (the 8-bit code page here), which fonts would draw as empty boxes.
        const bool control = byte < 32 || byte == 255 || (byte >= 0x7F && byte <= 0x9F);
        text[n++] = byte < 0 ? u' ' : control ? u'.' : static_cast<char16_t>(byte);
    }
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(n));
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
