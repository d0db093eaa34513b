#pragma once

// What an operation asks of the hardware library: the operation set of a device's selected tab,
// the operation block handed to _ZmInitLib, and the code a finished operation reports to the
// command-line controller.

#include "abi/hardware_api.h"

#include <array>
#include <cstdint>

namespace zelmo {

class CDevice;

// CDevice::OpTabsSelected.
enum OperationTab : std::uint8_t { TabSingle = 0, TabErase = 1, TabRead = 2, TabProgram = 3 };

// The operations each tab can hold; a tab offers Run only when the device supports one of them.
inline constexpr std::array<std::uint32_t, 4> kTabOperations = {
    0, OP_CHECK_ID | OP_ERASE | OP_BLANK_CHECK, OP_CHECK_ID | OP_READ | OP_VERIFY,
    OP_CHECK_ID | OP_ERASE | OP_BLANK_CHECK | OP_PROGRAM | OP_VERIFY | OP_CONFIGURE | OP_TEST};
static_assert(kTabOperations[1] == 0x0D && kTabOperations[2] == 0x23 && kTabOperations[3] == 0xFD);

// `operations` plus the pin check when the device supports it and its PinCheck switch is on.
std::uint32_t WithPinCheck(const CDevice& device, std::uint32_t operations);
// The operation set of the device's selected tab, with the pin check as above.
std::uint32_t SelectedTabOperations(const CDevice& device);

struct BlockRequest {
    std::uint8_t Mode = OPMODE_RUN;
    std::uint32_t Operations = 0;
    std::uint8_t Beep = 0;
    std::uint8_t DefaultTestState = 0; // single operations only
};

// The block for one device: the request's fields with the device's memory selection and
// adapter image, and the constant 1 at offset 1.
OperationBlock MakeOperationBlock(const CDevice& device, const BlockRequest& request);

// The default test state of the file assigned to memory A of a data set, 0 when none.
std::uint8_t DefaultTestStateOf(const CDevice& device, int dataSet);

// Codes of the answers to the command-line controller.
enum ControllerCode : int {
    CodeSuccess = 0,
    CodeRefused = 1, // open and close requests that could not be done
    CodeOperationFailed = 10,
    CodePinCheckFailed = 11,
    CodeDemoMode = 100,
};

// The completion code of an operation that ended with `status`: success only for status 0 of an
// operation that was prepared and ran; 11 for a failed pin check; 10 for everything else,
// including a cancelled run, a pin check the device does not support (0x1000), a call-order
// error (0x4000) and a preparation that failed.
int CompletionCode(std::int32_t status, bool failed);

} // namespace zelmo
