// Device operations on the simulated chip: what is programmed reads back, verify and blank
// check find the first bad cell, cancel and pin check end with their status words, injected
// faults fail with their own messages, production mode waits for its trigger.
#include "hardware_library.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace zelmo::test {
namespace {

const char* kFast = "[simulator]\nspeed = 256M\noverhead_ms = 0\nprepare_ms = 0\n";

TEST(HwsimOperations, ProgramReadBackEraseAndBlankCheck) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    const auto bytes = pattern(d.MemSize[0], 1);
    data.write(0, bytes);

    EXPECT_EQ(sim.run(port, d, data, OP_CHECK_ID | OP_ERASE | OP_PROGRAM | OP_VERIFY), 0)
        << messages(port).joined();
    const Messages done = messages(port);
    EXPECT_NE(done.joined().find("Device ID read: 1E 4C."), std::string::npos) << done.joined();
    EXPECT_EQ(done.classes.back(), ZM_MSG_STATUS_LINE);

    data.write(0, std::vector<std::uint8_t>(d.MemSize[0], 0));
    EXPECT_EQ(sim.run(port, d, data, OP_READ), 0);
    EXPECT_EQ(data.read(0), bytes);

    // The chip keeps its contents across a library restart (state folder).
    sim.hw._ZmFree();
    sim.hw._ZmInit(0);
    sim.hw._ZmSetPath(wide(HardwareLibrary::binDir().string() + "/").c_str());
    ASSERT_TRUE(sim.hw._ZmOpen(port));
    data.write(0, std::vector<std::uint8_t>(d.MemSize[0], 0));
    EXPECT_EQ(sim.run(port, d, data, OP_READ), 0);
    EXPECT_EQ(data.read(0), bytes);

    EXPECT_EQ(sim.run(port, d, data, OP_BLANK_CHECK), OP_BLANK_CHECK);
    EXPECT_EQ(sim.run(port, d, data, OP_ERASE | OP_BLANK_CHECK), 0) << messages(port).joined();
    EXPECT_EQ(sim.run(port, d, data, OP_READ), 0);
    EXPECT_EQ(data.read(0), std::vector<std::uint8_t>(d.MemSize[0], 0xFF));
}

TEST(HwsimOperations, VerifyAndBlankCheckReportTheFirstBadCell) {
    // The cell at 0x1234 of memory A is stuck at 0x5A.
    Simulator sim(std::string(kFast) + "[programmer 1]\nstuck = A:0x1234=0x5A\n");
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    auto bytes = pattern(d.MemSize[0], 2);
    bytes[0x1234] = 0x12;
    data.write(0, bytes);

    EXPECT_EQ(sim.run(port, d, data, OP_ERASE | OP_PROGRAM | OP_VERIFY), OP_VERIFY);
    Messages m = messages(port);
    EXPECT_NE(m.joined().find("Verify error at address 0x00001234 in EEPROM: device 0x5A, "
                              "buffer 0x12."),
              std::string::npos)
        << m.joined();
    EXPECT_NE(m.errors.back(), 0);

    EXPECT_EQ(sim.run(port, d, data, OP_ERASE | OP_BLANK_CHECK), OP_BLANK_CHECK);
    EXPECT_NE(messages(port).joined().find("Blank check failed at address 0x00001234 in EEPROM: "
                                           "read 0x5A, expected 0xFF."),
              std::string::npos)
        << messages(port).joined();

    // Verify compares with the data set: a changed buffer byte is found where it was changed.
    Simulator clean(kFast);
    ASSERT_TRUE(clean.hw._ZmOpen(port));
    DataSet data2(clean.dir, d, "second");
    data2.write(0, bytes);
    EXPECT_EQ(clean.run(port, d, data2, OP_ERASE | OP_PROGRAM | OP_VERIFY), 0);
    auto changed = bytes;
    changed[0x7FFF] ^= 0x01;
    data2.write(0, changed);
    EXPECT_EQ(clean.run(port, d, data2, OP_VERIFY), OP_VERIFY);
    EXPECT_NE(messages(port).joined().find("address 0x00007FFF"), std::string::npos);
}

