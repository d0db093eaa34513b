// The operation tabs, the gang panels and the production button in the real main window,
// started against the simulated programmers (configured per test): what the user clicks and
// presses, and what the panels, lights, labels and the production button then show.

#include "app/device_preparation.h"
#include "app/ui/bottom_tabs.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "app/ui/operation_area.h"
#include "app/ui/status_strip.h"
#include "app_ui/modal.h"
#include "common/catalogue_device.h"
#include "common/temp_dir.h"
#include "common/wait_for.h"
#include "controls/ui/picture_button.h"
#include "controls/ui/pictures.h"
#include "operations/execution/operation_block.h"
#include "operations/ui/gang_view.h"
#include "operations/ui/operation_panel.h"
#include "operations/ui/operations_ui.h"
#include "project/device_descriptor.h"
#include "project/project.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace zelmo {
namespace {

const BuildDayBytes kDay{73, 18, 2, 16};
constexpr char kEeprom[] = "ATM:AT28C64B:DIP28";

QString BinDir() {
    return QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR")) + "/";
}

// Whether a light label shows the lit picture `lit` (and not the dark one).
bool Lit(const QLabel* light, const char* lit) {
    const QImage shown = light->pixmap().toImage();
    const QImage on =
        PicturePixmap(QString::fromLatin1(lit), light->size(), light->devicePixelRatioF())
            .toImage();
    return shown == on;
}

// Lights of a panel as "busy error good", each 0 or 1.
std::string Lights(const TGangPanel& panel) {
    return std::string{Lit(panel.iBusy, "light_busy") ? '1' : '0', ' ',
                       Lit(panel.iError, "light_error") ? '1' : '0', ' ',
                       Lit(panel.iGood, "light_good") ? '1' : '0'};
}

class OperationsUiTest : public testing::Test {
protected:
    OperationsUiTest() {
        for (const char* sub : {"data", "config", "state"}) {
            std::filesystem::create_directories(home / sub);
        }
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        ::setenv("ZELMO_SIM_STATE", (home / "state").c_str(), 1);
        ::setenv("ZELMO_SIM_CONFIG", (home / "simulator.ini").c_str(), 1);
    }
    ~OperationsUiTest() override {
        if (window) {
            window->Shutdown();
        }
    }

    // The main window started on `programmers` fast simulated programmers, in gang mode from
    // two on.
    bool Start(int programmers, const std::string& extra = {}) {
        const std::string ini = "[simulator]\nprogrammers = " + std::to_string(programmers) +
                                "\nspeed = 64M\noverhead_ms = 0\nprepare_ms = 0\ntrigger_ms = 0\n" +
                                extra;
        if (!test::writeFile(home / "simulator.ini", ini)) {
            return false;
        }
        window = std::make_unique<TfMain>(kDay, CommandLine{}, BinDir());
        window->Project().SetSwapPath(QString::fromStdString((home / "data").string()));
        window->resize(1366, 900);
        window->show();
        window->Initialize();
        window->tProgress->setInterval(20);
        window->Project().GangMode = programmers > 1 ? 1 : 0;
        window->Project().SafeMode = 0; // the tests that want the question switch it on
        window->RefreshAll();
        return window->Programmers().size() == static_cast<std::size_t>(programmers);
    }

    TProject& Project() { return window->Project(); }
    COperations& Ops() { return window->Operations().Operations(); }
    TOperationPanel& Panel() { return *window->Operations().Panel(); }
    TGangPanel& Gang(int slot) {
        return *window->Operations().GangView()->panels[static_cast<std::size_t>(slot)];
    }

    // An EEPROM from the catalogue whose Program tab programs and verifies.
    int AddEeprom() {
        const CStartupSession& session = window->Session();
        const DeviceDescriptor* d = test::FindCatalogueDevice(session.Catalogue(), kEeprom);
        if (d == nullptr) {
            ADD_FAILURE() << "no catalogue device " << kEeprom;
            return -1;
        }
        const PreparedDevice prepared = PrepareCatalogueDevice(session.Api(), BinDir(), *d);
        EXPECT_TRUE(prepared.ok) << prepared.message.toStdString();
        const AddDeviceResult added = Project().AddCompleteDevice(*d, [&](CDevice& device) {
            ApplyPreparation(device, prepared);
            device.OpTabsSelected = TabProgram;
            device.OpTabs[TabProgram] = OP_PROGRAM | OP_VERIFY;
            return true;
        });
        QCoreApplication::processEvents();
        return added.Slot;
    }

