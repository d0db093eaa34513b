#include "project/device_descriptor.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zelmo;

TEST(DeviceDescriptor, FieldTextStopsAtNulOrFieldEnd) {
    DeviceDescriptor d{};
    // A vendor code that fills the whole field without a terminator, followed by the name.
    std::memcpy(d.Vendor, "ABCDE", 5);
    SetFieldText(d.Name, "27C256");
    EXPECT_EQ(FieldQString(d.Vendor), QStringLiteral("ABCDE"));
    EXPECT_EQ(FieldQString(d.Name), QStringLiteral("27C256"));

    // Four characters plus NUL; later bytes of the field are ignored.
    std::memcpy(d.Vendor, "WXYZ\0Q", 5);
    EXPECT_EQ(FieldQString(d.Vendor), QStringLiteral("WXYZ"));

    // 8-bit texts are ISO 8859-1.
    const char latin[] = {'M', static_cast<char>(0xE9), 'm', '\0'};
    std::memcpy(d.Package, latin, sizeof latin);
    EXPECT_EQ(FieldQString(d.Package), QString::fromUtf8("M\xC3\xA9m"));
}

TEST(DeviceDescriptor, SetFieldTextKeepsTerminator) {
    char field[5];
    std::memset(field, 'x', sizeof field);
    SetFieldText(field, "TOOLONG");
    EXPECT_EQ(FieldView(field), "TOOL");
    EXPECT_EQ(field[4], '\0');
    SetFieldText(field, "");
    EXPECT_EQ(FieldView(field), "");
}

TEST(DeviceDescriptor, TypeTexts) {
    const std::pair<int, const char*> table[] = {
        {1, "EPROM"},
        {2, "EEPROM"},
        {3, "Flash memory"},
        {4, "Microcontroller"},
        {5, "Programmable Logic Device"},
        {6, "JTAG programmable device"},
        {7, "Serial EEPROM"},
        {8, "Static RAM"},
        {9, "NAND Flash"},
        {10, "Serial Flash memory"},
        {99, "Other device"},
        {0, ""},
        {11, ""},
    };
    for (const auto& [type, text] : table) {
        EXPECT_EQ(DeviceTypeText(static_cast<std::uint8_t>(type)), QString::fromLatin1(text))
            << type;
    }
}

TEST(DeviceDescriptor, MemoriesAndOperationSeeds) {
    DeviceDescriptor d{};
    d.MemSize[0] = 16;
    d.MemSize[2] = 1;
    EXPECT_TRUE(MemoryExists(d, 0));
    EXPECT_FALSE(MemoryExists(d, 1));
    EXPECT_TRUE(MemoryExists(d, 2));
    EXPECT_FALSE(MemoryExists(d, 4)); // area E is not a memory
    EXPECT_FALSE(MemoryExists(d, -1));
    EXPECT_FALSE(AreaEExists(d));
    d.MemSize[4] = 0xFFFFFFFF;
    d.MemSize[3] = 0xFFFFFFFF;
    EXPECT_TRUE(AreaEExists(d));
    EXPECT_EQ(TotalMemorySize(d), 17u + 2u * 0xFFFFFFFFull);

    const std::uint32_t all = 0xFFFFFFFF;
    EXPECT_EQ(EraseTabSeed(all), 0x0Du);
    EXPECT_EQ(ReadTabSeed(all), 0x23u);
    EXPECT_EQ(ProgramTabSeed(all), 0xFDu);
    EXPECT_EQ(ProgramTabSeed(DEV_READ | DEV_PROGRAM | DEV_PIN_CHECK), 0x10u);

    EXPECT_STREQ(DeviceFlagName(DEV_STAND_ALONE), "DEV_STAND_ALONE");
    EXPECT_EQ(DeviceFlagName(0x8000), nullptr);
    EXPECT_STREQ(BufferFlagName(BUF_START_DISABLED), "BUF_START_DISABLED");
}

TEST(DeviceDescriptor, InitialMemSelect) {
    DeviceDescriptor d{};
    std::array<BufferInfo, 4> buffers{};
    d.MemSize[0] = 1;
    d.MemSize[1] = 1;
    d.MemSize[3] = 1;
    buffers[1].Flags = BUF_START_DISABLED | BUF_MANDATORY;
    buffers[2].Flags = 0; // absent memory stays off
    buffers[3].Flags = BUF_MANDATORY | BUF_READ_ONLY;
    EXPECT_EQ(InitialMemSelect(d, buffers), 0x09);
    d.MemSize[4] = 4;
    EXPECT_EQ(InitialMemSelect(d, buffers), 0x89);
}
