#include "common/temp_dir.h"
#include "project/buffer_fill.h"

#include <gtest/gtest.h>

using namespace zelmo;
using zelmo::test::TempDir;

TEST(BufferFill, FillsExactlyTheRangeOfEveryFile) {
    TempDir dir;
    platform::File a = platform::File::open(dir / "a", platform::OpenMode::ReadWriteCreate);
    platform::File b = platform::File::open(dir / "b", platform::OpenMode::ReadWriteCreate);
    ASSERT_TRUE(a.isOpen() && b.isOpen());
    const std::uint64_t length = 3 * 65536 + 100; // several pieces and a short one
    const std::string zeros(length + 20, '\0');
    for (platform::File* f : {&a, &b}) {
        ASSERT_TRUE(f->writeAt(
            0, std::span(reinterpret_cast<const std::uint8_t*>(zeros.data()), zeros.size())));
    }
    Progress progress;
    platform::File* const files[] = {&a, nullptr, &b};
    EXPECT_EQ(FillFileRange(files, 10, length, 0xFF, &progress), FillStatus::Done);
    EXPECT_EQ(progress.percent(), 100);
    for (const char* name : {"a", "b"}) {
        const std::string bytes = zelmo::test::readFile(dir / name);
        ASSERT_EQ(bytes.size(), length + 20);
        EXPECT_EQ(bytes.substr(0, 10), std::string(10, '\0'));
        EXPECT_EQ(bytes.substr(10, length), std::string(length, '\xFF'));
        EXPECT_EQ(bytes.substr(10 + length), std::string(10, '\0'));
    }
}

TEST(BufferFill, ProducedPiecesKnowTheirOffset) {
    TempDir dir;
    platform::File f = platform::File::open(dir / "p", platform::OpenMode::ReadWriteCreate);
    platform::File* const files[] = {&f};
    const std::uint64_t length = 65536 + 3;
    ASSERT_EQ(WriteFileRange(files, 0, length,
                             [](std::span<std::uint8_t> piece, std::uint64_t offset) {
                                 for (std::size_t i = 0; i < piece.size(); ++i) {
                                     piece[i] = static_cast<std::uint8_t>((offset + i) % 251);
                                 }
                             }),
              FillStatus::Done);
    const std::string bytes = zelmo::test::readFile(dir / "p");
    ASSERT_EQ(bytes.size(), length);
    for (std::uint64_t i : {0ull, 250ull, 251ull, 65535ull, 65536ull, 65538ull}) {
        EXPECT_EQ(static_cast<std::uint8_t>(bytes[i]), i % 251) << i;
    }
}

TEST(BufferFill, CancelAndFailureStopTheFill) {
    TempDir dir;
    platform::File f = platform::File::open(dir / "c", platform::OpenMode::ReadWriteCreate);
    Progress cancelled;
    cancelled.requestCancel();
    EXPECT_EQ(FillFileRange(f, 0, 1 << 20, 0xFF, &cancelled), FillStatus::Cancelled);
    EXPECT_EQ(f.size(), 0);

    platform::File readOnly = platform::File::open(dir / "c", platform::OpenMode::Read);
    EXPECT_EQ(FillFileRange(readOnly, 0, 10, 0xFF), FillStatus::Failed);
    EXPECT_EQ(FillFileRange(readOnly, 0, 0, 0xFF), FillStatus::Done); // nothing to write
}
