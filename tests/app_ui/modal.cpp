#include "modal.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace zelmo::test {

namespace {

QString MessageText(QWidget* dialog) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        return box->text();
    }
    if (auto* text = dialog->findChild<QLabel*>(QStringLiteral("lText"))) {
        return text->text();
    }
    return {};
}

} // namespace

void ModalAnswers::Button(const QString& caption) {
    Then([caption](QWidget* w) {
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
            if (b->text().remove(u'&') == caption && b->isVisible()) {
                b->click();
                return;
            }
        }
    });
}

void ModalAnswers::Arm() {
    if (timer_.isActive()) {
        return;
    }
    // Polls for a modal window that has not been answered yet; a new window at the address of
    // an old one is told apart by the mark each answered window gets.
    timer_.setInterval(5);
    QObject::disconnect(&timer_, nullptr, nullptr, nullptr);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (next_ >= actions_.size()) {
            timer_.stop();
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible() || modal->property("zelmoAnswered").toBool()) {
            return;
        }
        modal->setProperty("zelmoAnswered", true);
        seen_.push_back({modal->windowTitle(), MessageText(modal)});
        actions_[next_++](modal);
    });
    timer_.start();
}

} // namespace zelmo::test
