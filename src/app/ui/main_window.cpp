#include "app/ui/main_window.h"

#include "app/about_info.h"
#include "app/bottom_tabs_model.h"
#include "app/close_check.h"
#include "app/command_states.h"
#include "app/installation_record.h"
#include "app/log_header.h"
#include "app/main_setup_model.h"
#include "app/startup_status.h"
#include "app/ui/about_box.h"
#include "app/ui/bottom_tabs.h"
#include "app/ui/busy_window.h"
#include "app/ui/device_bar.h"
#include "app/ui/help_viewer.h"
#include "app/ui/log_view.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_setup.h"
#include "app/ui/message_dialog.h"
#include "app/ui/operation_area.h"
#include "app/ui/project_bar.h"
#include "app/ui/status_strip.h"
#include "catalogue/ui/adapter_menu.h"
#include "catalogue/ui/pin_check_switch.h"
#include "catalogue/ui/pin_check_views.h"
#include "controls/ui/hover_label.h"
#include "controls/ui/picture_button.h"
#include "controls/ui/pictures.h"
#include "editor/ui/buffer_install.h"
#include "editor/ui/buffer_tools_commands.h"
#include "editor/ui/buffer_view.h"
#include "operations/controller_run.h"
#include "operations/execution/operations.h"
#include "operations/ui/operations_ui.h"
#include "persistence/settings_document.h"
#include "persistence/ui/card_menus.h"
#include "project/device_descriptor.h"
#include "project/ui/project_ui.h"
#include "serialization/ui/serialization_panel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace zelmo {

namespace {

constexpr QSize kDesignedSize(1240, 740);

QString Caption(const BuildDayBytes& buildDay) {
    return QStringLiteral("Zelmo 2 / ver. ") + ReleaseText(buildDay);
}

} // namespace

TfMain::TfMain(const BuildDayBytes& buildDay, CommandLine commandLine, QString appDir,
               QWidget* parent)
    : QMainWindow(parent), startupClock_([] {
          QElapsedTimer clock;
          clock.start();
          return clock;
      }()),
      buildDay_(buildDay), commandLine_(std::move(commandLine)),
      appDir_(appDir.isEmpty() ? QCoreApplication::applicationDirPath() : std::move(appDir)),
      session_(
          {.Log = [this](LogKind kind, const QString& text) { AddLog(kind, text); },
           .ShowMessage = [this](const QString& text) { ShowMessageDialog(miWarning, mbOk, text); },
           .Confirm =
               [this](const QString& question) {
                   return ShowMessageDialog(miQuestion, mbOkCancel, question) == mrOk;
               }}) {
    if (!appDir_.endsWith(u'/')) {
        appDir_ += u'/';
    }
    setWindowIcon(Picture(QStringLiteral("zelmo2")));
    project_.DebugMode = commandLine_.DebugMode ? 1 : 0;
    project_.BuildDay = buildDay_;
    SetConfigurationDefaults(project_);
    // The log file follows the configuration's switch itself, whoever changes it; the start-up
    // report waits for the configuration to say whether it goes to the file.
    log_.File().FollowSwitch(&project_.ReportFile);
    log_.File().Hold();

    configFile_ = ConfigurationFilePath();
    if (commandLine_.ClearConfiguration && !configFile_.isEmpty()) {
        // "-c": the configuration is gone before anything reads it, so every option (and the
        // working project it carries) starts from its default.
        QFile::remove(configFile_);
    }

    commands_ = new TMainCommands(this);
    BuildLayout();
    ConnectCommands();
    RegisterRefreshes();
    new TSerializationCommands(*this);
    new TAdapterMenu(*this);
    new TPinCheckSwitch(*this);
    InstallBufferViews(*this);
    // The buffer tools serve the view's popup and move its cursor.
    editor::TBufferTools* tools = editor::InstallBufferTools(*this);
    if (auto* view = findChild<editor::TBufferView*>()) {
        tools->AttachView(view);
    }
    cardMenus_ = new TCardMenus(*this);
    controller_ = std::make_unique<controller::CControllerServer>(*this);

    tProgress = new QTimer(this);
    tProgress->setObjectName(QStringLiteral("tProgress"));
    tProgress->setInterval(EffectiveTimerInterval(project_.TimerInterval));
    operations_ = std::make_unique<TOperationsUi>(*this);
    // A failed pin contact check opens the view of the contacts the programmer sensed.
    operations_->SetPinCheckDisplay([this](int slot) {
        if (const CDevice* device = project_.DeviceAt(slot)) {
            ShowPinCheckView(this, *device);
        }
    });

    const QString caption = Caption(buildDay_);
    setWindowTitle(caption);
    SetStatusMessage(caption);
    pOperation->SetProgress(QString());
    EnableStartupCommands(false);
    // Run and the production button follow the operation tabs' own rules, which start with
    // everything off while the project has no device.
    commands_->miRun->setEnabled(false);
    commands_->miAuto->setEnabled(false);
    PlaceAtDesignedPosition();

    // Created after the main window, as the process start does.
    fBusy_ = new TfBusy(this);
    fHelp_ = new TfHelp(appDir_, this);

    // The project tree and the project and device commands.
    auto* projectUi = new TProjectUi(*this);
    // The command-line controller opens projects as the Open command does and runs operations
    // through the operation tabs' own run control.
    SetProjectOpen(
        [projectUi](const QString& path) { return projectUi->ProjectFile().Open(path).ok; });
    UseRunControl(operations_->Operations());
}

