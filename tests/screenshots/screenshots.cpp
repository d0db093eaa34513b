// Saves PNGs of the main window and of each dialog of the application shell into a folder, for
// the documentation. Runs the application's own start-up against the hardware library of the
// application directory (the simulator), under whatever display the environment gives (Xvfb in
// scripts/screenshot).
//
//   zelmo2-screenshots APPDIR OUTDIR

#include "app/bottom_tabs_model.h"
#include "app/configuration.h"
#include "app/main_setup_model.h"
#include "app/release.h"
#include "app/ui/about_box.h"
#include "app/ui/bottom_tabs.h"
#include "app/ui/busy_window.h"
#include "app/ui/help_viewer.h"
#include "app/ui/main_setup.h"
#include "app/ui/main_window.h"
#include "app/ui/message_dialog.h"
#include "editor/ui/buffer_view.h"
#include "formats/file_engine.h"
#include "formats/recent_files.h"
#include "formats/ui/load_file_dialog.h"
#include "formats/ui/save_file_dialog.h"
#include "project/device_descriptor.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
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

// ---- Buffer views and file windows ----------------------------------------------------------

// A device with an 8-bit flash (a boot block, code and a text table, two coloured areas), then a
// programmable logic device with a fuse map and test vectors.
void AddBufferDevices(zelmo::TfMain& fMain) {
    using namespace zelmo;
    DeviceDescriptor flash{};
    flash.Type = DT_FLASH;
    SetFieldText(flash.Vendor, "ACME");
    SetFieldText(flash.Name, "AF29F010");
    SetFieldText(flash.Package, "PLCC32");
    flash.MemSize[0] = 0x20000;
    flash.Flags = DEV_FILES;
    fMain.Project().AddCompleteDevice(flash, [](CDevice& device) {
        BufferInfo& info = device.Buffers[0];
        SetFieldText(info.Name, "Flash");
        info.Organization = ORG_8BIT;
        info.Color = 0x00FFFFFF;
        SetFieldText(info.Areas[0].Name, "Boot block");
        info.Areas[0].Start = 0x0000;
        info.Areas[0].End = 0x003F;
        info.Areas[0].Color = 0x00E6F0FF;
        SetFieldText(info.Areas[1].Name, "Parameters");
        info.Areas[1].Start = 0x0100;
        info.Areas[1].End = 0x01FF;
        info.Areas[1].Color = 0x00E0FFE0;
        device.Editable = 1;
        return true;
    });
    std::vector<std::uint8_t> bytes(0x400);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 37 + (i >> 4) * 11) & 0xFF);
    }
    const char text[] = "Zelmo 2 boot loader v1.04  (c) 2026  ready.  Checksum table follows. ";
    std::copy(text, text + sizeof text - 1, bytes.begin() + 0x40);
    std::fill(bytes.begin() + 0x300, bytes.end(), 0xFF);
    fMain.Project().Active()->Shown()->Write(0, 0, bytes);

    DeviceDescriptor pld{};
    pld.Type = DT_PLD;
    SetFieldText(pld.Vendor, "ACME");
    SetFieldText(pld.Name, "AL22V10");
    SetFieldText(pld.Package, "DIP24");
    pld.MemSize[0] = 5892;
    pld.MemSize[1] = 40 * 48;
    pld.Flags = DEV_FILES;
    const AddDeviceResult added = fMain.Project().AddCompleteDevice(pld, [](CDevice& device) {
        SetFieldText(device.Buffers[0].Name, "Fuses");
        device.Buffers[0].Organization = ORG_FUSE_MAP;
        device.Buffers[0].Color = 0x00FFFFFF;
        SetFieldText(device.Buffers[1].Name, "Vectors");
        device.Buffers[1].Organization = ORG_TEST_VECTORS;
        device.Buffers[1].Color = 0x00FFFFFF;
        device.Editable = 1;
        return true;
    });
    if (added.Slot < 0) {
        std::fprintf(stderr, "could not add the logic device\n");
        ++failures;
        return;
    }
    CDataSet& set = *fMain.Project().Devices[static_cast<std::size_t>(added.Slot)]->Shown();
    std::vector<std::uint8_t> fuses(5892);
    for (std::size_t i = 0; i < fuses.size(); ++i) {
        fuses[i] = ((i * 7) % 5 == 0 || (i / 44) % 3 == 0) ? 0 : 1;
    }
    set.Write(0, 0, fuses);
    const char pins[] = "01HLX01HLXCZ01HL0000HHHHXX1101LL0X1H0L1H01HLXCZ0";
    std::vector<std::uint8_t> vectors(24 * 48, 0xFF);
    for (std::size_t v = 0; v < 24; ++v) {
        for (std::size_t p = 0; p < 24; ++p) {
            vectors[v * 48 + p] = static_cast<std::uint8_t>(pins[(v * 5 + p) % 48]);
        }
    }
    set.Write(1, 0, vectors);
}

