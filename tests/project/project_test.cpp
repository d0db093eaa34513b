#include "project_fixture.h"

#include "common/temp_dir.h"
#include "project/option_file.h"
#include "serialization/serialization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <set>
#include <string>

using namespace zelmo;
using namespace zelmo::test;

namespace {
std::string bytesOf(const std::filesystem::path& file) {
    return readFile(file);
}
} // namespace

TEST_F(ProjectTest, IdsStayUniqueAndNonZeroInAFullProject) {
    const DeviceDescriptor descriptor = makeDescriptor({8, 0, 0, 0, 0});
    for (int d = 0; d < kMaxDevices; ++d) {
        ASSERT_EQ(project.AddDevice(descriptor), d);
        for (int s = 0; s < kMaxDataSets; ++s) {
            ASSERT_FALSE(project.AddDataSet(d, SwapInit::ResetAndFill).empty()) << d << " " << s;
        }
        EXPECT_TRUE(
            project.AddDataSet(d, SwapInit::ResetAndFill).empty()); // a 17th data set is refused
    }
    EXPECT_EQ(project.AddDevice(descriptor), -1); // and a 17th device
    EXPECT_EQ(project.DeviceCount, kMaxDevices);

    std::set<std::uint16_t> optIds;
    std::set<std::uint16_t> swapIds;
    for (const auto& device : project.Devices) {
        ASSERT_TRUE(device);
        EXPECT_NE(device->OptId, 0);
        optIds.insert(device->OptId);
        EXPECT_EQ(device->DataSetCount, kMaxDataSets);
        for (const auto& dataSet : device->DataSets) {
            ASSERT_TRUE(dataSet);
            EXPECT_NE(dataSet->SwapId, 0);
            swapIds.insert(dataSet->SwapId);
            EXPECT_TRUE(std::filesystem::exists(swapFile(*dataSet)));
        }
    }
    EXPECT_EQ(optIds.size(), 16u);
    EXPECT_EQ(swapIds.size(), 256u);
    // Exactly one option file per device and one swap file per data set.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(swapDir.path()),
                            std::filesystem::directory_iterator()),
              16 + 256);
}

TEST_F(ProjectTest, RequestedIdsAreUsedUnchanged) {
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0}), 0xABCD), 0);
    EXPECT_EQ(project.Devices[0]->OptId, 0xABCD);
    EXPECT_TRUE(std::filesystem::exists(swapDir / "optABCD.swp"));
    EXPECT_EQ(project.Devices[0]->OptPath, qpath(swapDir / "optABCD.swp"));
    ASSERT_EQ(project.AddDataSet(0, SwapInit::ResetAndFill, 0x00E1, "Image"), "Image");
    EXPECT_TRUE(std::filesystem::exists(swapDir / "buf00E1.swp"));
}

TEST_F(ProjectTest, NewDeviceEntryFromDescriptor) {
    const std::uint32_t flags = DEV_CHECK_ID | DEV_READ | DEV_ERASE | DEV_BLANK_CHECK |
                                DEV_PROGRAM | DEV_VERIFY | DEV_PIN_CHECK | DEV_FILES;
    ASSERT_EQ(project.AddDevice(makeDescriptor({16, 0, 0, 0, 4}, flags)), 0);
    const CDevice& device = *project.Devices[0];
    EXPECT_EQ(device.Slot, 0);
    EXPECT_EQ(device.PinCheck, 1);
    EXPECT_EQ(device.MemSelect, 0x80); // area E present
    EXPECT_EQ(device.SupportedOps, flags);
    EXPECT_EQ(device.OpTabs, (std::array<std::uint32_t, 4>{0, 0x0D, 0x23, 0x3D}));
    EXPECT_EQ(device.Buffers[3].Color, 0x00E1FFFFu);
    EXPECT_TRUE(device.Serialization);
    ASSERT_TRUE(device.Statistics);
    EXPECT_EQ(device.Statistics->OptFile, &device.OptFile);
    EXPECT_EQ(device.DataSetCount, 0);
}

TEST_F(ProjectTest, DefaultNameTakesTheSmallestFreeNumber) {
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), 0);
    EXPECT_EQ(project.AddDataSet(0, SwapInit::ResetAndFill), "Data set 1");
    EXPECT_EQ(project.AddDataSet(0, SwapInit::ResetAndFill, 0, "Data set 3"), "Data set 3");
    EXPECT_EQ(project.AddDataSet(0, SwapInit::ResetAndFill), "Data set 2");
    EXPECT_EQ(project.AddDataSet(0, SwapInit::ResetAndFill), "Data set 4");
    // Given names are cut to 16 characters; an empty one counts as none.
    EXPECT_EQ(project.AddDataSet(0, SwapInit::ResetAndFill, 0, "ABCDEFGHIJKLMNOPQRST"),
              "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(project.AddDataSet(0, SwapInit::ResetAndFill, 0, ""), "Data set 5");
}

