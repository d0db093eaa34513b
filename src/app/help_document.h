#pragma once

// Which document the help viewer shows for a manual name N: "Help/N.pdf" of the application
// directory when it exists, else "Help/N/index.html", else "Help/blank.html". An empty name
// (device help with no device) gives the blank page at once.

#include <QString>

namespace zelmo {

struct HelpDocument {
    QString Path;
    bool Pdf = false; // handed to the desktop's document viewer, not shown in the help window
};

// `appDir` ends with "/".
HelpDocument HelpDocumentFor(const QString& appDir, const QString& name);

} // namespace zelmo
