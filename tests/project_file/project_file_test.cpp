// The working project in the configuration file and named project files: the section and key
// layout, the restore with its log, skipped devices and repeated ids, opening and saving.

#include "project_file_fixture.h"

#include "catalogue/adapter_file.h"
#include "serialization/serialization.h"

#include <QRegularExpression>

namespace zelmo {
namespace {

using test::ProjectFileTest;
using test::qpath;

// The document's text (UTF-16 after a byte order mark).
QString documentText(const std::filesystem::path& file) {
    const std::string bytes = test::readFile(file);
    if (bytes.size() < 2) {
        return {};
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data() + 2),
                              static_cast<qsizetype>((bytes.size() - 2) / 2));
}

QStringList sectionNames(const QString& text) {
    QStringList names;
    static const QRegularExpression open(QStringLiteral("^<([A-Za-z0-9]+)>\\r$"),
                                         QRegularExpression::MultilineOption);
    for (auto it = open.globalMatch(text); it.hasNext();) {
        names << it.next().captured(1);
    }
    return names;
}

QStringList keysOf(const QString& text, const QString& section) {
    const qsizetype start = text.indexOf("<" + section + ">\r\n");
    const qsizetype end = text.indexOf("</" + section + ">", start);
    QStringList keys;
    if (start < 0 || end < 0) {
        return keys;
    }
    static const QRegularExpression key(QStringLiteral("^ <([A-Za-z0-9]+) value"),
                                        QRegularExpression::MultilineOption);
    for (auto it = key.globalMatch(text.mid(start, end - start)); it.hasNext();) {
        keys << it.next().captured(1);
    }
    return keys;
}

FileEntryPtr entry(const QString& name, std::uint32_t seed) {
    auto e = std::make_shared<CFileEntry>();
    e->FileName = name;
    e->Type = static_cast<std::uint8_t>(seed % 7);
    e->TimeLow = 0x80000000u + seed;
    e->TimeHigh = seed * 3;
    e->BufferOffset = (std::int64_t{1} << 32) + seed; // beyond 4 GB: the low half comes back
    e->FileOffset = seed * 5;
    e->FillBefore = static_cast<std::uint8_t>(seed % 2);
    e->FillWith = static_cast<std::uint8_t>(seed);
    e->ChecksumAfter = static_cast<std::uint8_t>((seed / 2) % 2);
    e->DefaultTestState = static_cast<std::uint8_t>((seed / 3) % 2);
    return e;
}

TEST_F(ProjectFileTest, SixteenDevicesWriteNumberedSectionsWithKeysInOrder) {
    const DeviceDescriptor chip = device("CHIP");
    for (int d = 0; d < kMaxDevices; ++d) {
        add(chip, d == 10 ? 2 : 1);
    }
    CDataSet& dataSet = *project.Devices[10]->DataSets[1];
    std::array<FileEntryPtr, kRecentFiles> recent{entry("/a.hex", 1), entry("/b.bin", 2)};
    dataSet.Memories[1].SetFiles(recent);
    dataSet.Memories[1].SetCurrent(recent[0]);
    ASSERT_TRUE(file().StoreState());

    const QString text = documentText(config.toStdString());
    QStringList expected{"Settings", "Config", "Project"};
    for (int d = 0; d < kMaxDevices; ++d) {
        expected << QString::asprintf("Device%02x", d) << QString::asprintf("DataSet%02x00", d);
        if (d == 10) {
            expected << "DataSet0a01";
        }
    }
    EXPECT_EQ(sectionNames(text), expected);
    EXPECT_EQ(expected.filter("Device0a").size(), 1);
    EXPECT_EQ(keysOf(text, "Project"), (QStringList{"Devices", "ActiveDevice"}));
    EXPECT_EQ(keysOf(text, "Device0f"),
              (QStringList{"Vendor", "Name", "Package", "AdapterFile", "PinCheck", "MemSelect",
                           "ActiveTab", "OpTabsSelected", "OpTabsEnabledE", "OpTabsEnabledR",
                           "OpTabsEnabledP", "SerializationEnabled", "SerializationFile", "OptId",
                           "DataSets", "SelectedDataSet"}));
    QStringList setKeys{"Name", "SwapId", "File00Param"};
    for (int l = 0; l < 2; ++l) {
        for (const char* field : {"Name", "TimeL", "TimeH", "BufferOffset", "FileOffset", "Type",
                                  "FillBefore", "FillWith", "ChecksumAfter", "DefaultTestState"}) {
            setKeys << QString::asprintf("File01%02x", l) + field;
        }
    }
    setKeys << "File01Param"
            << "File02Param"
            << "File03Param";
    EXPECT_EQ(keysOf(text, "DataSet0a01"), setKeys);
}

TEST_F(ProjectFileTest, FullProjectStoresAndRestoresEveryField) {
    const DeviceDescriptor chip = device("CHIP", {4, 4, 4, 4, 2});
    std::uint32_t seed = 0;
    for (int d = 0; d < kMaxDevices; ++d) {
        CDevice& dev = add(chip, kMaxDataSets);
        dev.PinCheck = static_cast<std::uint8_t>(d % 2);
        dev.MemSelect = static_cast<std::uint8_t>(0x80 | (d % 16));
        dev.ActiveTab = d % 7;
        dev.OpTabsSelected = static_cast<std::uint8_t>(d % 4);
        dev.OpTabs = {0, 0x0D - static_cast<std::uint32_t>(d % 2), 0x23u + d, 0xFDu - d};
        dev.SelectedDataSet = (d * 5) % kMaxDataSets;
        for (int s = 0; s < kMaxDataSets; ++s) {
            CDataSet& set = *dev.DataSets[s];
            ASSERT_TRUE(
                project.RenameDataSet(d, s, "Set " + std::to_string(d) + "." + std::to_string(s)));
            for (int m = 0; m < kMemories; ++m) {
                std::array<FileEntryPtr, kRecentFiles> recent;
                for (int l = 0; l < kRecentFiles; ++l) {
                    recent[l] =
                        entry(QString::asprintf("/data/%d/%d/%d/%d.hex", d, s, m, l), ++seed);
                }
                set.Memories[m].SetFiles(recent);
                set.Memories[m].SetCurrent((d + s + m) % 2 == 0 ? recent[0] : nullptr);
            }
            const std::uint8_t bytes[] = {static_cast<std::uint8_t>(d),
                                          static_cast<std::uint8_t>(s)};
            ASSERT_TRUE(set.Write(kAreaE, 0, bytes));
        }
    }
    project.SetActiveDevice(9);
    ASSERT_TRUE(file().StoreState());

    // Exit keeps the files; the next start restores the project from them.
    struct Stored {
        std::uint16_t OptId;
        std::array<std::uint16_t, kMaxDataSets> SwapIds;
    };
    std::vector<Stored> ids;
    for (int d = 0; d < kMaxDevices; ++d) {
        Stored s{project.Devices[d]->OptId, {}};
        for (int i = 0; i < kMaxDataSets; ++i) {
            s.SwapIds[i] = project.Devices[d]->DataSets[i]->SwapId;
        }
        ids.push_back(s);
    }
    project.CloseAll(false);
    ASSERT_TRUE(file().Restore().ok) << log.join("\n").toStdString();

    ASSERT_EQ(project.DeviceCount, kMaxDevices);
    EXPECT_EQ(project.ActiveDevice, 9);
    EXPECT_TRUE(log.contains("0 Active device: 10"));
    seed = 0;
    for (int d = 0; d < kMaxDevices; ++d) {
        const CDevice& dev = *project.Devices[d];
        EXPECT_EQ(dev.OptId, ids[d].OptId);
        EXPECT_EQ(dev.PinCheck, d % 2);
        EXPECT_EQ(dev.MemSelect, 0x80 | (d % 16));
        EXPECT_EQ(dev.ActiveTab, d % 7);
        EXPECT_EQ(dev.OpTabsSelected, d % 4);
        EXPECT_EQ(dev.OpTabs[1], 0x0Du - static_cast<std::uint32_t>(d % 2));
        EXPECT_EQ(dev.OpTabs[2], 0x23u + d);
        EXPECT_EQ(dev.OpTabs[3], 0xFDu - d);
        EXPECT_EQ(dev.SelectedDataSet, (d * 5) % kMaxDataSets);
        ASSERT_EQ(dev.DataSetCount, kMaxDataSets);
        for (int s = 0; s < kMaxDataSets; ++s) {
            const CDataSet& set = *dev.DataSets[s];
            EXPECT_EQ(set.SwapId, ids[d].SwapIds[s]);
            EXPECT_EQ(set.Name, "Set " + std::to_string(d) + "." + std::to_string(s));
            std::uint8_t bytes[2] = {};
            ASSERT_TRUE(set.Read(kAreaE, 0, bytes));
            EXPECT_EQ(bytes[0], d);
            EXPECT_EQ(bytes[1], s);
            for (int m = 0; m < kMemories; ++m) {
                const MemoryState& memory = set.Memories[m];
                for (int l = 0; l < kRecentFiles; ++l) {
                    const FileEntryPtr want =
                        entry(QString::asprintf("/data/%d/%d/%d/%d.hex", d, s, m, l), ++seed);
                    const CFileEntry* got = memory.Recent[l].get();
                    ASSERT_NE(got, nullptr);
                    EXPECT_EQ(got->FileName, want->FileName);
                    EXPECT_EQ(got->Type, want->Type);
                    EXPECT_EQ(got->TimeLow, want->TimeLow);
                    EXPECT_EQ(got->TimeHigh, want->TimeHigh);
                    EXPECT_EQ(got->BufferOffset, want->BufferOffset & 0xFFFFFFFF);
                    EXPECT_EQ(got->FileOffset, want->FileOffset);
                    EXPECT_EQ(got->FillBefore, want->FillBefore);
                    EXPECT_EQ(got->FillWith, want->FillWith);
                    EXPECT_EQ(got->ChecksumAfter, want->ChecksumAfter);
                    EXPECT_EQ(got->DefaultTestState, want->DefaultTestState);
                }
                EXPECT_EQ(memory.Current == memory.Recent[0], (d + s + m) % 2 == 0);
                EXPECT_EQ(memory.Current == nullptr, (d + s + m) % 2 != 0);
            }
        }
    }
}

TEST_F(ProjectFileTest, RepeatedSwapIdRestoresAsTwoSwapFiles) {
    const DeviceDescriptor chip = device("CHIP", {4, 0, 0, 0, 0});
    CDevice& first = add(chip);
    add(chip);
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    ASSERT_TRUE(first.DataSets[0]->Write(0, 0, bytes));
    ASSERT_TRUE(file().StoreState());
    const std::uint16_t shared = first.DataSets[0]->SwapId;
    project.CloseAll(false);
    {
        // A configuration edited by hand: the second device names the first one's swap file.
        CMyIni document;
        ASSERT_TRUE(document.Open(config, "Settings", true));
        ASSERT_TRUE(document.WriteInt("DataSet0100", "SwapId", shared));
        ASSERT_TRUE(document.Save());
    }
    ASSERT_TRUE(file().Restore().ok);
    ASSERT_EQ(project.DeviceCount, 2);
    const CDataSet& a = *project.Devices[0]->DataSets[0];
    const CDataSet& b = *project.Devices[1]->DataSets[0];
    EXPECT_EQ(a.SwapId, shared);
    EXPECT_NE(b.SwapId, shared);
    EXPECT_NE(a.SwapPath, b.SwapPath);
    std::uint8_t kept[4] = {};
    ASSERT_TRUE(a.Read(0, 0, kept));
    EXPECT_EQ(kept[3], 4);
    const QString line = QString::asprintf("100000 Swap file %04X is used by another data set; "
                                           "'Data set 1' gets swap file %04X with empty buffers.",
                                           shared, b.SwapId);
    EXPECT_TRUE(log.contains(line)) << log.join("\n").toStdString();
}

TEST_F(ProjectFileTest, DeviceMissingFromTheCatalogueIsSkippedAndTheRestKeepTheirSettings) {
    add(device("FIRST")).ActiveTab = 1;
    add(device("MIDDLE")).ActiveTab = 2;
    CDevice& last = add(device("LAST"), 2);
    last.ActiveTab = 3;
    last.OpTabs[2] = 0x21;
    last.SelectedDataSet = 1;
    project.SetActiveDevice(2);
    ASSERT_TRUE(file().StoreState());
    project.CloseAll(false);

    missing.insert("MIDDLE");
    ASSERT_TRUE(file().Restore().ok);
    ASSERT_EQ(project.DeviceCount, 2);
    EXPECT_EQ(FieldView(project.Devices[1]->Descriptor.Name), "LAST");
    EXPECT_EQ(project.Devices[1]->ActiveTab, 3);
    EXPECT_EQ(project.Devices[1]->OpTabs[2], 0x21u);
    EXPECT_EQ(project.Devices[1]->SelectedDataSet, 1);
    EXPECT_EQ(project.ActiveDevice, 0); // the stored 2 is beyond the restored devices
    EXPECT_EQ(log, (QStringList{"40000 Restoring devices:", "80000 01: FIRST / DIP32",
                                "100000 *Data set 1",
                                "0 Vendor TST, MIDDLE / DIP32 could not be restored. Skipped.",
                                "80000 02: LAST / DIP32", "100000  Data set 1",
                                "100000 *Data set 2", "0 Active device: 01"}));
}

TEST_F(ProjectFileTest, LibraryRefusalEndsTheRestoreWithoutHalfMadeDevices) {
    add(device("FIRST"));
    add(device("SECOND"));
    add(device("THIRD"));
    ASSERT_TRUE(file().StoreState());
    project.CloseAll(false);
    refused.insert("SECOND");
    EXPECT_FALSE(file().Restore().ok);
    ASSERT_EQ(project.DeviceCount, 1);
    EXPECT_EQ(project.Devices[0]->DataSetCount, 1);
    EXPECT_EQ(log.last(), "0 Library refused.");
    EXPECT_FALSE(log.filter("Active device").size() > 0);
}

TEST_F(ProjectFileTest, CommandLineAndUnreadableFilesAreReported) {
    // "-p" without a path restores nothing, not even the configuration.
    EXPECT_FALSE(file().Restore({.ProjectPath = std::nullopt, .ProjectMissing = true}).ok);
    EXPECT_EQ(errors, QStringList{"Could not open project.\nIncorrect parameters."});
    EXPECT_EQ(configurationRestores, 0);

    errors.clear();
    EXPECT_FALSE(
        file().Restore({.ProjectPath = qpath(projects / "none.zlp"), .ProjectMissing = false}).ok);
    EXPECT_EQ(errors, QStringList{"Could not open project."});
    EXPECT_EQ(log.mid(0, 2),
              (QStringList{"40000 Restoring project:", "80000 " + qpath(projects / "none.zlp")}));

    errors.clear();
    ASSERT_TRUE(test::writeFile(config.toStdString(), "not a settings document"));
    EXPECT_FALSE(file().Restore().ok);
    EXPECT_EQ(errors, QStringList{"Could not restore config."});
    EXPECT_EQ(configurationRestores, 0);
}

TEST_F(ProjectFileTest, SavedProjectOpensWithEverythingItHeld) {
    const QString adapterFolder = qpath(projects.path());
    std::vector<std::vector<std::uint8_t>> wiring(32, std::vector<std::uint8_t>{2});
    ASSERT_TRUE(writeGenericAdapter(adapterFolder, "PLCC32", 32, 32, wiring));
    CDevice& dev = add(device("CHIP", {8, 4, 0, 0, 0}, DEV_ADAPTER), 2);
    dev.AdapterFile = adapterFolder + "/PLCC32.adp";
    ASSERT_EQ(readAdapterFile(dev.AdapterFile, dev.AdapterData), AdapterReadResult::Valid);
    dev.OpTabs[3] = 0x31;
    dev.OpTabsSelected = 2;
    dev.Serialization->FileName = qpath(projects / "serial.ini");
    dev.Serialization->Enabled = 1;
    dev.Serialization->Current = 1234;
    ASSERT_TRUE(dev.Serialization->SaveToFile());
    const std::uint8_t bytes[] = {0xDE, 0xAD, 0xBE, 0xEF};
    ASSERT_TRUE(dev.DataSets[1]->Write(1, 0, bytes));
    std::array<FileEntryPtr, kRecentFiles> recent{entry("/fw/app.hex", 7)};
    dev.DataSets[1]->Memories[1].SetFiles(recent);
    dev.DataSets[1]->Memories[1].SetCurrent(recent[0]);

    const QString path = qpath(projects / "P.zlp");
    ASSERT_TRUE(file().Save(path).ok);
    EXPECT_EQ(project.ProjectFileName, path);
    EXPECT_EQ(statuses.last(), "Project saved.");
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{"40000 Project saved.", "80000 " + path}));

    const auto adapterData = dev.AdapterData; // dev goes away with the project
    project.CloseAll(true);                   // "Create new project"
    ASSERT_TRUE(file().Open(path).ok) << log.join("\n").toStdString();
    EXPECT_EQ(statuses.last(), "Project restored.");
    EXPECT_EQ(project.ProjectFileName, path);
    ASSERT_EQ(project.DeviceCount, 1);
    const CDevice& back = *project.Devices[0];
    EXPECT_EQ(back.AdapterFile, adapterFolder + "/PLCC32.adp");
    EXPECT_EQ(back.AdapterData, adapterData);
    EXPECT_EQ(back.OpTabs[3], 0x31u);
    EXPECT_EQ(back.OpTabsSelected, 2);
    EXPECT_EQ(back.Serialization->Enabled, 1);
    EXPECT_EQ(back.Serialization->Current, 1234u);
    ASSERT_EQ(back.DataSetCount, 2);
    std::uint8_t read[4] = {};
    ASSERT_TRUE(back.DataSets[1]->Read(1, 0, read));
    EXPECT_EQ(std::vector<std::uint8_t>(read, read + 4),
              std::vector<std::uint8_t>(bytes, bytes + 4));
    ASSERT_TRUE(back.DataSets[1]->Memories[1].Current);
    EXPECT_EQ(back.DataSets[1]->Memories[1].Current->FileName, "/fw/app.hex");
}