TEST_F(ProjectTest, RestoreKeepsIntactSwapFilesAndRefillsMissingOnes) {
    const DeviceDescriptor descriptor = makeDescriptor({4, 2, 0, 0, 0});
    ASSERT_EQ(project.AddDevice(descriptor, 0x0101), 0);
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill, 0x1111).empty());
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill, 0x2222).empty());
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    ASSERT_TRUE(project.Devices[0]->DataSets[0]->Write(0, 0, bytes));
    ASSERT_TRUE(project.Devices[0]->DataSets[1]->Write(0, 0, bytes));
    project.CloseAll(false); // exit: the files stay
    std::filesystem::remove(swapDir / "buf2222.swp");
    // A file longer than needed is kept as it is too.
    ASSERT_TRUE(writeFile(swapDir / "buf3333.swp", std::string("\x05\x06\x07\x08\x09\x0A\x0B", 7)));

    ASSERT_EQ(project.AddDevice(descriptor, 0x0101), 0);
    EXPECT_EQ(project.AddDataSet(0, SwapInit::Keep, 0x1111, "Kept"), "Kept");
    EXPECT_EQ(project.AddDataSet(0, SwapInit::Keep, 0x2222, "Missing"), "Missing");
    EXPECT_EQ(project.AddDataSet(0, SwapInit::Keep, 0x3333, "Longer"), "Longer");
    EXPECT_EQ(bytesOf(swapDir / "buf1111.swp"), std::string("\x01\x02\x03\x04\xFF\xFF", 6));
    EXPECT_EQ(bytesOf(swapDir / "buf2222.swp"), std::string(6, '\xFF'));
    EXPECT_EQ(bytesOf(swapDir / "buf3333.swp"), std::string("\x05\x06\x07\x08\x09\x0A\x0B", 7));
    // Only the refilled data set knows its checksums.
    EXPECT_EQ(project.Devices[0]->DataSets[0]->Memories[0].ChecksumValid, 0);
    const MemoryState& filled = project.Devices[0]->DataSets[1]->Memories[0];
    EXPECT_EQ(filled.ChecksumValid, 1);
    EXPECT_EQ(filled.Checksum, 4u * 0xFF);
}

TEST_F(ProjectTest, ResetFlagDiscardsOldContents) {
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), 0);
    // A card restore asks for a reset under a new id and writes the bytes itself.
    ASSERT_EQ(project.AddDataSet(0, SwapInit::Reset, 0, "Card"), "Card");
    EXPECT_EQ(std::filesystem::file_size(swapFile(*project.Devices[0]->DataSets[0])), 0u);
    // A restore whose stored id is missing gets a whole buffer all the same.
    ASSERT_EQ(project.AddDataSet(0, SwapInit::Keep, 0, "No id"), "No id");
    EXPECT_EQ(readFile(swapFile(*project.Devices[0]->DataSets[1])), std::string(4, '\xFF'));
    // A reset of a requested id refills the file.
    ASSERT_TRUE(writeFile(swapDir / "buf4444.swp", "old contents"));
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::Reset, 0x4444).empty());
    EXPECT_EQ(readFile(swapDir / "buf4444.swp"), std::string(4, '\xFF'));
}

TEST_F(ProjectTest, OptionFileOfWrongSizeIsRewritten) {
    ASSERT_TRUE(writeFile(swapDir / "opt0042.swp", std::string(1000, 'x')));
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0}), 0x42), 0);
    const std::string bytes = bytesOf(swapDir / "opt0042.swp");
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(bytes.substr(0, 8), std::string(8, '\0'));
    EXPECT_EQ(bytes.substr(8, 29), "Type your description here...");
    EXPECT_EQ(bytes.substr(37), std::string(1024 - 37, '\0'));
    EXPECT_EQ(project.Devices[0]->Statistics->Good, 0u);
    EXPECT_EQ(project.Devices[0]->Statistics->Bad, 0u);
    EXPECT_EQ(ReadDescription(project.Devices[0]->OptFile), "Type your description here...");

    // Descriptions longer than the field keep the terminator.
    ASSERT_TRUE(WriteDescription(project.Devices[0]->OptFile, std::string(2000, 'd')));
    EXPECT_EQ(ReadDescription(project.Devices[0]->OptFile), std::string(1015, 'd'));
    EXPECT_EQ(std::filesystem::file_size(swapDir / "opt0042.swp"), 1024u);
}

