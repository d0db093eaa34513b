#pragma once

// The operation area: the place of the operation tabs and their buttons, Run and the
// production-mode button, the progress label and spinner, the memory enables with the pin
// contact check, and the active device's statistics. The active device's name heads it and
// opens the device information when clicked.

#include <QWidget>

#include <array>

class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

namespace zelmo {

class TCaptionPanel;
class THoverLabel;
class TMainCommands;
class TPictureButton;

class TOperationArea : public QWidget {
    Q_OBJECT
public:
    explicit TOperationArea(TMainCommands& commands, QWidget* parent = nullptr);

    // Puts the operation tabs and buttons in their place (the area takes ownership).
    void SetOperationPanel(QWidget* panel);
    QWidget* OperationPanel() const { return panel_; }
    // Puts the serialization panel between the buffers and the statistics (the area takes
    // ownership).
    void SetSerializationPanel(QWidget* panel);
    // The production-mode button: "RC" with hint "Remote control mode" when remote control is
    // configured, otherwise "Auto" with hint "Auto mode".
    void SetProductionMode(bool remoteControl);
    // The progress text and the spinner picture (0-3; -1 hides the spinner).
    void SetProgress(const QString& text, int spinner = -1);
    void SetDeviceName(const QString& text);
    void SetStatistics(std::uint32_t good, std::uint32_t bad);

    TCaptionPanel* peOperations = nullptr;
    THoverLabel* lDeviceName = nullptr;
    TPictureButton* bRun = nullptr;
    TPictureButton* bAuto = nullptr;
    QLabel* lProgress = nullptr;
    QLabel* iSpinner = nullptr;
    std::array<QCheckBox*, 4> cbMemory{}; // cbMemoryA to cbMemoryD
    QCheckBox* cbPinCheck = nullptr;
    QLabel* lGood = nullptr;
    QLabel* lBad = nullptr;
    QLabel* lTotal = nullptr;
    TPictureButton* bStatClear = nullptr;

private:
    QVBoxLayout* panelPlace_ = nullptr;
    QHBoxLayout* bottom_ = nullptr;
    QWidget* panel_ = nullptr;
};

} // namespace zelmo
