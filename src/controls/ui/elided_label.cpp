#include "controls/ui/elided_label.h"

#include <QLayout>

#include <memory>

namespace zelmo {

TElidedLabel::TElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), mode_(mode) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void TElidedLabel::SetFullText(const QString& text) {
    full_ = text;
    setToolTip(text);
    Shorten();
}

void TElidedLabel::SetField(bool field) {
    setFrameStyle(field ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
    setAutoFillBackground(field);
    setContentsMargins(field ? 4 : 0, field ? 2 : 0, field ? 4 : 0, field ? 2 : 0);
    if (field) {
        QPalette p = palette();
        p.setColor(QPalette::Window, p.color(QPalette::Base));
        setPalette(p);
    }
}

void TElidedLabel::Shorten() {
    const int room = contentsRect().width() - 2;
    setText(fontMetrics().elidedText(full_, mode_, std::max(room, 20)));
}

void TElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Shorten();
}

QLabel* PlaceholderNote(const QString& text, const QColor& background) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, QColor(128, 128, 128));
    if (background.isValid()) {
        p.setColor(QPalette::Window, background);
        label->setAutoFillBackground(true);
    }
    label->setPalette(p);
    return label;
}

void ReplacePlaceholder(QLayout* place, QWidget*& current, QWidget* next) {
    // The layout hands back the item that held `current`; it is ours to free.
    std::unique_ptr<QLayoutItem> old(place->replaceWidget(current, next));
    current->hide();
    current->deleteLater();
    current = next;
}

} // namespace zelmo
