#include "catalogue/adapter_file.h"
#include "catalogue/adapter_layout.h"

#include "common/temp_dir.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace zelmo {
namespace {

std::array<QString, kZifPins> fieldsFor(int adapterPins,
                                        std::initializer_list<std::pair<int, QString>> plug) {
    std::array<QString, kZifPins> fields;
    const AdapterLayout layout = adapterLayout(adapterPins);
    for (const auto& [plugPin, text] : plug) {
        fields[static_cast<std::size_t>(layout.SocketPin(plugPin) - 1)] = text;
    }
    return fields;
}

std::string asString(const std::array<std::uint8_t, kAdapterImageSize>& image) {
    return std::string(reinterpret_cast<const char*>(image.data()), image.size());
}

TEST(AdapterLayout, PlugSitsAtTheBottomOfTheSocket) {
    struct Case {
        int n, first, last;
    };
    for (const Case c : {Case{40, 5, 44}, Case{48, 1, 48}, Case{6, 22, 27}}) {
        const AdapterLayout l = adapterLayout(c.n);
        EXPECT_EQ(l.FirstSocketPin, c.first) << c.n;
        EXPECT_EQ(l.LastSocketPin, c.last) << c.n;
        EXPECT_FALSE(l.Used(c.first - 1));
        EXPECT_FALSE(l.Used(c.last + 1));
        EXPECT_EQ(l.PlugPin(c.first), 1);
        EXPECT_EQ(l.PlugPin(c.last), c.n);
    }
    for (int bad : {0, 4, 7, 50}) {
        EXPECT_FALSE(validAdapterPinCount(bad));
        EXPECT_FALSE(adapterLayout(bad).Used(24));
    }
}

TEST(AdapterImage, BuiltFromFieldTexts) {
    // "." is turned into "," while typing, so the field holds a list; items that are not
    // numbers become 0.
    const auto fields = fieldsFor(40, {{1, " 1,2 "}, {2, "40"}, {3, "x,3"}});
    const auto bytes = buildAdapterImage(40, 40, fields);
    AdapterImage image;
    std::memcpy(&image, bytes.data(), sizeof image);
    EXPECT_EQ(std::string(image.Signature, 3), "ADP");
    EXPECT_EQ(image.AdapterPinCount, 40);
    EXPECT_EQ(image.DevicePinCount, 40);
    EXPECT_EQ(adapterEntryText(image, 4), "1,2"); // plug pin 1 = socket pin 5
    EXPECT_EQ(adapterEntryText(image, 5), "40");
    EXPECT_EQ(image.Pins[6][0], 0); // "x" became 0, which ends the entry
    EXPECT_EQ(image.Pins[6][1], 3);
    EXPECT_EQ(image.Pins[7][0], 0); // empty field
    EXPECT_EQ(classifyAdapterBytes(bytes), AdapterReadResult::Valid);
}

TEST(AdapterImage, ValidationRefusesEmptyTooHighAndOverlongFields) {
    EXPECT_FALSE(validateAdapterFields(fieldsFor(40, {}), 40, 40).Valid);
    const auto high = validateAdapterFields(fieldsFor(40, {{1, "1"}, {3, "2,41"}}), 40, 40);
    EXPECT_FALSE(high.Valid);
    EXPECT_EQ(high.BadFields, std::vector<int>{6});
    // 0 and items that are not numbers pass; a free field is not looked at.
    std::array<QString, kZifPins> free = fieldsFor(40, {{1, "0,abc,40"}});
    free[0] = "99";
    EXPECT_TRUE(validateAdapterFields(free, 40, 40).Valid);
    // A number too large to convert is still a number above the pin count, not a 0 that would
    // silently end the entry.
    for (const char* huge : {"99999999999", "4294967296", "1,18446744073709551616"}) {
        const auto overflow = validateAdapterFields(fieldsFor(40, {{1, "1"}, {2, huge}}), 40, 40);
        EXPECT_FALSE(overflow.Valid) << huge;
        EXPECT_EQ(overflow.BadFields, std::vector<int>{5}) << huge;
    }

    QStringList many;
    for (int i = 0; i < 49; ++i) {
        many << "1";
    }
    const auto overlong = validateAdapterFields(fieldsFor(48, {{1, many.join(",")}}), 48, 8);
    EXPECT_FALSE(overlong.Valid);
    EXPECT_EQ(overlong.BadFields, std::vector<int>{0});
}

class AdapterFiles : public ::testing::Test {
protected:
    QString path(const std::string& name) const {
        return QString::fromStdString((dir_ / name).string());
    }
    test::TempDir dir_;
    std::array<std::uint8_t, kAdapterImageSize> image_ =
        buildAdapterImage(8, 8, fieldsFor(8, {{1, "1"}, {8, "8"}}));
};

TEST_F(AdapterFiles, ThreeReadResults) {
    const std::string good = asString(image_);
    struct Case {
        std::string name, bytes;
        AdapterReadResult result;
    };
    std::string changed = good;
    changed[100] = 7; // one byte outside the checksum
    std::string lower = good;
    lower[2] = 'p';
    lower[kAdapterImageSize - 1] = static_cast<char>(lower[kAdapterImageSize - 1] + ('p' - 'P'));
    const Case cases[] = {
        {"good.adp", good, AdapterReadResult::Valid},
        {"short.adp", good.substr(0, 2309), AdapterReadResult::Unreadable},
        {"long.adp", good + '\0', AdapterReadResult::Unreadable},
        {"lower.adp", lower, AdapterReadResult::Unreadable},
        {"changed.adp", changed, AdapterReadResult::BadChecksum},
        {"empty.adp", "", AdapterReadResult::Unreadable},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(test::writeFile(dir_ / c.name, c.bytes));
        std::array<std::uint8_t, kAdapterImageSize> read{};
        EXPECT_EQ(readAdapterFile(path(c.name), read), c.result) << c.name;
        if (c.result != AdapterReadResult::Unreadable) {
            EXPECT_EQ(asString(read), c.bytes) << c.name;
        }
    }
    std::array<std::uint8_t, kAdapterImageSize> read{};
    EXPECT_EQ(readAdapterFile(path("missing.adp"), read), AdapterReadResult::Unreadable);
    EXPECT_EQ(readAdapterFile(QString::fromStdString(dir_.path().string()), read),
              AdapterReadResult::Unreadable);
}

TEST_F(AdapterFiles, WriteReplacesTheFileAndReportsFailure) {
    ASSERT_TRUE(test::writeFile(dir_ / "a.adp", "old contents"));
    ASSERT_TRUE(writeAdapterFile(path("a.adp"), image_));
    EXPECT_EQ(test::readFile(dir_ / "a.adp"), asString(image_));
    QString message;
    EXPECT_FALSE(writeAdapterFile(path("no/such/folder/a.adp"), image_, &message));
    EXPECT_EQ(message, "Could not write adapter file.");
}

TEST_F(AdapterFiles, GenericAdapterForAPackage) {
    // A 6-pin package on a 6-pin plug, pin k to plug pin k, and a second chip pin on plug pin 3.
    const std::vector<std::vector<std::uint8_t>> wiring = {{1}, {2}, {3, 4}, {4}, {5}, {6}};
    QString message;
    ASSERT_TRUE(writeGenericAdapter(QString::fromStdString(dir_.path().string()), "SOT23-6", 6, 6,
                                    wiring, &message))
        << message.toStdString();
    std::array<std::uint8_t, kAdapterImageSize> read{};
    ASSERT_EQ(readAdapterFile(path("SOT23-6.adp"), read), AdapterReadResult::Valid);
    AdapterImage image;
    std::memcpy(&image, read.data(), sizeof image);
    EXPECT_EQ(adapterEntryText(image, 21), "1"); // socket pin 22 = plug pin 1
    EXPECT_EQ(adapterEntryText(image, 23), "3,4");
    EXPECT_EQ(adapterEntryText(image, 26), "6");
    EXPECT_EQ(adapterEntryText(image, 27), "");

    const std::vector<std::vector<std::uint8_t>> tooHigh = {{7}};
    EXPECT_FALSE(writeGenericAdapter(QString::fromStdString(dir_.path().string()), "X", 6, 6,
                                     tooHigh, &message));
    EXPECT_FALSE(writeGenericAdapter(QString::fromStdString(dir_.path().string()), "X", 7, 6,
                                     wiring, &message));
    EXPECT_EQ(message, "Incorrect adapter pin count.");
}

} // namespace
} // namespace zelmo