TEST(HwsimOperations, FlashCellsOnlyProgramTowardsZero) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("SST", "SST39SF010A", "DIP32");
    DataSet data(sim.dir, d);
    data.write(0, std::vector<std::uint8_t>(d.MemSize[0], 0x0F));
    EXPECT_EQ(sim.run(port, d, data, OP_ERASE | OP_PROGRAM | OP_VERIFY), 0);
    // Programming 0xF0 over 0x0F without an erase leaves 0x00, so verify fails.
    data.write(0, std::vector<std::uint8_t>(d.MemSize[0], 0xF0));
    EXPECT_EQ(sim.run(port, d, data, OP_PROGRAM | OP_VERIFY), OP_VERIFY);
    EXPECT_NE(messages(port).joined().find("device 0x00, buffer 0xF0"), std::string::npos);
}

TEST(HwsimOperations, CancelMidwayEndsWith0x800) {
    // 128 KiB at 64 KiB/s takes two seconds per pass.
    Simulator sim("[simulator]\nspeed = 64K\noverhead_ms = 0\n");
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("SST", "SST39SF010A", "DIP32");
    DataSet data(sim.dir, d);
    ASSERT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams,
                                  sim.block(d, OPMODE_RUN, OP_PROGRAM | OP_VERIFY), &data.storage(),
                                  nullptr, nullptr));
    ASSERT_TRUE(sim.hw._ZmMakeCode(port));
    EXPECT_NE(sim.hw._ZmGetHardware(port), 0) << "prepared programmer is busy";
    sim.hw._ZmRunCode(port);
    const auto start = std::chrono::steady_clock::now();
    std::thread worker([&] { sim.hw._ZmProcessOps(port, 0); });
    double percent = 0;
    uint8_t trigger = 1;
    int result = -1;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
        result = sim.hw._ZmGetProgress(port, &percent, 0, &trigger);
        if (result == 0 && percent >= 10.0) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(trigger, 0);
    EXPECT_GE(percent, 10.0);
    EXPECT_LT(percent, 60.0);
    EXPECT_LT(sim.hw._ZmGetStatus(port), 0);
    const auto cancelled = std::chrono::steady_clock::now();
    sim.hw._ZmGetProgress(port, nullptr, 1, nullptr); // cancel request only
    worker.join();
    // Mid-way: the running pass stops within a piece, long before its two seconds are over.
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::milliseconds(500));
    EXPECT_EQ(sim.hw._ZmGetStatus(port), ZM_STATUS_CANCELLED);
    const Messages m = messages(port);
    EXPECT_EQ(m.texts.back(), "Operation cancelled.");
    EXPECT_EQ(sim.hw._ZmGetHardware(port), 0) << "free again after the operation";
    sim.hw._ZmFreeLib(port);
}

TEST(HwsimOperations, PinCheckFailureGives0x100AndItsLetters) {
    std::string letters(48, '.');
    for (int s = 10; s < 38; ++s) {
        letters[s] = 'C';
    }
    letters[13] = 'U';
    letters[36] = 'U';
    letters[23] = 'G';
    Simulator sim(std::string(kFast) + "[programmer 1]\npincheck = " + letters + "\n");
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    EXPECT_EQ(sim.run(port, d, data, OP_PIN_CHECK | OP_PROGRAM), ZM_STATUS_PIN_CHECK);
    ZmPinCheckResult r{};
    ASSERT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams,
                                  sim.block(d, OPMODE_RUN, OP_PIN_CHECK), &data.storage(), nullptr,
                                  nullptr));
    ASSERT_TRUE(sim.hw._ZmMakeCode(port));
    sim.hw._ZmRunCode(port);
    sim.hw._ZmProcessOps(port, 0);
    sim.hw._ZmGetPinCheckRes(port, &r);
    sim.hw._ZmFreeLib(port);
    EXPECT_NE(r.Kind, 'I');
    EXPECT_EQ(std::string(r.Pins, 48), letters);
    EXPECT_NE(messages(port).joined().find("No contact on socket pin(s): 14, 37."),
              std::string::npos)
        << messages(port).joined();

    // In-circuit letters and a passing default for a DIP28 in the socket.
    Simulator icp(std::string(kFast) + "[programmer 1]\npincheck = I:CCUCCC\n");
    ASSERT_TRUE(icp.hw._ZmOpen(port));
    DataSet data2(icp.dir, d, "icp");
    EXPECT_EQ(icp.run(port, d, data2, OP_PIN_CHECK), ZM_STATUS_PIN_CHECK);
    EXPECT_NE(messages(port).joined().find("signal(s): S2."), std::string::npos);

    Simulator good(kFast);
    ASSERT_TRUE(good.hw._ZmOpen(port));
    DataSet data3(good.dir, d, "good");
    ASSERT_TRUE(good.hw._ZmInitLib(port, good.libraryPath(d).c_str(), d.LibParams,
                                   good.block(d, OPMODE_RUN, OP_PIN_CHECK), &data3.storage(),
                                   nullptr, nullptr));
    ASSERT_TRUE(good.hw._ZmMakeCode(port));
    good.hw._ZmRunCode(port);
    good.hw._ZmProcessOps(port, 0);
    EXPECT_EQ(good.hw._ZmGetStatus(port), 0);
    good.hw._ZmGetPinCheckRes(port, &r);
    good.hw._ZmFreeLib(port);
    EXPECT_EQ(std::string(r.Pins, 48),
              std::string(10, '.') + std::string(28, 'C') + std::string(10, '.'));
}

