#include "app/startup_status.h"

#include "platform/file_io.h"
#include "project/byte_size_text.h"
#include "project/device_descriptor.h"

#include <QFile>

namespace zelmo {

QString HardwareFoundMessage(std::span<const ProgrammerInfo> programmers, bool gangCapable,
                             bool gangMode) {
    if (programmers.empty()) {
        return QStringLiteral("Hardware not found. Entered demo mode.");
    }
    if (programmers.size() == 1) {
        return QStringLiteral("Hardware found: ") + FieldQString(programmers[0].ModelName) + u'.';
    }
    return QStringLiteral("Hardware found: %1 programmers. '%2' mode enabled.")
        .arg(programmers.size())
        .arg(gangCapable && gangMode ? QStringLiteral("Gang") : QStringLiteral("Single"));
}

QString FreeSpaceLine(const QString& caption, const QString& folder) {
    const std::int64_t free =
        platform::freeDiskSpace(std::filesystem::path(QFile::encodeName(folder).toStdString()));
    return caption + ByteSizeText(free > 0 ? static_cast<std::uint64_t>(free) : 0);
}

} // namespace zelmo
