#pragma once

// The main window frame: project bar, device bar, operation area, the bottom tab strip with the
// message log, and the status strip. It owns the project, the commands, the busy window and the
// help viewer, runs the full refresh in its fixed order, asks before closing and shuts down in
// order. Later parts plug their views into its places and connect to its commands.

#include "app/command_line.h"
#include "app/configuration.h"
#include "app/message_keys.h"
#include "app/message_log.h"
#include "app/refresh_plan.h"
#include "app/release.h"
#include "app/startup_session.h"
#include "operations/controller_server.h"
#include "project/project.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

namespace zelmo {

class CMyIni;
class COperations;
class TBottomTabs;
class TCardMenus;
class TDeviceBar;
class TfBusy;
class TfHelp;
class TLogView;
class TMainCommands;
class TOperationArea;
class TOperationsUi;
class TProjectBar;
class TStatusStrip;

class TfMain : public QMainWindow, public controller::ControllerHost {
    Q_OBJECT
public:
    // `appDir` is the application directory (empty: the executable's folder).
    explicit TfMain(const BuildDayBytes& buildDay, CommandLine commandLine = {},
                    QString appDir = {}, QWidget* parent = nullptr);
    ~TfMain() override;

    // Appends one entry to the log view (and the log file when it is on), then lets pending
    // events run so the view repaints during long work on the main thread. Header entries name
    // the project's device of their slot.
    void AddLog(LogKind kind, const QString& text = {});
    void AddLog(LogKind kind, const QString& text, const LogHeaderNames& names);
    void SetStatusMessage(const QString& text);
    QString StatusMessage() const;
    MessageResult ShowMessageDialog(MessageIcon icon, MessageButtons buttons, const QString& text);

    TProject& Project() { return project_; }
    TMainCommands& Commands() { return *commands_; }
    // The device operations: Run, the Single tab, gang and production modes.
    TOperationsUi& Operations() { return *operations_; }
    CMessageLog& Log() { return log_; }
    TLogView* LogView() const;
    TfBusy& Busy() { return *fBusy_; }
    TfHelp& Help() { return *fHelp_; }
    QTimer* ProgressTimer() const { return tProgress; }
    const QString& AppDir() const { return appDir_; }
    const QString& ConfigurationFile() const { return configFile_; }
    const CommandLine& Arguments() const { return commandLine_; }
    // Milliseconds from the window's creation to the end of start-up (the idle main window);
    // -1 until start-up has ended.
    qint64 StartupMilliseconds() const { return startupMs_; }

    // The places of the views of later parts (the window takes ownership).
    void SetProjectTree(QWidget* tree);
    void SetOperationPanel(QWidget* panel);
    void SetInfoView(QWidget* view);
    void SetBufferView(QWidget* view);
    void SetGangView(QWidget* view);

    // The full refresh: every registered view refresh, in the fixed order.
    CRefreshPlan& RefreshPlan() { return refresh_; }
    void RefreshAll();
    // Re-applies what the configuration sets in the window: the progress timer's interval, the
    // production-mode button's caption and hint, and the log file switch.
    void ApplyConfiguration();

    // Writes the configuration file: the window, option and selection sections, then whatever
    // the project store adds (the working project's sections).
    void StoreState();
    using ProjectStore = std::function<void(CMyIni& document)>;
    void SetProjectStore(ProjectStore store) { projectStore_ = std::move(store); }
    // Restores the working project (or the "-p" project) at start-up, after the configuration.
    void SetProjectRestore(std::function<void()> restore) { projectRestore_ = std::move(restore); }

    FormPlacement Placement() const;
    void SetPlacement(const FormPlacement& placement);

    // Closing: the close check, then the question; true when the window may close.
    bool AskToClose();
    // Stores the state, closes the devices (keeping their files), the programmers and the
    // libraries, in that order. Runs once.
    void Shutdown();

