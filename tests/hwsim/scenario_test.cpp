// Scenarios that change while the library runs, driven through each programmer's control file
// the way a test or a person at the keyboard drives them: chips inserted one by one in
// production mode, OK-button presses, outcomes by run number, a card taken out, a programmer
// that is busy for a while, the call order a real programmer needs and the progress it shows.
#include "hardware_library.h"
#include "hwsim/file_entry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include <sys/stat.h>

namespace zelmo::test {
namespace {

using Clock = std::chrono::steady_clock;

const char* kFast = "[simulator]\nspeed = 64M\noverhead_ms = 0\nprepare_ms = 0\ntrigger_ms = 0\n";

// Polls the programmer like the progress timer; true once the trigger byte is set.
bool triggerWithin(Simulator& sim, int port, int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    do {
        uint8_t trigger = 0;
        sim.hw._ZmGetProgress(port, nullptr, 0, &trigger);
        if (trigger != 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (Clock::now() < end);
    return false;
}

TEST(HwsimScenario, EveryInsertionBringsAFreshChipInDetectionMode) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT27C256R", "DIP28");
    DataSet data(sim.dir, d);
    ASSERT_TRUE(sim.prepare(port, d,
                            sim.block(d, OPMODE_PRODUCTION_INSERTION,
                                      OP_CHECK_ID | OP_BLANK_CHECK | OP_PROGRAM | OP_VERIFY),
                            &data));
    sim.hw._ZmRunCode(port);
    EXPECT_FALSE(triggerWithin(sim, port, 60)) << "the chip already in the socket is not new";

    // Three EPROMs, each with its own serial number at address 0: the blank check passes on
    // every one, so each insertion brought a fresh chip.
    for (int chip = 1; chip <= 3; ++chip) {
        SCOPED_TRACE(chip);
        sim.control(port, "socket = eprom-" + std::to_string(chip) + "\n");
        ASSERT_TRUE(triggerWithin(sim, port, 1000));
        auto bytes = pattern(d.MemSize[0], static_cast<std::uint32_t>(chip));
        bytes[0] = static_cast<std::uint8_t>(chip);
        data.write(0, bytes);
        sim.hw._ZmProcessOps(port, 0);
        EXPECT_EQ(sim.hw._ZmGetStatus(port), 0) << messages(port).joined();
        sim.hw._ZmRunCode(port);
        EXPECT_FALSE(triggerWithin(sim, port, 30)) << "one trigger per chip";
    }
    EXPECT_NE(readFile(sim.portDir(port) / "status").find("runs = 3"), std::string::npos);

    // An empty socket never triggers, not even with the operator's timed cycle running.
    sim.control(port, "socket = none\ntrigger_ms = 10\n");
    EXPECT_FALSE(triggerWithin(sim, port, 150));
    sim.control(port, "socket = eprom-4\n");
    EXPECT_TRUE(triggerWithin(sim, port, 1000));
    sim.hw._ZmProcessOps(port, 1);
    EXPECT_EQ(sim.hw._ZmGetStatus(port), ZM_STATUS_CANCELLED);
    sim.hw._ZmFreeLib(port);
}

TEST(HwsimScenario, TimedInsertionsAndOkButtonPresses) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("MCHP", "24LC256", "DIP8");
    DataSet data(sim.dir, d);

    // Chips inserted 50 and 150 ms after production starts, and no more.
    sim.control(port, "insert_ms = 50 150\n");
    ASSERT_TRUE(sim.prepare(
        port, d, sim.block(d, OPMODE_PRODUCTION_INSERTION, OP_PROGRAM | OP_VERIFY), &data));
    for (int chip = 0; chip < 2; ++chip) {
        sim.hw._ZmRunCode(port);
        ASSERT_TRUE(triggerWithin(sim, port, 1000)) << chip;
        sim.hw._ZmProcessOps(port, 0);
        EXPECT_EQ(sim.hw._ZmGetStatus(port), 0);
    }
    sim.hw._ZmRunCode(port);
    EXPECT_FALSE(triggerWithin(sim, port, 250));
    sim.hw._ZmProcessOps(port, 1);
    sim.hw._ZmFreeLib(port);

    // The OK button: each press counted in the control file starts one device; a press made
    // while the programmer was not waiting is lost, as on the real button.
    sim.control(port, "press = 0\n");
    ASSERT_TRUE(sim.prepare(
        port, d, sim.block(d, OPMODE_PRODUCTION_OK_BUTTON, OP_PROGRAM | OP_VERIFY), &data));
    sim.control(port, "press = 1\n");
    sim.hw._ZmRunCode(port);
    EXPECT_FALSE(triggerWithin(sim, port, 50));
    for (int press = 2; press <= 3; ++press) {
        sim.control(port, "press = " + std::to_string(press) + "\n");
        ASSERT_TRUE(triggerWithin(sim, port, 1000)) << press;
        EXPECT_FALSE(triggerWithin(sim, port, 30)) << "delivered once";
        sim.hw._ZmProcessOps(port, 0);
        EXPECT_EQ(sim.hw._ZmGetStatus(port), 0);
        sim.hw._ZmRunCode(port);
    }
    sim.hw._ZmProcessOps(port, 1);
    EXPECT_EQ(sim.hw._ZmGetStatus(port), ZM_STATUS_CANCELLED);
    sim.hw._ZmFreeLib(port);
}

TEST(HwsimScenario, AnInsertedChipCarriesTheContentTheScenarioGivesIt) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    const auto content = pattern(1000, 7);
    std::filesystem::create_directories(sim.portDir(port));
    ASSERT_TRUE(
        writeFile(sim.portDir(port) / "old.bin", std::string(content.begin(), content.end())));
    sim.control(port, "socket = programmed-elsewhere\ncontent = old.bin\n");
    EXPECT_EQ(sim.run(port, d, data, OP_READ), 0) << messages(port).joined();
    const auto read = data.read(0);
    EXPECT_TRUE(std::equal(content.begin(), content.end(), read.begin()));
    EXPECT_EQ(read[1000], 0xFF) << "the rest of the chip is blank";

