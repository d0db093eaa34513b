#include "catalogue/ui/pin_check_switch.h"

#include "app/ui/main_window.h"
#include "app/ui/operation_area.h"
#include "catalogue/adapter_commands.h"
#include "catalogue/ui/adapter_menu.h"

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
    ReportToWindow(window_, report);
}

} // namespace zelmo
