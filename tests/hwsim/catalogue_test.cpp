// The catalogue as the application sees it: the two lists walked by count, the lookups, the
// memory descriptions at their byte offsets, and the error counts of a broken file.
#include "hardware_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace zelmo::test {
namespace {

const char* kSmallCatalogue = R"(# two vendors, three devices
[vendor AB]
name = Alpha Beta
web = http://ab.example

[vendor XYZW]
name = Xyzw Semiconductors
web = http://xyzw.example/chips

[device AB:CHIP1:DIP8]
type = SERIAL_EEPROM
lib = I2C24
pins = 8
sizes = 256, 0, 0, 0, 0
flags = READ PROGRAM VERIFY RUN FILES

[device XYZW:MCU-2:DIP40]
type = MCU
lib = MCU2
pins = 40
sizes = 4096, 128, 0, 3, 16
flags = CHECK_ID READ ERASE PROGRAM VERIFY SETUP RUN FILES
id = 12 34
memA = Program | 16 | #102030 | mandatory
memB = Data | 8 | #405060 | disabled
memD = Signature | 8 | #708090 | read-only
areaA = Vectors | 0 | 0x1F | #A0B0C0
areaA = Boot | 0x20 | 0xFF | #C0B0A0

[device AB:CHIP0:DIP8]
type = OTHER
lib = NONE
pins = 8
sizes = 0, 0, 0, 0, 0
flags = TEST
)";

std::string field(const char* text, std::size_t width) {
    return std::string(text, strnlen(text, width));
}

TEST(HwsimCatalogue, ListsWalkedByCountMatchTheFile) {
    Simulator sim("", kSmallCatalogue);
    ZmDeviceRecord* devices = nullptr;
    ZmVendorRecord* vendors = nullptr;
    const auto path = wide((sim.dir / "ConfigLib.lib").string());
    ASSERT_EQ(sim.hw._ZmGetVendorsDevices(path.c_str(), &devices, &vendors), 1);
    ASSERT_EQ(sim.hw._ZmGetNoOfVendors(), 2);
    ASSERT_EQ(sim.hw._ZmGetNoOfDevices(), 3);

    // Walk by count, reading the link at its fixed byte offset as the application does.
    const std::vector<std::vector<std::string>> expectedVendors = {
        {"AB", "Alpha Beta", "http://ab.example"},
        {"XYZW", "Xyzw Semiconductors", "http://xyzw.example/chips"}};
    const auto* v = reinterpret_cast<const std::uint8_t*>(vendors);
    for (const auto& e : expectedVendors) {
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(field(reinterpret_cast<const char*>(v), 5), e[0]);
        EXPECT_EQ(field(reinterpret_cast<const char*>(v + 5), 50), e[1]);
        EXPECT_EQ(field(reinterpret_cast<const char*>(v + 55), 53), e[2]);
        const std::uint8_t* next = nullptr;
        std::memcpy(&next, v + 108, sizeof next);
        v = next;
    }

    struct Expected {
        std::string vendor, name, package, lib;
        int type;
        std::uint32_t sizes[5];
        std::uint32_t pins, flags;
    };
    const Expected expected[] = {
        {"AB",
         "CHIP1",
         "DIP8",
         "I2C24",
         DT_SERIAL_EEPROM,
         {256, 0, 0, 0, 0},
         8,
         DEV_READ | DEV_PROGRAM | DEV_VERIFY | DEV_RUN | DEV_FILES},
        {"XYZW",
         "MCU-2",
         "DIP40",
         "MCU2",
         DT_MICROCONTROLLER,
         {4096, 128, 0, 3, 16},
         40,
         DEV_CHECK_ID | DEV_READ | DEV_ERASE | DEV_PROGRAM | DEV_VERIFY | DEV_SETUP | DEV_RUN |
             DEV_FILES},
        {"AB", "CHIP0", "DIP8", "NONE", DT_OTHER, {0, 0, 0, 0, 0}, 8, DEV_TEST},
    };
    const auto* d = reinterpret_cast<const std::uint8_t*>(devices);
    for (const Expected& e : expected) {
        ASSERT_NE(d, nullptr);
        DeviceDescriptor desc;
        std::memcpy(&desc, d, sizeof desc);
        EXPECT_EQ(desc.Type, e.type);
        EXPECT_EQ(field(desc.Vendor, 5), e.vendor);
        EXPECT_EQ(field(desc.Name, 25), e.name);
        EXPECT_EQ(field(desc.Package, 10), e.package);
        EXPECT_EQ(field(desc.LibName, 20), e.lib);
        for (int m = 0; m < 5; ++m) {
            EXPECT_EQ(+desc.MemSize[m], e.sizes[m]) << e.name << " memory " << m;
        }
        EXPECT_EQ(+desc.PinCount, e.pins);
        EXPECT_EQ(+desc.Flags, e.flags);
        const std::uint8_t* next = nullptr;
        std::memcpy(&next, d + 292, sizeof next);
        d = next;
    }

    // Lookups by key and by vendor code.
    char vendorName[50];
    sim.hw._ZmGetVendorName("XYZW", vendorName);
    EXPECT_STREQ(vendorName, "Xyzw Semiconductors");
    sim.hw._ZmGetVendorName("NONE", vendorName);
    EXPECT_STREQ(vendorName, "");
    const DeviceDescriptor found = sim.device("XYZW", "MCU-2", "DIP40");
    EXPECT_EQ(+found.MemSize[4], 16u);
    DeviceDescriptor none{};
    EXPECT_FALSE(sim.hw._ZmSearchDev("XYZW", "MCU-2", "DIP28", &none));
}

