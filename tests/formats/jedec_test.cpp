#include "formats/jedec.h"
#include "formats/text_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmo::formats {
namespace {

// A device of `fuses` fuses, `slotCount` vector slotCount and 8 pins, with one target.
struct Device {
    explicit Device(std::size_t fuses = 64, std::size_t slotCount = 4)
        : a(fuses, 0xEE), b(slotCount * kVectorSlot, 0xEE) {}
    JedecLoadResult read(const std::string& text, std::uint8_t pins = 8) {
        const JedecTarget t{a, b};
        return readJedec(text, std::span(&t, 1), pins);
    }
    std::vector<std::uint8_t> a, b;
};

std::string jedec(const std::string& fields) {
    return std::string("\x02header*\n") + fields + "\x03" + "0000";
}

TEST(JedecRead, FuseFieldsAndDefaults) {
    struct Case {
        const char* name;
        std::string fields;
        std::vector<std::uint8_t> first8; // fuses 0 to 7 afterwards
    };
    const Case cases[] = {
        {"L field", "QF64*QP8*F0*L0000 1010*", {1, 0, 1, 0, 0, 0, 0, 0}},
        {"K field gives the same fuses", "QF64*QP8*F0*K0000 A*", {1, 0, 1, 0, 0, 0, 0, 0}},
        {"lower-case K digits", "QF64*QP8*F0*K0004 c*", {0, 0, 0, 0, 1, 1, 0, 0}},
        {"F1 default for unlisted fuses", "QF16*QP8*F1*L0002 00*", {1, 1, 0, 0, 1, 1, 1, 1}},
        {"line breaks and blanks inside L",
         "QF64*QP8*L0001 1\n1 0\r\n1*",
         {0, 1, 1, 0, 1, 0, 0, 0}},
        {"later fields overwrite earlier ones",
         "QP8*L0000 1111*L0001 0*",
         {1, 0, 1, 1, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Device d;
        const JedecLoadResult r = d.read(jedec(c.fields));
        ASSERT_TRUE(r.ok) << c.name << ": " << r.message.toStdString();
        EXPECT_EQ(std::vector<std::uint8_t>(d.a.begin(), d.a.begin() + 8), c.first8) << c.name;
        EXPECT_EQ(d.b, std::vector<std::uint8_t>(d.b.size(), 0xFF)) << c.name;
    }
}

TEST(JedecRead, FusesBeyondTheMemoryAreNotStored) {
    Device d(8);
    ASSERT_TRUE(d.read(jedec("QP8*L0006 1111*K0004 FF*")).ok);
    EXPECT_EQ(d.a, (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 1, 1, 1}));
}

TEST(JedecRead, VectorsAndMessages) {
    Device d;
    JedecLoadResult r = d.read(jedec("QF64*QP8*QV2*X1*V0001 01HLCZ10*\nV0002 1*"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.message.toStdString(), "64 fuses, 2 test vectors loaded.");
    EXPECT_EQ(r.defaultTestState, 1);
    EXPECT_EQ(std::string(d.b.begin(), d.b.begin() + 8), "01HLCZ10");
    EXPECT_EQ(d.b[8], 0xFF);
    EXPECT_EQ(d.b[48], '1');
    EXPECT_EQ(d.b[49], 0xFF);

    // Without QV the vectors are still stored but not counted; vector 0 has no slot.
    Device e;
    r = e.read(jedec("QF64*QP8*V0001 0101*V0000 1111*"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.message.toStdString(), "64 fuses loaded, no test vectors found");
    EXPECT_EQ(r.defaultTestState, 0);
    EXPECT_EQ(std::string(e.b.begin(), e.b.begin() + 4), "0101");
    EXPECT_EQ(std::count(e.b.begin(), e.b.end(), 0xFF), static_cast<long>(e.b.size() - 4));
}

TEST(JedecRead, VectorsNeverOverflowTheirSlot) {
    Device d(8, 2);
    ASSERT_TRUE(d.read(jedec("QP8*V0001 " + std::string(60, 'H') + "*V0003 LL*")).ok);
    EXPECT_EQ(std::string(d.b.begin(), d.b.begin() + 48), std::string(48, 'H'));
    EXPECT_EQ(d.b[48], 0xFF) << "slot 2 untouched";
}

TEST(JedecRead, EndsAtEtxOrAtTheEndOfTheData) {
    Device d;
    // After ETX nothing is read; without ETX the scan stops at the end of the data.
    ASSERT_TRUE(d.read(std::string("\x02*QP8*L0000 1*\x03L0001 1*")).ok);
    EXPECT_EQ(d.a[1], 0);
    Device e;
    ASSERT_TRUE(e.read(std::string("\x02*QP8*L0000 11")).ok);
    EXPECT_EQ(e.a[0], 1);
    EXPECT_EQ(e.a[1], 1);
}

TEST(JedecRead, Errors) {
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"QF64*QP8*", "Incorrect Jedec file, missing <STX>."},
        {"\x02no star at all", "Incorrect Jedec file, could not find '*'."},
        {jedec("QF65*QP8*"), "Incorrect Jedec file, wrong number of fuses."},
        {jedec("QF99999999999999999999*QP8*"), "Incorrect Jedec file, wrong number of fuses."},
        {jedec("QF64*QP20*"), "Incorrect Jedec file, wrong number of pins."},
        {jedec("QF64*"), "Incorrect Jedec file, wrong number of pins."},
    };
    for (const Case& c : cases) {
        Device d;
        const JedecLoadResult r = d.read(c.text);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.message.toStdString(), c.message);
        EXPECT_EQ(d.a, std::vector<std::uint8_t>(d.a.size(), 0xEE)) << "unchanged: " << c.message;
    }
    Device low;
    EXPECT_TRUE(low.read(jedec("QP264*"), 8).ok) << "only the low 8 bits of QP are compared";
}

// Writes a whole file into `text`.
JedecSaveResult writeTo(std::string& text, std::span<const std::uint8_t> fuses,
                        std::span<const std::uint8_t> vectors, const JedecHeader& h) {
    StringOutput out;
    const JedecSaveResult r = writeJedec(fuses, vectors, h, out.out());
    text = out.text();
    return r;
}

JedecHeader header(std::uint8_t pins = 8) {
    JedecHeader h;
    h.name = "GAL16V8";
    h.package = "DIP20";
    h.created = "12/10/26 03:00";
    h.buildDay = {100, 26, 12, 9};
    h.pins = pins;
    return h;
}

TEST(JedecWrite, SixtyFourFusesWithFuseFiveSet) {
    std::vector<std::uint8_t> fuses(64, 0), vectors(2 * kVectorSlot, 0xFF);
    fuses[5] = 1;
    std::string text;
    const JedecSaveResult r = writeTo(text, fuses, vectors, header());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.message.toStdString(), "Jedec file saved.");
    EXPECT_EQ(text, std::string("\x02\nJedec file for GAL16V8 / DIP20\n"
                                "Created 12/10/26 03:00\n"
                                "TERVANIK, Zelmo 2, software version 100.26.12.09\n\n*\n"
                                "QP8*\nQF64*\nQV0*\nF0*\n"
                                "L0000 00000100000000000000000000000000*\n"
                                "C0020*\n\x03") +
                        "0000");
}

