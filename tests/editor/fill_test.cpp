#include "editor/buffer_search.h"
#include "editor/checksum_engine.h"
#include "editor/fill_pattern.h"
#include "editor/fill_range.h"
#include "editor/fill_thread.h"
#include "project/executor.h"
#include "project/project.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace zelmo::editor {
namespace {

std::vector<std::uint8_t> generate(int kind, std::uint32_t value, std::size_t n,
                                   std::size_t piece = 65536, std::uint64_t seed = 1) {
    FillGenerator g(kind, value, seed);
    std::vector<std::uint8_t> out(n);
    for (std::size_t pos = 0; pos < n; pos += piece) {
        g.next(std::span<std::uint8_t>(out).subspan(pos, std::min(piece, n - pos)));
    }
    return out;
}

TEST(FillPattern, FirstBytesOfEveryKind) {
    struct Case {
        int kind;
        std::uint32_t value;
        std::vector<std::uint8_t> first;
    };
    const Case cases[] = {
        {FillConstByte, 0x1A5, {0xA5, 0xA5, 0xA5}},
        {FillConstWord, 0x1234, {0x34, 0x12, 0x34, 0x12, 0x34}},
        {FillSeqBytes, 0, {0x00, 0x01, 0x02, 0x03}},
        {FillSeqBytesDown, 0, {0xFF, 0xFE, 0xFD, 0xFC}},
        {FillSeqWords, 0, {0x00, 0x00, 0x01, 0x00, 0x02, 0x00}},
        {FillSeqWordsDown, 0, {0xFF, 0xFF, 0xFE, 0xFF, 0xFD, 0xFF}},
        {FillSeqDWords, 0, {0, 0, 0, 0, 1, 0, 0, 0, 2, 0}},
        {FillSeqDWordsDown, 0, {0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        const auto bytes = generate(c.kind, c.value, c.first.size());
        EXPECT_EQ(bytes, c.first) << "kind " << c.kind;
    }
}

TEST(FillPattern, CountersRunOnAcrossPiecesOfAnySize) {
    // Word counter past 0xFFFF wraps per cell; the byte counter repeats every 256 bytes.
    for (int kind : {FillConstWord, FillSeqBytes, FillSeqBytesDown, FillSeqWords, FillSeqWordsDown,
                     FillSeqDWords, FillSeqDWordsDown, FillRandom}) {
        const auto whole = generate(kind, 0xBEEF, 0x30001, 0x30001);
        for (std::size_t piece : {1u, 3u, 7u, 255u, 65536u}) {
            EXPECT_EQ(generate(kind, 0xBEEF, 0x30001, piece), whole)
                << "kind " << kind << " piece " << piece;
        }
    }
    const auto words = generate(FillSeqWords, 0, 0x20004);
    EXPECT_EQ(words[0x1FFFE], 0xFF);
    EXPECT_EQ(words[0x1FFFF], 0xFF);
    EXPECT_EQ(words[0x20000], 0x00); // counter 0x10000 keeps its low 16 bits
    EXPECT_EQ(words[0x20002], 0x01);
}

TEST(FillPattern, DescendingBytesOver0x300RepeatFFDownTo00ThreeTimes) {
    const auto bytes = generate(FillSeqBytesDown, 0, 0x300);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i], 255 - (i % 256)) << i;
    }
}

TEST(FillPattern, TestPatternBlocksCarryTheirNumber) {
    const auto bytes = generate(FillTest512, 0, 0x500, 512, 99);
    for (int block = 0; block < 3; ++block) {
        const std::size_t start = static_cast<std::size_t>(block) * 512;
        char label[9];
        std::snprintf(label, sizeof label, "%08X", block);
        EXPECT_EQ(std::string(bytes.begin() + static_cast<long>(start),
                              bytes.begin() + static_cast<long>(start) + 8),
                  label);
        const std::size_t end = std::min<std::size_t>(start + 512, bytes.size());
        for (std::size_t i = start + 9; i < end; ++i) {
            ASSERT_EQ(bytes[i], bytes[start + 8]) << "block " << block << " byte " << i;
        }
    }
    // Same seed, same bytes; another seed gives other block values.
    EXPECT_EQ(generate(FillTest512, 0, 0x500, 512, 99), bytes);
    EXPECT_NE(generate(FillRandom, 0, 64, 64, 1), generate(FillRandom, 0, 64, 64, 2));
}

