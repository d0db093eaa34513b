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
#include "app/ui/main_setup.h"
#include "app/ui/main_window.h"
#include "app/ui/message_dialog.h"
#include "editor/buffer_tool_commands.h"
#include "editor/ui/checksum_dialog.h"
#include "editor/ui/fill_dialog.h"
#include "editor/ui/goto_dialog.h"
#include "editor/ui/replace_dialog.h"
#include "editor/ui/search_dialog.h"
#include "project/device_descriptor.h"
#include "project/project.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTabWidget>
#include <QThread>

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

// The buffer tool dialogs, over a data set of their own (the project may have no device).
void ToolsFillScene(QWidget* parent) {
    zelmo::editor::TfFillBuff fill({.Size = 0x20000, .Range = {0x100, 0x1FF}, .Mode = 1}, parent);
    SaveDialog(&fill, QStringLiteral("tools_fill"));
}

void ToolsSearchScene(QWidget* parent, zelmo::editor::CBufferSearch& search) {
    zelmo::editor::TfSearch find(search, {}, parent);
    find.cbHexValues->setChecked(true);
    find.cbCaseSensitive->setEnabled(false);
    find.eText->setText(QStringLiteral("55AA"));
    SaveDialog(&find, QStringLiteral("tools_find"));
}

void ToolsReplaceScene(QWidget* parent, zelmo::editor::CBufferSearch& search) {
    zelmo::editor::TfReplace replace(search, {}, parent);
    replace.eFind->setText(QStringLiteral("Serial"));
    replace.eReplace->setText(QStringLiteral("SERIAL"));
    replace.cbReplaceAll->setChecked(true);
    SaveDialog(&replace, QStringLiteral("tools_replace"));
}

void ToolsGoToScene(QWidget* parent) {
    zelmo::editor::TfGoToAddress goTo({.Mode = 1, .Cursor = 0, .Size = 0x20000, .GoToAddress = {}},
                                      parent);
    goTo.eHex->setText(QStringLiteral("1F00"));
    goTo.eDec->setText(QStringLiteral("7936"));
    SaveDialog(&goTo, QStringLiteral("tools_goto"));
}

void ToolsChecksumScene(QWidget* parent) {
    const auto calculate = [](std::uint32_t, std::uint32_t) {
        zelmo::editor::ChecksumCalculator calc;
        const char digits[] = "123456789";
        calc.update({reinterpret_cast<const std::uint8_t*>(digits), 9});
        return calc.result();
    };
    zelmo::editor::TfChecksum checksum({.Size = 9, .Range = {0, 8}, .Calculate = calculate},
                                       parent);
    checksum.bCalculateClick();
    SaveDialog(&checksum, QStringLiteral("tools_checksum"));
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
    {
        zelmo::CDataSet empty;
        zelmo::editor::CBufferSearch search(empty, 0, 1);
        ToolsFillScene(&fMain);
        ToolsSearchScene(&fMain, search);
        ToolsReplaceScene(&fMain, search);
        ToolsGoToScene(&fMain);
        ToolsChecksumScene(&fMain);
    }
    fMain.Shutdown();
    return failures == 0 ? 0 : 1;
}