TEST(HwsimOperations, AdapterWiringDecidesWhichSocketPinsAreChecked) {
    Simulator sim(std::string(kFast) + "[programmer 1]\nchip = none\n");
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("WINB", "W25Q128JV", "SOIC8");
    DataSet data(sim.dir, d);
    OperationBlock b = sim.block(d, OPMODE_RUN, OP_PIN_CHECK | OP_CHECK_ID);
    std::memcpy(b.AdapterData, "ADP", 3);
    b.AdapterData[3] = 8;
    b.AdapterData[4] = 8;
    for (int k = 1; k <= 8; ++k) {
        b.AdapterData[5 + 48 * (19 + k)] = static_cast<std::uint8_t>(k); // socket pins 21..28
    }
    ASSERT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams, b, &data.storage(),
                                  nullptr, nullptr));
    ASSERT_TRUE(sim.hw._ZmMakeCode(port));
    sim.hw._ZmRunCode(port);
    sim.hw._ZmProcessOps(port, 0);
    EXPECT_EQ(sim.hw._ZmGetStatus(port), ZM_STATUS_PIN_CHECK);
    ZmPinCheckResult r{};
    sim.hw._ZmGetPinCheckRes(port, &r);
    sim.hw._ZmFreeLib(port);
    // The socket is empty: every wired pin lacks contact.
    EXPECT_EQ(std::string(r.Pins, 48),
              std::string(20, '.') + std::string(8, 'U') + std::string(20, '.'));
}

