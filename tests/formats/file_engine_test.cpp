#include "formats/file_engine.h"
#include "formats/file_time.h"
#include "formats/recent_files.h"

#include "formats/swap_fixture.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelmo::formats {
namespace {

using test::bytesOf;
using test::SwapDataSet;
using test::TempDir;

std::vector<std::uint8_t> randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::vector<std::uint8_t> bytes(n);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(gen());
    }
    // Blank runs so "Optimize" has whole lines to skip.
    for (std::size_t i = 0; i + 40 < n; i += 1000) {
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(i), 40, 0xFF);
    }
    return bytes;
}

FileEntryPtr entry(const std::filesystem::path& file, std::uint8_t type,
                   std::int64_t bufferOffset = 0, std::int64_t fileOffset = 0,
                   bool fillBefore = false) {
    FileEntryPtr e = NewFileEntry(QString::fromStdString(file.string()), FmtBinary);
    e->Type = type; // any stored byte, known format or not
    e->BufferOffset = bufferOffset;
    e->FileOffset = fileOffset;
    e->FillBefore = fillBefore ? 1 : 0;
    return e;
}

bool load(TFile& engine, CDataSet* target, int memory, FileEntryPtr e) {
    engine.Targets = {};
    engine.Targets[0] = target;
    engine.Memory = static_cast<std::uint8_t>(memory);
    engine.CurrentEntry = std::move(e);
    return engine.Load();
}

bool save(TFile& engine, CDataSet* source, int memory, const std::filesystem::path& file,
          FileFormat type, bool optimize) {
    engine.Targets = {};
    engine.Targets[0] = source;
    engine.Memory = static_cast<std::uint8_t>(memory);
    engine.SaveName = QString::fromStdString(file.string());
    engine.SaveType = type;
    engine.Optimize = optimize ? 1 : 0;
    return engine.Save();
}

TEST(BinaryLoad, OffsetsAndTruncation) {
    TempDir dir;
    std::vector<std::uint8_t> file100(100);
    for (std::size_t i = 0; i < file100.size(); ++i) {
        file100[i] = static_cast<std::uint8_t>(i + 1);
    }
    test::writeFile(dir / "f.bin", std::string(file100.begin(), file100.end()));
    test::writeFile(dir / "empty.bin", "");
    struct Case {
        const char* file;
        std::int64_t bufferOffset, fileOffset;
        bool ok;
        const char* message;
        std::size_t firstAt; // where file byte `fileOffset` lands
        std::uint32_t loaded;
    };
    const Case cases[] = {
        {"f.bin", 0x1F0, 0, true, "16 bytes loaded. 84 bytes truncated.", 0x1F0, 16},
        {"f.bin", 0, 16, true, "84 bytes loaded.", 0, 84},
        {"f.bin", 0, 100, false, "File offset to large.", 0, 0},
        {"f.bin", 512, 0, false, "Buffer offset to large.", 0, 0},
        {"empty.bin", 0, 0, false, "File offset to large.", 0, 0},
        {"missing.bin", 0, 0, false, "Couldn't open file.", 0, 0},
    };
    for (const Case& c : cases) {
        SwapDataSet ds(dir / "buf.swp", {16, 512, 0, 0, 4});
        TFile engine;
        const bool ok = load(engine, ds.set.get(), 1,
                             entry(dir / c.file, FmtBinary, c.bufferOffset, c.fileOffset));
        EXPECT_EQ(ok, c.ok) << c.message;
        EXPECT_EQ(engine.Message.toStdString(), c.message);
        const auto b = ds.memory(1);
        if (c.ok) {
            EXPECT_EQ(engine.Loaded, c.loaded);
            EXPECT_EQ(b[c.firstAt], file100[static_cast<std::size_t>(c.fileOffset)]) << c.message;
            EXPECT_EQ(b[c.firstAt + c.loaded - 1],
                      file100[static_cast<std::size_t>(c.fileOffset) + c.loaded - 1]);
        }
        EXPECT_EQ(ds.memory(0), std::vector<std::uint8_t>(16, 0xFF)) << "neighbours untouched";
        EXPECT_EQ(ds.memory(4), std::vector<std::uint8_t>(4, 0xFF));
    }
}

