#include "serialization/ui/serialization_dialog.h"

#include "app/ui/message_dialog.h"
#include "controls/ui/elided_label.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zelmo {

namespace {

const QString kFilter = QStringLiteral("Serialization files (*.ini)");

QRadioButton* Radio(const QString& text, const char* name, QButtonGroup* group) {
    auto* b = new QRadioButton(text);
    b->setObjectName(QLatin1String(name));
    group->addButton(b);
    return b;
}

QLineEdit* NumberEdit(const char* name) {
    auto* e = new QLineEdit;
    e->setObjectName(QLatin1String(name));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    e->setFont(mono);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000000")) + 16);
    e->setMaxLength(20);
    return e;
}

} // namespace

TfSerialization::TfSerialization(CSerialization& record, SerializationDialogContext context,
                                 QWidget* parent)
    : QDialog(parent), record_(record), context_(std::move(context)) {
    setWindowTitle(QStringLiteral("Serialization"));
    setObjectName(QStringLiteral("fSerialization"));

    auto* kind = new QButtonGroup(this);
    rbDisabled = Radio(QStringLiteral("Disabled"), "rbDisabled", kind);
    rbGenNumbers = Radio(QStringLiteral("Generate numbers (increment)"), "rbGenNumbers", kind);
    rbGetNumbersFromFile =
        Radio(QStringLiteral("Get numbers from file"), "rbGetNumbersFromFile", kind);
    rbBarcode = Radio(QStringLiteral("Get number from Barcode Reader"), "rbBarcode", kind);
    // Present, not offered: no reading of numbers from a data file or a reader is defined.
    rbGetNumbersFromFile->setEnabled(false);
    rbBarcode->setEnabled(false);
    auto* peKind = new QGroupBox(QStringLiteral(" Serialization "));
    auto* kindLayout = new QGridLayout(peKind);
    kindLayout->addWidget(rbDisabled, 0, 0);
    kindLayout->addWidget(rbGenNumbers, 1, 0);
    kindLayout->addWidget(rbGetNumbersFromFile, 0, 1);
    kindLayout->addWidget(rbBarcode, 1, 1);

    auto* mode = new QButtonGroup(this);
    rbBinary = Radio(QStringLiteral("Binary"), "rbBinary", mode);
    rbAscii = Radio(QStringLiteral("ASCII"), "rbAscii", mode);
    auto* order = new QButtonGroup(this);
    rbMsbFirst = Radio(QStringLiteral("MSB first"), "rbMsbFirst", order);
    rbLsbFirst = Radio(QStringLiteral("LSB first"), "rbLsbFirst", order);
    auto* system = new QButtonGroup(this);
    rbHex = Radio(QStringLiteral("Hex (0 - F)"), "rbHex", system);
    rbDec = Radio(QStringLiteral("Dec (0 - 9)"), "rbDec", system);
    cbLength = new QComboBox;
    cbLength->setObjectName(QStringLiteral("cbLength"));
    cbLength->setMinimumWidth(60);
    eAddress = NumberEdit("eAddress");
    eAddress->setMaxLength(8);
    eStartValue = NumberEdit("eStartValue");
    eStep = NumberEdit("eStep");
    lAddressRange = new QLabel;
    lAddressRange->setObjectName(QStringLiteral("lAddressRange"));
    lStartSuffix = new QLabel(QStringLiteral("h"));
    lStepSuffix = new QLabel(QStringLiteral("h"));

    peNumbers = new QGroupBox(QStringLiteral(" Numbers "));
    auto* numbers = new QGridLayout(peNumbers);
    numbers->setColumnStretch(4, 1);
    auto* choices = new QHBoxLayout;
    for (const auto& [a, b] : {std::pair{rbBinary, rbAscii}, std::pair{rbMsbFirst, rbLsbFirst},
                               std::pair{rbHex, rbDec}}) {
        auto* column = new QVBoxLayout;
        column->addWidget(a);
        column->addWidget(b);
        choices->addLayout(column);
        choices->addSpacing(12);
    }
    auto* length = new QVBoxLayout;
    length->addWidget(new QLabel(QStringLiteral("Length:")));
    length->addWidget(cbLength);
    choices->addLayout(length);
    choices->addStretch(1);
    numbers->addLayout(choices, 0, 0, 1, 5);
    numbers->addWidget(new QLabel(QStringLiteral("Address:")), 1, 0);
    numbers->addWidget(eAddress, 1, 1);
    numbers->addWidget(new QLabel(QStringLiteral("h")), 1, 2);
    auto* range = new QHBoxLayout;
    range->addWidget(lAddressRange);
    range->addSpacing(8);
    range->addWidget(new QLabel(QStringLiteral("Buffer A only.")));
    range->addStretch(1);
    numbers->addLayout(range, 1, 3, 1, 2);
    numbers->addWidget(new QLabel(QStringLiteral("Start value:")), 2, 0);
    numbers->addWidget(eStartValue, 2, 1);
    numbers->addWidget(lStartSuffix, 2, 2);
    numbers->addWidget(new QLabel(QStringLiteral("Step:")), 3, 0);
    numbers->addWidget(eStep, 3, 1);
    numbers->addWidget(lStepSuffix, 3, 2);

    peDataFile = new QGroupBox(QStringLiteral(" Data file "));
    auto* dataFile = new QHBoxLayout(peDataFile);
    auto* dataFileName = new TElidedLabel;
    dataFileName->SetField(true);
    dataFileName->SetFullText(QStringLiteral("none"));
    dataFile->addWidget(dataFileName);

    peProjectFile = new QGroupBox;
    peProjectFile->setObjectName(QStringLiteral("peProjectFile"));
    lFileName = new TElidedLabel(Qt::ElideLeft);
    lFileName->setObjectName(QStringLiteral("lFileName"));
    lFileName->SetField(true);
    lFileName->setMinimumWidth(260);
    bOpen = new QPushButton(QStringLiteral("Open"));
    bSave = new QPushButton(QStringLiteral("Save"));
    auto* projectFile = new QHBoxLayout(peProjectFile);
    projectFile->addWidget(lFileName, 1);
    projectFile->addWidget(bOpen);
    projectFile->addWidget(bSave);

    bOK = new QPushButton(QStringLiteral("OK"));
    bCancel = new QPushButton(QStringLiteral("Cancel"));
    // Enter closes the dialog without the OK step, like Cancel: no button is the default.
    for (QPushButton* b : {bOpen, bSave, bOK, bCancel}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(80);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bOK);
    buttons->addWidget(bCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(peKind);
    layout->addWidget(peNumbers);
    layout->addWidget(peDataFile);
    layout->addWidget(peProjectFile);
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (QLineEdit* e : {eAddress, eStartValue, eStep}) {
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this] {
            setup_->FieldEdited();
            Refresh();
        });
    }
    connect(eAddress, &QLineEdit::editingFinished, this, [this] {
        setup_->LeaveAddress(eAddress->text());
        ShowFields();
    });
    connect(eStartValue, &QLineEdit::editingFinished, this, [this] {
        setup_->LeaveStart(eStartValue->text());
        ShowFields();
    });
    connect(eStep, &QLineEdit::editingFinished, this, [this] {
        setup_->LeaveStep(eStep->text());
        ShowFields();
    });
    connect(rbDisabled, &QRadioButton::clicked, this, [this] {
        setup_->ChooseDisabled();
        Refresh();
    });
    connect(rbGenNumbers, &QRadioButton::clicked, this, [this] {
        setup_->ChooseGenerate();
        Refresh();
    });
    connect(rbAscii, &QRadioButton::clicked, this, [this] {
        setup_->ChooseAscii(Texts());
        ShowFields();
    });
    connect(rbBinary, &QRadioButton::clicked, this, [this] {
        setup_->ChooseBinary(Texts());
        ShowFields();
    });
    connect(rbHex, &QRadioButton::clicked, this, [this] {
        setup_->ChooseSystem(true, Texts());
        ShowFields();
    });
    connect(rbDec, &QRadioButton::clicked, this, [this] {
        setup_->ChooseSystem(false, Texts());
        ShowFields();
    });
    connect(rbMsbFirst, &QRadioButton::clicked, this, [this] {
        setup_->ChooseOrder(true);
        Refresh();
    });
    connect(rbLsbFirst, &QRadioButton::clicked, this, [this] {
        setup_->ChooseOrder(false);
        Refresh();
    });
    connect(cbLength, &QComboBox::activated, this, [this](int index) {
        setup_->ChooseLength(index, Texts());
        ShowFields();
    });
    connect(bOpen, &QPushButton::clicked, this, &TfSerialization::bOpenClick);
    connect(bSave, &QPushButton::clicked, this, [this] { bSaveClick(); });
    connect(bOK, &QPushButton::clicked, this, &TfSerialization::bOkClick);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);

    Load();
}

