#include "app/ui/main_commands.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace zelmo {

namespace {

QAction* Command(QWidget* window, const QString& caption, const QString& hint = {}) {
    auto* action = new QAction(caption, window);
    action->setToolTip(hint.isEmpty() ? caption : hint);
    window->addAction(action); // shortcuts work wherever the focus is in the window
    return action;
}

QMenu* Menu(QWidget* window, std::initializer_list<QAction*> items) {
    auto* menu = new QMenu(window);
    for (QAction* item : items) {
        menu->addAction(item);
    }
    return menu;
}

} // namespace

TMainCommands::TMainCommands(QWidget* window) : QObject(window) {
    miCreateNewProject = Command(window, tr("Create new project"));
    miIdentifyCard = Command(window, tr("Identify CompactFlash card"));
    miEraseCard = Command(window, tr("Erase CompactFlash card"));
    miOpenProject = Command(window, tr("Open from disk"));
    miOpenProject->setShortcut(QKeySequence::Open);
    miReadFromCard = Command(window, tr("Read from card"));
    miSaveProject = Command(window, tr("Save to disk"));
    miSaveProject->setShortcut(QKeySequence::Save);
    miSaveProjectAs = Command(window, tr("Save to disk as..."));
    miSaveToCard = Command(window, tr("Save to card"));
    miOptions = Command(window, tr("Options"), tr("Main program setup"));
    miHelp = Command(window, tr("Help"));
    miHelp->setShortcut(QKeySequence::HelpContents);
    miAbout = Command(window, tr("About"));
    miClose = Command(window, tr("Close application"));

    miAddDevice = Command(window, tr("Add device"));
    miAddDevice->setShortcut(QKeySequence(Qt::Key_Insert));
    miRemoveDevice = Command(window, tr("Remove device"));
    miDeviceSetup = Command(window, tr("Device setup"));
    miDeviceHelp = Command(window, tr("Device help"));
    miDeviceInfo = Command(window, tr("Device info"));
    miEditAdapter = Command(window, tr("Edit adapter"));
    miChangeAdapter = Command(window, tr("Change adapter"));
    miSerialization = Command(window, tr("Serialization"));
    miBufferOptions = Command(window, tr("Buffer options"));
    miLinkDevices = Command(window, tr("Link devices"), tr("Link identical devices"));
    miLinkDevices->setCheckable(true);

    miRun = Command(window, tr("Run"), tr("Run the operations of the tab (Ctrl+Space)"));
    miRun->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Space));
    miAuto = Command(window, tr("Auto"), tr("Auto mode"));
    miStatClear = Command(window, tr("Clear"), tr("Clear statistics"));
    miGlobalStatClear = Command(window, tr("Clear"), tr("Clear global statistics"));

    pmNew = Menu(window, {miCreateNewProject, miIdentifyCard, miEraseCard});
    pmOpen = Menu(window, {miOpenProject, miReadFromCard});
    pmSave = Menu(window, {miSaveProject, miSaveProjectAs, miSaveToCard});
    pmHelp = Menu(window, {miHelp, miAbout});
    pmSetup = Menu(window, {miDeviceSetup, miDeviceHelp, miDeviceInfo, miEditAdapter,
                            miChangeAdapter, miSerialization});
}

TMainCommands::~TMainCommands() = default;

} // namespace zelmo
