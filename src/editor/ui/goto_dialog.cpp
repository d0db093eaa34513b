#include "editor/ui/goto_dialog.h"

#include "editor/buffer_search.h"
#include "editor/tool_dialog_rules.h"
#include "editor/ui/tool_fields.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zelmo::editor {

TfGoToAddress::TfGoToAddress(GoToInput input, QWidget* parent)
    : QDialog(parent), input_(std::move(input)) {
    setWindowTitle(QStringLiteral("Go to address"));
    setModal(true);
    // Eight digits, so that the mirror of any nine-digit decimal value fits (a shorter field
    // would cut the mirrored value and go elsewhere than the decimal field says).
    eHex = makeHexEdit(8);
    eDec = makeDecimalEdit(9);
    eHex->setText(QStringLiteral("0"));
    eDec->setText(QStringLiteral("0"));
    cbOffset = new QCheckBox(QStringLiteral("Offset"));

    auto* panel = new QGroupBox(QStringLiteral("Address"));
    auto* grid = new QGridLayout(panel);
    grid->addWidget(new QLabel(QStringLiteral("hex")), 0, 0);
    grid->addWidget(eHex, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("dec")), 1, 0);
    grid->addWidget(eDec, 1, 1);
    grid->addWidget(cbOffset, 2, 0, 1, 2);

    auto* buttons = new QDialogButtonBox;
    bOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    bCancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    bOK->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(eHex, &QLineEdit::textEdited, this, [this](const QString& hex) {
        const QSignalBlocker block(eDec);
        eDec->setText(goToDecimalFromHex(hex));
    });
    connect(eDec, &QLineEdit::textEdited, this, [this](const QString& dec) {
        const QSignalBlocker block(eHex);
        eHex->setText(goToHexFromDecimal(dec));
    });
    connect(bOK, &QPushButton::clicked, this, &TfGoToAddress::bOKClick);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfGoToAddress::bOKClick() {
    const std::optional<std::uint64_t> address =
        goToAddress(hexFieldValue(eHex->text()), input_.Mode, cbOffset->isChecked(), input_.Cursor,
                    input_.Size);
    if (!address) {
        return; // beyond the buffer: ignored, the dialog stays open
    }
    if (input_.GoToAddress) {
        input_.GoToAddress(*address);
    }
    accept();
}

} // namespace zelmo::editor
