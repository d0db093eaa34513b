#include "app/log_file.h"

#include "app/app_paths.h"

#include <QFile>

namespace zelmo {

QString LogFile::NameFor(const QDateTime& utc) {
    const QDateTime t = utc.toUTC();
    const QDate d = t.date();
    const QTime h = t.time();
    return QString::asprintf("Log_%04d_%02d_%02d_%02d_%02d_%02d.log", d.year(), d.month(), d.day(),
                             h.hour(), h.minute(), h.second());
}

QByteArray LogFile::Narrow(const QString& entryText) {
    QByteArray out;
    out.reserve(entryText.size() + 2);
    for (qsizetype i = 0; i < entryText.size(); ++i) {
        const char16_t c = entryText[i].unicode();
        if (c > 0xFF) {
            break;
        }
        if (c == u'\n' && (i == 0 || entryText[i - 1] != u'\r')) {
            out.append('\r');
        }
        out.append(static_cast<char>(c));
    }
    return out;
}

void LogFile::Release() {
    holding_ = false;
    const QStringList held = std::move(held_);
    held_.clear();
    for (const QString& entry : held) {
        Append(entry);
    }
}

bool LogFile::Append(const QString& entryText) {
    if (holding_) {
        held_ << entryText;
        return true;
    }
    if (!Enabled()) {
        return false;
    }
    if (!nameFixed_) {
        nameFixed_ = true;
        const QString folder = UserDataFolder();
        if (!folder.isEmpty()) {
            path_ = folder + NameFor(now_());
        }
    }
    if (path_.isEmpty()) {
        return false;
    }
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    const QByteArray bytes = Narrow(entryText);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written;
}

} // namespace zelmo