TEST(JedecWrite, VectorsAndTheRoundTrip) {
    std::vector<std::uint8_t> fuses(100), vectors(4 * kVectorSlot, 0xFF);
    for (std::size_t i = 0; i < fuses.size(); ++i) {
        fuses[i] = (i * 7 % 3 == 0) ? 1 : 0;
    }
    const std::string v1 = "01HLHLXZ", v2 = "CC001100";
    std::copy(v1.begin(), v1.end(), vectors.begin());
    std::copy(v2.begin(), v2.end(), vectors.begin() + kVectorSlot);
    vectors[3 * kVectorSlot] = '1'; // after the first empty slot: not a vector
    std::string text;
    const JedecSaveResult w = writeTo(text, fuses, vectors, header());
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.message.toStdString(), "Jedec file saved (2 test vectors).");
    EXPECT_NE(text.find("X0*\nL0000 "), std::string::npos);
    EXPECT_NE(text.find("V0002 CC001100*\n"), std::string::npos);

    Device d(100, 4);
    const JedecLoadResult r = d.read(text);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.message.toStdString(), "100 fuses, 2 test vectors loaded.");
    EXPECT_EQ(d.a, fuses);
    EXPECT_EQ(std::string(d.b.begin(), d.b.begin() + 8), v1);
    EXPECT_EQ(std::string(d.b.begin() + kVectorSlot, d.b.begin() + kVectorSlot + 8), v2);
    EXPECT_EQ(d.b[2 * kVectorSlot], 0xFF);
}

TEST(JedecWrite, RefusesADeviceWithoutPins) {
    std::vector<std::uint8_t> fuses(8), vectors(kVectorSlot, 0xFF);
    std::string text;
    const JedecSaveResult r = writeTo(text, fuses, vectors, header(0));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.toStdString(), "Couldn't save file. Incorrect device.");
}

TEST(JedecWrite, WidePinCountsStayInsideTheirSlot) {
    std::vector<std::uint8_t> fuses(8), vectors(2 * kVectorSlot, 'L');
    std::string text;
    ASSERT_TRUE(writeTo(text, fuses, vectors, header(68)).ok);
    EXPECT_NE(text.find("V0001 " + std::string(48, 'L') + "*\n"), std::string::npos);
}

} // namespace
} // namespace zelmo::formats

