// The card image over an in-memory card: where every record lands, what the fields hold, how
// failures leave the card, and how the reader refuses images that point where they should not.

#include "memory_card.h"
#include "persistence/card/portable.h"
#include "project/project_fixture.h"

#include <gtest/gtest.h>

#include <QDir>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zelmo {
namespace {

using card::GetBe16;
using card::GetBe32;
using card::kSectorSize;

std::vector<std::uint8_t> bytesOf(std::span<const std::uint8_t> span) {
    return {span.begin(), span.end()};
}

class CardImage : public test::ProjectTest {
protected:
    CardImage() : card(64, 0x00) {
        std::filesystem::create_directories(appDir / "Lib");
        runtime = test::bytePattern(600, 1);
        writeRuntime(runtime);
        context.Library = &card;
        context.AppDir = test::qpath(appDir.path()) + "/";
        context.Log = [this](LogKind kind, const QString& text) {
            log.push_back({kind, text.toStdString()});
        };
    }

    void writeRuntime(const std::vector<std::uint8_t>& bytes) {
        ASSERT_TRUE(
            test::writeFile(appDir / "Lib/fpu.lib", std::string(bytes.begin(), bytes.end())));
    }

    // A catalogue device the fake also knows, added with one data set.
    CDevice& addDevice(std::array<std::uint32_t, 5> sizes, std::uint32_t flags = 0,
                       const char* name = "CHIP") {
        DeviceDescriptor d = test::makeDescriptor(sizes, flags);
        SetFieldText(d.Name, name);
        card.catalogue.push_back(d);
        const int slot = project.AddCompleteDevice(d).Slot;
        EXPECT_GE(slot, 0);
        return *project.Devices[static_cast<std::size_t>(slot)];
    }

    Result write(std::optional<int> oneDevice = std::nullopt) {
        card::CPortable portable(context);
        return portable.Write(project, 1, oneDevice);
    }

