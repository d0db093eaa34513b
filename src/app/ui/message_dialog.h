#pragma once

// The message dialog used for every question and error: an icon of its kind, the text, the
// buttons of its set and the keys of its key table. Modal, made for one use.

#include "app/message_keys.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace zelmo {

class TfMessage : public QDialog {
    Q_OBJECT
public:
    TfMessage(MessageIcon icon, MessageButtons buttons, const QString& text,
              QWidget* parent = nullptr);

    // Shows the dialog modally and returns the result code.
    MessageResult Execute();
    MessageResult Result() const { return result_; }

    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;
    QPushButton* bYes = nullptr;
    QPushButton* bNo = nullptr;
    QPushButton* bClose = nullptr;
    QLabel* lText = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override; // the window's close button: the result stays as it is

private:
    void Answer(MessageResult result);

    MessageButtons buttons_;
    MessageResult result_ = kMessageDefaultResult;
};

// Shows a message dialog over `parent` and returns its result.
MessageResult ShowMessageDialog(QWidget* parent, MessageIcon icon, MessageButtons buttons,
                                const QString& text);

} // namespace zelmo
