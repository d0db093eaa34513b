#pragma once

// Programmer records as the start-up fills them: "Zelmo 2 USB", hardware "1.0", serial numbers
// ZS01, ZS02, ... and firmware 1.02.10.05, one per attached programmer.

#include "abi/hardware_api.h"
#include "project/device_descriptor.h"

#include <string>
#include <vector>

namespace zelmo::test {

inline std::vector<ProgrammerInfo> TestProgrammers(int count) {
    std::vector<ProgrammerInfo> list(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ProgrammerInfo& p = list[static_cast<std::size_t>(i)];
        p.Port = i + 1;
        p.Model = 1;
        SetFieldText(p.ModelName, "Zelmo 2 USB");
        SetFieldText(p.HardwareVersion, "1.0");
        SetFieldText(p.SerialNumber, "ZS0" + std::to_string(i + 1));
        p.Firmware[0] = 1;
        p.Firmware[1] = 2;
        p.Firmware[2] = 0x10;
        p.Firmware[3] = 5;
    }
    return list;
}

} // namespace zelmo::test
