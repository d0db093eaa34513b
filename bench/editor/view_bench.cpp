// Cost of the buffer view's refresh and repaint against the size of the buffer: a sparse swap
// file of 4 GiB - 1 bytes (the largest memory a descriptor can describe) against one of 256
// bytes (a quarter screen) and one of 64 KiB (more than a screen), in the 8-bit grid
// (1024-byte page) and the fuse map (4096-byte page). Every iteration
// scrolls to a random row, which re-reads the page; the paint benchmark then asks the look of
// every cell of a 65-row screen, as the widget does. Counters:
//   page_bytes   bytes the view asked of the swap file per refresh (its own count)
//   max_bytes    the most it asked in any one refresh
//   read_bytes   bytes the process read from files per refresh, from /proc/self/io (rchar),
//                so reads the view did not count would show here

#include "editor/buffer_view_model.h"
#include "editor/sparse_project.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace zelmo;
using namespace zelmo::editor;
using zelmo::bench::processReadBytes;
using zelmo::bench::SparseProject;

namespace {

void run(benchmark::State& state, bool paint) {
    const auto size = static_cast<std::uint32_t>(state.range(0));
    const auto organization = static_cast<std::uint8_t>(state.range(1));
    SparseProject sparse(size, organization);
    BufferViewModel view(sparse.project);
    view.LayoutGrids(100000); // 65 rows: the largest screen
    const ViewLayout layout = view.layout();
    int gridCount = 0;
    const GridKind* grids = layout.grids(gridCount);
    std::mt19937 rng(1);
    std::uniform_int_distribution<std::uint32_t> row(0, layout.maxTopRow());

    const std::uint64_t calibrate = processReadBytes();
    const std::uint64_t probeCost = processReadBytes() - calibrate;
    const std::uint64_t readBefore = processReadBytes();
    const std::uint64_t pageBefore = view.pages().bytesRead();
    std::uint64_t maxBytes = 0;
    for (auto _ : state) {
        const std::uint64_t before = view.pages().bytesRead();
        view.ScrollTo(row(rng));
        maxBytes = std::max(maxBytes, view.pages().bytesRead() - before);
        if (paint) {
            for (int g = 0; g < gridCount; ++g) {
                const int columns = grids[g] == GridKind::Address ? 1 : int(layout.columns());
                for (int r = 0; r < layout.rowCount(); ++r) {
                    for (int c = 0; c < columns; ++c) {
                        benchmark::DoNotOptimize(view.Look({grids[g], r, c}, true));
                    }
                }
            }
        }
    }
    const std::uint64_t readBytes = processReadBytes() - readBefore - probeCost;
    const auto perRefresh = [&](double total) {
        return benchmark::Counter(total / static_cast<double>(state.iterations()));
    };
    state.counters["page_bytes"] =
        perRefresh(static_cast<double>(view.pages().bytesRead() - pageBefore));
    state.counters["max_bytes"] = static_cast<double>(maxBytes);
    state.counters["read_bytes"] = perRefresh(static_cast<double>(readBytes));
}

void BM_ViewRefresh(benchmark::State& state) {
    run(state, false);
}
void BM_ViewRefreshAndPaint(benchmark::State& state) {
    run(state, true);
}

} // namespace

BENCHMARK(BM_ViewRefresh)->Apply(zelmo::bench::viewSizes);
BENCHMARK(BM_ViewRefreshAndPaint)->Apply(zelmo::bench::viewSizes);
