#include "formats/ui/save_file_dialog.h"

#include "formats/file_command_rules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelmo::formats {

TfSaveFile::TfSaveFile(TFile& engine, int startFormat, QString folder, Saver saver, QWidget* parent)
    : QDialog(parent), engine_(engine), folder_(std::move(folder)), saver_(std::move(saver)) {
    setObjectName(QStringLiteral("TfSaveFile"));
    setWindowTitle(tr("Save file"));
    cbFormat = new QComboBox;
    cbFormat->setObjectName(QStringLiteral("cbFormat"));
    for (const SaveFormat& format : SaveFormats()) {
        cbFormat->addItem(format.Name);
    }
    cbFormat->setCurrentIndex(std::clamp(startFormat, 0, cbFormat->count() - 1));
    cbOptimize = new QCheckBox(tr("Optimize"));
    cbOptimize->setObjectName(QStringLiteral("cbOptimize"));
    cbOptimize->setToolTip(tr("Leave out records whose bytes are all FFh"));
    bOK = new QPushButton(tr("OK"));
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    bCancel = new QPushButton(tr("Cancel"));
    bCancel->setObjectName(QStringLiteral("bCancel"));
    bCancel->setAutoDefault(false);

    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(tr("Format:")));
    formatRow->addWidget(cbFormat, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bOK);
    buttons->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addLayout(formatRow);
    layout->addWidget(cbOptimize);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(cbFormat, &QComboBox::currentIndexChanged, this, &TfSaveFile::showOptimize);
    connect(bOK, &QPushButton::clicked, this, &TfSaveFile::accept);
    connect(bCancel, &QPushButton::clicked, this, &TfSaveFile::reject);
    showOptimize();
}

FileFormat TfSaveFile::Format() const {
    return SaveFormats()[static_cast<std::size_t>(std::max(0, cbFormat->currentIndex()))].Type;
}

void TfSaveFile::showOptimize() {
    cbOptimize->setEnabled(OptimizeEnabled(Format()));
}

bool TfSaveFile::Execute() {
    return exec() == QDialog::Accepted;
}

void TfSaveFile::accept() {
    const SaveFormat& format =
        SaveFormats()[static_cast<std::size_t>(std::max(0, cbFormat->currentIndex()))];
    QFileDialog dialog(this, windowTitle());
    dialog.setObjectName(QStringLiteral("SaveFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(SaveFileFilters(format.Type));
    dialog.setDefaultSuffix(format.Suffix);
    if (!folder_.isEmpty()) {
        dialog.setDirectory(folder_);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return; // back in this dialog
    }
    engine_.SaveName = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    engine_.SaveType = format.Type;
    engine_.Optimize = cbOptimize->isEnabled() && cbOptimize->isChecked() ? 1 : 0;
    const Result saved = saver_ ? saver_(engine_) : Result::failure({});
    message_ = saved.message;
    if (saved.ok) {
        QDialog::accept();
    }
}

void TfSaveFile::reject() {
    message_ = QStringLiteral("File saving cancelled.");
    QDialog::reject();
}

} // namespace zelmo::formats
