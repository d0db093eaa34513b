// Files the library is handed or reads from the application folder must be regular files: a
// FIFO would block the caller for ever and /dev/zero would never end. Each is refused at once
// with the failure of its call.
#include "hardware_library.h"

#include <gtest/gtest.h>

#include <chrono>

#include <sys/stat.h>

namespace zelmo::test {
namespace {

using Clock = std::chrono::steady_clock;

TEST(HwsimInputFiles, FifoDeviceAndFolderAreRefusedAtOnce) {
    Simulator sim("");
    const auto fifo = sim.dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int port = sim.openAll().at(0);
    for (const std::filesystem::path& file :
         {fifo, std::filesystem::path("/dev/zero"), sim.dir.path()}) {
        SCOPED_TRACE(file);
        const auto path = wide(file.string());
        const auto start = Clock::now();
        ZmDeviceRecord* devices = nullptr;
        ZmVendorRecord* vendors = nullptr;
        EXPECT_EQ(sim.hw._ZmGetVendorsDevices(path.c_str(), &devices, &vendors), 0);
        EXPECT_NE(messages(0).joined().find("is not a regular file"), std::string::npos)
            << messages(0).joined();
        std::uint8_t available[4], current[4];
        EXPECT_FALSE(sim.hw._ZmCheckFirmware(port, path.c_str(), available, current));
        EXPECT_FALSE(sim.hw._ZmLoadFirmwareFile(port, path.c_str()));
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    }

    // The configuration and a control file that are FIFOs: reported, the defaults apply.
    ::setenv("ZELMO_SIM_CONFIG", fifo.c_str(), 1);
    sim.hw._ZmFree();
    sim.hw._ZmInit(0);
    sim.hw._ZmSetPath(wide(HardwareLibrary::binDir().string() + "/").c_str());
    const auto start = Clock::now();
    ZmPortListEntry list[16];
    EXPECT_EQ(sim.hw._ZmDeviceCount(list), 1);
    EXPECT_NE(messages(0).joined().find("is not a regular file"), std::string::npos);
    std::filesystem::create_directories(sim.portDir(1));
    ASSERT_EQ(::mkfifo((sim.portDir(1) / "control.ini").c_str(), 0600), 0);
    EXPECT_EQ(sim.hw._ZmGetHardware(1), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

} // namespace
} // namespace zelmo::test
