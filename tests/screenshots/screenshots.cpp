// Saves PNGs of the main window and of each dialog of the application shell into a folder, for
// the documentation. Runs the application's own start-up against the hardware library of the
// application directory (the simulator), under whatever display the environment gives (Xvfb in
// scripts/screenshot).
//
//   zelmo2-screenshots APPDIR OUTDIR [gang]

#include "app/bottom_tabs_model.h"
#include "app/configuration.h"
#include "app/device_preparation.h"
#include "app/main_setup_model.h"
#include "app/release.h"
#include "app/ui/about_box.h"
#include "app/ui/bottom_tabs.h"
#include "app/ui/busy_window.h"
#include "app/ui/help_viewer.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_setup.h"
#include "app/ui/main_window.h"
#include "app/ui/message_dialog.h"
#include "app/ui/project_bar.h"
#include "catalogue/ui/adapter_dialog.h"
#include "catalogue/ui/pin_check_views.h"
#include "controls/ui/picture_button.h"
#include "editor/ui/buffer_view.h"
#include "formats/file_engine.h"
#include "formats/recent_files.h"
#include "formats/ui/load_file_dialog.h"
#include "formats/ui/save_file_dialog.h"
#include "project/device_descriptor.h"
#include "serialization/ui/serialization_dialog.h"

// The operation tabs and the gang panels.
#include "app/ui/operation_area.h"
#include "catalogue/ui/device_info.h"
#include "catalogue/ui/select_ic.h"
#include "common/catalogue_device.h"
#include "controls/ui/tab_strip.h"
#include "operations/execution/operation_block.h"
#include "operations/ui/operation_panel.h"
#include "operations/ui/operations_ui.h"
#include "project/project.h"
#include "project/project_tree.h"
#include "project/ui/project_tree.h"
#include "project/ui/project_ui.h"

#include "editor/buffer_tool_commands.h"
#include "editor/ui/checksum_dialog.h"
#include "editor/ui/fill_dialog.h"
#include "editor/ui/goto_dialog.h"
#include "editor/ui/replace_dialog.h"
#include "editor/ui/search_dialog.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

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

// ---- Operation tabs and gang panels ----

// Adds a catalogue EEPROM whose Program tab programs and verifies; its slot or -1.
int AddOperationDevice(zelmo::TfMain& fMain) {
    const zelmo::CStartupSession& session = fMain.Session();
    const DeviceDescriptor* d =
        zelmo::test::FindCatalogueDevice(session.Catalogue(), "ATM:AT28C64B:DIP28");
    if (d == nullptr) {
        std::fprintf(stderr, "no catalogue EEPROM for the operation scenes\n");
        ++failures;
        return -1;
    }
    const zelmo::PreparedDevice prepared =
        zelmo::PrepareCatalogueDevice(session.Api(), fMain.AppDir(), *d);
    const zelmo::AddDeviceResult added =
        fMain.Project().AddCompleteDevice(*d, [&](zelmo::CDevice& device) {
            zelmo::ApplyPreparation(device, prepared);
            device.OpTabsSelected = zelmo::TabProgram;
            device.OpTabs[zelmo::TabProgram] = OP_ERASE | OP_BLANK_CHECK | OP_PROGRAM | OP_VERIFY;
            device.OpTabs[zelmo::TabRead] = OP_READ;
            device.OpTabs[zelmo::TabErase] = OP_ERASE | OP_BLANK_CHECK;
            return true;
        });
    fMain.RefreshAll();
    return added.Slot;
}

