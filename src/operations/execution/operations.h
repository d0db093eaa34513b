#pragma once

// COperations: the main window's side of every device operation, without widgets. It starts
// and stops the operation threads (Run, the Single tab, Auto and remote-control production),
// runs their six update steps on the main thread, polls the programmers' progress, keeps the
// programmer assignment and the gang panels' cleared flags, and tells the views what changed
// through its signals. Questions and message boxes go to the host's callbacks, so the same
// engine runs under a QCoreApplication in tests.

#include "app/log_kind.h"
#include "operations/execution/execute_thread.h"
#include "operations/execution/gang_panels.h"
#include "operations/execution/programmers.h"
#include "operations/execution/run_rules.h"
#include "operations/hardware_binding.h"
#include "operations/remote_binding.h"
#include "platform/progress.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QThread;

namespace zelmo {

class CExecutor;
class TProject;

// Where the operations report to the user. Every member may be empty: log lines and messages
// are then dropped and questions answered No.
struct OperationHost {
    // AddLog: a header kind names the device of its slot; the text is used by text kinds.
    std::function<void(LogKind kind, const QString& text)> Log;
    // The message dialog with the warning icon and OK.
    std::function<void(const QString& text)> ShowMessage;
    // The error box titled "Error".
    std::function<void(const QString& text)> ShowError;
    // The message dialog with the question icon, Yes and No; true for Yes.
    std::function<bool(const QString& question)> Ask;
    // The pin-check view of a device (its PinCheckResult), shown modally.
    std::function<void(int device)> ShowPinCheck;
    // Runs a file worker while the busy window shows its progress; empty: the worker runs
    // with the event loop kept going, without a window.
    std::function<void(QThread& worker, const Progress& progress)> RunBusy;
};

// What a change touches; the views repaint the parts named.
enum OperationView : unsigned {
    ViewTree = 0x001,          // the project tree
    ViewLights = 0x002,        // the lights of the device's gang panel
    ViewProgress = 0x004,      // progress labels and bars
    ViewStatistics = 0x008,    // statistics labels, per device and global
    ViewSerialization = 0x010, // serial values
    ViewOperations = 0x020,    // operation tabs, buttons, Run and Auto, command states
    ViewBuffers = 0x040,       // buffer views and checksums
    ViewStatusText = 0x080,    // the device's status line
    ViewLinks = 0x100,         // the "Link devices" picture and the commands it gates
    ViewAll = 0x1FF,
};

class COperations : public QObject, private CExecuteSteps {
    Q_OBJECT
public:
    COperations(TProject& project, CExecutor& executor, OperationHost host = {},
                QObject* parent = nullptr);
    ~COperations() override;
    COperations(const COperations&) = delete;
    COperations& operator=(const COperations&) = delete;

    // The start-up's outcome: the application directory, the main thread's library entry
    // points (for polling and busy checks), the programmers and the remote-control library.
    void SetHardware(const QString& appDir, const HardwareEntryPoints* api,
                     CProgrammers programmers, const RemoteControlBinding* remote = nullptr);
    const CProgrammers& Programmers() const { return programmers_; }
    bool Demo() const { return programmers_.Demo(); }
    bool Gang() const;

    // ---- Run control ----
    // The Run command (button, Ctrl+Space; byUser false for the controller's runs, which never
    // ask and are never interactive). Returns how many operations it started.
    int Run(bool byUser);
    // A Single-tab button, tag 1 to 8.
    void SingleOperation(int tag, bool byUser = true);
    // Selects an operation tab of the active device (and of every linked device).
    void SelectTab(std::uint8_t tab);
    // Flips an operation of the active device's selected tab (and copies the set to the linked
    // devices).
    void ToggleOperation(std::uint32_t bit);
    OperationButtons Buttons() const;
    // Escape: cancels the active device's running operation.
    void CancelActive();

    // ---- Gang mode ----
    std::vector<AssignMenuItem> AssignMenu(int device) const;
    void AssignProgrammer(int device, int programmer);
    // "Link devices"; does nothing without devices.
    void ToggleLinkDevices();
    // "Clear statistics" and "Clear global statistics", each after its question.
    void ClearStatistics();
    void ClearGlobalStatistics();
    GangLights Lights(int slot) const;

