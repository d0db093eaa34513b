// The main window as the host of the command-line controller: zelmo2-cli open, run and close
// against the window after its real start-up in demo mode.

#include "app/close_check.h"
#include "app/ui/main_window.h"
#include "common/temp_dir.h"
#include "project/project_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

namespace zelmo {
namespace {

const BuildDayBytes kDay{73, 18, 2, 16};

class ControllerWindowTest : public testing::Test {
protected:
    ControllerWindowTest() {
        ::setenv("ZELMO_SIM_STATE", (home / "state").c_str(), 1);
        ::setenv("ZELMO_SIM_CONFIG", (home / "simulator.ini").c_str(), 1);
        EXPECT_TRUE(test::writeFile(home / "simulator.ini", "[simulator]\nprogrammers = 0\n"));
        window.Project().SetSwapPath(QString::fromStdString((home / "swap").string()));
        window.show();
        window.Initialize();
        for (int d = 0; d < 2; ++d) {
            EXPECT_EQ(
                window.Project().AddCompleteDevice(test::makeDescriptor({256, 0, 0, 0, 0})).Slot,
                d);
        }
    }
    ~ControllerWindowTest() override {
        window.Project().CloseAll(true);
        window.Shutdown();
    }

    // zelmo2-cli with the window's event loop running, so the window can answer.
    int Cli(const QStringList& args) {
        QProcess cli;
        cli.start(QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR")) + "/zelmo2-cli", args);
        QElapsedTimer clock;
        clock.start();
        while (cli.state() != QProcess::NotRunning && clock.elapsed() < 30000) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
            cli.waitForFinished(10);
        }
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
        return cli.exitCode();
    }

    test::TempDir home;
    TfMain window{kDay, CommandLine{}, QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR"))};
};

TEST_F(ControllerWindowTest, RunSelectsTheDeviceAndItsTabAndIsRefusedInDemoMode) {
    EXPECT_EQ(Cli({"run", "--device", "2", "--tab", "read"}), 100);
    EXPECT_EQ(window.Project().ActiveDevice, 1);
    EXPECT_EQ(window.Project().Devices[1]->OpTabsSelected, 2);
    // The operations' Run decides once it is there; a device outside the project never gets it.
    int runs = 0;
    window.SetControllerRun([&]() -> std::optional<std::int32_t> {
        ++runs;
        QTimer::singleShot(0, &window, [this] { window.Controller().RunEnded(0, 11); });
        return std::nullopt;
    });
    EXPECT_EQ(Cli({"run", "--device", "1", "--tab", "erase"}), 11);
    EXPECT_EQ(window.Project().Devices[0]->OpTabsSelected, 1);
    EXPECT_EQ(Cli({"run", "--device", "3", "--tab", "program"}), 1);
    EXPECT_EQ(runs, 1);
}

TEST_F(ControllerWindowTest, OpenGoesToTheProjectOpener) {
    EXPECT_EQ(Cli({"open", "/nowhere/board.zlp"}), 1) << "no opener yet";
    QStringList opened;
    window.SetProjectOpen([&](const QString& path) {
        opened << path;
        return path.endsWith("good.zlp");
    });
    EXPECT_EQ(Cli({"open", "/p/good.zlp"}), 0);
    EXPECT_EQ(Cli({"open", "/p/bad.zlp"}), 1);
    EXPECT_EQ(opened, (QStringList{"/p/good.zlp", "/p/bad.zlp"}));
}

TEST_F(ControllerWindowTest, CloseDuringAnOperationIsRefusedAndTheWindowStays) {
    window.Project().Devices[1]->Busy = 1;
    // The refusal is shown after the answer; answer it so the test goes on.
    QTimer dismiss;
    QStringList shown;
    QObject::connect(&dismiss, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown << modal->windowTitle();
            modal->close();
        }
    });
    dismiss.start(5);
    EXPECT_EQ(Cli({"close"}), 1);
    QElapsedTimer clock;
    clock.start();
    while (shown.isEmpty() && clock.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(shown, QStringList{"Warning"});
    EXPECT_TRUE(window.isVisible());

    window.Project().Devices[1]->Busy = 0;
    EXPECT_EQ(Cli({"close"}), 0);
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace zelmo
