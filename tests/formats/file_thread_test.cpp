// The file worker: the engine runs on the worker, the bookkeeping and the command's completion
// on the main thread.

#include "formats/file_thread.h"
#include "formats/recent_files.h"
#include "project/executor.h"
#include "project/project.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <QThread>

namespace zelmo::formats {
namespace {

class FileThreadTest : public ::testing::Test {
protected:
    FileThreadTest() {
        project.SetSwapPath(QString::fromStdString(dir.path().string()));
        DeviceDescriptor d{};
        d.Type = DT_EPROM;
        d.MemSize[0] = 0x200;
        d.MemSize[1] = 0x10;
        EXPECT_EQ(project.AddCompleteDevice(d).Slot, 0);
        engine.Descriptor = d;
        engine.Targets[0] = &dataSet();
    }
    ~FileThreadTest() override { project.CloseAll(true); }
    CDataSet& dataSet() { return *project.Devices[0]->DataSets[0]; }
    QString path(const char* name) const { return QString::fromStdString((dir / name).string()); }
    // Runs the worker to its end while this thread serves its steps.
    Result run(TFileThread::Mode mode, bool& doneOnMainThread) {
        CMainThreadExecutor executor;
        TFileThread thread(executor, engine, mode, [&](const Result&) {
            doneOnMainThread = QThread::currentThread() == executor.thread();
        });
        RunWorker(thread);
        return thread.Outcome();
    }

    test::TempDir dir;
    TProject project;
    TFile engine;
};

TEST_F(FileThreadTest, LoadWritesTheTargetAndRecordsItOnTheMainThread) {
    ASSERT_TRUE(test::writeFile(dir / "in.bin", std::string(100, '\x5A')));
    MemoryState& a = dataSet().Memories[0];
    a.OnEdited();
    engine.CurrentEntry = NewFileEntry(path("in.bin"), FmtBinary);
    engine.CurrentEntry->FillBefore = 1;
    engine.CurrentEntry->FillWith = 0x00;
    std::vector<std::pair<int, quint64>> bytes; // memory, length
    int modified = 0;
    QObject::connect(
        &project.Notifier, &CProjectNotifier::BytesChanged,
        [&](const CDataSet*, int m, quint64, quint64 length) { bytes.emplace_back(m, length); });
    QObject::connect(&project.Notifier, &CProjectNotifier::ModifiedChanged,
                     [&](const CDataSet*, int) { ++modified; });

    bool doneOnMain = false;
    const Result outcome = run(TFileThread::Load, doneOnMain);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.message, "100 bytes loaded.");
    EXPECT_TRUE(doneOnMain);
    std::vector<std::uint8_t> memory(0x200);
    ASSERT_TRUE(dataSet().Read(0, 0, memory));
    EXPECT_EQ(memory[99], 0x5A);
    EXPECT_EQ(memory[100], 0x00);
    EXPECT_EQ(a.Modified, 0);
    EXPECT_EQ(a.ChecksumValid, 0);
    // The worker's own writes are not reported from its thread; the main thread reports the
    // memory once.
    EXPECT_EQ(bytes, (std::vector<std::pair<int, quint64>>{{0, 0x200}}));
    EXPECT_EQ(modified, 1);
}

TEST_F(FileThreadTest, FailedLoadLeavesTheMemoryEditedAndSaveClearsModified) {
    MemoryState& a = dataSet().Memories[0];
    ASSERT_EQ(a.ChecksumValid, 1); // a new buffer's sum is known
    engine.CurrentEntry = NewFileEntry(path("missing.bin"), FmtBinary);
    engine.CurrentEntry->FillBefore = 1;
    bool doneOnMain = false;
    Result outcome = run(TFileThread::Load, doneOnMain);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "Couldn't open file.");
    EXPECT_TRUE(doneOnMain);
    // The fill before loading ran, so the stored sum no longer describes the buffer.
    EXPECT_EQ(a.ChecksumValid, 0);
    EXPECT_EQ(a.Modified, 1);

    engine.SaveName = path("out.bin");
    engine.SaveType = FmtBinary;
    outcome = run(TFileThread::Save, doneOnMain);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(a.Modified, 0);
    EXPECT_EQ(test::readFile(dir / "out.bin").size(), 0x200u);
}

} // namespace
} // namespace zelmo::formats
