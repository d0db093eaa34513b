#include "app/about_info.h"

#include "project/device_descriptor.h"

#include <QSettings>

namespace zelmo {

QString FirmwareText(const std::uint8_t (&version)[4]) {
    return QString::asprintf("%d.%02X.%02X.%02X", version[0], version[1], version[2], version[3]);
}

int StepPosition(int position, int delta, int count) {
    if (count <= 0) {
        return 0;
    }
    const int next = (position + delta) % count;
    return next < 0 ? next + count : next;
}

AboutPage AboutPageFor(std::span<const ProgrammerInfo> programmers, int position) {
    AboutPage page;
    const int count = static_cast<int>(programmers.size());
    if (count == 0) {
        page.Model = QStringLiteral("Demo mode");
        page.HardwareVersion = page.FirmwareVersion = page.SerialNumber = QStringLiteral("-");
        return page;
    }
    const int p = StepPosition(position, 0, count);
    const ProgrammerInfo& info = programmers[static_cast<std::size_t>(p)];
    page.Model = FieldQString(info.ModelName);
    page.HardwareVersion = FieldQString(info.HardwareVersion);
    page.FirmwareVersion = FirmwareText(info.Firmware);
    page.SerialNumber = FieldQString(info.SerialNumber);
    page.Position = QStringLiteral("Device %1 of %2").arg(p + 1).arg(count);
    page.CanStep = count > 1;
    return page;
}

QString UpdaterProgram() {
    // The user's record first; QSettings falls back to the machine-wide one.
    const QSettings record(QStringLiteral("TERVANIK"), QStringLiteral("Updater"));
    const QString location = record.value(QStringLiteral("Location")).toString();
    if (location.isEmpty()) {
        return {};
    }
    return location + (location.endsWith(u'/') ? QString() : QStringLiteral("/")) +
           QStringLiteral("Updater");
}

} // namespace zelmo
