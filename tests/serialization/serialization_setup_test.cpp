#include "serialization/serialization_setup.h"

#include <gtest/gtest.h>

namespace zelmo {
namespace {

constexpr std::uint64_t kMemoryA = 0x10000;

CSerialization Record(bool binary, std::uint8_t length, bool hex) {
    CSerialization r;
    r.Enabled = 1;
    r.BinaryMode = binary ? 1 : 0;
    r.Length = length;
    r.HexType = hex ? 1 : 0;
    return r;
}

TEST(SerializationSetup, AsciiDoublesAndBinaryHalvesTheLength) {
    struct Case {
        bool binary;
        std::uint8_t length;
        std::uint8_t after;
    };
    const Case cases[] = {
        {true, 8, 16},  {true, 1, 2},  {true, 5, 10},                // binary -> ASCII
        {false, 16, 8}, {false, 3, 1}, {false, 2, 1}, {false, 1, 1}, // ASCII -> binary
    };
    for (const Case& c : cases) {
        CSerializationSetup setup(Record(c.binary, c.length, true), kMemoryA);
        const SerialFieldTexts texts{setup.AddressText(), setup.StartText(), setup.StepText()};
        if (c.binary) {
            setup.ChooseAscii(texts);
        } else {
            setup.ChooseBinary(texts);
        }
        EXPECT_EQ(setup.Length, c.after) << int(c.length);
        EXPECT_EQ(setup.Binary, !c.binary);
        EXPECT_EQ(setup.LengthCount(), c.binary ? 16 : 8);
        EXPECT_TRUE(setup.Modified);
    }

    // Eight bytes to sixteen characters and back.
    CSerializationSetup round(Record(true, 8, true), kMemoryA);
    round.ChooseAscii({"0", "0", "1"});
    round.ChooseBinary({"0", "0", "1"});
    EXPECT_EQ(round.Length, 8);
    // Choosing the mode already chosen changes nothing.
    round.ChooseBinary({"0", "0", "1"});
    EXPECT_EQ(round.Length, 8);
}

TEST(SerializationSetup, ModeAndLengthChangesBringTypedValuesIntoTheNewRange) {
    // Three hexadecimal ASCII characters hold FFF; one binary byte only FF. The start was typed
    // but its field not yet left.
    CSerializationSetup setup(Record(false, 3, true), kMemoryA);
    setup.ChooseBinary({"0000FFFF", "FFF", "ABC"});
    EXPECT_EQ(setup.Length, 1);
    EXPECT_EQ(setup.StartText(), "FF");
    EXPECT_EQ(setup.StepText(), "FF");
    EXPECT_EQ(setup.AddressText(), "0000FFFF"); // memory A less one byte

    // A shorter length lowers the maximum too, and the address range grows.
    CSerializationSetup shorter(Record(true, 4, true), kMemoryA);
    shorter.ChooseLength(0, {"0000FFFC", "12345678", "1"});
    EXPECT_EQ(shorter.Length, 1);
    EXPECT_EQ(shorter.StartText(), "FF");
    EXPECT_EQ(shorter.AddressRangeText(), "(00000000 - 0000FFFF)");
}

TEST(SerializationSetup, LeavingAFieldClampsToTheMaximum) {
    struct Case {
        bool binary;
        std::uint8_t length;
        bool hex;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {true, 2, true, "FFFFF", "FFFF"},
        {true, 2, true, "1F", "001F"},
        {true, 2, false, "123456", "9999"}, // packed BCD: two digits per byte
        {false, 1, false, "12", "9"},
        {false, 4, true, "1f", "001F"},
        // Past 64 bits: the maximum, not a wrapped value.
        {true, 8, true, "1FFFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF"},
        {false, 16, false, "123456789012345678901234", "9999999999999999"},
        {true, 8, false, "", "0"},
    };
    for (const Case& c : cases) {
        CSerializationSetup setup(Record(c.binary, c.length, c.hex), kMemoryA);
        setup.LeaveStart(QString::fromLatin1(c.typed));
        setup.LeaveStep(QString::fromLatin1(c.typed));
        EXPECT_EQ(setup.StartText(), QString::fromLatin1(c.shown)) << c.typed;
        EXPECT_EQ(setup.StepText(), QString::fromLatin1(c.shown)) << c.typed;
    }
}

TEST(SerializationSetup, AddressStaysInsideMemoryA) {
    CSerializationSetup setup(Record(true, 2, true), kMemoryA);
    setup.LeaveAddress("FFFFFFFF");
    EXPECT_EQ(setup.AddressText(), "0000FFFE");
    EXPECT_EQ(setup.AddressRangeText(), "(00000000 - 0000FFFE)");
    setup.LeaveAddress("12ab");
    EXPECT_EQ(setup.AddressText(), "000012AB");

    // A memory A smaller than the number leaves only address 0 (not a wrapped range).
    CSerializationSetup tiny(Record(false, 16, true), 8);
    tiny.LeaveAddress("5");
    EXPECT_EQ(tiny.AddressText(), "00000000");
    EXPECT_EQ(tiny.AddressRangeText(), "(00000000 - 00000000)");
}

TEST(SerializationSetup, SystemSwitchReadsInTheOldSystemAndShowsInTheNew) {
    CSerializationSetup setup(Record(true, 1, true), kMemoryA);
    setup.ChooseSystem(false, {"0", "FF", "1A"});
    EXPECT_FALSE(setup.Hex);
    EXPECT_EQ(setup.StartText(), "255");
    EXPECT_EQ(setup.StepText(), "26");
    EXPECT_FALSE(setup.HexSuffixVisible());
    setup.ChooseSystem(true, {"0", "99", "7"});
    EXPECT_EQ(setup.StartText(), "63");
    EXPECT_EQ(setup.StepText(), "07");
}

TEST(SerializationSetup, KeyFilters) {
    struct Case {
        char16_t typed;
        bool hex;
        char16_t kept; // 0: dropped
    };
    const Case cases[] = {{u'7', false, u'7'}, {u'a', false, 0},  {u'a', true, u'A'},
                          {u'F', true, u'F'},  {u'g', true, 0},   {u' ', true, 0},
                          {u'-', false, 0},    {u'0', true, u'0'}};
    for (const Case& c : cases) {
        const std::optional<QChar> kept = CSerializationSetup::FilterKey(QChar(c.typed), c.hex);
        EXPECT_EQ(kept.has_value(), c.kept != 0) << char(c.typed);
        if (kept) {
            EXPECT_EQ(*kept, QChar(c.kept));
        }
    }
    // The address is hexadecimal whatever the number system.
    CSerializationSetup decimal(Record(true, 2, false), kMemoryA);
    EXPECT_EQ(decimal.FilterAddressKey(u'c'), QChar(u'C'));
    EXPECT_FALSE(decimal.FilterNumberKey(u'c').has_value());
}

TEST(SerializationSetup, ChoicesSetOrClearTheModifiedFlag) {
    CSerialization off;
    CSerializationSetup setup(off, kMemoryA);
    EXPECT_EQ(setup.Choice, SerialChoice::Disabled);
    EXPECT_FALSE(setup.SaveEnabled());
    EXPECT_EQ(setup.FileBoxText(), "none");
    EXPECT_EQ(setup.ProjectPanelCaption(), " Project file ");

    setup.ChooseGenerate();
    EXPECT_TRUE(setup.NumberPanelVisible());
    EXPECT_TRUE(setup.SaveEnabled());
    EXPECT_TRUE(setup.Modified);
    EXPECT_EQ(setup.ProjectPanelCaption(), " Project file (not saved) ");
    setup.ChooseDisabled();
    EXPECT_FALSE(setup.Modified);
    setup.ChooseOrder(false);
    EXPECT_TRUE(setup.Modified);

    CSerialization fromFile = Record(true, 2, true);
    fromFile.Type = 1;
    CSerializationSetup file(fromFile, kMemoryA);
    EXPECT_EQ(file.Choice, SerialChoice::FromFile);
    EXPECT_TRUE(file.DataFilePanelVisible());
    EXPECT_FALSE(file.NumberPanelVisible());
}

TEST(SerializationSetup, StoreTakesTheValidatedFieldsIntoTheRecord) {
    CSerialization record = Record(false, 4, true);
    record.Type = 1;
    CSerializationSetup setup(record, kMemoryA);
    setup.ChooseOrder(false);
    setup.StoreInto(record, "/tmp/serial.ini", {"FFFFFF", "12345", "2"});
    EXPECT_EQ(record.Enabled, 1);
    EXPECT_EQ(record.Type, 0);
    EXPECT_EQ(record.Address, kMemoryA - 4);
    EXPECT_EQ(record.Current, 0xFFFFu);
    EXPECT_EQ(record.Step, 2u);
    EXPECT_EQ(record.MsbOrder, 0);
    EXPECT_EQ(record.BinaryMode, 0);
    EXPECT_EQ(record.FileName, "/tmp/serial.ini");
    EXPECT_FALSE(setup.Modified);
}

TEST(SerializationPanelTexts, ModeValueAndFile) {
    EXPECT_EQ(SerializationPanel(nullptr).Mode, "disabled");
    CSerialization record = Record(true, 2, true);
    record.Current = 0x1F;
    record.FileName = "/home/u/serial/line1.ini";
    SerializationPanelTexts texts = SerializationPanel(&record);
    EXPECT_EQ(texts.Mode, "incremental");
    EXPECT_EQ(texts.Value, "001F");
    EXPECT_EQ(texts.File, "line1.ini");
    record.Type = 1;
    EXPECT_EQ(SerializationPanel(&record).Mode, "from file");
    record.Enabled = 0;
    texts = SerializationPanel(&record);
    EXPECT_EQ(texts.Mode, "disabled");
    EXPECT_EQ(texts.Value, "none");

    EXPECT_EQ(SerializationReport(record), std::vector<QString>{"Serialization disabled."});
    record.Enabled = 1;
    record.Type = 0;
    const std::vector<QString> expected{"Serialization enabled.",
                                        "Serialization file: '/home/u/serial/line1.ini'.",
                                        "Mode: incremental.", "Value: 001F."};
    EXPECT_EQ(SerializationReport(record), expected);
}

} // namespace
} // namespace zelmo
