#include "app/app_paths.h"

#include <QDir>
#include <QStandardPaths>

namespace zelmo {

QString UserDataFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        return {};
    }
    const QString folder = QDir(base).filePath(QStringLiteral("TERVANIK/Zelmo2"));
    if (!QDir().mkpath(folder)) {
        return {};
    }
    return folder + u'/';
}

} // namespace zelmo
