#include "formats/ui/load_file_dialog.h"

#include "app/ui/message_dialog.h"
#include "formats/ui/number_validators.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelmo::formats {

namespace {

QLineEdit* numberField(QValidator* validator, int digits, const QString& name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setValidator(validator);
    edit->setMaxLength(digits);
    const QFontMetrics metrics(edit->font());
    edit->setFixedWidth(metrics.horizontalAdvance(QString(digits + 1, u'0')) + 14);
    return edit;
}

// An offset's hexadecimal and decimal fields side by side, kept in step with each other.
void offsetRow(QGridLayout* grid, int row, const QString& caption, QLineEdit* hex,
               QLineEdit* decimal) {
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(hex, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("h")), row, 2);
    grid->addWidget(decimal, row, 3);
    grid->addWidget(new QLabel(QObject::tr("dec.")), row, 4);
}

} // namespace

TfLoadFile::TfLoadFile(const RecentList& recent, std::uint64_t memorySize, Loader loader,
                       QWidget* parent)
    : QDialog(parent), model_(recent, memorySize), loader_(std::move(loader)) {
    setObjectName(QStringLiteral("TfLoadFile"));
    setWindowTitle(model_.Caption());

    cbFileName = new QComboBox;
    cbFileName->setObjectName(QStringLiteral("cbFileName"));
    cbFileName->setMinimumWidth(440);
    cbFileName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbFileName->setMinimumContentsLength(40);
    bNew = new QPushButton(tr("New"));
    bNew->setObjectName(QStringLiteral("bNew"));
    bNew->setToolTip(tr("Choose another file"));
    bNew->setAutoDefault(false);
    lFormat = new QLabel(tr("Format:"));
    cbFormat = new QComboBox;
    cbFormat->setObjectName(QStringLiteral("cbFormat"));
    cbFormat->addItems(LoadFormatNames());

    eBufferOffsetHex = numberField(new THexValidator(kOffsetHexDigits, this), kOffsetHexDigits,
                                   QStringLiteral("eBufferOffsetHex"));
    eBufferOffsetDec = numberField(new TDecimalValidator(kOffsetDecimalDigits, this),
                                   kOffsetDecimalDigits, QStringLiteral("eBufferOffsetDec"));
    eFileOffsetHex = numberField(new THexValidator(kOffsetHexDigits, this), kOffsetHexDigits,
                                 QStringLiteral("eFileOffsetHex"));
    eFileOffsetDec = numberField(new TDecimalValidator(kOffsetDecimalDigits, this),
                                 kOffsetDecimalDigits, QStringLiteral("eFileOffsetDec"));
    peOffset = new QGroupBox(tr("Offset"));
    auto* offsets = new QGridLayout(peOffset);
    offsetRow(offsets, 0, tr("Buffer offset:"), eBufferOffsetHex, eBufferOffsetDec);
    offsetRow(offsets, 1, tr("File offset:"), eFileOffsetHex, eFileOffsetDec);
    offsets->setColumnStretch(5, 1);

    cbFillBefore = new QCheckBox(tr("Fill buffer before loading with:"));
    cbFillBefore->setObjectName(QStringLiteral("cbFillBefore"));
    eFillValue = numberField(new THexValidator(kFillValueDigits, this), kFillValueDigits,
                             QStringLiteral("eFillValue"));
    cbChecksum = new QCheckBox(tr("Calculate checksum"));
    cbChecksum->setObjectName(QStringLiteral("cbChecksum"));
    peOptions = new QGroupBox(tr("Options"));
    auto* options = new QGridLayout(peOptions);
    options->addWidget(cbFillBefore, 0, 0);
    options->addWidget(eFillValue, 0, 1);
    options->addWidget(new QLabel(QStringLiteral("h")), 0, 2);
    options->addWidget(cbChecksum, 1, 0, 1, 3);
    options->setColumnStretch(3, 1);

    bOK = new QPushButton(tr("OK"));
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    bCancel = new QPushButton(tr("Cancel"));
    bCancel->setObjectName(QStringLiteral("bCancel"));
    bCancel->setAutoDefault(false);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(tr("File:")));
    fileRow->addWidget(cbFileName, 1);
    fileRow->addWidget(bNew);
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(lFormat);
    formatRow->addWidget(cbFormat);
    formatRow->addStretch(1);
    auto* panels = new QHBoxLayout;
    panels->addWidget(peOffset, 1);
    panels->addWidget(peOptions, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bOK);
    buttons->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addLayout(fileRow);
    layout->addLayout(formatRow);
    layout->addLayout(panels);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(bNew, &QPushButton::clicked, this, &TfLoadFile::bNewClick);
    connect(bOK, &QPushButton::clicked, this, &TfLoadFile::accept);
    connect(bCancel, &QPushButton::clicked, this, &TfLoadFile::reject);
    connect(cbFileName, &QComboBox::activated, this, [this](int index) {
        model_.Select(index);
        showFields();
    });
    connect(cbFormat, &QComboBox::activated, this, [this](int format) {
        model_.SetFormat(format);
        showFields();
    });
    const auto pair = [this](QLineEdit* hex, QLineEdit* decimal, QString LoadFields::*hexText,
                             QString LoadFields::*decimalText) {
        connect(hex, &QLineEdit::textEdited, this, [=, this](const QString& text) {
            model_.Fields.*hexText = text;
            model_.Fields.*decimalText = HexToDecimalText(text);
            decimal->setText(model_.Fields.*decimalText);
        });
        connect(decimal, &QLineEdit::textEdited, this, [=, this](const QString& text) {
            model_.Fields.*decimalText = text;
            model_.Fields.*hexText = DecimalToHexText(text);
            hex->setText(model_.Fields.*hexText);
        });
    };
    pair(eBufferOffsetHex, eBufferOffsetDec, &LoadFields::BufferOffsetHex,
         &LoadFields::BufferOffsetDecimal);
    pair(eFileOffsetHex, eFileOffsetDec, &LoadFields::FileOffsetHex,
         &LoadFields::FileOffsetDecimal);
    connect(cbFillBefore, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) {
            model_.SetFillBefore(on);
            showFields();
        }
    });
    connect(eFillValue, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.Fields.FillValue = text; });
    connect(cbChecksum, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing_) {
            model_.Fields.ChecksumAfter = on;
        }
    });
}