    test::TempDir appDir;
    test::MemoryCard card;
    card::CardContext context;
    std::vector<std::uint8_t> runtime;
    std::vector<std::pair<LogKind, std::string>> log;
};

TEST_F(CardImage, OneDeviceOneDataSetLaysOutEverySectorInOrder) {
    CDevice& device = addDevice({1000, 0, 0, 0, 0}, DEV_PROGRAM | DEV_READ);
    CDataSet& dataSet = *device.DataSets[0];
    const std::vector<std::uint8_t> memoryA = test::bytePattern(1000, 2);
    ASSERT_TRUE(dataSet.Write(0, 0, memoryA));
    card.code = test::bytePattern(700, 3); // C = 2
    ASSERT_TRUE(write().ok);

    // Sector 0: signature, runtime at 1 with F = 2 sectors, project header H = 3.
    auto s0 = card.sector(0);
    EXPECT_EQ(s0[0], 0x55);
    EXPECT_EQ(GetBe32(s0, 1), 1u);
    EXPECT_EQ(GetBe16(s0, 5), 2u);
    EXPECT_EQ(GetBe32(s0, 7), 3u);
    // Sectors 1-2: the runtime file byte for byte, padded with 0xFF.
    std::vector<std::uint8_t> runtimeSectors = runtime;
    runtimeSectors.resize(2 * kSectorSize, 0xFF);
    EXPECT_EQ(bytesOf(std::span(card.image).subspan(kSectorSize, 2 * kSectorSize)), runtimeSectors);
    // Sector 3: the project header; the image ends at 8 + C = 10.
    auto s3 = card.sector(3);
    EXPECT_EQ(GetBe32(s3, 0), 3u);
    EXPECT_EQ(s3[4], 0);
    EXPECT_EQ(s3[5], 1);
    EXPECT_EQ(GetBe32(s3, 6), 10u);
    // Sector 4: the device entry, its one data set's header at 5.
    auto s4 = card.sector(4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s4.data()), 5), std::string("TST\0\0", 5));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s4.data() + 5)), "CHIP");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s4.data() + 30)), "DIP8");
    EXPECT_EQ(s4[40], 1);
    EXPECT_EQ(s4[41], 0);
    EXPECT_EQ(GetBe32(s4, 42), 5u);
    EXPECT_EQ(s4[46], 0xFF);
    // Sector 5: the data-set header; code at 6-7, memory A at 8-9, area E at 10 with count 0.
    auto s5 = card.sector(5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s5.data())), "Data set 1");
    EXPECT_EQ(GetBe32(s5, 17), 6u);
    EXPECT_EQ(GetBe16(s5, 21), 2u);
    EXPECT_EQ(GetBe16(s5, 23), DEV_PROGRAM | DEV_READ);
    const std::uint32_t firsts[5] = {8, 0, 0, 0, 10};
    const std::uint32_t counts[5] = {2, 0, 0, 0, 0};
    for (int m = 0; m < 5; ++m) {
        EXPECT_EQ(GetBe32(s5, 31 + 4 * static_cast<std::size_t>(m)), firsts[m]) << "memory " << m;
        EXPECT_EQ(GetBe32(s5, 51 + 4 * static_cast<std::size_t>(m)), counts[m]) << "memory " << m;
    }
    EXPECT_EQ(s5[71], 0xFF);
    // Sectors 6-7: the code; 8-9: memory A, the second sector 0xFF from byte 488 on.
    std::vector<std::uint8_t> codeSectors = card.code;
    codeSectors.resize(2 * kSectorSize, 0xFF);
    EXPECT_EQ(bytesOf(std::span(card.image).subspan(6 * kSectorSize, 2 * kSectorSize)),
              codeSectors);
    std::vector<std::uint8_t> memorySectors = memoryA;
    memorySectors.resize(2 * kSectorSize, 0xFF);
    EXPECT_EQ(bytesOf(std::span(card.image).subspan(8 * kSectorSize, 2 * kSectorSize)),
              memorySectors);
    EXPECT_EQ(card.image[9 * kSectorSize + 487], memoryA[999]);
    EXPECT_EQ(card.image[9 * kSectorSize + 488], 0xFF);

    // Nothing beyond the image is touched, the header is the last write, access is closed.
    EXPECT_EQ(bytesOf(std::span(card.image).subspan(10 * kSectorSize)),
              std::vector<std::uint8_t>(card.image.size() - 10 * kSectorSize, 0x00));
    ASSERT_FALSE(card.writes.empty());
    EXPECT_EQ(card.writes.back().first, 0u);
    EXPECT_EQ(card.writes.back().count, 1u);
    EXPECT_FALSE(card.writeOpen);
    ASSERT_EQ(card.blocks.size(), 1u);
    EXPECT_EQ(card.blocks[0].Mode, OPMODE_CARD_CODE);
    EXPECT_EQ(card.blocks[0].One, 0);
    EXPECT_EQ(card.initCount, card.freeCount);
}