TfMain::~TfMain() {
    emit destroying();
}

void TfMain::BuildLayout() {
    pProject = new TProjectBar(*commands_);
    pDevices = new TDeviceBar(*commands_);
    pOperation = new TOperationArea(*commands_);
    pBottom = new TBottomTabs(*commands_);
    pStatus = new TStatusStrip;
    setStatusBar(pStatus);

    pDevices->setMinimumWidth(280);
    auto* top = new QSplitter(Qt::Horizontal);
    top->setChildrenCollapsible(false);
    top->addWidget(pDevices);
    top->addWidget(pOperation);
    top->setStretchFactor(0, 0);
    top->setStretchFactor(1, 1);
    top->setSizes({340, 900});

    auto* split = new QSplitter(Qt::Vertical);
    split->setChildrenCollapsible(false);
    split->addWidget(top);
    split->addWidget(pBottom);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({300, 400});

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 0, 6, 4);
    layout->setSpacing(4);
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(pProject);
    layout->addWidget(line);
    layout->addWidget(split, 1);
    setCentralWidget(central);
}

void TfMain::ConnectCommands() {
    TMainCommands& c = *commands_;
    connect(c.miOptions, &QAction::triggered, this, &TfMain::miOptionsClick);
    connect(c.miHelp, &QAction::triggered, this, &TfMain::miHelpClick);
    connect(c.miDeviceHelp, &QAction::triggered, this, &TfMain::miDeviceHelpClick);
    connect(c.miAbout, &QAction::triggered, this, &TfMain::miAboutClick);
    connect(c.miClose, &QAction::triggered, this, &QWidget::close);
    connect(c.miLinkDevices, &QAction::triggered, this, &TfMain::miLinkDevicesClick);
    connect(pProject->iLogo, &THoverLabel::clicked, this, &TfMain::miAboutClick);
    connect(pProject->iMakerLogo, &THoverLabel::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerWebSite))); });
    connect(pBottom, &TBottomTabs::tabSelected, this, &TfMain::tceTabsChange);

    // The frame's own views follow the project: one refresh after a burst of changes.
    frameRefresh_ = new QTimer(this);
    frameRefresh_->setSingleShot(true);
    frameRefresh_->setInterval(0);
    connect(frameRefresh_, &QTimer::timeout, this, [this] {
        for (RefreshStep step : {RefreshStep::CommandStates, RefreshStep::DeviceHeader,
                                 RefreshStep::BottomTabs, RefreshStep::Statistics}) {
            refresh_.Run(step);
        }
    });
    const auto later = [this] { frameRefresh_->start(); };
    const CProjectNotifier* n = &project_.Notifier;
    connect(n, &CProjectNotifier::DeviceAdded, this, later);
    connect(n, &CProjectNotifier::DeviceRemoved, this, later);
    connect(n, &CProjectNotifier::DevicesMoved, this, later);
    connect(n, &CProjectNotifier::DeviceLinked, this, later);
    connect(n, &CProjectNotifier::ActiveDeviceChanged, this, later);
    connect(n, &CProjectNotifier::DataSetShown, this, later);
}

