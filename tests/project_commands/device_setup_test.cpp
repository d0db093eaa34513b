// Device setup against the simulated hardware library: the library's dialog writes area E, which
// then reaches every linked device; a busy programmer and a refusing library are reported.

#include "commands_fixture.h"

#include "app/startup_session.h"
#include "project/commands/device_setup.h"

#include <QFileInfo>

#include <cstdlib>

namespace zelmo {
namespace {

QString binDir() {
    const char* dir = std::getenv("ZELMO_BIN_DIR");
    const QString path = dir != nullptr ? QString::fromLocal8Bit(dir) + "/" : QString();
    return !path.isEmpty() && QFileInfo::exists(path + "libhardware.so") &&
                   QFileInfo::exists(path + "Lib/ConfigLib.lib")
               ? path
               : QString();
}

// The control file of the simulated programmer at port 1.
void control(const std::string& lines) {
    const std::filesystem::path folder =
        std::filesystem::path(std::getenv("ZELMO_SIM_STATE")) / "port-1";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(test::writeFile(folder / "control.ini", lines));
}

class DeviceSetupTest : public test::CommandsTest {
protected:
    void SetUp() override {
        appDir = binDir();
        if (appDir.isEmpty()) {
            GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so and Lib/ConfigLib.lib";
        }
        ASSERT_TRUE(
            test::writeFile(std::getenv("ZELMO_SIM_CONFIG"), "[simulator]\nprogrammers = 1\n"));
        ASSERT_TRUE(session.StartLibraries(appDir).ok);
        ASSERT_TRUE(session.FindProgrammers());
        ASSERT_TRUE(session.LoadCatalogue().ok);
        hardware = HardwareDeviceLibrary(session.Api(), appDir);
    }

    // Adds `copies` catalogue devices through the command, with the real memory descriptions.
    void addCatalogueDevice(const char* vendor, const char* name, const char* package,
                            int copies = 1) {
        const std::optional<DeviceDescriptor> found = hardware.Search(vendor, name, package);
        ASSERT_TRUE(found) << name;
        recorder.selection = DeviceSelection{*found, copies, {}};
        CProjectCommands(project, hardware, recorder.host()).AddDevice();
    }

    std::vector<std::uint8_t> areaE(int device) const {
        const CDataSet& dataSet = *project.Devices[static_cast<std::size_t>(device)]->Shown();
        std::vector<std::uint8_t> bytes(dataSet.MemSize(kAreaE));
        EXPECT_TRUE(dataSet.Read(kAreaE, 0, bytes));
        return bytes;
    }

    DeviceSetupOutcome run() {
        DeviceSetupHost host;
        host.Log = [this](LogKind kind, const QString& text) {
            recorder.log << QString::asprintf("%X ", kind) + text;
        };
        host.SetStatus = [this](const QString& text) { recorder.statuses << text; };
        host.ShowMessage = [this](const QString& text) { recorder.messages << text; };
        return RunDeviceSetup(project, DeviceSetupCallsOf(session.Api()), appDir,
                              session.Programmers(), host);
    }

    QString appDir;
    CStartupSession session;
    CDeviceLibrary hardware;
};

TEST_F(DeviceSetupTest, LinkedDevicesReceiveTheActiveDevicesAreaE) {
    EXPECT_EQ(run(), DeviceSetupOutcome::NoDevice);
    EXPECT_EQ(recorder.messages, QStringList{"No device selected."});

    addCatalogueDevice("MCHP", "PIC16F84A", "DIP18", 2);
    addCatalogueDevice("MCHP", "PIC12F675", "DIP8");
    ASSERT_EQ(project.DeviceCount, 3);
    project.LinkDevices = 1;
    project.UpdateLinks();
    control("setup = 11 22 33\n");

    recorder.log.clear();
    EXPECT_EQ(run(), DeviceSetupOutcome::Done);
    EXPECT_EQ(recorder.log, (QStringList{"50000 ", "80000 Device setup."}));
    const std::vector<std::uint8_t> expected = {0x11, 0x22, 0x33, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(areaE(0), expected);
    EXPECT_EQ(areaE(1), expected);
    EXPECT_EQ(areaE(2), std::vector<std::uint8_t>(16, 0xFF)); // another type, not linked

    // The copy happens even when the library changed nothing.
    const std::uint8_t changed[] = {0x44};
    ASSERT_TRUE(project.Devices[0]->Shown()->Write(kAreaE, 5, changed));
    control("");
    EXPECT_EQ(run(), DeviceSetupOutcome::Done);
    EXPECT_EQ(areaE(1)[5], 0x44);
}

TEST_F(DeviceSetupTest, BusyProgrammerAndRefusingLibraryAreReported) {
    addCatalogueDevice("ATM", "AT27C512R", "DIP28");
    recorder.log.clear();
    EXPECT_EQ(run(), DeviceSetupOutcome::NotOffered); // no setup for an EPROM
    EXPECT_TRUE(recorder.log.isEmpty());

    addCatalogueDevice("MCHP", "PIC16F84A", "DIP18");
    project.SetActiveDevice(1);
    control("busy = yes\n");
    EXPECT_EQ(run(), DeviceSetupOutcome::ProgrammerBusy);
    EXPECT_EQ(recorder.log.last(), "80000 Operation cancelled. Programmer not available.");
    EXPECT_EQ(project.Devices[1]->StatusText, "Operation cancelled. Programmer not available.");
    EXPECT_EQ(recorder.statuses.last(), "Operation cancelled. Programmer not available.");

    control("fail = init_lib\n");
    recorder.log.clear();
    EXPECT_EQ(run(), DeviceSetupOutcome::LibraryRefused);
    ASSERT_GE(recorder.log.size(), 3);
    EXPECT_TRUE(recorder.log[2].startsWith("480000 ")) << recorder.log.join("|").toStdString();
    EXPECT_EQ(areaE(1), std::vector<std::uint8_t>(16, 0xFF));
}

TEST(DeviceSetupPort, GangModeUsesTheDevicesOwnProgrammer) {
    TProject project;
    std::vector<ProgrammerInfo> programmers(3);
    for (std::size_t i = 0; i < programmers.size(); ++i) {
        programmers[i].Port = static_cast<std::int32_t>(10 + i);
    }
    EXPECT_EQ(DeviceSetupPort(project, {}), 0);
    project.GangMode = 0;
    project.ProgrammerIndex = 2;
    EXPECT_EQ(DeviceSetupPort(project, programmers), 12);
    project.ProgrammerIndex = 7; // out of range: the first one
    EXPECT_EQ(DeviceSetupPort(project, programmers), 10);
    project.GangMode = 1;
    project.ActiveDevice = 1;
    EXPECT_EQ(DeviceSetupPort(project, programmers), 11);
    project.ActiveDevice = 5; // a device without a programmer of its own
    EXPECT_FALSE(DeviceSetupPort(project, programmers));
}

} // namespace
} // namespace zelmo
