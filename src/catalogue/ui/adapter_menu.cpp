#include "catalogue/ui/adapter_menu.h"

#include "app/device_preparation.h"
#include "app/log_kind.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "catalogue/adapter_commands.h"
#include "catalogue/ui/adapter_dialog.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

namespace zelmo {

TAdapterMenu::TAdapterMenu(TfMain& window) : QObject(&window), window_(window) {
    connect(window_.Commands().miEditAdapter, &QAction::triggered, this,
            &TAdapterMenu::miEditAdapterClick);
    connect(window_.Commands().miChangeAdapter, &QAction::triggered, this,
            &TAdapterMenu::miChangeAdapterDevClick);
}

AdapterDialogContext TAdapterMenu::CreatorContext() const {
    AdapterDialogContext context;
    context.AppDir = window_.AppDir();
    for (const ProgrammerInfo& p : window_.Programmers()) {
        context.Ports.push_back(p.Port);
    }
    const TProject& project = window_.Project();
    context.ActiveSlot = project.ActiveDevice;
    if (const CDevice* device = project.Active()) {
        context.DevicePinCount = static_cast<int>(device->Descriptor.PinCount & 0xFFu);
        if (!device->AdapterFile.isEmpty()) {
            context.SaveFolder = QFileInfo(device->AdapterFile).absolutePath();
        }
    }
    TfMain* window = &window_;
    context.InitHardware = [window](int port) {
        const HardwareEntryPoints& api = window->Session().Api();
        if (api.ZmInitHardware != nullptr && api.ZmInitHardware(port, 0) != 0) {
            return true;
        }
        if (api.ZmGetMessage != nullptr) {
            for (const QString& line : LibraryMessages(api, port)) {
                window->AddLog(lkPlain, line);
            }
        }
        return false;
    };
    return context;
}

void ReportToWindow(TfMain& window, const DeviceReport& report) {
    window.AddLog(lkDeviceHeaderAfterBlank(report.Slot));
    for (const QString& line : report.Details) {
        window.AddLog(lkDetail, line);
    }
    window.SetStatusMessage(report.Status);
}

void TAdapterMenu::miEditAdapterClick() {
    TProject& project = window_.Project();
    const CDevice* device = project.Active();
    std::array<std::uint8_t, kAdapterImageSize> image{};
    QString path;
    if (device != nullptr) {
        image = device->AdapterData;
        path = device->AdapterFile;
    }
    CreatorOutcome outcome;
    {
        TfAdapter creator(CreatorContext(), path, image, &window_);
        if (CreatorShown) {
            QTimer::singleShot(0, &creator, [this, &creator] { CreatorShown(creator); });
        }
        creator.exec();
        outcome.Modified = creator.Creator().Modified;
        outcome.Opened = creator.Creator().Opened;
        outcome.Path = creator.Creator().Path;
        outcome.Image = creator.Creator().Image();
    }
    const DeviceReport report = ApplyEditedAdapter(project, outcome);
    if (report.ok) {
        ReportToWindow(window_, report);
        window_.RefreshAll();
    }
}

void TAdapterMenu::miChangeAdapterDevClick() {
    TProject& project = window_.Project();
    if (project.Active() == nullptr) {
        window_.ShowMessageDialog(miWarning, mbOk, QString::fromLatin1(kNoDeviceSelected));
        return;
    }
    const QString start = project.Active()->AdapterFile;
    const QString path =
        ChooseAdapterFile ? ChooseAdapterFile(&window_)
                          : QFileDialog::getOpenFileName(&window_, QStringLiteral("Open"), start,
                                                         QStringLiteral("Adapter files (*.adp)"));
    if (path.isEmpty()) {
        return;
    }
    const DeviceReport report = ChangeAdapter(project, path);
    if (!report.ok) {
        window_.ShowMessageDialog(miWarning, mbOk, report.message);
        return;
    }
    ReportToWindow(window_, report);
    window_.RefreshAll();
}

} // namespace zelmo
