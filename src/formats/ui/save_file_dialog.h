#pragma once

// TfSaveFile, the save dialog ("Save file"): the format to write and "Optimize". OK opens the
// system's save dialog with the chosen format's filter, takes the name, and saves through the
// caller's saver, which runs the file worker under the busy window. A failed save keeps the
// dialog open.

#include "formats/file_engine.h"
#include "platform/result.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace zelmo::formats {

class TfSaveFile : public QDialog {
    Q_OBJECT
public:
    // Saves with the engine's SaveName, SaveType and Optimize set; its result's message is the
    // engine's (shown by the saver on failure).
    using Saver = std::function<Result(TFile& engine)>;

    // `startFormat` indexes SaveFormats(); `folder` is where the system dialog starts.
    TfSaveFile(TFile& engine, int startFormat, QString folder, Saver saver,
               QWidget* parent = nullptr);

    // Shows the dialog modally; true when the file was saved.
    bool Execute();
    // The engine's message, or "File saving cancelled.".
    const QString& Message() const { return message_; }
    FileFormat Format() const;

    QComboBox* cbFormat = nullptr;
    QCheckBox* cbOptimize = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

protected:
    void accept() override;
    void reject() override;

private:
    void showOptimize();

    TFile& engine_;
    QString folder_;
    Saver saver_;
    QString message_;
};

} // namespace zelmo::formats
