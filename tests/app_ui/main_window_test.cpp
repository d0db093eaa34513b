#include "app/ui/main_window.h"

#include "app/bottom_tabs_model.h"
#include "app/ui/bottom_tabs.h"
#include "app/ui/device_bar.h"
#include "app/ui/log_view.h"
#include "app/ui/main_commands.h"
#include "app/ui/operation_area.h"
#include "app/ui/status_strip.h"
#include "controls/ui/hover_label.h"
#include "controls/ui/tab_strip.h"
#include "modal.h"
#include "persistence/settings_document.h"
#include "project/project_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace zelmo {
namespace {

const BuildDayBytes kDay{73, 18, 2, 16};

QString BinDir() {
    return QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR"));
}

// A main window over a project whose swap files live in a private folder.
class MainWindowTest : public testing::Test {
protected:
    MainWindowTest() : window(kDay, {}, BinDir()) {
        window.Project().SetSwapPath(QString::fromStdString(swap.path().string()));
    }
    ~MainWindowTest() override { window.Project().CloseAll(true); }

    CDevice& AddDevice(std::array<std::uint32_t, 5> sizes, std::uint32_t flags = 0) {
        DeviceDescriptor descriptor = test::makeDescriptor(sizes, flags);
        const AddDeviceResult added =
            window.Project().AddCompleteDevice(descriptor, [](CDevice& device) {
                SetFieldText(device.Buffers[0].Name, "Flash");
                SetFieldText(device.Buffers[2].Name, "EEPROM");
                return true;
            });
        EXPECT_GE(added.Slot, 0);
        return *window.Project().Devices[static_cast<std::size_t>(added.Slot)];
    }