TEST(HwsimOperations, FaultsFailWithTheirOwnStatusAndMessage) {
    struct Case {
        const char* fault;
        std::uint32_t ops;
        int status;
        const char* text;
    };
    const Case cases[] = {
        {"check_id", OP_CHECK_ID, OP_CHECK_ID, "Device ID mismatch. Read: 00 00, expected: 1E 4C."},
        {"read", OP_READ, OP_READ, "Read error"},
        {"erase", OP_ERASE, OP_ERASE, "Erase failed"},
        {"blank_check", OP_BLANK_CHECK, OP_BLANK_CHECK, "Blank check failed at address 0x00000000"},
        {"program", OP_ERASE | OP_PROGRAM, OP_PROGRAM, "Programming failed at address 0x00000000"},
        {"verify", OP_VERIFY, OP_VERIFY, "Verify error at address 0x00000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        Simulator sim(std::string(kFast) + "[programmer 1]\nfail = " + c.fault + "\n");
        const int port = sim.openAll().at(0);
        const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
        DataSet data(sim.dir, d);
        EXPECT_EQ(sim.run(port, d, data, c.ops), c.status);
        const Messages m = messages(port);
        EXPECT_NE(m.joined().find(c.text), std::string::npos) << m.joined();
        EXPECT_EQ(m.texts.back(), "Operation failed.");
    }
    // Operations of other device kinds.
    Simulator sim(std::string(kFast) + "[programmer 1]\nfail = configure test\n");
    const int port = sim.openAll().at(0);
    const DeviceDescriptor pic = sim.device("MCHP", "PIC16F84A", "DIP18");
    DataSet picData(sim.dir, pic);
    EXPECT_EQ(sim.run(port, pic, picData, OP_CONFIGURE), OP_CONFIGURE);
    EXPECT_NE(messages(port).joined().find("Configuration failed"), std::string::npos);
    const DeviceDescriptor gal = sim.device("LATT", "GAL16V8", "DIP20");
    DataSet galData(sim.dir, gal, "gal");
    EXPECT_EQ(sim.run(port, gal, galData, OP_TEST), OP_TEST);
    // An operation the device does not offer is refused.
    EXPECT_EQ(sim.run(port, pic, picData, OP_TEST), OP_TEST);
    EXPECT_NE(messages(port).joined().find("not supported"), std::string::npos);
    // Preparation and code generation.
    Simulator prep(std::string(kFast) + "[programmer 1]\nfail = init_lib\n");
    ASSERT_TRUE(prep.hw._ZmOpen(port));
    EXPECT_FALSE(prep.hw._ZmInitLib(port, prep.libraryPath(pic).c_str(), pic.LibParams,
                                    prep.block(pic, OPMODE_RUN, OP_READ), &picData.storage(),
                                    nullptr, nullptr));
    EXPECT_NE(messages(port).joined().find("could not be initialized"), std::string::npos);
    Simulator code(std::string(kFast) + "[programmer 1]\nfail = make_code\n");
    ASSERT_TRUE(code.hw._ZmOpen(port));
    ASSERT_TRUE(code.hw._ZmInitLib(port, code.libraryPath(pic).c_str(), pic.LibParams,
                                   code.block(pic, OPMODE_RUN, OP_READ), &picData.storage(),
                                   nullptr, nullptr));
    EXPECT_EQ(code.hw._ZmMakeCode(port), 0);
    EXPECT_NE(messages(port).joined().find("Code generation failed"), std::string::npos);
    code.hw._ZmFreeLib(port);
}

TEST(HwsimOperations, PreparationRefusesWhatItCannotServe) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    const OperationBlock b = sim.block(d, OPMODE_RUN, OP_READ);
    // No storage for a device with memories; storage smaller than the memories.
    EXPECT_FALSE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams, b, nullptr,
                                   nullptr, nullptr));
    ZmDataSetStorage shortStorage = data.storage();
    shortStorage.MemStart[0] = 16;
    EXPECT_FALSE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams, b, &shortStorage,
                                   nullptr, nullptr));
    EXPECT_NE(messages(port).joined().find("does not hold"), std::string::npos);
    // Another device's algorithm library.
    const auto wrong = wide((HardwareLibrary::binDir() / "Dev" / "EPROM27.so").string());
    EXPECT_FALSE(
        sim.hw._ZmInitLib(port, wrong.c_str(), d.LibParams, b, &data.storage(), nullptr, nullptr));
    // A second preparation while the first holds the programmer.
    ASSERT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams, b, &data.storage(),
                                  nullptr, nullptr));
    EXPECT_FALSE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams, b,
                                   &data.storage(), nullptr, nullptr));
    EXPECT_NE(messages(port).joined().find("busy"), std::string::npos);
    sim.hw._ZmFreeLib(port);
    // Operations without a prepared device.
    sim.hw._ZmProcessOps(port, 0);
    EXPECT_EQ(sim.hw._ZmGetStatus(port), ZM_STATUS_NOT_PREPARED);
    // Devices without memories need no storage.
    const DeviceDescriptor socket = sim.device("GEN", "SOCKETTEST", "DIP48");
    EXPECT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(socket).c_str(), socket.LibParams,
                                  sim.block(socket, OPMODE_RUN, OP_TEST | OP_PIN_CHECK), nullptr,
                                  nullptr, nullptr));
    ASSERT_TRUE(sim.hw._ZmMakeCode(port));
    sim.hw._ZmRunCode(port);
    sim.hw._ZmProcessOps(port, 0);
    EXPECT_EQ(sim.hw._ZmGetStatus(port), 0) << messages(port).joined();
    sim.hw._ZmFreeLib(port);
}

