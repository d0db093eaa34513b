#include "operations/ui/operations_ui.h"

#include "app/refresh_plan.h"
#include "app/ui/bottom_tabs.h"
#include "app/ui/busy_window.h"
#include "app/ui/device_bar.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "app/ui/operation_area.h"
#include "controls/ui/picture_button.h"
#include "controls/ui/pictures.h"
#include "operations/ui/gang_view.h"
#include "operations/ui/operation_panel.h"
#include "project/ui/project_tree.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QTimer>

namespace zelmo {

TOperationsUi::TOperationsUi(TfMain& window) : window_(window) {
    OperationHost host{
        .Log = [this](LogKind kind, const QString& text) { window_.AddLog(kind, text); },
        .ShowMessage =
            [this](const QString& text) { window_.ShowMessageDialog(miWarning, mbOk, text); },
        .ShowError =
            [this](const QString& text) {
                QMessageBox::critical(&window_, QStringLiteral("Error"), text);
            },
        .Ask =
            [this](const QString& question) {
                return window_.ShowMessageDialog(miQuestion, mbYesNo, question) == mrYes;
            },
        .ShowPinCheck =
            [this](int device) {
                if (pinCheckView_) {
                    pinCheckView_(device);
                }
            },
        .RunBusy =
            [this](QThread& worker, Progress& progress) {
                window_.Busy().SetInfo(progress.text().isEmpty() ? QStringLiteral("Loading file...")
                                                                 : progress.text());
                window_.Busy().Execute(worker, &progress);
            },
    };
    operations_ = std::make_unique<COperations>(window_.Project(), executor_, std::move(host));
    COperations& ops = *operations_;

    panel_ = new TOperationPanel(window_.Project(), ops);
    window_.SetOperationPanel(panel_);
    gang_ = new TGangView(window_.Project(), ops);
    window_.SetGangView(gang_);

    TMainCommands& c = window_.Commands();
    connect(c.miRun, &QAction::triggered, this, [this] {
        operations_->Run(true);
        RefreshButtons();
    });
    connect(c.miAuto, &QAction::triggered, this, [this] {
        operations_->AutoClick();
        RefreshButtons();
    });
    connect(c.miStatClear, &QAction::triggered, &ops, &COperations::ClearStatistics);
    connect(c.miGlobalStatClear, &QAction::triggered, &ops, &COperations::ClearGlobalStatistics);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window_);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, &ops, &COperations::CancelActive);
    // The window's progress timer polls the programmers.
    connect(window_.tProgress, &QTimer::timeout, &ops, &COperations::ProgressTick);

    connect(&ops, &COperations::ViewsChanged, this, &TOperationsUi::RefreshViews);
    connect(&ops, &COperations::StatusMessage, &window_, &TfMain::SetStatusMessage);
    connect(&ops, &COperations::SpinnerChanged, this, [this](int device, int picture) {
        gang_->SetSpinner(device, picture);
        if (device == window_.Project().ActiveDevice) {
            const CDevice* active = window_.Project().Active();
            window_.pOperation->SetProgress(active != nullptr ? ProgressText(*active) : QString(),
                                            picture);
        }
    });
    connect(&ops, &COperations::ProductionPicture, this, &TOperationsUi::ShowProductionPicture);
    // A new active device, or a device added or removed, shows its own tabs, progress and
    // panels: one refresh after the whole change (a device is announced before its set-up).
    refreshLater_ = new QTimer(this);
    refreshLater_->setSingleShot(true);
    refreshLater_->setInterval(0);
    connect(refreshLater_, &QTimer::timeout, this, [this] { RefreshViews(-1, ViewAll); });
    const CProjectNotifier* n = &window_.Project().Notifier;
    for (auto signal : {&CProjectNotifier::ActiveDeviceChanged, &CProjectNotifier::DeviceAdded,
                        &CProjectNotifier::DeviceRemoved}) {
        connect(n, signal, refreshLater_, qOverload<>(&QTimer::start));
    }
    connect(n, &CProjectNotifier::DevicesMoved, refreshLater_, qOverload<>(&QTimer::start));

    CRefreshPlan& plan = window_.RefreshPlan();
    plan.Add(RefreshStep::OperationTabs, [this] {
        operations_->ApplyTimerInterval();
        panel_->Refresh();
    });
    plan.Add(RefreshStep::OperationButtons, [this] { RefreshButtons(); });
    plan.Add(RefreshStep::Progress, [this] { RefreshProgress(); });
    plan.Add(RefreshStep::Serialization, [this] { gang_->RefreshSerialization(); });
    plan.Add(RefreshStep::Statistics, [this] {
        gang_->RefreshStatistics();
        RefreshGlobalStatistics();
    });
    plan.Add(RefreshStep::GangPanels, [this] { gang_->Refresh(); });
}

