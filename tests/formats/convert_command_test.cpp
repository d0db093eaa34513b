// Runs the built zelmo2-cli convert the way production scripts do.

#include "cli_run.h"
#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>

#include <cstdlib>
#include <random>

namespace {

using zelmo::test::TempDir;

using zelmo::test::CliRun;

CliRun convert(const QStringList& args) {
    return zelmo::test::runCli(QStringList{"convert"} + args);
}

QString path(const std::filesystem::path& p) {
    return zelmo::test::pathText(p);
}

class ConvertCommand : public testing::Test {
protected:
    void SetUp() override {
        if (!zelmo::test::cliBuilt()) {
            GTEST_SKIP() << "ZELMO_BIN_DIR does not hold zelmo2-cli";
        }
    }
};

TEST_F(ConvertCommand, BinaryThroughRecordsAndBack) {
    TempDir dir;
    for (unsigned size : {1u, 40u, 256u, 257u, 4096u, 4097u, 65536u, 131072u}) {
        std::mt19937 gen(size);
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = (i / 64) % 3 == 1 ? '\xFF' : static_cast<char>(gen());
        }
        zelmo::test::writeFile(dir / "in.bin", bytes);
        const QString sizes = QString("%1,0,0,0,0").arg(size);
        for (const char* format : {"hex", "srec"}) {
            for (bool optimize : {false, true}) {
                QStringList save{
                    "--sizes",           sizes,          "--in", path(dir / "in.bin"), "--out",
                    path(dir / "x.rec"), "--out-format", format};
                if (optimize) {
                    save << "--optimize";
                }
                const CliRun s = convert(save);
                ASSERT_EQ(s.code, 0) << s.err;
                EXPECT_EQ(s.out.substr(0, s.out.find('\n')),
                          std::to_string(size) + " bytes loaded.");

                const CliRun l =
                    convert({"--sizes", sizes, "--in", path(dir / "x.rec"), "--in-format", format,
                             "--out", path(dir / "back.bin"), "--out-format", "bin"});
                ASSERT_EQ(l.code, 0) << l.err;
                EXPECT_EQ(zelmo::test::readFile(dir / "back.bin"), bytes)
                    << size << " " << format << " optimize " << optimize;
            }
        }
    }
}