TEST(HwsimCatalogue, BufferInfoFillsEveryFieldAtItsOffset) {
    Simulator sim("", kSmallCatalogue);
    const DeviceDescriptor d = sim.device("XYZW", "MCU-2", "DIP40");
    std::uint8_t raw[4 * 304];
    std::memset(raw, 0xAA, sizeof raw);
    ASSERT_TRUE(sim.hw._ZmGetBufferInfo(0, sim.libraryPath(d).c_str(), d.LibParams,
                                        reinterpret_cast<BufferInfo*>(raw)));
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = v << 8 | raw[at + static_cast<std::size_t>(i)];
        }
        return v;
    };
    // Memory A.
    EXPECT_EQ(field(reinterpret_cast<const char*>(raw), 30), "Program");
    EXPECT_EQ(raw[30], ORG_16BIT);
    EXPECT_EQ(u32(32), 0x00302010u); // #102030 as 0x00BBGGRR
    EXPECT_EQ(u32(36), std::uint32_t(BUF_MANDATORY));
    EXPECT_EQ(field(reinterpret_cast<const char*>(raw + 40), 32), "Vectors");
    EXPECT_EQ(u32(40 + 32), 0u);
    EXPECT_EQ(u32(40 + 36), 0x1Fu);
    EXPECT_EQ(u32(40 + 40), 0x00C0B0A0u);
    EXPECT_EQ(field(reinterpret_cast<const char*>(raw + 84), 32), "Boot");
    EXPECT_EQ(u32(84 + 32), 0x20u);
    EXPECT_EQ(u32(84 + 36), 0xFFu);
    EXPECT_EQ(u32(128 + 40), 0u); // third area empty
    // Memory B starts disabled; C is absent; D is read-only.
    EXPECT_EQ(field(reinterpret_cast<const char*>(raw + 304), 30), "Data");
    EXPECT_EQ(raw[304 + 30], ORG_8BIT);
    EXPECT_EQ(u32(304 + 36), std::uint32_t(BUF_START_DISABLED));
    EXPECT_EQ(raw[608], 0);
    EXPECT_EQ(field(reinterpret_cast<const char*>(raw + 912), 30), "Signature");
    EXPECT_EQ(u32(912 + 36), std::uint32_t(BUF_READ_ONLY));

    // The algorithm library must be the device's own, and the parameters must name a device.
    auto other = wide((HardwareLibrary::binDir() / "Dev" / "PIC16.so").string());
    EXPECT_FALSE(
        sim.hw._ZmGetBufferInfo(0, other.c_str(), d.LibParams, reinterpret_cast<BufferInfo*>(raw)));
    EXPECT_NE(messages(0).joined().find("does not support XYZW:MCU-2:DIP40"), std::string::npos);
    std::uint8_t junk[203] = {1, 2, 3};
    EXPECT_FALSE(sim.hw._ZmGetBufferInfo(0, sim.libraryPath(d).c_str(), junk,
                                         reinterpret_cast<BufferInfo*>(raw)));
}

