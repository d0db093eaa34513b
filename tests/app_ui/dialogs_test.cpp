#include "app/ui/about_box.h"
#include "app/ui/busy_window.h"
#include "app/ui/help_viewer.h"
#include "app/ui/main_setup.h"
#include "app/ui/message_dialog.h"

#include "app/configuration.h"
#include "common/programmer_records.h"
#include "common/temp_dir.h"
#include "controls/ui/hover_label.h"
#include "modal.h"
#include "project/device_descriptor.h"
#include "project/project.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <atomic>
#include <set>

namespace zelmo {
namespace {

void Press(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

TEST(MessageDialogWidget, KeysAndButtonsGiveTheirResults) {
    struct Case {
        MessageButtons set;
        int key;
        bool closes;
        MessageResult result;
    };
    const Case cases[] = {
        {mbYesNo, Qt::Key_Escape, true, mrNo},   {mbOkCancel, Qt::Key_Escape, true, mrCancel},
        {mbOk, Qt::Key_Escape, true, mrOk},      {mbYesNo, Qt::Key_Y, true, mrYes},
        {mbYesNo, Qt::Key_N, true, mrNo},        {mbYesNo, Qt::Key_Return, true, mrYes},
        {mbOkCancel, Qt::Key_Enter, true, mrOk}, {mbOk, Qt::Key_Y, false, mrOk},
        {mbOkCancel, Qt::Key_N, false, mrOk},    {mbClose, Qt::Key_Escape, true, mrOk},
    };
    for (const Case& c : cases) {
        TfMessage dialog(miQuestion, c.set, "Do you really want to quit?");
        dialog.show();
        Press(&dialog, c.key);
        EXPECT_EQ(dialog.isVisible(), !c.closes) << c.set << " " << c.key;
        EXPECT_EQ(dialog.Result(), c.result) << c.set << " " << c.key;
    }

    TfMessage close(miInformation, mbClose, "File association done.");
    EXPECT_EQ(close.windowTitle(), "Information");
    EXPECT_TRUE(close.bClose->isVisibleTo(&close));
    EXPECT_FALSE(close.bOK->isVisibleTo(&close));
    close.show();
    close.bClose->click();
    EXPECT_EQ(close.Result(), mrClose);

    // Closed through the window frame, a dialog answers what it started with: OK.
    TfMessage framed(miWarning, mbYesNo, "x");
    EXPECT_EQ(framed.windowTitle(), "Warning");
    framed.show();
    framed.close();
    EXPECT_EQ(framed.Result(), mrOk);
}

TEST(MessageDialogWidget, ModalShowReturnsTheAnswer) {
    test::ModalAnswers answers;
    answers.Key(Qt::Key_N);
    EXPECT_EQ(ShowMessageDialog(nullptr, miQuestion, mbYesNo, "Are you sure?"), mrNo);
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].title, "Question");
    EXPECT_EQ(answers.Seen()[0].text, "Are you sure?");
}

// A worker of its own class that reports into two progress values and does not close the
// window itself: its end does.
class CountingWorker : public QThread {
public:
    Progress first, second;

protected:
    void run() override {
        for (int step = 1; step <= 4; ++step) {
            first.setPercent(step * 25);
            second.setPercent(100 - step * 25);
            QThread::msleep(150);
        }
    }
};

TEST(BusyWindowWidget, ShowsAWorkersProgressUntilTheWorkerEnds) {
    TfBusy busy;
    std::set<int> seen;
    QObject::connect(busy.tRefresh, &QTimer::timeout,
                     [&] { seen.insert(busy.pbProgress1->value()); });
    busy.SetInfo("Calculating checksum...");
    CountingWorker worker;
    worker.first.setPercent(77); // cleared when the window shows
    busy.Execute(worker, &worker.first, &worker.second);
    EXPECT_TRUE(worker.isFinished());
    EXPECT_FALSE(busy.isVisible());
    EXPECT_TRUE(busy.Info().isEmpty());
    EXPECT_FALSE(busy.tRefresh->isActive());
    EXPECT_FALSE(seen.count(77));
    // The 100 ms timer copied intermediate values, not only the last one.
    EXPECT_GE(seen.size(), 2u);
    EXPECT_TRUE(seen.count(25) || seen.count(50) || seen.count(75));
}

TEST(BusyWindowWidget, AWorkerClosesTheWindowThroughASynchronisedStep) {
    TfBusy busy;
    busy.SetInfo("Loading file...");
    bool closedOnMainThread = false;
    QObject::connect(busy.tRefresh, &QTimer::timeout, [&] {
        // Escape never ends the show.
        Press(&busy, Qt::Key_Escape);
    });
    int last = -1;
    busy.Run([&](Progress& progress) {
        for (int p = 0; p <= 100; p += 20) {
            progress.setPercent(p);
            QThread::msleep(60);
        }
        last = progress.percent();
    });
    closedOnMainThread = !busy.isVisible() && busy.Info().isEmpty();
    EXPECT_TRUE(closedOnMainThread);
    EXPECT_EQ(last, 100);

    // The window serves the next worker as well.
    busy.SetInfo("Saving file...");
    bool ran = false;
    busy.Run([&](Progress&) { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(SettingsDialogWidget, TimerIntervalOutsideTheListShowsNothingAndOkStores333) {
    TProject project;
    SetConfigurationDefaults(project);
    project.TimerInterval = 400;
    TfMainSetup dialog(project, {});
    EXPECT_EQ(dialog.windowTitle(), "Main program setup");
    EXPECT_EQ(dialog.cbTimerInterval->currentIndex(), -1);
    EXPECT_EQ(dialog.cbTimerInterval->count(), 4);
    EXPECT_EQ(dialog.cbTimerInterval->itemText(1), "0.33s");
    EXPECT_EQ(dialog.cbExtReport->text(), "Auto && Run mode extended report (Log)");
    const auto* reload = dialog.rbReloadDisabled->parentWidget();
    EXPECT_EQ(reload->property("title").toString(),
              "Reload file before programming (Auto && Run mode, Program tab)");
    dialog.show();
    Press(&dialog, Qt::Key_Return); // Enter acts as OK
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(project.TimerInterval, 333u);
}

TEST(SettingsDialogWidget, ControlsFollowTheEnableRules) {
    TProject project;
    SetConfigurationDefaults(project);
    MainSetupContext context;
    context.DeviceCount = 1;
    context.ProgrammerLines = {"Zelmo 2 USB, SN: ZS01", "Zelmo 2 USB, SN: ZS02"};
    context.GangCapable = false;
    TfMainSetup dialog(project, context);
    EXPECT_FALSE(dialog.rbSwapTemp->isEnabled());
    EXPECT_FALSE(dialog.rbSwapUserDefined->isEnabled());
    EXPECT_FALSE(dialog.bChangeSwapDir->isEnabled());
    EXPECT_FALSE(dialog.rbGangMode->isEnabled());
    EXPECT_TRUE(dialog.rbSingleMode->isEnabled());
    EXPECT_FALSE(dialog.cbProgrammerSel->isEnabled());
    EXPECT_FALSE(dialog.rbDetectDeviceInsertion->isEnabled());
    EXPECT_FALSE(dialog.cbRemoteCtrl->isEnabled());
    EXPECT_EQ(dialog.lRemoteCtrlInfo->text(),
              "Remote control library ('libRemoteCtrl.so') not found");
    dialog.rbSingleMode->setChecked(true);
    EXPECT_TRUE(dialog.cbProgrammerSel->isEnabled());
    dialog.cbProgrammerSel->setCurrentIndex(1);
    dialog.cbReportFile->setChecked(true);
    dialog.cbHelpLang->setCurrentIndex(1);

    // Cancel drops every change.
    dialog.show();
    Press(&dialog, Qt::Key_Escape);
    EXPECT_EQ(project.GangMode, 1);
    EXPECT_EQ(project.ReportFile, 0);

    dialog.show();
    dialog.bOK->click();
    EXPECT_EQ(project.GangMode, 0);
    EXPECT_EQ(project.ProgrammerIndex, 1u);
    EXPECT_EQ(project.ReportFile, 1);
    EXPECT_EQ(project.HelpFile, "manual_pl");

    // Without devices the swap folder can be chosen.
    context.DeviceCount = 0;
    TfMainSetup free(project, context);
    EXPECT_TRUE(free.rbSwapUserDefined->isEnabled());
    test::TempDir folder;
    free.SetUserSwapFolder(QString::fromStdString(folder.path().string()));
    EXPECT_TRUE(free.rbSwapUserDefined->isChecked());
    free.show();
    free.bOK->click();
    EXPECT_EQ(project.SwapUseTEMP, 0);
    EXPECT_EQ(project.SwapPath, QString::fromStdString(folder.path().string()) + "/");
}

TEST(AboutBoxWidget, ArrowsStepThroughTheProgrammers) {
    const std::vector<ProgrammerInfo> programmers = test::TestProgrammers(3);
    const BuildDayBytes day{73, 18, 2, 16};
    TfAbout about(programmers, day);
    EXPECT_EQ(about.windowTitle(), "About Zelmo");
    EXPECT_EQ(about.lSoftwareVersion->text(), "Software version: 73.18.02.16");
    QStringList steps{about.lDevice->text()};
    for (int i = 0; i < 3; ++i) {
        about.bNext->click();
        steps << about.lDevice->text() + " " + about.lSerialNumber->text();
    }
    EXPECT_EQ(steps.join(", "),
              "Device 1 of 3, Device 2 of 3 ZS02, Device 3 of 3 ZS03, Device 1 of 3 ZS01");
    EXPECT_EQ(about.lFirmwareVersion->text(), "1.02.10.05");
    about.bPrevious->click();
    EXPECT_EQ(about.lDevice->text(), "Device 3 of 3");

    TfAbout demo({}, day);
    EXPECT_EQ(demo.lModel->text(), "Demo mode");
    EXPECT_EQ(demo.lSerialNumber->text(), "-");
    EXPECT_TRUE(demo.lDevice->text().isEmpty());
    EXPECT_FALSE(demo.bNext->isEnabled() || demo.bPrevious->isEnabled());
}

TEST(AboutBoxWidget, CheckForUpdateWithoutTheUpdater) {
    TfAbout about({}, BuildDayBytes{1, 24, 1, 1});
    test::ModalAnswers answers;
    answers.Key(Qt::Key_Escape);
    about.lUpdateClick();
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].title, "Error");
    EXPECT_EQ(answers.Seen()[0].text, "Updater not found.\nIs it installed?");
}

TEST(HelpViewerWidget, ShowsTheManualOrTheBlankPage) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "Help" / "manual_en");
    ASSERT_TRUE(test::writeFile(dir / "Help" / "blank.html", "<html><body></body></html>"));
    ASSERT_TRUE(test::writeFile(dir / "Help" / "manual_en" / "index.html",
                                "<html><body><h1>Zelmo 2 manual</h1></body></html>"));
    const QString app = QString::fromStdString(dir.path().string()) + "/";
    TfHelp help(app);
    help.ShowHelp("manual_en");
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.DocumentPath(), app + "Help/manual_en/index.html");
    EXPECT_TRUE(help.wbHelp->toPlainText().contains("Zelmo 2 manual"));
    help.ShowHelp("manual_ru"); // not shipped here
    EXPECT_EQ(help.DocumentPath(), app + "Help/blank.html");
    EXPECT_TRUE(help.wbHelp->toPlainText().trimmed().isEmpty());
}

} // namespace
} // namespace zelmo