TEST(FillPattern, SwapsExchangeAndLeaveTrailingBytes) {
    struct Case {
        int kind;
        std::vector<std::uint8_t> in, out;
    };
    const Case cases[] = {
        {SwapBytes, {1, 2, 3, 4, 5}, {2, 1, 4, 3, 5}},
        {SwapWords, {1, 2, 3, 4, 5, 6, 7}, {3, 4, 1, 2, 5, 6, 7}},
        {SwapNibbles, {0xAB, 0x10, 0xFF}, {0xBA, 0x01, 0xFF}},
    };
    for (Case c : cases) {
        const std::uint32_t before = byteSum(c.in);
        swapInPlace(c.kind, c.in);
        EXPECT_EQ(c.in, c.out) << "kind " << c.kind;
        if (c.kind != SwapNibbles) {
            EXPECT_EQ(byteSum(c.in), before);
        }
    }
}

TEST(FillRange, CellsToBytesValidationAndLogLine) {
    ByteRange r;
    ASSERT_TRUE(fillRangeFromCells(0x10, 0x1F, Mode16, 0x100, r));
    EXPECT_EQ(r.First, 0x20u);
    EXPECT_EQ(r.Last, 0x3Fu);
    EXPECT_EQ(fillLogLine(r, Mode16, 0x100), "Block 00000010 - 0000001F filled.");
    ASSERT_TRUE(fillRangeFromCells(1, 2, Mode32, 0x100, r));
    EXPECT_EQ(r.First, 4u);
    EXPECT_EQ(r.Last, 11u);
    ASSERT_TRUE(fillRangeFromCells(0, 0xFF, Mode8, 0x100, r));
    EXPECT_EQ(fillLogLine(r, Mode8, 0x100), "Buffer filled.");
    EXPECT_FALSE(fillRangeFromCells(0, 0x100, Mode8, 0x100, r)); // To one past the end
    EXPECT_FALSE(fillRangeFromCells(5, 4, Mode8, 0x100, r));     // From above To
    EXPECT_FALSE(fillRangeFromCells(0, 0x80, Mode16, 0x100, r));
    EXPECT_FALSE(fillRangeFromCells(0, 0xFFFFFFFFu, Mode32, 0x100, r)); // no 32-bit wrap
}

// A swap file of two buffers (A 0x1000, B 0x23000 bytes) holding a known pattern.
class FillRunTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kA = 0x1000;
    static constexpr std::uint32_t kB = 0x23000;

    platform::File makeFile(const std::string& name) {
        std::string bytes(kA + kB, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(i * 13 + 5);
        }
        original_ = bytes;
        EXPECT_TRUE(test::writeFile(dir_ / name, bytes));
        return platform::File::open(dir_ / name, platform::OpenMode::ReadWrite);
    }
    std::string read(const std::string& name) { return test::readFile(dir_ / name); }
    static std::uint32_t sumOf(const std::string& s, std::size_t from, std::size_t n) {
        return byteSum({reinterpret_cast<const std::uint8_t*>(s.data()) + from, n});
    }

    test::TempDir dir_;
    std::string original_;
};

TEST_F(FillRunTest, FillChangesOnlyTheRangeAndStoresTheWholeBufferSum) {
    for (int kind : {FillConstByte, FillConstWord, FillSeqWords, FillTest512, FillRandom}) {
        platform::File f = makeFile("a.swp");
        platform::File* files[] = {&f};
        FillOrder order{kA, kA + 0x10001, 0x11235, kB, 0x1234, kind, 42};
        const FillResult result = runFill(order, files);
        ASSERT_TRUE(result.ok);
        const std::string after = read("a.swp");
        EXPECT_EQ(result.Checksums[0], sumOf(after, kA, kB)) << "kind " << kind;
        EXPECT_EQ(after.substr(0, kA + 0x10001), original_.substr(0, kA + 0x10001));
        EXPECT_EQ(after.substr(kA + 0x10001 + 0x11235), original_.substr(kA + 0x10001 + 0x11235));
        const auto expected = generate(kind, 0x1234, 0x11235, fillPieceSize(kind), 42);
        EXPECT_EQ(after.substr(kA + 0x10001, 0x11235),
                  std::string(expected.begin(), expected.end()))
            << "kind " << kind;
    }
}

TEST_F(FillRunTest, UnknownKindWritesNothing) {
    platform::File f = makeFile("a.swp");
    platform::File* files[] = {&f};
    EXPECT_EQ(runFill({kA, kA + 4, 16, kB, 0, 0, 0}, files).Checksums[0], sumOf(original_, kA, kB));
    EXPECT_EQ(read("a.swp"), original_);
}

