// Cost of one refresh of the buffer view widget as the user sees it: the scroll bar moves to a
// random row, the view re-reads its page and the grids are painted into an image through their
// own paint event (offscreen platform), for a sparse 4 GiB - 1 byte memory against a 256-byte
// one (a quarter screen, the rest empty cells) and a 64 KiB one (a full screen, like the 4 GiB
// one), in the 8-bit grid and the fuse map, at the largest screen of 65 rows. A buffer that fits
// the screen cannot scroll; its refresh is the forced re-read a change notice makes. Counters:
//   page_bytes   bytes the view asked of the swap file per refresh (its own count)
//   max_bytes    the most it asked in any one refresh
//   read_bytes   bytes the process read from files per refresh, from /proc/self/io (rchar)

#include "editor/sparse_project.h"
#include "editor/ui/buffer_grids.h"
#include "editor/ui/buffer_view.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>

#include <random>

using namespace zelmo;
using namespace zelmo::editor;
using zelmo::bench::processReadBytes;
using zelmo::bench::SparseProject;

namespace {

void ensureApplication() {
    static int argc = 1;
    static char name[] = "bench_views_ui";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QApplication app(argc, argv);
    }
}

void BM_WidgetRefreshAndPaint(benchmark::State& state) {
    ensureApplication();
    const auto size = static_cast<std::uint32_t>(state.range(0));
    const auto organization = static_cast<std::uint8_t>(state.range(1));
    SparseProject sparse(size, organization);
    TBufferView view(sparse.project);
    view.resize(1000, 65 * kRowHeight + 40);
    view.RefreshView();
    TBufferGrids* grids = view.Grids();
    if (view.Model().RowCount != kMaxRowCount) {
        state.SkipWithError("the panel does not show 65 rows");
        return;
    }
    QImage image(grids->size(), QImage::Format_RGB32);
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> row(0, std::max(0, view.sbScroll->maximum()));

    const std::uint64_t calibrate = processReadBytes();
    const std::uint64_t probeCost = processReadBytes() - calibrate;
    const std::uint64_t readBefore = processReadBytes();
    const std::uint64_t pageBefore = view.Model().pages().bytesRead();
    std::uint64_t maxBytes = 0;
    for (auto _ : state) {
        const std::uint64_t before = view.Model().pages().bytesRead();
        if (view.sbScroll->isEnabled()) {
            view.sbScroll->setValue(row(rng)); // the scroll re-reads the page
        } else {
            view.RefreshPage(true); // a buffer that fits: a refresh from the notifier
        }
        QPainter painter(&image);
        grids->render(&painter);
        painter.end();
        maxBytes = std::max(maxBytes, view.Model().pages().bytesRead() - before);
        benchmark::DoNotOptimize(image.constBits());
    }
    const std::uint64_t readBytes = processReadBytes() - readBefore - probeCost;
    const auto perRefresh = [&](double total) {
        return benchmark::Counter(total / static_cast<double>(state.iterations()));
    };
    state.counters["page_bytes"] =
        perRefresh(static_cast<double>(view.Model().pages().bytesRead() - pageBefore));
    state.counters["max_bytes"] = static_cast<double>(maxBytes);
    state.counters["read_bytes"] = perRefresh(static_cast<double>(readBytes));
}

} // namespace

BENCHMARK(BM_WidgetRefreshAndPaint)->Apply(zelmo::bench::viewSizes);
