// One Run in gang mode: eight simulated programmers programming and verifying eight linked
// devices at once, against the same Run on one device. The programmers work in parallel, so the
// gang's time should stay close to one device's; "vs_one_device" is the ratio of the two.

#include "app/device_preparation.h"
#include "app/startup_session.h"
#include "operations/execution/operation_block.h"
#include "operations/execution/operations.h"
#include "project/device_descriptor.h"
#include "project/executor.h"
#include "project/project.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace zelmo {
namespace {

constexpr char kDevice[] = "ATM:AT28C010:DIP32"; // 128 KiB of EEPROM
constexpr int kGang = 8;

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "bench_operations";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// A simulated line of `count` programmers with one device each, all linked.
class Line {
public:
    explicit Line(int count) : ops_(project_, executor_) {
        application();
        const std::string root = home_.path().toStdString();
        ::setenv("ZELMO_SIM_STATE", (root + "/sim").c_str(), 1);
        ::setenv("ZELMO_SIM_CONFIG", (root + "/simulator.ini").c_str(), 1);
        std::ofstream(root + "/simulator.ini")
            << "[simulator]\nprogrammers = " << count << "\nprepare_ms = 0\ntrigger_ms = 0\n";
        project_.SetSwapPath(home_.path() + "/");
        project_.GangMode = 1;
        const QString appDir = QStringLiteral(ZELMO_BIN_DIR "/");
        ok_ = session_.StartLibraries(appDir).ok && session_.FindProgrammers() &&
              static_cast<int>(session_.Programmers().size()) == count &&
              session_.LoadCatalogue().ok;
        if (!ok_) {
            return;
        }
        ops_.SetHardware(
            appDir, &session_.Api(),
            CProgrammers(session_.Programmers(), session_.Assignment(), session_.GangCapable()));
        const DeviceDescriptor* descriptor = find();
        for (int i = 0; ok_ && descriptor != nullptr && i < count; ++i) {
            const PreparedDevice prepared =
                PrepareCatalogueDevice(session_.Api(), appDir, *descriptor);
            const int d = project_
                              .AddCompleteDevice(*descriptor,
                                                 [&](CDevice& device) {
                                                     ApplyPreparation(device, prepared);
                                                     return prepared.ok;
                                                 })
                              .Slot;
            ok_ = d == i;
            if (ok_) {
                CDevice& device = *project_.DeviceAt(d);
                device.OpTabsSelected = TabProgram;
                device.OpTabs[TabProgram] = OP_PROGRAM | OP_VERIFY;
                ops_.AssignProgrammer(d, i);
            }
        }
        ok_ = ok_ && descriptor != nullptr;
        if (ok_ && count > 1) {
            ops_.ToggleLinkDevices();
        }
    }

    bool ok() const { return ok_; }

    // One Run; false when not every device started and succeeded.
    bool run() {
        const int started = ops_.Run(false);
        while (ops_.OperationThreads() > 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        bool good = started == project_.DeviceCount;
        for (int d = 0; d < project_.DeviceCount; ++d) {
            good = good && project_.DeviceAt(d)->LastStatus == 0;
        }
        return good;
    }

    ~Line() {
        ops_.Shutdown();
        project_.CloseAll(true);
    }

private:
    const DeviceDescriptor* find() const {
        for (const DeviceDescriptor* d : session_.Catalogue().Devices()) {
            const std::string key = std::string(FieldView(d->Vendor)) + ":" +
                                    std::string(FieldView(d->Name)) + ":" +
                                    std::string(FieldView(d->Package));
            if (key == kDevice) {
                return d;
            }
        }
        return nullptr;
    }

    QTemporaryDir home_;
    TProject project_;
    CMainThreadExecutor executor_;
    CStartupSession session_;
    COperations ops_;
    bool ok_ = false;
};

double secondsOf(Line& line, bool& ok) {
    const auto start = std::chrono::steady_clock::now();
    ok = line.run() && ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Run(benchmark::State& state) {
    const int devices = static_cast<int>(state.range(0));
    double oneDevice = 0.0;
    bool ok = true;
    if (devices > 1) {
        // The baseline: the same Run with one programmer and one device.
        Line one(1);
        if (!one.ok()) {
            state.SkipWithError("the simulated line could not be set up");
            return;
        }
        secondsOf(one, ok); // the first run opens the chip files
        for (int i = 0; i < 3; ++i) {
            oneDevice += secondsOf(one, ok) / 3;
        }
    }
    Line line(devices);
    if (!line.ok()) {
        state.SkipWithError("the simulated line could not be set up");
        return;
    }
    secondsOf(line, ok);
    double total = 0.0;
    for (auto _ : state) {
        const double seconds = secondsOf(line, ok);
        state.SetIterationTime(seconds);
        total += seconds;
    }
    if (!ok) {
        state.SkipWithError("a device failed");
        return;
    }
    state.counters["devices"] = devices;
    if (devices > 1) {
        state.counters["vs_one_device"] =
            total / static_cast<double>(state.iterations()) / oneDevice;
    }
}
BENCHMARK(BM_Run)->Arg(1)->Arg(kGang)->UseManualTime()->Iterations(3)->Unit(
    benchmark::kMillisecond);

} // namespace
} // namespace zelmo
