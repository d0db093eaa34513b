#pragma once

// The main window after its real start-up against the simulated programmers, offscreen, with
// the simulator's state and configuration in the test's own folder, and devices from the
// shipped catalogue prepared with their algorithm files as the device selection does.

#include "app/device_preparation.h"
#include "app/ui/log_view.h"
#include "app/ui/main_window.h"
#include "common/temp_dir.h"
#include "project/device_descriptor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace zelmo::test {

class StartedWindowTest : public testing::Test {
protected:
    StartedWindowTest() {
        ::setenv("ZELMO_SIM_STATE", (home / "state").c_str(), 1);
        ::setenv("ZELMO_SIM_CONFIG", (home / "simulator.ini").c_str(), 1);
    }
    ~StartedWindowTest() override {
        if (window) {
            window->Project().CloseAll(true);
            window->Shutdown();
        }
    }

    // Writes the simulator configuration, then makes, shows and starts the window.
    TfMain& Start(const std::string& simulatorIni) {
        EXPECT_TRUE(writeFile(home / "simulator.ini", simulatorIni));
        window = std::make_unique<TfMain>(BuildDayBytes{73, 18, 2, 16}, CommandLine{},
                                          QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR")));
        window->Project().SetSwapPath(QString::fromStdString((home / "swap").string()));
        window->show();
        window->Initialize();
        return *window;
    }

    // Adds a catalogue device; its slot, -1 with a test failure when it cannot be added.
    int AddCatalogueDevice(const char* vendor, const char* name, const char* package) {
        DeviceDescriptor d{};
        char v[5] = {}, n[25] = {}, p[10] = {};
        SetFieldText(v, vendor);
        SetFieldText(n, name);
        SetFieldText(p, package);
        const HardwareEntryPoints& api = window->Session().Api();
        if (api.ZmSearchDev == nullptr || !api.ZmSearchDev(v, n, p, &d)) {
            ADD_FAILURE() << "no catalogue device " << name;
            return -1;
        }
        const AddDeviceResult added = window->Project().AddCompleteDevice(d, [&](CDevice& device) {
            const PreparedDevice prepared = PrepareCatalogueDevice(api, window->AppDir(), d);
            ApplyPreparation(device, prepared);
            return prepared.ok;
        });
        EXPECT_GE(added.Slot, 0) << name;
        window->RefreshAll();
        return added.Slot;
    }

    QStringList LogLines() const { return window->LogView()->Text().split(u'\n'); }

    TempDir home;
    std::unique_ptr<TfMain> window;
};

} // namespace zelmo::test
