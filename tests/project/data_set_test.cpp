#include "project_fixture.h"

#include "common/temp_dir.h"
#include "project/target_set.h"

#include <vector>

using namespace zelmo;
using namespace zelmo::test;

class DataSetTest : public ProjectTest {};

TEST_F(DataSetTest, ZeroSizeMemoriesTakeNoBytes) {
    // A = 3, B absent, C = 5, D absent, E = 2.
    const int d = project.AddDevice(makeDescriptor({3, 0, 5, 0, 2}));
    ASSERT_EQ(d, 0);
    ASSERT_FALSE(project.AddDataSet(d, SwapInit::ResetAndFill).empty());
    const CDataSet& ds = *project.Devices[0]->DataSets[0];
    EXPECT_EQ(ds.MemStart, (std::array<std::int64_t, 5>{0, 3, 3, 8, 8}));
    EXPECT_EQ(ds.TotalSize, 10u);
    const std::uint64_t sizes[] = {3, 0, 5, 0, 2};
    for (int m = 0; m < 5; ++m) {
        EXPECT_EQ(ds.MemSize(m), sizes[m]) << m;
    }
    EXPECT_EQ(std::filesystem::file_size(swapFile(ds)), 10u);
}

TEST_F(DataSetTest, TransfersStayInsideTheirMemory) {
    ASSERT_EQ(project.AddDevice(makeDescriptor({4, 4, 0, 0, 2})), 0);
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    CDataSet& ds = *project.Devices[0]->DataSets[0];

    const std::uint8_t b[] = {1, 2, 3, 4};
    EXPECT_TRUE(ds.Write(1, 0, b)); // memory B occupies bytes 4..7
    EXPECT_TRUE(ds.Write(4, 1, std::span(b, 1)));
    std::vector<std::uint8_t> all(10);
    ASSERT_TRUE(ds.Read(0, 0, std::span(all).first(4)));
    ASSERT_TRUE(ds.Read(1, 0, std::span(all).subspan(4, 4)));
    ASSERT_TRUE(ds.Read(4, 0, std::span(all).subspan(8, 2)));
    EXPECT_EQ(all, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4, 0xFF, 1}));

    // Ranges that leave the memory, memories that do not exist, offsets that would wrap.
    std::uint8_t one[1];
    std::uint8_t five[5];
    EXPECT_FALSE(ds.Write(1, 1, b));
    EXPECT_FALSE(ds.Read(0, 0, five));
    EXPECT_FALSE(ds.Read(0, 4, one));
    EXPECT_FALSE(ds.Read(2, 0, one)); // size 0
    EXPECT_FALSE(ds.Read(5, 0, one));
    EXPECT_FALSE(ds.Read(-1, 0, one));
    EXPECT_FALSE(ds.Write(0, ~0ull, std::span(b, 1)));
    // Nothing outside memory B changed.
    ASSERT_TRUE(ds.Read(0, 0, std::span(all).first(4)));
    EXPECT_EQ(all[3], 0xFF);
    ASSERT_TRUE(ds.Read(4, 0, std::span(all).subspan(8, 2)));
    EXPECT_EQ(all[8], 0xFF);
}

TEST_F(DataSetTest, MappingShowsEachMemory) {
    ASSERT_EQ(project.AddDevice(makeDescriptor({2, 3, 0, 1, 0})), 0);
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill).empty());
    CDataSet& ds = *project.Devices[0]->DataSets[0];
    const std::uint8_t b[] = {7, 8, 9};
    ASSERT_TRUE(ds.Write(1, 0, b));
    {
        const platform::Mapping mapping = ds.Map();
        ASSERT_TRUE(mapping.valid());
        EXPECT_EQ(mapping.size(), 6u);
        const auto memB = ds.MemoryBytes(mapping, 1);
        ASSERT_EQ(memB.size(), 3u);
        EXPECT_EQ(memB[0], 7);
        EXPECT_EQ(memB[2], 9);
        EXPECT_TRUE(ds.MemoryBytes(mapping, 2).empty());
        ds.MemoryBytes(mapping, 3)[0] = 0x42; // writes go to the file
    }
    std::uint8_t back[1];
    ASSERT_TRUE(ds.Read(3, 0, back));
    EXPECT_EQ(back[0], 0x42);

    // A mapping too small for the layout gives no bytes instead of reaching past its end.
    const platform::Mapping empty;
    EXPECT_TRUE(ds.MemoryBytes(empty, 0).empty());
    ASSERT_TRUE(ds.SwapFile.truncate(4));
    EXPECT_FALSE(ds.Map().valid());
}

TEST(MemoryState, BookkeepingRules) {
    struct Step {
        void (*apply)(MemoryState&);
        std::uint8_t checksumValid;
        std::uint8_t modified;
    };
    MemoryState s;
    const Step steps[] = {
        {[](MemoryState& m) { m.OnChecksum(0x1234); }, 1, 0},
        {[](MemoryState& m) { m.OnEdited(); }, 0, 1},
        {[](MemoryState& m) { m.OnChecksum(0x99); }, 1, 1}, // a fill: edited, then summed
        {[](MemoryState& m) { m.OnSaved(); }, 1, 0},
        {[](MemoryState& m) { m.OnEdited(); }, 0, 1},
        {[](MemoryState& m) { m.OnLoaded(); }, 0, 0},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].apply(s);
        EXPECT_EQ(s.ChecksumValid, steps[i].checksumValid) << i;
        EXPECT_EQ(s.Modified, steps[i].modified) << i;
    }
    EXPECT_EQ(s.Checksum, 0x99u);
}

TEST_F(DataSetTest, TargetSetsWriteEveryLinkedDataSet) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(project.AddDevice(makeDescriptor({4, 0, 0, 0, 0})), i);
        ASSERT_FALSE(project.AddDataSet(i, SwapInit::ResetAndFill).empty());
        ASSERT_FALSE(project.AddDataSet(i, SwapInit::ResetAndFill).empty());
    }
    project.Devices[0]->SelectedDataSet = 1;
    project.Devices[0]->Linked = 1;
    project.Devices[2]->Linked = 1;
    CDataSet* shown = project.Devices[0]->DataSets[0].get();

    EXPECT_EQ(LoadTargets(project, shown), SingleTarget(shown)); // not linked
    project.LinkDevices = 1;
    const TargetSet targets = LoadTargets(project, shown);
    ASSERT_EQ(TargetCount(targets), 2);
    EXPECT_EQ(targets[0], project.Devices[0]->DataSets[1].get());
    EXPECT_EQ(targets[1], project.Devices[2]->DataSets[1].get());

    const std::uint8_t b[] = {0x11, 0x22};
    EXPECT_TRUE(WriteTargets(targets, 0, 2, b));
    EXPECT_FALSE(WriteTargets(targets, 0, 3, b)); // past the end of memory A
    for (int d : {0, 2}) {
        std::uint8_t back[4];
        ASSERT_TRUE(project.Devices[d]->DataSets[1]->Read(0, 0, back));
        EXPECT_EQ(back[2], 0x11);
        EXPECT_EQ(back[3], 0x22);
        EXPECT_EQ(back[1], 0xFF);
    }
    std::uint8_t untouched[4];
    ASSERT_TRUE(project.Devices[1]->DataSets[1]->Read(0, 0, untouched));
    EXPECT_EQ(untouched[2], 0xFF);
}