TEST_F(ProjectFileTest, FailedCopyIsReportedNotSaved) {
    add(device("CHIP"));
    ASSERT_TRUE(test::writeFile(projects / "plain", "x"));
    const QString path = qpath(projects / "plain" / "P.zlp"); // below a regular file
    const Result saved = file().Save(path);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(statuses.last(), "Project saving error.");
    EXPECT_FALSE(statuses.contains("Project saved."));
    EXPECT_FALSE(log.contains("40000 Project saved."));
    EXPECT_TRUE(log.contains("40000 Project saving error."));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Project saving error.\n"));
    EXPECT_TRUE(project.ProjectFileName.isEmpty());

    project.CloseAll(true);
    EXPECT_EQ(file().CanSaveAs().message, "No devices in project.");
}

TEST_F(ProjectFileTest, ProjectFolderWithoutSwapFilesIsAProjectFileError) {
    add(device("CHIP"));
    CMyIni document;
    ASSERT_TRUE(document.Open(qpath(projects / "E.zlp"), "Settings", false));
    document.WriteInt("Project", "Devices", 0);
    ASSERT_TRUE(document.Save());
    std::filesystem::create_directory(projects / "E");
    EXPECT_FALSE(file().Open(qpath(projects / "E.zlp")).ok);
    EXPECT_EQ(project.DeviceCount, 0);                        // the old project is closed
    EXPECT_EQ(project.SwapPath, qpath(swapDir.path()) + "/"); // its swap folder stays
    EXPECT_EQ(infoPages, 1);
    EXPECT_EQ(statuses.last(), "Project file error.");
    EXPECT_EQ(log.mid(log.size() - 2),
              (QStringList{"40000 Project file error.", "80000 " + qpath(projects / "E.zlp")}));
}

