#pragma once

// The project in the main window: the project tree, the project and device commands of the
// project and device bars (add and remove devices and data sets, new, open and save, device
// information and setup), the memory enables, the description box, and the store and restore
// of the working project. It builds the model-level commands over the main window's message
// dialog, log and status line, and connects them to the window's actions.

#include "persistence/project_file/project_file.h"
#include "project/commands/project_commands.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

namespace zelmo {

class TfMain;
class TProjectTree;

class TProjectUi : public QObject {
    Q_OBJECT
public:
    explicit TProjectUi(TfMain& window);
    ~TProjectUi() override;

    TProjectTree* Tree() const { return tvDevices; }
    CProjectCommands& Commands() { return *commands_; }
    CProjectFile& ProjectFile() { return *file_; }
    // Where the add commands learn the free space of the swap folder's volume (the system's
    // answer unless replaced, e.g. to try a nearly full disk).
    using FreeSpace = std::function<std::int64_t(const QString& folder)>;
    void SetFreeSpace(FreeSpace freeSpace) { freeSpace_ = std::move(freeSpace); }

    // The handlers of the main window's actions.
    void miOpenProjectClick();
    void miSaveProjectClick();
    void miSaveProjectAsClick();
    void miDeviceInfoClick();
    void miDeviceSetupOptClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CDeviceLibrary Library() const;
    void Connect();
    void ShowDescription();
    void RefreshProjectName();
    void RefreshSetupMenu();
    void SelectionMade();

    TfMain& window_;
    std::unique_ptr<CProjectCommands> commands_;
    std::unique_ptr<CProjectFile> file_;
    TProjectTree* tvDevices = nullptr;
    FreeSpace freeSpace_;
};

} // namespace zelmo
