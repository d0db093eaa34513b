#include "catalogue/ui/adapter_dialog.h"

#include "app/startup_session.h"
#include "common/temp_dir.h"
#include "modal.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace zelmo {
namespace {

using Image = std::array<std::uint8_t, kAdapterImageSize>;

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

QColor Base(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Base);
}

void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// A creator with no file, laid out for N pins of a chip with `devicePins` pins.
void LayOut(TfAdapter& dialog, const char* adapterPins, const char* devicePins) {
    dialog.eAdapterPins->setText(QString::fromLatin1(adapterPins));
    dialog.eDevicePins->setText(QString::fromLatin1(devicePins));
    dialog.bNew->click();
}

TEST(AdapterDialog, FortyPinLayout) {
    TfAdapter dialog({}, {}, Image{});
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Adapter");
    EXPECT_EQ(dialog.eAdapterPins->text(), "48");
    EXPECT_FALSE(dialog.ePin[0]->isEnabled()) << "without a path every field is disabled";
    EXPECT_EQ(Base(dialog.ePin[0]), QColor(192, 192, 192));

    LayOut(dialog, "40", "40");
    for (int s = 1; s <= 48; ++s) {
        const QLineEdit* field = dialog.ePin[static_cast<std::size_t>(s - 1)];
        const QLabel* plug = dialog.lPlugPin[static_cast<std::size_t>(s - 1)];
        const bool used = s >= 5 && s <= 44;
        EXPECT_TRUE(field->isEnabled()) << s;
        EXPECT_EQ(Base(field), used ? QColor(255, 255, 225) : QColor(192, 192, 192)) << s;
        EXPECT_EQ(plug->isVisible(), used) << s;
        if (used) {
            EXPECT_EQ(plug->text(), QString::number(s - 4)) << s;
        }
    }
    EXPECT_EQ(dialog.focusWidget(), dialog.ePin[4]) << "focus on the first used field";
    EXPECT_TRUE(dialog.bSave->isEnabled());
    EXPECT_FALSE(dialog.bScanStart->isEnabled()) << "no programmer attached";

    // Typing: a full stop becomes a comma, letters are dropped, Enter goes to the next field.
    QTest::keyClicks(dialog.ePin[4], "1.x2");
    EXPECT_EQ(dialog.ePin[4]->text(), "1,2");
    EXPECT_EQ(dialog.windowTitle(), "Adapter [Modified]");
    QTest::keyClick(dialog.ePin[4], Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.ePin[5]);
    dialog.ePin[47]->setFocus();
    QTest::keyClick(dialog.ePin[47], Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.ePin[0]) << "after pin 48 comes pin 1";
    // The count fields take only counts they can hold.
    Type(dialog.eAdapterPins, "49");
    EXPECT_EQ(dialog.eAdapterPins->text(), "4");
    Type(dialog.eDevicePins, "256");
    EXPECT_EQ(dialog.eDevicePins->text(), "25");

    test::ModalAnswers answers;
    answers.Button("OK");
    Type(dialog.eAdapterPins, "7");
    dialog.bNew->click();
    EXPECT_EQ(answers.Seen().back().text, "Incorrect adapter pin count.");
    EXPECT_EQ(dialog.ePin[4]->text(), "1,2") << "nothing else happens";
}

TEST(AdapterDialog, TooHighPinNumberBlocksSaveAndTurnsTheFieldRed) {
    test::TempDir dir;
    int saveDialogs = 0;
    AdapterDialogContext context;
    context.ChooseSaveFile = [&](QWidget*, const QString&) {
        ++saveDialogs;
        return qpath(dir / "dip8");
    };
    TfAdapter dialog(std::move(context), {}, Image{});
    dialog.show();
    LayOut(dialog, "40", "8");
    Type(dialog.ePin[4], "1");
    Type(dialog.ePin[10], "3,9");

    test::ModalAnswers answers;
    answers.Button("OK");
    dialog.bSave->click();
    ASSERT_TRUE(answers.AllAnswered());
    EXPECT_EQ(answers.Seen().back().text, "This adapter seems to be invalid.");
    EXPECT_EQ(Base(dialog.ePin[10]), QColor(255, 0, 0));
    EXPECT_EQ(Base(dialog.ePin[4]), QColor(255, 255, 225));
    EXPECT_EQ(saveDialogs, 0) << "no file dialog for an invalid adapter";

    // OK is blocked the same way.
    answers.Button("OK");
    dialog.bOK->click();
    EXPECT_TRUE(dialog.isVisible());

    Type(dialog.ePin[10], "3");
    dialog.bSave->click();
    EXPECT_EQ(saveDialogs, 1);
    EXPECT_EQ(Base(dialog.ePin[10]), QColor(255, 255, 225));
    const QString saved = qpath(dir / "dip8.adp");
    Image image{};
    ASSERT_EQ(readAdapterFile(saved, image), AdapterReadResult::Valid);
    EXPECT_EQ(image[3], 40);
    EXPECT_EQ(image[4], 8);
    EXPECT_EQ(dialog.CurrentFile(), saved);
    EXPECT_EQ(dialog.windowTitle(), "Adapter");
}

