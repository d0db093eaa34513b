// Saves PNGs of the main window and of each dialog of the application shell into a folder, for
// the documentation. Runs the application's own start-up against the hardware library of the
// application directory (the simulator), under whatever display the environment gives (Xvfb in
// scripts/screenshot).
//
//   zelmo2-screenshots APPDIR OUTDIR

#include "app/configuration.h"
#include "app/main_setup_model.h"
#include "app/release.h"
#include "app/ui/about_box.h"
#include "app/ui/busy_window.h"
#include "app/ui/help_viewer.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_setup.h"
#include "app/ui/main_window.h"
#include "app/ui/message_dialog.h"
#include "catalogue/ui/device_info.h"
#include "catalogue/ui/select_ic.h"
#include "project/device_descriptor.h"
#include "project/project_tree.h"
#include "project/ui/project_tree.h"
#include "project/ui/project_ui.h"

#include <QApplication>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

QString outDir;
int failures = 0;

void Settle(int ms = 300) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

void Save(QWidget* w, const QString& name) {
    Settle();
    const QString file = QDir(outDir).filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(file)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        ++failures;
        return;
    }
    std::printf("%s (%dx%d)\n", qPrintable(file), w->width(), w->height());
}

// Shows a dialog without its modal loop, saves it and hides it again.
void SaveDialog(QWidget* w, const QString& name) {
    w->show();
    w->raise();
    Save(w, name);
    w->hide();
}

// ---- The project: the selection dialog, the tree with several devices, device information.

// Answers the next "Select device" dialog: the search text, the first match, the copies; the
// dialog is saved under `shot` when one is given, then confirmed.
void AnswerSelection(const QString& search, int copies, const QString& shot = {}) {
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, search, copies, shot] {
        auto* dialog = qobject_cast<zelmo::TfSelectIC*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        dialog->eFilter->setText(search);
        emit dialog->eFilter->textEdited(search);
        emit dialog->sgDevices->cellPressed(0, 0);
        dialog->cbMultAdd->setCurrentIndex(copies - 1);
        if (!shot.isEmpty()) {
            Save(dialog, shot);
        }
        dialog->bOK->click();
    });
    poll->start();
}

void AddDevices(zelmo::TfMain& fMain, const QString& search, int copies, const QString& shot = {}) {
    AnswerSelection(search, copies, shot);
    fMain.Commands().miAddDevice->trigger();
    Settle(100);
}

void ProjectScenes(zelmo::TfMain& fMain) {
    auto* ui = fMain.findChild<zelmo::TProjectUi*>();
    if (ui == nullptr) {
        ++failures;
        return;
    }
    AddDevices(fMain, QStringLiteral("at28"), 2, QStringLiteral("project_select_device"));
    AddDevices(fMain, QStringLiteral("SST39SF040"), 1);
    AddDevices(fMain, QStringLiteral("PIC16F84A"), 1);
    AddDevices(fMain, QStringLiteral("AT24C02"), 1);
    zelmo::TProject& project = fMain.Project();
    zelmo::CProjectCommands& commands = ui->Commands();
    // Two more data sets on the flash device, one renamed and selected for operations.
    commands.AddDataSet(2);
    commands.AddDataSet(2);
    commands.RenameDataSet(2, 1, QStringLiteral("Release 1.4"));
    project.SetActiveDevice(2);
    project.ShowDataSet(2, 1);
    commands.DataSetDoubleClicked(2, 1);
    fMain.RefreshAll();
    Save(&fMain, QStringLiteral("project_main_window"));
    Save(ui->Tree(), QStringLiteral("project_tree"));

    if (const zelmo::CDevice* device = project.Active()) {
        zelmo::TfDeviceInfo info(*device, QStringLiteral("Silicon Storage Technology"), &fMain);
        SaveDialog(&info, QStringLiteral("project_device_info"));
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmo 2"));
    if (argc < 3) {
        std::fprintf(stderr, "usage: zelmo2-screenshots APPDIR OUTDIR\n");
        return 2;
    }
    const QString appDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + u'/';
    outDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(outDir);

    zelmo::BuildDayBytes day{};
    zelmo::ParseBuildDay(zelmo::BuildDateText(), zelmo::BuildTimeText(), day);
    zelmo::TfMain fMain(day, {}, appDir);
    const QRect screen = fMain.screen()->availableGeometry();
    fMain.show();
    fMain.setGeometry(screen);
    Settle(200);
    fMain.Initialize();
    fMain.setGeometry(screen);
    Save(&fMain, QStringLiteral("main_window"));

    {
        zelmo::TfMessage question(zelmo::miQuestion, zelmo::mbYesNo,
                                  QStringLiteral("Do you really want to quit?"), &fMain);
        SaveDialog(&question, QStringLiteral("message_question"));
        zelmo::TfMessage warning(zelmo::miWarning, zelmo::mbOk,
                                 QStringLiteral("One or more file was modified and not saved.\n"
                                                "Save file or clear buffer to quit."),
                                 &fMain);
        SaveDialog(&warning, QStringLiteral("message_warning"));
        zelmo::TfMessage firmware(zelmo::miQuestion, zelmo::mbOkCancel,
                                  QStringLiteral("Firmware version mismatch.\nPress OK to start "
                                                 "firmware update\nor Cancel to quit."),
                                  &fMain);
        SaveDialog(&firmware, QStringLiteral("message_firmware"));
    }
    {
        zelmo::TfBusy& busy = fMain.Busy();
        busy.SetInfo(QStringLiteral("Calculating checksum..."));
        busy.pbProgress1->setValue(64);
        busy.pbProgress2->setValue(30);
        SaveDialog(&busy, QStringLiteral("busy_window"));
        busy.SetInfo(QString());
    }
    {
        zelmo::TfAbout about(fMain.Programmers(), day, &fMain);
        SaveDialog(&about, QStringLiteral("about_box"));
    }
    {
        zelmo::MainSetupContext context;
        context.DeviceCount = fMain.Project().DeviceCount;
        for (const ProgrammerInfo& p : fMain.Programmers()) {
            context.ProgrammerLines << zelmo::ProgrammerLine(zelmo::FieldQString(p.ModelName),
                                                             zelmo::FieldQString(p.SerialNumber));
        }
        context.GangCapable = fMain.Project().GangCapable != 0;
        context.RemoteLoaded = fMain.RemoteLoaded();
        zelmo::TfMainSetup setup(fMain.Project(), context, &fMain);
        const char* pages[] = {"setup_general", "setup_production", "setup_remote", "setup_other"};
        for (int i = 0; i < 4; ++i) {
            setup.tcPages->setCurrentIndex(i);
            SaveDialog(&setup, QString::fromLatin1(pages[i]));
        }
    }
    {
        zelmo::TfHelp& help = fMain.Help();
        help.ShowHelp(QStringLiteral("manual_en"));
        Save(&help, QStringLiteral("help_viewer"));
        help.hide();
    }
    ProjectScenes(fMain);
    fMain.Shutdown();
    return failures == 0 ? 0 : 1;
}
