// Programmer discovery and identity: the configured programmers with their ports, names and
// firmware, the default without a configuration file, and the start-up calls' failures.
#include "hardware_library.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zelmo::test {
namespace {

TEST(HwsimProgrammers, ConfiguredProgrammersAreListedAndIdentified) {
    Simulator sim("[simulator]\nprogrammers = 3\nmodel = 2\n"
                  "[programmer 1]\nport = 7\nserial = B-0002\nname = Bench unit\nhardware = 3.1\n"
                  "[programmer 3]\nport = 9\nmodel = 5\n");
    ZmPortListEntry list[16];
    std::memset(list, 0x55, sizeof list);
    ASSERT_EQ(sim.hw._ZmDeviceCount(list), 3);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(list);
    EXPECT_EQ(raw[32], 7);
    EXPECT_EQ(raw[34 + 32], 2);
    EXPECT_EQ(raw[68 + 32], 9);

    ProgrammerInfo info{};
    info.Port = 7;
    ASSERT_TRUE(sim.hw._ZmOpen(7));
    EXPECT_TRUE(sim.hw._ZmIsOpen(7));
    ASSERT_TRUE(sim.hw._ZmGetProgrammerType(7, &info.Model, info.ModelName, info.HardwareVersion,
                                            info.SerialNumber));
    EXPECT_EQ(info.Model, 2);
    EXPECT_STREQ(info.ModelName, "Bench unit");
    EXPECT_STREQ(info.HardwareVersion, "3.1");
    EXPECT_STREQ(info.SerialNumber, "B-0002");
    ASSERT_TRUE(sim.hw._ZmOpen(9));
    ASSERT_TRUE(sim.hw._ZmGetProgrammerType(9, &info.Model, info.ModelName, info.HardwareVersion,
                                            info.SerialNumber));
    EXPECT_EQ(info.Model, 5);
    EXPECT_STREQ(info.SerialNumber, "ZS000003");

    // Firmware: the version of Lib/cpu.lib unless configured otherwise, so no mismatch.
    std::uint8_t available[4], current[4];
    const auto image = wide((HardwareLibrary::binDir() / "Lib" / "cpu.lib").string());
    ASSERT_TRUE(sim.hw._ZmCheckFirmware(7, image.c_str(), available, current));
    EXPECT_EQ(std::memcmp(available, current, 4), 0);
    EXPECT_EQ(available[0], 1);
    EXPECT_EQ(available[1], 0x02);

    // Unknown ports fail with a message.
    EXPECT_FALSE(sim.hw._ZmOpen(8));
    EXPECT_NE(messages(8).joined().find("No programmer found at USB#8."), std::string::npos);
    EXPECT_FALSE(sim.hw._ZmInitHardware(8, 0));
}

TEST(HwsimProgrammers, WithoutConfigurationOneCardProgrammerOfModel1) {
    Simulator sim("");
    ZmPortListEntry list[16];
    ASSERT_EQ(sim.hw._ZmDeviceCount(list), 1);
    const int port = list[0].Port;
    ASSERT_TRUE(sim.hw._ZmOpen(port));
    ProgrammerInfo info{};
    ASSERT_TRUE(sim.hw._ZmGetProgrammerType(port, &info.Model, info.ModelName, info.HardwareVersion,
                                            info.SerialNumber));
    EXPECT_EQ(info.Model, 1);
    EXPECT_TRUE(sim.hw._ZmCardInserted(port));
    EXPECT_TRUE(sim.hw._ZmInitHardware(port, 0));
    EXPECT_EQ(sim.hw._ZmGetHardware(port), 0);

    Simulator none("[simulator]\nprogrammers = 0\n");
    EXPECT_EQ(none.hw._ZmDeviceCount(list), 0);
}

TEST(HwsimProgrammers, FirmwareMismatchIsUpdatedAndStaysUpdated) {
    Simulator sim("[programmer 1]\nfirmware = 1.01.00.00\n");
    ASSERT_TRUE(sim.hw._ZmOpen(1));
    std::uint8_t available[4], current[4];
    const auto image = wide((HardwareLibrary::binDir() / "Lib" / "cpu.lib").string());
    const auto updater = wide((HardwareLibrary::binDir() / "Lib" / "cpuupd.lib").string());
    ASSERT_TRUE(sim.hw._ZmCheckFirmware(1, image.c_str(), available, current));
    EXPECT_EQ(current[1], 0x01);
    EXPECT_NE(std::memcmp(available, current, 4), 0);
    // The updater alone is not an image to load, and an update needs a loaded image.
    EXPECT_FALSE(sim.hw._ZmLoadFirmwareFile(1, updater.c_str()));
    EXPECT_FALSE(sim.hw._ZmUpdateFirmware(1, updater.c_str()));
    ASSERT_TRUE(sim.hw._ZmLoadFirmwareFile(1, image.c_str()));
    ASSERT_TRUE(sim.hw._ZmUpdateFirmware(1, updater.c_str()));
    // After a restart of the library the programmer reports the new version.
    sim.hw._ZmFree();
    sim.hw._ZmInit(0);
    sim.hw._ZmSetPath(wide(HardwareLibrary::binDir().string() + "/").c_str());
    ASSERT_TRUE(sim.hw._ZmOpen(1));
    ASSERT_TRUE(sim.hw._ZmCheckFirmware(1, image.c_str(), available, current));
    EXPECT_EQ(std::memcmp(available, current, 4), 0);
    const auto missing = wide((sim.dir / "none.lib").string());
    EXPECT_FALSE(sim.hw._ZmCheckFirmware(1, missing.c_str(), available, current));
}

TEST(HwsimProgrammers, StartUpFaultsFailTheirCalls) {
    struct Case {
        const char* fault;
        const char* text;
    };
    const Case cases[] = {
        {"open", "Could not open programmer at USB#1."},
        {"type", "Could not read programmer signature."},
        {"firmware_check", "Could not check firmware"},
        {"firmware_load", "Firmware load error."},
        {"firmware_update", "Firmware update error."},
        {"init_hardware", "Hardware initialization failed."},
    };
    const auto image = wide((HardwareLibrary::binDir() / "Lib" / "cpu.lib").string());
    const auto updater = wide((HardwareLibrary::binDir() / "Lib" / "cpuupd.lib").string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        Simulator sim(std::string("[programmer 1]\nfail = ") + c.fault + "\n");
        ZmPortListEntry list[16];
        ASSERT_EQ(sim.hw._ZmDeviceCount(list), 1);
        const bool opened = sim.hw._ZmOpen(1);
        EXPECT_EQ(opened, std::string(c.fault) != "open");
        if (opened) {
            ProgrammerInfo info{};
            std::uint8_t a[4], b[4];
            const bool ok = sim.hw._ZmGetProgrammerType(1, &info.Model, info.ModelName,
                                                        info.HardwareVersion, info.SerialNumber) &&
                            sim.hw._ZmCheckFirmware(1, image.c_str(), a, b) &&
                            sim.hw._ZmLoadFirmwareFile(1, image.c_str()) &&
                            sim.hw._ZmUpdateFirmware(1, updater.c_str()) &&
                            sim.hw._ZmInitHardware(1, 0);
            EXPECT_FALSE(ok);
        } else {
            // The messages of a failed open are also kept under its list position.
            EXPECT_NE(messages(0).joined().find(c.text), std::string::npos);
        }
        EXPECT_NE(messages(1).joined().find(c.text), std::string::npos) << messages(1).joined();
    }
    Simulator busy("[programmer 1]\nbusy = yes\n");
    EXPECT_NE(busy.hw._ZmGetHardware(1), 0);
    // Configuration mistakes are reported, the rest still applies.
    Simulator bad("[simulator]\nprogrammers = 2\nwarp = 9\n[programmer 2]\nport = 1\n");
    ZmPortListEntry list[16];
    EXPECT_EQ(bad.hw._ZmDeviceCount(list), 2);
    const std::string text = messages(0).joined();
    EXPECT_NE(text.find("unknown key 'warp'"), std::string::npos) << text;
    EXPECT_NE(text.find("port 1 is used twice"), std::string::npos) << text;
}

} // namespace
} // namespace zelmo::test

