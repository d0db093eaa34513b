#include "app/ui/bottom_tabs.h"
#include "app/ui/log_view.h"
#include "app/ui/main_window.h"
#include "app/ui/status_strip.h"
#include "app_ui/modal.h"
#include "common/temp_dir.h"
#include "editor/buffer_cursor.h"
#include "editor/ui/buffer_tools_commands.h"
#include "editor/ui/checksum_dialog.h"
#include "editor/ui/fill_dialog.h"
#include "editor/ui/goto_dialog.h"
#include "editor/ui/replace_dialog.h"
#include "editor/ui/search_dialog.h"
#include "project/device_descriptor.h"
#include "project/project_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelmo {
namespace {

using editor::TBufferTools;

const BuildDayBytes kDay{73, 18, 2, 16};

// Types text into a field key by key, as the user would, so the field's filter sees each one.
void Type(QWidget* field, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

void Retype(QLineEdit* field, const QString& text) {
    field->clear();
    Type(field, text);
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// A main window (without its start-up) over a project in a private swap folder; the tools are
// the ones the window installed.
class ToolsTest : public testing::Test {
protected:
    ToolsTest() : window(kDay, {}, QString::fromLocal8Bit(qgetenv("ZELMO_BIN_DIR"))) {
        window.Project().SetSwapPath(QString::fromStdString(swap.path().string()));
        tools = window.findChild<TBufferTools*>();
    }
    ~ToolsTest() override { window.Project().CloseAll(true); }

    CDevice& AddDevice(std::uint32_t size, std::uint8_t organization = ORG_8BIT,
                       std::uint8_t type = DT_FLASH, std::uint32_t sizeB = 0) {
        const DeviceDescriptor descriptor =
            test::makeDescriptor({size, sizeB, 0, 0, 0}, DEV_FILES, type);
        const AddDeviceResult added =
            window.Project().AddCompleteDevice(descriptor, [&](CDevice& device) {
                SetFieldText(device.Buffers[0].Name, "Code");
                device.Buffers[0].Organization = organization;
                device.Buffers[1].Organization = ORG_TEST_VECTORS;
                device.Editable = 1;
                return true;
            });
        EXPECT_GE(added.Slot, 0);
        return *window.Project().Devices[static_cast<std::size_t>(added.Slot)];
    }
    CDevice& Device() { return *window.Project().Active(); }
    CDataSet& Shown() { return *Device().Shown(); }
    BufferViewState& View() { return Device().ViewState[Device().CurrentMemory]; }
    void Put(std::uint64_t offset, const std::vector<std::uint8_t>& bytes, CDataSet* ds = nullptr) {
        ASSERT_TRUE((ds != nullptr ? *ds : Shown()).Write(0, offset, bytes));
    }
    std::vector<std::uint8_t> Get(std::uint64_t offset, std::size_t n, int memory = 0) {
        std::vector<std::uint8_t> bytes(n);
        EXPECT_TRUE(Shown().Read(memory, offset, bytes));
        return bytes;
    }
    QString Log() const { return window.LogView()->Text(); }
    QString LastSeen() const {
        return answers.Seen().empty() ? QString() : answers.Seen().back().text;
    }

    test::TempDir swap;
    TfMain window;
    TBufferTools* tools = nullptr;
    test::ModalAnswers answers;
};

TEST_F(ToolsTest, FillIn16BitModeCountsCellsAndLogsTheBlockInCells) {
    AddDevice(0x100, ORG_16BIT);
    ASSERT_NE(tools, nullptr);
    QString openedFrom;
    QString openedTo;
    answers.Then([&](QWidget* w) {
        auto* dialog = qobject_cast<editor::TfFillBuff*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Fill buffer");
        openedFrom = dialog->eFrom->text();
        openedTo = dialog->eTo->text();
        Retype(dialog->eFrom, "0010");
        Retype(dialog->eTo, "001F");
        Retype(dialog->eByteHex, "a5");
        dialog->bOK->click();
    });
    tools->miFillBufferClick();
    ASSERT_TRUE(answers.AllAnswered());
    // Without a selection the dialog offers the whole buffer, in words.
    EXPECT_EQ(openedFrom, "00000000");
    EXPECT_EQ(openedTo, "0000007F");

    EXPECT_EQ(Get(0x1F, 1), std::vector<std::uint8_t>{0xFF});
    EXPECT_EQ(Get(0x20, 0x20), std::vector<std::uint8_t>(0x20, 0xA5));
    EXPECT_EQ(Get(0x40, 1), std::vector<std::uint8_t>{0xFF});
    const QString log = Log();
    EXPECT_TRUE(log.contains("  Block 00000010 - 0000001F filled.")) << log.toStdString();
    // 0xE0 bytes of FF and 0x20 of A5.
    EXPECT_TRUE(log.contains("  Buffer checksum: 0000F3C0.")) << log.toStdString();
    EXPECT_FALSE(log.contains("Buffer filled."));
    EXPECT_EQ(Shown().Memories[0].Modified, 1);
    EXPECT_EQ(window.pBottom->lChecksum->text(), "0000F3C0");
}

TEST_F(ToolsTest, FillDialogRefusesRangesOutsideTheBufferAndStaysOpen) {
    struct Case {
        int mode;
        const char* from;
        const char* to;
    };
    // A 0x100-byte buffer: To one past the end, From above To, From past the end, in each mode.
    const Case refused[] = {{1, "0", "100"}, {1, "20", "10"}, {1, "100", "100"}, {2, "0", "80"},
                            {2, "10", "F"},  {3, "0", "40"},  {3, "3F", "3E"}};
    for (const Case& c : refused) {
        editor::TfFillBuff dialog({.Size = 0x100, .Range = {0, 0xFF}, .Mode = c.mode});
        dialog.show();
        dialog.eFrom->setText(c.from);
        dialog.eTo->setText(c.to);
        answers.Key(Qt::Key_Return);
        dialog.bOK->click();
        EXPECT_EQ(LastSeen(), "Invalid range.") << c.mode << " " << c.from << " " << c.to;
        EXPECT_EQ(answers.Seen().back().title, "Information");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Choice().Kind, 0);
    }
    const std::size_t messages = answers.Seen().size();
    // The last cell of a 32-bit buffer is accepted; empty fields read as 0.
    editor::TfFillBuff last({.Size = 0x100, .Range = {0, 0xFF}, .Mode = 3});
    last.show();
    last.eFrom->setText("3F");
    last.eTo->setText("3F");
    last.bOK->click();
    EXPECT_FALSE(last.isVisible());
    EXPECT_EQ(last.Choice().Range.First, 0xFCu);
    EXPECT_EQ(last.Choice().Range.Last, 0xFFu);
    editor::TfFillBuff empty({.Size = 0x100, .Range = {0, 0xFF}, .Mode = 1});
    empty.show();
    empty.eFrom->clear();
    empty.eTo->clear();
    empty.bOK->click();
    EXPECT_EQ(empty.Choice().Kind, 1);
    EXPECT_EQ(empty.Choice().Range.Last, 0u);
    EXPECT_EQ(answers.Seen().size(), messages);
}

TEST_F(ToolsTest, FillDialogMirrorsItsValueFieldsAndChoosesTheKind) {
    editor::TfFillBuff dialog({.Size = 0x100, .Range = {0x10, 0x1F}, .Mode = 1});
    dialog.show();
    EXPECT_EQ(dialog.eFrom->text(), "00000010");
    EXPECT_EQ(dialog.eTo->text(), "0000001F");
    EXPECT_EQ(dialog.eByteHex->text(), "FF");
    EXPECT_EQ(dialog.eWordHex->text(), "FFFF");
    EXPECT_FALSE(dialog.rbOption[6]->isVisibleTo(&dialog)); // "Test (512)" needs "-d"

    Retype(dialog.eByteHex, "4g1"); // "g" is refused
    EXPECT_EQ(dialog.eByteHex->text(), "41");
    EXPECT_EQ(dialog.eByteAscii->text(), "A");
    // The character's code goes into the hex field, which keeps its digits upper case.
    Retype(dialog.eByteAscii, "z");
    EXPECT_EQ(dialog.eByteHex->text(), "7A");
    Retype(dialog.eWordAscii, "A");
    EXPECT_EQ(dialog.eWordHex->text(), "0041");
    Type(dialog.eWordAscii, "B");
    EXPECT_EQ(dialog.eWordHex->text(), "4142");
    Retype(dialog.eWordHex, "4a42");
    EXPECT_EQ(dialog.eWordHex->text(), "4A42");
    EXPECT_EQ(dialog.eWordAscii->text(), "JB");

    // Entering a word field chooses the constant word; the order list follows the option.
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(dialog.eWordHex, &focus);
    EXPECT_TRUE(dialog.rbOption[1]->isChecked());
    EXPECT_FALSE(dialog.cbOrder->isEnabled());
    dialog.rbOption[3]->setChecked(true); // "Sequential bytes"
    EXPECT_TRUE(dialog.cbOrder->isEnabled());
    dialog.cbOrder->setCurrentIndex(1);
    dialog.bOK->click();
    EXPECT_EQ(dialog.Choice().Kind, 20);

    editor::TfFillBuff debug({.Size = 0x100, .Range = {0, 0xFF}, .Mode = 1, .DebugMode = true});
    EXPECT_TRUE(debug.rbOption[6]->isVisibleTo(&debug));
    debug.show();
    QApplication::sendEvent(debug.eWordAscii, &focus);
    Retype(debug.eWordHex, "1234");
    debug.bOK->click();
    EXPECT_EQ(debug.Choice().Kind, 2);
    EXPECT_EQ(debug.Choice().Value, 0x1234u);
}

TEST_F(ToolsTest, ClearOfASelectedBlockLogsTheBlockInCellsAndNoChecksum) {
    AddDevice(0x100, ORG_16BIT);
    Put(0, std::vector<std::uint8_t>(0x100, 0x00));
    View().SelStart = 0x20;
    View().SelEnd = 0x3F;
    answers.Key(Qt::Key_Y);
    tools->miClearBufferClick();
    EXPECT_EQ(LastSeen(), "Block of data will be cleared.\nAre you sure?");
    EXPECT_EQ(Get(0x1F, 1), std::vector<std::uint8_t>{0x00});
    EXPECT_EQ(Get(0x20, 0x20), std::vector<std::uint8_t>(0x20, 0xFF));
    EXPECT_EQ(Get(0x40, 1), std::vector<std::uint8_t>{0x00});
    EXPECT_TRUE(Log().contains("  Block 00000010 - 0000001F clear.")) << Log().toStdString();
    EXPECT_FALSE(Log().contains("Buffer checksum"));
    EXPECT_EQ(Shown().Memories[0].Modified, 0);
    // The stored checksum is still the sum of the whole buffer.
    EXPECT_EQ(window.pBottom->lChecksum->text(), "00001FE0");

    // No changes nothing and logs nothing.
    editor::clearSelection(View());
    const QString before = Log();
    answers.Key(Qt::Key_N);
    tools->miClearBufferClick();
    EXPECT_EQ(LastSeen(), "Buffer will be cleared.\nAre you sure?");
    EXPECT_EQ(Get(0, 1), std::vector<std::uint8_t>{0x00});
    EXPECT_EQ(Log(), before);

    answers.Key(Qt::Key_Y);
    tools->miClearBufferClick();
    EXPECT_EQ(Get(0, 0x100), std::vector<std::uint8_t>(0x100, 0xFF));
    EXPECT_TRUE(Log().contains("  Buffer clear.\n  Buffer checksum: 0000FF00."))
        << Log().toStdString();
    EXPECT_EQ(window.StatusMessage(), "Buffer clear.");
}

TEST_F(ToolsTest, ClearOfAProgrammableLogicDeviceErasesFusesAndVectors) {
    AddDevice(0x40, ORG_FUSE_MAP, DT_PLD, 0x20);
    Put(0, std::vector<std::uint8_t>(0x40, 0x00));
    answers.Key(Qt::Key_Y);
    tools->miClearBufferClick();
    EXPECT_EQ(LastSeen(), "Buffer will be cleared.\nAre you sure?");
    EXPECT_EQ(Get(0, 0x40), std::vector<std::uint8_t>(0x40, 0x01));
    EXPECT_EQ(Get(0, 0x20, 1), std::vector<std::uint8_t>(0x20, 0xFF));
    // Programmable logic devices show no checksum field.
    EXPECT_TRUE(window.pBottom->lChecksum->isHidden());
    EXPECT_TRUE(window.pBottom->lChecksumLabel->isHidden());
}

TEST_F(ToolsTest, SwapBytesKeepsTheChecksumAndReportsIt) {
    AddDevice(0x100);
    Put(0, {0x01, 0x02, 0x03});
    tools->lChecksumClick();
    const QString sum = window.pBottom->lChecksum->text();
    answers.Key(Qt::Key_Y);
    tools->miSwapClick(10);
    EXPECT_EQ(LastSeen(), "Bytes in buffer will be swapped.\nAre you sure?");
    EXPECT_EQ(Get(0, 4), (std::vector<std::uint8_t>{0x02, 0x01, 0xFF, 0x03}));
    EXPECT_EQ(window.pBottom->lChecksum->text(), sum);
    EXPECT_TRUE(Log().contains("  Bytes swapped."));
    EXPECT_EQ(window.StatusMessage(), "Bytes swapped.");
}

TEST_F(ToolsTest, FindDialogHexAndTextExamples) {
    CDevice& device = AddDevice(0x100);
    Put(0x30, {0x55, 0xAA});
    Put(0x50, Bytes("ABC"));
    Put(0x80, Bytes("XY"));
    Put(0x90, Bytes("XY"));
    std::size_t cursor = 0;
    const editor::SearchView view{.Cursor = [&] { return cursor; },
                                  .GoToAddress = [&](std::uint64_t a) { cursor = a; },
                                  .Changed = {}};
    struct Case {
        std::uint8_t organization;
        const char* text;
        bool hex;
        bool caseSensitive;
        std::size_t hit; // 0: a message instead
        const char* message;
    };
    const Case cases[] = {
        {ORG_8BIT, "55aa", true, false, 0x30, ""},
        {ORG_16BIT, "AA55", true, false, 0x30, ""},
        {ORG_32BIT, "AA55", true, false, 0, "Value must be 8, 16, 24 or 32 characters long."},
        {ORG_16BIT, "55AA55", true, false, 0,
         "Value must be 4, 8, 12, 16, 20, 24, 28 or 32 characters long."},
        {ORG_8BIT, "55A", true, false, 0, "Count of characters must be even."},
        {ORG_8BIT, "1234", true, false, 0, "Value 1234h not found."},
        {ORG_8BIT, "abc", false, false, 0x50, ""},
        {ORG_8BIT, "abc", false, true, 0, "String 'abc' not found."},
    };
    for (const Case& c : cases) {
        device.Buffers[0].Organization = c.organization;
        editor::CBufferSearch search(Shown(), 0, c.organization);
        editor::TfSearch dialog(search, view);
        dialog.show();
        cursor = 0;
        if (c.hex) {
            dialog.cbHexValues->click();
            EXPECT_FALSE(dialog.cbCaseSensitive->isEnabled());
        }
        dialog.cbCaseSensitive->setChecked(c.caseSensitive);
        Type(dialog.eText, c.text);
        const std::size_t seen = answers.Seen().size();
        if (c.hit == 0) {
            answers.Key(Qt::Key_Return);
        }
        dialog.bOKClick();
        if (c.hit != 0) {
            EXPECT_EQ(cursor, c.hit) << c.text;
            EXPECT_EQ(answers.Seen().size(), seen) << c.text;
        } else {
            EXPECT_EQ(LastSeen(), c.message) << c.text;
            EXPECT_EQ(answers.Seen().back().title, "Information");
        }
        EXPECT_TRUE(dialog.isVisible());
    }

    // Pressing Find again walks from hit to hit; "Entire scope" always finds the first one;
    // ticking "Hex values" empties the text field.
    device.Buffers[0].Organization = ORG_8BIT;
    editor::CBufferSearch search(Shown(), 0, ORG_8BIT);
    editor::TfSearch dialog(search, view);
    dialog.show();
    cursor = 0;
    Type(dialog.eText, "XY");
    dialog.bOKClick();
    EXPECT_EQ(cursor, 0x80u);
    dialog.bOKClick();
    EXPECT_EQ(cursor, 0x90u);
    answers.Key(Qt::Key_Return);
    dialog.bOKClick();
    EXPECT_EQ(LastSeen(), "String 'XY' not found.");
    dialog.rbEntireScope->setChecked(true);
    dialog.bOKClick();
    EXPECT_EQ(cursor, 0x80u);
    dialog.rbBackward->setChecked(true);
    dialog.rbFromCursor->setChecked(true);
    cursor = 0x90;
    dialog.bOKClick();
    EXPECT_EQ(cursor, 0x80u);
    dialog.cbHexValues->click();
    EXPECT_TRUE(dialog.eText->text().isEmpty());
    Type(dialog.eText, "x5y");
    EXPECT_EQ(dialog.eText->text(), "5");
}

TEST_F(ToolsTest, ReplaceDialogRefusesUnequalLengthsAndReplacesAll) {
    AddDevice(0x100);
    for (std::uint64_t at : {0x10, 0x20, 0x30}) {
        Put(at, Bytes("abc"));
    }
    ASSERT_EQ(window.pBottom->lChecksum->text(), "0000FF00");
    std::size_t cursor = 0;
    editor::CBufferSearch search(Shown(), 0, ORG_8BIT);
    editor::TfReplace dialog(search, {.Cursor = [&] { return cursor; },
                                      .GoToAddress = [&](std::uint64_t a) { cursor = a; },
                                      .Changed = [&] { tools->Commands().Host().Refresh(); }});
    EXPECT_EQ(dialog.windowTitle(), "Replace");
    dialog.show();
    Type(dialog.eFind, "AB");
    Type(dialog.eReplace, "XYZ");
    answers.Key(Qt::Key_Return);
    dialog.bOKClick();
    EXPECT_EQ(LastSeen(), "Search and replace strings should have the same length.");
    EXPECT_EQ(answers.Seen().back().title, "Warning");
    EXPECT_EQ(Get(0x10, 3), Bytes("abc"));

    // One press replaces one occurrence, silently, and leaves the cursor on its last byte.
    Retype(dialog.eFind, "ABC");
    const std::size_t seen = answers.Seen().size();
    dialog.bOKClick();
    EXPECT_EQ(answers.Seen().size(), seen);
    EXPECT_EQ(Get(0x10, 3), Bytes("XYZ"));
    EXPECT_EQ(cursor, 0x12u);

    // Replace all takes the other two and counts them.
    dialog.cbReplaceAll->setChecked(true);
    answers.Key(Qt::Key_Return);
    dialog.bOKClick();
    EXPECT_EQ(LastSeen(), "2 replaces done.");
    EXPECT_EQ(Get(0x30, 3), Bytes("XYZ"));

    // Over three fresh occurrences from the start.
    for (std::uint64_t at : {0x40, 0x50, 0x60}) {
        Put(at, Bytes("abc"));
    }
    cursor = 0;
    Retype(dialog.eReplace, "123");
    answers.Key(Qt::Key_Return);
    dialog.bOKClick();
    EXPECT_EQ(LastSeen(), "3 replaces done.");
    EXPECT_EQ(Get(0x60, 3), Bytes("123"));
    EXPECT_EQ(Shown().Memories[0].Modified, 1);
    EXPECT_EQ(Shown().Memories[0].ChecksumValid, 0);
    EXPECT_EQ(window.pBottom->lChecksum->text(), "Refresh");

    answers.Key(Qt::Key_Return);
    dialog.bOKClick();
    EXPECT_EQ(LastSeen(), "String 'ABC' not found.");
}

TEST_F(ToolsTest, GoToDialogMirrorsItsFieldsAndCountsCellsWithOffset) {
    std::vector<std::uint64_t> went;
    const auto open = [&](std::uint64_t cursor) {
        return std::make_unique<editor::TfGoToAddress>(editor::GoToInput{
            .Mode = 2, .Cursor = cursor, .Size = 0x200, .GoToAddress = [&](std::uint64_t a) {
                went.push_back(a);
            }});
    };
    auto dialog = open(0x100);
    EXPECT_EQ(dialog->windowTitle(), "Go to address");
    dialog->show();
    EXPECT_EQ(dialog->eHex->text(), "0");
    EXPECT_EQ(dialog->eDec->text(), "0");
    Retype(dialog->eDec, "255");
    EXPECT_EQ(dialog->eHex->text(), "FF");
    Retype(dialog->eHex, "10");
    EXPECT_EQ(dialog->eDec->text(), "16");
    dialog->bOKClick();
    EXPECT_EQ(went, std::vector<std::uint64_t>{0x20});
    EXPECT_FALSE(dialog->isVisible());

    dialog = open(0x100);
    dialog->show();
    Retype(dialog->eHex, "10");
    dialog->cbOffset->setChecked(true);
    dialog->bOKClick();
    EXPECT_EQ(went.back(), 0x120u);

    // Beyond the buffer's last byte: ignored, the dialog stays open.
    dialog = open(0x100);
    dialog->show();
    Retype(dialog->eHex, "100");
    dialog->bOKClick();
    EXPECT_EQ(went.size(), 2u);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ToolsTest, CompareFindsNextAndPreviousDifferences) {
    AddDevice(0x100);
    ASSERT_FALSE(window.Project().AddDataSet(0, SwapInit::ResetAndFill).empty());
    CDataSet& other = *Device().DataSetAt(1);
    editor::CBufferToolCommands& commands = tools->Commands();

    QMenu menu;
    tools->FillCompareMenu(&menu);
    ASSERT_GE(menu.actions().size(), 5);
    EXPECT_EQ(menu.actions()[0]->text(), "Find next difference");
    EXPECT_FALSE(menu.actions()[0]->isEnabled());
    EXPECT_TRUE(menu.actions()[2]->isSeparator());
    EXPECT_EQ(menu.actions()[3]->text(), "Disabled");
    EXPECT_TRUE(menu.actions()[3]->isChecked());
    EXPECT_EQ(menu.actions()[4]->text(), QString::fromStdString(other.Name));
    menu.actions()[4]->trigger();
    EXPECT_EQ(Shown().CompareTo, 1);
    tools->FillCompareMenu(&menu);
    EXPECT_TRUE(menu.actions()[0]->isEnabled());
    EXPECT_TRUE(menu.actions()[4]->isChecked());

    // Identical data sets.
    answers.Key(Qt::Key_Return);
    commands.FindNextDifference();
    EXPECT_EQ(LastSeen(), "No more differences found.");
    EXPECT_EQ(answers.Seen().back().title, "Warning");

    // One differing byte at 0x40 and a run at 0x10 to 0x12.
    Put(0x40, {0x00});
    Put(0x10, {0x01, 0x02, 0x03});
    View().Cursor = 0;
    commands.FindNextDifference();
    EXPECT_EQ(View().Cursor, 0x10u);
    commands.FindNextDifference();
    EXPECT_EQ(View().Cursor, 0x40u);
    answers.Key(Qt::Key_Return);
    commands.FindNextDifference();
    EXPECT_EQ(LastSeen(), "No more differences found.");
    EXPECT_EQ(View().Cursor, 0x40u);

    commands.FindPreviousDifference();
    EXPECT_EQ(View().Cursor, 0x10u);
    View().Cursor = 0x12; // inside a run: its first byte
    commands.FindPreviousDifference();
    EXPECT_EQ(View().Cursor, 0x10u);
    const std::size_t seen = answers.Seen().size();
    answers.Key(Qt::Key_Return);
    commands.FindPreviousDifference();
    EXPECT_EQ(answers.Seen().size(), seen + 1);
    EXPECT_EQ(LastSeen(), "No more differences found.");

    menu.actions()[3]->trigger(); // "Disabled"
    EXPECT_EQ(Shown().CompareTo, -1);
}

TEST_F(ToolsTest, ChecksumCalculatorCorrectsItsRangeAndComputesNineValues) {
    AddDevice(0x100);
    Put(2, Bytes("123456789"));
    editor::TfChecksum dialog({.Size = 0x100,
                               .Range = editor::selectionOrBuffer(View(), 0x100),
                               .Calculate = [&](std::uint32_t from, std::uint32_t to) {
                                   return tools->Commands().Calculate(from, to);
                               }});
    dialog.show();
    EXPECT_EQ(dialog.eFrom->text(), "00000000");
    EXPECT_EQ(dialog.eTo->text(), "000000FF");
    Retype(dialog.eFrom, "2");
    Retype(dialog.eTo, "a");
    dialog.bCalculateClick();
    QStringList values;
    for (QLineEdit* e : dialog.eValue) {
        values << e->text();
    }
    EXPECT_EQ(values.join(' '), "01DD 000001DD BB3D 4B37 82EA 31C3 29B1 E5CC CBF43926");
    EXPECT_EQ(dialog.eFrom->text(), "00000002");
    EXPECT_EQ(dialog.eTo->text(), "0000000A");

    struct Case {
        const char* from;
        const char* to;
        const char* shownFrom;
        const char* shownTo;
    };
    const Case cases[] = {
        {"20", "10", "00000000", "000000FF"},   // From above To: the whole buffer
        {"10", "100", "00000010", "000000FF"},  // To beyond the end
        {"100", "200", "00000000", "000000FF"}, // both beyond
        {"5", "5", "00000005", "00000005"},     // one byte
        {"", "", "00000000", "00000000"},       // empty fields read as 0
    };
    for (const Case& c : cases) {
        dialog.eFrom->setText(c.from);
        dialog.eTo->setText(c.to);
        dialog.bCalculateClick();
        EXPECT_EQ(dialog.eFrom->text(), c.shownFrom) << c.from << " " << c.to;
        EXPECT_EQ(dialog.eTo->text(), c.shownTo) << c.from << " " << c.to;
    }
    // The last range was byte 0 alone; the one byte at 5 is '4'.
    EXPECT_EQ(dialog.eValue[0]->text(), "00FF");
    dialog.eFrom->setText("5");
    dialog.eTo->setText("5");
    dialog.bCalculateClick();
    EXPECT_EQ(dialog.eValue[0]->text(), "0034");
    EXPECT_EQ(dialog.eValue[1]->text(), "00000034");

    // Leaving a field corrects that field alone.
    dialog.eFrom->setText("20");
    dialog.eTo->setText("10");
    emit dialog.eFrom->editingFinished();
    EXPECT_EQ(dialog.eFrom->text(), "00000000");
    EXPECT_EQ(dialog.eTo->text(), "10");
    dialog.eTo->setText("300");
    emit dialog.eTo->editingFinished();
    EXPECT_EQ(dialog.eTo->text(), "000000FF");
    // The calculator never touches the stored checksum.
    EXPECT_EQ(Shown().Memories[0].ChecksumValid, 1);
}

TEST_F(ToolsTest, ChecksumFieldShowsRefreshAfterAnEditAndRecomputesOnClick) {
    AddDevice(0x10000);
    QLabel* field = window.pBottom->lChecksum;
    EXPECT_EQ(field->text(), "00FF0000");
    EXPECT_EQ(field->toolTip(), "32-bit checksum");
    EXPECT_FALSE(field->isHidden());
    Put(0, {0x00});
    Shown().Memories[0].OnEdited();
    EXPECT_EQ(field->text(), "Refresh");
    EXPECT_EQ(field->toolTip(), "Click to calculate checksum");
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(field, &release);
    EXPECT_EQ(field->text(), "00FEFF01");
    EXPECT_EQ(Log().count("Buffer checksum"), 0); // the click logs nothing
}

// What the buffer view offers the tools: its popup's requests, its cursor move and its repaint.
class FakeBufferView : public QObject {
    Q_OBJECT
public:
    void GoToAddress(std::uint64_t address) { Went.push_back(address); }
    void RefreshPage(bool force) { Repaints += force ? 1 : 0; }
    std::vector<std::uint64_t> Went;
    int Repaints = 0;

signals:
    void fillRequested();
    void clearRequested();
    void swapRequested(int kind);
    void findRequested();
    void replaceRequested();
    void goToAddressRequested();
    void compareMenuShowing(QMenu* menu);
    void checksumCalculatorRequested();
};

TEST_F(ToolsTest, AnAttachedViewDrivesTheToolsAndReceivesTheirMoves) {
    AddDevice(0x100);
    ASSERT_FALSE(window.Project().AddDataSet(0, SwapInit::ResetAndFill).empty());
    FakeBufferView view;
    tools->AttachView(&view);
    Put(0, {0x12, 0x34});
    answers.Key(Qt::Key_Y);
    emit view.swapRequested(2); // "Nibbles"
    EXPECT_EQ(LastSeen(), "Nibbles of bytes in buffer will be swapped.\nAre you sure?");
    EXPECT_EQ(Get(0, 2), (std::vector<std::uint8_t>{0x21, 0x43}));
    EXPECT_GT(view.Repaints, 0);

    // The run at the cursor is skipped; the next difference goes to the view.
    Put(0x40, {0x00});
    QMenu menu;
    emit view.compareMenuShowing(&menu);
    menu.actions().back()->trigger(); // the other data set
    emit view.compareMenuShowing(&menu);
    menu.actions()[0]->trigger(); // "Find next difference"
    EXPECT_EQ(view.Went, std::vector<std::uint64_t>{0x40});
}

TEST_F(ToolsTest, FillWithoutADeviceAsksForOne) {
    answers.Key(Qt::Key_Return);
    tools->miFillBufferClick();
    EXPECT_EQ(LastSeen(), "Select device first.");
}

} // namespace
} // namespace zelmo

#include "tool_dialogs_test.moc"
