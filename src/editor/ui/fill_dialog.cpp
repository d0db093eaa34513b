#include "editor/ui/fill_dialog.h"

#include "app/ui/message_dialog.h"
#include "editor/ui/tool_fields.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zelmo::editor {

namespace {

void setMirror(QLineEdit* edit, const QString& text) {
    const QSignalBlocker block(edit);
    edit->setText(text);
}

QLineEdit* asciiEdit(int length) {
    auto* edit = new QLineEdit;
    edit->setMaxLength(length);
    fitFieldWidth(edit, 3);
    return edit;
}

} // namespace

TfFillBuff::TfFillBuff(const FillDialogInput& input, QWidget* parent)
    : QDialog(parent), input_(input) {
    setWindowTitle(QStringLiteral("Fill buffer"));
    setModal(true);

    static const char* const kCaptions[] = {
        "Constant byte",    "Constant word",           "Random values", "Sequential bytes",
        "Sequential words", "Sequential double words", "Test (512)"};
    auto* group = new QButtonGroup(this);
    for (std::size_t i = 0; i < rbOption.size(); ++i) {
        rbOption[i] = new QRadioButton(QString::fromLatin1(kCaptions[i]));
        group->addButton(rbOption[i], static_cast<int>(i));
    }
    rbOption[0]->setChecked(true);
    rbOption[static_cast<int>(FillOption::Test512)]->setVisible(input.DebugMode);

    eByteHex = makeHexEdit(2);
    eByteHex->setText(QStringLiteral("FF"));
    eByteAscii = asciiEdit(1);
    eWordHex = makeHexEdit(4);
    eWordHex->setText(QStringLiteral("FFFF"));
    eWordAscii = asciiEdit(2);
    setMirror(eByteAscii, byteAsciiFromHex(eByteHex->text()));
    setMirror(eWordAscii, wordAsciiFromHex(eWordHex->text()));
    for (QLineEdit* e : {eByteHex, eByteAscii, eWordHex, eWordAscii}) {
        e->installEventFilter(this);
    }

    cbOrder = new QComboBox;
    cbOrder->addItems({QStringLiteral("Ascending order"), QStringLiteral("Descending order")});

    auto* valueBox = new QGroupBox(QStringLiteral("Value"));
    auto* values = new QGridLayout(valueBox);
    values->setHorizontalSpacing(8);
    values->addWidget(rbOption[0], 0, 0);
    values->addWidget(eByteHex, 0, 1);
    values->addWidget(eByteAscii, 0, 2);
    values->addWidget(rbOption[1], 1, 0);
    values->addWidget(eWordHex, 1, 1);
    values->addWidget(eWordAscii, 1, 2);
    for (int i = 2; i < static_cast<int>(rbOption.size()); ++i) {
        values->addWidget(rbOption[static_cast<std::size_t>(i)], i, 0, 1, 3);
    }
    values->addWidget(new QLabel(QStringLiteral("Order:")), 7, 0);
    values->addWidget(cbOrder, 7, 1, 1, 2);
    values->setColumnStretch(0, 1);

    const RangeTexts range = fillRangeTexts(input.Range, input.Mode);
    eFrom = makeHexEdit(8);
    eFrom->setText(range.From);
    eTo = makeHexEdit(8);
    eTo->setText(range.To);
    auto* rangeBox = new QGroupBox(QStringLiteral("Range"));
    auto* ranges = new QGridLayout(rangeBox);
    ranges->addWidget(new QLabel(QStringLiteral("From:")), 0, 0);
    ranges->addWidget(eFrom, 0, 1);
    ranges->addWidget(new QLabel(QStringLiteral("To:")), 1, 0);
    ranges->addWidget(eTo, 1, 1);
    ranges->setRowStretch(2, 1);

    auto* buttons = new QDialogButtonBox;
    bOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    bCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &TfFillBuff::bOKClick);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(valueBox, 1);
    top->addWidget(rangeBox);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The character fields mirror the hex fields as the user types, and back.
    connect(eByteHex, &QLineEdit::textEdited, this,
            [this](const QString& hex) { setMirror(eByteAscii, byteAsciiFromHex(hex)); });
    connect(eByteAscii, &QLineEdit::textEdited, this, [this](const QString& ascii) {
        if (const std::optional<QString> hex = byteHexFromAscii(ascii)) {
            setMirror(eByteHex, *hex);
        }
    });
    connect(eWordHex, &QLineEdit::textEdited, this,
            [this](const QString& hex) { setMirror(eWordAscii, wordAsciiFromHex(hex)); });
    connect(eWordAscii, &QLineEdit::textEdited, this, [this](const QString& ascii) {
        if (const std::optional<QString> hex = wordHexFromAscii(ascii)) {
            setMirror(eWordHex, *hex);
        }
    });
    connect(group, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) {
            optionChanged();
        }
    });
    optionChanged();
}

bool TfFillBuff::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // Entering a byte field chooses the constant byte, a word field the constant word.
        if (watched == eByteHex || watched == eByteAscii) {
            rbOption[0]->setChecked(true);
        } else if (watched == eWordHex || watched == eWordAscii) {
            rbOption[1]->setChecked(true);
        }
    }
    return QDialog::eventFilter(watched, event);
}

FillOption TfFillBuff::option() const {
    for (std::size_t i = 0; i < rbOption.size(); ++i) {
        if (rbOption[i]->isChecked()) {
            return static_cast<FillOption>(i);
        }
    }
    return FillOption::ConstByte;
}

void TfFillBuff::optionChanged() {
    cbOrder->setEnabled(isSequential(option()));
}

void TfFillBuff::bOKClick() {
    const std::optional<FillChoice> choice =
        fillDialogChoice(option(), cbOrder->currentIndex() == 1, eByteHex->text(), eWordHex->text(),
                         eFrom->text(), eTo->text(), input_.Mode, input_.Size);
    if (!choice) {
        ShowMessageDialog(this, miInformation, mbOk, QStringLiteral("Invalid range."));
        return;
    }
    choice_ = *choice;
    accept();
}

FillChoice TfFillBuff::Execute() {
    exec();
    return choice_;
}

} // namespace zelmo::editor
