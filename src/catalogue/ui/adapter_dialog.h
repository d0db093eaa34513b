#pragma once

// The adapter creator: a field per ZIF socket pin laid out like the socket (pins 1 to 24 down
// the left, 48 to 25 down the right) with its plug pin label, the two pin counts, New, Open and
// Save, the scan controls and OK/Cancel. Every rule comes from CAdapterCreator; the scan runs on
// TAdapterThread, which reaches this dialog only through its requests and synchronised steps.

#include "catalogue/adapter_creator_model.h"
#include "project/executor.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zelmo {

class TAdapterThread;
class TElidedLabel;

struct AdapterDialogContext {
    QString AppDir;
    // Ports of the attached programmers (empty: no Start) and the active device's slot.
    std::vector<int> Ports;
    int ActiveSlot = 0;
    // The active device's pin count when opened from the main window with devices.
    std::optional<int> DevicePinCount;
    // Where Save starts: the active device's adapter path, when the project holds devices.
    QString SaveFolder;
    // Prepares a programmer for the scan (_ZmInitHardware); on failure it reports the library's
    // messages itself and returns false.
    std::function<bool(int port)> InitHardware;
    // The file dialogs: the chosen path, or empty when cancelled. Empty functions use the
    // platform's dialogs.
    std::function<QString(QWidget* parent, const QString& start)> ChooseOpenFile;
    std::function<QString(QWidget* parent, const QString& start)> ChooseSaveFile;
    // How long the scan waits between two reads of the socket.
    int ScanIntervalMs = 200;
};

class TfAdapter : public QDialog {
    Q_OBJECT
public:
    TfAdapter(AdapterDialogContext context, const QString& path,
              const std::array<std::uint8_t, kAdapterImageSize>& image, QWidget* parent = nullptr);
    ~TfAdapter() override;

    // What the caller reads after the dialog closed.
    const CAdapterCreator& Creator() const { return creator_; }
    QString CurrentFile() const { return creator_.Path; }

    std::array<QLineEdit*, kZifPins> ePin{};
    std::array<QLabel*, kZifPins> lPlugPin{};
    QLineEdit* eAdapterPins = nullptr;
    QLineEdit* eDevicePins = nullptr;
    TElidedLabel* lFileName = nullptr;
    QLabel* stDevicePin = nullptr;
    QPushButton* bNew = nullptr;
    QPushButton* bOpen = nullptr;
    QPushButton* bSave = nullptr;
    QPushButton* bScanStart = nullptr;
    QPushButton* bScanStop = nullptr;
    QPushButton* bAccept = nullptr;
    QPushButton* bPrevious = nullptr;
    QPushButton* bNext = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

    void bNewClick();
    void bOpenClick();
    void bSaveClick();
    void bOkClick();
    void bCancelClick();
    void bScanStartClick();
    void bScanStopClick();

    bool Scanning() const { return creator_.Scanning; }
    // Validates the fields as Save and OK do and shows the bad ones red; true when valid.
    bool ValidateFields();

signals:
    // The scan thread has ended and the controls are restored.
    void scanEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Show();
    void ShowFields();
    void ShowControls();
    bool ScanKey(int key);
    void FinishScan();

    AdapterDialogContext context_;
    CAdapterCreator creator_;
    CMainThreadExecutor executor_;
    std::unique_ptr<TAdapterThread> scan_;
    bool showing_ = false;
};

} // namespace zelmo
