#pragma once

// A raised panel with a caption band along its top edge; its content goes into Body().

#include <QFrame>

class QLabel;
class QHBoxLayout;

namespace zelmo {

class TCaptionPanel : public QFrame {
    Q_OBJECT
public:
    explicit TCaptionPanel(const QString& caption, QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const;
    // The area below the caption band; give it a layout.
    QWidget* Body() const { return body_; }
    // Extra widgets at the right end of the caption band (small buttons, a state text).
    QHBoxLayout* CaptionTools() const { return tools_; }

private:
    QLabel* caption_ = nullptr;
    QHBoxLayout* tools_ = nullptr;
    QWidget* body_ = nullptr;
};

} // namespace zelmo
