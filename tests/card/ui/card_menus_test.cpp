// The card entries of the main window after the real start-up against the simulated
// programmers: captions and enabled states, and the commands with the busy window, the log,
// the status message and the error box.

#include "app/device_preparation.h"
#include "app/ui/busy_window.h"
#include "app/ui/log_view.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "common/temp_dir.h"
#include "project/device_descriptor.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>

namespace zelmo {
namespace {

const BuildDayBytes kDay{73, 18, 2, 16};

// Answers every error box that opens (the busy window, also modal, is left to its worker) with
// OK and keeps what it said.
class ErrorBoxes {
public:
    ErrorBoxes() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->isVisible()) {
                seen << box->windowTitle() + ": " + box->text();
                box->accept();
            }
        });
        timer_.start();
    }
    QStringList seen;

private:
    QTimer timer_;
};

class CardMenusTest : public testing::Test {
protected:
    CardMenusTest() {
        ::setenv("ZELMO_SIM_STATE", (home / "state").c_str(), 1);
        ::setenv("ZELMO_SIM_CONFIG", (home / "simulator.ini").c_str(), 1);
    }
    ~CardMenusTest() override {
        if (window) {
            window->Project().CloseAll(true);
            window->Shutdown();
        }
    }
    TfMain& Start(const std::string& ini) {
        EXPECT_TRUE(test::writeFile(home / "simulator.ini", ini));
        window = std::make_unique<TfMain>(kDay, CommandLine{},
                                          QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR")));
        window->Project().SetSwapPath(QString::fromStdString((home / "swap").string()));
        window->show();
        window->Initialize();
        return *window;
    }
    void AddDevice(const char* vendor, const char* name, const char* package) {
        DeviceDescriptor d{};
        char v[5] = {}, n[25] = {}, p[10] = {};
        SetFieldText(v, vendor);
        SetFieldText(n, name);
        SetFieldText(p, package);
        const HardwareEntryPoints& api = window->Session().Api();
        ASSERT_TRUE(api.ZmSearchDev(v, n, p, &d));
        const AddDeviceResult added = window->Project().AddCompleteDevice(d, [&](CDevice& device) {
            const PreparedDevice prepared = PrepareCatalogueDevice(api, window->AppDir(), d);
            ApplyPreparation(device, prepared);
            return prepared.ok;
        });
        ASSERT_GE(added.Slot, 0);
        window->RefreshAll();
    }
    QStringList LogLines() const { return window->LogView()->Text().split(u'\n'); }

    test::TempDir home;
    std::unique_ptr<TfMain> window;
};

TEST_F(CardMenusTest, EntriesFollowTheProgrammersAndGangMode) {
    TfMain& w = Start("[simulator]\nprogrammers = 3\n");
    TMainCommands& c = w.Commands();
    for (const bool gang : {true, false}) {
        w.Project().GangMode = gang ? 1 : 0;
        w.RefreshAll();
        EXPECT_EQ(c.miIdentifyCard->text(),
                  gang ? "Identify CompactFlash cards" : "Identify CompactFlash card");
        EXPECT_TRUE(c.miIdentifyCard->isEnabled());
        EXPECT_EQ(c.miEraseCard->text(),
                  gang ? "Erase CompactFlash cards" : "Erase CompactFlash card");
        EXPECT_FALSE(c.miEraseCard->isEnabled());
        EXPECT_EQ(c.miReadFromCard->isEnabled(), gang);
        EXPECT_EQ(c.miSaveToCard->text(), gang ? "Save to cards" : "Save to card");
        EXPECT_EQ(c.miSaveToCard->isEnabled(), gang);
    }
    // A running device keeps every card command away except identification's own rule.
    w.Project().GangMode = 1;
    AddDevice("ATM", "AT28C16", "DIP24");
    w.Project().Devices[0]->Busy = 1;
    w.RefreshAll();
    EXPECT_FALSE(c.miSaveToCard->isEnabled());
    EXPECT_FALSE(c.miReadFromCard->isEnabled());
    EXPECT_FALSE(c.miIdentifyCard->isEnabled());
    w.Project().Devices[0]->Busy = 0;
}

TEST_F(CardMenusTest, SaveAndReadRunUnderTheBusyWindowAndReport) {
    TfMain& w = Start("[simulator]\nprogrammers = 1\n");
    AddDevice("ATM", "AT28C16", "DIP24");
    w.Commands().miIdentifyCard->trigger();
    w.Commands().miSaveToCard->trigger();
    EXPECT_EQ(w.StatusMessage(), "Project saved.");
    w.Commands().miReadFromCard->trigger();
    ASSERT_EQ(w.Project().DeviceCount, 1);
    const QStringList log = LogLines();
    for (const char* line :
         {"CompactFlash card identification", "  Current capacity: 32.0 MB (33554432 bytes)",
          "Saving project to card.", "  Project saved.", "Reading project from card.",
          "  Device restored: 01: AT28C16 / DIP24."}) {
        EXPECT_TRUE(log.contains(line)) << line << "\n" << log.join('\n').toStdString();
    }
    EXPECT_TRUE(w.Busy().Info().isEmpty()) << "the busy window was closed by its worker";
}

TEST_F(CardMenusTest, AFailedWriteShowsTheErrorBox) {
    TfMain& w = Start("[simulator]\nprogrammers = 1\nfail = card_write\n");
    AddDevice("ATM", "AT28C16", "DIP24");
    ErrorBoxes boxes;
    w.Commands().miSaveToCard->trigger();
    EXPECT_EQ(boxes.seen, QStringList{"Error: Could not save project."});
    EXPECT_EQ(w.StatusMessage(), "Project saving error.");
    EXPECT_TRUE(LogLines().contains("  Project saving error."));
}

} // namespace
} // namespace zelmo
