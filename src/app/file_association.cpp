#include "app/file_association.h"

#include "platform/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace zelmo {

namespace {

bool WriteWhole(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    return platform::replaceFileAtomically(
        std::filesystem::path(path.toStdString()),
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                  static_cast<std::size_t>(bytes.size())));
}

// Desktop-entry values: a path inside the Exec key is quoted, with the characters that quoting
// does not protect escaped.
QString QuotedExec(const QString& path) {
    QString escaped;
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            escaped += u'\\';
        }
        escaped += c;
    }
    return u'"' + escaped + u'"';
}

void RunIfPresent(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (!program.isEmpty()) {
        QProcess::execute(program, arguments);
    }
}

} // namespace

AssociationFiles ProjectAssociationFiles() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (data.isEmpty() || config.isEmpty()) {
        return {};
    }
    return {data + QStringLiteral("/mime/packages/zelmo2-project.xml"),
            data + QStringLiteral("/applications/") + QLatin1String(kDesktopEntryName),
            config + QStringLiteral("/mimeapps.list")};
}

QByteArray ProjectMimePackage() {
    return QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"application/x-zelmo2-project\">\n"
        "    <comment>Zelmo 2 project file</comment>\n"
        "    <glob pattern=\"*.zlp\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n");
}

QByteArray ProjectDesktopEntry(const QString& executable, const QString& icon) {
    QString entry = QStringLiteral("[Desktop Entry]\n"
                                   "Type=Application\n"
                                   "Name=Zelmo 2\n"
                                   "Comment=Zelmo 2 project file\n");
    entry += QStringLiteral("Exec=") + QuotedExec(executable) + QStringLiteral(" -p %f\n");
    if (!icon.isEmpty()) {
        entry += QStringLiteral("Icon=") + icon + u'\n';
    }
    entry += QStringLiteral("MimeType=") + QLatin1String(kProjectMimeType) +
             QStringLiteral(";\nTerminal=false\nCategories=Development;Electronics;\n");
    return entry.toUtf8();
}

QByteArray WithDefaultApplication(const QByteArray& mimeApps) {
    const QByteArray section = "[Default Applications]";
    const QByteArray line = QByteArray(kProjectMimeType) + '=' + kDesktopEntryName;
    QList<QByteArray> lines = mimeApps.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    qsizetype inSection = -1; // index of the section header
    qsizetype sectionEnd = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = lines[i].trimmed();
        if (trimmed.startsWith('[')) {
            if (inSection >= 0 && sectionEnd < 0) {
                sectionEnd = i;
            }
            if (trimmed == section && inSection < 0) {
                inSection = i;
            }
            continue;
        }
        if (inSection >= 0 && sectionEnd < 0 &&
            trimmed.startsWith(QByteArray(kProjectMimeType) + '=')) {
            lines[i] = line;
            return lines.join('\n') + '\n';
        }
    }
    if (inSection < 0) {
        if (!lines.isEmpty()) {
            lines.append(QByteArray());
        }
        lines.append(section);
        lines.append(line);
    } else {
        lines.insert(sectionEnd < 0 ? lines.size() : sectionEnd, line);
    }
    return lines.join('\n') + '\n';
}

Result AssociateProjectFiles(const QString& executable, const QString& icon) {
    const AssociationFiles files = ProjectAssociationFiles();
    if (files.MimePackage.isEmpty()) {
        return Result::failure(QString::fromLatin1(kAssociationFailed));
    }
    QFile existing(files.MimeApps);
    QByteArray mimeApps;
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            return Result::failure(QString::fromLatin1(kAssociationFailed));
        }
        mimeApps = existing.readAll();
        existing.close();
    }
    const bool written = WriteWhole(files.MimePackage, ProjectMimePackage()) &&
                         WriteWhole(files.DesktopEntry, ProjectDesktopEntry(executable, icon)) &&
                         WriteWhole(files.MimeApps, WithDefaultApplication(mimeApps));
    if (!written) {
        return Result::failure(QString::fromLatin1(kAssociationFailed));
    }
    RunIfPresent(QStringLiteral("update-mime-database"),
                 {QFileInfo(QFileInfo(files.MimePackage).absolutePath()).absolutePath()});
    RunIfPresent(QStringLiteral("update-desktop-database"),
                 {QFileInfo(files.DesktopEntry).absolutePath()});
    return Result::success(QString::fromLatin1(kAssociationDone));
}

} // namespace zelmo
