#include "project/swap_names.h"

#include <QFile>

namespace zelmo {

QString OptionFileName(std::uint16_t optId) {
    return QString::asprintf("opt%04X.swp", static_cast<unsigned>(optId));
}

QString SwapFileName(std::uint16_t swapId) {
    return QString::asprintf("buf%04X.swp", static_cast<unsigned>(swapId));
}

QString WithTrailingSlash(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) {
        return folder;
    }
    return folder + QLatin1Char('/');
}

std::filesystem::path LocalPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace zelmo