TEST_F(FillRunTest, ConstantWordFromAnOddAddressStartsWithTheLowByte) {
    platform::File f = makeFile("a.swp");
    platform::File* files[] = {&f};
    runFill({0, 3, 6, kA, 0x1234, FillConstWord, 0}, files);
    const std::string after = read("a.swp");
    EXPECT_EQ(after.substr(3, 6), std::string("\x34\x12\x34\x12\x34\x12"));
}

TEST_F(FillRunTest, SwapsKeepTheByteSumAndLinkedFilesGetTheSameBytes) {
    for (int kind : {SwapBytes, SwapWords, SwapNibbles}) {
        platform::File a = makeFile("a.swp");
        ASSERT_TRUE(test::writeFile(dir_ / "b.swp", std::string(kA + kB, '\x11')));
        platform::File b = platform::File::open(dir_ / "b.swp", platform::OpenMode::ReadWrite);
        platform::File* files[] = {&a, &b};
        const FillResult result = runFill({kA, kA, kB, kB, 0, kind, 0}, files);
        const std::string after = read("a.swp");
        EXPECT_EQ(result.Checksums[0], sumOf(after, kA, kB));
        if (kind != SwapNibbles) {
            EXPECT_EQ(result.Checksums[0], sumOf(original_, kA, kB)) << "kind " << kind;
        }
        // Each file's checksum covers its own bytes outside the range.
        EXPECT_EQ(result.Checksums[1], sumOf(read("b.swp"), kA, kB));
        std::vector<std::uint8_t> expected(original_.begin() + kA, original_.end());
        swapInPlace(kind, expected);
        EXPECT_EQ(after.substr(kA), std::string(expected.begin(), expected.end()));
        // The linked file receives the active file's swapped bytes, not its own.
        EXPECT_EQ(read("b.swp").substr(kA), after.substr(kA));
        EXPECT_EQ(read("b.swp").substr(0, kA), std::string(kA, '\x11'));
    }
}

TEST_F(FillRunTest, InitialisingASwapFileGivesMemoryASum) {
    platform::File f = platform::File::open(dir_ / "new.swp", platform::OpenMode::ReadWriteCreate);
    EXPECT_EQ(initialiseSwapFile(f, 0x30000, 0x12345), 0xFFu * 0x12345u);
    EXPECT_EQ(read("new.swp"), std::string(0x30000, '\xFF'));
}

