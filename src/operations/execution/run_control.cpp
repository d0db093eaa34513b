// Run control: the Run command, the Single-tab buttons, tab selection and operation toggles.

#include "operations/execution/operation_block.h"
#include "operations/execution/operations.h"
#include "project/project.h"

#include <algorithm>

namespace zelmo {

namespace {
const char* const kAssignProgrammer =
    "Please assign programmer to the microchip.\n\rUse sub menu Assign Programmer item";
const char* const kCancelled = "Operation cancelled.";
const char* const kDemoMode = "Operation not available in demo mode.";
} // namespace

OperationButtons COperations::Buttons() const {
    return ComputeOperationButtons(project_, programmers_);
}

bool COperations::refuseWithoutProgrammer() {
    showMessage(QString::fromLatin1(kAssignProgrammer));
    setStatus(project_.ActiveDevice, QString::fromLatin1(kCancelled));
    return false;
}

void COperations::launchRun(int device, int programmer, bool byUser) {
    CDevice& d = *project_.DeviceAt(device);
    d.Busy = 1;
    changed(device, ViewOperations | ViewTree);
    // Reported before the start: the start lets pending events run, and with them the first
    // steps of the new thread, whose lines belong after this one.
    const QString text = QStringLiteral("Executing operations...");
    d.StatusText = text;
    log(lkDataSetHeaderAfterBlank(device));
    log(lkDetail, text);
    changed(device, ViewStatusText);
    emit StatusMessage(text);
    startOperation(device, programmer, byUser);
}

int COperations::Run(bool byUser) {
    CDevice* active = project_.Active();
    if (active == nullptr) {
        return 0;
    }
    const int activeIndex = project_.ActiveDevice;
    if (Demo()) {
        log(lkDataSetHeaderAfterBlank(activeIndex));
        log(lkDetail, QString::fromLatin1(kDemoMode));
        setStatus(activeIndex, QString::fromLatin1(kCancelled));
        emit OperationCompleted(activeIndex + 1, CodeDemoMode);
        return 0;
    }
    if (project_.SafeMode != 0 && byUser && !ask(QStringLiteral("Are you sure?"))) {
        return 0;
    }
    if (active->ShownDataSet != active->SelectedDataSet) {
        // The views show the data set the operation will use.
        project_.ShowDataSet(activeIndex, active->SelectedDataSet);
    }
    const bool gang = Gang();
    const bool link = project_.LinkDevices != 0;
    const int count = std::min({programmers_.Count(), project_.DeviceCount, kGangPanels});
    int started = 0;
    for (int i = 0; i < count; ++i) {
        const int d = gang && link ? i : activeIndex;
        CDevice& device = *project_.DeviceAt(d);
        if ((!link || device.Linked != 0) && device.OpTabsSelected != TabSingle) {
            const int programmer = programmers_.ForDevice(project_, device);
            if (programmer < 0) {
                refuseWithoutProgrammer();
                return started;
            }
            if (!programmerBusy(programmer) && threadOf(&device) == nullptr) {
                launchRun(d, programmer, byUser);
                ++started;
            }
        }
        if (!(gang && link)) {
            break;
        }
    }
    return started;
}

void COperations::SingleOperation(int tag, bool byUser) {
    const SingleOperationInfo* op = SingleOperationForTag(tag);
    CDevice* active = project_.Active();
    if (op == nullptr || active == nullptr) {
        return;
    }
    const int activeIndex = project_.ActiveDevice;
    if (op->Confirm && project_.SafeMode != 0 && byUser && !ask(QStringLiteral("Are you sure?"))) {
        return;
    }
    const bool link = project_.LinkDevices != 0;
    if (link) {
        project_.UpdateLinks();
    }
    const bool gang = Gang();
    const int programmer = Demo() ? -1 : programmers_.ForDevice(project_, *active);
    if (gang && programmer < 0) {
        refuseWithoutProgrammer();
        return;
    }
    project_.SelectDataSet(activeIndex, active->ShownDataSet);
    active->Busy = 1;
    changed(activeIndex, ViewOperations | ViewTree);
    const QString text = QString::fromLatin1(op->Text);

    if (link && gang) {
        // Every linked device runs the operation on its own programmer, as a single operation:
        // it neither counts nor advances a serial number, wherever it was started from.
        bool activeStarted = false;
        const int count = std::min({programmers_.Count(), project_.DeviceCount, kGangPanels});
        for (int j = 0; j < count; ++j) {
            CDevice& device = *project_.DeviceAt(j);
            if (device.Linked == 0) {
                continue;
            }
            const int assigned = programmers_.AssignedTo(device);
            if (assigned < 0) {
                refuseWithoutProgrammer();
                break;
            }
            if (programmerBusy(assigned) || (threadOf(&device) != nullptr)) {
                continue;
            }
            device.Busy = 1;
            changed(j, ViewOperations | ViewTree);
            const OperationBlock block = MakeOperationBlock(
                device, {.Mode = OPMODE_SINGLE,
                         .Operations = WithPinCheck(device, op->Bit),
                         .Beep = project_.Beep,
                         .DefaultTestState = DefaultTestStateOf(device, device.SelectedDataSet)});
            device.StatusText = text;
            log(lkDataSetHeaderAfterBlank(j));
            log(lkDetail, text);
            changed(j, ViewStatusText);
            emit StatusMessage(text);
            startThread(j, assigned, block, byUser && programmers_.Count() == 1, true);
            activeStarted = activeStarted || j == activeIndex;
        }
        if (!activeStarted) {
            // Busy was set for a run that did not start on the active device.
            active->Busy = 0;
            changed(activeIndex, ViewOperations | ViewTree);
        }
        return;
    }

    active->StatusText = text;
    log(lkDataSetHeaderAfterBlank(activeIndex));
    log(lkDetail, text);
    changed(activeIndex, ViewStatusText);
    emit StatusMessage(text);
    if (programmer >= 0 && !programmerBusy(programmer) && threadOf(active) == nullptr) {
        const OperationBlock block = MakeOperationBlock(
            *active, {.Mode = OPMODE_SINGLE,
                      .Operations = WithPinCheck(*active, op->Bit),
                      .Beep = project_.Beep,
                      .DefaultTestState = DefaultTestStateOf(*active, active->SelectedDataSet)});
        // Interactive, and the button does not wait for the thread's preparation.
        startThread(activeIndex, programmer, block, true, false);
        return;
    }
    log(lkDetail, programmer >= 0 ? QStringLiteral("Operation cancelled. Programmer not available.")
                                  : QString::fromLatin1(kDemoMode));
    setStatus(activeIndex, QString::fromLatin1(kCancelled));
    active->Busy = 0;
    changed(activeIndex, ViewOperations | ViewTree);
}

void COperations::SelectTab(std::uint8_t tab) {
    CDevice* active = project_.Active();
    if (active == nullptr || active->Busy != 0 || active->AutoActive != 0 || tab > TabProgram) {
        return;
    }
    for (int d = 0; d < project_.DeviceCount; ++d) {
        CDevice& device = *project_.DeviceAt(d);
        if (d == project_.ActiveDevice || (project_.LinkDevices != 0 && device.Linked != 0)) {
            device.OpTabsSelected = tab;
            changed(d, ViewOperations);
        }
    }
}

void COperations::ToggleOperation(std::uint32_t bit) {
    CDevice* active = project_.Active();
    if (active == nullptr || active->OpTabsSelected == TabSingle ||
        active->OpTabsSelected > TabProgram || !Buttons().Enabled(bit) ||
        (kTabOperations[active->OpTabsSelected] & bit) == 0) {
        return;
    }
    const std::size_t tab = active->OpTabsSelected;
    active->OpTabs[tab] ^= bit;
    changed(project_.ActiveDevice, ViewOperations);
    if (project_.LinkDevices == 0) {
        return;
    }
    for (int d = 0; d < project_.DeviceCount; ++d) {
        CDevice& device = *project_.DeviceAt(d);
        if (&device != active && device.Linked != 0) {
            device.OpTabs[tab] = active->OpTabs[tab];
            changed(d, ViewOperations);
        }
    }
}

} // namespace zelmo
