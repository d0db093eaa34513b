#include "app/installation_record.h"

#include <QSettings>
#include <QStandardPaths>

namespace zelmo {

Result RecordInstallation(const QString& appDir) {
    // The user's own record (the file QSettings uses for organisation "TERVANIK" and application
    // "Zelmo 2 (USB)"): on this platform a machine-wide one needs the administrator, and nothing
    // the application does depends on it. The path is formed here, not cached by QSettings, so
    // the record follows the session's configuration folder.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (folder.isEmpty()) {
        return Result::failure(QString::fromLatin1(kRegistryWarning));
    }
    QSettings record(folder + QStringLiteral("/TERVANIK/Zelmo 2 (USB).conf"), QSettings::IniFormat);
    if (!record.isWritable() || record.status() != QSettings::NoError) {
        return Result::failure(QString::fromLatin1(kRegistryWarning));
    }
    if (record.value(QStringLiteral("Location")).toString() != appDir) {
        record.setValue(QStringLiteral("Location"), appDir);
    }
    // The signature is read up to 30 characters, as the tools that check it do.
    if (record.value(QStringLiteral("Signature")).toString().left(30) !=
        QLatin1String(kInstallationSignature)) {
        record.setValue(QStringLiteral("Signature"), QLatin1String(kInstallationSignature));
    }
    record.sync();
    if (record.status() != QSettings::NoError) {
        return Result::failure(QString::fromLatin1(kRegistryWarning));
    }
    return Result::success();
}

} // namespace zelmo
