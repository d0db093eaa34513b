// Speed of the buffer tools over files in the page cache. The side-by-side script compare.sh
// hands the files in through the environment:
//   ZELMO_BENCH_FILE   data file read by the checksum, search and compare benchmarks
//   ZELMO_BENCH_FILE2  same size, differing from the first only in its last byte
//   ZELMO_BENCH_OUT    file of the same size that the fill benchmarks overwrite
// Without them each benchmark makes a 64 MiB file of its own in the temporary folder.

#include "editor/buffer_search.h"
#include "editor/checksum_engine.h"
#include "editor/checksum_thread.h"
#include "editor/fill_pattern.h"
#include "editor/fill_thread.h"
#include "platform/file_io.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

using namespace zelmo;
using namespace zelmo::editor;

namespace {

constexpr std::size_t kDefaultSize = 64u << 20;

std::filesystem::path scratch(const char* name) {
    const char* tmp = std::getenv("TMPDIR");
    return std::filesystem::path(tmp != nullptr ? tmp : "/tmp") / name;
}

// The file named by `env`, or a generated one (random bytes; `lastByteFlipped` changes the last
// byte of the generated content so two files differ only there).
std::filesystem::path benchFile(const char* env, const char* fallback, bool lastByteFlipped) {
    if (const char* p = std::getenv(env)) {
        return p;
    }
    const std::filesystem::path path = scratch(fallback);
    if (!std::filesystem::exists(path)) {
        std::vector<std::uint8_t> data(kDefaultSize);
        std::mt19937_64 rng(1);
        for (std::size_t i = 0; i < data.size(); i += 8) {
            const std::uint64_t v = rng();
            std::memcpy(data.data() + i, &v, 8);
        }
        if (lastByteFlipped) {
            data.back() ^= 1;
        }
        platform::replaceFileAtomically(path, data);
    }
    return path;
}

void BM_BufferChecksum(benchmark::State& state) {
    const auto file = platform::File::open(benchFile("ZELMO_BENCH_FILE", "zelmo_bench_a", false),
                                           platform::OpenMode::Read);
    const auto size = static_cast<std::uint32_t>(file.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(computeFileChecksums(file, 0, size, false));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_BufferChecksum)->Unit(benchmark::kMillisecond);

void BM_Calculator(benchmark::State& state) {
    const auto file = platform::File::open(benchFile("ZELMO_BENCH_FILE", "zelmo_bench_a", false),
                                           platform::OpenMode::Read);
    const auto size = static_cast<std::uint32_t>(file.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(computeFileChecksums(file, 0, size, true));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_Calculator)->Unit(benchmark::kMillisecond);

// CRC-32 alone, read in 64 KiB pieces like the worker.
void BM_Crc32(benchmark::State& state) {
    const auto file = platform::File::open(benchFile("ZELMO_BENCH_FILE", "zelmo_bench_a", false),
                                           platform::OpenMode::Read);
    const auto size = static_cast<std::uint64_t>(file.size());
    std::vector<std::uint8_t> piece(65536);
    for (auto _ : state) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::uint64_t pos = 0; pos < size; pos += piece.size()) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), size - pos));
            file.readAt(pos, std::span<std::uint8_t>(piece.data(), n));
            crc = crc32Update(crc, std::span<const std::uint8_t>(piece.data(), n));
        }
        benchmark::DoNotOptimize(~crc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_Crc32)->Unit(benchmark::kMillisecond);