// Runs events until no device is busy.
void SettleOperations(zelmo::TfMain& fMain) {
    QElapsedTimer t;
    t.start();
    const zelmo::TProject& project = fMain.Project();
    auto busy = [&] {
        for (int d = 0; d < project.DeviceCount; ++d) {
            if (project.DeviceAt(d)->Busy != 0) {
                return true;
            }
        }
        return fMain.Operations().Operations().OperationThreads() > 0;
    };
    while (busy() && t.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// The operation area with each of the four tabs selected.
void OperationTabScenes(zelmo::TfMain& fMain) {
    const int slot = AddOperationDevice(fMain);
    if (slot < 0) {
        return;
    }
    fMain.Project().SafeMode = 0;
    zelmo::COperations& ops = fMain.Operations().Operations();
    ops.Run(true);
    SettleOperations(fMain);
    const std::pair<std::uint8_t, const char*> tabs[] = {
        {zelmo::TabProgram, "operations_tab_program"},
        {zelmo::TabRead, "operations_tab_read"},
        {zelmo::TabErase, "operations_tab_erase"},
        {zelmo::TabSingle, "operations_tab_single"}};
    for (const auto& [tab, name] : tabs) {
        ops.SelectTab(tab);
        fMain.RefreshAll();
        Save(fMain.pOperation, QString::fromLatin1(name));
    }
    ops.SelectTab(zelmo::TabProgram);
    fMain.RefreshAll();
    Save(&fMain, QStringLiteral("operations_main_window"));
}

// Gang mode on four programmers: slots 1 and 3 programmed, slot 2 failing its verify, slot 4
// never run.
void GangScenes(zelmo::TfMain& fMain) {
    zelmo::TProject& project = fMain.Project();
    project.GangMode = 1;
    project.SafeMode = 0;
    zelmo::COperations& ops = fMain.Operations().Operations();
    const int count = std::min<int>(4, static_cast<int>(fMain.Programmers().size()));
    for (int i = 0; i < count; ++i) {
        const int slot = AddOperationDevice(fMain);
        if (slot < 0) {
            return;
        }
        ops.AssignProgrammer(slot, i);
    }
    const QString state = QString::fromLocal8Bit(qgetenv("ZELMO_SIM_STATE"));
    if (count > 1 && !fMain.Programmers().empty()) {
        const int port = fMain.Programmers()[1].Port;
        QDir().mkpath(state + QStringLiteral("/port-%1").arg(port));
        QFile control(state + QStringLiteral("/port-%1/control.ini").arg(port));
        if (control.open(QIODevice::WriteOnly)) {
            control.write("run 1 = verify A:0x40\n");
        }
    }
    for (int slot = 0; slot < count - 1; ++slot) {
        project.SetActiveDevice(slot);
        ops.Run(true);
        SettleOperations(fMain);
    }
    project.SetActiveDevice(0);
    fMain.RefreshAll();
    fMain.pBottom->tceTabs->SetCurrent(zelmo::btGang);
    Save(&fMain, QStringLiteral("operations_gang_window"));
    Save(fMain.pBottom, QStringLiteral("operations_gang_panels"));
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

// Scenes of the serialization dialog, the adapter creator and the pin contact check views.
namespace tools {

// A 40-pin adapter for a chip in a DIP40 plug: chip pin k on plug pin k, the ground pin also on
// the neighbouring socket pin.
std::array<std::uint8_t, zelmo::kAdapterImageSize> FortyPinAdapter() {
    std::array<QString, zelmo::kZifPins> fields;
    for (int k = 1; k <= 40; ++k) {
        fields[static_cast<std::size_t>(k + 3)] = QString::number(k);
    }
    fields[23] = QStringLiteral("20,21");
    return zelmo::buildAdapterImage(40, 40, fields);
}

void Serialization(QWidget* parent) {
    zelmo::CSerialization record;
    record.Enabled = 1;
    record.Length = 4;
    record.Current = 0x1F;
    record.Address = 0x7FF0;
    // The dialog reads the record from its file, as it does for a device of a stored project.
    record.FileName = QDir(QDir::tempPath()).filePath(QStringLiteral("line1_serial.ini"));
    record.SaveToFile();
    zelmo::SerializationDialogContext context;
    context.MemorySizeA = 0x8000;
    zelmo::TfSerialization dialog(record, context, parent);
    SaveDialog(&dialog, QStringLiteral("tools_serialization"));
    dialog.rbAscii->click();
    dialog.rbDec->click();
    SaveDialog(&dialog, QStringLiteral("tools_serialization_ascii_modified"));
}

void AdapterCreator(QWidget* parent) {
    zelmo::AdapterDialogContext context;
    context.Ports = {1};
    zelmo::TfAdapter dialog(context, QStringLiteral("/home/operator/Adapters/DIP40_ZIF.adp"),
                            FortyPinAdapter(), parent);
    SaveDialog(&dialog, QStringLiteral("tools_adapter_creator"));
    // A number above the chip's pin count turns its field red when the adapter is saved.
    dialog.ePin[10]->setText(QStringLiteral("7,52"));
    dialog.ValidateFields();
    SaveDialog(&dialog, QStringLiteral("tools_adapter_invalid"));
}

void PinCheck(QWidget* parent) {
    std::array<std::uint8_t, zelmo::kPinCheckRecordSize> record{};
    record[0] = 'S';
    const char* letters = "....CCCCCCCUCCCCCCCCGGCCCCCCCCCCCCUCCCCCCCCC....";
    std::memcpy(record.data() + 1, letters, 48);
    zelmo::TfPinCheck48 socket(record, FortyPinAdapter(), parent);
    SaveDialog(&socket, QStringLiteral("tools_pin_check_48"));

    std::array<std::uint8_t, zelmo::kPinCheckRecordSize> icp{};
    std::memcpy(icp.data(), "ICCU.C.", 7);
    zelmo::TfPinCheckICP inCircuit(icp, parent);
    SaveDialog(&inCircuit, QStringLiteral("tools_pin_check_icp"));
}

void All(QWidget* parent) {
    Serialization(parent);
    AdapterCreator(parent);
    PinCheck(parent);
}

} // namespace tools

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
    // "gang": only the gang panels, on the several programmers the caller's simulator has.
    if (argc > 3 && QString::fromLocal8Bit(argv[3]) == QStringLiteral("gang")) {
        GangScenes(fMain);
        fMain.Shutdown();
        return failures == 0 ? 0 : 1;
    }
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
    // Each group of scenes starts from an empty project: they place their devices in known slots.
    auto emptyProject = [&fMain] {
        fMain.Project().CloseAll(true);
        fMain.RefreshAll();
    };
    SaveBufferScenes(fMain);
    emptyProject();
    ProjectScenes(fMain);
    emptyProject();
    SaveCardMenus(fMain);
    SaveCardResults(fMain, appDir);
    emptyProject();
    OperationTabScenes(fMain);
    tools::All(&fMain);
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
