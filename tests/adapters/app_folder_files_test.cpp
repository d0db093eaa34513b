// Adapter files and vendor logos come from folders anyone may have put anything into: a FIFO or
// a device file there is refused at once instead of blocking the program.

#include "catalogue/adapter_file.h"
#include "catalogue/catalogue_assets.h"

#include "common/fifo.h"
#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace zelmo {
namespace {

using test::returnsPromptly;

TEST(AppFolderFiles, FifoAndDeviceFilesAreRefusedWithoutBlocking) {
    test::TempDir dir;
    const std::filesystem::path fifo = dir / "fifo.adp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const QString fifoPath = QString::fromStdString(fifo.string());

    std::array<std::uint8_t, kAdapterImageSize> image{};
    image[0] = 0x5A;
    EXPECT_EQ(returnsPromptly(fifo, [&] { return readAdapterFile(fifoPath, image); }),
              AdapterReadResult::Unreadable);
    EXPECT_EQ(image[0], 0x5A) << "a refused file leaves the image alone";
    EXPECT_TRUE(returnsPromptly(fifo, [&] { return ReadLogoFile(fifoPath); }).isEmpty());

    for (const char* device : {"/dev/zero", "/dev/null"}) {
        EXPECT_EQ(readAdapterFile(device, image), AdapterReadResult::Unreadable) << device;
        EXPECT_TRUE(ReadLogoFile(device).isEmpty()) << device;
    }
}

TEST(AppFolderFiles, LogoBytesOfARegularFileOrALinkToOne) {
    test::TempDir dir;
    const std::string bitmap = "BM" + std::string(3000, '\x7F');
    ASSERT_TRUE(test::writeFile(dir / "ATM.bmp", bitmap));
    std::filesystem::create_symlink(dir / "ATM.bmp", dir / "LNK.bmp");
    for (const char* name : {"ATM.bmp", "LNK.bmp"}) {
        const QByteArray bytes = ReadLogoFile(QString::fromStdString((dir / name).string()));
        EXPECT_EQ(bytes.toStdString(), bitmap) << name;
    }
    EXPECT_TRUE(ReadLogoFile(QString::fromStdString((dir / "missing.bmp").string())).isEmpty());
    EXPECT_TRUE(ReadLogoFile(QString::fromStdString(dir.path().string())).isEmpty());
    EXPECT_TRUE(ReadLogoFile({}).isEmpty());
}

} // namespace
} // namespace zelmo
