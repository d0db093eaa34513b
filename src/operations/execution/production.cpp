// Production modes (Auto and remote control) and the progress polling that drives them.

#include "operations/execution/operation_block.h"
#include "operations/execution/operations.h"
#include "project/project.h"

#include <algorithm>

namespace zelmo {

namespace {

// Releases the bAuto command's re-entry guard on every way out.
class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag) { flag_ = true; }
    ~Guard() { flag_ = false; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    bool& flag_;
};

} // namespace

void COperations::AutoClick() {
    if (autoBusy_) {
        return;
    }
    const Guard guard(autoBusy_);
    if (Demo()) {
        log(lkSection,
            QStringLiteral("Auto mode not enabled. Operation not available in demo mode."));
        emit StatusMessage(QStringLiteral("Operation cancelled."));
        return;
    }
    if (project_.LinkDevices != 0) {
        project_.LinkDevices = 0;
        project_.UpdateLinks();
        changed(-1, ViewLinks | ViewTree | ViewOperations);
    }
    if (RemoteMode()) {
        remoteMode(!tAuto.isActive());
        changed(-1, ViewOperations);
        return;
    }
    if (ProductionThreads()) {
        stopProduction();
        return;
    }
    startProduction();
}

void COperations::remoteMode(bool on) {
    if (!on) {
        tRemoteCtrl.stop();
        tAuto.stop();
        emit ProductionPicture(0);
        remote_->Free();
        announce(QStringLiteral("Production Mode (Remote control) disabled."));
        return;
    }
    if (CDevice* active = project_.Active()) {
        project_.SelectDataSet(project_.ActiveDevice, active->ShownDataSet);
    }
    remote_->Init();
    announce(QStringLiteral("Production Mode (Remote control) enabled."));
    tAuto.start();
    tRemoteCtrl.start();
}

void COperations::stopProduction() {
    bool stopped = false;
    for (auto& slot : production_) {
        const std::shared_ptr<TExecuteThread> thread = slot;
        if (!thread) {
            continue;
        }
        // The thread itself knows the programmer it was started on: it is stopped there even
        // when the assignment changed meanwhile.
        thread->RequestStop();
        if (api_ != nullptr && !thread->isFinished() && api_->ZmGetStatus(thread->Port()) < 0) {
            api_->ZmGetProgress(thread->Port(), nullptr, 1, nullptr);
        }
        thread->Wake();
        waitFor(*thread);
        slot.reset();
        stopped = true;
    }
    if (stopped) {
        tAuto.stop();
        emit ProductionPicture(0);
        productionRunning_ = false;
        announce(QStringLiteral("Production Mode (Auto) disabled."));
        changed(-1, ViewOperations);
    }
}

void COperations::startProduction() {
    CDevice* active = project_.Active();
    if (active == nullptr) {
        return;
    }
    project_.SelectDataSet(project_.ActiveDevice, active->ShownDataSet);
    const bool gang = Gang();
    const int count =
        gang ? std::min({programmers_.Count(), project_.DeviceCount, kGangPanels}) : 1;
    for (int q = 0; q < count; ++q) {
        const int d = gang ? q : project_.ActiveDevice;
        CDevice& device = *project_.DeviceAt(d);
        if (device.OpTabsSelected == TabSingle) {
            continue; // nothing to repeat
        }
        const int programmer = programmers_.ForDevice(project_, device);
        if (programmer < 0) {
            refuseWithoutProgrammer();
            break;
        }
        if (programmerBusy(programmer)) {
            continue;
        }
        device.AutoActive = 1;
        changed(d, ViewOperations | ViewTree);
        const OperationBlock block = MakeOperationBlock(
            device, {.Mode = project_.ProdModeType != 0 ? std::uint8_t{OPMODE_PRODUCTION_INSERTION}
                                                        : std::uint8_t{OPMODE_PRODUCTION_OK_BUTTON},
                     .Operations = SelectedTabOperations(device),
                     .Beep = project_.Beep});
        startThread(d, programmer, block, false, true);
        productionRunning_ = true;
    }
    bool anyActive = false;
    for (int d = 0; d < project_.DeviceCount; ++d) {
        anyActive = anyActive || project_.DeviceAt(d)->AutoActive != 0;
    }
    if (anyActive) {
        announce(QStringLiteral("Production Mode (Auto) enabled."));
        tAuto.start();
    }
    changed(-1, ViewOperations);
}

