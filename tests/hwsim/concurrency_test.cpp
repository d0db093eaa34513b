// Eight programmers run eight operations at once, each on its own thread, while another
// thread polls every port the way the progress timer does. Each port must end with its own
// data and its own result; a port's messages never mention another's failure.
#include "hardware_library.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace zelmo::test {
namespace {

// The eight hexadecimal digits the library prints for an address.
std::string format8(unsigned address) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", address);
    return text;
}

TEST(HwsimConcurrency, EightPortsOperateAtOnceWithoutInterference) {
    // Port 6 has a stuck cell, so exactly its verify fails.
    Simulator sim("[simulator]\nprogrammers = 8\nspeed = 8M\noverhead_ms = 5\n"
                  "[programmer 6]\nstuck = A:0x100=0x00\n");
    const std::vector<int> ports = sim.openAll();
    ASSERT_EQ(ports.size(), 8u);
    const DeviceDescriptor d = sim.device("ATM", "AT28C256", "DIP28");

    std::vector<std::unique_ptr<DataSet>> data;
    std::vector<std::vector<std::uint8_t>> bytes;
    for (int i = 0; i < 8; ++i) {
        data.push_back(std::make_unique<DataSet>(sim.dir, d, "set" + std::to_string(i)));
        bytes.push_back(pattern(d.MemSize[0], 100 + static_cast<std::uint32_t>(i)));
        bytes.back()[0x100] = 0xA5;
        data.back()->write(0, bytes.back());
    }

    std::atomic<bool> running{true};
    std::atomic<int> polls{0};
    std::thread poller([&] {
        while (running) {
            for (int port : ports) {
                double percent = 0;
                uint8_t trigger = 0;
                if (sim.hw._ZmGetStatus(port) < 0) {
                    const int r = sim.hw._ZmGetProgress(port, &percent, 0, &trigger);
                    if (r == 0) {
                        EXPECT_GE(percent, 0.0);
                        EXPECT_LE(percent, 100.0);
                    }
                    EXPECT_EQ(trigger, 0);
                }
                sim.hw._ZmGetHardware(port);
                ++polls;
            }
            std::this_thread::yield();
        }
    });

    std::vector<int> programStatus(8, -1), readStatus(8, -1);
    std::vector<std::thread> workers;
    for (int i = 0; i < 8; ++i) {
        workers.emplace_back([&, i] {
            programStatus[i] =
                sim.run(ports[i], d, *data[i], OP_CHECK_ID | OP_ERASE | OP_PROGRAM | OP_VERIFY);
            data[i]->write(0, std::vector<std::uint8_t>(d.MemSize[0], 0));
            readStatus[i] = sim.run(ports[i], d, *data[i], OP_READ);
        });
    }
    for (auto& w : workers) {
        w.join();
    }
    running = false;
    poller.join();
    EXPECT_GT(polls.load(), 8);

    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE("port " + std::to_string(ports[i]));
        const bool faulty = ports[i] == 6;
        EXPECT_EQ(programStatus[i], faulty ? OP_VERIFY : 0);
        EXPECT_EQ(readStatus[i], 0);
        auto expected = bytes[i];
        if (faulty) {
            expected[0x100] = 0x00;
        }
        EXPECT_EQ(data[i]->read(0), expected);
        EXPECT_EQ(messages(ports[i]).joined().find("Verify error"), std::string::npos)
            << "messages of the last run only";
    }
}

TEST(HwsimConcurrency, EightProductionLinesFollowTheirOwnScenarios) {
    // Eight programmers in detection mode, three chips each, inserted through each
    // programmer's own control file, with a different run rule per programmer. One thread
    // polls every port like the progress timer and wakes the line whose trigger it sees.
    Simulator sim("[simulator]\nprogrammers = 8\nspeed_factor = 200\ntrigger_ms = 0\n");
    const std::vector<int> ports = sim.openAll();
    ASSERT_EQ(ports.size(), 8u);
    const DeviceDescriptor d = sim.device("MCHP", "24LC16B", "DIP8");
    // Expected status of each port's three runs.
    std::array<std::vector<int>, 8> expected;
    for (int i = 0; i < 8; ++i) {
        std::string rules;
        expected[i] = {0, 0, 0};
        if (i % 3 == 1) {
            rules = "run 2 = verify A:" + std::to_string(10 + i) + "\n";
            expected[i][1] = OP_VERIFY;
        } else if (i % 3 == 2) {
            rules = "run " + std::to_string(i % 2 + 1) + " = pin_check " + std::to_string(20 + i) +
                    "\n";
            expected[i][static_cast<std::size_t>(i % 2)] = ZM_STATUS_PIN_CHECK;
        }
        sim.control(ports[i], rules);
    }
    std::vector<std::unique_ptr<DataSet>> data;
    for (int i = 0; i < 8; ++i) {
        data.push_back(std::make_unique<DataSet>(sim.dir, d, "line" + std::to_string(i)));
        data.back()->write(0, pattern(d.MemSize[0], static_cast<std::uint32_t>(i)));
    }

    std::array<std::atomic<bool>, 8> woken{};
    std::atomic<bool> running{true};
    std::thread poller([&] {
        while (running) {
            for (int i = 0; i < 8; ++i) {
                if (sim.hw._ZmGetStatus(ports[i]) < 0) {
                    double percent = 0;
                    uint8_t trigger = 0;
                    sim.hw._ZmGetProgress(ports[i], &percent, 0, &trigger);
                    if (trigger != 0) {
                        woken[i] = true;
                    }
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    std::array<std::vector<int>, 8> statuses;
    std::array<std::string, 8> texts;
    std::vector<std::thread> lines;
    for (int i = 0; i < 8; ++i) {
        lines.emplace_back([&, i] {
            const int port = ports[i];
            if (!sim.prepare(port, d,
                             sim.block(d, OPMODE_PRODUCTION_INSERTION,
                                       OP_PIN_CHECK | OP_PROGRAM | OP_VERIFY),
                             data[i].get())) {
                return;
            }
            for (int chip = 1; chip <= 3; ++chip) {
                sim.hw._ZmRunCode(port);
                sim.control(port, readFile(sim.portDir(port) / "control.ini") + "socket = chip-" +
                                      std::to_string(chip) + "\n");
                const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                while (!woken[i] && std::chrono::steady_clock::now() < end) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                woken[i] = false;
                sim.hw._ZmProcessOps(port, 0);
                statuses[i].push_back(sim.hw._ZmGetStatus(port));
                texts[i] += messages(port).joined();
            }
            sim.hw._ZmRunCode(port);
            sim.hw._ZmProcessOps(port, 1);
            sim.hw._ZmFreeLib(port);
        });
    }
    for (auto& t : lines) {
        t.join();
    }
    running = false;
    poller.join();
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE("port " + std::to_string(ports[i]));
        EXPECT_EQ(statuses[i], expected[i]) << texts[i];
        // A port's messages never mention another port's failure.
        for (int j = 0; j < 8; ++j) {
            if (j % 3 == 1 && j != i) {
                EXPECT_EQ(texts[i].find("address 0x" + format8(10 + j)), std::string::npos);
            }
            if (j % 3 == 2 && j != i) {
                EXPECT_EQ(texts[i].find("pin(s): " + std::to_string(20 + j) + "."),
                          std::string::npos);
            }
        }
    }
}

} // namespace
} // namespace zelmo::test