    test::TempDir swap;
    TfMain window;
    test::ModalAnswers answers;
};

TEST_F(MainWindowTest, FrameHasItsAreasAndTheReleaseCaption) {
    EXPECT_EQ(window.windowTitle(), "Zelmo 2 / ver. 73.18.02.16");
    EXPECT_EQ(window.StatusMessage(), "Zelmo 2 / ver. 73.18.02.16");
    const TTabStrip* tabs = window.pBottom->tceTabs;
    QStringList captions;
    for (int i = 0; i < tabs->Count(); ++i) {
        captions << tabs->TabCaption(i);
    }
    EXPECT_EQ(captions.join(','), "Log,Info,-,-,-,-,Gang");
    // Until start-up is done the commands stay off.
    EXPECT_FALSE(window.Commands().miAddDevice->isEnabled());
    EXPECT_FALSE(window.Commands().miOptions->isEnabled());
    // The status message keeps 200 characters.
    window.SetStatusMessage(QString(250, u'x'));
    EXPECT_EQ(window.StatusMessage().size(), 200);
}

TEST_F(MainWindowTest, FullRefreshShowsTheActiveDevice) {
    CDevice& device = AddDevice({64, 0, 16, 0, 0}, DEV_FILES | DEV_PIN_CHECK);
    device.MemSelect = 0x05;
    device.ActiveTab = btMemoryA + 2;
    window.RefreshAll();
    EXPECT_EQ(window.pBottom->tceTabs->TabCaption(btMemoryA), "Flash (A)");
    EXPECT_EQ(window.pBottom->tceTabs->TabCaption(btMemoryA + 1), "-");
    EXPECT_EQ(window.pBottom->tceTabs->TabCaption(btMemoryA + 2), "EEPROM (C)");
    EXPECT_EQ(window.pBottom->tceTabs->Current(), btMemoryA + 2);
    EXPECT_EQ(device.CurrentMemory, 2);
    QCheckBox* a = window.pOperation->cbMemory[0];
    QCheckBox* b = window.pOperation->cbMemory[1];
    EXPECT_EQ(a->text(), "Flash (A)");
    EXPECT_TRUE(a->isChecked() && a->isEnabled());
    EXPECT_EQ(b->text(), "Buffer B");
    EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(window.pOperation->cbPinCheck->isEnabled());
    EXPECT_TRUE(window.Commands().miBufferOptions->isEnabled());
    EXPECT_EQ(window.pOperation->lDeviceName->text(), "CHIP / DIP8");

    // The user's tab choice is kept by the device.
    window.pBottom->tceTabs->SetCurrent(btInfo);
    EXPECT_EQ(device.ActiveTab, btInfo);

    // A running device locks its commands and the project bar.
    device.Busy = 1;
    window.RefreshAll();
    EXPECT_FALSE(window.Commands().miCreateNewProject->isEnabled());
    EXPECT_FALSE(window.Commands().miAddDevice->isEnabled());
    EXPECT_FALSE(a->isEnabled());
    EXPECT_FALSE(window.pDevices->mUserDescr->isEnabled());
    EXPECT_FALSE(window.pBottom->BufferView()->isEnabled());
    device.Busy = 0;
}

TEST_F(MainWindowTest, TheFrameFollowsTheProjectNotifier) {
    AddDevice({64, 0, 16, 0, 0});
    QCoreApplication::processEvents(); // no explicit refresh: the notifier's report is enough
    EXPECT_EQ(window.pBottom->tceTabs->TabCaption(btMemoryA + 2), "EEPROM (C)");
    EXPECT_EQ(window.pOperation->lDeviceName->text(), "CHIP / DIP8");
    window.Project().RemoveDevice(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.pBottom->tceTabs->TabCaption(btMemoryA), "-");
    EXPECT_EQ(window.pOperation->lDeviceName->text(), "No device");
}

TEST_F(MainWindowTest, CloseIsRefusedForAModifiedAssignedEnabledBuffer) {
    CDevice& device = AddDevice({64, 16, 0, 0, 0});
    device.MemSelect = 0x01;
    MemoryState& b = device.DataSets[0]->Memories[1];
    b.Modified = 1;
    b.Current = std::make_shared<CFileEntry>();
    b.Current->FileName = "/work/eeprom.bin";

    // Memory B is disabled: the only question is the quit question, answered No.
    answers.Button("No");
    EXPECT_FALSE(window.AskToClose());
    device.MemSelect = 0x03;
    answers.Key(Qt::Key_Return);
    EXPECT_FALSE(window.AskToClose());
    device.AutoActive = 1;
    answers.Key(Qt::Key_Return);
    EXPECT_FALSE(window.AskToClose());
    device.AutoActive = 0;
    ASSERT_EQ(answers.Seen().size(), 3u);
    EXPECT_EQ(answers.Seen()[0].text, "Do you really want to quit?");
    EXPECT_EQ(answers.Seen()[1].title, "Warning");
    EXPECT_EQ(answers.Seen()[1].text,
              "One or more file was modified and not saved.\nSave file or clear buffer to quit.");
    EXPECT_EQ(answers.Seen()[2].text, "Could not close application,\noperation in progress.");

    b.Current.reset(); // no file assigned: closing may go on
    answers.Key(Qt::Key_Y);
    EXPECT_TRUE(window.AskToClose());
}

TEST_F(MainWindowTest, LogViewRendersColoursHeadersAndTheLogFileFollowsTheOption) {
    CDevice& device = AddDevice({64, 0, 0, 0, 0});
    ASSERT_FALSE(window.Project().AddDataSet(0, SwapInit::ResetAndFill, 0, "Second").empty());
    device.ShownDataSet = 1;
    window.AddLog(lkWarningSubDetail, "Firmware version mismatch.");
    window.AddLog(lkDataSetHeaderAfterBlank(0));
    const QString text = window.LogView()->Text();
    EXPECT_EQ(text, "    Warning! Firmware version mismatch.\n\n01: CHIP / DIP8, Second\n");
    // "Warning! " is red, the text after it in the window-text colour, the names blue.
    const QTextDocument* doc = window.LogView()->document();
    const auto colourAt = [doc](int position) {
        QTextCursor c(const_cast<QTextDocument*>(doc));
        c.setPosition(position + 1);
        return c.charFormat().foreground().color();
    };
    EXPECT_EQ(colourAt(static_cast<int>(text.indexOf("Warning!"))), QColor(255, 0, 0));
    EXPECT_NE(colourAt(static_cast<int>(text.indexOf("Firmware"))), QColor(255, 0, 0));
    EXPECT_EQ(colourAt(static_cast<int>(text.indexOf("CHIP"))), QColor(0, 0, 255));

    // The report-file option is the log file's switch (start-up ends the hold on the file once
    // the configuration is read; this window skips start-up).
    window.Log().File().Release();
    EXPECT_TRUE(window.Log().File().FilePath().isEmpty());
    window.Project().ReportFile = 1;
    window.AddLog(lkPlain, "into the file");
    ASSERT_FALSE(window.Log().File().FilePath().isEmpty());
    QFile file(window.Log().File().FilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "into the file\r\n");
}

TEST_F(MainWindowTest, ShutdownStoresTheConfigurationAndKeepsTheSwapFiles) {
    CDevice& device = AddDevice({64, 0, 0, 0, 0});
    const QString swapFile = device.DataSets[0]->SwapPath;
    window.Project().TimerInterval = 500;
    // A placement from a screen that is no longer there comes back onto the screen.
    window.SetPlacement({5000, 7000, 500, 700});
    const FormPlacement placed = window.Placement();
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(placed.Left, placed.Top, placed.Width, placed.Height)));
    window.Shutdown();
    EXPECT_EQ(window.Project().DeviceCount, 0);
    EXPECT_TRUE(QFile::exists(swapFile));
    QFile::remove(swapFile);

    CMyIni stored;
    ASSERT_TRUE(stored.Open(window.ConfigurationFile(), "Settings", true));
    EXPECT_EQ(stored.ReadInt("Config", "TimerInterval", 0), 500);
    EXPECT_EQ(stored.ReadInt("Form", "Width", 0), placed.Width);
    EXPECT_EQ(stored.ReadInt("Form", "Height", 0), placed.Height);
    EXPECT_EQ(stored.ReadInt("Form", "Left", -1), placed.Left);
    EXPECT_EQ(stored.ReadInt("Form", "Top", -1), placed.Top);
}

} // namespace
} // namespace zelmo