    // Taken out: the next operation finds an empty socket.
    sim.control(port, "socket = none\n");
    EXPECT_EQ(sim.run(port, d, data, OP_CHECK_ID), OP_CHECK_ID);
    EXPECT_NE(messages(port).joined().find("Read: FF FF"), std::string::npos);
}

TEST(HwsimScenario, OutcomesFollowTheRunNumber) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    data.write(0, pattern(d.MemSize[0], 3));
    sim.control(port, "# the second device has a weak cell\nrun 2 = verify A:0x100\n");
    std::vector<int> statuses;
    for (int run = 1; run <= 4; ++run) {
        statuses.push_back(sim.run(port, d, data, OP_ERASE | OP_PROGRAM | OP_VERIFY));
        if (run == 2) {
            EXPECT_NE(messages(port).joined().find("Verify error at address 0x00000100 in EEPROM"),
                      std::string::npos)
                << messages(port).joined();
        }
    }
    EXPECT_EQ(statuses, (std::vector<int>{0, OP_VERIFY, 0, 0}));
    EXPECT_NE(readFile(sim.portDir(port) / "status").find("runs = 4"), std::string::npos);

    // Other outcomes of one run; the run after it is clean again.
    struct Case {
        const char* rule;
        std::uint32_t ops;
        int status;
        const char* text;
    };
    const Case cases[] = {
        {"run 1 = check_id", OP_CHECK_ID | OP_READ, OP_CHECK_ID,
         "Device ID mismatch. Read: 00 00, expected: 1E 4C."},
        {"run 1 = pin_check 14, 37", OP_PIN_CHECK | OP_READ, ZM_STATUS_PIN_CHECK,
         "No contact on socket pin(s): 14, 37."},
        {"run 1 = cancel 40%", OP_READ, ZM_STATUS_CANCELLED, "Operation cancelled."},
        {"run 1 = erase", OP_ERASE | OP_BLANK_CHECK, OP_ERASE, "Erase failed"},
        {"run 1-1 = pass", OP_READ, 0, "Operation successful."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        Simulator one(kFast);
        ASSERT_TRUE(one.hw._ZmOpen(port));
        one.control(port, std::string(c.rule) + "\n");
        DataSet set(one.dir, d, "case");
        EXPECT_EQ(one.run(port, d, set, c.ops), c.status);
        EXPECT_NE(messages(port).joined().find(c.text), std::string::npos)
            << messages(port).joined();
        EXPECT_EQ(one.run(port, d, set, c.ops), 0) << messages(port).joined();
    }

    // A slow run takes its factor longer; "run N+" applies from N on.
    Simulator slow("[simulator]\nspeed = 1M\noverhead_ms = 0\nprepare_ms = 0\n");
    ASSERT_TRUE(slow.hw._ZmOpen(port));
    slow.control(port, "run 2+ = slow 8\n");
    DataSet set(slow.dir, d, "slow");
    const auto timed = [&] {
        const auto start = Clock::now();
        EXPECT_EQ(slow.run(port, d, set, OP_READ), 0);
        return Clock::now() - start;
    };
    const auto normal = timed();
    const auto slower = timed();
    EXPECT_GE(slower, std::chrono::milliseconds(200));
    EXPECT_GT(slower, 3 * normal);
}

TEST(HwsimScenario, CardTakenOutBetweenIdentifyAndSave) {
    Simulator sim("[programmer 1]\ncard_firmware = CF2.07\n");
    const int port = sim.openAll().at(0);
    std::uint8_t id[512];
    ASSERT_TRUE(sim.hw._ZmCardInserted(port));
    ASSERT_TRUE(sim.hw._ZmIdentifyCard(port, id));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(id) + 46, 8), "FC.270  ")
        << "words 23-26, high byte first";

    sim.control(port, "card = no\n");
    EXPECT_FALSE(sim.hw._ZmCardInserted(port));
    EXPECT_EQ(messages(port).texts.at(0), "Card not inserted.");
    EXPECT_FALSE(sim.hw._ZmWriteCard(port | ZM_CARD_OPEN, 0, 0, nullptr));

    // Put back, opened, then taken out in the middle of a save: access ends with the card.
    sim.control(port, "card = yes\n");
    ASSERT_TRUE(sim.hw._ZmWriteCard(port | ZM_CARD_OPEN, 0, 0, nullptr));
    std::vector<std::uint8_t> sector(512, 0x5A);
    EXPECT_TRUE(sim.hw._ZmWriteCard(port, 1, 1, sector.data()));
    sim.control(port, "card = no\n");
    EXPECT_FALSE(sim.hw._ZmWriteCard(port, 2, 1, sector.data()));
    sim.control(port, "card = yes\n");
    EXPECT_FALSE(sim.hw._ZmWriteCard(port, 2, 1, sector.data())) << "access must be opened again";

    // Only the card-capable model has a slot.
    Simulator other("[programmer 1]\nmodel = 2\n");
    ASSERT_TRUE(other.hw._ZmOpen(port));
    EXPECT_FALSE(other.hw._ZmCardInserted(port));
    EXPECT_NE(messages(port).joined().find("has no card slot"), std::string::npos);
    EXPECT_FALSE(other.hw._ZmIdentifyCard(port, id));
    EXPECT_FALSE(other.hw._ZmWriteCard(port | ZM_CARD_OPEN, 0, 0, nullptr));
}