    // The programmer's control file in the simulator's state folder.
    void Control(int position, const std::string& text) {
        const int port = window->Programmers().at(static_cast<std::size_t>(position)).Port;
        const auto dir = home / "state" / ("port-" + std::to_string(port));
        std::filesystem::create_directories(dir);
        ASSERT_TRUE(test::writeFile(dir / "control.new", text));
        std::filesystem::rename(dir / "control.new", dir / "control.ini");
    }

    static bool WaitFor(const std::function<bool()>& done, int ms = 30000) {
        return test::RunEventsUntil(done, ms);
    }
    bool WaitIdle() {
        return WaitFor([this] {
            for (int d = 0; d < Project().DeviceCount; ++d) {
                if (Project().DeviceAt(d)->Busy != 0) {
                    return false;
                }
            }
            return Ops().OperationThreads() == 0;
        });
    }

    // A key press in the main window, made active first (a closed dialog may have left no
    // active window, and the window's shortcuts need one).
    void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), key, modifiers);
    }

    void ClickTabRow(int y) { QTest::mouseClick(Panel().iTabs, Qt::LeftButton, {}, QPoint(20, y)); }

    test::TempDir home;
    std::unique_ptr<TfMain> window;
    test::ModalAnswers answers;
};

#define REQUIRE_STARTED(...)                                                                       \
    if (!QFileInfo::exists(BinDir() + "libhardware.so")) {                                         \
        GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so";                                 \
    }                                                                                              \
    ASSERT_TRUE(Start(__VA_ARGS__))

TEST_F(OperationsUiTest, TabsButtonsAndRunFollowTheActiveDevice) {
    REQUIRE_STARTED(1);
    TOperationPanel& panel = Panel();
    // Without devices: the Single panel, the neutral strip, nothing to press.
    EXPECT_EQ(panel.pPanels->currentWidget(), panel.pSingle);
    EXPECT_EQ(panel.iTabs->Selected(), -1);
    for (TPictureButton* b : panel.bSingle) {
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    }
    EXPECT_FALSE(window->Commands().miRun->isEnabled());

    const int d = AddEeprom();
    ASSERT_EQ(d, 0);
    CDevice& device = *Project().DeviceAt(d);
    EXPECT_EQ(panel.pPanels->currentWidget(), panel.pProgram);
    EXPECT_TRUE(window->Commands().miRun->isEnabled());
    EXPECT_TRUE(window->Commands().miAuto->isEnabled());
    EXPECT_TRUE(panel.bProgramP->isEnabled());
    EXPECT_FALSE(panel.bConfigP->isEnabled()) << "the chip has no configuration";

    // The strip's rows from the top: Program, Read, Erase, then Single.
    const std::pair<int, QWidget*> rows[] = {
        {50, panel.pErase}, {30, panel.pRead}, {70, panel.pSingle}, {10, panel.pProgram}};
    for (const auto& [y, shown] : rows) {
        ClickTabRow(y);
        EXPECT_EQ(panel.pPanels->currentWidget(), shown) << y;
        EXPECT_EQ(panel.iTabs->Selected(), device.OpTabsSelected);
        // Run and Auto belong to the tabs with an operation set.
        EXPECT_EQ(window->Commands().miRun->isEnabled(), shown != panel.pSingle) << y;
    }

    // A tab button flips its operation in the tab's set and shows it.
    const QImage dimmed = panel.bEraseP->icon().pixmap(32).toImage();
    panel.bEraseP->click();
    EXPECT_EQ(device.OpTabs[TabProgram], OP_ERASE | OP_PROGRAM | OP_VERIFY);
    EXPECT_NE(panel.bEraseP->icon().pixmap(32).toImage(), dimmed);
    EXPECT_TRUE(panel.bEraseP->isChecked());
    panel.bEraseP->click();
    EXPECT_EQ(device.OpTabs[TabProgram], OP_PROGRAM | OP_VERIFY);
    EXPECT_FALSE(panel.bEraseP->isChecked());

    // A running device keeps its tab and locks its buttons.
    device.Busy = 1;
    window->Operations().Panel()->Refresh();
    ClickTabRow(30);
    EXPECT_EQ(device.OpTabsSelected, TabProgram);
    EXPECT_EQ(panel.pPanels->currentWidget(), panel.pProgram);
    EXPECT_FALSE(panel.bProgramP->isEnabled());
    device.Busy = 0;
}

TEST_F(OperationsUiTest, SingleTabButtonsRunTheirOwnOperationAndOnlySomeAsk) {
    REQUIRE_STARTED(1);
    ASSERT_EQ(AddEeprom(), 0);
    ClickTabRow(70);
    TOperationPanel& panel = Panel();
    ASSERT_EQ(panel.pPanels->currentWidget(), panel.pSingle);
    // The chip has no configuration and no test.
    EXPECT_FALSE(panel.bSingle[6]->isEnabled());
    EXPECT_FALSE(panel.bSingle[7]->isEnabled());
    Project().SafeMode = 1;
    const struct {
        int tag;
        const char* text;
        bool asks;
    } cases[] = {{2, "Reading...", false},
                 {3, "Erasing...", true},
                 {4, "Blank checking...", false},
                 {6, "Verifying...", false}};
    std::size_t questions = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TPictureButton* button = panel.bSingle[static_cast<std::size_t>(c.tag - 1)];
        ASSERT_TRUE(button->isEnabled());
        if (c.asks) {
            answers.Button("Yes");
            ++questions;
        }
        button->click();
        EXPECT_TRUE(answers.AllAnswered());
        EXPECT_EQ(answers.Seen().size(), questions);
        EXPECT_EQ(Project().DeviceAt(0)->StatusText, c.text);
        ASSERT_TRUE(WaitIdle());
    }
    EXPECT_EQ(Project().DeviceAt(0)->LastStatus, 0);
    // Single operations are not counted.
    EXPECT_EQ(window->pOperation->lTotal->text(), "0");
}

