#pragma once

// Serialization in the main window: the panel with the active device's mode, value and file,
// and the device menu's "Serialization" command, which opens the dialog, refreshes the panel
// and reports the outcome in the log and the status line.

#include <QGroupBox>

class QLabel;

namespace zelmo {

class CSerialization;
class TElidedLabel;
class TfMain;

class TSerializationPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit TSerializationPanel(QWidget* parent = nullptr);
    // Shows a device's record (null: no device).
    void Show(const CSerialization* record);

    QLabel* lMode = nullptr;
    QLabel* lValue = nullptr;
    TElidedLabel* lFile = nullptr;
};

class TSerializationCommands : public QObject {
    Q_OBJECT
public:
    // Puts the panel into the window's operation area, registers its refresh and connects the
    // "Serialization" command.
    explicit TSerializationCommands(TfMain& window);

    TSerializationPanel* Panel() const { return panel_; }
    void miSerializationClick();
    void Refresh();

private:
    TfMain& window_;
    TSerializationPanel* panel_ = nullptr;
};

} // namespace zelmo
