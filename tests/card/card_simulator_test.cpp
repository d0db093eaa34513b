// The card image through the simulated programmer's CompactFlash card: a project written to the
// card comes back whole into an empty project.

#include "memory_card.h"
#include "operations/hardware_binding.h"
#include "persistence/card/portable.h"
#include "project/device_descriptor.h"
#include "project/project_fixture.h"
#include "simulated_programmers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace zelmo {
namespace {

// One simulated card-capable programmer at port 1 with its card, and the catalogue loaded.
class SimulatedCard : public ::testing::Test {
protected:
    void SetUp() override {
        appDir = test::simulatorDir();
        if (appDir.isEmpty()) {
            GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so, its catalogue and fpu.lib";
        }
        ASSERT_TRUE(test::writeFile(simDir / "simulator.ini",
                                    "[programmer 1]\nmodel = 1\ncard_size = 4M\n"));
        ::setenv("ZELMO_SIM_CONFIG", (simDir / "simulator.ini").c_str(), 1);
        ::setenv("ZELMO_SIM_STATE", (simDir / "state").c_str(), 1);
        const BindResult bound = binding.bind(appDir);
        ASSERT_TRUE(bound.ok) << bound.message.toStdString();
        api().ZmInit(0);
        started = true;
        api().ZmSetPath(reinterpret_cast<const char16_t*>(appDir.utf16()));
        const QString catalogue = appDir + "Lib/ConfigLib.lib";
        ZmDeviceRecord* devices = nullptr;
        ZmVendorRecord* vendors = nullptr;
        ASSERT_EQ(api().ZmGetVendorsDevices(reinterpret_cast<const char16_t*>(catalogue.utf16()),
                                            &devices, &vendors),
                  1);
        ZmPortListEntry list[16];
        ASSERT_EQ(api().ZmDeviceCount(list), 1);
        ASSERT_TRUE(api().ZmOpen(1));
    }
    void TearDown() override {
        if (started) {
            api().ZmClose(1);
            api().ZmFree();
        }
        binding.release();
    }

    const HardwareEntryPoints& api() const { return binding.api(); }

    DeviceDescriptor device(const char* vendor, const char* name, const char* package) {
        DeviceDescriptor d{};
        char v[5] = {}, n[25] = {}, p[10] = {};
        SetFieldText(v, vendor);
        SetFieldText(n, name);
        SetFieldText(p, package);
        EXPECT_TRUE(api().ZmSearchDev(v, n, p, &d)) << name;
        return d;
    }

    QString appDir;
    HardwareBinding binding;
    bool started = false;
    test::TempDir simDir;
};

TEST_F(SimulatedCard, ProjectRoundTripsThroughTheCard) {
    test::TempDir swapA, swapB;
    TProject saved;
    saved.SetSwapPath(test::qpath(swapA.path()));
    // Three devices of different shapes: A, B, C and area E; A and D with B absent; A alone.
    const DeviceDescriptor descriptors[] = {device("MCHP", "PIC16F84A", "DIP18"),
                                            device("ATM", "AT89C51", "DIP40"),
                                            device("ATM", "AT28C16", "DIP24")};
    std::uint32_t seed = 1;
    for (int d = 0; d < 3; ++d) {
        const int slot = saved.AddCompleteDevice(descriptors[d]).Slot;
        ASSERT_EQ(slot, d);
        const std::string second = "Second set " + std::to_string(d);
        ASSERT_FALSE(saved.AddDataSet(slot, SwapInit::ResetAndFill, 0, second.c_str()).empty());
        CDevice& entry = *saved.Devices[static_cast<std::size_t>(slot)];
        entry.SelectedDataSet = d == 1 ? 0 : 1;
        for (int j = 0; j < 2; ++j) {
            CDataSet& ds = *entry.DataSets[static_cast<std::size_t>(j)];
            for (int m = 0; m <= kAreaE; ++m) {
                ASSERT_TRUE(ds.Write(m, 0, test::bytePattern(ds.MemSize(m), seed++)));
            }
        }
    }
    saved.ActiveDevice = 2;

    card::CardLibraryCalls library(card::CardEntryPointsOf(api()));
    card::CardContext context;
    context.Library = &library;
    context.AppDir = appDir;
    std::vector<std::string> log;
    context.Log = [&](LogKind, const QString& text) { log.push_back(text.toStdString()); };
    card::CPortable portable(context);
    const Result written = portable.Write(saved, 1);
    ASSERT_TRUE(written.ok) << written.message.toStdString();

    TProject restored;
    restored.SetSwapPath(test::qpath(swapB.path()));
    const Result read = portable.Read(restored, 1);
    ASSERT_TRUE(read.ok) << read.message.toStdString();

    ASSERT_EQ(restored.DeviceCount, 3);
    EXPECT_EQ(restored.ActiveDevice, 2);
    for (int d = 0; d < 3; ++d) {
        const CDevice& a = *saved.Devices[static_cast<std::size_t>(d)];
        const CDevice& b = *restored.Devices[static_cast<std::size_t>(d)];
        EXPECT_EQ(std::memcmp(&a.Descriptor, &b.Descriptor, sizeof a.Descriptor), 0) << d;
        EXPECT_EQ(b.SelectedDataSet, a.SelectedDataSet) << d;
        ASSERT_EQ(b.DataSetCount, 2) << d;
        for (int j = 0; j < 2; ++j) {
            const CDataSet& x = *a.DataSets[static_cast<std::size_t>(j)];
            const CDataSet& y = *b.DataSets[static_cast<std::size_t>(j)];
            EXPECT_EQ(y.Name, x.Name) << d << "/" << j;
            ASSERT_EQ(y.TotalSize, x.TotalSize);
            for (int m = 0; m <= kAreaE; ++m) {
                std::vector<std::uint8_t> before(x.MemSize(m)), after(y.MemSize(m));
                ASSERT_TRUE(x.Read(m, 0, before));
                ASSERT_TRUE(y.Read(m, 0, after));
                EXPECT_EQ(after, before) << d << "/" << j << " memory " << m;
            }
        }
    }
    EXPECT_EQ(log, (std::vector<std::string>{"Device restored: 01: PIC16F84A / DIP18.",
                                             "Device restored: 02: AT89C51 / DIP40.",
                                             "Device restored: 03: AT28C16 / DIP24."}));
    saved.CloseAll(true);
    restored.CloseAll(true);
}

} // namespace
} // namespace zelmo