    // The programmers found at start-up (empty in demo mode).
    const std::vector<ProgrammerInfo>& Programmers() const { return programmers_; }
    bool RemoteLoaded() const { return session_.RemoteLoaded(); }
    const CStartupSession& Session() const { return session_; }
    // Set once a start-up step decided that the application must close.
    bool InitFailed() const { return initFailed_; }

    // The command-line controller: listens once start-up is done.
    controller::CControllerServer& Controller() { return *controller_; }
    // What a controller's open request calls: opens the project file, true when it opened.
    // Without it an open request is answered 1.
    void SetProjectOpen(std::function<bool(const QString& path)> open) {
        projectOpen_ = std::move(open);
    }
    // The run control behind a controller's run request: Run starts without a sender and every
    // operation's completion code is answered to the controller. Without it a run request is
    // answered 100 in demo mode, else 1.
    void UseRunControl(COperations& operations);
    // ControllerHost.
    bool ControllerOpen(const QString& path) override;
    std::optional<std::int32_t> ControllerRun(int device, controller::ControllerTab tab) override;
    bool ControllerMayClose() override;
    void ControllerClose() override;

    // Command handlers.
    void miOptionsClick();
    void miHelpClick();
    void miDeviceHelpClick();
    void miAboutClick();
    void miLinkDevicesClick(bool on);
    void tceTabsChange(int tab);

    TProjectBar* pProject = nullptr;
    TDeviceBar* pDevices = nullptr;
    TOperationArea* pOperation = nullptr;
    TBottomTabs* pBottom = nullptr;
    TStatusStrip* pStatus = nullptr;
    QTimer* tProgress = nullptr;

public slots:
    // The one-shot initialization, at the first idle moment after the window is shown: reports
    // the release and records the installation; binds the libraries, opens the programmers
    // (checking their firmware) and reads the catalogue on the start-up session; restores the
    // configuration; refreshes every view and reports what was found. A step that decides the
    // application must close frees the library and sends terminated(1).
    void Initialize();
    // A later start handed over a project path: the window comes to the front and the
    // project-opening command (projectOpenRequested) takes it.
    void ProjectHandedOver(const QString& path);

signals:
    void projectOpenRequested(const QString& path);
    // Start-up decided that the application must close with this exit code; the process ends
    // its event loop (the window itself does not, so it can be driven without one).
    void terminated(int exitCode);
    // The window is about to go, still whole: helpers that watch its widgets stop here, before
    // those widgets are destroyed after the window's own members.
    void destroying();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void ConnectCommands();
    void RegisterRefreshes();
    void RefreshCommandStates();
    void RefreshDeviceHeader();
    void RefreshBottomTabs();
    void RefreshStatistics();
    void EnableStartupCommands(bool on);
    void PlaceAtDesignedPosition();
    void Terminate();
    QString ModeText() const;

    QElapsedTimer startupClock_; // first member: started before anything else is built
    qint64 startupMs_ = -1;
    BuildDayBytes buildDay_;
    CommandLine commandLine_;
    QString appDir_;
    QString configFile_;
    TProject project_;
    CMessageLog log_;
    TMainCommands* commands_ = nullptr;
    TfBusy* fBusy_ = nullptr;
    TfHelp* fHelp_ = nullptr;
    QTimer* frameRefresh_ = nullptr;
    CRefreshPlan refresh_;
    ProjectStore projectStore_;
    std::function<void()> projectRestore_;
    std::vector<ProgrammerInfo> programmers_;
    bool initialized_ = false;
    bool initFailed_ = false;
    bool shutDown_ = false;
    CStartupSession session_;
    std::unique_ptr<controller::CControllerServer> controller_;
    std::function<bool(const QString&)> projectOpen_;
    COperations* runControl_ = nullptr;
    TCardMenus* cardMenus_ = nullptr;
    // Last: its threads end before anything they use goes.
    std::unique_ptr<TOperationsUi> operations_;
};

} // namespace zelmo