namespace zelmo::test {
namespace {

TEST(HwsimStartUp, FirmwareMismatchOnOneOfThreeStillUpdatesAll) {
    Simulator sim("[simulator]\nprogrammers = 3\n[programmer 2]\nfirmware = 1.01.00.00\n");
    const std::vector<int> ports = sim.openAll();
    ASSERT_EQ(ports.size(), 3u);
    const auto image = wide((HardwareLibrary::binDir() / "Lib" / "cpu.lib").string());
    const auto updater = wide((HardwareLibrary::binDir() / "Lib" / "cpuupd.lib").string());
    std::vector<bool> mismatch;
    for (int port : ports) {
        std::uint8_t available[4], current[4];
        ASSERT_TRUE(sim.hw._ZmCheckFirmware(port, image.c_str(), available, current));
        mismatch.push_back(std::memcmp(available, current, 4) != 0);
    }
    EXPECT_EQ(mismatch, (std::vector<bool>{false, true, false}));
    for (int port : ports) {
        EXPECT_TRUE(sim.hw._ZmLoadFirmwareFile(port, image.c_str())) << port;
    }
    for (int port : ports) {
        EXPECT_TRUE(sim.hw._ZmUpdateFirmware(port, updater.c_str())) << port;
    }
    sim.hw._ZmFree();
    sim.hw._ZmInit(0);
    sim.hw._ZmSetPath(wide(HardwareLibrary::binDir().string() + "/").c_str());
    for (int port : sim.openAll()) {
        std::uint8_t available[4], current[4];
        ASSERT_TRUE(sim.hw._ZmCheckFirmware(port, image.c_str(), available, current));
        EXPECT_EQ(std::memcmp(available, current, 4), 0) << port;
    }
}

TEST(HwsimStartUp, ForcedPortThatExistsAndOneThatDoesNot) {
    // A forced port skips the search: no _ZmDeviceCount, the port is opened directly.
    Simulator sim("[simulator]\nprogrammers = 2\n[programmer 2]\nport = 7\n");
    EXPECT_TRUE(sim.hw._ZmOpen(7));
    ProgrammerInfo info{};
    EXPECT_TRUE(sim.hw._ZmGetProgrammerType(7, &info.Model, info.ModelName, info.HardwareVersion,
                                            info.SerialNumber));
    EXPECT_FALSE(sim.hw._ZmOpen(3));
    // Its messages are kept under list position 0, where start-up looks for them.
    EXPECT_NE(messages(0).joined().find("No programmer found at USB#3."), std::string::npos);
}

TEST(HwsimStartUp, CatalogueThatCannotBeReadOrHoldsNoDevices) {
    struct Case {
        const char* choice;
        int result;
        bool vendors;
        const char* text;
    };
    const Case cases[] = {
        {"unreadable", 0, false, "Could not read catalogue file"},
        {"no_devices", 1, true, ""},
        {"Lib/missing.lib", 0, false, "Could not open catalogue file"},
    };
    const auto shipped = wide((HardwareLibrary::binDir() / "Lib" / "ConfigLib.lib").string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        Simulator sim(std::string("[simulator]\ncatalogue = ") + c.choice + "\n", {},
                      Simulator::Catalogue::Unchecked);
        ZmDeviceRecord* devices = nullptr;
        ZmVendorRecord* vendors = nullptr;
        EXPECT_EQ(sim.hw._ZmGetVendorsDevices(shipped.c_str(), &devices, &vendors), c.result);
        EXPECT_EQ(devices, nullptr);
        EXPECT_EQ(vendors != nullptr, c.vendors);
        EXPECT_EQ(sim.hw._ZmGetNoOfDevices(), 0);
        EXPECT_EQ(sim.hw._ZmGetNoOfVendors() > 0, c.vendors);
        EXPECT_NE(messages(0).joined().find(c.text), std::string::npos) << messages(0).joined();
    }
}

TEST(HwsimStartUp, ConfigurationMistakesStayUntilRead) {
    testing::internal::CaptureStderr();
    // The typo "sped" and a bad value; the catalogue loads afterwards and must not hide them.
    Simulator sim("[simulator]\nsped = 1M\n[programmer 1]\ncard = maybe\n");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("line 2: unknown key 'sped'"), std::string::npos) << err;
    EXPECT_NE(err.find("line 4: card must be yes or no"), std::string::npos) << err;
    const std::string first = messages(0).joined();
    EXPECT_NE(first.find("Simulator configuration, line 2: unknown key 'sped'"), std::string::npos)
        << first;
    EXPECT_NE(first.find("line 4: card must be yes or no"), std::string::npos) << first;
    EXPECT_EQ(messages(0).joined().find("sped"), std::string::npos) << "read once, then gone";
}

} // namespace
} // namespace zelmo::test