namespace zelmo::formats {
namespace {

// The writer's header names the device and stamps the file; the reader must take it for the
// comment it is, however many field letters and digits it holds. The fuses leave whole 32-fuse
// lines at 0, which the writer leaves out, so any stray fuse the header sets would show.
TEST(JedecRoundTrip, HeaderTextIsNotReadAsFields) {
    const char* names[] = {"GAL16V8", "GAL22V10", "L0000", "K12V3L7", "GAL*L16V8"};
    for (const char* name : names) {
        std::vector<std::uint8_t> fuses(300, 0), vectors(3 * kVectorSlot, 0xFF);
        fuses[70] = fuses[299] = 1;
        const std::string v = "01HL";
        std::copy(v.begin(), v.end(), vectors.begin());
        JedecHeader h = header(8);
        h.name = name;
        h.package = "V2 L1 K1";
        std::string text;
        ASSERT_TRUE(writeTo(text, fuses, vectors, h).ok);
        Device d(300, 3);
        ASSERT_TRUE(d.read(text).ok) << name;
        EXPECT_EQ(d.a, fuses) << name;
        EXPECT_EQ(std::string(d.b.begin(), d.b.begin() + 4), v) << name;
        EXPECT_EQ(std::count(d.b.begin(), d.b.end(), 0xFF), static_cast<long>(d.b.size() - 4))
            << name;
    }
}

// Numbers longer than 64 bits saturate: they never wrap round onto fuse 0, vector slot 0 or a
// count the device accepts.
TEST(JedecRead, HugeNumbersNeverWrap) {
    const std::string two64 = "18446744073709551616";
    struct Case {
        const char* name;
        std::string fields;
        bool ok;
        const char* message;
    };
    const Case cases[] = {
        {"L number", "QP8*L" + two64 + " 1111*", true, nullptr},
        {"K number", "QP8*K" + two64 + " F*", true, nullptr},
        {"V number", "QP8*V18446744073709551617 1111*", true, nullptr},
        {"V slot past 2^64", "QP8*V384307168202282326 " + std::string(20, '1') + "*", true,
         nullptr},
        {"QF", "QF18446744073709551680*QP8*", false,
         "Incorrect Jedec file, wrong number of fuses."},
        {"QP", "QF64*QP18446744073709551624*", false,
         "Incorrect Jedec file, wrong number of pins."},
    };
    for (const Case& c : cases) {
        Device d;
        const JedecLoadResult r = d.read(jedec(c.fields));
        EXPECT_EQ(r.ok, c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(d.a, std::vector<std::uint8_t>(d.a.size(), 0)) << c.name;
            EXPECT_EQ(d.b, std::vector<std::uint8_t>(d.b.size(), 0xFF)) << c.name;
        } else {
            EXPECT_EQ(r.message.toStdString(), c.message) << c.name;
        }
    }
}

// A source that stops answering (a file cut short by another process) fails the load with the
// access message: before the targets are touched, or after they were prepared for the fields.
TEST(JedecRead, AReadErrorIsAFileAccessError) {
    const std::string text = jedec("QF64*QP8*L0000 1*");
    // Each scan reads this short text in one piece: STX, '*', the counting pass, the fields.
    for (const int good : {0, 3}) {
        int reads = 0;
        const JedecSource source{text.size(), [&](std::uint64_t at, std::span<char> into) {
                                     if (reads++ == good) {
                                         return false;
                                     }
                                     std::copy_n(text.data() + at, into.size(), into.data());
                                     return true;
                                 }};
        std::vector<std::uint8_t> a(64, 0xEE), b(48, 0xEE);
        const JedecTarget t{a, b};
        const JedecLoadResult r = readJedec(source, std::span(&t, 1), 8);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message.toStdString(), "Couldn't open file, file access error.");
        EXPECT_EQ(a[0], good == 0 ? 0xEE : 0) << "prepared, fuse 0 never set";
    }
}

// A vector line carries pin characters only: a vector shorter than the pin count ends where
// its characters end.
TEST(JedecWrite, VectorLinesHoldOnlyPinCharacters) {
    struct Case {
        std::string slot; // start of the slot; the rest stays 0xFF
        const char* line;
    };
    const Case cases[] = {
        {"01HLXZCN", "V0001 01HLXZCN*\n"},
        {"01HL", "V0001 01HL*\n"},
        {"01HLXZCN1", "V0001 01HLXZCN*\n"},
        {std::string("01\0HL", 5), "V0001 01*\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> fuses(8), vectors(2 * kVectorSlot, 0xFF);
        std::copy(c.slot.begin(), c.slot.end(), vectors.begin());
        std::string text;
        ASSERT_TRUE(writeTo(text, fuses, vectors, header(8)).ok);
        const auto at = text.find("V0001");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(text.substr(at, text.find('\n', at) + 1 - at), c.line) << c.slot;
    }
}

} // namespace
} // namespace zelmo::formats