TEST(EngineLoad, FillsEveryTargetFirstAndRecordsTheFileTime) {
    TempDir dir;
    test::writeFile(dir / "a.hex", ":0400100001020304E2\r\n:00000001FF\r\n");
    SwapDataSet one(dir / "1.swp", {64, 0, 0, 0, 0}), two(dir / "2.swp", {64, 0, 0, 0, 0});
    TFile engine;
    engine.Targets[3] = one.set.get();
    engine.Targets[9] = two.set.get();
    FileEntryPtr e = entry(dir / "a.hex", FmtIntelHex, 0, 0, true);
    e->FillWith = 0x00;
    engine.CurrentEntry = e;
    ASSERT_TRUE(engine.Load()) << engine.Message.toStdString();
    EXPECT_EQ(engine.Message.toStdString(), "4 bytes loaded from file.");
    EXPECT_EQ(engine.Loaded, 0x14u);
    std::vector<std::uint8_t> expect(64, 0x00);
    expect[0x10] = 1, expect[0x11] = 2, expect[0x12] = 3, expect[0x13] = 4;
    EXPECT_EQ(one.memory(0), expect);
    EXPECT_EQ(two.memory(0), expect);
    const platform::File f = platform::File::open(dir / "a.hex", platform::OpenMode::Read);
    EXPECT_EQ((FileTime{e->TimeLow, e->TimeHigh}), LastWriteTime(f));
    EXPECT_NE(e->TimeHigh, 0u);
}

TEST(EngineLoad, FormatDispatch) {
    TempDir dir;
    test::writeFile(dir / "x.dat", "anything");
    struct Case {
        std::uint8_t type;
        bool ok;
        const char* message;
    };
    for (const Case& c :
         {Case{FmtTiTxt, true, ""}, Case{FmtPof, true, ""},
          Case{FmtIspVme, false, "Unknown data format."}, Case{42, false, "Unknown data format."},
          Case{FmtIntelHex, false, "Incorrect Hex file."},
          Case{FmtSRecord, false, "Incorrect S-Record file."},
          Case{FmtJedec, false, "Incorrect Jedec file, missing <STX>."}}) {
        SwapDataSet ds(dir / "buf.swp", {64, 48, 0, 0, 0});
        TFile engine;
        engine.Descriptor.PinCount = 8;
        EXPECT_EQ(load(engine, ds.set.get(), 0, entry(dir / "x.dat", c.type)), c.ok);
        EXPECT_EQ(engine.Message.toStdString(), c.message);
        EXPECT_EQ(ds.memory(0), std::vector<std::uint8_t>(64, 0xFF));
    }
    TFile engine;
    EXPECT_FALSE(engine.Load()) << "no current entry";
    EXPECT_TRUE(engine.Message.isEmpty());
}

TEST(EngineSave, BinaryAndErrors) {
    TempDir dir;
    SwapDataSet ds(dir / "buf.swp", {8, 100000, 0, 0, 0});
    const std::vector<std::uint8_t> bytes = randomBytes(100000, 7);
    ds.setMemory(1, bytes);
    test::writeFile(dir / "out.bin", std::string(300000, 'x')); // cut to 0, not appended to
    TFile engine;
    ASSERT_TRUE(save(engine, ds.set.get(), 1, dir / "out.bin", FmtBinary, false));
    EXPECT_EQ(engine.Message.toStdString(), "100000 bytes saved to file.");
    EXPECT_EQ(test::readFile(dir / "out.bin"), std::string(bytes.begin(), bytes.end()));
    const platform::File f = platform::File::open(dir / "out.bin", platform::OpenMode::Read);
    EXPECT_EQ((FileTime{engine.SaveTime[0], engine.SaveTime[1]}), LastWriteTime(f));

    EXPECT_FALSE(save(engine, ds.set.get(), 1, dir / "no" / "such" / "dir.bin", FmtBinary, false));
    EXPECT_EQ(engine.Message.toStdString(), "Couldn't save file.");
    EXPECT_FALSE(save(engine, ds.set.get(), 1, dir / "out.txt", FmtTiTxt, false));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
    EXPECT_EQ(engine.Message.toStdString(), "Unknown data format.");
}

// binary -> records -> binary through the engine gives the same bytes, for the sizes where the
// record type or the address records change.
TEST(EngineRoundTrip, HexAndSRecordBackToBinary) {
    TempDir dir;
    for (std::uint32_t size : {1u, 40u, 256u, 257u, 4096u, 4097u, 65536u, 131072u}) {
        const std::vector<std::uint8_t> bytes = randomBytes(size, size);
        SwapDataSet source(dir / "src.swp", {3, size, 0, 0, 0});
        source.setMemory(1, bytes);
        for (FileFormat type : {FmtIntelHex, FmtSRecord}) {
            for (bool optimize : {false, true}) {
                const auto file = dir / "image.rec";
                TFile saver;
                ASSERT_TRUE(save(saver, source.set.get(), 1, file, type, optimize))
                    << saver.Message.toStdString();
                EXPECT_EQ(saver.Message.toStdString().find(optimize ? "" : std::to_string(size)),
                          0u);

                SwapDataSet target(dir / "dst.swp", {3, size, 0, 0, 0});
                TFile loader;
                ASSERT_TRUE(load(loader, target.set.get(), 1, entry(file, type, 0, 0, true)))
                    << size << " " << int(type) << " " << loader.Message.toStdString();
                EXPECT_EQ(target.memory(1), bytes)
                    << size << " type " << int(type) << " optimize " << optimize;
                EXPECT_EQ(target.memory(0), std::vector<std::uint8_t>(3, 0xFF));

                const auto back = dir / "back.bin";
                TFile binary;
                ASSERT_TRUE(save(binary, target.set.get(), 1, back, FmtBinary, false));
                EXPECT_EQ(test::readFile(back), std::string(bytes.begin(), bytes.end()));
            }
        }
    }
}

