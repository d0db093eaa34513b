#pragma once

// A label that reacts to the mouse pointer: a pointing hand and, for text, an underline while
// the pointer is over it, and a click signal. Used for the logos, the device name and links.

#include <QLabel>

namespace zelmo {

class THoverLabel : public QLabel {
    Q_OBJECT
public:
    explicit THoverLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetHover(bool on);
    bool pressed_ = false;
};

} // namespace zelmo