TfSerialization::~TfSerialization() = default;

void TfSerialization::Load() {
    if (!record_.FileName.isEmpty()) {
        QString message;
        if (!record_.LoadFromFile(&message)) {
            QMessageBox::critical(this, QStringLiteral("Error"), message);
        }
    } else {
        record_.Reset();
    }
    setup_ = std::make_unique<CSerializationSetup>(record_, context_.MemorySizeA);
    ShowFields();
}

SerialFieldTexts TfSerialization::Texts() const {
    return {eAddress->text(), eStartValue->text(), eStep->text()};
}

void TfSerialization::ShowFields() {
    showing_ = true;
    const CSerializationSetup& s = *setup_;
    rbDisabled->setChecked(s.Choice == SerialChoice::Disabled);
    rbGenNumbers->setChecked(s.Choice == SerialChoice::Generate);
    rbGetNumbersFromFile->setChecked(s.Choice == SerialChoice::FromFile);
    (s.Binary ? rbBinary : rbAscii)->setChecked(true);
    (s.Msb ? rbMsbFirst : rbLsbFirst)->setChecked(true);
    (s.Hex ? rbHex : rbDec)->setChecked(true);
    if (cbLength->count() != s.LengthCount()) {
        cbLength->clear();
        for (int i = 1; i <= s.LengthCount(); ++i) {
            cbLength->addItem(QString::number(i));
        }
    }
    cbLength->setCurrentIndex(s.Length - 1);
    eAddress->setText(s.AddressText());
    eStartValue->setText(s.StartText());
    eStep->setText(s.StepText());
    showing_ = false;
    Refresh();
}

