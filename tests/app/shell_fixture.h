#pragma once

// A project with devices for the shell's rules: device entries made through the project's own
// AddCompleteDevice in a private swap folder.

#include "project/project_fixture.h"

#include <string>

namespace zelmo::test {

class ShellProjectTest : public ProjectTest {
protected:
    // A device with memories of the given sizes, capability flags and memory names "MemA"...
    CDevice& AddTestDevice(std::array<std::uint32_t, 5> sizes = {16, 0, 0, 0, 0},
                           std::uint32_t flags = 0, const char* name = "CHIP") {
        DeviceDescriptor descriptor = makeDescriptor(sizes, flags);
        SetFieldText(descriptor.Name, name);
        const AddDeviceResult added = project.AddCompleteDevice(descriptor, [](CDevice& device) {
            for (int m = 0; m < kMemories; ++m) {
                const std::string memoryName = std::string("Mem") + char('A' + m);
                SetFieldText(device.Buffers[static_cast<std::size_t>(m)].Name, memoryName);
            }
            return true;
        });
        EXPECT_GE(added.Slot, 0);
        return *project.Devices[static_cast<std::size_t>(added.Slot)];
    }
};

} // namespace zelmo::test
