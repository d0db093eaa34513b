#pragma once

// tvDevices: the project tree of the main window. Devices are top-level nodes and their data sets
// the children; every node is painted from the tree rules of the project model (texts, colours,
// the expander box, the bold position, the selected-data-set triangle). The tree follows the
// project notifier and forwards clicks, double clicks, renames and its three pop-up menus to the
// project commands.

#include <QTreeWidget>

#include <functional>

class QAction;
class QMenu;

namespace zelmo {

class CProjectCommands;
class TProject;

class TProjectTree : public QTreeWidget {
    Q_OBJECT
public:
    TProjectTree(TProject& project, CProjectCommands& commands, QWidget* parent = nullptr);

    // Fills the "Assign Programmer" submenu for a device before the device menu opens.
    using AssignMenuFiller = std::function<void(QMenu* menu, int device)>;
    void SetAssignMenuFiller(AssignMenuFiller filler) { assignFiller_ = std::move(filler); }

    // Builds the nodes anew from the project (after a restore or a card read).
    void Rebuild();

    // What a right click at a point of the viewport offers: it selects the node under it (as a
    // left click would) and returns the menu with its entries enabled, or null.
    QMenu* MenuAt(const QPoint& viewportPos);
    // Where the device node's indent ends: a right click left of it offers the tree menu.
    static constexpr int kIndentWidth = 18;

    QMenu* pmDevice = nullptr;
    QMenu* pmDataSet = nullptr;
    QMenu* pmTreeView = nullptr;
    QMenu* pmDeviceOut = nullptr;
    QAction* miAddDataSet = nullptr;
    QAction* miRemoveDevice = nullptr;
    QMenu* miAssignProgrammer = nullptr;
    QAction* miMoveDeviceUp = nullptr;
    QAction* miMoveDeviceDown = nullptr;
    QAction* miSetActiveDataSet = nullptr;
    QAction* miRenameDataSet = nullptr;
    QAction* miRemoveDataSet = nullptr;
    QAction* miCollapseAll = nullptr;
    QAction* miExpandAll = nullptr;
    QAction* miAddDevice = nullptr;

signals:
    // The user chose another device or data set: the main window refreshes its views.
    void selectionChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void CreateMenus();
    void ConnectNotifier();
    void SyncCounts();
    void UpdateLabels();
    void FollowSelection();
    // Device and data-set index of an item; dataSet -1 for a device node.
    static void IndexesOf(const QTreeWidgetItem* item, int& device, int& dataSet);
    // Applies a left click on an item; false when the model ignored it.
    bool ClickItem(QTreeWidgetItem* item);
    void RenameEdited(int device, int dataSet, const QString& text);

    friend class TProjectTreeDelegate;
    TProject& project_;
    CProjectCommands& commands_;
    AssignMenuFiller assignFiller_;
    int menuDevice_ = -1;
};

} // namespace zelmo