TEST(HwsimScenario, BusyProgrammerBecomesFree) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    sim.control(port, "busy = yes\n");
    EXPECT_NE(sim.hw._ZmGetHardware(port), 0);
    EXPECT_FALSE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams,
                                   sim.block(d, OPMODE_RUN, OP_READ), &data.storage(), nullptr,
                                   nullptr));
    EXPECT_NE(messages(port).joined().find("is busy"), std::string::npos);
    sim.control(port, "busy = no\n");
    EXPECT_EQ(sim.hw._ZmGetHardware(port), 0);
    EXPECT_EQ(sim.run(port, d, data, OP_READ), 0);
}

TEST(HwsimScenario, CallsOutOfOrderFailWithAMessage) {
    // I InitLib, M MakeCode, R RunCode, P ProcessOps, C GetCode, F FreeLib; the last call
    // of each sequence fails.
    struct Case {
        const char* calls;
        const char* text;
    };
    const Case cases[] = {
        {"P", "_ZmProcessOps called before _ZmInitLib."},
        {"IP", "_ZmProcessOps called before _ZmRunCode."},
        {"IMP", "_ZmProcessOps called before _ZmRunCode."},
        {"IR", "_ZmRunCode called before _ZmMakeCode."},
        {"R", "_ZmRunCode called before _ZmInitLib."},
        {"M", "_ZmMakeCode called before _ZmInitLib."},
        {"IMM", "_ZmMakeCode called twice"},
        {"IMRPP", "_ZmProcessOps called before _ZmInitLib."},
        {"IMRPFR", "_ZmRunCode called before _ZmInitLib."},
        {"IC", "_ZmGetCode called before _ZmMakeCode."},
    };
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.calls);
        sim.hw._ZmFreeLib(port);
        const std::string calls = c.calls;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            const bool last = i + 1 == calls.size();
            switch (calls[i]) {
            case 'I':
                ASSERT_TRUE(sim.hw._ZmInitLib(port, sim.libraryPath(d).c_str(), d.LibParams,
                                              sim.block(d, OPMODE_RUN, OP_READ), &data.storage(),
                                              nullptr, nullptr));
                break;
            case 'M':
                EXPECT_EQ(sim.hw._ZmMakeCode(port) != 0, !last);
                break;
            case 'R':
                sim.hw._ZmRunCode(port);
                EXPECT_EQ(sim.hw._ZmGetStatus(port) < 0, !last);
                break;
            case 'P':
                sim.hw._ZmProcessOps(port, 0);
                EXPECT_EQ(sim.hw._ZmGetStatus(port), last ? ZM_STATUS_NOT_PREPARED : 0);
                break;
            case 'C':
                EXPECT_EQ(sim.hw._ZmGetCode(port, nullptr), 0);
                break;
            case 'F':
                sim.hw._ZmFreeLib(port);
                break;
            }
        }
        const Messages m = messages(port);
        EXPECT_NE(m.joined().find(c.text), std::string::npos) << m.joined();
        EXPECT_NE(m.errors.at(0), 0);
    }
    sim.hw._ZmFreeLib(port);
}

