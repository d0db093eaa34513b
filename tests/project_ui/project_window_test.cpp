// The project in the real main window against the simulated programmer library: devices added
// through the selection dialog, the project tree's clicks, renames and menus, linking, and the
// working project stored at shutdown and restored at the next start.

#include "app/ui/log_view.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "app_ui/modal.h"
#include "catalogue/ui/select_ic.h"
#include "common/temp_dir.h"
#include "persistence/settings_document.h"
#include "project/device_descriptor.h"
#include "project/ui/project_tree.h"
#include "project/ui/project_ui.h"
#include "serialization/serialization.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>

namespace zelmo {
namespace {

const BuildDayBytes kDay{73, 18, 2, 16};

QString BinDir() {
    return QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR")) + "/";
}

// Lets queued calls and the modal answers' timer run until `done` holds (at most two seconds).
template <typename Done> void WaitFor(Done done) {
    for (int i = 0; i < 400 && !done(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

class ProjectWindowTest : public testing::Test {
protected:
    ProjectWindowTest() {
        for (const char* sub : {"data", "config", "state"}) {
            std::filesystem::create_directories(home / sub);
        }
        Set("XDG_DATA_HOME", home / "data");
        Set("XDG_CONFIG_HOME", home / "config");
        Set("ZELMO_SIM_STATE", home / "state");
        ::unsetenv("ZELMO_SIM_CONFIG"); // the shipped simulator: one programmer
    }
    ~ProjectWindowTest() override { Stop(); }

    static void Set(const char* name, const std::filesystem::path& value) {
        ::setenv(name, value.c_str(), 1);
    }
    TfMain& Start(CommandLine line = {}) {
        window = std::make_unique<TfMain>(kDay, std::move(line), BinDir());
        window->show();
        window->Initialize();
        ui = window->findChild<TProjectUi*>();
        config = window->ConfigurationFile();
        EXPECT_NE(ui, nullptr);
        return *window;
    }
    void Stop() {
        if (window) {
            window->Shutdown();
            window.reset();
        }
    }
    TProject& Project() { return window->Project(); }
    TProjectTree& Tree() { return *ui->Tree(); }

    // "Add device" with the selection dialog answered: the search text picks the device (the
    // first match), then the copies and, when given, a user adapter file; OK. The message
    // dialogs that follow are answered with the buttons of `then`.
    void Add(const QString& search, int copies = 1, const QString& adapter = {},
             const QStringList& then = {}) {
        answers.Then([search, copies, adapter](QWidget* w) {
            auto* dialog = qobject_cast<TfSelectIC*>(w);
            ASSERT_NE(dialog, nullptr) << w->windowTitle().toStdString();
            emit dialog->eFilter->textEdited(search);
            emit dialog->sgDevices->cellPressed(0, 0);
            dialog->cbMultAdd->setCurrentIndex(copies - 1);
            if (!adapter.isEmpty()) {
                dialog->LoadAdapterFile(adapter);
            }
            dialog->bOK->click();
        });
        for (const QString& button : then) {
            answers.Button(button);
        }
        window->Commands().miAddDevice->trigger();
        WaitFor([this] { return answers.AllAnswered(); });
        ASSERT_TRUE(answers.AllAnswered());
    }
    QStringList Messages() const {
        QStringList texts;
        for (const test::SeenDialog& seen : answers.Seen()) {
            texts << seen.text;
        }
        return texts;
    }
    QTreeWidgetItem* DataSetItem(int device, int dataSet) {
        return Tree().topLevelItem(device)->child(dataSet);
    }
    void Click(QTreeWidgetItem* item) {
        Tree().scrollToItem(item);
        const QPoint at = Tree().visualItemRect(item).center() + QPoint(20, 0);
        QMouseEvent press(QEvent::MouseButtonPress, at, Tree().viewport()->mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Tree().viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, Tree().viewport()->mapToGlobal(at),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Tree().viewport(), &release);
    }
    // Opens the node's pop-up menu the way a right click does and triggers one of its entries.
    void MenuCommand(QTreeWidgetItem* item, QAction* action) {
        const QPoint at = Tree().visualItemRect(item).center() + QPoint(20, 0);
        ASSERT_NE(Tree().MenuAt(at), nullptr);
        ASSERT_TRUE(action->isEnabled());
        action->trigger();
    }
    std::size_t SwapFolderFiles() const {
        return QDir(window->Project().SwapFolder()).entryList(QDir::Files).size();
    }
    QString ConfigurationText() const {
        QFile file(config);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll().mid(2); // after the byte order mark
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                  bytes.size() / 2);
    }

    test::TempDir home;
    std::unique_ptr<TfMain> window;
    TProjectUi* ui = nullptr;
    QString config; // the configuration file of the last start
    test::ModalAnswers answers;
};

TEST_F(ProjectWindowTest, SeventeenthDeviceIsRefusedBeforeTheSelectionDialogOpens) {
    Start();
    Add("AT24C02", 8);
    Add("AT24C02", 8);
    ASSERT_EQ(Project().DeviceCount, 16);
    EXPECT_EQ(Tree().topLevelItemCount(), 16);

    answers.Button("OK");
    window->Commands().miAddDevice->trigger();
    WaitFor([this] { return answers.AllAnswered(); });
    ASSERT_EQ(answers.Seen().size(), 3u);
    EXPECT_EQ(answers.Seen()[2].text, "Can't add another device.");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(Project().DeviceCount, 16);
}

TEST_F(ProjectWindowTest, IdenticalCopiesAreCheckedOnceTogetherAndGetTheirOwnFiles) {
    Start();
    // AT24C02: 256 bytes of EEPROM. Room for two copies but not for three refuses all three.
    std::vector<QString> asked;
    std::int64_t free = 0;
    ui->SetFreeSpace([&](const QString& folder) {
        asked.push_back(folder);
        return free;
    });
    Add("AT24C02", 3, {}, {"OK"});
    ASSERT_EQ(Project().DeviceCount, 0);
    ASSERT_EQ(answers.Seen().size(), 2u);
    EXPECT_TRUE(answers.Seen()[1].text.startsWith(
        "Could not add devices. Not enough disk space.\nFree at least "))
        << answers.Seen()[1].text.toStdString();
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], Project().SwapFolder());

    asked.clear();
    free = std::int64_t{1} << 40;
    Add("AT24C02", 3);
    ASSERT_EQ(Project().DeviceCount, 3);
    std::set<std::uint16_t> optIds;
    std::set<std::uint16_t> swapIds;
    for (int d = 0; d < 3; ++d) {
        optIds.insert(Project().Devices[d]->OptId);
        swapIds.insert(Project().Devices[d]->DataSets[0]->SwapId);
    }
    EXPECT_EQ(optIds.size(), 3u);
    EXPECT_EQ(swapIds.size(), 3u);
    // One check before the copies, then the free space each added device reports.
    EXPECT_EQ(asked.size(), 4u);
    EXPECT_EQ(Tree().topLevelItemCount(), 3);
}

TEST_F(ProjectWindowTest, WrongPinCountAdapterFileIsRefusedWithoutAHalfMadeDevice) {
    Start();
    // A valid adapter file for an 8-pin package offered for a PLCC32 device.
    const QString adapter = QString::fromStdString((home / "wrong.adp").string());
    ASSERT_TRUE(QFile::copy(BinDir() + "Adapters/SOIC8.adp", adapter));
    const std::size_t before = SwapFolderFiles();
    Add("SST39SF040", 2, adapter, {"OK"});
    ASSERT_EQ(answers.Seen().size(), 2u);
    EXPECT_EQ(answers.Seen()[1].text, "Incorrect adapter file. Pin count mismatch.\n"
                                      "Use Adapter Creator tool to check this file.");
    EXPECT_EQ(Project().DeviceCount, 0);
    EXPECT_EQ(Tree().topLevelItemCount(), 0);
    EXPECT_EQ(SwapFolderFiles(), before);
}

TEST_F(ProjectWindowTest, RenamingInTheTreeFiltersRefusesShortNamesAndKeepsSixteen) {
    Start();
    Add("AT24C02");
    struct Case {
        QString typed;
        QString kept;
        const char* message; // null: accepted without a message
    } cases[] = {
        {"ab", "Data set 1", "Data set name too short.\nIt should contain minimum 3 chars."},
        {"abcdefghijklmnopqrst", "abcdefghijklmnop", nullptr},
    };
    for (const Case& c : cases) {
        const std::size_t seen = answers.Seen().size();
        if (c.message != nullptr) {
            answers.Button("OK");
        }
        QTreeWidgetItem* item = DataSetItem(0, 0);
        MenuCommand(item, Tree().miRenameDataSet);
        auto* editor = Tree().viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->clear();
        editor->insert(c.typed);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(editor, &enter);
        WaitFor([&] { return answers.Seen().size() > seen || c.message == nullptr; });
        for (int i = 0; i < 10; ++i) {
            QApplication::processEvents();
        }
        EXPECT_EQ(QString::fromStdString(Project().Devices[0]->DataSets[0]->Name), c.kept)
            << c.typed.toStdString();
        EXPECT_TRUE(DataSetItem(0, 0)->text(0).contains(c.kept));
        if (c.message != nullptr) {
            ASSERT_EQ(answers.Seen().size(), seen + 1);
            EXPECT_EQ(answers.Seen().back().text, c.message);
        }
    }
    // The double quote and characters from code 128 on never reach the editor's text.
    MenuCommand(DataSetItem(0, 0), Tree().miRenameDataSet);
    auto* editor = Tree().viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    editor->insert(QString::fromUtf8("a\"b\xc3\xa9"));
    EXPECT_EQ(editor->text(), "");
}

TEST_F(ProjectWindowTest, RemovingTheShownAndSelectedDataSetSelectsDataSetZero) {
    Start();
    Add("AT24C02");
    QTreeWidgetItem* device = Tree().topLevelItem(0);
    for (int i = 0; i < 2; ++i) {
        MenuCommand(device, Tree().miAddDataSet);
    }
    CDevice& d = *Project().Devices[0];
    ASSERT_EQ(d.DataSetCount, 3);
    ASSERT_EQ(device->childCount(), 3);
    Click(DataSetItem(0, 2));
    MenuCommand(DataSetItem(0, 2), Tree().miSetActiveDataSet);
    ASSERT_EQ(d.ShownDataSet, 2);
    ASSERT_EQ(d.SelectedDataSet, 2);

    answers.Button("Yes");
    MenuCommand(DataSetItem(0, 2), Tree().miRemoveDataSet);
    WaitFor([this] { return answers.AllAnswered(); });
    EXPECT_EQ(d.DataSetCount, 2);
    EXPECT_EQ(device->childCount(), 2);
    EXPECT_EQ(d.ShownDataSet, 0);
    EXPECT_EQ(d.SelectedDataSet, 0);
    EXPECT_EQ(Tree().currentItem(), DataSetItem(0, 0));
}

TEST_F(ProjectWindowTest, LinkingJoinsOnlyTheIdenticalDevices) {
    Start();
    Add("AT24C02", 2);
    Add("AT28C64B");
    ASSERT_EQ(Project().DeviceCount, 3);
    window->Commands().miLinkDevices->trigger();
    EXPECT_EQ(Project().LinkDevices, 1);
    EXPECT_EQ(Project().Devices[0]->Linked, 1);
    EXPECT_EQ(Project().Devices[1]->Linked, 1);
    EXPECT_EQ(Project().Devices[2]->Linked, 0);
}

TEST_F(ProjectWindowTest, MovingADeviceKeepsItsSlotAndMovesTheActiveHighlight) {
    Start();
    Add("AT24C02");
    Add("AT28C64B");
    Add("AT28C16");
    Click(Tree().topLevelItem(2));
    ASSERT_EQ(Project().ActiveDevice, 2);
    const std::int32_t slot = Project().Devices[2]->Slot;

    MenuCommand(Tree().topLevelItem(2), Tree().miMoveDeviceUp);
    EXPECT_EQ(Project().ActiveDevice, 1);
    EXPECT_EQ(Project().Devices[1]->Slot, slot);
    EXPECT_EQ(FieldView(Project().Devices[1]->Descriptor.Name), "AT28C16");
    EXPECT_TRUE(Tree().topLevelItem(1)->text(0).contains("AT28C16"));
    EXPECT_EQ(Tree().currentItem(), DataSetItem(1, 0)); // the moved device's shown data set

    MenuCommand(Tree().topLevelItem(1), Tree().miMoveDeviceDown);
    EXPECT_EQ(Project().ActiveDevice, 2);
    EXPECT_EQ(Project().Devices[2]->Slot, slot);
    EXPECT_EQ(Tree().currentItem(), DataSetItem(2, 0));
}

TEST_F(ProjectWindowTest, ClickingADataSetOfABusyDeviceChangesNothing) {
    Start();
    Add("AT24C02", 2);
    MenuCommand(Tree().topLevelItem(1), Tree().miAddDataSet);
    Click(Tree().topLevelItem(0));
    ASSERT_EQ(Project().ActiveDevice, 0);
    CDevice& busy = *Project().Devices[1];
    busy.Busy = 1;
    int changes = 0;
    QObject::connect(&Tree(), &TProjectTree::activeNodeChanged, [&] { ++changes; });
    Click(DataSetItem(1, 1));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(Project().ActiveDevice, 0);
    EXPECT_EQ(busy.ShownDataSet, 0);
    EXPECT_EQ(busy.SelectedDataSet, 0);
    busy.Busy = 0;
}

TEST_F(ProjectWindowTest, SixteenDevicesAreStoredInNumberedSectionsAndComeBack) {
    Start();
    Add("AT24C02", 8);
    Add("AT28C64B", 8);
    MenuCommand(Tree().topLevelItem(10), Tree().miAddDataSet);
    Stop();
    const QString text = ConfigurationText();
    for (const char* section : {"<Device00>", "<Device0a>", "<Device0f>", "<DataSet0a00>",
                                "<DataSet0a01>", "<DataSet0f00>"}) {
        EXPECT_TRUE(text.contains(section)) << section;
    }
    EXPECT_FALSE(text.contains("<Device10>"));

    Start();
    ASSERT_EQ(Project().DeviceCount, 16);
    EXPECT_EQ(Tree().topLevelItemCount(), 16);
    EXPECT_EQ(Project().Devices[10]->DataSetCount, 2);
    EXPECT_EQ(FieldView(Project().Devices[15]->Descriptor.Name), "AT28C64B");
}

TEST_F(ProjectWindowTest, RestoreGivesARepeatedSwapIdItsOwnFileAndSkipsUnknownDevices) {
    Start();
    Add("AT24C02", 2);
    Add("AT28C64B");
    Project().Devices[2]->ActiveTab = 2;
    const std::uint16_t shared = Project().Devices[0]->DataSets[0]->SwapId;
    Stop();
    {
        // A configuration edited by hand: device 1 names device 0's swap file.
        CMyIni document;
        ASSERT_TRUE(document.Open(config, "Settings", true));
        ASSERT_TRUE(document.WriteInt("DataSet0100", "SwapId", shared));
        ASSERT_TRUE(document.Save());
    }
    Start();
    ASSERT_EQ(Project().DeviceCount, 3);
    const CDataSet& a = *Project().Devices[0]->DataSets[0];
    const CDataSet& b = *Project().Devices[1]->DataSets[0];
    EXPECT_EQ(a.SwapId, shared);
    EXPECT_NE(b.SwapId, shared);
    EXPECT_NE(a.SwapPath, b.SwapPath);
    const QString line = QString::asprintf("Swap file %04X is used by another data set; "
                                           "'Data set 1' gets swap file %04X with empty buffers.",
                                           shared, b.SwapId);
    EXPECT_TRUE(window->LogView()->Text().contains(line))
        << window->LogView()->Text().toStdString();
    Stop();

    {
        // Now device 1 is one the catalogue does not know; device 2 keeps its settings.
        CMyIni document;
        ASSERT_TRUE(document.Open(config, "Settings", true));
        ASSERT_TRUE(document.WriteAnsiText("Device01", "Name", "NOSUCHCHIP"));
        ASSERT_TRUE(document.Save());
    }
    Start();
    ASSERT_EQ(Project().DeviceCount, 2);
    EXPECT_EQ(FieldView(Project().Devices[1]->Descriptor.Name), "AT28C64B");
    EXPECT_EQ(Project().Devices[1]->ActiveTab, 2);
    EXPECT_TRUE(window->LogView()->Text().contains(
        "Atmel, NOSUCHCHIP / DIP8 could not be restored. Skipped."))
        << window->LogView()->Text().toStdString();
}

TEST_F(ProjectWindowTest, SavedProjectComesBackWholeAfterCreateNewProject) {
    Start();
    Add("AT24C02");
    Add("SST39SF040");
    MenuCommand(Tree().topLevelItem(0), Tree().miAddDataSet);
    CDevice& first = *Project().Devices[0];
    const std::uint8_t bytes[] = {0x12, 0x34, 0x56, 0x78};
    ASSERT_TRUE(first.DataSets[1]->Write(0, 100, bytes));
    first.ActiveTab = 3;
    first.OpTabs[2] = 0x21;
    auto recent = std::make_shared<CFileEntry>();
    recent->FileName = "/fw/app.hex";
    recent->FileOffset = 16;
    first.DataSets[1]->Memories[0].SetFiles({recent});
    first.DataSets[1]->Memories[0].SetCurrent(recent);
    first.Serialization->FileName = QString::fromStdString((home / "serial.ini").string());
    first.Serialization->Enabled = 1;
    first.Serialization->Current = 1234;
    ASSERT_TRUE(first.Serialization->SaveToFile());
    const QString adapter = Project().Devices[1]->AdapterFile;
    const QString path = QString::fromStdString((home / "saved.zlp").string());
    ASSERT_TRUE(ui->ProjectFile().Save(path).ok);
    EXPECT_EQ(window->StatusMessage(), "Project saved.");

    answers.Button("Yes");
    window->Commands().miCreateNewProject->trigger();
    WaitFor([this] { return answers.AllAnswered(); });
    ASSERT_EQ(Project().DeviceCount, 0);
    EXPECT_EQ(Tree().topLevelItemCount(), 0);

    ASSERT_TRUE(ui->ProjectFile().Open(path).ok);
    ASSERT_EQ(Project().DeviceCount, 2);
    ASSERT_EQ(Tree().topLevelItemCount(), 2);
    EXPECT_EQ(Tree().topLevelItem(0)->childCount(), 2);
    const CDevice& back = *Project().Devices[0];
    std::uint8_t read[4] = {};
    ASSERT_TRUE(back.DataSets[1]->Read(0, 100, read));
    EXPECT_EQ(std::vector<std::uint8_t>(read, read + 4),
              std::vector<std::uint8_t>(bytes, bytes + 4));
    EXPECT_EQ(back.ActiveTab, 3);
    EXPECT_EQ(back.OpTabs[2], 0x21u);
    ASSERT_TRUE(back.DataSets[1]->Memories[0].Current);
    EXPECT_EQ(back.DataSets[1]->Memories[0].Current->FileName, "/fw/app.hex");
    EXPECT_EQ(back.DataSets[1]->Memories[0].Current->FileOffset, 16);
    EXPECT_EQ(back.Serialization->Enabled, 1);
    EXPECT_EQ(back.Serialization->Current, 1234u);
    EXPECT_EQ(Project().Devices[1]->AdapterFile, adapter);
}

TEST_F(ProjectWindowTest, ProjectSwitchWithoutAPathIsReported) {
    answers.Key(Qt::Key_Return);
    CommandLine line;
    line.ProjectMissing = true;
    Start(line);
    WaitFor([this] { return answers.AllAnswered(); });
    ASSERT_FALSE(answers.Seen().empty());
    EXPECT_EQ(answers.Seen()[0].text, "Could not open project.\nIncorrect parameters.");
    EXPECT_EQ(Project().DeviceCount, 0);
    EXPECT_FALSE(window->InitFailed());
}

} // namespace
} // namespace zelmo
