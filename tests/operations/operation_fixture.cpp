#include "operations/operation_fixture.h"

#include "operations/execution/operation_block.h"
#include "project/device_descriptor.h"
#include "serialization/serialization.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdlib>

namespace zelmo::test {

OperationTest::OperationTest()
    : ops(project, executor,
          OperationHost{.Log =
                            [this](LogKind kind, const QString& text) {
                                log << (text.isEmpty() ? QString::asprintf("%X", kind)
                                                       : QString::asprintf("%X ", kind) + text);
                            },
                        .ShowMessage = [this](const QString& text) { shownMessages << text; },
                        .ShowError = [this](const QString& text) { errors << text; },
                        .Ask =
                            [this](const QString& question) {
                                questions << question;
                                return answer;
                            },
                        .ShowPinCheck = [this](int device) { pinCheckViews.push_back(device); },
                        .RunBusy = {}}) {
    project.SetSwapPath(QString::fromStdString((home / "swap").string()));
    std::filesystem::create_directories(home / "swap");
    // The simulator keeps its chips per test.
    ::setenv("ZELMO_SIM_STATE", (home / "sim").c_str(), 1);
    project.TimerInterval = 20;
    QObject::connect(&ops, &COperations::StatusMessage,
                     [this](const QString& text) { statusMessages << text; });
    QObject::connect(&ops, &COperations::OperationCompleted,
                     [this](int device, int code) { completions.emplace_back(device, code); });
}

OperationTest::~OperationTest() {
    ops.Shutdown();
    project.CloseAll(true);
}

QString OperationTest::appDir() {
    const char* dir = std::getenv("ZELMO_BIN_DIR");
    const QString path = dir != nullptr ? QString::fromLocal8Bit(dir) + "/" : QString();
    return !path.isEmpty() && QFileInfo::exists(path + "libhardware.so") ? path : QString();
}

bool OperationTest::Start(int programmers, const std::string& extra) {
    const std::string ini =
        "[simulator]\nprogrammers = " + std::to_string(programmers) + "\n" + kFastSimulator + extra;
    EXPECT_TRUE(writeFile(std::getenv("ZELMO_SIM_CONFIG"), ini));
    const Result started = session.StartLibraries(appDir());
    EXPECT_TRUE(started.ok) << started.message.toStdString();
    EXPECT_TRUE(session.FindProgrammers());
    EXPECT_TRUE(session.LoadCatalogue().ok);
    project.ProgrammerCount = static_cast<std::int32_t>(session.Programmers().size());
    project.GangCapable = session.GangCapable() ? 1 : 0;
    ops.SetHardware(
        appDir(), &session.Api(),
        CProgrammers(session.Programmers(), session.Assignment(), session.GangCapable()),
        &session.Remote());
    ops.StartProgressTimer();
    return started.ok && static_cast<int>(session.Programmers().size()) == programmers;
}

int OperationTest::AddDevice(const std::string& key) {
    for (const DeviceDescriptor* d : session.Catalogue().Devices()) {
        const std::string k = std::string(FieldView(d->Vendor)) + ":" +
                              std::string(FieldView(d->Name)) + ":" +
                              std::string(FieldView(d->Package));
        if (k != key) {
            continue;
        }
        const PreparedDevice prepared = PrepareCatalogueDevice(session.Api(), appDir(), *d);
        EXPECT_TRUE(prepared.ok) << prepared.message.toStdString();
        const AddDeviceResult added = project.AddCompleteDevice(*d, [&](CDevice& device) {
            ApplyPreparation(device, prepared);
            return true;
        });
        EXPECT_GE(added.Slot, 0);
        return added.Slot;
    }
    ADD_FAILURE() << "no catalogue device " << key;
    return -1;
}

int OperationTest::AddEeprom(int programmer) {
    const int d = AddDevice(kEeprom);
    if (d >= 0) {
        CDevice& device = *project.DeviceAt(d);
        device.OpTabsSelected = TabProgram;
        device.OpTabs[TabProgram] = OP_PROGRAM | OP_VERIFY;
        if (programmer >= 0) {
            ops.AssignProgrammer(d, programmer);
        }
    }
    return d;
}

void OperationTest::Serialize(int device, std::uint64_t first) {
    CSerialization& s = *project.DeviceAt(device)->Serialization;
    s.Enabled = 1;
    s.FileName = QString::fromStdString((home / "serial.ini").string());
    s.Address = kSerialAt;
    s.Length = 2;
    s.Current = first;
    s.Step = 1;
    ASSERT_TRUE(s.SaveToFile());
}

void OperationTest::AssignFile(int device, const std::vector<std::uint8_t>& bytes) {
    const auto path = home / "image.bin";
    ASSERT_TRUE(writeFile(path, std::string(bytes.begin(), bytes.end())));
    auto entry = std::make_shared<CFileEntry>();
    entry->FileName = QString::fromStdString(path.string());
    entry->Type = FmtBinary;
    project.DeviceAt(device)->Selected()->Memories[0].SetFiles({entry});
}

std::uint32_t OperationTest::Counted(int device) const {
    const CStatistics& s = *project.DeviceAt(device)->Statistics;
    return s.Good + s.Bad;
}

bool OperationTest::WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

bool OperationTest::WaitIdle(int ms) {
    return WaitFor(
        [this] {
            for (int d = 0; d < project.DeviceCount; ++d) {
                if (project.DeviceAt(d)->Busy != 0) {
                    return false;
                }
            }
            return ops.OperationThreads() == 0;
        },
        ms);
}

int OperationTest::Port(int position) const {
    return session.Programmers().at(static_cast<std::size_t>(position)).Port;
}

std::filesystem::path OperationTest::PortDir(int position) const {
    return home / "sim" / ("port-" + std::to_string(Port(position)));
}

void OperationTest::Control(int position, const std::string& text) const {
    std::filesystem::create_directories(PortDir(position));
    const auto next = PortDir(position) / "control.new";
    ASSERT_TRUE(writeFile(next, text));
    std::filesystem::rename(next, PortDir(position) / "control.ini");
}

std::vector<std::uint8_t> OperationTest::ChipMemoryA(int position, const std::string& fileKey,
                                                     std::uint32_t size) const {
    const std::string bytes = readFile(PortDir(position) / (fileKey + ".chip"));
    std::vector<std::uint8_t> memory(size, 0xFF);
    for (std::size_t i = 0; i < size && i < bytes.size(); ++i) {
        memory[i] = static_cast<std::uint8_t>(bytes[i]) ^ 0xFF; // stored XOR the blank value
    }
    return memory;
}

std::vector<std::uint8_t> OperationTest::Memory(int device, int m) const {
    const CDataSet& set = *project.DeviceAt(device)->Selected();
    std::vector<std::uint8_t> bytes(set.MemSize(m));
    EXPECT_TRUE(set.Read(m, 0, bytes));
    return bytes;
}

void OperationTest::SetMemory(int device, int m, const std::vector<std::uint8_t>& bytes) {
    CDataSet& set = *project.DeviceAt(device)->Selected();
    EXPECT_TRUE(set.Write(m, 0, bytes));
}

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7 + seed) ^ (i >> 8));
    }
    return bytes;
}

} // namespace zelmo::test
