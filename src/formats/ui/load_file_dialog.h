#pragma once

// TfLoadFile, the load dialog ("Load file", or "Assign file" for a memory that does not exist):
// the recent files of the memory with "New", the format and, for loading, the offsets and the
// options. It shows what its model (CLoadDialogModel) says and hands the user's input back; OK
// loads through the caller's loader, which runs the file worker under the busy window. A failed
// load keeps the dialog open.

#include "formats/load_dialog_model.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zelmo::formats {

class TfLoadFile : public QDialog {
    Q_OBJECT
public:
    // Loads the entry; its result's message is the engine's (shown by the loader on failure).
    using Loader = std::function<Result(const FileEntryPtr& entry)>;

    TfLoadFile(const RecentList& recent, std::uint64_t memorySize, Loader loader,
               QWidget* parent = nullptr);

    // A file dropped on the main window: chosen, or added at the front of the list.
    void HandOver(const QString& path);
    // Fills the file list and the fields from the model (Execute does it before it shows).
    void ShowModel();
    // Shows the dialog modally; true when the file was loaded or assigned.
    bool Execute();

    CLoadDialogModel& Model() { return model_; }
    // "File assigned.", the engine's message, or the cancel message.
    const QString& Message() const { return message_; }

    void bNewClick();

    QComboBox* cbFileName = nullptr;
    QPushButton* bNew = nullptr;
    QLabel* lFormat = nullptr;
    QComboBox* cbFormat = nullptr;
    QGroupBox* peOffset = nullptr;
    QLineEdit* eBufferOffsetHex = nullptr;
    QLineEdit* eBufferOffsetDec = nullptr;
    QLineEdit* eFileOffsetHex = nullptr;
    QLineEdit* eFileOffsetDec = nullptr;
    QGroupBox* peOptions = nullptr;
    QCheckBox* cbFillBefore = nullptr;
    QLineEdit* eFillValue = nullptr;
    QCheckBox* cbChecksum = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

protected:
    void accept() override;
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showList();
    void showFields();
    void readFields();

    CLoadDialogModel model_;
    Loader loader_;
    QString message_;
    bool showing_ = false; // the fields are being filled from the model
};

} // namespace zelmo::formats