TEST(AdapterDialog, ClosingAnUnsavedAdapterAsks) {
    TfAdapter dialog({}, {}, Image{});
    dialog.show();
    LayOut(dialog, "8", "8");
    Type(dialog.ePin[20], "1");
    test::ModalAnswers answers;
    answers.Button("No");
    dialog.close(); // the close button is OK
    EXPECT_EQ(answers.Seen().back().text,
              "Adapter modified and not saved.\nDo you want to close without saving?");
    EXPECT_TRUE(dialog.isVisible());
    answers.Button("Yes");
    dialog.bOK->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialog.Creator().Modified);
    EXPECT_EQ(dialog.Creator().Image()[5 + 20 * 48], 1);
}

QString BinDir() {
    const QString dir = QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR"));
    return QFileInfo::exists(dir + "/libhardware.so") ? dir + "/" : QString();
}

TEST(AdapterDialog, FullScanOfAnEightPinDeviceWithTheSimulatorFillsTheFields) {
    const QString appDir = BinDir();
    if (appDir.isEmpty()) {
        GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so";
    }
    // The operator touches chip pins 1 to 8 of a DIP8 in an 8-pin adapter (socket pins 21 to
    // 28) and presses the programmer's accept key; pin 4 is also wired to socket pin 28.
    std::ofstream(std::getenv("ZELMO_SIM_CONFIG"))
        << "[simulator]\nprogrammers = 1\nscan = -; 21:accept; 22:accept; 23:accept; "
           "24,28:accept; 25:accept; 26:accept; 27:accept; 28:accept\n";
    CStartupSession session;
    ASSERT_TRUE(session.StartLibraries(appDir, 0).ok);
    ASSERT_TRUE(session.FindProgrammers(-1));
    AdapterDialogContext context;
    context.AppDir = appDir;
    context.Ports = {session.Programmers().at(0).Port};
    int prepared = 0;
    context.InitHardware = [&](int port) {
        ++prepared;
        return session.Api().ZmInitHardware(port, 0) != 0;
    };
    TfAdapter dialog(std::move(context), {}, Image{});
    dialog.show();
    LayOut(dialog, "8", "8");
    ASSERT_TRUE(dialog.bScanStart->isEnabled());

    QSignalSpy ended(&dialog, &TfAdapter::scanEnded);
    dialog.bScanStart->click();
    EXPECT_EQ(prepared, 1);
    ASSERT_TRUE(dialog.Scanning());
    EXPECT_TRUE(dialog.bScanStop->isEnabled());
    EXPECT_FALSE(dialog.bOK->isEnabled());
    EXPECT_TRUE(dialog.ePin[20]->isReadOnly());
    EXPECT_EQ(dialog.stDevicePin->text(), "1");
    dialog.close();
    EXPECT_TRUE(dialog.isVisible()) << "the creator cannot close while it scans";
    ASSERT_TRUE(ended.wait(10000));

    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(dialog.ePin[static_cast<std::size_t>(19 + k)]->text(),
                  k == 8 ? QStringLiteral("4,8") : QString::number(k))
            << "socket pin " << 20 + k;
    }
    EXPECT_FALSE(dialog.Scanning());
    EXPECT_TRUE(dialog.stDevicePin->text().isEmpty());
    EXPECT_TRUE(dialog.bOK->isEnabled());
    EXPECT_FALSE(dialog.bScanStop->isEnabled());
    EXPECT_FALSE(dialog.ePin[20]->isReadOnly());
    session.Close();
}

TEST(AdapterDialog, ScanRefusesAnOddDevicePinCount) {
    AdapterDialogContext context;
    context.Ports = {1};
    context.InitHardware = [](int) { return true; };
    TfAdapter dialog(std::move(context), {}, Image{});
    dialog.show();
    LayOut(dialog, "8", "3");
    test::ModalAnswers answers;
    answers.Button("OK");
    dialog.bScanStart->click();
    EXPECT_EQ(answers.Seen().back().text, "Incorrect device pin count.");
    EXPECT_FALSE(dialog.Scanning());
}

} // namespace
} // namespace zelmo
