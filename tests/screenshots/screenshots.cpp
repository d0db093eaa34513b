// Saves PNGs of the main window and of each dialog of the application shell into a folder, for
// the documentation. Runs the application's own start-up against the hardware library of the
// application directory (the simulator), under whatever display the environment gives (Xvfb in
// scripts/screenshot).
//
//   zelmo2-screenshots APPDIR OUTDIR

#include "app/configuration.h"
#include "app/device_preparation.h"
#include "app/main_setup_model.h"
#include "app/release.h"
#include "app/ui/about_box.h"
#include "app/ui/busy_window.h"
#include "app/ui/help_viewer.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_setup.h"
#include "app/ui/main_window.h"
#include "app/ui/message_dialog.h"
#include "app/ui/project_bar.h"
#include "controls/ui/picture_button.h"
#include "project/device_descriptor.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QTabWidget>
#include <QThread>

#include <algorithm>
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

void SavePixmap(const QPixmap& shot, const QString& name) {
    const QString file = QDir(outDir).filePath(name + QStringLiteral(".png"));
    if (!shot.save(file)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        ++failures;
        return;
    }
    std::printf("%s (%dx%d)\n", qPrintable(file), shot.width(), shot.height());
}

// Shows a dialog without its modal loop, saves it and hides it again.
void SaveDialog(QWidget* w, const QString& name) {
    w->show();
    w->raise();
    Save(w, name);
    w->hide();
}

// ---- Card commands ----

// The project bar's New, Open and Save menus with their card entries, each opened under its
// button and taken from the screen with the bar around it (a menu is a window of its own).
void SaveCardMenus(zelmo::TfMain& fMain) {
    zelmo::TMainCommands& c = fMain.Commands();
    const struct {
        QWidget* button;
        QMenu* menu;
        const char* name;
    } menus[] = {{fMain.pProject->bNewProject, c.pmNew, "card_menu_new"},
                 {fMain.pProject->bOpenProject, c.pmOpen, "card_menu_open"},
                 {fMain.pProject->bSaveProject, c.pmSave, "card_menu_save"}};
    for (const auto& m : menus) {
        const QPoint below = m.button->mapToGlobal(QPoint(0, m.button->height()));
        m.menu->popup(below);
        Settle();
        // The whole button group, and the menu with a margin below it.
        const QPoint origin = fMain.mapToGlobal(QPoint(0, 0));
        const QWidget* last = fMain.pProject->bClose;
        const int right =
            std::max(last->mapToGlobal(QPoint(last->width(), 0)).x(), below.x() + m.menu->width());
        const QRect area(
            origin, QSize(right - origin.x() + 16, below.y() - origin.y() + m.menu->height() + 24));
        const QPixmap shot =
            fMain.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        m.menu->hide();
        SavePixmap(shot, QString::fromLatin1(m.name));
    }
}

// The log after identifying the card, saving a one-device project to it and reading it back.
void SaveCardResults(zelmo::TfMain& fMain, const QString& appDir) {
    DeviceDescriptor d{};
    char vendor[5] = "ATM", name[25] = "AT28C64B", package[10] = "DIP28";
    const zelmo::HardwareEntryPoints& api = fMain.Session().Api();
    if (api.ZmSearchDev == nullptr || !api.ZmSearchDev(vendor, name, package, &d)) {
        std::fprintf(stderr, "no catalogue device AT28C64B\n");
        ++failures;
        return;
    }
    fMain.Project().AddCompleteDevice(d, [&](zelmo::CDevice& device) {
        const zelmo::PreparedDevice prepared = zelmo::PrepareCatalogueDevice(api, appDir, d);
        zelmo::ApplyPreparation(device, prepared);
        return prepared.ok;
    });
    fMain.RefreshAll();
    zelmo::TMainCommands& c = fMain.Commands();
    c.miIdentifyCard->trigger();
    c.miSaveToCard->trigger();
    c.miReadFromCard->trigger();
    Save(&fMain, QStringLiteral("card_results"));
    fMain.Project().CloseAll(true);
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
    SaveCardMenus(fMain);
    SaveCardResults(fMain, appDir);
    fMain.Shutdown();
    return failures == 0 ? 0 : 1;
}
