// Self-check over every entry of the shipped catalogue, through the library's own lists: the
// records a broken entry would hand to the application are caught here, not in the field.
#include "hardware_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace zelmo::test {
namespace {

bool terminated(const char* text, std::size_t width) {
    return std::memchr(text, 0, width) != nullptr;
}

// Packages of the [adapter ...] sections and their device pin counts, read from the file.
std::map<std::string, int> adapterPackages(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::map<std::string, int> out;
    std::string line, current;
    while (std::getline(in, line)) {
        if (line.rfind("[adapter ", 0) == 0) {
            current = line.substr(9, line.find(']') - 9);
            out[current] = 0;
        } else if (line.rfind("[", 0) == 0) {
            current.clear();
        } else if (!current.empty() && line.rfind("pins = ", 0) == 0) {
            out[current] = std::stoi(line.substr(7));
        }
    }
    return out;
}

TEST(HwsimCatalogueSelfCheck, EveryEntryIsConsistent) {
    Simulator sim("");
    const int vendorCount = sim.hw._ZmGetNoOfVendors();
    const int deviceCount = sim.hw._ZmGetNoOfDevices();
    ASSERT_GT(vendorCount, 0) << messages(0).joined();
    ASSERT_GE(deviceCount, 60) << messages(0).joined();

    std::set<std::string> vendors;
    int withoutLogo = 0, oddLogo = 0;
    int wordMemories = 0, largeReadOnly = 0, withoutGenericAdapter = 0;
    const ZmVendorRecord* v = sim.hw._ZmGetVendors();
    for (int i = 0; i < vendorCount; ++i, v = v->Next) {
        ASSERT_NE(v, nullptr);
        EXPECT_TRUE(terminated(v->Code, 5) && terminated(v->Name, 50) && terminated(v->Web, 53));
        EXPECT_GT(std::strlen(v->Name), 0u) << v->Code;
        EXPECT_EQ(std::strncmp(v->Web, "http", 4), 0) << v->Code;
        EXPECT_TRUE(vendors.insert(v->Code).second) << "vendor twice: " << v->Code;
        const auto logo = HardwareLibrary::binDir() / "Logo" / (std::string(v->Code) + ".bmp");
        if (!std::filesystem::exists(logo)) {
            ++withoutLogo;
            continue;
        }
        const std::string bmp = readFile(logo);
        ASSERT_GE(bmp.size(), 26u) << logo;
        EXPECT_EQ(bmp.substr(0, 2), "BM") << logo;
        const auto le32 = [&](std::size_t at) {
            return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at]) |
                                              static_cast<std::uint8_t>(bmp[at + 1]) << 8 |
                                              static_cast<std::uint8_t>(bmp[at + 2]) << 16 |
                                              static_cast<std::uint8_t>(bmp[at + 3]) << 24);
        };
        if (le32(18) != 100 || le32(22) != 100) {
            ++oddLogo;
        }
    }
    // The selection dialog's fallbacks need a vendor without a logo and one whose logo is not
    // the 100 x 100 the dialog expects.
    EXPECT_GE(withoutLogo, 1);
    EXPECT_GE(oddLogo, 1);

    const auto adapters = adapterPackages(HardwareLibrary::binDir() / "Lib" / "ConfigLib.lib");
    const std::set<int> types = {
        DT_EPROM,         DT_EEPROM,     DT_FLASH,      DT_MICROCONTROLLER, DT_PLD,  DT_JTAG,
        DT_SERIAL_EEPROM, DT_STATIC_RAM, DT_NAND_FLASH, DT_SERIAL_FLASH,    DT_OTHER};
    std::set<int> seenTypes;
    std::set<std::string> keys;
    const ZmDeviceRecord* r = sim.hw._ZmGetDevices();
    for (int i = 0; i < deviceCount; ++i, r = r->Next) {
        ASSERT_NE(r, nullptr);
        const DeviceDescriptor& d = r->Descriptor;
        ASSERT_TRUE(terminated(d.Vendor, 5) && terminated(d.Name, 25) &&
                    terminated(d.Package, 10) && terminated(d.LibName, 20));
        const std::string key = std::string(d.Vendor) + ":" + d.Name + ":" + d.Package;
        SCOPED_TRACE(key);
        EXPECT_TRUE(keys.insert(key).second) << "device twice";
        EXPECT_TRUE(vendors.count(d.Vendor)) << "unknown vendor";
        EXPECT_TRUE(types.count(d.Type)) << "type " << int(d.Type);
        seenTypes.insert(d.Type);
        EXPECT_GT(std::strlen(d.Name), 0u);
        EXPECT_GT(std::strlen(d.LibName), 0u);
        EXPECT_EQ(d.Flags & ~0x7FFFu, 0u) << "bits without meaning";
        EXPECT_LE(+d.PinCount, 255u);

        BufferInfo b[4];
        std::memset(b, 0xAA, sizeof b);
        ASSERT_TRUE(sim.hw._ZmGetBufferInfo(0, sim.libraryPath(d).c_str(), d.LibParams, b))
            << messages(0).joined();
        bool anyMemory = false;
        for (int m = 0; m < 4; ++m) {
            if (d.MemSize[m] == 0) {
                EXPECT_EQ(b[m].Name[0], 0) << "memory " << m << " has no size but a name";
                continue;
            }
            anyMemory = true;
            EXPECT_TRUE(terminated(b[m].Name, 30));
            EXPECT_GT(std::strlen(b[m].Name), 0u) << "memory " << m;
            EXPECT_TRUE(
                std::set<int>({ORG_8BIT, ORG_16BIT, ORG_32BIT, ORG_FUSE_MAP, ORG_TEST_VECTORS})
                    .count(b[m].Organization));
            EXPECT_EQ(b[m].Flags & ~0x7u, 0u);
            EXPECT_EQ(b[m].Color & 0xFF000000u, 0u);
            if (b[m].Organization == ORG_16BIT) {
                EXPECT_EQ(+d.MemSize[m] % 2, 0u) << "odd size of a 16-bit memory";
            }
            if (b[m].Organization == ORG_32BIT) {
                EXPECT_EQ(+d.MemSize[m] % 4, 0u) << "a 32-bit memory of partial words";
                ++wordMemories;
            }
            if ((b[m].Flags & BUF_READ_ONLY) && d.MemSize[m] >= 65536) {
                ++largeReadOnly;
            }
            for (const AreaInfo& a : b[m].Areas) {
                if (a.Color != 0) {
                    EXPECT_TRUE(terminated(a.Name, 32));
                    EXPECT_LE(+a.Start, +a.End);
                    EXPECT_LT(+a.End, +d.MemSize[m]) << a.Name;
                }
            }
        }
        // File functions and Read need a memory to work on, except for the devices whose
        // assigned file is read by the library itself.
        if ((d.Flags & DEV_READ) || ((d.Flags & DEV_FILES) && d.Type != DT_JTAG)) {
            EXPECT_TRUE(anyMemory) << "buffer functions without any memory";
        }
        if (d.Type == DT_JTAG) {
            EXPECT_FALSE(anyMemory) << "the design comes from the assigned file";
            EXPECT_TRUE(d.Flags & DEV_FILES) << "a design file must be assignable";
        }
        if (d.Flags & DEV_SETUP) {
            EXPECT_GT(+d.MemSize[4], 0u) << "setup without an area E to keep it";
        }
        if (d.Type == DT_PLD) {
            EXPECT_EQ(b[0].Organization, ORG_FUSE_MAP);
            EXPECT_EQ(b[1].Organization, ORG_TEST_VECTORS);
            EXPECT_GT(+d.MemSize[1], 0u);
        }
        if (d.Flags & DEV_ADAPTER) {
            const auto it = adapters.find(d.Package);
            if (it == adapters.end()) {
                ++withoutGenericAdapter; // the user brings the adapter file
                continue;
            }
            EXPECT_EQ(it->second, static_cast<int>(d.PinCount & 0xFF));
            // The generated generic adapter file, where the build wrote the adapters.
            const auto adp =
                HardwareLibrary::binDir() / "Adapters" / (std::string(d.Package) + ".adp");
            if (std::filesystem::exists(adp.parent_path())) {
                const std::string bytes = readFile(adp);
                ASSERT_EQ(bytes.size(), 2310u) << adp;
                EXPECT_EQ(bytes.substr(0, 3), "ADP");
                EXPECT_EQ(static_cast<std::uint8_t>(bytes[4]), d.PinCount & 0xFF);
                unsigned sum = 0;
                for (std::size_t i = 0; i < 2309; ++i) {
                    sum += static_cast<std::uint8_t>(bytes[i]);
                }
                EXPECT_EQ(sum % 256, static_cast<std::uint8_t>(bytes[2309]));
            }
        } else if (std::string(d.Package).rfind("DIP", 0) == 0) {
            EXPECT_LE(+d.PinCount, 48u) << "a DIP device must fit the 48-pin socket";
        }
    }
    EXPECT_EQ(seenTypes, types) << "every device type is represented";
    EXPECT_GE(wordMemories, 1) << "a memory organised in 32-bit words";
    EXPECT_GE(largeReadOnly, 1) << "a read-only memory of at least 64 KiB";
    EXPECT_GE(withoutGenericAdapter, 1) << "an adapter package without a generic adapter";
}

} // namespace
} // namespace zelmo::test
