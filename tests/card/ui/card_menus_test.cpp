// The card entries of the main window after the real start-up against the simulated
// programmers: captions and enabled states, and the commands with the busy window, the log,
// the status message and the error box.

#include "app/ui/busy_window.h"
#include "app/ui/main_commands.h"
#include "common/started_window.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace zelmo {
namespace {

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

// The information text of every showing of the busy window.
class BusyShowings : public QObject {
public:
    explicit BusyShowings(TfBusy& busy) : busy_(busy) { busy.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            seen << busy_.Info();
        }
        return false;
    }
    QStringList seen;

private:
    TfBusy& busy_;
};

using CardMenusTest = test::StartedWindowTest;

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
    // A running device keeps every card command away, as it keeps the project commands of the
    // same menus.
    w.Project().GangMode = 1;
    AddCatalogueDevice("ATM", "AT28C16", "DIP24");
    w.Project().Devices[0]->Busy = 1;
    w.RefreshAll();
    EXPECT_FALSE(c.miSaveToCard->isEnabled());
    EXPECT_FALSE(c.miReadFromCard->isEnabled());
    EXPECT_FALSE(c.miIdentifyCard->isEnabled());
    w.Project().Devices[0]->Busy = 0;
}

TEST_F(CardMenusTest, SaveAndReadRunUnderTheBusyWindowAndReport) {
    TfMain& w = Start("[simulator]\nprogrammers = 1\n");
    AddCatalogueDevice("ATM", "AT28C16", "DIP24");
    BusyShowings busy(w.Busy());
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
    EXPECT_EQ(busy.seen, (QStringList{"Writing CF card.", "Reading project from card..."}));
    EXPECT_FALSE(w.Busy().isVisible()) << "the busy window was closed by its worker";
}

TEST_F(CardMenusTest, AFailedWriteShowsTheErrorBox) {
    TfMain& w = Start("[simulator]\nprogrammers = 1\nfail = card_write\n");
    AddCatalogueDevice("ATM", "AT28C16", "DIP24");
    ErrorBoxes boxes;
    w.Commands().miSaveToCard->trigger();
    EXPECT_EQ(boxes.seen, QStringList{"Error: Could not save project."});
    EXPECT_EQ(w.StatusMessage(), "Project saving error.");
    EXPECT_TRUE(LogLines().contains("  Project saving error."));
}

} // namespace
} // namespace zelmo
