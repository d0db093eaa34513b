#include "serialization/serialization.h"

#include "persistence/settings_document.h"

#include "common/temp_dir.h"

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmo {
namespace {

CSerialization make(bool binary, bool hex, std::uint8_t length, bool msb, std::uint64_t value) {
    CSerialization s;
    s.BinaryMode = binary;
    s.HexType = hex;
    s.Length = length;
    s.MsbOrder = msb;
    s.Current = value;
    return s;
}

std::vector<std::uint8_t> v(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(SerialFormat, BytesInEveryModeAndOrder) {
    struct Case {
        CSerialization s;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {make(true, false, 2, true, 1234), {0x12, 0x34}},
        {make(true, false, 2, false, 1234), {0x34, 0x12}},
        {make(true, false, 3, true, 12345), {0x01, 0x23, 0x45}},
        {make(false, true, 4, true, 0x1F), v("001F")},
        {make(false, false, 3, true, 7), v("007")},
        {make(false, false, 3, false, 7), v("700")},
        {make(true, true, 2, true, 0xABCD), {0xAB, 0xCD}},
        {make(true, true, 8, false, 0x0102030405060708ull), {8, 7, 6, 5, 4, 3, 2, 1}},
        {make(false, true, 16, true, ~0ull), v("FFFFFFFFFFFFFFFF")},
        // A value wider than the field keeps its low digits instead of overflowing it.
        {make(false, false, 2, true, 1234), v("34")},
        {make(true, false, 1, true, 1234), {0x34}},
        {make(true, true, 9, true, 1), {}}, // invalid length: nothing is written
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.s.FormatBytes(), c.bytes)
            << "binary " << int(c.s.BinaryMode) << " hex " << int(c.s.HexType) << " length "
            << int(c.s.Length) << " value " << c.s.Current;
    }
}

TEST(SerialFormat, MaximumByLengthAndMode) {
    EXPECT_EQ(CSerialization::Maximum(8, true, true), ~0ull);
    EXPECT_EQ(CSerialization::Maximum(16, false, true), ~0ull);
    EXPECT_EQ(CSerialization::Maximum(2, true, true), 0xFFFFull);
    EXPECT_EQ(CSerialization::Maximum(2, true, false), 9999ull);
    EXPECT_EQ(CSerialization::Maximum(16, false, false), 9999999999999999ull);
    EXPECT_EQ(CSerialization::Maximum(3, false, true), 0xFFFull);
    EXPECT_EQ(CSerialization::Maximum(9, true, true), 0ull);
    EXPECT_EQ(CSerialization::Maximum(17, false, false), 0ull);
    EXPECT_EQ(CSerialization::Maximum(0, false, false), 0ull);
}

TEST(SerialFormat, ValueText) {
    EXPECT_EQ(make(true, true, 2, true, 0x1F).ValueText(), "001F");
    EXPECT_EQ(make(false, true, 3, true, 0xABC).ValueText(), "ABC");
    EXPECT_EQ(make(true, false, 4, true, 42).ValueText(), "42");
}

class SerialFile : public ::testing::Test {
protected:
    QString path(const char* name) const { return QString::fromStdString((dir_ / name).string()); }
    test::TempDir dir_;
};

TEST_F(SerialFile, AdvanceWrapsAndSavesCurrentAtOnce) {
    struct Case {
        CSerialization s;
        std::uint64_t step, next;
    };
    const Case cases[] = {
        {make(true, true, 8, true, ~0ull), 1, 0},
        {make(false, false, 1, true, 9), 3, 2},
        {make(true, true, 1, true, 0xFE), 3, 1},
        {make(true, false, 1, true, 98), 5, 3},
        {make(true, true, 2, true, 0x10), 0x10, 0x20},
        // A value above the maximum (a file written elsewhere) still lands in range.
        {make(false, false, 1, true, 25), 100, 5},
    };
    for (Case c : cases) {
        c.s.FileName = path("serial.ini");
        c.s.Step = c.step;
        ASSERT_TRUE(c.s.SaveToFile());
        QString message;
        ASSERT_TRUE(c.s.Advance(&message)) << message.toStdString();
        EXPECT_EQ(c.s.Current, c.next);
        CSerialization reread;
        reread.FileName = c.s.FileName;
        ASSERT_TRUE(reread.LoadFromFile());
        EXPECT_EQ(reread.Current, c.next);
        EXPECT_EQ(reread.Step, c.step);
        EXPECT_EQ(reread.Length, c.s.Length);
    }
}

TEST_F(SerialFile, SixtyFourBitStepRoundTripsInTableOrder) {
    CSerialization s = make(true, true, 8, false, 0x123456789ull);
    s.FileName = path("wide.ini");
    s.Step = 0x100000005ull;
    s.Address = 0x8000;
    s.HexType = 0;
    ASSERT_TRUE(s.SaveToFile());

    QFile f(s.FileName);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray raw = f.readAll();
    const QString text =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
    ASSERT_TRUE(text.contains("Serialization"));
    qsizetype last = -1;
    for (const char* key : {"Parameters", "Type", "Address", "Step", "Length", "BinaryMode",
                            "MsbOrder", "HexType", "Value", "Current"}) {
        const qsizetype at = text.indexOf(QLatin1String(key), last + 1);
        EXPECT_GT(at, last) << key;
        last = at;
    }

    CSerialization r;
    r.FileName = s.FileName;
    ASSERT_TRUE(r.LoadFromFile());
    EXPECT_EQ(r.Step, 0x100000005ull);
    EXPECT_EQ(r.Current, 0x123456789ull);
    EXPECT_EQ(r.Address, 0x8000u);
    EXPECT_EQ(r.MsbOrder, 0);
    EXPECT_EQ(r.HexType, 0);
    r.Advance();
    EXPECT_EQ(r.Current, 0x22345678Eull);
    CSerialization again;
    again.FileName = s.FileName;
    ASSERT_TRUE(again.LoadFromFile());
    EXPECT_EQ(again.Current, 0x22345678Eull);
    EXPECT_EQ(again.Step, 0x100000005ull);
}

TEST_F(SerialFile, MissingOrBrokenFileIsReportedAndChangesNothing) {
    CSerialization s = make(true, true, 2, true, 5);
    s.FileName = path("missing.ini");
    QString message;
    EXPECT_FALSE(s.LoadFromFile(&message));
    EXPECT_EQ(message, "Could not open serialization file.");
    EXPECT_EQ(s.Current, 5u);
    EXPECT_FALSE(s.Advance(&message));
    EXPECT_EQ(message, "Could not update serialization file.");
    EXPECT_EQ(s.Current, 6u); // the new value stays in memory
    EXPECT_FALSE(QFile::exists(s.FileName));

    ASSERT_TRUE(test::writeFile(dir_ / "broken.ini", "not a settings document"));
    s.FileName = path("broken.ini");
    EXPECT_FALSE(s.LoadFromFile(&message));
    EXPECT_EQ(s.Current, 6u);
}

TEST_F(SerialFile, LengthOutsideItsModeIsRefusedAndTheFileKept) {
    // A foreign or hand-edited file: a length the mode cannot hold would give a maximum of 0, so
    // the first advance would restart the numbering at 0 and save it.
    struct Case {
        int binary, length;
        bool loads;
    };
    const Case cases[] = {
        {1, 8, true},  {0, 16, true}, {0, 9, true},      {1, 9, false}, {0, 17, false},
        {1, 0, false}, {0, 0, false}, {1, 0x102, false}, // the low byte alone would read as 2
    };
    for (const Case& c : cases) {
        const QString file = path("foreign.ini");
        {
            CMyIni ini;
            ASSERT_TRUE(ini.Open(file, "Serialization", false));
            ini.WriteInt("Parameters", "Length", c.length);
            ini.WriteInt("Parameters", "BinaryMode", c.binary);
            ini.WriteInt("Parameters", "Step", 1);
            ini.WriteInt64("Value", "Current", 0x1234);
        }
        const std::string before = test::readFile(dir_ / "foreign.ini");
        CSerialization s = make(true, true, 2, true, 77);
        s.FileName = file;
        QString message;
        const std::string label =
            "binary " + std::to_string(c.binary) + " length " + std::to_string(c.length);
        EXPECT_EQ(s.LoadFromFile(&message), c.loads) << label;
        if (c.loads) {
            EXPECT_EQ(s.Length, c.length) << label;
            EXPECT_EQ(s.Current, 0x1234u) << label;
        } else {
            EXPECT_EQ(message, "Could not open serialization file.") << label;
            EXPECT_EQ(s.Current, 77u) << label;
            EXPECT_EQ(s.Length, 2) << label;
            EXPECT_EQ(s.BinaryMode, 1) << label;
        }
        EXPECT_EQ(test::readFile(dir_ / "foreign.ini"), before) << label;
    }
}

TEST(SerialRecord, ResetRestoresNewRecordValues) {
    CSerialization s = make(false, false, 7, false, 99);
    s.Enabled = 1;
    s.Step = 4;
    s.Address = 12;
    s.Type = 1;
    s.Reset();
    EXPECT_EQ(s.Enabled, 1); // reset leaves Enabled and the file alone
    EXPECT_EQ(s.Current, 0u);
    EXPECT_EQ(s.Step, 1u);
    EXPECT_EQ(s.Length, 2);
    EXPECT_EQ(s.BinaryMode, 1);
    EXPECT_EQ(s.MsbOrder, 1);
    EXPECT_EQ(s.HexType, 1);
    EXPECT_EQ(s.Address, 0u);
    EXPECT_EQ(s.Type, 0);
}

} // namespace
} // namespace zelmo