TEST_F(OperationsUiTest, CtrlSpaceRunsAndTheGangPanelsShowEachSlotsVerdict) {
    REQUIRE_STARTED(2);
    ASSERT_TRUE(Ops().Gang());
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(AddEeprom(), i);
        Ops().AssignProgrammer(i, i);
    }
    window->RefreshAll();
    EXPECT_FALSE(Gang(0).isHidden());
    EXPECT_FALSE(Gang(1).isHidden());
    EXPECT_TRUE(Gang(2).isHidden()) << "no third device";
    EXPECT_EQ(Lights(Gang(0)), "0 0 0");

    // The first device fails its verify. With SafeMode on the user's Run asks first; No
    // leaves everything as it was.
    Control(0, "run 1 = verify A:0x10\n");
    ASSERT_TRUE(Project().SetActiveDevice(0));
    Project().SafeMode = 1;
    answers.Button("No");
    window->pOperation->bRun->click();
    ASSERT_TRUE(answers.AllAnswered());
    EXPECT_EQ(Ops().ThreadCount(), 0);
    EXPECT_EQ(Project().DeviceAt(0)->Busy, 0);
    answers.Button("Yes");
    PressKey(Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(answers.AllAnswered());
    ASSERT_EQ(answers.Seen().size(), 2u);
    EXPECT_EQ(answers.Seen()[1].text, "Are you sure?");
    Project().SafeMode = 0;
    EXPECT_EQ(Project().DeviceAt(0)->StatusText, "Executing operations...");
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Project().DeviceAt(0)->LastStatus, OP_VERIFY);
    EXPECT_EQ(Lights(Gang(0)), "0 1 0");
    EXPECT_EQ(Lights(Gang(1)), "0 0 0") << "slot 2 never ran";
    EXPECT_EQ(Gang(0).lBad->text(), "1");
    EXPECT_EQ(Gang(0).lTotal->text(), "1");
    EXPECT_EQ(Gang(0).lProgress->text(), "");
    EXPECT_EQ(Gang(0).pbProgress->value(), 0);
    EXPECT_EQ(window->pOperation->lBad->text(), "1");

    // The second one runs from the Run button and succeeds.
    ASSERT_TRUE(Project().SetActiveDevice(1));
    QCoreApplication::processEvents();
    ASSERT_TRUE(window->pOperation->bRun->isEnabled());
    window->pOperation->bRun->click();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Project().DeviceAt(1)->LastStatus, 0);
    EXPECT_EQ(Lights(Gang(1)), "0 0 1");
    EXPECT_EQ(Lights(Gang(0)), "0 1 0");
    EXPECT_EQ(Gang(1).lGood->text(), "1");
    EXPECT_EQ(window->pBottom->lGlobalGood->text(), "1");
    EXPECT_EQ(window->pBottom->lGlobalBad->text(), "1");
    EXPECT_EQ(window->pBottom->lGlobalTotal->text(), "2");
    EXPECT_EQ(Gang(0).lSerial->text(), "none");
}

