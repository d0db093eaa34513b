// Start-up to an idle main window with the default simulated programmer: the window's own clock
// from its creation to the end of start-up (libraries bound, programmer opened, catalogue read,
// configuration restored, views refreshed), reported as the iteration time. Runs offscreen in a
// private home, so the user's configuration is never read.
#include "app/release.h"
#include "app/ui/main_window.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

QApplication& Application() {
    static const std::string home = [] {
        char pattern[] = "/tmp/zelmo-bench-XXXXXX";
        const char* base = ::mkdtemp(pattern);
        const std::string root = base != nullptr ? base : "/tmp";
        for (const char* sub : {"data", "config", "runtime", "tmp"}) {
            std::filesystem::create_directories(root + "/" + sub);
        }
        std::filesystem::permissions(root + "/runtime", std::filesystem::perms::owner_all);
        ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
        ::setenv("TMPDIR", (root + "/tmp").c_str(), 1);
        // The shipped Lib/simulator.ini of the application directory: one programmer.
        ::unsetenv("ZELMO_SIM_CONFIG");
        ::setenv("ZELMO_SIM_STATE", (root + "/sim").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return root;
    }();
    static int argc = 1;
    static char name[] = "bench_app";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

void BM_StartupToIdleWindow(benchmark::State& state) {
    Application();
    zelmo::BuildDayBytes day{};
    zelmo::ParseBuildDay(zelmo::BuildDateText(), zelmo::BuildTimeText(), day);
    double total = 0;
    for (auto _ : state) {
        zelmo::TfMain window(day, {}, QStringLiteral(ZELMO_BIN_DIR));
        window.show();
        window.Initialize();
        QApplication::processEvents();
        if (window.StartupMilliseconds() < 0) {
            state.SkipWithError("start-up did not end");
            break;
        }
        const double seconds = static_cast<double>(window.StartupMilliseconds()) / 1000.0;
        state.SetIterationTime(seconds);
        total += seconds;
        window.Shutdown();
    }
    state.counters["startup_ms"] =
        benchmark::Counter(total * 1000.0 / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_StartupToIdleWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
