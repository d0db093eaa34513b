#include "app/ui/status_strip.h"

#include <QLabel>

namespace zelmo {

TStatusStrip::TStatusStrip(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    lStatus = new QLabel;
    lStatus->setObjectName(QStringLiteral("lStatus"));
    QFont bold = lStatus->font();
    bold.setBold(true);
    lStatus->setFont(bold);
    lStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lStatus->setContentsMargins(6, 0, 6, 0);
    lMode = new QLabel;
    lMode->setObjectName(QStringLiteral("lMode"));
    lMode->setContentsMargins(8, 0, 8, 0);
    addWidget(lStatus, 1);
    addPermanentWidget(lMode);
}

void TStatusStrip::SetMessage(const QString& text) {
    message_ = text.left(kStatusMessageChars);
    ShowMessage();
    lStatus->repaint();
}

void TStatusStrip::SetMode(const QString& text) {
    lMode->setText(text);
}

void TStatusStrip::ShowMessage() {
    lStatus->setToolTip(message_);
    lStatus->setText(lStatus->fontMetrics().elidedText(message_, Qt::ElideRight,
                                                       std::max(60, lStatus->width() - 12)));
}

void TStatusStrip::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    ShowMessage();
}

} // namespace zelmo