TEST_F(ProjectTest, StatisticsSurviveClosingAndReopening) {
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0}), 0x77), 0);
    CStatistics& stats = *project.Devices[0]->Statistics;
    for (bool ok : {true, true, false, true}) {
        ASSERT_TRUE(stats.Count(ok));
    }
    project.CloseAll(false);
    const std::string bytes = bytesOf(swapDir / "opt0077.swp");
    ASSERT_EQ(bytes.size(), 1024u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x03\0\0\0\x01\0\0\0", 8)); // little-endian

    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0}), 0x77), 0);
    EXPECT_EQ(project.Devices[0]->Statistics->Good, 3u);
    EXPECT_EQ(project.Devices[0]->Statistics->Bad, 1u);
    ASSERT_TRUE(project.Devices[0]->Statistics->Clear());
    ASSERT_TRUE(project.Devices[0]->Statistics->Read());
    EXPECT_EQ(project.Devices[0]->Statistics->Good, 0u);
    EXPECT_EQ(bytesOf(swapDir / "opt0077.swp").substr(0, 8), std::string(8, '\0'));
}

TEST_F(ProjectTest, SlotsAreNeverRenumbered) {
    const DeviceDescriptor descriptor = makeDescriptor({4, 0, 0, 0, 0});
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(project.AddDevice(descriptor), i);
        ASSERT_FALSE(project.AddDataSet(i, SwapInit::ResetAndFill).empty());
    }
    const QString firstOpt = project.Devices[0]->OptPath;
    const QString firstSwap = project.Devices[0]->DataSets[0]->SwapPath;
    CDevice* second = project.Devices[1].get();
    project.ActiveDevice = 2;
    ASSERT_TRUE(project.RemoveDevice(0));
    EXPECT_FALSE(QFile::exists(firstOpt));
    EXPECT_FALSE(QFile::exists(firstSwap));
    EXPECT_EQ(project.DeviceCount, 2);
    EXPECT_EQ(project.ActiveDevice, 0);
    EXPECT_EQ(project.Devices[0].get(), second);
    EXPECT_EQ(project.Devices[1]->Slot, 2);
    EXPECT_FALSE(project.Devices[2]);

    ASSERT_EQ(project.AddDevice(descriptor), 2);
    EXPECT_EQ(project.Devices[2]->Slot, 2);
    EXPECT_FALSE(project.RemoveDevice(3));
}

TEST_F(ProjectTest, RemovingADataSetKeepsTheSelectionOnTheSameDataSet) {
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), 0);
    for (int i = 0; i < 4; ++i) {
        ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    }
    CDevice& device = *project.Devices[0];
    CDataSet* third = device.DataSets[2].get();
    CDataSet* fourth = device.DataSets[3].get();
    const QString removedPath = device.DataSets[1]->SwapPath;
    device.SelectedDataSet = 2;
    device.ShownDataSet = 1;
    device.DataSets[3]->CompareTo = 2;
    device.DataSets[2]->CompareTo = 1;

    ASSERT_TRUE(project.RemoveShownDataSet());
    EXPECT_FALSE(QFile::exists(removedPath));
    EXPECT_EQ(device.DataSetCount, 3);
    EXPECT_EQ(device.Selected(), third); // still the same data set
    EXPECT_EQ(device.ShownDataSet, 0);
    EXPECT_EQ(fourth->CompareTo, 1);
    EXPECT_EQ(third->CompareTo, -1);

    // Removing the selected one itself makes data set 0 the selected one.
    device.ShownDataSet = 1;
    ASSERT_TRUE(project.RemoveShownDataSet());
    EXPECT_EQ(device.SelectedDataSet, 0);
    ASSERT_TRUE(project.RemoveDataSet(0, 1));
    EXPECT_EQ(device.DataSetCount, 1);
    EXPECT_FALSE(project.RemoveShownDataSet()); // the last one stays
    EXPECT_FALSE(project.RemoveDataSet(0, 5));
}

