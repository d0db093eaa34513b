#include "editor/fuse_view_layout.h"

#include "project/device_descriptor.h"

namespace zelmo::editor {

QString fuseHeaderText(int column) {
    const QString number = QString::number(column - column % 8);
    const int digit = column % 8;
    return digit < number.size() ? QString(number[digit]) : QString();
}

QString fuseAddressText(const ViewLayout& layout, std::uint32_t topRow, int dataRow) {
    const std::uint64_t fuse = layout.cellIndex(topRow, dataRow, 0);
    if (!layout.inside(fuse)) {
        return {};
    }
    return QStringLiteral("%1").arg(fuse, 8, 10, QLatin1Char('0'));
}

QString fuseCellText(const CellValue& value) {
    if (value.Bytes[0] < 0) {
        return {};
    }
    return (value.Bytes[0] & 1) != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

int fuseTextOffset(int column) {
    return column % 8 == 0 ? 2 : 0;
}

QString fuseCellHint(const ViewLayout& layout, const BufferInfo& info, std::uint64_t fuse) {
    if (!layout.inside(fuse)) {
        return {};
    }
    QString hint = QString::number(fuse);
    if (const AreaInfo* area = areaOfCell(info, layout.mode(), fuse)) {
        hint += QLatin1Char('\n') + FieldQString(area->Name);
    }
    return hint;
}

} // namespace zelmo::editor
