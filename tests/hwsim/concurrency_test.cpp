// Eight programmers run eight operations at once, each on its own thread, while another
// thread polls every port the way the progress timer does. Each port must end with its own
// data and its own result; a port's messages never mention another's failure.
#include "hardware_library.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace zelmo::test {
namespace {

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

} // namespace
} // namespace zelmo::test