// The memory tab as a click on it chooses it: the strip shows it and the window follows.
void ShowMemoryTab(zelmo::TfMain& fMain, int tab) {
    fMain.pBottom->ShowTab(tab);
    fMain.tceTabsChange(tab);
}

void SaveBufferScenes(zelmo::TfMain& fMain) {
    using namespace zelmo;
    AddBufferDevices(fMain);
    TProject& project = fMain.Project();
    auto* view = fMain.findChild<editor::TBufferView*>();
    if (view == nullptr) {
        std::fprintf(stderr, "no buffer view\n");
        ++failures;
        return;
    }
    // The flash, scrolled to its start with a selection in the text table.
    project.ActiveDevice = 0;
    fMain.RefreshAll();
    ShowMemoryTab(fMain, btMemoryA);
    view->SelectRange({0x40, 0x5B});
    const char* modes[] = {"buffer_view_8bit", "buffer_view_16bit", "buffer_view_32bit"};
    for (int tag = 0; tag < 3; ++tag) {
        view->miDisplayModeClick(tag);
        view->MoveCursor(0); // the selection stays
        Save(&fMain, QString::fromLatin1(modes[tag]));
    }
    view->miDisplayModeClick(0);

    project.ActiveDevice = 1;
    fMain.RefreshAll();
    ShowMemoryTab(fMain, btMemoryA);
    Save(&fMain, QStringLiteral("buffer_view_fuses"));
    ShowMemoryTab(fMain, btMemoryA + 1);
    Save(&fMain, QStringLiteral("buffer_view_vectors"));

    project.ActiveDevice = 0;
    fMain.RefreshAll();
    ShowMemoryTab(fMain, btMemoryA);
    formats::RecentList recent;
    const char* names[] = {"/home/lab/images/boot_v104.hex", "/home/lab/images/boot_v103.hex",
                           "/home/lab/release/af29f010_full.bin", "/home/lab/tests/pattern55.bin"};
    const FileFormat types[] = {FmtIntelHex, FmtIntelHex, FmtBinary, FmtBinary};
    for (int i = 0; i < 4; ++i) {
        recent[static_cast<std::size_t>(i)] =
            formats::NewFileEntry(QString::fromLatin1(names[i]), types[i]);
    }
    {
        formats::TfLoadFile load(recent, 0x20000, {}, &fMain);
        load.Model().Select(0);
        load.ShowModel();
        SaveDialog(&load, QStringLiteral("file_load_dialog"));
    }
    {
        formats::TFile engine;
        engine.Descriptor = project.Active()->Descriptor;
        formats::TfSaveFile save(engine, 1, QStringLiteral("/home/lab/images"), {}, &fMain);
        SaveDialog(&save, QStringLiteral("file_save_dialog"));
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
    SaveBufferScenes(fMain);
    fMain.Shutdown();
    return failures == 0 ? 0 : 1;
}
