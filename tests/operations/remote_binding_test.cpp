// The optional remote-control library: absent, incomplete, and the sample library driven
// through its trigger and result files.

#include "common/temp_dir.h"
#include "operations/remote_binding.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace zelmo {
namespace {

TEST(RemoteControlBinding, AbsentLibraryLeavesRemoteControlOff) {
    test::TempDir empty;
    RemoteControlBinding remote;
    const BindResult r = remote.bind(QString::fromStdString(empty.path().string()));
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.terminate);
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_FALSE(remote.isLoaded());
    EXPECT_EQ(remote.CheckStatus(0), 0) << "no library, no start";
    remote.Init(); // harmless without a library
    remote.Result(0, 0);
}

TEST(RemoteControlBinding, IncompleteLibraryAsksToTerminate) {
    RemoteControlBinding remote;
    const BindResult r = remote.bind(QStringLiteral(ZELMO_FAKE_LIB_DIR "/remote_incomplete"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.terminate);
    EXPECT_EQ(r.message, "Incorrect 'libRemoteCtrl.so'");
    EXPECT_TRUE(r.detail.contains("Result")) << r.detail.toStdString();
    EXPECT_FALSE(remote.isLoaded());
    EXPECT_EQ(remote.CheckStatus(0), 0) << "the partial library must not be called";
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

TEST(RemoteControlBinding, SampleLibraryStartsOnTriggersAndRecordsResults) {
    test::TempDir control;
    ::setenv("ZELMO_RC_DIR", control.path().c_str(), 1);
    RemoteControlBinding remote;
    const BindResult r = remote.bind(QStringLiteral(ZELMO_SAMPLE_DIR));
    ASSERT_TRUE(r.ok) << r.detail.toStdString();
    ASSERT_TRUE(remote.isLoaded());

    remote.Init();
    EXPECT_TRUE(std::filesystem::exists(control / "active"));

    EXPECT_EQ(remote.CheckStatus(1), 0) << "no trigger yet";
    ASSERT_TRUE(test::writeFile(control / "start1", ""));
    EXPECT_EQ(remote.CheckStatus(0), 0) << "a trigger belongs to its slot";
    EXPECT_EQ(remote.CheckStatus(1), 1);
    EXPECT_EQ(remote.CheckStatus(1), 0) << "one trigger, one start";
    EXPECT_EQ(remote.CheckStatus(-1), 0);

    remote.Result(1, 0);
    remote.Result(2, 0x10);
    remote.Result(3, 0x800);
    auto log = lines(test::readFile(control / "results.log"));
    ASSERT_EQ(log.size(), 3u);
    EXPECT_NE(log[0].find("\t1\t0\tgood"), std::string::npos) << log[0];
    EXPECT_NE(log[1].find("\t2\t16\tbad"), std::string::npos) << log[1];
    EXPECT_NE(log[2].find("\t3\t2048\tcancelled"), std::string::npos) << log[2];

    // Gang workers report at the same time; every line must arrive whole.
    std::vector<std::thread> workers;
    for (int slot = 0; slot < 8; ++slot) {
        workers.emplace_back([&remote, slot] {
            for (int i = 0; i < 25; ++i) {
                remote.Result(slot, 0);
            }
        });
    }
    for (auto& w : workers) {
        w.join();
    }
    log = lines(test::readFile(control / "results.log"));
    ASSERT_EQ(log.size(), 3u + 8u * 25u);
    for (const auto& line : log) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
    }

    remote.Free();
    EXPECT_FALSE(std::filesystem::exists(control / "active"));
    remote.release();
    EXPECT_FALSE(remote.isLoaded());
    ::unsetenv("ZELMO_RC_DIR");
}

} // namespace
} // namespace zelmo
