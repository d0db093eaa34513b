#pragma once

// Answers the modal dialogs a call opens, so that widget tests can run code that asks the user.
// Each answer waits for the next modal window, records its title and text and then acts on it.

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace zelmo::test {

struct SeenDialog {
    QString title;
    QString text; // the message text of a message dialog or message box
};

class ModalAnswers {
public:
    using Action = std::function<void(QWidget* dialog)>;

    // The next modal window gets `action` (after every earlier one has had its own).
    void Then(Action action) {
        actions_.push_back(std::move(action));
        Arm();
    }
    // Closes the next modal window with a key press.
    void Key(int key) {
        Then([key](QWidget* w) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(w, &press);
        });
    }
    // Clicks the button of a message dialog that has this caption.
    void Button(const QString& caption);

    const std::vector<SeenDialog>& Seen() const { return seen_; }
    bool AllAnswered() const { return next_ == actions_.size(); }

private:
    void Arm();

    std::vector<Action> actions_;
    std::size_t next_ = 0;
    std::vector<SeenDialog> seen_;
    QTimer timer_;
};

} // namespace zelmo::test