void TfMain::RegisterRefreshes() {
    refresh_.Add(RefreshStep::CommandStates, [this] { RefreshCommandStates(); });
    refresh_.Add(RefreshStep::DeviceHeader, [this] { RefreshDeviceHeader(); });
    refresh_.Add(RefreshStep::BottomTabs, [this] { RefreshBottomTabs(); });
    refresh_.Add(RefreshStep::Statistics, [this] { RefreshStatistics(); });
}

void TfMain::RefreshAll() {
    refresh_.RunAll();
}

void TfMain::RefreshCommandStates() {
    const std::optional<CommandStates> states = ComputeCommandStates(project_);
    pDevices->iLinkDevices->defaultAction()->setChecked(project_.LinkDevices != 0);
    if (!states) {
        return; // nothing changes while the project has no device
    }
    const CommandStates& s = *states;
    TMainCommands& c = *commands_;
    for (QAction* a : {c.miCreateNewProject, c.miIdentifyCard, c.miEraseCard}) {
        a->setEnabled(s.NewProject);
    }
    for (QAction* a : {c.miOpenProject, c.miReadFromCard}) {
        a->setEnabled(s.OpenProject);
    }
    for (QAction* a : {c.miSaveProject, c.miSaveProjectAs, c.miSaveToCard}) {
        a->setEnabled(s.SaveProject);
    }
    c.miOptions->setEnabled(s.Options);
    c.miAddDevice->setEnabled(s.AddDevice);
    c.miRemoveDevice->setEnabled(s.RemoveDevice);
    pDevices->bSetup->setEnabled(s.Setup);
    c.miBufferOptions->setEnabled(s.File);
    for (int m = 0; m < kMemories; ++m) {
        pOperation->cbMemory[static_cast<std::size_t>(m)]->setEnabled(
            s.Memory[static_cast<std::size_t>(m)]);
    }
    pOperation->cbPinCheck->setEnabled(s.PinCheck);
    c.miStatClear->setEnabled(s.StatClear);
    c.miGlobalStatClear->setEnabled(s.GlobalStatClear);
    pDevices->mUserDescr->setEnabled(s.UserDescr);
    pBottom->lChecksum->setEnabled(s.Checksum);
    pBottom->BufferView()->setEnabled(s.BufferView);
}

void TfMain::RefreshDeviceHeader() {
    const CDevice* device = project_.Active();
    QString name;
    if (device != nullptr) {
        name = FieldQString(device->Descriptor.Name) + QStringLiteral(" / ") +
               FieldQString(device->Descriptor.Package);
    }
    pOperation->SetDeviceName(name);
    for (int m = 0; m < kMemories; ++m) {
        QCheckBox* box = pOperation->cbMemory[static_cast<std::size_t>(m)];
        box->setText(MemoryBoxCaption(device, m));
        box->setChecked(device != nullptr && (device->MemSelect & (1u << m)) != 0);
    }
    pOperation->cbPinCheck->setChecked(device != nullptr && device->PinCheck != 0);
    if (device == nullptr) {
        for (QCheckBox* box : pOperation->cbMemory) {
            box->setEnabled(false);
        }
        pOperation->cbPinCheck->setEnabled(false);
    }
}

void TfMain::RefreshBottomTabs() {
    const CDevice* device = project_.Active();
    for (int m = 0; m < kMemories; ++m) {
        pBottom->SetMemoryCaption(m, MemoryTabCaption(device, m));
    }
    const int tab = StoredBottomTab(project_);
    pBottom->ShowTab(tab);
    pBottom->ShowPage(static_cast<int>(SelectBottomTab(project_, tab)));
}

