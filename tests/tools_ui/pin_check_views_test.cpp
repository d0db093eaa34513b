#include "catalogue/ui/pin_check_views.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>

namespace zelmo {
namespace {

using Record = std::array<std::uint8_t, kPinCheckRecordSize>;
using Image = std::array<std::uint8_t, kAdapterImageSize>;

Record Letters(char kind, const char* letters) {
    Record r{};
    r[0] = static_cast<std::uint8_t>(kind);
    std::memcpy(r.data() + 1, letters, std::min<std::size_t>(std::strlen(letters), 48));
    return r;
}

// A 40-pin adapter with chip pin k on plug pin k (socket pin k + 4).
Image FortyPinAdapter() {
    AdapterImage a{};
    std::memcpy(a.Signature, "ADP", 3);
    a.AdapterPinCount = 40;
    a.DevicePinCount = 40;
    for (int k = 1; k <= 40; ++k) {
        a.Pins[k + 3][0] = static_cast<std::uint8_t>(k);
    }
    Image image{};
    std::memcpy(image.data(), &a, kAdapterImageSize);
    return image;
}

TEST(PinCheckViews, SocketViewForAFortyPinAdapter) {
    const Record record = Letters('S', "....CUCCCCCCCCCCCCCCCGCCCCCCCCCCCCCCCCCCCCCCCC....");
    const Image adapter = FortyPinAdapter();
    TfPinCheck48 view(record, adapter);
    view.show();
    EXPECT_EQ(view.windowTitle(), "Pin contact check");
    for (int s = 1; s <= 48; ++s) {
        const QLabel* plug = view.lPlugPin[static_cast<std::size_t>(s - 1)];
        EXPECT_EQ(plug->isVisible(), s >= 5 && s <= 44) << s;
        if (s >= 5 && s <= 44) {
            EXPECT_EQ(plug->text(), QString::number(s - 4)) << s;
        }
    }
    EXPECT_EQ(view.Looks()[5].Picture, PinPicture::Unconnected);
    EXPECT_EQ(view.Looks()[5].Number, "2");
    EXPECT_EQ(view.Looks()[21].Picture, PinPicture::Ground);
    EXPECT_EQ(view.Looks()[0].Picture, PinPicture::Neutral);

    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(view.isVisible());
}

TEST(PinCheckViews, InCircuitViewTexts) {
    TfPinCheckICP view(Letters('I', "CUG.C?"));
    view.show();
    EXPECT_EQ(view.windowTitle(), "Pin contact check");
    const char* texts[] = {"Connected",  "Not connected!", "Not tested",
                           "Not tested", "Connected",      "Not tested"};
    for (int i = 0; i < kIcpSignals; ++i) {
        const QLabel* field = view.lSignal[static_cast<std::size_t>(i)];
        EXPECT_EQ(field->text(), QString::fromLatin1(texts[i])) << i;
    }
    EXPECT_EQ(view.lSignal[0]->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(view.lSignal[1]->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(view.lSignal[2]->palette().color(QPalette::Window), QColor(222, 219, 156));
    EXPECT_TRUE(view.lSignal[1]->font().bold());
    EXPECT_FALSE(view.lSignal[2]->font().bold());
    view.bCancel->click();
    EXPECT_FALSE(view.isVisible());
}

} // namespace
} // namespace zelmo