TEST_F(OperationsUiTest, AssignProgrammerMenuTakesAProgrammerOver) {
    REQUIRE_STARTED(2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(AddEeprom(), i);
        Ops().AssignProgrammer(i, i);
    }
    QMenu menu;
    ASSERT_TRUE(window->Operations().FillAssignMenu(menu, 1));
    const QList<QAction*> items = menu.actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), "ZS000002 - AT28C64B");
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_EQ(items[1]->text(), "ZS000001 - AT28C64B");
    EXPECT_FALSE(items[1]->isChecked());

    // Programmer 1 goes over to device 2: device 1 is left without one.
    items[1]->trigger();
    ASSERT_TRUE(window->Operations().FillAssignMenu(menu, 1));
    EXPECT_TRUE(menu.actions()[1]->isChecked());
    EXPECT_FALSE(menu.actions()[0]->isChecked());
    ASSERT_TRUE(Project().SetActiveDevice(0));
    QCoreApplication::processEvents();
    answers.Button("OK");
    window->pOperation->bRun->click();
    ASSERT_TRUE(answers.AllAnswered());
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].text,
              "Please assign programmer to the microchip.\n\rUse sub menu Assign Programmer item");
    EXPECT_EQ(window->StatusMessage(), "Operation cancelled.");
    EXPECT_EQ(Ops().ThreadCount(), 0);

    // With one programmer the item is hidden.
    window->Shutdown();
    window.reset();
    ASSERT_TRUE(Start(1));
    EXPECT_FALSE(window->Operations().FillAssignMenu(menu, 0));
}

TEST_F(OperationsUiTest, EscapeCancelsTheRunningDeviceWhileItsProgressShows) {
    REQUIRE_STARTED(1, "speed = 16K\n");
    ASSERT_EQ(AddEeprom(), 0);
    const CDevice& device = *Project().DeviceAt(0);
    PressKey(Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return device.Progress > 0.0; }));
    // The main progress shows the percent and the turning spinner.
    ASSERT_TRUE(WaitFor([&] {
        return window->pOperation->lProgress->text().endsWith('%') &&
               !window->pOperation->iSpinner->pixmap().isNull();
    }));
    PressKey(Qt::Key_Escape);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(device.LastStatus, ZM_STATUS_CANCELLED);
    EXPECT_EQ(window->StatusMessage(), "Operation failed. Could not reload file(s).");
    EXPECT_EQ(window->pOperation->lProgress->text(), "");
}

TEST_F(OperationsUiTest, AFailedPinCheckCallsThePinCheckDisplay) {
    REQUIRE_STARTED(1);
    ASSERT_EQ(AddEeprom(), 0);
    std::vector<int> shown;
    window->Operations().SetPinCheckDisplay([&](int device) {
        shown.push_back(device);
        EXPECT_EQ(Project().DeviceAt(device)->PinCheckResult[14], 'U');
    });
    Control(0, "run 1 = pin_check 14\n");
    PressKey(Qt::Key_Space, Qt::ControlModifier);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Project().DeviceAt(0)->LastStatus, ZM_STATUS_PIN_CHECK);
    EXPECT_EQ(shown, std::vector<int>{0});
}

TEST_F(OperationsUiTest, AutoBlinksRefusesToCloseWhileParkedAndStopsOnTheNextClick) {
    REQUIRE_STARTED(1);
    Project().ProdModeType = 1;
    Control(0, "socket = none\n"); // production waits for a chip that never comes
    ASSERT_EQ(AddEeprom(), 0);
    TPictureButton* bAuto = window->pOperation->bAuto;
    ASSERT_TRUE(bAuto->isEnabled());
    EXPECT_EQ(bAuto->text(), "Auto");
    bAuto->click();
    ASSERT_TRUE(Ops().ProductionOn());
    EXPECT_EQ(Project().DeviceAt(0)->AutoActive, 1);
    EXPECT_FALSE(window->pOperation->bRun->isEnabled());
    EXPECT_TRUE(bAuto->isEnabled()) << "the button switches production off again";
    EXPECT_TRUE(WaitFor([&] { return bAuto->PictureName() == "auto_lit"; }, 3000));
    EXPECT_TRUE(WaitFor([&] { return bAuto->PictureName() == "auto"; }, 3000));

    // The parked thread keeps the application open.
    answers.Button("OK");
    EXPECT_FALSE(window->close());
    ASSERT_TRUE(answers.AllAnswered());
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].text, "Could not close application,\noperation in progress.");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Ops().ThreadCount(), 1);

    bAuto->click();
    EXPECT_FALSE(Ops().ProductionOn());
    EXPECT_EQ(Ops().ThreadCount(), 0);
    EXPECT_EQ(bAuto->PictureName(), "auto");
    EXPECT_EQ(window->StatusMessage(), "Production Mode (Auto) disabled.");
    EXPECT_TRUE(window->pOperation->bRun->isEnabled());
}

} // namespace
} // namespace zelmo
