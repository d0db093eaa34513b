#include "common/temp_dir.h"
#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Pipes and devices never answer like files: a pipe blocks the reader, /dev/zero never ends.
TEST(FileIo, OpenRefusesWhatIsNotARegularFile) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    // A writer keeps the pipe open, so that even an open that waits for one returns.
    const int writer = ::open((dir / "pipe").c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    for (const std::filesystem::path& p : {dir / "pipe", std::filesystem::path("/dev/zero")}) {
        for (auto mode : {platform::OpenMode::Read, platform::OpenMode::ReadWrite,
                          platform::OpenMode::ReadWriteCreate}) {
            const platform::File f = platform::File::open(p, mode);
            EXPECT_FALSE(f.isOpen()) << p;
            EXPECT_EQ(f.error(), platform::kNotRegularFile) << p;
        }
    }
    ::close(writer);
    EXPECT_EQ(platform::File::open(dir.path(), platform::OpenMode::Read).error(), EISDIR);
    EXPECT_EQ(platform::File::open(dir / "none", platform::OpenMode::Read).error(), ENOENT);
    EXPECT_EQ(platform::errorText(platform::kNotRegularFile), "Not a regular file");
    EXPECT_EQ(platform::errorText(ENOSPC), "No space left on device");
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

namespace {
std::size_t entries(const std::filesystem::path& dir) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                  std::filesystem::directory_iterator()));
}
} // namespace

// The file replaced keeps its place and its permissions: a symbolic link stays a link and its
// target takes the new contents; the folder holds no temporary afterwards.
TEST(ReplacementFile, ReplacesTheLinkTargetWithItsPermissions) {
    TempDir dir;
    std::filesystem::create_directory(dir / "real");
    ASSERT_TRUE(test::writeFile(dir / "real" / "data", "old"));
    ::chmod((dir / "real" / "data").c_str(), 0640);
    std::filesystem::create_symlink("real/data", dir / "link");
    std::filesystem::create_symlink("link", dir / "link2");

    auto out = platform::ReplacementFile::create(dir / "link2");
    ASSERT_TRUE(out.isOpen()) << platform::errorText(out.error());
    ASSERT_TRUE(out.write(3, bytesOf("def")));
    ASSERT_TRUE(out.write(0, bytesOf("abc")));
    EXPECT_EQ(test::readFile(dir / "real" / "data"), "old") << "untouched until commit";
    ASSERT_TRUE(out.commit());

    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link2"));
    EXPECT_EQ(test::readFile(dir / "real" / "data"), "abcdef");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "real" / "data").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    struct stat written {};
    ASSERT_EQ(::fstat(out.file().fd(), &written), 0);
    EXPECT_EQ(written.st_ino, st.st_ino) << "file() is the new file";
    EXPECT_EQ(entries(dir / "real"), 1u);
    EXPECT_EQ(entries(dir.path()), 3u);
}

TEST(ReplacementFile, AnUncommittedOrRefusedReplacementLeavesNoTrace) {
    TempDir dir;
    ASSERT_TRUE(test::writeFile(dir / "data", "old"));
    {
        auto out = platform::ReplacementFile::create(dir / "data");
        ASSERT_TRUE(out.write(0, bytesOf("new")));
        EXPECT_EQ(entries(dir.path()), 2u);
    }
    EXPECT_EQ(test::readFile(dir / "data"), "old");
    EXPECT_EQ(entries(dir.path()), 1u);

    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    struct Case {
        std::filesystem::path target;
        int error;
    };
    for (const Case& c : {Case{dir.path(), EISDIR}, Case{dir / "pipe", platform::kNotRegularFile},
                          Case{dir / "data" / "x", ENOTDIR}, Case{dir / "none" / "x", ENOENT},
                          Case{dir / std::string(250, 'n'), ENAMETOOLONG}}) {
        auto out = platform::ReplacementFile::create(c.target);
        EXPECT_EQ(out.isOpen(), c.error == 0) << c.target;
        EXPECT_EQ(out.error(), c.error) << c.target;
    }
    EXPECT_EQ(entries(dir.path()), 2u);
}
