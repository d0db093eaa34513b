#include "project/ui/project_ui.h"

#include "app/bottom_tabs_model.h"
#include "app/configuration.h"
#include "app/ui/bottom_tabs.h"
#include "app/ui/device_bar.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "app/ui/operation_area.h"
#include "app/ui/project_bar.h"
#include "catalogue/device_info.h"
#include "catalogue/ui/device_info.h"
#include "catalogue/ui/select_ic.h"
#include "persistence/settings_document.h"
#include "platform/file_io.h"
#include "project/commands/device_setup.h"
#include "project/project_tree.h"
#include "project/swap_names.h"
#include "project/ui/project_tree.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>

namespace zelmo {

namespace {

QString fileFilter() {
    return QString::fromLatin1(kProjectFileFilter);
}

// The parts every command host shares: the log, the status line, the warning dialog and the
// full refresh of the main window.
template <typename Host> void reportThrough(TfMain& window, Host& host) {
    host.Log = [&window](LogKind kind, const QString& text) { window.AddLog(kind, text); };
    host.SetStatus = [&window](const QString& text) { window.SetStatusMessage(text); };
    host.ShowMessage = [&window](const QString& text) {
        window.ShowMessageDialog(miWarning, mbOk, text);
    };
    host.Refresh = [&window] { window.RefreshAll(); };
}

void errorBox(TfMain& window, const QString& text) {
    QMessageBox::critical(&window, QStringLiteral("Error"), text);
}

} // namespace

TProjectUi::TProjectUi(TfMain& window) : QObject(&window), window_(window) {
    TProject& project = window_.Project();

    ProjectCommandHost host;
    reportThrough(window_, host);
    host.Confirm = [this](const QString& question) {
        return window_.ShowMessageDialog(miQuestion, mbYesNo, question) == mrYes;
    };
    host.ErrorBox = [this](const QString& text) { errorBox(window_, text); };
    host.SelectDevice = [this]() -> std::optional<DeviceSelection> {
        const CDeviceLibrary library = Library();
        return TfSelectIC::Run(
            &window_, window_.Session().Catalogue(), window_.AppDir(),
            [library](const DeviceDescriptor& d) { return library.VendorNameOf(d); },
            window_.Project());
    };
    freeSpace_ = [](const QString& folder) { return platform::freeDiskSpace(LocalPath(folder)); };
    host.FreeBytes = [this](const QString& folder) { return freeSpace_(folder); };
    commands_ = std::make_unique<CProjectCommands>(project, Library(), std::move(host));

    ProjectFileHost fileHost;
    reportThrough(window_, fileHost);
    fileHost.ErrorBox = [this](const QString& text) { errorBox(window_, text); };
    fileHost.StoreConfiguration = [this](CMyIni& document) {
        StoreConfiguration(document, window_.Project(), window_.Placement());
    };
    fileHost.RestoreConfiguration = [this](const CMyIni& document) {
        FormPlacement form = window_.Placement();
        RestoreConfiguration(document, window_.Project(), form);
        window_.SetPlacement(form);
    };
    fileHost.ApplyConfiguration = [this] { window_.ApplyConfiguration(); };
    fileHost.ShowInfoPage = [this] {
        window_.pBottom->ShowTab(btInfo);
        window_.pBottom->ShowPage(static_cast<int>(BottomPage::Info));
    };
    file_ = std::make_unique<CProjectFile>(project, Library(), std::move(fileHost),
                                           window_.ConfigurationFile());

    tvDevices = new TProjectTree(project, *commands_);
    window_.SetProjectTree(tvDevices);
    Connect();
}

TProjectUi::~TProjectUi() = default;

CDeviceLibrary TProjectUi::Library() const {
    // The entry points are filled when the library is bound at start-up; the commands that use
    // them are enabled only after that.
    return HardwareDeviceLibrary(window_.Session().Api(), window_.AppDir());
}

void TProjectUi::Connect() {
    TMainCommands& c = window_.Commands();
    TProject& project = window_.Project();
    connect(c.miAddDevice, &QAction::triggered, this, [this] { commands_->AddDevice(); });
    connect(c.miRemoveDevice, &QAction::triggered, this, [this] { commands_->RemoveDevice(); });
    connect(c.miCreateNewProject, &QAction::triggered, this,
            [this] { commands_->CreateNewProject(); });
    connect(c.miOpenProject, &QAction::triggered, this, &TProjectUi::miOpenProjectClick);
    connect(c.miSaveProject, &QAction::triggered, this, &TProjectUi::miSaveProjectClick);
    connect(c.miSaveProjectAs, &QAction::triggered, this, &TProjectUi::miSaveProjectAsClick);
    connect(c.miDeviceInfo, &QAction::triggered, this, &TProjectUi::miDeviceInfoClick);
    connect(c.miDeviceSetup, &QAction::triggered, this, &TProjectUi::miDeviceSetupOptClick);
    connect(c.pmSetup, &QMenu::aboutToShow, this, &TProjectUi::RefreshSetupMenu);
    connect(&window_, &TfMain::projectOpenRequested, this,
            [this](const QString& path) { file_->Open(path); });
    connect(tvDevices, &TProjectTree::activeNodeChanged, this, &TProjectUi::SelectionMade);

    for (int m = 0; m < kMemories; ++m) {
        connect(window_.pOperation->cbMemory[static_cast<std::size_t>(m)], &QCheckBox::clicked,
                this, [this, m](bool checked) {
                    if (!commands_->SetMemoryEnabled(m, checked)) {
                        window_.RefreshAll(); // the box shows the unchanged state again
                    }
                });
    }
    window_.pDevices->mUserDescr->installEventFilter(this);
    // The description field outlives the project while the window is destroyed: its last focus
    // change must not store into a project that is gone.
    connect(&window_, &TfMain::destroying, this,
            [this] { window_.pDevices->mUserDescr->removeEventFilter(this); });

    const CProjectNotifier* n = &project.Notifier;
    // The description box always shows the active device's description.
    for (auto signal : {&CProjectNotifier::DeviceAdded, &CProjectNotifier::DeviceRemoved,
                        &CProjectNotifier::ActiveDeviceChanged}) {
        connect(n, signal, this, &TProjectUi::ShowDescription);
    }
    connect(n, &CProjectNotifier::DevicesMoved, this, &TProjectUi::ShowDescription);
    window_.RefreshPlan().Add(RefreshStep::FileName, [this] { RefreshProjectName(); });
    window_.RefreshPlan().Add(RefreshStep::CommandStates, [this] { RefreshSetupMenu(); });

    window_.SetProjectStore(
        [this](CMyIni& document) { StoreProjectSections(document, window_.Project()); });
    window_.SetProjectRestore([this] {
        const CommandLine& line = window_.Arguments();
        file_->Restore({line.ProjectPath, line.ProjectMissing});
        ShowDescription();
    });
}

bool TProjectUi::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.pDevices->mUserDescr && event->type() == QEvent::FocusOut) {
        commands_->StoreDescription(window_.pDevices->mUserDescr->toPlainText());
    }
    return QObject::eventFilter(watched, event);
}