TEST_F(ConvertCommand, OffsetsFillAndLogicDevices) {
    TempDir dir;
    zelmo::test::writeFile(dir / "a.hex", ":0400100001020304E2\r\n:00000001FF\r\n");
    const CliRun r = convert({"--sizes", "0x20,0,0,0,0", "--in", path(dir / "a.hex"),
                              "--file-offset", "0x10", "--buffer-offset", "2", "--fill", "00",
                              "--out", path(dir / "o.bin"), "--out-format", "bin"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "4 bytes loaded from file.\n32 bytes saved to file.\n");
    std::string expect(32, '\0');
    expect.replace(2, 4, "\x01\x02\x03\x04");
    EXPECT_EQ(zelmo::test::readFile(dir / "o.bin"), expect);

    // A logic device always loads its fuse map; --memory B writes the test vectors.
    zelmo::test::writeFile(dir / "a.jed",
                           std::string("\x02*QF8*QP4*QV1*L0000 10110000*V0001 01HL*\x03") + "0000");
    const QStringList device{"--sizes", "8,96,0,0,0", "--type", "5", "--pins", "4"};
    const CliRun b =
        convert(device + QStringList{"--memory", "B", "--in", path(dir / "a.jed"), "--out",
                                     path(dir / "v.bin"), "--out-format", "bin"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(b.out, "8 fuses, 1 test vectors loaded.\n96 bytes saved to file.\n");
    EXPECT_EQ(zelmo::test::readFile(dir / "v.bin"), "01HL" + std::string(92, '\xFF'));
    const CliRun j = convert(device + QStringList{"--in", path(dir / "a.jed"), "--out",
                                                  path(dir / "b.jed"), "--out-format", "jedec"});
    ASSERT_EQ(j.code, 0) << j.err;
    EXPECT_NE(zelmo::test::readFile(dir / "b.jed").find("L0000 10110000*\nV0001 01HL*\n"),
              std::string::npos);
}

// Catalogue devices come from the hardware library next to the program.
TEST_F(ConvertCommand, CatalogueDevicesThroughRecordsAndBack) {
    const char* binDir = std::getenv("ZELMO_BIN_DIR");
    if (!std::filesystem::exists(std::string(binDir) + "/libhardware.so")) {
        GTEST_SKIP() << "no hardware library in ZELMO_BIN_DIR";
    }
    TempDir dir;
    struct Device {
        const char* key;
        unsigned size;
    };
    for (const Device d : {Device{"ATM:AT28C256:DIP28", 32768}, Device{"MCHP:24LC256:DIP8", 32768},
                           Device{"ATM:AT27C512R:DIP28", 65536}}) {
        std::mt19937 gen(d.size);
        std::string bytes(d.size, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(gen());
        }
        zelmo::test::writeFile(dir / "in.bin", bytes);
        // The input format is guessed from the file name, as production scripts rely on.
        for (const auto& [format, name] : {std::pair{"hex", "x.hex"}, std::pair{"srec", "x.s19"}}) {
            const CliRun s = convert({"--device", d.key, "--in", path(dir / "in.bin"), "--out",
                                      path(dir / name), "--out-format", format, "--optimize"});
            ASSERT_EQ(s.code, 0) << d.key << " " << s.err;
            const CliRun l = convert({"--device", d.key, "--in", path(dir / name), "--out",
                                      path(dir / "back.bin"), "--out-format", "bin"});
            ASSERT_EQ(l.code, 0) << d.key << " " << l.err;
            EXPECT_TRUE(zelmo::test::readFile(dir / "back.bin") == bytes) << d.key << " " << format;
        }
    }
    const CliRun unknown = convert({"--device", "ATM:NOSUCHCHIP:DIP28", "--in", "x"});
    EXPECT_EQ(unknown.code, 2) << unknown.err;
}

// Every logic device of the catalogue: a fuse map with whole 32-fuse lines at 0 (which the
// writer leaves out), scattered fuses and two vectors survives JEDEC -> JEDEC written with the
// device's own header -> binary.
TEST_F(ConvertCommand, JedecRoundTripOfEveryLogicDevice) {
    if (!std::filesystem::exists((zelmo::test::cliBinDir() + "/libhardware.so").toStdString())) {
        GTEST_SKIP() << "no hardware library in ZELMO_BIN_DIR";
    }
    const CliRun list = zelmo::test::runCli({"devices", "--type", "5"});
    ASSERT_EQ(list.code, 0) << list.err;
    const QStringList lines = QString::fromStdString(list.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    TempDir dir;
    for (const QString& line : lines) {
        const QStringList f = line.split('\t');
        ASSERT_EQ(f.size(), 7) << line.toStdString();
        const QString key = f[0] + ":" + f[1] + ":" + f[2];
        const std::size_t fuseCount = f[4].split(',')[0].toULong();
        const std::size_t vectorBytes = f[4].split(',')[1].toULong();
        const int pins = f[5].toInt();
        ASSERT_GE(fuseCount, 200u) << key.toStdString();
        ASSERT_GE(vectorBytes, 2u * 48) << key.toStdString();

        std::string fuses(fuseCount, '\0');
        for (std::size_t at : {std::size_t{5}, std::size_t{100}, std::size_t{101}, fuseCount - 1}) {
            fuses[at] = 1;
        }
        std::string source =
            "\x02*QP" + std::to_string(pins) + "*QF" + std::to_string(fuseCount) + "*QV2*F0*X1*";
        for (std::size_t at = 0; at < fuseCount; ++at) {
            if (fuses[at] != 0) {
                source += "L" + std::to_string(at) + " 1*";
            }
        }
        std::string vectors(vectorBytes, '\xFF');
        for (int v = 0; v < 2; ++v) {
            std::string pinsText;
            for (int p = 0; p < pins; ++p) {
                pinsText += "01HLXZCN"[(p + 3 * v) % 8];
            }
            vectors.replace(static_cast<std::size_t>(v) * 48, pinsText.size(), pinsText);
            source += "V" + std::to_string(v + 1) + " " + pinsText + "*";
        }
        source += "\x03"
                  "0000";
        zelmo::test::writeFile(dir / "source.jed", source);

        const CliRun w = convert({"--device", key, "--in", path(dir / "source.jed"), "--out",
                                  path(dir / "written.jed"), "--out-format", "jedec"});
        ASSERT_EQ(w.code, 0) << key.toStdString() << " " << w.err;
        for (const char* memory : {"A", "B"}) {
            const CliRun r =
                convert({"--device", key, "--in", path(dir / "written.jed"), "--memory", memory,
                         "--out", path(dir / "back.bin"), "--out-format", "bin"});
            ASSERT_EQ(r.code, 0) << key.toStdString() << " " << r.err;
            EXPECT_TRUE(zelmo::test::readFile(dir / "back.bin") ==
                        (memory[0] == 'A' ? fuses : vectors))
                << key.toStdString() << " memory " << memory;
        }
    }
}

TEST_F(ConvertCommand, ExitCodes) {
    TempDir dir;
    zelmo::test::writeFile(dir / "bad.hex", ":0400100001020304E3\r\n:00000001FF\r\n");
    const QString sizes = "64,0,0,0,0";
    struct Case {
        QStringList args;
        int code;
        const char* err; // start of stderr
    };
    const Case cases[] = {
        {{"--sizes", sizes, "--in", path(dir / "bad.hex")},
         1,
         "Incorrect Hex file. Checksum error."},
        {{"--sizes", sizes, "--in", path(dir / "none.bin")}, 1, "Couldn't open file."},
        {{"--sizes", sizes, "--in", path(dir / "bad.hex"), "--in-format", "bin", "--out",
          path(dir / "no/such/x.bin"), "--out-format", "bin"},
         1,
         "Couldn't save file."},
        {{"--sizes", sizes}, 2, "zelmo2-cli convert: --in"},
        {{"--in", path(dir / "bad.hex")}, 2, "zelmo2-cli convert: --device"},
        {{"--sizes", sizes, "--in", "x", "--in-format", "elf"}, 2, "zelmo2-cli convert: 'elf'"},
        {{"--sizes", sizes, "--in", "x", "--out", "y"}, 2, "zelmo2-cli convert: --out and"},
        {{"--sizes", sizes, "--in", "x", "--memory", "E"}, 2, "zelmo2-cli convert: 'E'"},
        {{"--sizes", sizes, "--in", "x", "--memory", "B"}, 2, "zelmo2-cli convert: memory B"},
        {{"--sizes", sizes, "--in", "x", "--fill", "100"}, 2, "zelmo2-cli convert: '100'"},
        {{"--sizes", sizes, "--in", "x", "--file-offset", "0xZZ"}, 2, "zelmo2-cli convert: '0xZZ'"},
        {{"--sizes", sizes, "--in", "x", "--bogus", "1"}, 2, "zelmo2-cli convert: unknown option"},
    };
    for (const Case& c : cases) {
        const CliRun r = convert(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << "\n" << r.err;
        EXPECT_EQ(r.err.rfind(c.err, 0) == 0 ||
                      r.err.find(std::string("\n") + c.err) != std::string::npos,
                  true)
            << r.err;
    }
}

} // namespace