TEST_F(ProjectTest, FailedAddLeavesNoDeviceWithoutDataSets) {
    ASSERT_NE(project.AddCompleteDevice(makeDescriptor({4, 0, 0, 0, 0})).Slot, -1);
    project.ActiveDevice = 0;

    // Refused by the preparation (adapter or memory descriptions).
    const AddDeviceResult refused =
        project.AddCompleteDevice(makeDescriptor({4, 0, 0, 0, 0}), [](CDevice& device) {
            device.AdapterFile = QStringLiteral("x.adp");
            return false;
        });
    EXPECT_EQ(refused.Slot, -1);
    EXPECT_EQ(refused.Failed, AddDeviceResult::Preparation);

    // Refused when the data set cannot be created: memories too large for one swap file.
    const AddDeviceResult tooBig =
        project.AddCompleteDevice(makeDescriptor({0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 0}));
    EXPECT_EQ(tooBig.Slot, -1);
    EXPECT_EQ(tooBig.Failed, AddDeviceResult::DataSet);

    EXPECT_EQ(project.DeviceCount, 1);
    EXPECT_EQ(project.ActiveDevice, 0);
    EXPECT_FALSE(project.Devices[1]);
    // Only the first device's files remain.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(swapDir.path()),
                            std::filesystem::directory_iterator()),
              2);

    const AddDeviceResult ok =
        project.AddCompleteDevice(makeDescriptor({4, 0, 0, 0, 0}), [](CDevice& device) {
            device.MemSelect |= 0x01;
            return true;
        });
    EXPECT_EQ(ok.Slot, 1);
    EXPECT_EQ(ok.DataSetName, "Data set 1");
    EXPECT_EQ(project.Devices[1]->MemSelect, 0x01);
    EXPECT_EQ(project.Devices[1]->DataSetCount, 1);
}

TEST_F(ProjectTest, IncompleteDevicesAreTakenOutKeepingTheirFiles) {
    const DeviceDescriptor descriptor = makeDescriptor({4, 0, 0, 0, 0});
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(project.AddDevice(descriptor), i);
        if (i == 1 || i == 3) {
            ASSERT_FALSE(project.AddDataSet(i, SwapInit::ResetAndFill).empty());
        }
    }
    CDevice* fourth = project.Devices[3].get();
    const QString lostOpt = project.Devices[0]->OptPath;
    project.ActiveDevice = 3;
    EXPECT_EQ(project.RemoveIncompleteDevices(), 2);
    EXPECT_EQ(project.DeviceCount, 2);
    EXPECT_EQ(project.Active(), fourth);
    EXPECT_EQ(project.Devices[0]->Slot, 1);
    EXPECT_TRUE(QFile::exists(lostOpt)); // a restored device's statistics are not lost
    EXPECT_EQ(project.RemoveIncompleteDevices(), 0);
}

TEST_F(ProjectTest, MovesAndLinks) {
    DeviceDescriptor other = makeDescriptor({4, 0, 0, 0, 0});
    SetFieldText(other.Package, "PLCC32");
    const DeviceDescriptor same = makeDescriptor({4, 0, 0, 0, 0});
    for (const DeviceDescriptor* descriptor :
         std::array<const DeviceDescriptor*, 3>{&same, &other, &same}) {
        ASSERT_NE(project.AddCompleteDevice(*descriptor).Slot, -1);
    }
    project.ActiveDevice = 2;
    project.LinkDevices = 1;
    project.UpdateLinks();
    EXPECT_EQ(project.Devices[0]->Linked, 1);
    EXPECT_EQ(project.Devices[1]->Linked, 0);
    EXPECT_EQ(project.Devices[2]->Linked, 1);
    project.LinkDevices = 0;
    project.UpdateLinks();
    EXPECT_EQ(project.Devices[0]->Linked, 0);

    // The active device is moved up, then its new lower neighbour moves up past it.
    CDevice* moved = project.Devices[2].get();
    ASSERT_TRUE(project.SwapDevices(2, 1));
    EXPECT_EQ(project.ActiveDevice, 1);
    EXPECT_EQ(project.Active(), moved);
    EXPECT_EQ(moved->Slot, 2);
    ASSERT_TRUE(project.SwapDevices(2, 1));
    EXPECT_EQ(project.ActiveDevice, 2);
    ASSERT_TRUE(project.SwapDevices(0, 1));
    EXPECT_EQ(project.ActiveDevice, 2);
    EXPECT_FALSE(project.SwapDevices(2, 3));
}

