// The CompactFlash card: sectors written are read back, the identification block carries the
// capacity, texts and LBA bit where the ATA layout puts them, and failures are reported.
#include "hardware_library.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zelmo::test {
namespace {

std::uint16_t word(const std::uint8_t* block, int n) {
    return static_cast<std::uint16_t>(block[2 * n] | block[2 * n + 1] << 8);
}

std::string ataText(const std::uint8_t* block, int first, int words) {
    std::string out;
    for (int i = 0; i < words; ++i) {
        out += static_cast<char>(word(block, first + i) >> 8);
        out += static_cast<char>(word(block, first + i) & 0xFF);
    }
    return out;
}

TEST(HwsimCard, SectorsWrittenAreReadBack) {
    Simulator sim("[programmer 1]\ncard_size = 1M\n");
    ASSERT_TRUE(sim.hw._ZmOpen(1));
    ASSERT_TRUE(sim.hw._ZmCardInserted(1));
    std::vector<std::uint8_t> sector(512);
    EXPECT_FALSE(sim.hw._ZmReadCard(1, 0, 1, sector.data())) << "access not opened";

    ASSERT_TRUE(sim.hw._ZmWriteCard(1 | ZM_CARD_OPEN, 0, 0, nullptr));
    const auto image = pattern(3 * 512, 7);
    ASSERT_TRUE(sim.hw._ZmWriteCard(1, 5, 3, image.data()));
    ASSERT_TRUE(sim.hw._ZmWriteCard(1, 0, 1, image.data()));
    ASSERT_TRUE(sim.hw._ZmWriteCard(1 | ZM_CARD_CLOSE, 0, 0, nullptr));

    ASSERT_TRUE(sim.hw._ZmReadCard(1 | ZM_CARD_OPEN, 0, 0, nullptr));
    std::vector<std::uint8_t> back(4 * 512);
    ASSERT_TRUE(sim.hw._ZmReadCard(1, 4, 4, back.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(back.begin(), back.begin() + 512),
              std::vector<std::uint8_t>(512, 0));
    EXPECT_EQ(std::vector<std::uint8_t>(back.begin() + 512, back.end()), image);
    ASSERT_TRUE(sim.hw._ZmReadCard(1, 0, 1, back.data()));
    EXPECT_EQ(std::memcmp(back.data(), image.data(), 512), 0);
    // The last sector is 2047; nothing beyond the card.
    EXPECT_TRUE(sim.hw._ZmReadCard(1, 2047, 1, back.data()));
    EXPECT_FALSE(sim.hw._ZmReadCard(1, 2047, 2, back.data()));
    EXPECT_FALSE(sim.hw._ZmWriteCard(1, 2048, 1, image.data()));
    ASSERT_TRUE(sim.hw._ZmReadCard(1 | ZM_CARD_CLOSE, 0, 0, nullptr));
}

TEST(HwsimCard, IdentificationBlockFollowsTheAtaLayout) {
    Simulator sim("[programmer 1]\ncard_size = 64M\ncard_serial = SN123\ncard_model = TEST CARD\n");
    ASSERT_TRUE(sim.hw._ZmOpen(1));
    std::uint8_t id[512];
    ASSERT_TRUE(sim.hw._ZmIdentifyCard(1, id));
    const std::uint64_t sectors = (std::uint64_t(word(id, 58)) << 16) | word(id, 57);
    EXPECT_EQ(sectors * 512, 64u * 1048576u);
    EXPECT_EQ(ataText(id, 10, 10), "SN123" + std::string(15, ' '));
    EXPECT_EQ(ataText(id, 27, 20), "TEST CARD" + std::string(31, ' '));
    EXPECT_EQ(ataText(id, 23, 4).substr(0, 6), "ZS1.00");
    EXPECT_NE(word(id, 49) & 0x0200, 0);
    EXPECT_NE(word(id, 82) & 0x3000, 0);

    Simulator noLba("[programmer 1]\ncard_lba = no\ncard_features = 0x0008\n");
    ASSERT_TRUE(noLba.hw._ZmOpen(1));
    ASSERT_TRUE(noLba.hw._ZmIdentifyCard(1, id));
    EXPECT_EQ(word(id, 49) & 0x0200, 0);
    EXPECT_EQ(word(id, 82), 0x0008);
}

TEST(HwsimCard, AbsentCardAndWriteFailure) {
    Simulator absent("[programmer 1]\ncard = no\n");
    ASSERT_TRUE(absent.hw._ZmOpen(1));
    std::uint8_t id[512];
    EXPECT_FALSE(absent.hw._ZmCardInserted(1));
    EXPECT_FALSE(absent.hw._ZmIdentifyCard(1, id));
    EXPECT_FALSE(absent.hw._ZmWriteCard(1 | ZM_CARD_OPEN, 0, 0, nullptr));

    Simulator failing("[programmer 1]\nfail = card_write\n");
    ASSERT_TRUE(failing.hw._ZmOpen(1));
    ASSERT_TRUE(failing.hw._ZmWriteCard(1 | ZM_CARD_OPEN, 0, 0, nullptr));
    const auto bytes = pattern(512, 1);
    EXPECT_FALSE(failing.hw._ZmWriteCard(1, 3, 1, bytes.data()));
    EXPECT_NE(messages(1).joined().find("Card write error at sector 3."), std::string::npos);
    EXPECT_TRUE(failing.hw._ZmReadCard(1, 3, 1, id)) << "reading still works";
}

TEST(HwsimSocket, ScanScriptIsPlayedPollByPoll) {
    Simulator sim("[programmer 1]\nscan = 21; 21,22:accept; -:next; 30:prev\n");
    ASSERT_TRUE(sim.hw._ZmOpen(1));
    ASSERT_TRUE(sim.hw._ZmInitHardware(1, 0));
    ZmSocketState s{};
    EXPECT_FALSE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_POLL, &s)) << "not started";
    // Port 0 means the programmer prepared last.
    ASSERT_TRUE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_START, nullptr));
    const auto sensed = [&] {
        std::vector<int> pins;
        for (int i = 0; i < 48; ++i) {
            if (s.Pins[i] == 0) {
                pins.push_back(i + 1);
            }
        }
        return pins;
    };
    ASSERT_TRUE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_POLL, &s));
    EXPECT_EQ(sensed(), std::vector<int>{21});
    EXPECT_EQ(s.Key, 0);
    ASSERT_TRUE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_POLL | 1, &s));
    EXPECT_EQ(sensed(), (std::vector<int>{21, 22}));
    EXPECT_EQ(s.Key, ZM_KEY_ACCEPT);
    ASSERT_TRUE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_POLL, &s));
    EXPECT_TRUE(sensed().empty());
    EXPECT_EQ(s.Key, ZM_KEY_NEXT);
    ASSERT_TRUE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_POLL, &s));
    EXPECT_EQ(s.Key, ZM_KEY_PREVIOUS);
    ASSERT_TRUE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_POLL, &s));
    EXPECT_TRUE(sensed().empty());
    EXPECT_EQ(s.Key, 0) << "the script has ended";
    ASSERT_TRUE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_STOP, nullptr));
    EXPECT_FALSE(sim.hw._ZmAdapterGetSocket(ZM_SOCKET_POLL, &s));
}

} // namespace
} // namespace zelmo::test