void TfMain::RefreshStatistics() {
    const CDevice* device = project_.Active();
    if (device != nullptr && device->Statistics) {
        pOperation->SetStatistics(device->Statistics->Good, device->Statistics->Bad);
    } else {
        pOperation->SetStatistics(0, 0);
    }
}

void TfMain::tceTabsChange(int tab) {
    pBottom->ShowPage(static_cast<int>(SelectBottomTab(project_, tab)));
    refresh_.Run(RefreshStep::ScrollBar);
    refresh_.Run(RefreshStep::MemorySize);
    refresh_.Run(RefreshStep::FileName);
}

void TfMain::EnableStartupCommands(bool on) {
    TMainCommands& c = *commands_;
    for (QAction* a :
         {c.miAddDevice, c.miRemoveDevice, c.miBufferOptions, c.miHelp, c.miAbout, c.miOptions,
          c.miCreateNewProject, c.miIdentifyCard, c.miEraseCard, c.miOpenProject, c.miReadFromCard,
          c.miSaveProject, c.miSaveProjectAs, c.miSaveToCard, c.miClose}) {
        a->setEnabled(on);
    }
    pDevices->bSetup->setEnabled(on);
    if (QWidget* tree = pDevices->ProjectTree()) {
        tree->setEnabled(on);
    }
}

void TfMain::ApplyConfiguration() {
    tProgress->setInterval(EffectiveTimerInterval(project_.TimerInterval));
    pOperation->SetProductionMode(project_.RemoteCtrl != 0);
}

void TfMain::SetProjectTree(QWidget* tree) {
    pDevices->SetProjectTree(tree);
}

void TfMain::SetOperationPanel(QWidget* panel) {
    pOperation->SetOperationPanel(panel);
}

void TfMain::SetInfoView(QWidget* view) {
    pBottom->SetInfoView(view);
}

void TfMain::SetBufferView(QWidget* view) {
    pBottom->SetBufferView(view);
}

void TfMain::SetGangView(QWidget* view) {
    pBottom->SetGangView(view);
}

TLogView* TfMain::LogView() const {
    return pBottom->reLog;
}

void TfMain::SetStatusMessage(const QString& text) {
    pStatus->SetMessage(text);
}

QString TfMain::StatusMessage() const {
    return pStatus->Message();
}

MessageResult TfMain::ShowMessageDialog(MessageIcon icon, MessageButtons buttons,
                                        const QString& text) {
    return zelmo::ShowMessageDialog(this, icon, buttons, text);
}

void TfMain::AddLog(LogKind kind, const QString& text) {
    LogHeaderNames names;
    if ((kind & (lfDataSetHeader | lfDeviceHeader)) != 0) {
        names = HeaderNamesFor(project_, static_cast<int>(kind & lfSlotMask));
    }
    AddLog(kind, text, names);
}

void TfMain::AddLog(LogKind kind, const QString& text, const LogHeaderNames& names) {
    pBottom->reLog->Append(log_.AddLog(kind, text, names));
    // Callers must expect other handlers to run here: the log repaints during long work.
    QCoreApplication::processEvents();
}

FormPlacement TfMain::Placement() const {
    const QRect g = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    return {g.top(), g.left(), g.height(), g.width()};
}

void TfMain::SetPlacement(const FormPlacement& placement) {
    QRect wanted(placement.Left, placement.Top, placement.Width, placement.Height);
    if (wanted.width() < minimumSizeHint().width() ||
        wanted.height() < minimumSizeHint().height()) {
        wanted.setSize(wanted.size().expandedTo(minimumSizeHint()));
    }
    // A placement from another screen layout is moved back onto a screen that is there now.
    const QScreen* target = QGuiApplication::screenAt(wanted.center());
    if (target == nullptr) {
        target = screen();
    }
    if (target != nullptr) {
        const QRect area = target->availableGeometry();
        wanted.setSize(wanted.size().boundedTo(area.size()));
        wanted.moveLeft(std::clamp(wanted.left(), area.left(), area.right() - wanted.width() + 1));
        wanted.moveTop(std::clamp(wanted.top(), area.top(), area.bottom() - wanted.height() + 1));
    }
    setGeometry(wanted);
}

