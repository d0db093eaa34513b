// The main window as the host of the command-line controller: zelmo2-cli open, run and close
// against the window after its real start-up, with the operations' run control behind Run and
// the simulated programmers (or none, in demo mode) behind that.

#include "common/started_window.h"
#include "project/project_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace zelmo {
namespace {

// The simulator as fast as it goes.
const char kFastSimulator[] = "speed = 64M\noverhead_ms = 0\nprepare_ms = 0\ntrigger_ms = 0\n";

class ControllerWindowTest : public test::StartedWindowTest {
protected:
    // Starts the window, whose operation tabs' run control stands behind the controller's runs.
    TfMain& StartWithRunControl(const std::string& simulatorIni) {
        TfMain& w = Start(simulatorIni);
        QObject::connect(&w.Controller(), &controller::CControllerServer::answerSent,
                         [this](const QString& name, std::int32_t code, bool) {
                             answers << QStringLiteral("%1: %2").arg(name).arg(code);
                         });
        return w;
    }

    std::unique_ptr<QProcess> StartCli(const QStringList& args) {
        auto cli = std::make_unique<QProcess>();
        cli->start(QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR")) + "/zelmo2-cli", args);
        EXPECT_TRUE(cli->waitForStarted());
        return cli;
    }
    // Lets the window answer until `done` holds; false after 30 s.
    static bool RunEventsUntil(const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > 30000) {
                return false;
            }
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    // The exit status of zelmo2-cli, the window's event loop running meanwhile.
    static int Finish(QProcess& cli) {
        EXPECT_TRUE(RunEventsUntil([&] {
            cli.waitForFinished(5);
            return cli.state() == QProcess::NotRunning;
        }));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        return cli.exitCode();
    }
    int Cli(const QStringList& args) { return Finish(*StartCli(args)); }

    QStringList answers; // "socket: code", as the window sent them
};

TEST_F(ControllerWindowTest, RunsAreAnsweredOnTheDevicesSocketWithTheirCompletionCode) {
    TfMain& w = StartWithRunControl(std::string("[simulator]\nprogrammers = 1\n") + kFastSimulator);
    for (int d = 0; d < 5; ++d) {
        ASSERT_EQ(AddCatalogueDevice("ATM", "AT28C64B", "DIP28"), d);
    }
    const struct {
        int device;
        const char* tab;
        int opTab; // OpTabsSelected
        const char* socket;
    } runs[] = {
        {2, "program", 3, "Zelmo 2 CLI 2"},
        {5, "read", 2, "Zelmo 2 CLI"},
        {1, "erase", 1, "Zelmo 2 CLI 1"},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.device);
        answers.clear();
        EXPECT_EQ(Cli({"run", "--device", QString::number(run.device), "--tab", run.tab}), 0);
        EXPECT_EQ(answers, QStringList{QStringLiteral("%1: 0").arg(run.socket)});
        EXPECT_EQ(w.Project().ActiveDevice, run.device - 1);
        EXPECT_EQ(w.Project().Devices[run.device - 1]->OpTabsSelected, run.opTab);
        EXPECT_EQ(w.Project().Devices[run.device - 1]->Busy, 0);
    }
    EXPECT_TRUE(LogLines().contains("  Operations done."));
    // A device outside the project is refused before the run control sees it.
    answers.clear();
    EXPECT_EQ(Cli({"run", "--device", "6", "--tab", "program"}), 1);
    EXPECT_EQ(answers, QStringList{"Zelmo 2 CLI: 1"});
    EXPECT_EQ(w.Project().ActiveDevice, 0);
}

TEST_F(ControllerWindowTest, DemoModeRefusesTheRunWithItsOwnCode) {
    TfMain& w = StartWithRunControl("[simulator]\nprogrammers = 0\n");
    for (int d = 0; d < 2; ++d) {
        ASSERT_EQ(w.Project().AddCompleteDevice(test::makeDescriptor({256, 0, 0, 0, 0})).Slot, d);
    }
    EXPECT_EQ(Cli({"run", "--device", "2", "--tab", "read"}), 100);
    EXPECT_EQ(answers, QStringList{"Zelmo 2 CLI 2: 100"});
    EXPECT_EQ(w.Project().ActiveDevice, 1);
    EXPECT_EQ(w.Project().Devices[1]->OpTabsSelected, 2);
    EXPECT_EQ(w.Project().Devices[1]->StatusText, "Operation cancelled.");
    EXPECT_TRUE(LogLines().contains("  Operation not available in demo mode."));
}

TEST_F(ControllerWindowTest, CloseDuringARunIsRefusedAndTheWindowStays) {
    // A run that takes a while: the programmer takes the generated code for two seconds.
    TfMain& w = StartWithRunControl("[simulator]\nprogrammers = 1\nspeed = 64M\n"
                                    "overhead_ms = 0\nprepare_ms = 2000\n");
    for (int d = 0; d < 2; ++d) {
        ASSERT_EQ(AddCatalogueDevice("ATM", "AT28C64B", "DIP28"), d);
    }
    // The refusal is shown once the answer has gone; answer it so the test goes on.
    QStringList shown;
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown << modal->windowTitle();
            modal->close();
        }
    });
    dismiss.start(5);

    const std::unique_ptr<QProcess> run = StartCli({"run", "--device", "1", "--tab", "program"});
    ASSERT_TRUE(RunEventsUntil([&] { return w.Project().Devices[0]->Busy != 0; }));
    // A second run finds the programmer busy: nothing starts, and it is answered at once.
    EXPECT_EQ(Cli({"run", "--device", "2", "--tab", "program"}), 1);
    EXPECT_EQ(w.Project().Devices[1]->Busy, 0);
    EXPECT_EQ(Cli({"close"}), 1);
    EXPECT_TRUE(RunEventsUntil([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, QStringList{"Warning"});
    EXPECT_TRUE(w.isVisible());

    EXPECT_EQ(Finish(*run), 0) << "the run went on to its end";
    EXPECT_EQ(Cli({"close"}), 0);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(ControllerWindowTest, OpenGoesToTheProjectOpener) {
    TfMain& w = Start("[simulator]\nprogrammers = 0\n");
    EXPECT_EQ(Cli({"open", "/nowhere/board.zlp"}), 1) << "no opener yet";
    QStringList opened;
    w.SetProjectOpen([&](const QString& path) {
        opened << path;
        return path.endsWith("good.zlp");
    });
    EXPECT_EQ(Cli({"open", "/p/good.zlp"}), 0);
    EXPECT_EQ(Cli({"open", "/p/bad.zlp"}), 1);
    EXPECT_EQ(opened, (QStringList{"/p/good.zlp", "/p/bad.zlp"}));
}

} // namespace
} // namespace zelmo