TEST_F(ProjectTest, CancelledFillCreatesNoDataSet) {
    ASSERT_EQ(project.AddDevice(makeDescriptor({1u << 20, 0, 0, 0, 0})), 0);
    Progress progress;
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill, 0x0777, nullptr, &progress).empty());
    EXPECT_EQ(progress.text(), QStringLiteral("Allocating buffer (1.00 MB)"));
    EXPECT_EQ(progress.percent(), 100);
    progress.requestCancel();
    EXPECT_TRUE(project.AddDataSet(0, SwapInit::ResetAndFill, 0x0888, nullptr, &progress).empty());
    EXPECT_EQ(project.Devices[0]->DataSetCount, 1);
    EXPECT_FALSE(std::filesystem::exists(swapDir / "buf0888.swp"));
}

TEST_F(ProjectTest, UnopenableFilesFailTheOperation) {
    project.SetSwapPath(qpath(swapDir / "missing-folder"));
    EXPECT_EQ(project.SwapPath.back(), QLatin1Char('/'));
    EXPECT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), -1);
    EXPECT_EQ(project.DeviceCount, 0);

    project.SetSwapPath(qpath(swapDir.path()));
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), 0);
    std::filesystem::create_directory(swapDir / "buf5555.swp");
    EXPECT_TRUE(project.AddDataSet(0, SwapInit::ResetAndFill, 0x5555).empty());
    EXPECT_EQ(project.Devices[0]->DataSetCount, 0);
}

TEST_F(ProjectTest, CloseAllDeletesOnlyWhenAsked) {
    EXPECT_EQ(project.CloseAll(true), -1);
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), 0);
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    project.ProjectFileName = QStringLiteral("/x/p.zlp");
    project.ActiveDevice = 0;
    const QString opt = project.Devices[0]->OptPath;
    const QString swap = project.Devices[0]->DataSets[0]->SwapPath;
    EXPECT_EQ(project.CloseAll(false), 1);
    EXPECT_TRUE(QFile::exists(opt));
    EXPECT_TRUE(QFile::exists(swap));
    EXPECT_TRUE(project.ProjectFileName.isEmpty());
    EXPECT_EQ(project.DeviceCount, 0);
    EXPECT_FALSE(project.Devices[0]);

    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), 0);
    const QString opt2 = project.Devices[0]->OptPath;
    EXPECT_EQ(project.CloseAll(true), 1);
    EXPECT_FALSE(QFile::exists(opt2));
}

TEST(BuildDay, ParsesCompilerDateAndTime) {
    TProject project;
    EXPECT_EQ(project.SetBuildDay("Dec 10 2026", "23:59:58"), 1);
    EXPECT_EQ(project.BuildDay, (std::array<std::uint8_t, 4>{(23 + 59 + 58) % 256, 26, 12, 10}));
    EXPECT_EQ(project.SetBuildDay("Feb  3 2009", "01:02:03"), 1);
    EXPECT_EQ(project.BuildDay, (std::array<std::uint8_t, 4>{6, 9, 2, 3}));

    const std::pair<const char*, const char*> refused[] = {
        {nullptr, "01:02:03"}, {"Feb  3 2009", nullptr}, {"Foo  3 2009", "01:02:03"},
        {"Feb", "01:02:03"},   {"Feb  3 2009", "01:xx"},
    };
    for (const auto& [date, time] : refused) {
        EXPECT_EQ(project.SetBuildDay(date, time), 0);
    }
    EXPECT_EQ(project.BuildDay, (std::array<std::uint8_t, 4>{6, 9, 2, 3})); // unchanged
}

TEST_F(ProjectTest, StoredIdsThatAreTakenAreDrawnAnew) {
    // A project file naming one option file and one swap file twice.
    const DeviceDescriptor descriptor = makeDescriptor({4, 0, 0, 0, 0});
    IdRedrawn redrawn;
    ASSERT_EQ(project.AddDevice(descriptor, 0x0042, &redrawn), 0);
    EXPECT_EQ(redrawn.Requested, 0); // the first one keeps its id
    ASSERT_EQ(project.AddDevice(descriptor, 0x0042, &redrawn), 1);
    EXPECT_EQ(redrawn.Requested, 0x0042);
    EXPECT_EQ(redrawn.Drawn, project.Devices[1]->OptId);
    EXPECT_NE(project.Devices[1]->OptId, 0x0042);

    ASSERT_EQ(project.AddDataSet(0, SwapInit::Keep, 0x0777, "First"), "First");
    redrawn = {};
    ASSERT_EQ(project.AddDataSet(1, SwapInit::Keep, 0x0777, "Second", nullptr, &redrawn), "Second");
    const CDataSet& second = *project.Devices[1]->DataSets[0];
    EXPECT_EQ(redrawn.Requested, 0x0777);
    EXPECT_EQ(redrawn.Drawn, second.SwapId);
    EXPECT_NE(second.SwapId, 0x0777);
    // Removing the second device leaves the first one's buffer in place.
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    ASSERT_TRUE(project.Devices[0]->DataSets[0]->Write(0, 0, bytes));
    ASSERT_TRUE(project.RemoveDevice(1));
    EXPECT_EQ(readFile(swapDir / "buf0777.swp"), std::string("\x01\x02\x03\x04", 4));
    EXPECT_TRUE(std::filesystem::exists(swapDir / "opt0042.swp"));
}

