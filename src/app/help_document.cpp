#include "app/help_document.h"

#include <QFileInfo>

namespace zelmo {

HelpDocument HelpDocumentFor(const QString& appDir, const QString& name) {
    const QString help = appDir + QStringLiteral("Help/");
    // A name is one path component; anything that would leave the help folder gets the blank page.
    const bool usable = !name.isEmpty() && !name.contains(u'/') && name != u"." && name != u"..";
    if (usable) {
        const QString pdf = help + name + QStringLiteral(".pdf");
        if (QFileInfo(pdf).isFile()) {
            return {pdf, true};
        }
        const QString html = help + name + QStringLiteral("/index.html");
        if (QFileInfo(html).isFile()) {
            return {html, false};
        }
    }
    return {help + QStringLiteral("blank.html"), false};
}

} // namespace zelmo
