// The real start-up of the main window against the simulated programmer library, configured by
// each test: the log from the release line to the free-space lines, the status message, demo
// mode, a forced port, mixed models, a firmware update, a programmer that does not open, a
// catalogue without devices, "-c", and a second instance.

#include "app/ui/main_window.h"

#include "app/process_start.h"
#include "app/ui/log_view.h"
#include "app/ui/main_commands.h"
#include "common/temp_dir.h"
#include "modal.h"
#include "persistence/settings_document.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace zelmo {
namespace {

const BuildDayBytes kDay{73, 18, 2, 16};

QString BinDir() {
    return QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR")) + "/";
}

// Every test runs in folders of its own: the simulator's configuration and state, and the
// user's data and configuration folders (the configuration file, the log file, the record).
class StartupTest : public testing::Test {
protected:
    StartupTest() {
        for (const char* sub : {"data", "config", "state"}) {
            std::filesystem::create_directories(home / sub);
        }
        Set("XDG_DATA_HOME", home / "data");
        Set("XDG_CONFIG_HOME", home / "config");
        Set("ZELMO_SIM_STATE", home / "state");
        Set("ZELMO_SIM_CONFIG", home / "simulator.ini");
    }
    ~StartupTest() override {
        if (window) {
            window->Shutdown();
        }
    }