TEST_F(ProjectTest, DrawnIdsAvoidFilesLeftInTheSwapFolder) {
    // Stale files of an earlier project under the first ids the generator hands out.
    ASSERT_TRUE(writeFile(swapDir / "opt0005.swp", std::string(1024, 'x')));
    ASSERT_TRUE(writeFile(swapDir / "buf0006.swp", "old"));
    std::vector<std::uint16_t> draws{5, 6, 7, 6, 8};
    project.IdSource = [&draws, i = std::size_t{0}]() mutable { return draws[i++ % draws.size()]; };
    ASSERT_EQ(project.AddCompleteDevice(makeDescriptor({4, 0, 0, 0, 0})).Slot, 0);
    EXPECT_EQ(project.Devices[0]->OptId, 6);               // 5 has a file
    EXPECT_EQ(project.Devices[0]->DataSets[0]->SwapId, 7); // 6 has a file
    EXPECT_EQ(readFile(swapDir / "opt0005.swp"), std::string(1024, 'x'));
    EXPECT_EQ(readFile(swapDir / "buf0006.swp"), "old");
    // When every draw is taken the ids are walked in order.
    draws = {5};
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), 1);
    EXPECT_EQ(project.Devices[1]->OptId, 1);
}

TEST_F(ProjectTest, IndexesNeverPointOutsideTheArrays) {
    ASSERT_EQ(project.AddCompleteDevice(makeDescriptor({4, 0, 0, 0, 0})).Slot, 0);
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    CDevice& device = *project.Devices[0];
    // Values a corrupt project file could carry.
    for (int bad : {-1, 2, 16, 1000}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(project.SetActiveDevice(bad));
        EXPECT_FALSE(project.SelectDataSet(0, bad));
        EXPECT_FALSE(project.ShowDataSet(0, bad));
        if (bad != -1) {
            EXPECT_FALSE(project.SetCompareTo(0, 0, bad)); // -1 is "none"
        }
        EXPECT_FALSE(project.SelectDataSet(bad, 0));
    }
    EXPECT_TRUE(project.SetCompareTo(0, 0, 1));
    EXPECT_TRUE(project.SetCompareTo(0, 0, -1));
    EXPECT_EQ(project.ActiveDevice, 0);
    EXPECT_EQ(device.SelectedDataSet, 0);
    // An index written past the setters still reads as no data set, never as a wild pointer.
    device.ShownDataSet = 40;
    device.SelectedDataSet = -3;
    EXPECT_EQ(device.Shown(), nullptr);
    EXPECT_EQ(device.Selected(), nullptr);
    project.ActiveDevice = 17;
    EXPECT_EQ(project.Active(), nullptr);
    project.ActiveDevice = 0;
    device.ShownDataSet = 0;
    device.SelectedDataSet = 0;
}

TEST_F(ProjectTest, EmptySwapPathMeansTheTemporaryFolder) {
    TempDir work;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(work.path());
    project.SetSwapPath(QString());
    const AddDeviceResult added = project.AddCompleteDevice(makeDescriptor({4, 0, 0, 0, 0}));
    std::filesystem::current_path(previous);
    ASSERT_EQ(added.Slot, 0);
    EXPECT_TRUE(std::filesystem::is_empty(work.path())) << "nothing in the current directory";
    const QString temp = QFileInfo(QDir::tempPath()).canonicalFilePath() + "/";
    EXPECT_EQ(project.Devices[0]->OptPath,
              temp + QString::asprintf("opt%04X.swp", project.Devices[0]->OptId));
    EXPECT_TRUE(QFile::exists(project.Devices[0]->DataSets[0]->SwapPath));
    EXPECT_TRUE(project.Devices[0]->DataSets[0]->SwapPath.startsWith(temp));
}
