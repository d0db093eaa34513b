// Speed of the bulk swap-file work of the project: initialising a new data set of a large
// device with 0xFF, and copying a project's option and swap files out to a project folder.
// ZELMO_BENCH_DIR names the folder to work in (default: the system temporary folder), so that
// compare.sh can put the side-by-side tools on the same disk.

#include "project/device_descriptor.h"
#include "project/project.h"

#include <QDir>
#include <QString>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace zelmo;

fs::path workDir(const char* name) {
    const char* base = std::getenv("ZELMO_BENCH_DIR");
    fs::path dir = fs::path(base != nullptr ? base : QDir::tempPath().toStdString()) /
                   ("zelmo-bench-" + std::to_string(::getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

DeviceDescriptor descriptorOf(std::uint32_t sizeA) {
    DeviceDescriptor d{};
    d.Type = DT_FLASH;
    SetFieldText(d.Name, "BENCH");
    d.MemSize[0] = sizeA;
    return d;
}

// Adding a data set of a 132 MiB device: create the swap file and fill it with 0xFF.
void BM_AddDataSet132MiB(benchmark::State& state) {
    const fs::path dir = workDir("add");
    TProject project;
    project.SetSwapPath(QString::fromStdString(dir.string()));
    const std::uint32_t size = 132u << 20;
    for (auto _ : state) {
        state.PauseTiming();
        project.CloseAll(true);
        if (project.AddDevice(descriptorOf(size)) != 0) {
            state.SkipWithError("cannot add device");
            break;
        }
        ::sync();
        state.ResumeTiming();
        if (project.AddDataSet(0, SwapInit::ResetAndFill).empty()) {
            state.SkipWithError("cannot add data set");
            break;
        }
    }
    project.CloseAll(true);
    fs::remove_all(dir.parent_path());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}

// Storing a project of 16 data sets of 16 MiB: the project file and 17 files into the folder.
void BM_StoreProject16x16MiB(benchmark::State& state) {
    const fs::path dir = workDir("store");
    const fs::path swap = dir / "swap";
    fs::create_directories(swap);
    const QString config = QString::fromStdString((dir / "Zelmo2.ini").string());
    std::ofstream(dir / "Zelmo2.ini") << "<Settings/>\n";
    TProject project;
    project.SetSwapPath(QString::fromStdString(swap.string()));
    const std::uint32_t size = 16u << 20;
    if (project.AddDevice(descriptorOf(size)) != 0) {
        state.SkipWithError("cannot add device");
        return;
    }
    for (int s = 0; s < kMaxDataSets; ++s) {
        if (project.AddDataSet(0, SwapInit::ResetAndFill).empty()) {
            state.SkipWithError("cannot add data set");
            return;
        }
    }
    const fs::path out = dir / "out";
    const QString projectFile = QString::fromStdString((out / "P.zlp").string());
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(out);
        fs::create_directories(out);
        ::sync();
        state.ResumeTiming();
        if (!project.StoreSwapFiles(projectFile, config)) {
            state.SkipWithError("store failed");
            break;
        }
    }
    project.CloseAll(true);
    fs::remove_all(dir.parent_path());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kMaxDataSets * size);
}

} // namespace

BENCHMARK(BM_AddDataSet132MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_StoreProject16x16MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
