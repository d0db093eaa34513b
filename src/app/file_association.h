#pragma once

// Associates the ".zlp" project files with the application on the desktop: a shared-mime-info
// type for "*.zlp", a desktop entry that starts the application with "-p" and the file, and
// that entry as the type's default application, all in the user's own XDG folders. The
// desktop's databases are refreshed when their tools are installed.

#include "platform/result.h"

#include <QString>

namespace zelmo {

inline constexpr char kProjectMimeType[] = "application/x-zelmo2-project";
inline constexpr char kDesktopEntryName[] = "zelmo2.desktop";
inline constexpr char kAssociationDone[] = "File association done.";
inline constexpr char kAssociationFailed[] = "File association failed.";

struct AssociationFiles {
    QString MimePackage;  // <data>/mime/packages/zelmo2-project.xml
    QString DesktopEntry; // <data>/applications/zelmo2.desktop
    QString MimeApps;     // <config>/mimeapps.list
};

// Where the association is written for the current user; empty paths when the user has no
// data or configuration folder.
AssociationFiles ProjectAssociationFiles();

// The texts written: the MIME package, and the desktop entry for an executable and its icon.
QByteArray ProjectMimePackage();
QByteArray ProjectDesktopEntry(const QString& executable, const QString& icon);
// `mimeApps` with the project type's default set to the desktop entry in its
// "[Default Applications]" section, every other line kept.
QByteArray WithDefaultApplication(const QByteArray& mimeApps);

// Writes every file (each through a temporary file and a rename); "File association done." or
// "File association failed." with nothing more written after the first failure.
Result AssociateProjectFiles(const QString& executable, const QString& icon);

} // namespace zelmo