void TfLoadFile::HandOver(const QString& path) {
    model_.Choose(path);
}

void TfLoadFile::ShowModel() {
    showList();
    showFields();
}

bool TfLoadFile::Execute() {
    ShowModel();
    return exec() == QDialog::Accepted;
}

void TfLoadFile::showList() {
    const QFontMetrics metrics(cbFileName->font());
    const int width = std::max(120, cbFileName->width() - 40);
    cbFileName->clear();
    const RecentList& list = model_.List();
    for (int i = 0; i < kRecentFiles && list[i]; ++i) {
        const QString& path = list[i]->FileName;
        cbFileName->addItem(metrics.elidedText(path, Qt::ElideMiddle, width), path);
        cbFileName->setItemData(i, path, Qt::ToolTipRole);
    }
    cbFileName->setCurrentIndex(model_.Selected());
}

void TfLoadFile::showFields() {
    showing_ = true;
    const bool assign = model_.AssignMode();
    for (QWidget* w : std::initializer_list<QWidget*>{lFormat, cbFormat, peOffset, peOptions}) {
        w->setVisible(!assign);
    }
    const LoadFieldStates states = model_.States();
    const LoadFields& f = model_.Fields;
    cbFormat->setEnabled(states.Format);
    cbFormat->setCurrentIndex(f.Format);
    for (auto [edit, text] : {std::pair{eBufferOffsetHex, &f.BufferOffsetHex},
                              std::pair{eBufferOffsetDec, &f.BufferOffsetDecimal},
                              std::pair{eFileOffsetHex, &f.FileOffsetHex},
                              std::pair{eFileOffsetDec, &f.FileOffsetDecimal}}) {
        edit->setEnabled(states.Offsets);
        edit->setText(*text);
    }
    cbFillBefore->setEnabled(states.Fill);
    cbFillBefore->setChecked(f.FillBefore);
    eFillValue->setEnabled(states.FillValue);
    eFillValue->setText(f.FillValue);
    cbChecksum->setEnabled(states.Checksum);
    cbChecksum->setChecked(f.ChecksumAfter);
    showing_ = false;
}

void TfLoadFile::bNewClick() {
    QFileDialog dialog(this, model_.Caption());
    dialog.setObjectName(QStringLiteral("OpenFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(OpenFileFilters(model_.AssignMode()));
    if (const FileEntryPtr& first = model_.List()[0]) {
        dialog.setDirectory(QFileInfo(first->FileName).absolutePath());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    model_.Choose(dialog.selectedFiles().constFirst());
    showList();
    showFields();
}

void TfLoadFile::accept() {
    const Result accepted = model_.Accept();
    showList();
    showFields();
    if (!accepted.ok) {
        if (!accepted.message.isEmpty()) {
            ShowMessageDialog(this, miWarning, mbOk, accepted.message);
        }
        return;
    }
    if (model_.AssignMode()) {
        message_ = accepted.message;
        QDialog::accept();
        return;
    }
    const Result loaded = loader_ ? loader_(model_.First()) : Result::failure({});
    message_ = loaded.message;
    if (loaded.ok) {
        QDialog::accept();
    }
}

void TfLoadFile::reject() {
    message_ = model_.CancelMessage();
    QDialog::reject();
}

void TfLoadFile::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (isVisible()) {
        showList(); // the paths are shortened to the combo's new width
    }
}

} // namespace zelmo::formats
