// zelmo2-cli given what a careless script or a hostile user hands it: files that are not regular
// files, files that shrink while read, full disks, malformed numbers, names with control
// characters. Every case ends at once with a message and an exit code that tells the truth.

#include "cli_run.h"
#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <chrono>
#include <csignal>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelmo::test {
namespace {

class CliBadInput : public testing::Test {
protected:
    void SetUp() override {
        if (!cliBuilt()) {
            GTEST_SKIP() << "ZELMO_BIN_DIR does not hold zelmo2-cli";
        }
    }
    TempDir dir;
};

// A deadline long enough for a loaded machine; a program still running after it hangs.
constexpr int kHang = 10000;

TEST_F(CliBadInput, PipesAndDevicesAreRefusedAtOnce) {
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    struct Case {
        QStringList args;
        std::string err;
    };
    const QString pipe = pathText(dir / "pipe");
    const Case cases[] = {
        {{"convert", "--sizes", "64,0,0,0,0", "--in", pipe, "--in-format", "bin"},
         "Couldn't open file.\nNot a regular file\n"},
        {{"convert", "--sizes", "64,0,0,0,0", "--in", "/dev/zero", "--in-format", "hex"},
         "Couldn't open file.\nNot a regular file\n"},
        {{"checksum", "--in", pipe},
         "zelmo2-cli checksum: cannot read '" + pipe.toStdString() + "'\nNot a regular file\n"},
        {{"checksum", "--in", "/dev/zero"},
         "zelmo2-cli checksum: cannot read '/dev/zero'\nNot a regular file\n"},
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const CliRun r = runCli(c.args, kHang);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        ASSERT_FALSE(r.hung) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err, c.err);
        RecordProperty(c.args.first().toStdString() + "_ms", std::to_string(ms));
    }
}

// Every failure names the operating system's reason on a second line.
TEST_F(CliBadInput, FailuresNameTheSystemsReason) {
    ASSERT_TRUE(writeFile(dir / "in.bin", std::string(64, 'x')));
    std::filesystem::create_directory(dir / "folder");
    const QStringList load{"convert", "--sizes", "64,0,0,0,0", "--in-format", "bin"};
    struct Case {
        QStringList args;
        const char* err;
    };
    const Case cases[] = {
        {load + QStringList{"--in", pathText(dir / "missing.bin")},
         "Couldn't open file.\nNo such file or directory\n"},
        {load + QStringList{"--in", pathText(dir / "folder")},
         "Couldn't open file.\nIs a directory\n"},
        {load + QStringList{"--in", pathText(dir / "in.bin"), "--out", pathText(dir / "folder"),
                            "--out-format", "bin"},
         "Couldn't save file.\nIs a directory\n"},
        {load + QStringList{"--in", pathText(dir / "in.bin"), "--out",
                            pathText(dir / "in.bin" / "x.bin"), "--out-format", "bin"},
         "Couldn't save file.\nNot a directory\n"},
        {load + QStringList{"--in", pathText(dir / "in.bin"), "--out",
                            pathText(dir / "none" / "x.bin"), "--out-format", "hex"},
         "Couldn't save file.\nNo such file or directory\n"},
    };
    for (const Case& c : cases) {
        const CliRun r = runCli(c.args);
        EXPECT_EQ(r.code, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.ends_with(c.err)) << c.args.join(' ').toStdString() << "\n" << r.err;
    }
}

// A full disk (here a file-size limit, which binds root too) fails the save and keeps the file
// it would have replaced, even when that file is the input.
TEST_F(CliBadInput, AFullDiskKeepsTheInputThatWasAlsoTheOutput) {
    std::string image(65536, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<char>(i * 7);
    }
    ASSERT_TRUE(writeFile(dir / "x.bin", image));
    const QString x = pathText(dir / "x.bin");
    // Room for the 64 KiB swap file, not for the 180 KiB of records.
    const CliRun r = runCli({"convert", "--sizes", "65536,0,0,0,0", "--in", x, "--in-format", "bin",
                             "--out", x, "--out-format", "hex"},
                            60000, [] {
                                const rlimit limit{128 << 10, 128 << 10};
                                ::setrlimit(RLIMIT_FSIZE, &limit);
                            });
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.ends_with("Couldn't save file.\nFile too large\n")) << r.err;
    EXPECT_TRUE(readFile(dir / "x.bin") == image) << "the input is byte-identical";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left behind";
}

