#include "formats/jedec.h"

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
    const JedecSaveResult r = writeJedec(fuses, vectors, header(), text);
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
    const JedecSaveResult w = writeJedec(fuses, vectors, header(), text);
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
    const JedecSaveResult r = writeJedec(fuses, vectors, header(0), text);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message.toStdString(), "Couldn't save file. Incorrect device.");
}

TEST(JedecWrite, WidePinCountsStayInsideTheirSlot) {
    std::vector<std::uint8_t> fuses(8), vectors(2 * kVectorSlot, 'L');
    std::string text;
    ASSERT_TRUE(writeJedec(fuses, vectors, header(68), text).ok);
    EXPECT_NE(text.find("V0001 " + std::string(48, 'L') + "*\n"), std::string::npos);
}

} // namespace
} // namespace zelmo::formats