TEST(HwsimCatalogue, BrokenFilesReportTheirLine) {
    struct Case {
        const char* text;
        int vendors, devices; // expected counts (negative = error line)
    };
    const Case cases[] = {
        // An unknown device key on line 8 stops the device list, not the vendors.
        {"[vendor AB]\nname = A\n\n[device AB:X:DIP8]\ntype = EPROM\nlib = L\nsizes = 1,0,0,0,0\n"
         "colour = red\n",
         1, -8},
        // A vendor code of five characters.
        {"[vendor ABCDE]\nname = A\n[vendor AB]\nname = B\n", -1, 0},
        // A device of an unknown vendor (line 1 of its section).
        {"[vendor AB]\nname = A\n[device CD:X:DIP8]\ntype = EPROM\nlib = L\nsizes = 1,0,0,0,0\n", 1,
         -3},
        // Sizes with four numbers; a name longer than its field.
        {"[vendor AB]\nname = A\n[device AB:X:DIP8]\ntype = EPROM\nlib = L\nsizes = 1,0,0,0\n", 1,
         -6},
        {"[vendor AB]\nname = A\n[device AB:ABCDEFGHIJKLMNOPQRSTUVWXY:DIP8]\n", 1, -3},
        // An area beyond its memory.
        {"[vendor AB]\nname = A\n[device AB:X:DIP8]\ntype = EPROM\nlib = L\nsizes = 16,0,0,0,0\n"
         "areaA = Late | 8 | 16 | #FF0000\n",
         1, -3},
    };
    for (const Case& c : cases) {
        Simulator sim("", c.text);
        EXPECT_EQ(sim.hw._ZmGetNoOfVendors(), c.vendors) << c.text;
        EXPECT_EQ(sim.hw._ZmGetNoOfDevices(), c.devices) << c.text;
        if (c.devices < 0) {
            EXPECT_NE(messages(0).joined().find("line " + std::to_string(-c.devices)),
                      std::string::npos)
                << messages(0).joined();
        }
    }
    // A missing file is not loaded at all.
    Simulator sim("");
    ZmDeviceRecord* devices = nullptr;
    ZmVendorRecord* vendors = nullptr;
    const auto missing = wide((sim.dir / "none.lib").string());
    EXPECT_EQ(sim.hw._ZmGetVendorsDevices(missing.c_str(), &devices, &vendors), 0);
    EXPECT_EQ(devices, nullptr);
    EXPECT_NE(messages(0).joined().find("Could not open catalogue file"), std::string::npos);
}

TEST(HwsimCatalogue, ShippedCatalogueHoldsTheReferenceDevices) {
    Simulator sim("");
    struct Ref {
        const char* vendor;
        const char* name;
        const char* package;
        std::uint32_t sizes[5];
        std::uint32_t pins;
        bool adapter;
    };
    const Ref refs[] = {
        {"ATM", "AT27C512R", "DIP28", {65536, 0, 0, 0, 0}, 28, false},
        {"ATM", "AT28C256", "DIP28", {32768, 0, 0, 0, 0}, 28, false},
        {"MCHP", "24LC256", "DIP8", {32768, 0, 0, 0, 0}, 8, false},
        {"WINB", "W25Q128JV", "SOIC8", {16777216, 3, 0, 0, 0}, 8, true},
        {"SST", "SST39SF040", "PLCC32", {524288, 0, 0, 0, 0}, 32, true},
        {"MCHP", "PIC16F84A", "DIP18", {2048, 64, 8, 0, 16}, 18, false},
        {"ATM", "AT89C51", "DIP40", {4096, 0, 0, 3, 0}, 40, false},
        {"LATT", "GAL16V8", "DIP20", {2194, 3072, 0, 0, 0}, 20, false},
        {"LATT", "GAL22V10", "DIP24", {5892, 3072, 0, 0, 0}, 24, false},
        {"SAMS", "K9F1G08U0E", "TSOP48", {138412032, 0, 0, 0, 0}, 48, true},
        {"ISSI", "IS62C256AL", "DIP28", {32768, 0, 0, 0, 0}, 28, false},
        {"XLNX", "XC9572XL", "VQ44", {0, 0, 0, 0, 0}, 44, false},
        {"GEN", "SOCKETTEST", "DIP48", {0, 0, 0, 0, 0}, 48, false},
    };
    for (const Ref& r : refs) {
        const DeviceDescriptor d = sim.device(r.vendor, r.name, r.package);
        for (int m = 0; m < 5; ++m) {
            EXPECT_EQ(+d.MemSize[m], r.sizes[m]) << r.name << " memory " << m;
        }
        EXPECT_EQ(+d.PinCount, r.pins) << r.name;
        EXPECT_EQ((d.Flags & DEV_ADAPTER) != 0, r.adapter) << r.name;
    }
    EXPECT_NE(sim.device("MCHP", "PIC16F84A", "DIP18").Flags & DEV_SETUP, 0u);
    BufferInfo pic[4];
    const DeviceDescriptor d = sim.device("MCHP", "PIC16F84A", "DIP18");
    ASSERT_TRUE(sim.hw._ZmGetBufferInfo(0, sim.libraryPath(d).c_str(), d.LibParams, pic));
    EXPECT_EQ(pic[0].Organization, ORG_16BIT);
    BufferInfo mcs51[4];
    const DeviceDescriptor c51 = sim.device("ATM", "AT89C51", "DIP40");
    ASSERT_TRUE(sim.hw._ZmGetBufferInfo(0, sim.libraryPath(c51).c_str(), c51.LibParams, mcs51));
    EXPECT_NE(mcs51[3].Flags & BUF_READ_ONLY, 0u);
}

} // namespace
} // namespace zelmo::test