void TfMain::PlaceAtDesignedPosition() {
    QSize size = kDesignedSize;
    QRect area(QPoint(0, 0), size);
    if (const QScreen* s = screen()) {
        area = s->availableGeometry();
        size = size.boundedTo(area.size());
    }
    const QRect designed(area.left() + (area.width() - size.width()) / 2,
                         area.top() + (area.height() - size.height()) / 2, size.width(),
                         size.height());
    setGeometry(designed);
}

void TfMain::StoreState() {
    if (configFile_.isEmpty()) {
        return;
    }
    CMyIni document;
    if (!document.Open(configFile_, QLatin1String(kConfigurationRoot), false)) {
        return;
    }
    StoreConfiguration(document, project_, Placement());
    if (projectStore_) {
        projectStore_(document);
    }
    // A failure to write the configuration is not reported.
    document.Save();
}

void TfMain::miOptionsClick() {
    MainSetupContext context;
    context.DeviceCount = project_.DeviceCount;
    for (const ProgrammerInfo& p : programmers_) {
        context.ProgrammerLines << ProgrammerLine(FieldQString(p.ModelName),
                                                  FieldQString(p.SerialNumber));
    }
    context.GangCapable = project_.GangCapable != 0;
    context.RemoteLoaded = session_.RemoteLoaded();
    TfMainSetup dialog(project_, context, this);
    dialog.exec();
    ApplyConfiguration();
    pStatus->SetMode(ModeText());
    RefreshAll();
}

void TfMain::miHelpClick() {
    fHelp_->ShowHelp(QString::fromStdString(project_.HelpFile));
}

void TfMain::miDeviceHelpClick() {
    const CDevice* device = project_.Active();
    fHelp_->ShowHelp(device != nullptr ? FieldQString(device->Descriptor.LibName) : QString());
}

void TfMain::miAboutClick() {
    TfAbout about(programmers_, buildDay_, this);
    about.exec();
}

void TfMain::miLinkDevicesClick(bool on) {
    // Linking needs devices to link; without them the toggle stays off.
    if (project_.DeviceCount == 0) {
        commands_->miLinkDevices->setChecked(false);
        return;
    }
    project_.LinkDevices = on ? 1 : 0;
    project_.UpdateLinks();
    RefreshAll();
}

bool TfMain::AskToClose() {
    const Result check = CloseCheck(project_);
    if (!check.ok) {
        ShowMessageDialog(miWarning, mbOk, check.message);
        return false;
    }
    return ShowMessageDialog(miQuestion, mbYesNo, QStringLiteral("Do you really want to quit?")) ==
           mrYes;
}

void TfMain::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    tProgress->stop();
    // Every operation thread ends before the project and the libraries go.
    operations_->Shutdown();
    StoreState();
    // The option and swap files stay for the next start, which restores the project from them.
    project_.CloseAll(false);
    if (session_.Started()) {
        for (const ProgrammerInfo& p : programmers_) {
            session_.Api().ZmCloseHardware(p.Port);
        }
    }
    // Closes the programmers, frees the hardware library and unloads the remote-control library.
    session_.Close();
}

void TfMain::closeEvent(QCloseEvent* event) {
    if (shutDown_ || AskToClose()) {
        Shutdown();
        fHelp_->close();
        event->accept();
        return;
    }
    event->ignore();
}

void TfMain::ProjectHandedOver(const QString& path) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    emit projectOpenRequested(path);
}

void TfMain::Terminate() {
    // Nothing below the failed step runs; the library is freed and the application ends.
    initFailed_ = true;
    log_.File().Release();
    session_.Close();
    emit terminated(1);
}

