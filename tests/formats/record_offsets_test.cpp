// Intel HEX and S-record place the same image at the same buffer bytes, whatever the file and
// buffer offsets: a byte whose address lies before the file offset is dropped by both.

#include "formats/intel_hex.h"
#include "formats/srecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmo::formats {
namespace {

struct Load {
    bool ok;
    std::string count; // the byte count at the start of the message
    bool truncated;
    std::vector<std::uint8_t> memory;
};

template <typename Read>
Load load(Read read, const std::string& text, std::int64_t bufferOffset, std::int64_t fileOffset) {
    Load l;
    l.memory.assign(0x60, 0xEE);
    const std::vector<std::span<std::uint8_t>> targets{l.memory};
    const RecordLoadResult r = read(text, targets, {l.memory.size(), bufferOffset, fileOffset});
    const std::string message = r.message.toStdString();
    l.ok = r.ok;
    l.count = message.substr(0, message.find(' '));
    l.truncated = message.ends_with("Redundant bytes truncated.");
    EXPECT_EQ(l.count, std::to_string(r.stored));
    EXPECT_EQ(l.truncated, r.truncated);
    return l;
}

TEST(RecordOffsets, IntelHexAndSRecordAgree) {
    // 40 data bytes at addresses 0x10 to 0x37, written by both writers.
    std::vector<std::uint8_t> image(0x38, 0xFF);
    for (std::size_t i = 0x10; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i);
    }
    StringOutput hex, srec;
    writeIntelHex(image, true, hex.out());
    writeSRecord(image, true, srec.out());

    struct Offsets {
        std::int64_t file, buffer;
    };
    for (const Offsets o :
         {Offsets{0, 0}, Offsets{0x18, 0}, Offsets{0x18, 0x10}, Offsets{0x14, 0x40},
          Offsets{0, 0x30}, Offsets{0x40, 0x04}, Offsets{0x37, 0x5F}}) {
        const Load h = load(readIntelHex, hex.text(), o.buffer, o.file);
        const Load s = load(readSRecord, srec.text(), o.buffer, o.file);
        const std::string at =
            "file offset " + std::to_string(o.file) + ", buffer offset " + std::to_string(o.buffer);
        ASSERT_TRUE(h.ok && s.ok) << at;
        EXPECT_EQ(h.memory, s.memory) << at;
        EXPECT_EQ(h.count, s.count) << at;
        EXPECT_EQ(h.truncated, s.truncated) << at;
        // Nothing lands below the buffer offset.
        for (std::int64_t i = 0; i < o.buffer; ++i) {
            EXPECT_EQ(h.memory[static_cast<std::size_t>(i)], 0xEE) << at << ", byte " << i;
        }
    }
}

} // namespace
} // namespace zelmo::formats
