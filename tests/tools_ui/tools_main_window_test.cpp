// The device menu's adapter and serialization commands and the pin contact check box in the
// main window: what they change in the project, log and show.

#include "app/ui/main_window.h"

#include "app/ui/log_view.h"
#include "app/ui/main_commands.h"
#include "app/ui/operation_area.h"
#include "catalogue/adapter_file.h"
#include "catalogue/ui/adapter_dialog.h"
#include "catalogue/ui/adapter_menu.h"
#include "common/temp_dir.h"
#include "modal.h"
#include "project/device_descriptor.h"
#include "project/project_fixture.h"
#include "serialization/serialization.h"
#include "serialization/ui/serialization_panel.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace zelmo {
namespace {

const BuildDayBytes kDay{73, 18, 2, 16};

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

class ToolsMainWindow : public testing::Test {
protected:
    ToolsMainWindow() : window(kDay, {}, QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR"))) {
        window.Project().SetSwapPath(qpath(swap.path()));
    }
    ~ToolsMainWindow() override { window.Project().CloseAll(true); }

    CDevice& AddDevice(std::uint32_t flags) {
        DeviceDescriptor descriptor = test::makeDescriptor({0x100, 0, 0, 0, 0}, flags);
        descriptor.PinCount = 8;
        const AddDeviceResult added = window.Project().AddCompleteDevice(descriptor);
        EXPECT_GE(added.Slot, 0);
        window.RefreshAll();
        return *window.Project().Devices[static_cast<std::size_t>(added.Slot)];
    }
    QString Log() const { return window.LogView()->toPlainText(); }

    test::TempDir swap;
    TfMain window;
    test::ModalAnswers answers;
};

TEST_F(ToolsMainWindow, ChangeAdapter) {
    auto* menu = window.findChild<TAdapterMenu*>();
    ASSERT_NE(menu, nullptr);
    QString chosen;
    menu->ChooseAdapterFile = [&](QWidget*) { return chosen; };
    answers.Button("OK");
    window.Commands().miChangeAdapter->trigger();
    EXPECT_EQ(answers.Seen().back().text, "No device selected.");

    CDevice& device = AddDevice(DEV_ADAPTER);
    std::array<QString, kZifPins> fields;
    fields[20] = "1";
    const std::array<std::uint8_t, kAdapterImageSize> image = buildAdapterImage(8, 8, fields);
    chosen = qpath(swap / "dip8.adp");
    ASSERT_TRUE(writeAdapterFile(chosen, image));
    window.Commands().miChangeAdapter->trigger();
    EXPECT_EQ(device.AdapterFile, chosen);
    EXPECT_EQ(device.AdapterData, image);
    EXPECT_EQ(window.StatusMessage(), "Adapter changed.");
    EXPECT_TRUE(Log().contains("  Adapter changed to '" + chosen + "'."));

    const QString sixteen = qpath(swap / "dip16.adp");
    ASSERT_TRUE(writeAdapterFile(sixteen, buildAdapterImage(16, 16, fields)));
    chosen = sixteen;
    answers.Button("OK");
    window.Commands().miChangeAdapter->trigger();
    EXPECT_EQ(answers.Seen().back().text, "Incorrect adapter file. Pin count mismatch.");
    EXPECT_EQ(device.AdapterData, image);
}

TEST_F(ToolsMainWindow, EditAdapterTakesTheModifiedImage) {
    CDevice& device = AddDevice(DEV_ADAPTER);
    std::array<QString, kZifPins> fields;
    fields[20] = "1";
    device.AdapterData = buildAdapterImage(8, 8, fields);
    auto* menu = window.findChild<TAdapterMenu*>();
    menu->CreatorShown = [&](TfAdapter& creator) {
        EXPECT_EQ(creator.ePin[20]->text(), "1") << "the device's image is shown";
        creator.ePin[21]->setText("2");
        answers.Button("Yes"); // close without saving
        creator.bOK->click();
    };
    window.Commands().miEditAdapter->trigger();
    EXPECT_EQ(device.AdapterData[5 + 21 * 48], 2);
    EXPECT_EQ(window.StatusMessage(), "Adapter modified.");
    EXPECT_TRUE(Log().contains("  Adapter modified and not saved."));

    // Cancelled, the device keeps its image.
    menu->CreatorShown = [](TfAdapter& creator) {
        creator.ePin[22]->setText("3");
        creator.bCancel->click();
    };
    window.Commands().miEditAdapter->trigger();
    EXPECT_EQ(device.AdapterData[5 + 22 * 48], 0);
}

TEST_F(ToolsMainWindow, PinContactCheckBoxActsOnUserClicks) {
    CDevice& device = AddDevice(DEV_PIN_CHECK);
    QCheckBox* box = window.pOperation->cbPinCheck;
    ASSERT_TRUE(box->isEnabled());
    const std::uint8_t before = device.PinCheck;
    box->setChecked(before == 0); // a refresh setting the box is not the user's change
    EXPECT_EQ(device.PinCheck, before);
    box->setChecked(false);
    box->click();
    EXPECT_EQ(device.PinCheck, 1);
    EXPECT_EQ(window.StatusMessage(), "Pin check enabled.");
    box->click();
    EXPECT_EQ(device.PinCheck, 0);
    EXPECT_TRUE(Log().contains("  Pin check disabled."));
}

TEST_F(ToolsMainWindow, SerializationCommandReportsAndRefreshesThePanel) {
    CDevice& device = AddDevice(DEV_SERIALIZATION);
    auto* panel = window.findChild<TSerializationPanel*>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->lMode->text(), "disabled");

    test::TempDir dir;
    const QString file = qpath(dir / "serial.ini");
    device.Serialization->FileName = file;
    device.Serialization->Enabled = 1;
    device.Serialization->Current = 0x42;
    ASSERT_TRUE(device.Serialization->SaveToFile());
    answers.Key(Qt::Key_Escape);
    window.Commands().miSerialization->trigger();
    EXPECT_EQ(panel->lMode->text(), "incremental");
    EXPECT_EQ(panel->lValue->text(), "0042");
    EXPECT_EQ(window.StatusMessage(), "Serialization enabled.");
    for (const QString& line : {QString("  Serialization file: '" + file + "'."),
                                QString("  Mode: incremental."), QString("  Value: 0042.")}) {
        EXPECT_TRUE(Log().contains(line)) << line.toStdString();
    }
}

} // namespace
} // namespace zelmo
