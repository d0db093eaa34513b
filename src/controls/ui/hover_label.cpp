#include "controls/ui/hover_label.h"

#include <QMouseEvent>

namespace zelmo {

THoverLabel::THoverLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
}

void THoverLabel::SetHover(bool on) {
    QFont f = font();
    f.setUnderline(on && pixmap().isNull());
    setFont(f);
}

void THoverLabel::enterEvent(QEnterEvent* event) {
    SetHover(true);
    QLabel::enterEvent(event);
}

void THoverLabel::leaveEvent(QEvent* event) {
    SetHover(false);
    pressed_ = false;
    QLabel::leaveEvent(event);
}

void THoverLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void THoverLabel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->pos());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) {
        emit clicked();
    }
}

} // namespace zelmo
