// What the project tells its views: one scenario through the model operations and the fill and
// file workers, and the exact list of notifications it sent.

#include "editor/fill_pattern.h"
#include "editor/fill_thread.h"
#include "formats/file_thread.h"
#include "formats/recent_files.h"
#include "project/executor.h"
#include "project/project.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace zelmo {
namespace {

// Every signal of the notifier as one line of text, data sets named "d<device>s<index>".
class Recorder {
public:
    explicit Recorder(TProject& project) : project_(project) {
        CProjectNotifier* n = &project.Notifier;
        const auto one = [this](const char* name) {
            return [this, name](int a) { lines << QStringLiteral("%1 %2").arg(name).arg(a); };
        };
        const auto two = [this](const char* name) {
            return [this, name](int a, int b) {
                lines << QStringLiteral("%1 %2 %3").arg(name).arg(a).arg(b);
            };
        };
        const auto memory = [this](const char* name) {
            return [this, name](const CDataSet* ds, int m) {
                lines << QStringLiteral("%1 %2 %3").arg(name, nameOf(ds)).arg(m);
            };
        };
        QObject::connect(n, &CProjectNotifier::DeviceAdded, one("DeviceAdded"));
        QObject::connect(n, &CProjectNotifier::DeviceRemoved, one("DeviceRemoved"));
        QObject::connect(n, &CProjectNotifier::ActiveDeviceChanged, one("Active"));
        QObject::connect(n, &CProjectNotifier::DevicesMoved, two("Moved"));
        QObject::connect(n, &CProjectNotifier::DeviceLinked, [this](int d, bool linked) {
            lines << QStringLiteral("Linked %1 %2").arg(d).arg(linked ? 1 : 0);
        });
        QObject::connect(n, &CProjectNotifier::DataSetAdded, two("DataSetAdded"));
        QObject::connect(n, &CProjectNotifier::DataSetRemoved, two("DataSetRemoved"));
        QObject::connect(n, &CProjectNotifier::DataSetRenamed, two("Renamed"));
        QObject::connect(n, &CProjectNotifier::DataSetSelected, two("Selected"));
        QObject::connect(n, &CProjectNotifier::DataSetShown, two("Shown"));
        QObject::connect(n, &CProjectNotifier::BytesChanged,
                         [this](const CDataSet* ds, int m, quint64 offset, quint64 length) {
                             lines << QStringLiteral("Bytes %1 %2 %3+%4")
                                          .arg(nameOf(ds))
                                          .arg(m)
                                          .arg(offset, 0, 16)
                                          .arg(length, 0, 16);
                         });
        QObject::connect(n, &CProjectNotifier::ModifiedChanged, memory("Modified"));
        QObject::connect(n, &CProjectNotifier::ChecksumChanged, memory("Checksum"));
        QObject::connect(n, &CProjectNotifier::FileEntryChanged, memory("Files"));
    }

