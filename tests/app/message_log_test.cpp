#include "app/app_paths.h"
#include "app/elapsed_time.h"
#include "app/message_log.h"

#include "common/temp_dir.h"

#include <QDir>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <filesystem>

namespace zelmo {
namespace {

using C = LogColour;

// What the view shows after a series of runs: text with colour marks, e.g. "[R]Warning! ".
std::string Render(const std::vector<LogRun>& runs) {
    QString out;
    for (const LogRun& r : runs) {
        const char* mark = "WGRPB";
        out += QStringLiteral("[") + QChar(mark[static_cast<int>(r.colour)]) + u']' + r.text;
    }
    return out.toStdString();
}

QDateTime FixedClock() {
    return QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9), Qt::UTC);
}

std::string ReadLogFile(const LogFile& file) {
    return test::readFile(std::filesystem::path(file.FilePath().toStdString()));
}

// Tests that write a log file start without the file their fixed clock names.
class LogFileTest : public testing::Test {
protected:
    void SetUp() override { QFile::remove(UserDataFolder() + LogFile::NameFor(FixedClock())); }
};

TEST(MessageLog, TextEntriesComposeIndentPrefixAndColour) {
    struct Case {
        LogKind kind;
        const char* view;
    };
    const Case cases[] = {
        {lkPlain, "[W]Initializing libraries.\n"},
        {lkSection, "[W]\nInitializing libraries.\n"},
        {lkDetail, "[W]  Initializing libraries.\n"},
        {lkDetail | lkSubDetail, "[W]      Initializing libraries.\n"},
        {lkWarningSubDetail, "[W]    [R]Warning! [W]Initializing libraries.\n"},
        {lkWarning | lfGreen, "[R]Warning! [G]Initializing libraries.\n"},
        {lkSuccessDetail, "[W]  [G]Initializing libraries.\n"},
        {lkFailureSubDetail, "[W]    [R]Initializing libraries.\n"},
        {lfGreen | lfRed | lfPurple, "[G]Initializing libraries.\n"},
        {lfRed | lfPurple, "[R]Initializing libraries.\n"},
        {lkPurpleSection, "[W]\n[P]Initializing libraries.\n"},
    };
    for (const Case& c : cases) {
        CMessageLog log;
        EXPECT_EQ(Render(log.AddLog(c.kind, "Initializing libraries.")), c.view)
            << std::hex << c.kind;
    }
}

TEST(MessageLog, HeadersNameDeviceAndDataSet) {
    const LogHeaderNames names{"AT29C256", "PLCC32", "Data set 2", false};
    CMessageLog log;
    // The number takes the colour in force (window text at first), the names are blue.
    EXPECT_EQ(Render(log.AddLog(lfDataSetHeader | 0, "ignored", names)),
              "[W]01: [B]AT29C256 / PLCC32, Data set 2\n");
    // After a blue header the colour in force is blue; indent, colour and warning bits are
    // ignored by headers, the blank line is not.
    EXPECT_EQ(Render(log.AddLog(lkDeviceHeaderAfterBlank(15) | lfWarning | lfRed | lfIndent4,
                                "ignored", names)),
              "[B]\n16: AT29C256 / PLCC32\n");
    EXPECT_EQ(Render(log.AddLog(lkPlain, "x")), "[W]x\n");

    // Link mode cuts composed names at a line break and marks them.
    const LogHeaderNames twoLines{"DEV\nsecond line", "DIP8", "DS", true};
    EXPECT_EQ(Render(log.AddLog(lfDeviceHeader | 3 | lfNoLineEnd, "", twoLines)),
              "[W]04: [B]DEV (and other linked)");
    const LogHeaderNames oneLine{"DEV", "DIP8", "DS", true};
    EXPECT_EQ(Render(log.AddLog(lfDataSetHeader | 1, "", oneLine)), "[B]02: DEV / DIP8, DS\n");
}

TEST_F(LogFileTest, OpenEntryAndCompletionFormOneLineInViewAndFile) {
    CMessageLog log(&FixedClock);
    log.File().SetEnabled(true);
    std::string view = Render(log.AddLog(lkOpenSubDetail, "Initializing hardware..."));
    view += Render(log.AddLog(lkPlain, " OK."));
    view += Render(log.AddLog(lkWarningSubDetail, "Firmware version mismatch."));
    view += Render(log.AddLog(lkDataSetHeaderAfterBlank(0), "", {"D", "P", "S", false}));
    // Each call starts its own runs ("[W]" marks a new run); the text reads as one line.
    EXPECT_EQ(view, "[W]    Initializing hardware...[W] OK.\n"
                    "[W]    [R]Warning! [W]Firmware version mismatch.\n"
                    "[W]\n01: [B]D / P, S\n");
    // The file holds only entry texts: no indent, prefix, number or blank line; CR LF ends.
    EXPECT_EQ(ReadLogFile(log.File()),
              "Initializing hardware... OK.\r\nFirmware version mismatch.\r\nD / P, S\r\n");
}

