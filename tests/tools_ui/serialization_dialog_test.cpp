#include "serialization/ui/serialization_dialog.h"

#include "common/temp_dir.h"
#include "controls/ui/elided_label.h"
#include "modal.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace zelmo {
namespace {

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// Types into a field the way the user does and leaves it.
void Type(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    emit edit->editingFinished();
}

SerializationDialogContext Context(std::uint64_t memorySizeA,
                                   std::function<QString(QWidget*)> chooseSave = {}) {
    SerializationDialogContext context;
    context.MemorySizeA = memorySizeA;
    context.ChooseSaveFile = std::move(chooseSave);
    return context;
}

CSerialization Enabled() {
    CSerialization r;
    r.Enabled = 1;
    return r;
}

TEST(SerializationDialog, AsciiAndBinaryDoubleAndHalveTheLength) {
    CSerialization record = Enabled();
    TfSerialization dialog(record, Context(0x8000));
    dialog.show();
    ASSERT_TRUE(dialog.rbGenNumbers->isChecked());
    ASSERT_TRUE(dialog.rbBinary->isChecked());
    dialog.cbLength->setCurrentIndex(7);
    emit dialog.cbLength->activated(7); // 8 bytes
    EXPECT_EQ(dialog.cbLength->count(), 8);

    dialog.rbAscii->click();
    EXPECT_EQ(dialog.cbLength->count(), 16);
    EXPECT_EQ(dialog.cbLength->currentText(), "16");
    dialog.rbBinary->click();
    EXPECT_EQ(dialog.cbLength->count(), 8);
    EXPECT_EQ(dialog.cbLength->currentText(), "8");

    // Three ASCII characters become one byte: the typed start is brought down to FF.
    dialog.rbAscii->click();
    dialog.cbLength->setCurrentIndex(2);
    emit dialog.cbLength->activated(2);
    dialog.eStartValue->setFocus();
    dialog.eStartValue->selectAll();
    QTest::keyClick(dialog.eStartValue, Qt::Key_Backspace);
    QTest::keyClicks(dialog.eStartValue, "fff");
    EXPECT_EQ(dialog.eStartValue->text(), "FFF") << "typed letters are upper-cased";
    dialog.rbBinary->click();
    EXPECT_EQ(dialog.cbLength->currentText(), "1");
    EXPECT_EQ(dialog.eStartValue->text(), "FF");
    EXPECT_EQ(dialog.lAddressRange->text(), "(00000000 - 00007FFF)");
}

TEST(SerializationDialog, StartAndStepAreClampedToTheMaximum) {
    CSerialization record = Enabled();
    TfSerialization dialog(record, Context(0x8000));
    dialog.show();
    Type(dialog.eStartValue, "12345");
    EXPECT_EQ(dialog.eStartValue->text(), "FFFF") << "two bytes in hexadecimal";
    dialog.rbDec->click();
    EXPECT_FALSE(dialog.lStartSuffix->isVisible());
    Type(dialog.eStep, "123456");
    EXPECT_EQ(dialog.eStep->text(), "9999") << "two bytes of packed BCD";
    QTest::keyClicks(dialog.eStep, "ab");
    EXPECT_EQ(dialog.eStep->text(), "9999") << "letters are dropped in decimal";
    Type(dialog.eAddress, "FFFFFFFF");
    EXPECT_EQ(dialog.eAddress->text(), "00007FFE");
}

TEST(SerializationDialog, OkAsksToSaveAModifiedSetup) {
    test::TempDir dir;
    const QString file = qpath(dir / "line.ini");
    CSerialization record = Enabled();
    int saveDialogs = 0;
    TfSerialization dialog(record, Context(0x8000, [&](QWidget*) {
                               ++saveDialogs;
                               return file;
                           }));
    dialog.show();
    EXPECT_EQ(dialog.peProjectFile->title(), " Project file ");
    Type(dialog.eStartValue, "1F");
    EXPECT_EQ(dialog.peProjectFile->title(), " Project file (not saved) ");

    // Cancel keeps the dialog open and writes nothing.
    test::ModalAnswers answers;
    answers.Button("Cancel");
    dialog.bOK->click();
    ASSERT_TRUE(answers.AllAnswered());
    EXPECT_EQ(answers.Seen().back().text,
              "Serialization parameters modified but not saved.\nPress OK to save project.");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(saveDialogs, 0);

    // OK saves the file and closes.
    answers.Button("OK");
    dialog.bOK->click();
    EXPECT_EQ(saveDialogs, 1);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(record.FileName, file);
    EXPECT_EQ(record.Enabled, 1);
    EXPECT_EQ(record.Current, 0x1Fu);

    // The file holds what was saved: a new dialog on the record loads it.
    CSerialization reloaded;
    reloaded.FileName = file;
    ASSERT_TRUE(reloaded.LoadFromFile());
    EXPECT_EQ(reloaded.Current, 0x1Fu);

    // An unmodified setup closes without the question.
    TfSerialization again(record, Context(0x8000));
    again.show();
    EXPECT_EQ(again.lFileName->FullText(), file);
    again.bOK->click();
    EXPECT_FALSE(again.isVisible());
}

TEST(SerializationDialog, DisabledClearsTheFileOnOk) {
    CSerialization record = Enabled();
    record.FileName = "/nowhere/missing.ini";
    test::ModalAnswers answers;
    answers.Button("OK"); // the error box of the unreadable file
    TfSerialization dialog(record, Context(0x100));
    ASSERT_TRUE(answers.AllAnswered());
    EXPECT_EQ(answers.Seen().front().text, "Could not open serialization file.");
    dialog.show();
    dialog.rbDisabled->click();
    EXPECT_FALSE(dialog.peNumbers->isVisible());
    EXPECT_FALSE(dialog.bSave->isEnabled());
    EXPECT_EQ(dialog.lFileName->FullText(), "none");
    dialog.bOK->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(record.Enabled, 0);
    EXPECT_TRUE(record.FileName.isEmpty());
}

} // namespace
} // namespace zelmo
