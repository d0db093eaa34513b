#include "controls/ui/caption_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zelmo {

TCaptionPanel::TCaptionPanel(const QString& caption, QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);

    auto* band = new QWidget;
    band->setObjectName(QStringLiteral("captionBand"));
    band->setAutoFillBackground(true);
    QPalette bandPalette = band->palette();
    const QColor base = palette().color(QPalette::Window);
    bandPalette.setColor(QPalette::Window, base.darker(108));
    band->setPalette(bandPalette);

    caption_ = new QLabel(caption);
    QFont f = caption_->font();
    f.setBold(true);
    caption_->setFont(f);
    tools_ = new QHBoxLayout;
    tools_->setContentsMargins(0, 0, 0, 0);
    tools_->setSpacing(2);
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(8, 3, 4, 3);
    bandLayout->addWidget(caption_, 1);
    bandLayout->addLayout(tools_);

    body_ = new QWidget;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(band);
    layout->addWidget(body_, 1);
}

void TCaptionPanel::SetCaption(const QString& caption) {
    caption_->setText(caption);
}

QString TCaptionPanel::Caption() const {
    return caption_->text();
}

} // namespace zelmo