void TProjectUi::ShowDescription() {
    QPlainTextEdit* box = window_.pDevices->mUserDescr;
    const CDevice* device = window_.Project().Active();
    const QString text = device != nullptr ? CProjectCommands::DescriptionOf(*device) : QString();
    if (box->toPlainText() != text) {
        box->setPlainText(text);
    }
}

void TProjectUi::RefreshProjectName() {
    window_.pProject->SetProjectName(window_.Project().ProjectFileName);
}

void TProjectUi::RefreshSetupMenu() {
    const TProject& project = window_.Project();
    const SetupMenuState menu = SetupMenuFor(project.Active(), project.LinkDevices != 0);
    TMainCommands& c = window_.Commands();
    c.miDeviceSetup->setEnabled(menu.DeviceSetup);
    c.miDeviceHelp->setEnabled(menu.DeviceHelp);
    c.miDeviceInfo->setEnabled(menu.DeviceInfo);
    c.miEditAdapter->setEnabled(menu.EditAdapter);
    c.miChangeAdapter->setEnabled(menu.ChangeAdapter);
    c.miSerialization->setEnabled(menu.Serialization);
}

void TProjectUi::SelectionMade() {
    window_.RefreshAll();
    TProject& project = window_.Project();
    CDevice* device = project.Active();
    if (device == nullptr) {
        return;
    }
    const CDeviceLibrary library = Library();
    if (const std::optional<QString> text =
            SelectionStatusText(project, library.VendorNameOf(device->Descriptor))) {
        device->StatusText = *text;
        window_.SetStatusMessage(*text);
        window_.pOperation->SetProgress(QString());
    }
}

void TProjectUi::miOpenProjectClick() {
    QFileDialog dialog(&window_, QStringLiteral("Open from disk"), QString(), fileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("zlp"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    file_->Open(dialog.selectedFiles().constFirst());
    ShowDescription();
}

void TProjectUi::miSaveProjectClick() {
    if (file_->NeedsFileName()) {
        miSaveProjectAsClick();
        return;
    }
    file_->Save(window_.Project().ProjectFileName);
}

void TProjectUi::miSaveProjectAsClick() {
    const Result allowed = file_->CanSaveAs();
    if (!allowed.ok) {
        window_.ShowMessageDialog(miWarning, mbOk, allowed.message);
        return;
    }
    QFileDialog dialog(&window_, QStringLiteral("Save to disk as..."), QString(), fileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("zlp"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    file_->Save(dialog.selectedFiles().constFirst());
}

void TProjectUi::miDeviceInfoClick() {
    const CDevice* device = window_.Project().Active();
    if (device == nullptr) {
        window_.ShowMessageDialog(miWarning, mbOk, QStringLiteral("No device selected."));
        return;
    }
    TfDeviceInfo info(*device, Library().VendorNameOf(device->Descriptor), &window_);
    info.exec();
}

void TProjectUi::miDeviceSetupOptClick() {
    DeviceSetupHost host;
    reportThrough(window_, host);
    host.Window = &window_;
    RunDeviceSetup(window_.Project(), DeviceSetupCallsOf(window_.Session().Api()), window_.AppDir(),
                   window_.Programmers(), host);
}

} // namespace zelmo