// Three devices of one kind, each with two data sets (memory A 0x100 bytes, B 0x200 bytes) of
// their own bytes; the first two are linked.
class FillThreadTest : public ::testing::Test {
protected:
    FillThreadTest() {
        project.SetSwapPath(QString::fromStdString(dir.path().string()));
        DeviceDescriptor d{};
        d.Type = DT_EPROM;
        d.MemSize[0] = 0x100;
        d.MemSize[1] = 0x200;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(project.AddDevice(d), i);
            for (int s = 0; s < 2; ++s) {
                EXPECT_FALSE(project.AddDataSet(i, SwapInit::ResetAndFill).empty());
                std::vector<std::uint8_t> own(0x300, static_cast<std::uint8_t>(i * 2 + s + 1));
                EXPECT_TRUE(dataSet(i, s).Write(0, 0, std::span(own).first(0x100)));
                EXPECT_TRUE(dataSet(i, s).Write(1, 0, std::span(own).first(0x200)));
            }
        }
        project.LinkDevices = 1;
        project.UpdateLinks();
        project.Devices[2]->Linked = 0; // the third device is not linked
    }
    ~FillThreadTest() override { project.CloseAll(true); }

    CDataSet& dataSet(int device, int index) { return *project.Devices[device]->DataSets[index]; }
    std::string memoryB(int device, int index) {
        std::string bytes(0x200, '\0');
        EXPECT_TRUE(dataSet(device, index)
                        .Read(1, 0, {reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size()}));
        return bytes;
    }
    static std::uint32_t sumOf(const std::string& s) {
        return byteSum({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
    }

    test::TempDir dir;
    TProject project;
};

TEST_F(FillThreadTest, LinkedDevicesGetTheFillAndEachItsOwnChecksum) {
    // Both ways a step can reach the main thread: inline, and queued to this thread's loop.
    for (const bool queued : {false, true}) {
        SCOPED_TRACE(queued ? "queued" : "inline");
        CInlineExecutor inlineSteps;
        CMainThreadExecutor mainThread;
        CExecutor& executor = queued ? static_cast<CExecutor&>(mainThread) : inlineSteps;
        const std::uint8_t value = queued ? 0xCD : 0xAB;
        TFillThread thread(project, executor,
                           {.Device = 0,
                            .DataSet = 1,
                            .Memory = 1,
                            .First = 0x10,
                            .Length = 0x20,
                            .Value = value,
                            .Kind = FillConstByte});
        RunWorker(thread);
        ASSERT_TRUE(thread.Outcome().ok);
        for (int d = 0; d < 3; ++d) {
            std::string expected(0x200, static_cast<char>(d * 2 + 2));
            if (d < 2) {
                expected.replace(0x10, 0x20, std::string(0x20, static_cast<char>(value)));
            }
            EXPECT_EQ(memoryB(d, 1), expected) << "device " << d;
            const MemoryState& state = dataSet(d, 1).Memories[1];
            // Every rewritten buffer knows its new sum and counts as changed; the other stays.
            EXPECT_EQ(state.Modified, d < 2 ? 1 : 0) << "device " << d;
            if (d < 2) {
                EXPECT_EQ(state.ChecksumValid, 1) << "device " << d;
                EXPECT_EQ(state.Checksum, sumOf(expected)) << "device " << d;
            }
        }
        EXPECT_EQ(thread.Checksum(), sumOf(memoryB(0, 1)));
        EXPECT_EQ(memoryB(0, 0), std::string(0x200, '\x01')); // the other data set is untouched
    }
}

TEST_F(FillThreadTest, ClearLeavesNoFileAndNothingUnsaved) {
    MemoryState& state = dataSet(1, 1).Memories[1];
    state.SetCurrent(std::make_shared<CFileEntry>());
    state.OnEdited();
    CInlineExecutor executor;
    TFillThread thread(project, executor,
                       {.Device = 0,
                        .DataSet = 1,
                        .Memory = 1,
                        .Length = 0x200,
                        .Value = 0xFF,
                        .Kind = FillConstByte,
                        .Clear = true});
    RunWorker(thread);
    ASSERT_TRUE(thread.Outcome().ok);
    EXPECT_EQ(memoryB(1, 1), std::string(0x200, '\xFF'));
    EXPECT_EQ(state.Current, nullptr);
    EXPECT_EQ(state.Modified, 0);
    EXPECT_EQ(state.ChecksumValid, 1);
    EXPECT_EQ(state.Checksum, 0x200u * 0xFF);
}

TEST_F(FillThreadTest, RangesOutsideTheMemoryAreRefused) {
    CInlineExecutor executor;
    const FillRequest requests[] = {
        {.Device = 0, .DataSet = 0, .Memory = 0, .First = 0xF0, .Length = 0x11, .Kind = 1},
        {.Device = 3, .DataSet = 0, .Memory = 0, .Length = 1, .Kind = 1},
        {.Device = 0, .DataSet = 2, .Memory = 0, .Length = 1, .Kind = 1},
        {.Device = 0, .DataSet = 0, .Memory = 4, .Length = 1, .Kind = 1},
    };
    for (const FillRequest& request : requests) {
        TFillThread thread(project, executor, request);
        RunWorker(thread);
        EXPECT_FALSE(thread.Outcome().ok);
        EXPECT_EQ(thread.Outcome().message, "Invalid range.");
    }
    EXPECT_EQ(dataSet(0, 0).Memories[0].Modified, 0);
}

// A file-size limit makes every write past the first 64 KiB fail, as a full disk would.
class FillFailureTest : public FillRunTest {
protected:
    void SetUp() override {
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved_), 0);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    void TearDown() override {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    void limit(rlim_t bytes) {
        rlimit l = saved_;
        l.rlim_cur = bytes;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &l), 0);
    }
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
};

TEST_F(FillFailureTest, FailedWriteFailsTheFillAndTheChecksumIsWhatIsOnDisk) {
    for (int kind : {FillConstByte, FillSeqBytes}) {
        SCOPED_TRACE(kind);
        platform::File f = makeFile("a.swp");
        platform::File* files[] = {&f};
        limit(0x10000);
        const FillResult result = runFill({0, 0, kA + kB, kA + kB, 0xFF, kind, 0}, files);
        limit(saved_.rlim_cur);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message, "Couldn't write swap file.");
        const std::string after = read("a.swp");
        EXPECT_EQ(after.substr(0x10000), original_.substr(0x10000)); // nothing written past it
        EXPECT_EQ(result.Checksums[0], sumOf(after, 0, kA + kB));
    }
}

} // namespace
} // namespace zelmo::editor
