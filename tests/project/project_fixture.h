#pragma once

#include "common/temp_dir.h"
#include "project/device_descriptor.h"
#include "project/project.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

namespace zelmo::test {

inline DeviceDescriptor makeDescriptor(std::array<std::uint32_t, 5> sizes, std::uint32_t flags = 0,
                                       std::uint8_t type = DT_FLASH) {
    DeviceDescriptor descriptor{};
    descriptor.Type = type;
    SetFieldText(descriptor.Vendor, "TST");
    SetFieldText(descriptor.Name, "CHIP");
    SetFieldText(descriptor.Package, "DIP8");
    for (int m = 0; m < 5; ++m) {
        descriptor.MemSize[m] = sizes[static_cast<std::size_t>(m)];
    }
    descriptor.Flags = flags;
    return descriptor;
}

inline QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// A project whose swap directory is a fresh temporary folder.
class ProjectTest : public ::testing::Test {
protected:
    ProjectTest() { project.SetSwapPath(qpath(swapDir.path())); }
    ~ProjectTest() override { project.CloseAll(true); }

    std::filesystem::path swapFile(const CDataSet& dataSet) const {
        return swapDir / SwapFileNameStd(dataSet.SwapId);
    }
    static std::string SwapFileNameStd(std::uint16_t id) {
        char name[16];
        std::snprintf(name, sizeof name, "buf%04X.swp", static_cast<unsigned>(id));
        return name;
    }
    static std::string OptFileNameStd(std::uint16_t id) {
        char name[16];
        std::snprintf(name, sizeof name, "opt%04X.swp", static_cast<unsigned>(id));
        return name;
    }

    TempDir swapDir;
    TProject project;
};

} // namespace zelmo::test
