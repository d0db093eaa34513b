// Writing the serial number into memory A of the shown data set before programming.

#include "editor/serial_number_write.h"
#include "project/project_fixture.h"
#include "serialization/serialization.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace zelmo {
namespace {

constexpr std::uint32_t kSizeA = 1000;

class SerialNumberWrite : public test::ProjectTest {
protected:
    SerialNumberWrite() {
        const int slot =
            project
                .AddCompleteDevice(test::makeDescriptor({kSizeA, 64, 0, 0, 8}, DEV_SERIALIZATION))
                .Slot;
        device = project.Devices[static_cast<std::size_t>(slot)].get();
        EXPECT_FALSE(project.AddDataSet(slot, SwapInit::ResetAndFill).empty());
        device->ShownDataSet =
            1; // operations use data set 0; the serial number goes to the shown one
        CSerialization& s = *device->Serialization;
        s.Enabled = 1;
        s.BinaryMode = 1;
        s.HexType = 1;
        s.MsbOrder = 1;
        s.Length = 2;
        s.Current = 0x1234;
    }

    std::vector<std::uint8_t> memory(int dataSet, int m) const {
        const CDataSet& ds = *device->DataSets[static_cast<std::size_t>(dataSet)];
        std::vector<std::uint8_t> bytes(ds.MemSize(m));
        EXPECT_TRUE(ds.Read(m, 0, bytes));
        return bytes;
    }
    static std::uint32_t sum(const std::vector<std::uint8_t>& bytes) {
        return std::accumulate(bytes.begin(), bytes.end(), std::uint32_t{0});
    }

    CDevice* device = nullptr;
};

TEST_F(SerialNumberWrite, WritesAtTheAddressOfTheShownDataSetAndRefreshesTheChecksum) {
    CDataSet& shown = *device->DataSets[1];
    // A stale stored checksum must not survive: the new one is what the buffer holds.
    shown.Memories[0].OnChecksum(0xDEADBEEF);
    device->Serialization->Address = 0x10;
    const Result result = editor::WriteSerialNumber(*device);
    ASSERT_TRUE(result.ok) << result.message.toStdString();

    std::vector<std::uint8_t> expected(kSizeA, 0xFF);
    expected[0x10] = 0x12;
    expected[0x11] = 0x34;
    const std::vector<std::uint8_t> a = memory(1, 0);
    EXPECT_EQ(a, expected);
    EXPECT_EQ(shown.Memories[0].ChecksumValid, 1);
    EXPECT_EQ(shown.Memories[0].Checksum, sum(a));
    EXPECT_EQ(shown.Memories[0].Modified, 0) << "the serial number does not mark the buffer";
    EXPECT_EQ(memory(1, 1), std::vector<std::uint8_t>(64, 0xFF)) << "memory B untouched";
    EXPECT_EQ(memory(0, 0), std::vector<std::uint8_t>(kSizeA, 0xFF)) << "other data set untouched";
}

TEST_F(SerialNumberWrite, AddressAndLengthMustFitIntoMemoryA) {
    struct Case {
        std::uint32_t address;
        std::uint8_t length;
        bool fits;
    };
    const Case cases[] = {
        {kSizeA - 2, 2, true},  {kSizeA - 1, 2, false}, {kSizeA, 1, false},
        {0xFFFFFFFF, 2, false}, {kSizeA - 8, 8, true},  {kSizeA - 7, 8, false},
    };
    for (const Case& c : cases) {
        CDataSet& shown = *device->DataSets[1];
        ASSERT_EQ(shown.Write(0, 0, std::vector<std::uint8_t>(kSizeA, 0xFF)), true);
        shown.Memories[0].OnChecksum(kSizeA * 0xFFu);
        device->Serialization->Address = c.address;
        device->Serialization->Length = c.length;
        const Result result = editor::WriteSerialNumber(*device);
        EXPECT_EQ(result.ok, c.fits) << c.address << " + " << int(c.length);
        const std::vector<std::uint8_t> a = memory(1, 0);
        EXPECT_EQ(shown.Memories[0].Checksum, sum(a)) << c.address;
        if (!c.fits) {
            EXPECT_EQ(result.message, "Serial number does not fit into buffer A.");
            EXPECT_EQ(a, std::vector<std::uint8_t>(kSizeA, 0xFF)) << "nothing written";
        } else {
            EXPECT_NE(a, std::vector<std::uint8_t>(kSizeA, 0xFF)) << c.address;
        }
    }
}

TEST_F(SerialNumberWrite, DisabledWritesNothing) {
    device->Serialization->Enabled = 0;
    EXPECT_TRUE(editor::WriteSerialNumber(*device).ok);
    EXPECT_EQ(memory(1, 0), std::vector<std::uint8_t>(kSizeA, 0xFF));
}

} // namespace
} // namespace zelmo
