#include "common/temp_dir.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the built zelmo2-cli; skips when this build has no program (it links every subsystem).
CliRun runCli(const QStringList& args) {
    const char* bin = std::getenv("ZELMO_BIN_DIR");
    const QString program = QString::fromLocal8Bit(bin != nullptr ? bin : "") + "/zelmo2-cli";
    CliRun r;
    if (!std::filesystem::exists(program.toStdString())) {
        return r;
    }
    QProcess p;
    p.start(program, QStringList{"checksum"} + args);
    if (!p.waitForFinished(30000)) {
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(ChecksumCommand, NineValuesOfARangeAndExitCodes) {
    zelmo::test::TempDir dir;
    ASSERT_TRUE(zelmo::test::writeFile(dir / "check.bin", "xx123456789yy"));
    const QString file = QString::fromStdString((dir / "check.bin").string());
    CliRun r = runCli({"--in", file, "--from", "2", "--to", "a"});
    if (r.exitCode == -1) {
        GTEST_SKIP() << "zelmo2-cli is not built in this build";
    }
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.toStdString(), "Checksum 16: 01DD\n"
                                   "Checksum 32: 000001DD\n"
                                   "CRC-16: BB3D\n"
                                   "CRC-16 (Modbus): 4B37\n"
                                   "CRC-DNP: 82EA\n"
                                   "CRC-CCIT (XModem): 31C3\n"
                                   "CRC-CCIT (FFFF): 29B1\n"
                                   "CRC-CCIT (1D0F): E5CC\n"
                                   "CRC-32: CBF43926\n");
    // From above To: the whole file, as the calculator corrects it.
    r = runCli({"--in", file, "--from", "5", "--to", "1"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.startsWith("Checksum 16: 03BF\n")) << r.out.toStdString();

    r = runCli({"--in", QString::fromStdString((dir / "missing.bin").string())});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(r.err.isEmpty());
    for (const QStringList& bad :
         {QStringList{}, QStringList{"--in", file, "--from", "xyz"},
          QStringList{"--in", file, "--to", "123456789"}, QStringList{"--in"},
          QStringList{"--in", file, "--bogus", "1"}}) {
        EXPECT_EQ(runCli(bad).exitCode, 2) << bad.join(' ').toStdString();
    }
}

} // namespace