TEST_F(ProjectFileTest, OpeningUsesTheProjectsOwnSwapFolder) {
    const DeviceDescriptor chip = device("CHIP", {4, 0, 0, 0, 0});
    const std::uint8_t bytes[] = {9, 8, 7, 6};
    ASSERT_TRUE(add(chip).DataSets[0]->Write(0, 0, bytes));
    const QString path = qpath(projects / "S.zlp");
    ASSERT_TRUE(file().Save(path).ok);
    const QString projectSwap = project.SwapPath;
    project.CloseAll(true);

    // Another swap folder is in force now; the project brings its own back, for its files too.
    test::TempDir elsewhere;
    project.SetSwapPath(qpath(elsewhere.path()));
    for (const bool fromCommandLine : {false, true}) {
        project.CloseAll(true);
        project.SetSwapPath(qpath(elsewhere.path()));
        const Result opened = fromCommandLine
                                  ? file().Restore({.ProjectPath = path, .ProjectMissing = false})
                                  : file().Open(path);
        ASSERT_TRUE(opened.ok) << log.join("\n").toStdString();
        EXPECT_EQ(project.SwapPath, projectSwap);
        ASSERT_EQ(project.DeviceCount, 1);
        std::uint8_t read[4] = {};
        ASSERT_TRUE(project.Devices[0]->DataSets[0]->Read(0, 0, read));
        EXPECT_EQ(read[0], 9);
        EXPECT_EQ(read[3], 6);
    }
}

} // namespace
} // namespace zelmo