TEST_F(CardImage, DataSetNamesAreNulPaddedToTheirField) {
    CDevice& device = addDevice({16, 0, 0, 0, 0});
    device.DataSets[0]->Name = "ABCDEFGHIJKLMNOP"; // 16 characters
    ASSERT_FALSE(project.AddDataSet(0, SwapInit::ResetAndFill, 0, "abc").empty());
    card.code.clear(); // no code: C = 0
    ASSERT_TRUE(write().ok);
    const std::uint32_t h = GetBe32(card.sector(0), 7);
    auto entry = card.sector(h + 1);
    ASSERT_EQ(entry[40], 2);
    auto first = card.sector(GetBe32(entry, 42));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first.data()), 16), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(first[16], 0);
    EXPECT_EQ(GetBe16(first, 21), 0u) << "no code sectors";
    auto second = card.sector(GetBe32(entry, 46));
    EXPECT_EQ(bytesOf(second.first(17)),
              (std::vector<std::uint8_t>{'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(CardImage, PinCheckBitExactlyWhenSupportedAndOn) {
    struct Case {
        bool supported, on;
    };
    for (const Case c :
         {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
        project.CloseAll(true);
        card.catalogue.clear();
        CDevice& device = addDevice({16, 0, 0, 0, 0}, c.supported ? DEV_PIN_CHECK : 0);
        device.PinCheck = c.on ? 1 : 0;
        device.OpTabs = {0, 0x0C, 0x22, 0x31};
        ASSERT_TRUE(write().ok);
        const std::uint32_t h = GetBe32(card.sector(0), 7);
        auto header = card.sector(GetBe32(card.sector(h + 1), 42));
        const std::uint16_t pin = c.supported && c.on ? 0x100 : 0;
        EXPECT_EQ(GetBe16(header, 25), 0x31 | pin) << c.supported << c.on; // Program tab
        EXPECT_EQ(GetBe16(header, 27), 0x22 | pin) << c.supported << c.on; // Read tab
        EXPECT_EQ(GetBe16(header, 29), 0x0C | pin) << c.supported << c.on; // Erase tab
    }
}

TEST_F(CardImage, FailedWriteLeavesSectorZeroAndClosesAccess) {
    addDevice({1000, 0, 0, 0, 0});
    card.libraryMessages = {"Code generation failed.", "Second line."};
    enum Fault { NoRuntime, InitLib, MakeCode, CardWrite };
    for (const Fault fault : {NoRuntime, InitLib, MakeCode, CardWrite}) {
        std::fill(card.image.begin(), card.image.end(), 0x00);
        card.writes.clear();
        card.writeCalls = 0;
        log.clear();
        card.initLibOk = fault != InitLib;
        card.makeCodeOk = fault != MakeCode;
        card.failWriteCall = fault == CardWrite ? 2 : -1;
        if (fault == NoRuntime) {
            std::filesystem::remove(appDir / "Lib/fpu.lib");
        }
        const Result result = write();
        EXPECT_FALSE(result.ok) << fault;
        EXPECT_EQ(result.message, "Could not save project.") << fault;
        EXPECT_EQ(bytesOf(card.sector(0)), std::vector<std::uint8_t>(kSectorSize, 0)) << fault;
        EXPECT_FALSE(card.writeOpen) << fault;
        EXPECT_EQ(card.initCount, card.freeCount) << fault << ": a prepared library is freed";
        if (fault == MakeCode) {
            EXPECT_EQ(log, (std::vector<std::pair<LogKind, std::string>>{
                               {lkPlain, "Code generation failed."}, {lkPlain, "Second line."}}));
        }
        writeRuntime(runtime);
    }
    // A runtime file that is not a regular file is refused rather than read.
    std::filesystem::remove(appDir / "Lib/fpu.lib");
    std::filesystem::create_directory(appDir / "Lib/fpu.lib");
    card.initLibOk = card.makeCodeOk = true;
    card.failWriteCall = -1;
    EXPECT_FALSE(write().ok);
}

TEST_F(CardImage, OneDeviceImageHoldsOnlyThatDevice) {
    addDevice({16, 0, 0, 0, 0}, 0, "FIRST");
    addDevice({32, 0, 0, 0, 0}, 0, "SECOND");
    project.ActiveDevice = 0;
    ASSERT_TRUE(write(1).ok);
    const std::uint32_t h = GetBe32(card.sector(0), 7);
    EXPECT_EQ(card.sector(h)[4], 0) << "active device of a one-device image";
    EXPECT_EQ(card.sector(h)[5], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(card.sector(h + 1).data() + 5)), "SECOND");
    EXPECT_FALSE(write(2).ok);
}

// Reading: an image written by the writer, then damaged in one place.
class CardImageRead : public CardImage {
protected:
    CardImageRead() {
        CDevice& first = addDevice({1000, 0, 0, 3, 16}, 0, "FIRST");
        addDevice({600, 64, 0, 0, 0}, 0, "SECOND");
        EXPECT_TRUE(first.DataSets[0]->Write(0, 0, test::bytePattern(1000, 9)));
        EXPECT_TRUE(write().ok);
        project.CloseAll(true);
        card.writes.clear();
        h = GetBe32(card.sector(0), 7);
        secondEntry = h + 2;
        secondHeader = GetBe32(card.sector(secondEntry), 42);
    }

    Result read(TProject& into) {
        card::CPortable portable(context);
        return portable.Read(into, 1);
    }

    std::size_t swapFiles() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(swapDir.path()), {}));
    }

    std::uint32_t h = 0, secondEntry = 0, secondHeader = 0;
};

TEST_F(CardImageRead, RestoresTheImageItWrote) {
    ASSERT_TRUE(read(project).ok);
    ASSERT_EQ(project.DeviceCount, 2);
    std::vector<std::uint8_t> a(1000);
    ASSERT_TRUE(project.Devices[0]->DataSets[0]->Read(0, 0, a));
    EXPECT_EQ(a, test::bytePattern(1000, 9));
    EXPECT_EQ(project.Devices[1]->DataSets[0]->MemSize(1), 64u);
    EXPECT_EQ(log, (std::vector<std::pair<LogKind, std::string>>{
                       {lkDetail, "Device restored: 01: FIRST / DIP8."},
                       {lkDetail, "Device restored: 02: SECOND / DIP8."}}));
    EXPECT_TRUE(card.writes.empty()) << "reading never writes the card";
    EXPECT_FALSE(card.readOpen);
}