    // ---- Production modes ----
    // The bAuto command: Auto mode or, with remote control on, remote-control mode.
    void AutoClick();
    // Auto or remote-control production is on (the button blinks).
    bool ProductionOn() const { return tAuto.isActive(); }
    // Remote-control mode is what the button does.
    bool RemoteMode() const;
    // A production thread is kept for some device.
    bool ProductionThreads() const;

    // ---- Timers ----
    // The progress timer at TimerInterval; started once start-up is done.
    void StartProgressTimer();
    void ApplyTimerInterval();
    void ProgressTick();
    void AutoTick();
    void RemoteCtrlTick();

    // Stops production and waits, letting events run, until every operation thread has ended.
    void Shutdown();
    // Operation threads alive: all of them, and those of Run and the Single tab.
    int ThreadCount() const;
    int OperationThreads() const { return static_cast<int>(threads_.size()); }

    QTimer tProgress;
    QTimer tAuto;
    QTimer tRemoteCtrl;

signals:
    void ViewsChanged(int device, unsigned views);
    void StatusMessage(const QString& text);
    // The busy spinner of a device's panel (and of the main progress for the active device):
    // picture 0 to 3, or -1 hidden.
    void SpinnerChanged(int device, int picture);
    // The production button's picture: 0 plain, 1 and 2 alternating while production runs.
    void ProductionPicture(int picture);
    // An operation of device number `deviceNumber` (slot + 1) ended with this controller code.
    void OperationCompleted(int deviceNumber, int code);

private:
    // The update steps (operation_steps.cpp).
    void StartStep(TExecuteThread& thread) override;
    void ProcessingStartStep(TExecuteThread& thread) override;
    void ResultsStep(TExecuteThread& thread) override;
    void ReportStep(TExecuteThread& thread) override;
    void EndStep(TExecuteThread& thread) override;
    bool ReloadStep(TExecuteThread& thread) override;
    void reportLibraryMessages(TExecuteThread& thread, int device);

    // Host calls.
    void log(LogKind kind, const QString& text = {}) const;
    void showMessage(const QString& text) const;
    bool ask(const QString& question) const;
    // The status message and, for a device, its status line.
    void setStatus(int device, const QString& text);
    void changed(int device, unsigned views);
    void announce(const QString& text);

    int indexOf(const CDevice* device) const;
    bool programmerBusy(int position) const;
    bool programmerRunning(int position) const;
    // Starts an operation thread for a device on a programmer; production threads are kept in
    // production_, the others until they end. `wait` waits for its readiness.
    TExecuteThread* startThread(int device, int programmer, const OperationBlock& block,
                                bool interactive, bool wait);
    // StartOperation: a Run of the device's selected tab.
    void startOperation(int device, int programmer, bool byUser);
    // Marks the device busy, starts its Run and reports "Executing operations...".
    void launchRun(int device, int programmer, bool byUser);
    // The device a programmer reports into when no thread of its own runs on it.
    int deviceOfProgrammer(int position) const;
    void setSpinner(int device, int picture);
    void reap(const TExecuteThread* thread);
    // Waits for a thread to end in slices of 10 ms, letting events (its steps) run meanwhile.
    static void waitFor(TExecuteThread& thread);
    // A thread still running (production threads kept after their end do not count).
    TExecuteThread* findThread(const std::function<bool(const TExecuteThread&)>& matches) const;
    TExecuteThread* threadOnPort(int port) const;
    TExecuteThread* threadOf(const CDevice* device) const;
    bool refuseWithoutProgrammer();

    void stopProduction();
    void startProduction();
    void remoteMode(bool on);

    TProject& project_;
    OperationHost host_;
    CExecuteContext context_;
    QString appDir_;
    const HardwareEntryPoints* api_ = nullptr;
    const RemoteControlBinding* remote_ = nullptr;
    CProgrammers programmers_;

    // Shared, so a thread someone waits for outlives its removal from the list.
    std::vector<std::shared_ptr<TExecuteThread>> threads_;       // Run and Single, until they end
    std::array<std::shared_ptr<TExecuteThread>, 16> production_; // by device slot, until stopped
    std::array<bool, kGangPanels> panelCleared_{};
    std::array<int, 16> spinner_{};
    bool productionRunning_ = false;
    bool autoBusy_ = false; // the bAuto command is running
    bool polling_ = false;  // a progress tick is running
    int autoPicture_ = 0;
};

} // namespace zelmo
