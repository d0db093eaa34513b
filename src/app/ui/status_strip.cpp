#include "app/ui/status_strip.h"

#include "controls/ui/elided_label.h"

#include <QLabel>

namespace zelmo {

TStatusStrip::TStatusStrip(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    lStatus = new TElidedLabel(Qt::ElideRight);
    lStatus->setObjectName(QStringLiteral("lStatus"));
    QFont bold = lStatus->font();
    bold.setBold(true);
    lStatus->setFont(bold);
    lStatus->setContentsMargins(6, 0, 6, 0);
    lMode = new QLabel;
    lMode->setObjectName(QStringLiteral("lMode"));
    lMode->setContentsMargins(8, 0, 8, 0);
    addWidget(lStatus, 1);
    addPermanentWidget(lMode);
}

void TStatusStrip::SetMessage(const QString& text) {
    message_ = text.left(kStatusMessageChars);
    lStatus->SetFullText(message_);
    lStatus->repaint();
}

void TStatusStrip::SetMode(const QString& text) {
    lMode->setText(text);
}

} // namespace zelmo