TEST_F(CardImageRead, ImagesPointingWhereTheyShouldNotAreRefused) {
    const auto put32 = [](std::uint32_t sector, std::size_t offset, std::uint32_t value) {
        return [=](test::MemoryCard& c) { card::PutBe32(c.sector(sector), offset, value); };
    };
    const auto put8 = [](std::uint32_t sector, std::size_t offset, std::uint8_t value) {
        return [=](test::MemoryCard& c) { c.sector(sector)[offset] = value; };
    };
    const auto fill = [](std::uint32_t sector, std::size_t offset, std::size_t n) {
        return [=](test::MemoryCard& c) {
            std::fill_n(c.sector(sector).begin() + static_cast<std::ptrdiff_t>(offset), n, 'X');
        };
    };
    struct Case {
        const char* what;
        std::function<void(test::MemoryCard&)> damage;
        int restored; // devices left in the project
    };
    const Case cases[] = {
        {"project header past the card", put32(0, 7, 64), 0},
        {"project header at sector 0", put32(0, 7, 0), 0},
        {"image larger than the card", put32(h, 6, 65), 0},
        {"no devices", put8(h, 5, 0), 0},
        {"17 devices", put8(h, 5, 17), 0},
        {"active device past the devices", put8(h, 4, 2), 0},
        {"vendor without terminator", fill(h + 1, 0, 5), 0},
        {"device name without terminator", fill(secondEntry, 5, 25), 1},
        {"package without terminator", fill(h + 1, 30, 10), 0},
        {"no data sets", put8(secondEntry, 40, 0), 1},
        {"17 data sets", put8(secondEntry, 40, 17), 1},
        {"selected data set past the data sets", put8(secondEntry, 41, 1), 1},
        {"data-set header past the image", put32(secondEntry, 42, 63), 1},
        {"data-set header inside the directory", put32(secondEntry, 42, h), 1},
        {"data-set name without terminator", fill(secondHeader, 0, 17), 1},
        {"memory A count unlike the device", put32(secondHeader, 51, 1), 1},
        {"memory A past the image", put32(secondHeader, 31, 0xFFFFFFF0), 1},
        {"memory B missing", put32(secondHeader, 55, 0), 1},
        {"memory C where the device has none", put32(secondHeader, 59, 1), 1},
        {"device not in the catalogue", put8(secondEntry, 5, 'Z'), 1},
    };
    const std::vector<std::uint8_t> good = card.image;
    for (const Case& c : cases) {
        card.image = good;
        c.damage(card);
        const std::vector<std::uint8_t> damaged = card.image;
        log.clear();
        TProject into;
        into.SetSwapPath(test::qpath(swapDir.path()));
        const Result result = read(into);
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_EQ(result.message, "Could not read project.") << c.what;
        EXPECT_EQ(into.DeviceCount, c.restored) << c.what;
        EXPECT_EQ(swapFiles(), 2u * static_cast<std::size_t>(c.restored))
            << c.what << ": only the restored device's option and swap files remain";
        EXPECT_EQ(card.image, damaged) << c.what;
        EXPECT_FALSE(card.readOpen) << c.what;
        EXPECT_FALSE(card.unterminatedSearch) << c.what;
        into.CloseAll(true);
    }
}

TEST_F(CardImageRead, LibraryFailuresEndTheRead) {
    card.bufferInfoOk = false;
    card.libraryMessages = {"No memory description."};
    Result result = read(project);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.isEmpty()) << "the library's messages are the report";
    EXPECT_EQ(log,
              (std::vector<std::pair<LogKind, std::string>>{{lkPlain, "No memory description."}}));
    EXPECT_EQ(project.DeviceCount, 0);

    card.bufferInfoOk = true;
    for (bool* fault : {&card.identifyOk, &card.readOk}) {
        *fault = false;
        result = read(project);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.message, "Could not read project.");
        EXPECT_EQ(project.DeviceCount, 0);
        *fault = true;
    }
}

} // namespace
} // namespace zelmo