TEST(EngineRoundTrip, JedecFusesAndVectors) {
    TempDir dir;
    SwapDataSet source(dir / "src.swp", {2194, 48 * 10, 0, 0, 0});
    std::vector<std::uint8_t> fuses(2194);
    for (std::size_t i = 0; i < fuses.size(); ++i) {
        fuses[i] = (i % 5 == 1 || i % 7 == 0) ? 1 : 0;
    }
    std::vector<std::uint8_t> vectors(480, 0xFF);
    for (std::size_t v = 0; v < 3; ++v) {
        for (std::size_t p = 0; p < 20; ++p) {
            vectors[v * 48 + p] = static_cast<std::uint8_t>("01HLXZCN"[(v + p) % 8]);
        }
    }
    source.setMemory(0, fuses);
    source.setMemory(1, vectors);
    TFile saver;
    saver.Descriptor.Type = DT_PLD;
    saver.Descriptor.PinCount = 20;
    std::strcpy(saver.Descriptor.Name, "PALCE16V8");
    std::strcpy(saver.Descriptor.Package, "DIP20");
    ASSERT_TRUE(save(saver, source.set.get(), 0, dir / "x.jed", FmtJedec, false));
    EXPECT_EQ(saver.Message.toStdString(), "Jedec file saved (3 test vectors).");

    SwapDataSet target(dir / "dst.swp", {2194, 48 * 10, 0, 0, 0}, 0x55);
    TFile loader;
    loader.Descriptor.PinCount = 20;
    FileEntryPtr e = entry(dir / "x.jed", FmtJedec);
    e->DefaultTestState = 1;
    ASSERT_TRUE(load(loader, target.set.get(), 0, e)) << loader.Message.toStdString();
    EXPECT_EQ(loader.Message.toStdString(), "2194 fuses, 3 test vectors loaded.");
    EXPECT_EQ(e->DefaultTestState, 0);
    EXPECT_EQ(target.memory(0), fuses);
    const auto b = target.memory(1);
    for (std::size_t v = 0; v < 10; ++v) {
        const std::size_t n = v < 3 ? 20 : 0;
        EXPECT_TRUE(
            std::equal(b.begin() + v * 48, b.begin() + v * 48 + n, vectors.begin() + v * 48));
        EXPECT_TRUE(std::all_of(b.begin() + v * 48 + n, b.begin() + v * 48 + 48,
                                [](std::uint8_t x) { return x == 0xFF; }));
    }

    // A device without pins, and one that is not a logic device, cannot be written as JEDEC.
    for (const std::uint8_t type : {std::uint8_t{DT_PLD}, std::uint8_t{DT_EPROM}}) {
        TFile refused;
        refused.Descriptor.Type = type;
        refused.Descriptor.PinCount = type == DT_PLD ? 0 : 20;
        EXPECT_FALSE(save(refused, source.set.get(), 0, dir / "y.jed", FmtJedec, false));
        EXPECT_EQ(refused.Message.toStdString(), "Couldn't save file. Incorrect device.");
        EXPECT_FALSE(std::filesystem::exists(dir / "y.jed"));
    }
}

std::size_t filesIn(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                  std::filesystem::directory_iterator()));
}