void TfSerialization::Refresh() {
    const CSerializationSetup& s = *setup_;
    peNumbers->setVisible(s.NumberPanelVisible());
    peDataFile->setVisible(s.DataFilePanelVisible());
    bSave->setEnabled(s.SaveEnabled());
    peProjectFile->setTitle(s.ProjectPanelCaption());
    peProjectFile->setStyleSheet(s.ProjectPanelRed()
                                     ? QStringLiteral("QGroupBox#peProjectFile { color: red; }")
                                     : QStringLiteral("QGroupBox#peProjectFile { color: black; }"));
    lFileName->SetFullText(s.FileBoxText());
    lAddressRange->setText(s.AddressRangeText());
    lStartSuffix->setVisible(s.HexSuffixVisible());
    lStepSuffix->setVisible(s.HexSuffixVisible());
    adjustSize();
}

bool TfSerialization::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    auto* edit = qobject_cast<QLineEdit*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    if (edit == nullptr || key->text().size() != 1) {
        return true; // every other key is dropped
    }
    const QChar typed = key->text().at(0);
    const std::optional<QChar> kept =
        edit == eAddress ? setup_->FilterAddressKey(typed) : setup_->FilterNumberKey(typed);
    if (kept && !edit->isReadOnly()) {
        edit->insert(QString(*kept));
        emit edit->textEdited(edit->text());
    }
    return true;
}

void TfSerialization::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfSerialization::bOpenClick() {
    const QString file =
        context_.ChooseOpenFile
            ? context_.ChooseOpenFile(this)
            : QFileDialog::getOpenFileName(this, QStringLiteral("Open"), record_.FileName, kFilter);
    if (file.isEmpty()) {
        return;
    }
    const QString oldName = record_.FileName;
    const std::uint8_t oldEnabled = record_.Enabled;
    record_.FileName = file;
    record_.Enabled = 1;
    QString message;
    if (!record_.LoadFromFile(&message)) {
        // The record keeps the file it had: numbering must not go on with a file it cannot read.
        record_.FileName = oldName;
        record_.Enabled = oldEnabled;
        QMessageBox::critical(this, QStringLiteral("Error"), message);
        return;
    }
    setup_ = std::make_unique<CSerializationSetup>(record_, context_.MemorySizeA);
    ShowFields();
}

bool TfSerialization::bSaveClick() {
    QString file =
        context_.ChooseSaveFile
            ? context_.ChooseSaveFile(this)
            : QFileDialog::getSaveFileName(this, QStringLiteral("Save"), record_.FileName, kFilter);
    if (file.isEmpty()) {
        return false;
    }
    if (QFileInfo(file).suffix().isEmpty()) {
        file += QStringLiteral(".ini");
    }
    // The record changes only when its file was written, so the numbering never points at a
    // file that does not hold it.
    CSerialization saved = record_;
    CSerializationSetup setup = *setup_;
    setup.StoreInto(saved, file, Texts());
    QString message;
    if (!saved.SaveToFile(&message)) {
        QMessageBox::critical(this, QStringLiteral("Error"), message);
        return false;
    }
    record_ = saved;
    *setup_ = setup;
    ShowFields();
    return true;
}

void TfSerialization::bOkClick() {
    const bool modified = setup_->Modified;
    if (modified &&
        ShowMessageDialog(this, miQuestion, mbOkCancel,
                          QStringLiteral("Serialization parameters modified but not saved.\nPress "
                                         "OK to save project.")) != mrOk) {
        return;
    }
    if (context_.ProjectHasDevices) {
        if (setup_->Choice == SerialChoice::Disabled) {
            record_.Enabled = 0;
            record_.FileName.clear();
        } else if (modified && !bSaveClick()) {
            return; // no file was written: the dialog stays open with the changes
        }
    }
    accept();
}

} // namespace zelmo
