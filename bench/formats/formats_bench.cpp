// Speed of the record readers and writers: parsing from memory, formatting into a discarding
// output, and whole loads and saves through the engine with a cached file.

#include "formats/file_engine.h"
#include "formats/intel_hex.h"
#include "formats/recent_files.h"
#include "formats/srecord.h"

#include <benchmark/benchmark.h>

#include <QDir>

#include <filesystem>
#include <random>

namespace {

using namespace zelmo;
using namespace zelmo::formats;

constexpr std::size_t kImage = std::size_t{16} << 20;

const std::vector<std::uint8_t>& image() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b(kImage);
        std::mt19937_64 gen(1);
        for (std::size_t i = 0; i < b.size(); i += 8) {
            const std::uint64_t v = gen();
            std::memcpy(b.data() + i, &v, 8);
        }
        return b;
    }();
    return bytes;
}

std::string text(RecordSaveResult (*write)(std::span<const std::uint8_t>, bool, TextOutput&)) {
    StringOutput out;
    write(std::span<const std::uint8_t>(image()), false, out.out());
    return out.text();
}

const std::string& hexText() {
    static const std::string t = text(writeIntelHex);
    return t;
}
const std::string& srecText() {
    static const std::string t = text(writeSRecord);
    return t;
}

template <typename Reader> void parse(benchmark::State& state, const std::string& input) {
    std::vector<std::uint8_t> memory(kImage, 0xFF);
    const std::vector<std::span<std::uint8_t>> targets{memory};
    for (auto _ : state) {
        Reader reader(targets, {kImage, 0, 0});
        std::size_t consumed = 0;
        if (reader.parse(input, true, consumed) != ParseStep::Done) {
            state.SkipWithError("parse failed");
        }
        benchmark::DoNotOptimize(memory.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void BM_ParseIntelHex(benchmark::State& state) {
    parse<IntelHexReader>(state, hexText());
}
void BM_ParseSRecord(benchmark::State& state) {
    parse<SRecordReader>(state, srecText());
}

template <typename Writer> void format(benchmark::State& state) {
    std::size_t total = 0;
    for (auto _ : state) {
        TextOutput out([&](std::span<const char> s) {
            total += s.size();
            return true;
        });
        Writer writer(kImage, false, out);
        writer.feed(image());
        writer.finish();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
}

void BM_WriteIntelHex(benchmark::State& state) {
    format<IntelHexWriter>(state);
}
void BM_WriteSRecord(benchmark::State& state) {
    format<SRecordWriter>(state);
}

// A cached record file and a swap file for the engine, made once per run.
struct EngineFiles {
    std::filesystem::path dir;
    CDataSet set;
    EngineFiles() {
        dir = std::filesystem::path(QDir::tempPath().toStdString()) /
              ("zelmo-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        set.SwapFile = platform::File::open(dir / "buf.swp", platform::OpenMode::ReadWriteCreate);
        set.SwapFile.writeAt(0, image());
        set.TotalSize = kImage;
        set.MemStart = {0, kImage, kImage, kImage, kImage};
        for (const char* name : {"image.hex", "image.s37"}) {
            const std::string& t = name[6] == 'h' ? hexText() : srecText();
            platform::File f =
                platform::File::open(dir / name, platform::OpenMode::ReadWriteCreate);
            f.truncate(0);
            f.writeAt(0, std::span(reinterpret_cast<const std::uint8_t*>(t.data()), t.size()));
        }
    }
    ~EngineFiles() { std::filesystem::remove_all(dir); }
};

EngineFiles& files() {
    static EngineFiles f;
    return f;
}

void engineLoad(benchmark::State& state, const char* name, FileFormat type) {
    EngineFiles& f = files();
    TFile engine;
    engine.Targets[0] = &f.set;
    engine.CurrentEntry = NewFileEntry(QString::fromStdString((f.dir / name).string()), type);
    engine.CurrentEntry->FillBefore = 0;
    const auto size = std::filesystem::file_size(f.dir / name);
    for (auto _ : state) {
        if (!engine.Load()) {
            state.SkipWithError("load failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// A whole save: the records written to a new file beside the old one, flushed to disk and
// renamed over it.
void engineSave(benchmark::State& state, const char* name, FileFormat type) {
    EngineFiles& f = files();
    TFile engine;
    engine.Targets[0] = &f.set;
    engine.SaveName = QString::fromStdString((f.dir / name).string());
    engine.SaveType = type;
    for (auto _ : state) {
        if (!engine.Save()) {
            state.SkipWithError("save failed");
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImage));
}

void BM_EngineLoadIntelHex(benchmark::State& s) {
    engineLoad(s, "image.hex", FmtIntelHex);
}
void BM_EngineLoadSRecord(benchmark::State& s) {
    engineLoad(s, "image.s37", FmtSRecord);
}
void BM_EngineSaveIntelHex(benchmark::State& s) {
    engineSave(s, "saved.hex", FmtIntelHex);
}
void BM_EngineSaveSRecord(benchmark::State& s) {
    engineSave(s, "saved.s37", FmtSRecord);
}

} // namespace

BENCHMARK(BM_ParseIntelHex)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_ParseSRecord)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_WriteIntelHex)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_WriteSRecord)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_EngineLoadIntelHex)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_EngineLoadSRecord)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_EngineSaveIntelHex)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_EngineSaveSRecord)->Unit(benchmark::kMillisecond)->MinTime(0.5);