// CRC-32 over the bytes of a mapping of the file (no copy), as zlib.crc32 over bytes in memory.
void BM_Crc32InMemory(benchmark::State& state) {
    const platform::Mapping map =
        platform::Mapping::mapFile(benchFile("ZELMO_BENCH_FILE", "zelmo_bench_a", false));
    benchmark::DoNotOptimize(crc32(map.bytes())); // fault the pages in before timing
    for (auto _ : state) {
        benchmark::DoNotOptimize(crc32(map.bytes()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * map.size()));
}
BENCHMARK(BM_Crc32InMemory)->Unit(benchmark::kMillisecond);

// The plain approach for comparison: one table lookup per byte for each of the seven CRCs.
void BM_BytewiseSevenCrcs(benchmark::State& state) {
    const auto file = platform::File::open(benchFile("ZELMO_BENCH_FILE", "zelmo_bench_a", false),
                                           platform::OpenMode::Read);
    const auto size = static_cast<std::uint64_t>(file.size());
    static std::uint16_t arc[256], dnp[256], cc[256];
    static std::uint32_t c32[256];
    for (unsigned i = 0; i < 256; ++i) {
        unsigned a = i, d = i, x = i << 8;
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) {
            a = (a & 1) ? (a >> 1) ^ 0xA001 : a >> 1;
            d = (d & 1) ? (d >> 1) ^ 0xA6BC : d >> 1;
            x = (x & 0x8000) ? ((x << 1) ^ 0x1021) & 0xFFFF : (x << 1) & 0xFFFF;
            c = (c >> 1) ^ ((c & 1) ? 0xEDB88320u : 0);
        }
        arc[i] = static_cast<std::uint16_t>(a);
        dnp[i] = static_cast<std::uint16_t>(d);
        cc[i] = static_cast<std::uint16_t>(x);
        c32[i] = c;
    }
    std::vector<std::uint8_t> piece(65536);
    for (auto _ : state) {
        std::uint32_t s = 0, r1 = 0, r2 = 0xFFFF, r3 = 0, r4 = 0, r5 = 0xFFFF, r6 = 0x1D0F;
        std::uint32_t r7 = 0xFFFFFFFFu;
        for (std::uint64_t pos = 0; pos < size; pos += piece.size()) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), size - pos));
            file.readAt(pos, std::span<std::uint8_t>(piece.data(), n));
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint8_t b = piece[i];
                s += b;
                r1 = (r1 >> 8) ^ arc[(r1 ^ b) & 0xFF];
                r2 = (r2 >> 8) ^ arc[(r2 ^ b) & 0xFF];
                r3 = (r3 >> 8) ^ dnp[(r3 ^ b) & 0xFF];
                r4 = ((r4 << 8) & 0xFFFF) ^ cc[((r4 >> 8) ^ b) & 0xFF];
                r5 = ((r5 << 8) & 0xFFFF) ^ cc[((r5 >> 8) ^ b) & 0xFF];
                r6 = ((r6 << 8) & 0xFFFF) ^ cc[((r6 >> 8) ^ b) & 0xFF];
                r7 = (r7 >> 8) ^ c32[(r7 ^ b) & 0xFF];
            }
        }
        benchmark::DoNotOptimize(s ^ r1 ^ r2 ^ r3 ^ r4 ^ r5 ^ r6 ^ r7);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_BytewiseSevenCrcs)->Unit(benchmark::kMillisecond);

// Fill of the whole output file, with the checksum pass and the final flush to disk.
void BM_Fill(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const std::filesystem::path out = benchFile("ZELMO_BENCH_OUT", "zelmo_bench_out", false);
    platform::File file = platform::File::open(out, platform::OpenMode::ReadWrite);
    const auto size = static_cast<std::uint32_t>(file.size());
    platform::File* files[] = {&file};
    for (auto _ : state) {
        FillOrder order{0, 0, size, size, 0xFF, kind, 1};
        benchmark::DoNotOptimize(runFill(order, files));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * size);
}
BENCHMARK(BM_Fill)
    ->Arg(FillConstByte)
    ->Arg(FillSeqWords)
    ->Arg(FillRandom)
    ->Arg(SwapBytes)
    ->Unit(benchmark::kMillisecond);

// Find of a text that is not in the buffer: the whole mapping is scanned.
void BM_Find(benchmark::State& state) {
    const auto path = benchFile("ZELMO_BENCH_FILE", "zelmo_bench_a", false);
    const platform::Mapping map = platform::Mapping::mapFile(path);
    const SearchPattern pattern{{'Z', 'e', 'l', 'm', 'o', '-', 'n', 'o', 't', 'h', 'e', 'r', 'e'},
                                state.range(0) != 0};
    benchmark::DoNotOptimize(byteSum(map.bytes())); // fault the pages in before timing
    for (auto _ : state) {
        benchmark::DoNotOptimize(findForward(map.bytes(), pattern, 0));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * map.size()));
}
BENCHMARK(BM_Find)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_FindNextDifference(benchmark::State& state) {
    const auto a = platform::File::open(benchFile("ZELMO_BENCH_FILE", "zelmo_bench_a", false),
                                        platform::OpenMode::Read);
    const auto b = platform::File::open(benchFile("ZELMO_BENCH_FILE2", "zelmo_bench_b", true),
                                        platform::OpenMode::Read);
    const auto size = static_cast<std::uint64_t>(a.size());
    auto reader = [](const platform::File& f) {
        return [&f](std::uint64_t off, std::span<std::uint8_t> out) -> std::size_t {
            return f.readAt(off, out) ? out.size() : 0;
        };
    };
    for (auto _ : state) {
        const auto hit = findNextDifference(reader(a), reader(b), 0, size);
        if (!hit || *hit != size - 1) {
            state.SkipWithError("the last byte should differ");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_FindNextDifference)->Unit(benchmark::kMillisecond);

} // namespace
