#pragma once

// The simulated programmers the card tests run against: the application directory of the build
// (libhardware.so, its catalogue and the runtime file), a simulator configuration of the test's
// own, and a start-up session that has opened the programmers and read the catalogue.

#include "app/device_preparation.h"
#include "app/startup_session.h"
#include "common/temp_dir.h"
#include "project/device_descriptor.h"
#include "project/project.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <cstdlib>
#include <memory>
#include <string>

namespace zelmo::test {

// The application directory with the simulator, its catalogue and the runtime file, or empty.
inline QString simulatorDir() {
    const char* dir = std::getenv("ZELMO_BIN_DIR");
    const QString path = dir != nullptr ? QString::fromLocal8Bit(dir) + "/" : QString();
    for (const char* needed :
         {"libhardware.so", "Lib/ConfigLib.lib", "Lib/fpu.lib", "Lib/cpu.lib"}) {
        if (path.isEmpty() || !QFileInfo::exists(path + needed)) {
            return {};
        }
    }
    return path;
}

class SimulatedProgrammers : public ::testing::Test {
protected:
    void SetUp() override {
        appDir = simulatorDir();
        if (appDir.isEmpty()) {
            GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so, its catalogue and fpu.lib";
        }
    }
    // Starts the library with `ini` as the simulator's configuration (call it under
    // ASSERT_NO_FATAL_FAILURE).
    void Start(const std::string& ini) {
        ASSERT_TRUE(writeFile(simDir / "simulator.ini", ini));
        ::setenv("ZELMO_SIM_CONFIG", (simDir / "simulator.ini").c_str(), 1);
        ::setenv("ZELMO_SIM_STATE", (simDir / "state").c_str(), 1);
        session = std::make_unique<CStartupSession>();
        ASSERT_TRUE(session->StartLibraries(appDir).ok);
        ASSERT_TRUE(session->FindProgrammers());
        ASSERT_TRUE(session->LoadCatalogue().ok);
        project.SetSwapPath(qpathOf(swapDir.path()));
        project.ProgrammerCount = static_cast<std::int32_t>(session->Programmers().size());
    }
    void TearDown() override {
        project.CloseAll(true);
        session.reset();
    }

    static QString qpathOf(const std::filesystem::path& p) {
        return QString::fromStdString(p.string());
    }

    // Adds the catalogue device VENDOR:NAME:PACKAGE as "add device" does; its slot.
    int AddDevice(const char* vendor, const char* name, const char* package) {
        DeviceDescriptor d{};
        char v[5] = {}, n[25] = {}, p[10] = {};
        SetFieldText(v, vendor);
        SetFieldText(n, name);
        SetFieldText(p, package);
        if (!session->Api().ZmSearchDev(v, n, p, &d)) {
            ADD_FAILURE() << name << " is not in the catalogue";
            return -1;
        }
        return project
            .AddCompleteDevice(d,
                               [&](CDevice& device) {
                                   const PreparedDevice prepared =
                                       PrepareCatalogueDevice(session->Api(), appDir, d);
                                   ApplyPreparation(device, prepared);
                                   return prepared.ok;
                               })
            .Slot;
    }

    // The simulator's card of the programmer at `port`.
    std::filesystem::path CardFile(int port) const {
        return simDir / "state" / ("card-" + std::to_string(port) + ".img");
    }

    QString appDir;
    TempDir simDir, swapDir;
    std::unique_ptr<CStartupSession> session;
    TProject project;
};

} // namespace zelmo::test
