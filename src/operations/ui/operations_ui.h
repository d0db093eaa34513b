#pragma once

// The device operations in the main window: makes the operation engine (COperations) with the
// window's log, dialogs and busy window as its host, puts the operation tabs and the gang
// panels into the window's places, connects Run (Ctrl+Space), Auto, the statistics commands and
// Escape, drives the engine from the window's progress timer, and repaints the views the
// engine names after every change. The window makes one of these and tells it when start-up has
// found the programmers and when it shuts down.

#include "operations/execution/operations.h"
#include "project/executor.h"

#include <QObject>

#include <functional>
#include <memory>

class QMenu;
class QTimer;

namespace zelmo {

class TfMain;
class TGangView;
class TOperationPanel;
class TProjectTree;

class TOperationsUi : public QObject {
    Q_OBJECT
public:
    explicit TOperationsUi(TfMain& window);
    ~TOperationsUi() override;

    // Start-up has opened the programmers (or found none): the engine takes them over.
    void Started();
    // Stops production and waits for every operation thread, before the libraries go.
    void Shutdown();

    COperations& Operations() { return *operations_; }
    TOperationPanel* Panel() const { return panel_; }
    TGangView* GangView() const { return gang_; }

    // The pin-check result display: called with the device slot after an interactive
    // operation ended with a failed pin check; it shows that device's PinCheckResult modally
    // (the in-circuit view for kind 'I', else the socket view). Without one a failed pin check
    // is only reported in the log.
    using PinCheckDisplay = std::function<void(int device)>;
    void SetPinCheckDisplay(PinCheckDisplay show) { pinCheckView_ = std::move(show); }

    // Fills the tree's "Assign Programmer" submenu from the programmers on every opening.
    // Started() does this for the tree the window holds by then.
    void AttachProjectTree(TProjectTree& tree);

    // "Assign Programmer" for the device node of `device`: rebuilds `menu` with one checkable
    // item per programmer (the last one first); false when the item is hidden (exactly one
    // programmer attached).
    bool FillAssignMenu(QMenu& menu, int device);

private:
    void RefreshViews(int device, unsigned views);
    void RefreshButtons();
    void RefreshProgress();
    void RefreshGlobalStatistics();
    void ShowProductionPicture(int picture);

    TfMain& window_;
    CMainThreadExecutor executor_;
    std::unique_ptr<COperations> operations_;
    TOperationPanel* panel_ = nullptr;
    TGangView* gang_ = nullptr;
    PinCheckDisplay pinCheckView_;
    QTimer* refreshLater_ = nullptr;
};

} // namespace zelmo