TEST(HwsimScenario, SpinnerWhileTheCodeIsTakenThenPercentagesAtTheDefaultSpeed) {
    Simulator sim(""); // the defaults a person gets
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("STM", "M27C801", "DIP32");
    ASSERT_EQ(d.MemSize[0], 1u << 20);
    DataSet data(sim.dir, d);
    data.write(0, pattern(d.MemSize[0], 9));
    ASSERT_TRUE(sim.prepare(port, d, sim.block(d, OPMODE_RUN, OP_PROGRAM), &data));
    sim.hw._ZmRunCode(port);
    double percent = -1;
    EXPECT_EQ(sim.hw._ZmGetProgress(port, &percent, 0, nullptr), 1) << "armed: spinner only";
    std::thread worker([&] { sim.hw._ZmProcessOps(port, 0); });
    std::vector<int> results;
    std::vector<double> percents;
    while (sim.hw._ZmGetStatus(port) < 0) {
        const int r = sim.hw._ZmGetProgress(port, &percent, 0, nullptr);
        results.push_back(r);
        if (r == 0) {
            percents.push_back(percent);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    worker.join();
    EXPECT_EQ(sim.hw._ZmGetStatus(port), 0) << messages(port).joined();
    sim.hw._ZmFreeLib(port);
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(results.front(), 1) << "the code is taken before percentages";
    const auto firstPercent = std::find(results.begin(), results.end(), 0);
    EXPECT_EQ(std::find(firstPercent, results.end(), 1), results.end()) << "no spinner after";
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_GE(std::set<double>(percents.begin(), percents.end()).size(), 10u);
}

TEST(HwsimScenario, DesignFilesProgramTheDevicesThatNeedThem) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("XLNX", "XC9572XL", "VQ44");
    const auto design = sim.dir / "counter.jed";
    const auto bytes = pattern(5000, 11);
    ASSERT_TRUE(writeFile(design, std::string(bytes.begin(), bytes.end())));
    const std::u16string path = wide(design.string());
    hwsim::FileEntryRecord entry{sizeof(hwsim::FileEntryRecord), 5, {}, path.c_str()};
    const auto run = [&](const void* fileEntry, std::uint32_t ops) {
        if (!sim.prepare(port, d, sim.block(d, OPMODE_RUN, ops), nullptr, fileEntry)) {
            return -1;
        }
        sim.hw._ZmRunCode(port);
        sim.hw._ZmProcessOps(port, 0);
        sim.hw._ZmFreeLib(port);
        return sim.hw._ZmGetStatus(port);
    };
    const std::uint32_t all = OP_ERASE | OP_BLANK_CHECK | OP_PROGRAM | OP_VERIFY;
    EXPECT_EQ(run(&entry, all), 0) << messages(port).joined();
    EXPECT_NE(messages(port).joined().find("Programmed the design from 'counter.jed'"),
              std::string::npos);
    EXPECT_EQ(run(&entry, OP_BLANK_CHECK), OP_BLANK_CHECK) << "the device holds the design";

    // Without a readable assigned file Program fails with a message.
    const std::u16string missing = wide((sim.dir / "gone.jed").string());
    ASSERT_EQ(::mkfifo((sim.dir / "pipe.jed").c_str(), 0600), 0);
    const std::u16string pipe = wide((sim.dir / "pipe.jed").string());
    hwsim::FileEntryRecord gone{sizeof(hwsim::FileEntryRecord), 5, {}, missing.c_str()};
    hwsim::FileEntryRecord fifo{sizeof(hwsim::FileEntryRecord), 4, {}, pipe.c_str()};
    hwsim::FileEntryRecord foreign{0x1234, 5, {}, path.c_str()};
    for (const void* e : {static_cast<const void*>(nullptr), static_cast<const void*>(&gone),
                          static_cast<const void*>(&fifo), static_cast<const void*>(&foreign)}) {
        EXPECT_EQ(run(e, OP_ERASE | OP_PROGRAM), OP_PROGRAM);
        const std::string text = messages(port).joined();
        EXPECT_TRUE(text.find("no file is assigned") != std::string::npos ||
                    text.find("cannot be read") != std::string::npos)
            << text;
    }

    // Verify compares with the file as it is now.
    EXPECT_EQ(run(&entry, OP_ERASE | OP_PROGRAM | OP_VERIFY), 0);
    auto changed = bytes;
    changed[4000] ^= 1;
    ASSERT_TRUE(writeFile(design, std::string(changed.begin(), changed.end())));
    EXPECT_EQ(run(&entry, OP_VERIFY), OP_VERIFY);
    EXPECT_NE(messages(port).joined().find("another design"), std::string::npos);

    // A pin check asked of a device that cannot check its pins is not a contact failure.
    const int status = run(&entry, OP_PIN_CHECK | OP_VERIFY);
    EXPECT_NE(status, 0);
    EXPECT_NE(status, ZM_STATUS_PIN_CHECK);
    EXPECT_NE(messages(port).joined().find("Pin check is not supported"), std::string::npos);
}

TEST(HwsimScenario, ControlFileMistakesAreReported) {
    Simulator sim(kFast);
    const int port = sim.openAll().at(0);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");
    DataSet data(sim.dir, d);
    testing::internal::CaptureStderr();
    sim.control(port, "bussy = yes\nrun two = verify\nserial = X1\nrun 1 = pin_check 49\n");
    EXPECT_EQ(sim.hw._ZmGetHardware(port), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    for (const char* text : {"line 1: unknown key 'bussy'", "line 2: runs are numbered",
                             "line 3: serial cannot change", "line 4: run 1: pin_check needs"}) {
        EXPECT_NE(err.find(text), std::string::npos) << err;
    }
    // The next operation carries them in its messages; the run itself is clean.
    EXPECT_EQ(sim.run(port, d, data, OP_READ), 0);
    EXPECT_NE(messages(port).joined().find("Simulator control file, line 1: unknown key 'bussy'"),
              std::string::npos)
        << messages(port).joined();
}

} // namespace
} // namespace zelmo::test