// A JEDEC file cut short by another process while it is being read ends in a message, never in
// a crash.
TEST_F(CliBadInput, AJedecFileThatShrinksWhileReadIsAnError) {
    const auto big = dir / "big.jed";
    {
        std::string text = "\x02*QP8*QF64*N";
        text.append(std::size_t{128} << 20, ' ');
        text += "*L0000 1*\x03"
                "0000";
        ASSERT_TRUE(writeFile(big, text));
    }
    QProcess p;
    p.start(cliBinDir() + "/zelmo2-cli", {"convert", "--sizes", "64,48,0,0,0", "--type", "5",
                                          "--pins", "8", "--in", pathText(big)});
    ASSERT_TRUE(p.waitForStarted());
    // Cut the file as soon as the program has it open.
    const auto fds = std::filesystem::path("/proc") / std::to_string(p.processId()) / "fd";
    bool cut = false;
    for (int i = 0; i < 10000 && !cut && p.state() == QProcess::Running; ++i) {
        std::error_code ec;
        for (const auto& fd : std::filesystem::directory_iterator(fds, ec)) {
            if (std::filesystem::read_symlink(fd.path(), ec) == big) {
                cut = ::truncate(big.c_str(), 4096) == 0;
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    ASSERT_TRUE(p.waitForFinished(kHang));
    EXPECT_TRUE(cut) << "the file was cut while open";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "no SIGBUS";
}

TEST_F(CliBadInput, NumbersAreParsedStrictly) {
    ASSERT_TRUE(writeFile(dir / "in.bin", std::string(64, 'x')));
    const QStringList load{"convert", "--in", pathText(dir / "in.bin"), "--in-format", "bin"};
    const QStringList sizes{"--sizes", "64,0,0,0,0"};
    const QStringList cases[] = {
        load + sizes + QStringList{"--file-offset", "0x+5"},
        load + sizes + QStringList{"--file-offset", "0x 5"},
        load + sizes + QStringList{"--file-offset", " 5"},
        load + sizes + QStringList{"--file-offset", "5 "},
        load + sizes + QStringList{"--buffer-offset", "0x"},
        load + QStringList{"--sizes", "0x+40,0,0,0,0"},
        load + QStringList{"--sizes", "64, 0,0,0,0"},
        load + sizes + QStringList{"--fill", " F"},
        load + sizes + QStringList{"--fill", "+F"},
        load + sizes + QStringList{"--type", " 5"},
        load + sizes + QStringList{"--pins", "256"},
        {"checksum", "--in", pathText(dir / "in.bin"), "--from", " 5"},
        {"checksum", "--in", pathText(dir / "in.bin"), "--to", "5 "},
        {"checksum", "--in", pathText(dir / "in.bin"), "--to", "0x 5"},
        {"devices", "--type", "+5"},
        {"devices", "--type", " 5"},
    };
    for (const QStringList& args : cases) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, 2) << args.join('|').toStdString() << "\n" << r.out << r.err;
    }
    // The forms the help texts promise still work.
    EXPECT_EQ(
        runCli(load + sizes + QStringList{"--file-offset", "0x1F", "--buffer-offset", "3"}).code,
        0);
    EXPECT_EQ(runCli({"checksum", "--in", pathText(dir / "in.bin"), "--from", "1f"}).code, 0);
}

// Kinds of data file convert cannot read, and a JEDEC file for a device that has no fuses, are
// refused instead of giving an all-0xFF or a one-bit-per-byte result.
TEST_F(CliBadInput, FilesConvertCannotHonourAreRefused) {
    ASSERT_TRUE(writeFile(dir / "ti.txt", "@0000\n01 02\nq\n"));
    ASSERT_TRUE(writeFile(dir / "design.pof", "POF\x01"));
    ASSERT_TRUE(writeFile(dir / "in.bin", std::string(64, '\x55')));
    const QStringList sizes{"convert", "--sizes", "64,0,0,0,0"};
    const QStringList cases[] = {
        sizes + QStringList{"--in", pathText(dir / "ti.txt")},
        sizes + QStringList{"--in", pathText(dir / "design.pof"), "--out", pathText(dir / "o.bin"),
                            "--out-format", "bin"},
        sizes + QStringList{"--pins", "8", "--in", pathText(dir / "in.bin"), "--out",
                            pathText(dir / "o.jed"), "--out-format", "jedec"},
    };
    for (const QStringList& args : cases) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString() << "\n" << r.out;
        EXPECT_TRUE(r.err.starts_with("zelmo2-cli convert: ")) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "o.bin") ||
                     std::filesystem::exists(dir / "o.jed"));
    }
}

// A device name with a control character stays one field of one line.
TEST_F(CliBadInput, DeviceNamesAreEscaped) {
    if (!std::filesystem::exists((cliBinDir() + "/libhardware.so").toStdString())) {
        GTEST_SKIP() << "no hardware library in ZELMO_BIN_DIR";
    }
    // An application folder of its own with a catalogue of two devices.
    const auto app = dir / "app";
    std::filesystem::create_directories(app / "Lib");
    for (const char* file : {"zelmo2-cli", "libhardware.so"}) {
        std::filesystem::copy_file((cliBinDir() + "/" + file).toStdString(), app / file);
    }
    ASSERT_TRUE(writeFile(
        app / "Lib" / "ConfigLib.lib",
        "[vendor GEN]\nname = Generic\n\n"
        "[device GEN:TAB\tNAME:DIP8]\ntype = EPROM\nlib = E\nsizes = 16, 0, 0, 0, 0\n\n"
        "[device GEN:BACK\\SLASH\x1b:DIP8]\ntype = EPROM\nlib = E\nsizes = 16, 0, 0, 0, 0\n"));
    const CliRun r = runProgram(pathText(app / "zelmo2-cli"), {"devices"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "GEN\tTAB\\tNAME\tDIP8\t1\t16,0,0,0,0\t0\t0x0\n"
                     "GEN\tBACK\\\\SLASH\\x1B\tDIP8\t1\t16,0,0,0,0\t0\t0x0\n");
}

} // namespace
} // namespace zelmo::test