TEST_F(LogFileTest, LogFileNameIsFixedOncePerRun) {
    static int calls = 0;
    // Each call of the clock is one second later than the last.
    auto ticking = []() { return FixedClock().addSecs(calls++); };
    CMessageLog log(ticking);
    log.AddLog(lkPlain, "before the file is on");
    EXPECT_TRUE(log.File().FilePath().isEmpty());
    EXPECT_EQ(calls, 0);

    log.File().SetEnabled(true);
    log.AddLog(lkPlain, "first");
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             "/TERVANIK/Zelmo2/Log_2024_03_05_07_08_09.log";
    EXPECT_EQ(log.File().FilePath(), expected);
    log.File().SetEnabled(false);
    log.AddLog(lkPlain, "while off");
    log.File().SetEnabled(true);
    log.AddLog(lkPlain, "second");
    EXPECT_EQ(log.File().FilePath(), expected);
    EXPECT_EQ(ReadLogFile(log.File()), "first\r\nsecond\r\n");
    EXPECT_EQ(calls, 1);
}

TEST_F(LogFileTest, LogFileFollowsTheReportFileSwitch) {
    std::uint8_t reportFile = 0;
    CMessageLog log(&FixedClock);
    log.File().SetEnabled(true); // ignored once the file follows the switch
    log.File().FollowSwitch(&reportFile);
    log.AddLog(lkPlain, "off");
    EXPECT_TRUE(log.File().FilePath().isEmpty());
    reportFile = 1;
    log.AddLog(lkPlain, "on");
    reportFile = 0;
    log.AddLog(lkPlain, "off again");
    reportFile = 1;
    log.AddLog(lkPlain, "on again");
    EXPECT_EQ(ReadLogFile(log.File()), "on\r\non again\r\n");
}

TEST_F(LogFileTest, HeldEntriesReachTheFileOnlyWhenTheSwitchIsOnAtRelease) {
    for (const bool on : {false, true}) {
        QFile::remove(UserDataFolder() + LogFile::NameFor(FixedClock()));
        std::uint8_t reportFile = 0;
        CMessageLog log(&FixedClock);
        log.File().FollowSwitch(&reportFile);
        log.File().Hold();
        log.AddLog(lkOpenSubDetail, "Initializing hardware...");
        log.AddLog(lkPlain, " OK.");
        EXPECT_TRUE(log.File().FilePath().isEmpty()); // nothing written while held
        reportFile = on ? 1 : 0;
        log.File().Release();
        log.AddLog(lkSection, "Initialization done.");
        EXPECT_EQ(ReadLogFile(log.File()),
                  on ? "Initializing hardware... OK.\r\nInitialization done.\r\n" : "");
    }
}

TEST_F(LogFileTest, LogFileNarrowsAndKeepsLongEntries) {
    CMessageLog log(&FixedClock);
    log.File().SetEnabled(true);
    const QString longText = QString(300, u'a') + u'z';
    log.AddLog(lkPlain, longText);
    log.AddLog(lkPlain, QString::fromUtf8("caf\u00e9 \u00ff two\nlines"));
    // A character without an 8-bit form ends that entry's write, line end included.
    log.AddLog(lkPlain, QString::fromUtf8("cost 5 \u20ac and more"));
    log.AddLog(lkPlain, "next");
    EXPECT_EQ(ReadLogFile(log.File()),
              longText.toStdString() + "\r\ncaf\xE9 \xFF two\r\nlines\r\ncost 5 next\r\n");
}

TEST_F(LogFileTest, LogFileFailuresAreSilentAndRetried) {
    test::TempDir dir;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    // A data folder below a regular file cannot be created, whoever runs the test.
    ASSERT_TRUE(test::writeFile(dir / "file", "x"));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((dir / "file" / "data").string()));
    {
        CMessageLog log(&FixedClock);
        log.File().SetEnabled(true);
        EXPECT_EQ(Render(log.AddLog(lkPlain, "still shown")), "[W]still shown\n");
        EXPECT_TRUE(log.File().FilePath().isEmpty());
        EXPECT_FALSE(log.File().Append("again"));
    }
    qputenv("XDG_DATA_HOME", saved);
    // A file that cannot be opened now is written once it can be.
    CMessageLog log(&FixedClock);
    log.File().SetEnabled(true);
    const QString path = UserDataFolder() + LogFile::NameFor(FixedClock());
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkpath(path)); // a folder in the file's place
    log.AddLog(lkPlain, "lost");
    EXPECT_EQ(log.File().FilePath(), path);
    ASSERT_TRUE(QDir().rmdir(path));
    log.AddLog(lkPlain, "kept");
    EXPECT_EQ(ReadLogFile(log.File()), "kept\r\n");
}

TEST(ElapsedTime, ThreeForms) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "Elapsed time:  0.0s"},
        {99, "Elapsed time:  0.0s"},
        {59999, "Elapsed time: 59.9s"},
        {61500, "Elapsed time:  1:01"},
        {3599999, "Elapsed time: 59:59"},
        {3723000, "Elapsed time: 1:02:03"},
        {36000000 * 3, "Elapsed time: 30:00:00"},
    };
    for (const auto& [ms, text] : cases) {
        EXPECT_EQ(ElapsedTimeText(ms), text) << ms;
    }
}

} // namespace
} // namespace zelmo