    QStringList take() { return std::exchange(lines, {}); }
    QStringList lines;

private:
    QString nameOf(const CDataSet* ds) const {
        for (int d = 0; d < project_.DeviceCount; ++d) {
            for (int s = 0; s < project_.Devices[d]->DataSetCount; ++s) {
                if (project_.Devices[d]->DataSets[s].get() == ds) {
                    return QStringLiteral("d%1s%2").arg(d).arg(s);
                }
            }
        }
        return QStringLiteral("?");
    }
    TProject& project_;
};

DeviceDescriptor chip(const char* name) {
    DeviceDescriptor d{};
    d.Type = DT_EPROM;
    std::snprintf(d.Name, sizeof d.Name, "%s", name);
    d.MemSize[0] = 0x100;
    return d;
}

TEST(ProjectNotifier, ReportsEveryChangeOnce) {
    test::TempDir dir;
    TProject project;
    project.SetSwapPath(QString::fromStdString(dir.path().string()));
    Recorder recorder(project);

    // Devices: three, the middle one of another kind; remove the first, move, link.
    ASSERT_EQ(project.AddCompleteDevice(chip("A")).Slot, 0);
    ASSERT_EQ(project.AddCompleteDevice(chip("B")).Slot, 1);
    ASSERT_EQ(project.AddCompleteDevice(chip("A")).Slot, 2);
    EXPECT_EQ(recorder.take(),
              (QStringList{"DeviceAdded 0", "DataSetAdded 0 0", "DeviceAdded 1", "DataSetAdded 1 0",
                           "DeviceAdded 2", "DataSetAdded 2 0"}));
    ASSERT_TRUE(project.SetActiveDevice(2));
    ASSERT_TRUE(project.RemoveDevice(0));
    EXPECT_EQ(recorder.take(), (QStringList{"Active 2", "DeviceRemoved 0", "Active 0"}));
    ASSERT_TRUE(project.SwapDevices(0, 1)); // A, B
    EXPECT_EQ(recorder.take(), (QStringList{"Moved 0 1", "Active 1"}));
    ASSERT_TRUE(project.AddCompleteDevice(chip("A")).Slot == 2); // A, B, A
    recorder.take();
    ASSERT_TRUE(project.SetActiveDevice(0));
    project.LinkDevices = 1;
    project.UpdateLinks();
    project.UpdateLinks(); // nothing changed the second time
    EXPECT_EQ(recorder.take(), (QStringList{"Active 0", "Linked 0 1", "Linked 2 1"}));

    // Data sets: add, rename, select, show, remove the shown one.
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    ASSERT_TRUE(project.RenameDataSet(0, 1, "Second"));
    ASSERT_TRUE(project.RenameDataSet(0, 1, "Second")); // same name: no news
    EXPECT_FALSE(project.RenameDataSet(0, 1, "ab"));    // too short
    ASSERT_TRUE(project.SelectDataSet(0, 2));
    ASSERT_TRUE(project.ShowDataSet(0, 1));
    EXPECT_FALSE(project.SelectDataSet(0, 3));
    ASSERT_TRUE(project.RemoveShownDataSet()); // selection follows data set 2 down to 1
    EXPECT_EQ(project.Devices[0]->SelectedDataSet, 1);
    EXPECT_EQ(recorder.take(),
              (QStringList{"DataSetAdded 0 1", "DataSetAdded 0 2", "Renamed 0 1", "Selected 0 2",
                           "Shown 0 1", "DataSetRemoved 0 1", "Shown 0 0"}));

    // A fill of memory A of data set 1 reaches the linked device's data set 1 too.
    ASSERT_FALSE(project.AddDataSet(2, SwapInit::ResetAndFill).empty());
    recorder.take();
    CMainThreadExecutor executor;
    editor::TFillThread fill(project, executor,
                             {.Device = 0,
                              .DataSet = 1,
                              .Memory = 0,
                              .First = 0x10,
                              .Length = 0x20,
                              .Value = 0,
                              .Kind = editor::FillSeqBytes});
    RunWorker(fill);
    ASSERT_TRUE(fill.Outcome().ok);
    EXPECT_EQ(recorder.take(),
              (QStringList{"Bytes d0s1 0 10+20", "Modified d0s1 0", "Checksum d0s1 0",
                           "Bytes d2s1 0 10+20", "Modified d2s1 0", "Checksum d2s1 0"}));

    // A load into it: the bytes, the bookkeeping and the file entry; then the command records
    // the recent list.
    ASSERT_TRUE(test::writeFile(dir / "in.bin", "abc"));
    formats::TFile engine;
    engine.Descriptor = project.Devices[0]->Descriptor;
    engine.Targets[0] = project.Devices[0]->DataSets[1].get();
    engine.CurrentEntry =
        formats::NewFileEntry(QString::fromStdString((dir / "in.bin").string()), FmtBinary);
    formats::TFileThread load(executor, engine, formats::TFileThread::Load,
                              [&](const Result& outcome) {
                                  ASSERT_TRUE(outcome.ok);
                                  std::array<FileEntryPtr, kRecentFiles> recent{};
                                  recent[0] = engine.CurrentEntry;
                                  engine.Targets[0]->Memories[0].SetFiles(recent);
                              });
    RunWorker(load);
    EXPECT_EQ(recorder.take(), (QStringList{"Bytes d0s1 0 0+100", "Modified d0s1 0",
                                            "Checksum d0s1 0", "Files d0s1 0", "Files d0s1 0"}));

    // An edit on the main thread, then closing the project.
    const std::uint8_t byte = 1;
    ASSERT_TRUE(project.Devices[0]->DataSets[1]->Write(0, 5, {&byte, 1}));
    project.Devices[0]->DataSets[1]->Memories[0].OnEdited();
    project.CloseAll(true);
    EXPECT_EQ(recorder.take(),
              (QStringList{"Bytes d0s1 0 5+1", "Modified d0s1 0", "DeviceRemoved 2",
                           "DeviceRemoved 1", "DeviceRemoved 0"}));
}

} // namespace
} // namespace zelmo