TEST(HwsimOperations, ProductionModeWaitsForTheTrigger) {
    Simulator sim("[simulator]\nspeed = 256M\noverhead_ms = 0\ntrigger_ms = 0\n");
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("MCHP", "24LC256", "DIP8");
    DataSet data(sim.dir, d);
    ASSERT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams,
                                  sim.block(d, OPMODE_PRODUCTION_OK_BUTTON, OP_PROGRAM | OP_VERIFY),
                                  &data.storage(), nullptr, nullptr));
    ASSERT_TRUE(sim.hw._ZmMakeCode(port));
    const auto state = sim.dir / "state";
    for (int cycle = 0; cycle < 2; ++cycle) {
        sim.hw._ZmRunCode(port);
        EXPECT_LT(sim.hw._ZmGetStatus(port), 0);
        uint8_t trigger = 0;
        double percent = -1;
        EXPECT_EQ(sim.hw._ZmGetProgress(port, &percent, 0, &trigger), 1);
        EXPECT_EQ(trigger, 0) << "no device yet";
        // The OK button: a trigger file in the state folder.
        ASSERT_TRUE(writeFile(state / ("trigger-" + std::to_string(port)), ""));
        EXPECT_EQ(sim.hw._ZmGetProgress(port, &percent, 0, &trigger), 1);
        EXPECT_EQ(trigger, 1);
        EXPECT_EQ(sim.hw._ZmGetProgress(port, &percent, 0, &trigger), 1);
        EXPECT_EQ(trigger, 0) << "delivered once";
        sim.hw._ZmProcessOps(port, 0);
        EXPECT_EQ(sim.hw._ZmGetStatus(port), 0) << messages(port).joined();
        EXPECT_NE(sim.hw._ZmGetHardware(port), 0) << "production keeps the programmer";
    }
    // Stopping: cancel while waiting, then the stop call.
    sim.hw._ZmRunCode(port);
    sim.hw._ZmGetProgress(port, nullptr, 1, nullptr);
    sim.hw._ZmProcessOps(port, 1);
    EXPECT_EQ(sim.hw._ZmGetStatus(port), ZM_STATUS_CANCELLED);
    sim.hw._ZmFreeLib(port);
    EXPECT_EQ(sim.hw._ZmGetHardware(port), 0);

    // A timed trigger stands for the detected insertion of the next device.
    Simulator timed("[simulator]\nspeed = 256M\noverhead_ms = 0\ntrigger_ms = 50\n");
    ASSERT_TRUE(timed.hw._ZmOpen(port));
    ASSERT_TRUE(timed.hw._ZmInitLib(port, timed.libraryPath(d).c_str(), d.LibParams,
                                    timed.block(d, OPMODE_PRODUCTION_INSERTION, OP_READ),
                                    &data.storage(), nullptr, nullptr));
    ASSERT_TRUE(timed.hw._ZmMakeCode(port));
    timed.hw._ZmRunCode(port);
    uint8_t trigger = 0;
    for (int i = 0; i < 200 && trigger == 0; ++i) {
        timed.hw._ZmGetProgress(port, nullptr, 0, &trigger);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(trigger, 1);
    timed.hw._ZmFreeLib(port);
}

TEST(HwsimOperations, SetupWritesAreaEAndCardCodeFollowsTheData) {
    Simulator sim(std::string(kFast) + "[programmer 1]\nsetup = 3F 3F 01\n");
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("MCHP", "PIC16F84A", "DIP18");
    DataSet data(sim.dir, d);
    ASSERT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams,
                                  sim.block(d, OPMODE_SINGLE, 0, 0), &data.storage(), nullptr,
                                  nullptr));
    sim.hw._ZmDeviceSetup(port, nullptr);
    sim.hw._ZmFreeLib(port);
    auto e = data.read(4);
    EXPECT_EQ(std::vector<std::uint8_t>(e.begin(), e.begin() + 4),
              (std::vector<std::uint8_t>{0x3F, 0x3F, 0x01, 0xFF}));

    const auto codeFor = [&](const DataSet& set) {
        EXPECT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams,
                                      sim.block(d, OPMODE_CARD_CODE, 0, 0x0F), &set.storage(),
                                      nullptr, nullptr));
        EXPECT_TRUE(sim.hw._ZmMakeCode(port));
        std::vector<std::uint8_t> code(static_cast<std::size_t>(sim.hw._ZmGetCode(port, nullptr)));
        EXPECT_EQ(sim.hw._ZmGetCode(port, code.data()), static_cast<int32_t>(code.size()));
        sim.hw._ZmFreeLib(port);
        return code;
    };
    const auto first = codeFor(data);
    EXPECT_GT(first.size(), 512u);
    EXPECT_EQ(codeFor(data), first) << "deterministic";
    data.write(0, pattern(d.MemSize[0], 3));
    EXPECT_NE(codeFor(data), first) << "depends on the data set";
}

} // namespace
} // namespace zelmo::test