TOperationsUi::~TOperationsUi() {
    Shutdown();
}

void TOperationsUi::Started() {
    if (auto* tree = qobject_cast<TProjectTree*>(window_.pDevices->ProjectTree())) {
        AttachProjectTree(*tree);
    }
    const CStartupSession& session = window_.Session();
    operations_->SetHardware(
        window_.AppDir(), session.Started() ? &session.Api() : nullptr,
        CProgrammers(session.Programmers(), session.Assignment(), session.GangCapable()),
        &session.Remote());
    RefreshViews(-1, ViewAll);
}

void TOperationsUi::Shutdown() {
    operations_->Shutdown();
}

void TOperationsUi::RefreshButtons() {
    const OperationButtons states = operations_->Buttons();
    panel_->Refresh();
    window_.Commands().miRun->setEnabled(states.Run);
    window_.Commands().miAuto->setEnabled(states.Auto);
}

void TOperationsUi::RefreshProgress() {
    const CDevice* active = window_.Project().Active();
    window_.pOperation->lProgress->setText(active != nullptr ? ProgressText(*active) : QString());
    for (int slot = 0; slot < kGangPanels; ++slot) {
        gang_->RefreshProgress(slot);
    }
}

void TOperationsUi::RefreshGlobalStatistics() {
    const StatisticsCounts sum = GlobalStatistics(window_.Project(), operations_->Programmers());
    window_.pBottom->lGlobalGood->setText(QString::number(sum.Good));
    window_.pBottom->lGlobalBad->setText(QString::number(sum.Bad));
    window_.pBottom->lGlobalTotal->setText(QString::number(sum.Total));
}

void TOperationsUi::RefreshViews(int device, unsigned views) {
    CRefreshPlan& plan = window_.RefreshPlan();
    if ((views & (ViewOperations | ViewLinks)) != 0) {
        RefreshButtons();
        plan.Run(RefreshStep::CommandStates);
    }
    if ((views & ViewProgress) != 0) {
        RefreshProgress();
    }
    if ((views & ViewLights) != 0) {
        if (device < 0) {
            for (int slot = 0; slot < kGangPanels; ++slot) {
                gang_->RefreshLights(slot);
            }
        } else {
            gang_->RefreshLights(device);
        }
    }
    if ((views & ViewStatistics) != 0) {
        plan.Run(RefreshStep::Statistics);
    }
    if ((views & ViewSerialization) != 0) {
        plan.Run(RefreshStep::Serialization);
    }
    if ((views & ViewTree) != 0) {
        if (QWidget* tree = window_.pDevices->ProjectTree()) {
            tree->update();
        }
    }
    if ((views & ViewBuffers) != 0) {
        if (QWidget* buffers = window_.pBottom->BufferView()) {
            buffers->update();
        }
    }
    if (views == ViewAll) {
        gang_->Refresh();
    }
}

void TOperationsUi::ShowProductionPicture(int picture) {
    // The button alternates between its lit and its plain picture while production runs.
    const bool remote = operations_->RemoteMode();
    QString name = remote ? QStringLiteral("remote") : QStringLiteral("auto");
    if (picture == 1) {
        name += QStringLiteral("_lit");
    }
    TPictureButton* button = window_.pOperation->bAuto;
    button->SetPicture(name);
    window_.Commands().miAuto->setIcon(button->icon());
}

void TOperationsUi::AttachProjectTree(TProjectTree& tree) {
    tree.SetAssignMenuFiller([this](QMenu* menu, int device) {
        if (menu != nullptr) {
            FillAssignMenu(*menu, device);
        }
    });
}

bool TOperationsUi::FillAssignMenu(QMenu& menu, int device) {
    menu.clear();
    if (!AssignMenuVisible(operations_->Programmers())) {
        return false;
    }
    for (const AssignMenuItem& item : operations_->AssignMenu(device)) {
        QAction* action = menu.addAction(item.Caption);
        action->setCheckable(true);
        action->setChecked(item.Checked);
        const int programmer = item.Programmer;
        connect(action, &QAction::triggered, this,
                [this, device, programmer] { operations_->AssignProgrammer(device, programmer); });
    }
    return true;
}

} // namespace zelmo
