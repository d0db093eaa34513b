#include "app/ui/help_viewer.h"

#include "app/help_document.h"

#include <QDesktopServices>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace zelmo {

TfHelp::TfHelp(QString appDir, QWidget* parent)
    : QWidget(parent, Qt::Window), appDir_(std::move(appDir)) {
    setWindowTitle(tr("Zelmo 2 Help"));
    wbHelp = new QTextBrowser;
    wbHelp->setObjectName(QStringLiteral("wbHelp"));
    wbHelp->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wbHelp);
    resize(640, 720);
}

void TfHelp::PlaceAtTopRight() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = this->size().boundedTo(area.size());
    resize(size);
    move(area.right() - frameGeometry().width() + 1, area.top());
}

void TfHelp::ShowHelp(const QString& name) {
    const HelpDocument doc = HelpDocumentFor(appDir_, name);
    if (doc.Pdf) {
        // The help window shows HTML; a PDF manual opens in the desktop's viewer.
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(doc.Path))) {
            document_ = doc.Path;
            return;
        }
        ShowHelp(QString());
        return;
    }
    document_ = doc.Path;
    wbHelp->setSource(QUrl::fromLocalFile(doc.Path));
    if (!placed_) {
        placed_ = true;
        PlaceAtTopRight();
    }
    show();
    raise();
    activateWindow();
}

} // namespace zelmo
