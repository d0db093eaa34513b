#include "editor/ui/checksum_dialog.h"

#include "editor/tool_dialog_rules.h"
#include "editor/ui/tool_fields.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelmo::editor {

TfChecksum::TfChecksum(ChecksumDialogInput input, QWidget* parent)
    : QDialog(parent), input_(std::move(input)) {
    setWindowTitle(QStringLiteral("Checksum calculator"));
    setModal(true);
    eFrom = makeHexEdit(8);
    eTo = makeHexEdit(8);
    eFrom->setText(hex8(input_.Range.First));
    eTo->setText(hex8(input_.Range.Last));

    auto* rangeBox = new QGroupBox(QStringLiteral("Range"));
    auto* range = new QGridLayout(rangeBox);
    range->addWidget(new QLabel(QStringLiteral("From:")), 0, 0);
    range->addWidget(eFrom, 0, 1);
    range->addWidget(new QLabel(QStringLiteral("To:")), 1, 0);
    range->addWidget(eTo, 1, 1);
    range->setRowStretch(2, 1);

    auto* valueBox = new QGroupBox(QStringLiteral("Result"));
    auto* values = new QGridLayout(valueBox);
    for (std::size_t i = 0; i < eValue.size(); ++i) {
        auto* edit = new QLineEdit;
        edit->setReadOnly(true);
        edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        fitFieldWidth(edit, 8);
        eValue[i] = edit;
        const int row = static_cast<int>(i);
        values->addWidget(new QLabel(QString::fromLatin1(kChecksumFields[i].Caption)), row, 0);
        values->addWidget(edit, row, 1);
    }

    auto* buttons = new QDialogButtonBox;
    bCalculate = buttons->addButton(QStringLiteral("Calculate"), QDialogButtonBox::ActionRole);
    bClose = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    bCalculate->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(rangeBox);
    top->addWidget(valueBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(eFrom, &QLineEdit::editingFinished, this, &TfChecksum::eFromExit);
    connect(eTo, &QLineEdit::editingFinished, this, &TfChecksum::eToExit);
    connect(bCalculate, &QPushButton::clicked, this, &TfChecksum::bCalculateClick);
    connect(bClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TfChecksum::eFromExit() {
    eFrom->setText(hex8(correctedChecksumFrom(hexFieldValue(eFrom->text()),
                                              hexFieldValue(eTo->text()), input_.Size)));
}

void TfChecksum::eToExit() {
    eTo->setText(hex8(correctedChecksumTo(hexFieldValue(eFrom->text()), hexFieldValue(eTo->text()),
                                          input_.Size)));
}

void TfChecksum::bCalculateClick() {
    std::uint32_t from = hexFieldValue(eFrom->text());
    std::uint32_t to = hexFieldValue(eTo->text());
    if (input_.Size == 0 || !input_.Calculate) {
        return;
    }
    correctChecksumRange(from, to, input_.Size);
    eFrom->setText(hex8(from));
    eTo->setText(hex8(to));
    const std::array<std::string, 9> shown = formatChecksumValues(input_.Calculate(from, to));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        eValue[i]->setText(QString::fromStdString(shown[i]));
    }
}

} // namespace zelmo::editor
