// Reads arbitrary bytes as the card of a programmer into an empty project, through the
// in-memory card and a two-device catalogue. Whatever the image says, the reader must neither
// crash nor write the card, and closing the project must leave the swap folder empty: nothing
// was written outside the swap and option files the reader created.

#include "card/memory_card.h"
#include "persistence/card/portable.h"
#include "project/device_descriptor.h"
#include "project/project.h"

#include <QDir>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

using namespace zelmo;

namespace {

constexpr std::size_t kMaxSectors = 256;

DeviceDescriptor device(const char* name, std::array<std::uint32_t, 5> sizes) {
    DeviceDescriptor d{};
    d.Type = DT_FLASH;
    SetFieldText(d.Vendor, "TST");
    SetFieldText(d.Name, name);
    SetFieldText(d.Package, "DIP8");
    for (int m = 0; m < 5; ++m) {
        d.MemSize[m] = sizes[static_cast<std::size_t>(m)];
    }
    return d;
}

// The swap folder of this run, removed when the fuzzer exits.
struct SwapFolder {
    SwapFolder() {
        path = QDir::tempPath().toStdString();
        path /= "card_image_fuzz_" + std::to_string(::getpid());
        std::filesystem::create_directories(path);
    }
    ~SwapFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

const std::filesystem::path& swapFolder() {
    static const SwapFolder folder;
    return folder.path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t sectors = std::min(kMaxSectors, card::SectorsFor(size));
    test::MemoryCard card(static_cast<std::uint32_t>(sectors), 0xFF);
    std::copy_n(data, std::min(size, card.image.size()), card.image.begin());
    const std::vector<std::uint8_t> before = card.image;
    card.catalogue = {device("CHIP", {1000, 0, 0, 3, 16}), device("SECOND", {600, 64, 0, 0, 0})};

    TProject project;
    project.SetSwapPath(QString::fromStdString(swapFolder().string()));
    card::CardContext context;
    context.Library = &card;
    context.AppDir = QStringLiteral("/nonexistent/");
    card::CPortable portable(context);
    (void)portable.Read(project, 1);

    if (project.DeviceCount < 0 || project.DeviceCount > kMaxDevices || card.image != before ||
        !card.writes.empty() || card.readOpen || card.unterminatedSearch) {
        std::abort();
    }
    for (int d = 0; d < project.DeviceCount; ++d) {
        const CDevice& entry = *project.Devices[static_cast<std::size_t>(d)];
        if (entry.DataSetCount < 1 || entry.SelectedDataSet < 0 ||
            entry.SelectedDataSet >= entry.DataSetCount) {
            std::abort();
        }
        for (int j = 0; j < entry.DataSetCount; ++j) {
            const CDataSet& ds = *entry.DataSets[static_cast<std::size_t>(j)];
            if (ds.SwapFile.size() != static_cast<std::int64_t>(ds.TotalSize)) {
                std::abort(); // a kept data set holds every byte of its memories
            }
        }
    }
    project.CloseAll(true);
    if (std::filesystem::directory_iterator(swapFolder()) !=
        std::filesystem::directory_iterator()) {
        std::abort();
    }
    return 0;
}
