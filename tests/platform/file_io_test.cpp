#include "common/temp_dir.h"
#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace zelmo;
using zelmo::test::TempDir;

namespace {
std::span<const std::uint8_t> bytesOf(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}
} // namespace

TEST(FileIo, PositionedTransfersBeyondFourGigabytes) {
    TempDir dir;
    auto f = platform::File::open(dir / "big", platform::OpenMode::ReadWriteCreate);
    ASSERT_TRUE(f.isOpen());
    const std::uint64_t far = (std::uint64_t{1} << 32) + 17; // sparse file
    ASSERT_TRUE(f.writeAt(far, bytesOf("xyz")));
    EXPECT_EQ(f.size(), static_cast<std::int64_t>(far + 3));
    std::array<std::uint8_t, 3> back{};
    ASSERT_TRUE(f.readAt(far, back));
    EXPECT_EQ(back[0], 'x');
    EXPECT_EQ(back[2], 'z');
    // A read past the end is refused instead of returning short data.
    EXPECT_FALSE(f.readAt(far + 1, back));
}

TEST(FileIo, OpenRefusesMissingFilesAndFolders) {
    TempDir dir;
    EXPECT_FALSE(platform::File::open(dir / "missing", platform::OpenMode::ReadWrite).isOpen());
    EXPECT_FALSE(platform::File::open(dir.path(), platform::OpenMode::Read).isOpen());
}

TEST(FileIo, MappingSeesAndChangesFileBytes) {
    TempDir dir;
    ASSERT_TRUE(test::writeFile(dir / "m", "hello"));
    auto f = platform::File::open(dir / "m", platform::OpenMode::ReadWrite);
    {
        auto map = platform::Mapping::map(f.fd(), 5, true);
        ASSERT_TRUE(map.valid());
        EXPECT_EQ(map.bytes()[1], 'e');
        map.bytes()[0] = 'j';
    }
    EXPECT_EQ(test::readFile(dir / "m"), "jello");
    auto empty = platform::Mapping::map(f.fd(), 0, false);
    EXPECT_TRUE(empty.valid());
    EXPECT_TRUE(empty.bytes().empty());
}

TEST(FileIo, AtomicReplaceKeepsOldFileWhenTheDiskIsFull) {
    TempDir dir;
    ASSERT_TRUE(test::writeFile(dir / "doc", "old"));
    // A file-size limit fails the write part-way, as a full disk does (even for root).
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::vector<std::uint8_t> big(8192, 0x55);
    const bool replaced = platform::replaceFileAtomically(dir / "doc", big);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(test::readFile(dir / "doc"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(FileIo, AtomicReplaceAndCopyLeaveNoTemporaries) {
    TempDir dir;
    ASSERT_TRUE(test::writeFile(dir / "doc", "old"));
    ASSERT_TRUE(platform::replaceFileAtomically(dir / "doc", bytesOf("new contents")));
    EXPECT_EQ(test::readFile(dir / "doc"), "new contents");
    ASSERT_TRUE(platform::copyFileAtomically(dir / "doc", dir / "copy"));
    EXPECT_EQ(test::readFile(dir / "copy"), "new contents");
    EXPECT_FALSE(platform::copyFileAtomically(dir / "absent", dir / "copy"));
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) {
        ++files;
    }
    EXPECT_EQ(files, 2);
}
