#include "common/temp_dir.h"
#include "platform/file_io.h"

#include <gtest/gtest.h>

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

TEST(FileIo, AtomicReplaceKeepsOldFileWhenFolderIsReadOnly) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root ignores folder permissions";
    }
    TempDir dir;
    ASSERT_TRUE(test::writeFile(dir / "doc", "old"));
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_FALSE(platform::replaceFileAtomically(dir / "doc", bytesOf("new")));
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(test::readFile(dir / "doc"), "old");
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
