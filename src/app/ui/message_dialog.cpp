#include "app/ui/message_dialog.h"

#include "controls/ui/pictures.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelmo {

namespace {

QString IconPicture(MessageIcon icon) {
    switch (icon) {
    case miInformation:
        return QStringLiteral("message_information");
    case miQuestion:
        return QStringLiteral("message_question");
    case miWarning:
        break;
    }
    return QStringLiteral("message_warning");
}

MessageKey KeyOf(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return MessageKey::Enter;
    case Qt::Key_Escape:
        return MessageKey::Escape;
    case Qt::Key_Y:
        return MessageKey::Y;
    case Qt::Key_N:
        return MessageKey::N;
    default:
        return MessageKey::Other;
    }
}

} // namespace

TfMessage::TfMessage(MessageIcon icon, MessageButtons buttons, const QString& text, QWidget* parent)
    : QDialog(parent), buttons_(buttons) {
    setWindowTitle(MessageTitle(icon));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* picture = new QLabel;
    picture->setPixmap(PicturePixmap(IconPicture(icon), QSize(40, 40), devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lText = new QLabel(text);
    lText->setObjectName(QStringLiteral("lText"));
    lText->setTextFormat(Qt::PlainText);
    lText->setWordWrap(false);
    lText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lText->setMinimumWidth(260);

    const auto makeButton = [this](const QString& caption, MessageResult result) {
        auto* button = new QPushButton(caption);
        button->setAutoDefault(false);
        button->setMinimumWidth(88);
        connect(button, &QPushButton::clicked, this, [this, result] { Answer(result); });
        return button;
    };
    bOK = makeButton(tr("OK"), mrOk);
    bCancel = makeButton(tr("Cancel"), mrCancel);
    bYes = makeButton(tr("Yes"), mrYes);
    bNo = makeButton(tr("No"), mrNo);
    bClose = makeButton(tr("Close"), mrClose);

    const MessageButtonSet visible = VisibleButtons(buttons);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    // A warning's OK stands where No would be: at the right end.
    for (QPushButton* b : {bYes, bNo, bOK, bCancel, bClose}) {
        row->addWidget(b);
    }
    bOK->setVisible(visible.Ok);
    bCancel->setVisible(visible.Cancel);
    bYes->setVisible(visible.Yes);
    bNo->setVisible(visible.No);
    bClose->setVisible(visible.Close);

    auto* body = new QHBoxLayout;
    body->setSpacing(16);
    body->addWidget(picture);
    body->addWidget(lText, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 12);
    layout->setSpacing(16);
    layout->addLayout(body);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfMessage::Answer(MessageResult result) {
    result_ = result;
    done(static_cast<int>(result));
}

void TfMessage::keyPressEvent(QKeyEvent* event) {
    if (const auto result = ResultForKey(buttons_, KeyOf(event))) {
        event->accept();
        Answer(*result);
        return;
    }
    // Keys the table does not name move the focus between the buttons and nothing more.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
        event->key() == Qt::Key_Space) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->ignore();
}

void TfMessage::reject() {
    done(static_cast<int>(result_));
}

MessageResult TfMessage::Execute() {
    exec();
    return result_;
}

MessageResult ShowMessageDialog(QWidget* parent, MessageIcon icon, MessageButtons buttons,
                                const QString& text) {
    TfMessage dialog(icon, buttons, text, parent);
    return dialog.Execute();
}

} // namespace zelmo
