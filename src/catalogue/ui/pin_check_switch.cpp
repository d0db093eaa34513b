#include "catalogue/ui/pin_check_switch.h"

#include "app/log_kind.h"
#include "app/ui/main_window.h"
#include "app/ui/operation_area.h"
#include "catalogue/adapter_commands.h"

#include <QCheckBox>

namespace zelmo {

TPinCheckSwitch::TPinCheckSwitch(TfMain& window) : QObject(&window), window_(window) {
    // clicked() comes only from the user (mouse or keyboard), never from the refresh that sets
    // the box from the device.
    connect(window_.pOperation->cbPinCheck, &QCheckBox::clicked, this,
            &TPinCheckSwitch::cbPinCheckClick);
}

void TPinCheckSwitch::cbPinCheckClick(bool on) {
    const DeviceReport report = SetPinCheck(window_.Project(), on);
    if (!report.ok) {
        return;
    }
    window_.AddLog(lkDeviceHeaderAfterBlank(report.Slot));
    for (const QString& line : report.Details) {
        window_.AddLog(lkDetail, line);
    }
    window_.SetStatusMessage(report.Status);
}

} // namespace zelmo
