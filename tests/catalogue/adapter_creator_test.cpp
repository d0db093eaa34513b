#include "catalogue/adapter_creator_model.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zelmo {
namespace {

using Image = std::array<std::uint8_t, kAdapterImageSize>;

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// A creator laid out for N plug pins of a chip with `devicePins` pins, ready for editing.
CAdapterCreator Laid(int adapterPins, int devicePins) {
    CAdapterCreator creator(true, std::nullopt);
    creator.Open({}, Image{});
    creator.SetAdapterPinsText(QString::number(adapterPins));
    creator.SetDevicePinsText(QString::number(devicePins));
    EXPECT_TRUE(creator.New().ok);
    return creator;
}

ZmSocketState Sensed(std::initializer_list<int> socketPins) {
    ZmSocketState state{};
    std::fill(std::begin(state.Pins), std::end(state.Pins), std::uint8_t{1});
    for (int s : socketPins) {
        state.Pins[s - 1] = 0;
    }
    return state;
}

TEST(AdapterCreator, LayoutPlacesThePlugAtTheBottomOfTheSocket) {
    struct Case {
        int n;
        int first;
        int last;
    };
    for (const Case c : {Case{40, 5, 44}, Case{48, 1, 48}, Case{6, 22, 27}}) {
        const CAdapterCreator creator = Laid(c.n, 8);
        for (int s = 1; s <= kZifPins; ++s) {
            const AdapterPinField& f = creator.Fields[static_cast<std::size_t>(s - 1)];
            const bool used = s >= c.first && s <= c.last;
            EXPECT_EQ(f.Used, used) << c.n << " socket pin " << s;
            EXPECT_EQ(f.PlugPin, used ? s - c.first + 1 : 0) << c.n << " socket pin " << s;
            EXPECT_EQ(PinFieldRgb(f.Colour), used ? (Rgb{255, 255, 225}) : (Rgb{192, 192, 192}));
            EXPECT_TRUE(f.Enabled);
        }
    }
}

TEST(AdapterCreator, NewRefusesOddOrTooSmallAdapterPinCounts) {
    for (const char* text : {"7", "4", "0", ""}) {
        CAdapterCreator creator(true, std::nullopt);
        creator.Open({}, Image{});
        creator.SetAdapterPinsText(QString::fromLatin1(text));
        const Result r = creator.New();
        EXPECT_FALSE(r.ok) << text;
        EXPECT_EQ(r.message, "Incorrect adapter pin count.");
        EXPECT_FALSE(creator.Controls().Save) << text;
        EXPECT_FALSE(creator.Fields[0].Enabled) << "nothing else happens";
    }
}

TEST(AdapterCreator, CountFieldsAndPinFieldKeys) {
    struct CountCase {
        const char* text;
        bool adapter;
        bool device;
    };
    const CountCase counts[] = {{"4", true, true},     {"48", true, true},    {"49", false, true},
                                {"50", false, true},   {"6", true, true},     {"255", false, true},
                                {"256", false, false}, {"300", false, false}, {"4a", false, false},
                                {"", true, true}};
    for (const CountCase& c : counts) {
        EXPECT_EQ(CAdapterCreator::AdapterPinsTextAllowed(QString::fromLatin1(c.text)), c.adapter)
            << c.text;
        EXPECT_EQ(CAdapterCreator::DevicePinsTextAllowed(QString::fromLatin1(c.text)), c.device)
            << c.text;
    }
    EXPECT_EQ(CAdapterCreator::FilterPinKey(u'.'), QChar(u','));
    EXPECT_EQ(CAdapterCreator::FilterPinKey(u','), QChar(u','));
    EXPECT_EQ(CAdapterCreator::FilterPinKey(u'7'), QChar(u'7'));
    EXPECT_FALSE(CAdapterCreator::FilterPinKey(u'a').has_value());
    EXPECT_FALSE(CAdapterCreator::FilterPinKey(u' ').has_value());
}

TEST(AdapterCreator, TooHighPinNumberBlocksSaveAndOkAndTurnsTheFieldRed) {
    CAdapterCreator creator = Laid(40, 8);
    creator.SetPinText(4, "1");    // socket pin 5
    creator.SetPinText(10, "3,9"); // socket pin 11: 9 is above the 8 chip pins
    creator.SetPinText(20, "x,0"); // not numbers and 0 pass
    const CAdapterCreator::SaveImage save = creator.PrepareSave({});
    EXPECT_FALSE(save.ok);
    EXPECT_EQ(save.message, "This adapter seems to be invalid.");
    EXPECT_EQ(PinFieldRgb(creator.Fields[10].Colour), (Rgb{255, 0, 0}));
    EXPECT_EQ(creator.Fields[4].Colour, PinFieldColour::Used);
    EXPECT_EQ(creator.Fields[20].Colour, PinFieldColour::Used);
    EXPECT_FALSE(creator.Ok([] { return true; })) << "OK keeps the dialog open";

    // Corrected, the field loses its red and Save gets the image.
    creator.SetPinText(10, "3");
    const CAdapterCreator::SaveImage fixed = creator.PrepareSave({});
    ASSERT_TRUE(fixed.ok);
    EXPECT_EQ(creator.Fields[10].Colour, PinFieldColour::Used);
    AdapterImage image;
    std::memcpy(&image, fixed.Image.data(), kAdapterImageSize);
    EXPECT_EQ(image.AdapterPinCount, 40);
    EXPECT_EQ(image.DevicePinCount, 8);
    EXPECT_EQ(image.Pins[4][0], 1);
    EXPECT_EQ(image.Pins[10][0], 3);
    EXPECT_EQ(image.Pins[0][0], 0) << "an empty field leaves the entry's first byte 0";
}

TEST(AdapterCreator, AllUsedFieldsEmptyIsInvalid) {
    CAdapterCreator creator = Laid(40, 8);
    creator.SetPinText(0, "1"); // socket pin 1 is free for N = 40: it does not count
    EXPECT_FALSE(creator.Validate());
}

TEST(AdapterCreator, FullStopTypedBetweenNumbersMakesAListOfTwoPins) {
    CAdapterCreator creator = Laid(48, 16);
    QString typed;
    for (QChar c : QStringLiteral("12.7")) {
        if (const std::optional<QChar> kept = CAdapterCreator::FilterPinKey(c)) {
            typed += *kept;
        }
    }
    creator.SetPinText(0, typed);
    const CAdapterCreator::SaveImage save = creator.PrepareSave({});
    ASSERT_TRUE(save.ok);
    AdapterImage image;
    std::memcpy(&image, save.Image.data(), kAdapterImageSize);
    EXPECT_EQ(image.Pins[0][0], 12);
    EXPECT_EQ(image.Pins[0][1], 7);
    EXPECT_EQ(image.Pins[0][2], 0);
}

TEST(AdapterCreator, SaveAsksBeforeChangingTheDevicePinCount) {
    CAdapterCreator creator = Laid(40, 8);
    creator.SetPinText(4, "6");
    creator.SetDevicePinsText("16");
    int asked = 0;
    CAdapterCreator::SaveImage save = creator.PrepareSave([&] {
        ++asked;
        return false;
    });
    ASSERT_TRUE(save.ok);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(creator.DevicePinsText, "8") << "No puts the old count back";
    EXPECT_EQ(save.Image[4], 8);

    // Numbers that fit only the new count fail once the old count is put back.
    creator.SetPinText(4, "12");
    creator.SetDevicePinsText("16");
    save = creator.PrepareSave([] { return false; });
    EXPECT_FALSE(save.ok);
    EXPECT_EQ(creator.Fields[4].Colour, PinFieldColour::Invalid);
    creator.SetDevicePinsText("16");
    save = creator.PrepareSave([] { return true; });
    ASSERT_TRUE(save.ok);
    EXPECT_EQ(save.Image[4], 16);
    EXPECT_EQ(creator.DevicePinsInUse(), 16);
}

TEST(AdapterCreator, ModifiedFlagCaptionAndOk) {
    CAdapterCreator creator = Laid(40, 8);
    creator.SetPinText(4, "1");
    EXPECT_EQ(creator.Caption(), "Adapter [Modified]");
    creator.Saved("/x/a.adp", creator.PrepareSave({}).Image);
    EXPECT_EQ(creator.Caption(), "Adapter");

    creator.SetPinText(5, "2");
    int asked = 0;
    EXPECT_FALSE(creator.Ok([&] {
        ++asked;
        return false;
    })) << "No keeps the dialog open";
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(creator.Ok([] { return true; }));
    AdapterImage image;
    std::memcpy(&image, creator.Image().data(), kAdapterImageSize);
    EXPECT_EQ(image.Pins[5][0], 2) << "OK rebuilds the image from the fields";
    EXPECT_FALSE(creator.Fields[4].Enabled);
    EXPECT_TRUE(creator.Fields[4].Text.isEmpty());

    CAdapterCreator cancelled = Laid(40, 8);
    cancelled.Cancel();
    EXPECT_FALSE(cancelled.Modified);
    EXPECT_TRUE(cancelled.Cancelled);
}

TEST(AdapterCreator, OpeningAndTheOpenButton) {
    test::TempDir dir;
    CAdapterCreator source = Laid(40, 8);
    source.SetPinText(4, "1,2");
    source.SetPinText(43, "8");
    const Image image = source.PrepareSave({}).Image;
    const QString good = qpath(dir / "good.adp");
    ASSERT_TRUE(writeAdapterFile(good, image));

    // Opened with a path and no image, the creator reads the file.
    CAdapterCreator byPath(false, std::nullopt);
    ASSERT_TRUE(byPath.Open(good, Image{}).ok);
    EXPECT_EQ(byPath.Fields[4].Text, "1,2");
    EXPECT_EQ(byPath.Fields[43].Text, "8");
    EXPECT_EQ(byPath.AdapterPinsText, "40");
    EXPECT_TRUE(byPath.Controls().Save);
    EXPECT_FALSE(byPath.Controls().Start) << "no programmer attached";
    EXPECT_FALSE(byPath.Modified) << "filled before it was ready";

    // An image without a file (edited, never saved) is shown too.
    CAdapterCreator unsaved(true, std::nullopt);
    ASSERT_TRUE(unsaved.Open({}, image).ok);
    EXPECT_EQ(unsaved.Fields[4].Text, "1,2");
    EXPECT_TRUE(unsaved.Controls().Start);

    CAdapterCreator missing(true, std::nullopt);
    const Result r = missing.Open(qpath(dir / "none.adp"), Image{});
    EXPECT_EQ(r.message, "Couldn't open adapter file.");
    EXPECT_FALSE(missing.Ready);

    // Open: a bad checksum asks; another device pin count is refused.
    Image bad = image;
    bad[100] ^= 1;
    const QString badPath = qpath(dir / "bad.adp");
    ASSERT_TRUE(writeAdapterFile(badPath, bad));
    CAdapterCreator creator(true, 8);
    creator.Open({}, Image{});
    EXPECT_EQ(creator.OpenFile(badPath, [] { return false; }),
              CAdapterCreator::FileOutcome::Declined);
    EXPECT_FALSE(creator.Opened);
    EXPECT_EQ(creator.OpenFile(badPath, [] { return true; }),
              CAdapterCreator::FileOutcome::BadChecksum);
    EXPECT_TRUE(creator.Opened);
    EXPECT_EQ(creator.OpenFile(qpath(dir / "none.adp"), {}),
              CAdapterCreator::FileOutcome::Unreadable);
    CAdapterCreator sixteen(true, 16);
    sixteen.Open({}, Image{});
    EXPECT_EQ(sixteen.OpenFile(good, {}), CAdapterCreator::FileOutcome::PinMismatch);
    EXPECT_FALSE(sixteen.Opened);

    // An opened file closes with OK without the unsaved question.
    CAdapterCreator opened(true, std::nullopt);
    opened.Open({}, Image{});
    ASSERT_EQ(opened.OpenFile(good, {}), CAdapterCreator::FileOutcome::Loaded);
    EXPECT_TRUE(opened.Modified);
    EXPECT_TRUE(opened.Ok([] {
        ADD_FAILURE() << "asked although a file was opened";
        return false;
    }));
    EXPECT_EQ(opened.Image(), image);
}

TEST(AdapterCreator, ScanStepsThroughTheChipPins) {
    CAdapterCreator odd = Laid(40, 3);
    EXPECT_EQ(odd.BeginScan().message, "Incorrect device pin count.");
    EXPECT_FALSE(odd.Scanning);

    CAdapterCreator creator = Laid(40, 8);
    ASSERT_TRUE(creator.BeginScan().ok);
    const AdapterCreatorControls during = creator.Controls();
    EXPECT_TRUE(during.Stop && during.Accept && during.Previous && during.Next);
    EXPECT_FALSE(during.New || during.Open || during.Save || during.Start || during.Ok ||
                 during.Cancel || during.AdapterPins);
    EXPECT_TRUE(during.PinsReadOnly);
    EXPECT_EQ(creator.ChipPinText(), "1");

    // Colours follow the sensed state; previous from 1 wraps to 8, next from 8 to 1.
    EXPECT_FALSE(creator.ScanCycle(Sensed({5, 1}), {.Previous = true}));
    EXPECT_EQ(creator.Fields[4].Colour, PinFieldColour::SensedUsed);
    EXPECT_EQ(creator.Fields[0].Colour, PinFieldColour::SensedFree);
    EXPECT_EQ(creator.Fields[5].Colour, PinFieldColour::Used);
    EXPECT_EQ(creator.ChipPin(), 8);
    EXPECT_FALSE(creator.ScanCycle(Sensed({}), {.Next = true}));
    EXPECT_EQ(creator.ChipPin(), 1);
    EXPECT_EQ(creator.Fields[4].Colour, PinFieldColour::Used);

    // Accept with nothing sensed does nothing; with pins sensed it appends and moves on.
    EXPECT_FALSE(creator.ScanCycle(Sensed({}), {.Accept = true}));
    EXPECT_EQ(creator.ChipPin(), 1);
    EXPECT_FALSE(creator.ScanCycle(Sensed({5, 6}), {.Accept = true}));
    EXPECT_EQ(creator.ChipPin(), 2);
    EXPECT_FALSE(creator.ScanCycle(Sensed({6}), {.Accept = true}));
    EXPECT_EQ(creator.Fields[4].Text, "1");
    EXPECT_EQ(creator.Fields[5].Text, "1,2");
    for (int pin = 3; pin < 8; ++pin) {
        EXPECT_FALSE(creator.ScanCycle(Sensed({10 + pin}), {.Accept = true}));
    }
    EXPECT_EQ(creator.ChipPin(), 8);
    EXPECT_TRUE(creator.ScanCycle(Sensed({44}), {.Accept = true})) << "the eighth pin ends it";
    EXPECT_EQ(creator.Fields[43].Text, "8");
    creator.EndScan();
    EXPECT_FALSE(creator.Scanning);
    EXPECT_EQ(creator.ChipPinText(), "");
    EXPECT_TRUE(creator.Controls().Start);
    EXPECT_EQ(creator.Fields[43].Colour, PinFieldColour::Used);
}

} // namespace
} // namespace zelmo
