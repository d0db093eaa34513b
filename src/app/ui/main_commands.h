#pragma once

// Every command of the main window as an action, with the menus of the project and device
// bars. The bars show them as buttons; the issues that implement a command connect to its
// action's triggered() signal, and the command states set their enabled state.

#include <QObject>

class QAction;
class QMenu;

namespace zelmo {

class TMainCommands : public QObject {
    Q_OBJECT
public:
    explicit TMainCommands(QWidget* window);
    ~TMainCommands() override;

    // Project bar. "New" offers the card commands only when every programmer can read cards.
    QAction* miCreateNewProject = nullptr;
    QAction* miIdentifyCard = nullptr;
    QAction* miEraseCard = nullptr;
    QAction* miOpenProject = nullptr; // "Open from disk"
    QAction* miReadFromCard = nullptr;
    QAction* miSaveProject = nullptr; // "Save to disk"
    QAction* miSaveProjectAs = nullptr;
    QAction* miSaveToCard = nullptr;
    QAction* miOptions = nullptr;
    QAction* miHelp = nullptr;
    QAction* miAbout = nullptr;
    QAction* miClose = nullptr; // "Close application"

    // Device bar.
    QAction* miAddDevice = nullptr;
    QAction* miRemoveDevice = nullptr;
    QAction* miDeviceSetup = nullptr;
    QAction* miDeviceHelp = nullptr;
    QAction* miDeviceInfo = nullptr;
    QAction* miEditAdapter = nullptr;
    QAction* miChangeAdapter = nullptr;
    QAction* miSerialization = nullptr;
    QAction* miBufferOptions = nullptr; // bFile
    QAction* miLinkDevices = nullptr;   // iLinkDevices, checkable

    // Operation area.
    QAction* miRun = nullptr;  // Ctrl+Space
    QAction* miAuto = nullptr; // "Auto" or "RC"
    QAction* miStatClear = nullptr;
    QAction* miGlobalStatClear = nullptr;

    QMenu* pmNew = nullptr;
    QMenu* pmOpen = nullptr;
    QMenu* pmSave = nullptr;
    QMenu* pmHelp = nullptr;
    QMenu* pmSetup = nullptr;
};

} // namespace zelmo