void COperations::AutoTick() {
    if (!tAuto.isActive()) {
        return;
    }
    autoPicture_ = autoPicture_ == 1 ? 2 : 1;
    emit ProductionPicture(autoPicture_);
}

void COperations::RemoteCtrlTick() {
    if (!RemoteMode() || api_ == nullptr || project_.DeviceCount == 0) {
        return;
    }
    // A device takes a start only when it is idle and no thread of its own is alive, so one
    // trigger never starts a second run on a device whose first is still being prepared.
    const auto idle = [this](const CDevice& device, int programmer) {
        return programmer >= 0 && device.Busy == 0 && device.AutoActive == 0 &&
               device.OpTabsSelected != TabSingle && threadOf(&device) == nullptr &&
               !programmerRunning(programmer);
    };
    if (Gang()) {
        const int count = std::min({programmers_.Count(), project_.DeviceCount, kGangPanels});
        for (int i = 0; i < count; ++i) {
            const CDevice& device = *project_.DeviceAt(i);
            const int programmer = programmers_.AssignedTo(device);
            if (idle(device, programmer) && remote_->CheckStatus(i) != 0) {
                launchRun(i, programmer, false);
            }
        }
        return;
    }
    const CDevice* active = project_.Active();
    const int programmer = programmers_.SinglePosition(project_);
    if (active != nullptr && idle(*active, programmer) && remote_->CheckStatus(programmer) != 0) {
        launchRun(project_.ActiveDevice, programmer, false);
    }
}

int COperations::deviceOfProgrammer(int position) const {
    if (!Gang()) {
        return project_.ActiveDevice;
    }
    const std::int32_t assigned = programmers_.AssignmentOf(position);
    for (int d = 0; d < project_.DeviceCount && assigned >= 0; ++d) {
        if (project_.DeviceAt(d)->Slot == assigned) {
            return d;
        }
    }
    return -1;
}

void COperations::setSpinner(int device, int picture) {
    if (device < 0 || device >= static_cast<int>(spinner_.size()) ||
        spinner_[static_cast<std::size_t>(device)] == picture) {
        return;
    }
    spinner_[static_cast<std::size_t>(device)] = picture;
    emit SpinnerChanged(device, picture);
}

void COperations::ProgressTick() {
    if (polling_ || project_.DeviceCount == 0 || api_ == nullptr || Demo()) {
        return;
    }
    const Guard guard(polling_);
    const bool gang = Gang();
    const int first = gang ? 0 : programmers_.SinglePosition(project_);
    const int last = gang ? programmers_.Count() : first + 1;
    for (int position = first; position < last; ++position) {
        const int port = programmers_.At(position).Port;
        TExecuteThread* thread = threadOnPort(port);
        const int d = thread != nullptr ? indexOf(thread->Device()) : deviceOfProgrammer(position);
        if (api_->ZmGetStatus(port) >= 0) {
            setSpinner(d, -1);
            continue;
        }
        double percent = 0.0;
        std::uint8_t trigger = 0;
        const bool cancel = thread != nullptr && thread->CancelPending();
        const std::int32_t result = api_->ZmGetProgress(port, &percent, cancel ? 1 : 0, &trigger);
        if (cancel) {
            thread->CancelDelivered();
        }
        if (trigger != 0 && productionRunning_ && thread != nullptr && thread->Production()) {
            thread->Wake();
        }
        CDevice* device = project_.DeviceAt(d);
        if (device == nullptr) {
            continue;
        }
        if (result == 0) {
            device->Progress = percent;
            changed(d, ViewProgress);
        }
        if (result == 0 || result == 1) {
            const int picture = spinner_[static_cast<std::size_t>(d)];
            setSpinner(d, picture < 0 ? 0 : (picture + 1) % 4);
        }
    }
}

} // namespace zelmo
