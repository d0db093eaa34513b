#include "catalogue/pin_check_view_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace zelmo {
namespace {

using Record = std::array<std::uint8_t, kPinCheckRecordSize>;
using Image = std::array<std::uint8_t, kAdapterImageSize>;

Record Letters(char kind, const std::string& letters) {
    Record r{};
    r[0] = static_cast<std::uint8_t>(kind);
    for (std::size_t i = 0; i < letters.size() && i < 48; ++i) {
        r[i + 1] = static_cast<std::uint8_t>(letters[i]);
    }
    return r;
}

// An adapter of N plug pins whose socket pin s is wired to chip pins `wiring[s]`.
Image Adapter(int n, const std::vector<std::pair<int, std::vector<std::uint8_t>>>& wiring) {
    AdapterImage a{};
    std::memcpy(a.Signature, "ADP", 3);
    a.AdapterPinCount = static_cast<std::uint8_t>(n);
    a.DevicePinCount = 40;
    for (const auto& [socketPin, pins] : wiring) {
        for (std::size_t i = 0; i < pins.size(); ++i) {
            a.Pins[socketPin - 1][i] = pins[i];
        }
    }
    Image image{};
    std::memcpy(image.data(), &a, kAdapterImageSize);
    return image;
}

TEST(PinCheckView, FortyPinAdapterLabelsAndPictures) {
    // Plug pins 1 to 40 on socket pins 5 to 44, chip pin k on plug pin k; socket pin 6 is wired
    // to two chip pins and shows the first.
    std::vector<std::pair<int, std::vector<std::uint8_t>>> wiring;
    for (int k = 1; k <= 40; ++k) {
        wiring.push_back({k + 4, {static_cast<std::uint8_t>(k)}});
    }
    wiring[1].second = {2, 17};
    std::string letters(48, 'C');
    letters[6 - 1] = 'U';
    letters[20 - 1] = 'G';
    letters[30 - 1] = '.';
    letters[31 - 1] = 'X';
    const auto looks = SocketPinLooks(Letters('S', letters), Adapter(40, wiring));

    for (int s = 1; s <= 48; ++s) {
        const SocketPinLook& look = looks[static_cast<std::size_t>(s - 1)];
        EXPECT_EQ(look.PlugPin, s >= 5 && s <= 44 ? s - 4 : 0) << s;
        EXPECT_EQ(look.Right, s > 24) << s;
        EXPECT_EQ(look.Row, s <= 24 ? s - 1 : 48 - s) << s;
        EXPECT_EQ(look.NumberX, s <= 24 ? 4 : 30) << s;
    }
    struct Case {
        int socketPin;
        PinPicture picture;
        const char* number;
    };
    const Case cases[] = {
        {1, PinPicture::Neutral, ""},      // not wired
        {5, PinPicture::Connected, "1"},   //
        {6, PinPicture::Unconnected, "2"}, // the first of its two chip pins
        {20, PinPicture::Ground, "16"},    //
        {30, PinPicture::Neutral, ""},     // "." draws no number
        {31, PinPicture::None, ""},        // an unknown letter draws nothing
        {44, PinPicture::Connected, "40"}, //
        {48, PinPicture::Neutral, ""},
    };
    for (const Case& c : cases) {
        const SocketPinLook& look = looks[static_cast<std::size_t>(c.socketPin - 1)];
        EXPECT_EQ(look.Picture, c.picture) << c.socketPin;
        EXPECT_EQ(look.Number, QString::fromLatin1(c.number)) << c.socketPin;
    }
}

TEST(PinCheckView, WithoutAdapterWiringEveryPinIsNeutralAndUnlabelled) {
    for (const Image& image : {Image{}, Adapter(0, {})}) {
        const auto looks = SocketPinLooks(Letters('S', std::string(48, 'U')), image);
        for (const SocketPinLook& look : looks) {
            EXPECT_EQ(look.Picture, PinPicture::Neutral) << look.SocketPin;
            EXPECT_TRUE(look.Number.isEmpty());
            EXPECT_EQ(look.PlugPin, 0);
        }
    }
    // With N = 48 every label is shown.
    const auto all = SocketPinLooks(Letters('S', ""), Adapter(48, {}));
    for (const SocketPinLook& look : all) {
        EXPECT_EQ(look.PlugPin, look.SocketPin);
    }
}

TEST(PinCheckView, InCircuitTexts) {
    const Record record = Letters('I', "CUG.xC");
    EXPECT_TRUE(IsInCircuitResult(record));
    EXPECT_FALSE(IsInCircuitResult(Letters('S', "CUG")));
    const auto looks = InCircuitLooks(record);
    const char* texts[] = {"Connected",  "Not connected!", "Not tested",
                           "Not tested", "Not tested",     "Connected"};
    for (int i = 0; i < kIcpSignals; ++i) {
        const SignalLook& look = looks[static_cast<std::size_t>(i)];
        EXPECT_EQ(look.Name, QStringLiteral("S%1").arg(i));
        EXPECT_EQ(look.Text, QString::fromLatin1(texts[i])) << i;
    }
    EXPECT_EQ(looks[0].Background[1], 128);
    EXPECT_TRUE(looks[0].WhiteBold);
    EXPECT_EQ(looks[1].Background[0], 255);
    EXPECT_EQ(looks[1].Background[1], 0);
    EXPECT_FALSE(looks[2].WhiteBold);
    EXPECT_EQ(looks[2].Background[0], 222);
    EXPECT_EQ(looks[2].Background[2], 156);
}

} // namespace
} // namespace zelmo