// A save that runs out of room (a file-size limit, which binds root as well) fails in every
// format and leaves the file it would have replaced byte for byte as it was.
TEST(EngineSave, AFullDiskKeepsTheOldFile) {
    TempDir dir;
    std::filesystem::create_directory(dir / "out");
    SwapDataSet source(dir / "src.swp", {1 << 20, 48 * 4, 0, 0, 0});
    std::vector<std::uint8_t> fuses(1 << 20);
    for (std::size_t i = 0; i < fuses.size(); ++i) {
        fuses[i] = static_cast<std::uint8_t>(i % 3 == 0);
    }
    source.setMemory(0, fuses);
    const std::string old(200000, 'o');
    for (FileFormat type : {FmtBinary, FmtIntelHex, FmtSRecord, FmtJedec}) {
        const auto target = dir / "out" / "data";
        ASSERT_TRUE(test::writeFile(target, old));
        TFile engine;
        engine.Descriptor.Type = DT_PLD;
        engine.Descriptor.PinCount = 20;
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = 256 << 10;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        const bool ok = save(engine, source.set.get(), 0, target, type, false);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        EXPECT_FALSE(ok) << int(type);
        EXPECT_EQ(engine.Message.toStdString(), "Couldn't save file.") << int(type);
        EXPECT_TRUE(test::readFile(target) == old) << "format " << int(type);
        EXPECT_EQ(filesIn(dir / "out"), 1u) << "no temporary left, format " << int(type);
    }
}

// A save killed at any moment leaves the old file or the complete new one.
TEST(EngineSave, AKilledSaveLeavesTheOldOrTheNewFile) {
    TempDir dir;
    const std::uint32_t size = 24 << 20;
    SwapDataSet source(dir / "src.swp", {size, 0, 0, 0, 0});
    source.setMemory(0, randomBytes(size, 11));
    const auto target = dir / "image.hex";
    // The save runs in a child process, killed after `delay` unless it ends first.
    const auto saveInChild = [&](std::chrono::nanoseconds delay) {
        const pid_t child = ::fork();
        if (child == 0) {
            TFile engine;
            ::_exit(save(engine, source.set.get(), 0, target, FmtIntelHex, false) ? 0 : 1);
        }
        if (child > 0 && delay.count() >= 0) {
            std::this_thread::sleep_for(delay);
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return child > 0;
    };
    const std::string old = "previous contents\n";
    ASSERT_TRUE(test::writeFile(target, old));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(saveInChild(std::chrono::nanoseconds(-1)));
    const auto whole = std::chrono::steady_clock::now() - start;
    const std::string complete = test::readFile(target);
    ASSERT_GT(complete.size(), std::size_t{size} * 2);

    int interrupted = 0, replaced = 0;
    for (int k = 0; k < 12; ++k) {
        ASSERT_TRUE(test::writeFile(target, old));
        ASSERT_TRUE(saveInChild(whole * k / 12));
        const std::string now = test::readFile(target);
        EXPECT_TRUE(now == old || now == complete)
            << "kill at " << k << "/12: " << now.size() << " bytes";
        replaced += now == complete ? 1 : 0;
        // A kill inside the save leaves its temporary file behind.
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            if (e.path().filename().string().starts_with("image.hex.")) {
                std::filesystem::remove(e.path());
                ++interrupted;
            }
        }
    }
    EXPECT_GT(interrupted, 0) << "some kill landed inside a save";
    RecordProperty("kills_inside_the_save", interrupted);
    RecordProperty("kills_after_the_rename", replaced);
}

// Files made by another tool load to the same bytes as its own binary output.
TEST(ForeignFiles, SrecCatHexAndSRecordLoadLikeItsBinary) {
    const QString srecCat = QStandardPaths::findExecutable(QStringLiteral("srec_cat"));
    if (srecCat.isEmpty()) {
        GTEST_SKIP() << "srec_cat is not installed";
    }
    TempDir dir;
    const std::vector<std::uint8_t> bytes = randomBytes(70000, 3);
    test::writeFile(dir / "in.bin", std::string(bytes.begin(), bytes.end()));
    const QString in = QString::fromStdString((dir / "in.bin").string());
    struct Variant {
        const char* file;
        QStringList args;
        FileFormat type;
    };
    const Variant variants[] = {
        {"x.hex", {"-o", "", "-intel"}, FmtIntelHex},
        {"x32.hex", {"-o", "", "-intel", "-obs=32"}, FmtIntelHex},
        {"x.s19", {"-o", "", "-motorola"}, FmtSRecord},
        {"x.s37", {"-o", "", "-motorola", "-address-length=4"}, FmtSRecord},
    };
    for (const Variant& v : variants) {
        QStringList args{in, "-binary"};
        QStringList out = v.args;
        out[1] = QString::fromStdString((dir / v.file).string());
        args += out;
        ASSERT_EQ(QProcess::execute(srecCat, args), 0) << v.file;
        SwapDataSet target(dir / "dst.swp", {70000, 0, 0, 0, 0}, 0x00);
        TFile loader;
        ASSERT_TRUE(load(loader, target.set.get(), 0, entry(dir / v.file, v.type)))
            << v.file << ": " << loader.Message.toStdString();
        EXPECT_EQ(target.memory(0), bytes) << v.file;
    }
}

} // namespace
} // namespace zelmo::formats