    static void Set(const char* name, const std::filesystem::path& value) {
        ::setenv(name, value.c_str(), 1);
    }
    void Simulator(const std::string& ini) {
        ASSERT_TRUE(test::writeFile(home / "simulator.ini", ini));
    }
    // The configuration file a previous run left.
    void Configuration(const std::function<void(CMyIni&)>& write) {
        const QString file = ConfigurationFilePath();
        CMyIni document;
        ASSERT_TRUE(document.Open(file, "Settings", false));
        write(document);
        ASSERT_TRUE(document.Save());
    }
    TfMain& Start(CommandLine line = {}, const QString& appDir = BinDir()) {
        window = std::make_unique<TfMain>(kDay, std::move(line), appDir);
        terminations = 0;
        QObject::connect(window.get(), &TfMain::terminated, [this](int code) {
            EXPECT_EQ(code, 1);
            ++terminations;
        });
        window->show();
        window->Initialize();
        return *window;
    }
    QStringList Log() const { return window->LogView()->Text().split(u'\n'); }
    // The log lines must match `patterns` one by one (a pattern is a whole-line expression); a
    // release-age warning after the first line is allowed, as the build may be old.
    void ExpectLog(const QStringList& patterns) const {
        QStringList lines = Log();
        if (lines.size() > 1 && lines[1].startsWith("Warning! Release of the software")) {
            lines.removeAt(1);
        }
        while (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
        ASSERT_EQ(lines.size(), patterns.size()) << lines.join('\n').toStdString();
        for (qsizetype i = 0; i < patterns.size(); ++i) {
            const QRegularExpression re(QRegularExpression::anchoredPattern(patterns[i]));
            EXPECT_TRUE(re.match(lines[i]).hasMatch())
                << "line " << i << ": '" << lines[i].toStdString() << "' against '"
                << patterns[i].toStdString() << "'";
        }
    }

    test::TempDir home;
    std::unique_ptr<TfMain> window;
    int terminations = 0;
    test::ModalAnswers answers;
};

TEST_F(StartupTest, OneProgrammerReportsEveryStepAndTheLogFileHasThemToo) {
    Simulator("[simulator]\nprogrammers = 1\n[programmer 1]\nserial = ZS000001\n");
    Configuration([](CMyIni& ini) { ini.WriteInt("Config", "ReportFile", 1); });
    TfMain& w = Start();
    ExpectLog({
        R"(Zelmo 2, software release 73\.18\.02\.16)",
        "",
        "Checking registry.",
        "Initializing libraries.",
        "Searching for hardware.",
        "Programmer found. Opening.",
        R"(  Zelmo 2 USB, version 1\.0, serial number ZS000001\.)",
        R"(    Firmware version: 1\.02\.10\.05\.)",
        R"(    Initializing hardware\.\.\. OK\.)",
        "Entering 'Gang' mode.",
        "",
        "Reading configuration files.",
        R"(  \d+ vendors\.)",
        R"(  \d+ devices\.)",
        "",
        "Initialization done.",
        R"(Program directory free bytes: [0-9.]+ (bytes|KB|MB|GB|TB))",
        R"(Swap directory free bytes: [0-9.]+ (bytes|KB|MB|GB|TB))",
    });
    EXPECT_EQ(w.StatusMessage(), "Hardware found: Zelmo 2 USB.");
    EXPECT_FALSE(w.InitFailed());
    EXPECT_TRUE(w.Commands().miAddDevice->isEnabled());
    EXPECT_TRUE(w.ProgressTimer()->isActive());
    EXPECT_EQ(w.ProgressTimer()->interval(), 333);
    EXPECT_EQ(w.Project().ProgrammerCount, 1);

    // The log file holds the same entries: no indent, no blank lines, no warning prefix.
    QFile file(w.Log().File().FilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList expected;
    for (const QString& line : Log()) {
        if (!line.trimmed().isEmpty()) {
            expected << QString(line).remove(QRegularExpression("^ *(Warning! )?"));
        }
    }
    EXPECT_EQ(QString::fromLatin1(file.readAll()).split("\r\n", Qt::SkipEmptyParts), expected);

    // The installation record names this application directory.
    QFile record(QString::fromStdString((home / "config" / "TERVANIK").string()) +
                 "/Zelmo 2 (USB).conf");
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_TRUE(record.readAll().contains("Signature=zelmo2u"));
}

TEST_F(StartupTest, NoProgrammerEntersDemoModeAndDebugModeMarksTheCaption) {
    Simulator("[simulator]\nprogrammers = 0\n");
    CommandLine line;
    line.DebugMode = true;
    TfMain& w = Start(line);
    EXPECT_EQ(w.windowTitle(), "Zelmo 2 / ver. 73.18.02.16 - DEBUG");
    EXPECT_TRUE(Log().contains("No programmers found. Entering demo mode."));
    EXPECT_TRUE(Log().contains("Initialization done."));
    EXPECT_EQ(w.StatusMessage(), "Hardware not found. Entered demo mode.");
    EXPECT_EQ(w.Project().ProgrammerCount, 0);
    EXPECT_FALSE(w.InitFailed());
    EXPECT_EQ(terminations, 0);
}

TEST_F(StartupTest, ForcedPortOpensOnlyThatProgrammer) {
    Simulator("[simulator]\nprogrammers = 2\n[programmer 1]\nport = 7\n[programmer 2]\nport = 8\n");
    CommandLine line;
    line.ForcedPort = 7;
    TfMain& w = Start(line);
    const QStringList log = Log();
    const qsizetype opening = log.indexOf("Opening programmers at USB#7.");
    ASSERT_GE(opening, 0);
    EXPECT_EQ(log[opening + 1], "Programmer found. Opening.");
    EXPECT_FALSE(log.contains("Searching for hardware."));
    ASSERT_EQ(w.Programmers().size(), 1u);
    EXPECT_EQ(w.Programmers()[0].Port, 7);
}

TEST_F(StartupTest, TwoModelsRunInSingleModeAndTheStoredIndexFallsBack) {
    Simulator("[simulator]\nprogrammers = 2\n[programmer 2]\nmodel = 2\n");
    Configuration([](CMyIni& ini) { ini.WriteInt("Config", "ProgrammerIndex", 2); });
    TfMain& w = Start();
    EXPECT_TRUE(Log().contains("'Gang' mode not possible. Entering 'Single' mode."));
    EXPECT_EQ(w.StatusMessage(), "Hardware found: 2 programmers. 'Single' mode enabled.");
    EXPECT_EQ(w.Project().ProgrammerIndex, 0u); // 2 is not below the 2 programmers found
}

TEST_F(StartupTest, FirmwareMismatchOnOneOfThreeUpdatesAllAndCloses) {
    for (const bool update : {true, false}) {
        Simulator("[simulator]\nprogrammers = 3\n[programmer 2]\nfirmware = 1.01.00.00\n");
        for (int port = 1; port <= 3; ++port) {
            std::filesystem::remove(home / "state" / ("port-" + std::to_string(port)) / "firmware");
        }
        if (update) {
            answers.Button("OK");
        } else {
            answers.Key(Qt::Key_Escape);
        }
        TfMain& w = Start();
        ASSERT_FALSE(answers.Seen().empty());
        EXPECT_EQ(answers.Seen().back().text, "Firmware version mismatch.\nPress OK to start "
                                              "firmware update\nor Cancel to quit.");
        const QStringList log = Log();
        EXPECT_EQ(log.filter("Warning! Firmware version mismatch.").size(), 1);
        EXPECT_EQ(log.contains("Starting firmware update procedure."), update);
        EXPECT_TRUE(log.contains("Closing application."));
        EXPECT_FALSE(log.contains("Reading configuration files."));
        EXPECT_TRUE(w.InitFailed());
        EXPECT_EQ(terminations, 1);
        // The update reaches every programmer, not only the one that differed.
        for (int port = 1; port <= 3; ++port) {
            EXPECT_EQ(std::filesystem::exists(home / "state" / ("port-" + std::to_string(port)) /
                                              "firmware"),
                      update)
                << port;
        }
        window.reset();
    }
}

TEST_F(StartupTest, AProgrammerThatDoesNotOpenEndsTheApplicationWithItsMessages) {
    Simulator("[simulator]\nprogrammers = 2\n[programmer 2]\nfail = open\n");
    TfMain& w = Start();
    const QStringList log = Log();
    const qsizetype found = log.indexOf("2 programmers found.");
    ASSERT_GE(found, 0);
    // Programmer 1 opens; then the library's own messages about programmer 2, and nothing more.
    ASSERT_GT(log.size(), found + 5);
    EXPECT_TRUE(log[found + 1].startsWith("  1) Zelmo 2 USB"));
    const QString messages = log.mid(found + 5).join('\n');
    EXPECT_FALSE(messages.trimmed().isEmpty());
    EXPECT_FALSE(log.contains("Reading configuration files."));
    EXPECT_FALSE(log.contains("Initialization done."));
    EXPECT_TRUE(w.InitFailed());
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(w.Session().Started()); // the library is freed
}

TEST_F(StartupTest, AMissingHardwareLibraryEndsTheApplication) {
    test::TempDir empty;
    answers.Key(Qt::Key_Return);
    TfMain& w = Start({}, QString::fromStdString(empty.path().string()));
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].title, "Error");
    EXPECT_EQ(answers.Seen()[0].text, "Missing 'libhardware.so'");
    EXPECT_TRUE(w.InitFailed());
    EXPECT_EQ(terminations, 1);
    EXPECT_FALSE(Log().contains("Searching for hardware."));
}

TEST_F(StartupTest, ACatalogueWithoutDevicesSaysSo) {
    Simulator("[simulator]\ncatalogue = no_devices\n");
    TfMain& w = Start();
    EXPECT_TRUE(Log().contains("  No devices found."));
    EXPECT_TRUE(Log().contains("Initialization done."));
    EXPECT_FALSE(w.InitFailed());
}

TEST_F(StartupTest, ClearSwitchDeletesTheConfigurationBeforeItIsRead) {
    Simulator("[simulator]\nprogrammers = 1\n");
    Configuration([](CMyIni& ini) {
        ini.WriteInt("Config", "TimerInterval", 1000);
        ini.WriteInt("Config", "SafeMode", 0);
    });
    CommandLine line;
    line.ClearConfiguration = true;
    window = std::make_unique<TfMain>(kDay, line, BinDir());
    EXPECT_FALSE(QFile::exists(ConfigurationFilePath())); // gone before anything reads it
    window->show();
    window->Initialize();
    EXPECT_EQ(window->Project().TimerInterval, 333u);
    EXPECT_EQ(window->Project().SafeMode, 1);
    EXPECT_EQ(window->ProgressTimer()->interval(), 333);
}

TEST_F(StartupTest, ASecondInstanceIsRefusedAndHandsItsProjectOver) {
    const QString folder = QString::fromStdString(home.path().string());
    CSingleInstance first(folder);
    const ProcessStart running = StartProcess(first, {}, "Feb 16 2018", "13:33:27");
    ASSERT_TRUE(running.ok);
    EXPECT_EQ(running.buildDay, kDay);
    QStringList handed;
    QObject::connect(&first, &CSingleInstance::projectHandedOver,
                     [&](const QString& path) { handed << path; });

    CSingleInstance second(folder);
    const ProcessStart refused = StartProcess(second, {}, "Feb 16 2018", "13:33:27");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, "Application already open.");

    CommandLine withProject;
    withProject.ProjectPath = "/home/user/line.zlp";
    CSingleInstance third(folder);
    const ProcessStart handing = StartProcess(third, withProject, "Feb 16 2018", "13:33:27");
    EXPECT_FALSE(handing.ok);
    EXPECT_TRUE(handing.handedOver);
    for (int i = 0; i < 100 && handed.isEmpty(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(handed, QStringList{"/home/user/line.zlp"});

    // A build without its date cannot name its release.
    test::TempDir other;
    CSingleInstance alone(QString::fromStdString(other.path().string()));
    const ProcessStart undated = StartProcess(alone, {}, "", "13:33:27");
    EXPECT_FALSE(undated.ok);
    EXPECT_EQ(undated.message, "Can't determine Zelmo2 version.\nApplication terminated.");
}

} // namespace
} // namespace zelmo
