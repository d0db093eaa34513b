#include "editor/ui/search_dialog.h"

#include "app/ui/message_dialog.h"
#include "editor/ui/tool_fields.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

namespace zelmo::editor {

TSearchLayout::TSearchLayout(QDialog* dialog)
    : texts_(new QGridLayout), groups_(new QHBoxLayout), layout_(new QVBoxLayout(dialog)) {
    layout_->addLayout(texts_);
    layout_->addLayout(groups_);
    layout_->setSizeConstraint(QLayout::SetFixedSize);
}

void TSearchLayout::AddTextRow(const QString& caption, QLineEdit* edit) {
    const int row = texts_->rowCount();
    texts_->addWidget(new QLabel(caption), row, 0);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(32, QLatin1Char('W'))) / 2);
    texts_->addWidget(edit, row, 1);
}

void TSearchLayout::AddGroup(const QString& caption, std::initializer_list<QWidget*> items) {
    auto* box = new QGroupBox(caption);
    auto* column = new QVBoxLayout(box);
    for (QWidget* item : items) {
        column->addWidget(item);
    }
    column->addStretch(1);
    groups_->addWidget(box);
}

void TSearchLayout::Finish(QProgressBar* progress, std::size_t size) {
    // The bar runs over the buffer's offsets (at least one, so that it never turns into a busy
    // indicator).
    progress->setRange(0, static_cast<int>(std::clamp<std::size_t>(size, 1, INT32_MAX)));
    progress->setValue(0);
    progress->setTextVisible(false);
    progress->setFixedHeight(12);
    layout_->addWidget(progress);
    auto* buttons = new QDialogButtonBox;
    OK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    Cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    OK->setDefault(true);
    layout_->addWidget(buttons);
}

TfSearch::TfSearch(CBufferSearch& search, SearchView view, QWidget* parent)
    : QDialog(parent), search_(search), view_(std::move(view)) {
    setWindowTitle(QStringLiteral("Find"));
    setModal(true);
    eText = new QLineEdit;
    eText->setMaxLength(static_cast<int>(kMaxPattern));
    rbForward = new QRadioButton(QStringLiteral("Forward"));
    rbBackward = new QRadioButton(QStringLiteral("Backward"));
    cbCaseSensitive = new QCheckBox(QStringLiteral("Case sensitive"));
    cbHexValues = new QCheckBox(QStringLiteral("Hex values (e.g. 55AA)"));
    rbFromCursor = new QRadioButton(QStringLiteral("From cursor"));
    rbEntireScope = new QRadioButton(QStringLiteral("Entire scope"));
    rbForward->setChecked(true);
    rbFromCursor->setChecked(true);
    pbProgress = new QProgressBar;

    TSearchLayout layout(this);
    layout.AddTextRow(QStringLiteral("Text to find:"), eText);
    layout.AddGroup(QStringLiteral(" Direction "), {rbForward, rbBackward});
    layout.AddGroup(QStringLiteral(" Options "), {cbCaseSensitive, cbHexValues});
    layout.AddGroup(QStringLiteral(" Origin "), {rbFromCursor, rbEntireScope});
    layout.Finish(pbProgress, search.Size());
    bOK = layout.OK;
    bCancel = layout.Cancel;

    connect(bOK, &QPushButton::clicked, this, &TfSearch::bOKClick);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbHexValues, &QCheckBox::clicked, this, &TfSearch::cbHexValuesClick);
}

void TfSearch::cbHexValuesClick() {
    // Hex values are compared exactly and typed as digits only.
    eText->clear();
    const bool hex = cbHexValues->isChecked();
    cbCaseSensitive->setEnabled(!hex);
    eText->setValidator(hex ? new THexValidator(eText) : nullptr);
    eText->setFocus();
}

void TfSearch::bOKClick() {
    const CBufferSearch::FindOutcome out = search_.Find(
        eText->text(), cbHexValues->isChecked(), cbCaseSensitive->isChecked(),
        rbForward->isChecked(), rbEntireScope->isChecked(), view_.Cursor ? view_.Cursor() : 0);
    if (out.Hit) {
        pbProgress->setValue(static_cast<int>(std::min<std::size_t>(*out.Hit, INT32_MAX)));
        if (view_.GoToAddress) {
            view_.GoToAddress(*out.Hit);
        }
    } else if (!out.Message.isEmpty()) {
        pbProgress->setValue(rbForward->isChecked() ? pbProgress->maximum() : 0);
        ShowMessageDialog(this, miInformation, mbOk, out.Message);
    }
}

} // namespace zelmo::editor