void TfMain::Initialize() {
    if (initialized_) {
        return;
    }
    initialized_ = true;
    AddLog(lkPlain, QStringLiteral("Zelmo 2, software release ") + ReleaseText(buildDay_));
    if (ReleaseIsOutdated(buildDay_, QDateTime::currentDateTimeUtc())) {
        AddLog(lkWarning, QString::fromLatin1(kReleaseAgeWarning));
    }

    AddLog(lkSection, QStringLiteral("Checking registry."));
    const Result recorded = RecordInstallation(appDir_);
    if (!recorded.ok) {
        QMessageBox::warning(this, QStringLiteral("Warning"), recorded.message);
    }

    const Result started = session_.StartLibraries(appDir_, project_.DebugMode);
    if (!started.ok) {
        QMessageBox::critical(this, QStringLiteral("Error"), started.message);
        Terminate();
        return;
    }
    // Without the remote-control library the setting is off for this run.
    if (!session_.RemoteLoaded()) {
        project_.RemoteCtrl = 0;
    }
    const bool found = session_.FindProgrammers(commandLine_.ForcedPort.value_or(-1));
    programmers_ = session_.Programmers();
    project_.ProgrammerCount = static_cast<std::int32_t>(programmers_.size());
    project_.GangCapable = session_.GangCapable() ? 1 : 0;
    if (!found) {
        Terminate();
        return;
    }
    // An unreadable catalogue has been logged; the application goes on with an empty one.
    session_.LoadCatalogue();

    FormPlacement form = Placement();
    // The project restore reads the configuration itself (after a "-p" project was copied in).
    if (!configFile_.isEmpty() && !projectRestore_) {
        const Result restored = RestoreConfigurationFile(configFile_, project_, form);
        if (restored.ok) {
            SetPlacement(form);
        } else {
            QMessageBox::critical(this, QStringLiteral("Error"), restored.message);
        }
    }
    if (projectRestore_) {
        projectRestore_();
    }
    log_.File().Release();
    if (!session_.RemoteLoaded()) {
        project_.RemoteCtrl = 0;
    }
    ApplyConfiguration();
    operations_->Started();
    pProject->SetCardCommands(CardCommandsAvailable(programmers_));
    RefreshAll();
    AddLog(lkSection, QStringLiteral("Initialization done."));
    AddLog(lkPlain, FreeSpaceLine(QStringLiteral("Program directory free bytes: "), appDir_));
    AddLog(lkPlain,
           FreeSpaceLine(QStringLiteral("Swap directory free bytes: "), project_.SwapPath));
    SetStatusMessage(
        HardwareFoundMessage(programmers_, project_.GangCapable != 0, project_.GangMode != 0));
    pStatus->SetMode(ModeText());
    EnableStartupCommands(true);
    tProgress->start();
    if (project_.DebugMode != 0) {
        setWindowTitle(windowTitle() + QStringLiteral(" - DEBUG"));
    }
    startupMs_ = startupClock_.elapsed();
    cardMenus_->Refresh();
    // Without the socket the application still runs; only the controller cannot reach it.
    controller_->Listen();
}

bool TfMain::ControllerOpen(const QString& path) {
    return projectOpen_ && projectOpen_(path);
}

void TfMain::UseRunControl(COperations& operations) {
    runControl_ = &operations;
    connect(&operations, &COperations::OperationCompleted, this,
            [this](int number, int code) { controller_->RunEnded(number - 1, code); });
}

std::optional<std::int32_t> TfMain::ControllerRun(int device, controller::ControllerTab tab) {
    if (!controller::PrepareControllerRun(project_, device, tab)) {
        return controller::kAnswerFailed;
    }
    RefreshAll();
    if (runControl_ == nullptr) {
        return programmers_.empty() ? controller::kAnswerDemoMode : controller::kAnswerFailed;
    }
    return controller::AnswerAfterRun(runControl_->Run(false), runControl_->Demo());
}

bool TfMain::ControllerMayClose() {
    const Result check = CloseCheck(project_);
    if (!check.ok) {
        // After the answer has gone: the controller does not wait for the user.
        QTimer::singleShot(
            0, this, [this, text = check.message] { ShowMessageDialog(miWarning, mbOk, text); });
    }
    return check.ok;
}

void TfMain::ControllerClose() {
    Shutdown();
    close();
}

QString TfMain::ModeText() const {
    if (programmers_.empty()) {
        return tr("Demo mode");
    }
    if (programmers_.size() >= 2 && project_.GangCapable != 0 && project_.GangMode != 0) {
        return tr("'Gang' mode, %1 programmers").arg(programmers_.size());
    }
    return tr("'Single' mode");
}

} // namespace zelmo
