#pragma once

// The message strip at the bottom of the main window: the one-line status message in bold
// (kept to 200 characters, shortened with an ellipsis where the window is narrower) and, at the
// right end, the programmer mode.

#include <QStatusBar>

class QLabel;

namespace zelmo {

class TElidedLabel;

inline constexpr int kStatusMessageChars = 200;

class TStatusStrip : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusStrip(QWidget* parent = nullptr);

    void SetMessage(const QString& text);
    const QString& Message() const { return message_; }
    void SetMode(const QString& text);

    TElidedLabel* lStatus = nullptr;
    QLabel* lMode = nullptr;

private:
    QString message_;
};

} // namespace zelmo
