#pragma once

// The serialization dialog for the active device: the choice of numbering, the number's form
// (binary or ASCII, order, system, length), address, start and step, and the serialization file
// with Open and Save. It works on the device's record: Open and Save change it at once, OK
// applies the choice; every rule comes from CSerializationSetup.

#include "serialization/serialization_setup.h"

#include <QDialog>

#include <functional>
#include <memory>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zelmo {

class TElidedLabel;

struct SerializationDialogContext {
    std::uint64_t MemorySizeA = 0;
    bool ProjectHasDevices = true;
    // The file dialogs: the chosen path, or empty when cancelled. Empty functions use the
    // platform's dialogs.
    std::function<QString(QWidget* parent)> ChooseOpenFile;
    std::function<QString(QWidget* parent)> ChooseSaveFile;
};

class TfSerialization : public QDialog {
    Q_OBJECT
public:
    TfSerialization(CSerialization& record, SerializationDialogContext context,
                    QWidget* parent = nullptr);
    ~TfSerialization() override;

    const CSerializationSetup& Setup() const { return *setup_; }

    QRadioButton* rbDisabled = nullptr;
    QRadioButton* rbGenNumbers = nullptr;
    QRadioButton* rbGetNumbersFromFile = nullptr;
    QRadioButton* rbBarcode = nullptr;
    QGroupBox* peNumbers = nullptr;
    QGroupBox* peDataFile = nullptr;
    QGroupBox* peProjectFile = nullptr;
    QRadioButton* rbBinary = nullptr;
    QRadioButton* rbAscii = nullptr;
    QRadioButton* rbMsbFirst = nullptr;
    QRadioButton* rbLsbFirst = nullptr;
    QRadioButton* rbHex = nullptr;
    QRadioButton* rbDec = nullptr;
    QComboBox* cbLength = nullptr;
    QLineEdit* eAddress = nullptr;
    QLabel* lAddressRange = nullptr;
    QLineEdit* eStartValue = nullptr;
    QLineEdit* eStep = nullptr;
    QLabel* lStartSuffix = nullptr;
    QLabel* lStepSuffix = nullptr;
    TElidedLabel* lFileName = nullptr;
    QPushButton* bOpen = nullptr;
    QPushButton* bSave = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

    void bOpenClick();
    // Save: false when no file was chosen or it could not be written (the record is unchanged).
    bool bSaveClick();
    void bOkClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Load();
    void ShowFields();
    void Refresh();
    SerialFieldTexts Texts() const;

    CSerialization& record_;
    SerializationDialogContext context_;
    std::unique_ptr<CSerializationSetup> setup_;
    bool showing_ = false; // the dialog is writing its own fields
};

} // namespace zelmo
