// The load dialog's rules without its widgets: which fields each format enables and what they
// show, the number fields' input rules, choosing files and what OK makes of the fields.

#include "formats/load_dialog_model.h"

#include <gtest/gtest.h>

namespace zelmo::formats {
namespace {

RecentList listOf(int n) {
    RecentList list;
    for (int i = 0; i < n; ++i) {
        list[i] = NewFileEntry(QStringLiteral("/f%1.bin").arg(i), FmtBinary);
    }
    return list;
}

TEST(LoadDialog, EachFormatEnablesItsFields) {
    struct Case {
        FileFormat format;
        bool offsets, fill, checksum;
    };
    const Case cases[] = {
        {FmtBinary, true, true, true},  {FmtIntelHex, true, true, true},
        {FmtSRecord, true, true, true}, {FmtTiTxt, true, true, true},
        {FmtPof, false, true, true},    {FmtJedec, false, false, false},
        {FmtIspVme, true, true, true},
    };
    for (const Case& c : cases) {
        RecentList list = listOf(1);
        list[0]->Type = c.format;
        list[0]->BufferOffset = 0x1F0;
        list[0]->FillWith = 0x0A;
        CLoadDialogModel model(list, 0x200);
        model.Select(0);
        const LoadFieldStates s = model.States();
        EXPECT_TRUE(s.Format);
        EXPECT_EQ(s.Offsets, c.offsets) << c.format;
        EXPECT_EQ(s.Fill, c.fill) << c.format;
        EXPECT_EQ(s.FillValue, c.fill) << c.format << ": the new entry fills before loading";
        EXPECT_EQ(s.Checksum, c.checksum) << c.format;
        // Enabled fields show the entry, disabled ones are blank.
        EXPECT_EQ(model.Fields.BufferOffsetHex, c.offsets ? "000001F0" : "") << c.format;
        EXPECT_EQ(model.Fields.BufferOffsetDecimal, c.offsets ? "496" : "") << c.format;
        EXPECT_EQ(model.Fields.FillValue, c.fill ? "0A" : "") << c.format;
    }
}

TEST(LoadDialog, SwitchingFormatsBlanksAndRestoresFieldsAndKeepsTyping) {
    RecentList list = listOf(1);
    list[0]->FileOffset = 16;
    CLoadDialogModel model(list, 0x200);
    model.Select(0);
    model.Fields.BufferOffsetDecimal = "32"; // typed by the user
    model.SetFormat(FmtIntelHex);
    EXPECT_EQ(model.Fields.BufferOffsetDecimal, "32") << "a field that stays enabled keeps it";
    model.SetFormat(FmtJedec);
    EXPECT_EQ(model.Fields.FileOffsetHex, "");
    EXPECT_FALSE(model.States().Checksum);
    EXPECT_FALSE(model.Fields.ChecksumAfter);
    model.SetFormat(FmtBinary);
    EXPECT_EQ(model.Fields.FileOffsetHex, "00000010") << "back from the entry";
    EXPECT_TRUE(model.Fields.ChecksumAfter);
    // The value field follows its check box.
    model.SetFillBefore(false);
    EXPECT_FALSE(model.States().FillValue);
    EXPECT_EQ(model.Fields.FillValue, "");
    model.SetFillBefore(true);
    EXPECT_EQ(model.Fields.FillValue, "FF");
}

TEST(LoadDialog, NumberFieldsTakeOnlyTheirDigits) {
    const std::tuple<const char*, int, bool, const char*> hex[] = {
        {"1aF0", 8, true, "1AF0"}, {"", 8, true, ""},    {"123456789", 8, false, ""},
        {"12G", 8, false, ""},     {"-1", 8, false, ""}, {"ff", 2, true, "FF"},
    };
    for (const auto& [input, digits, accepted, raised] : hex) {
        QString text = QString::fromLatin1(input);
        EXPECT_EQ(AcceptHexInput(text, digits), accepted) << input;
        if (accepted) {
            EXPECT_EQ(text, QString::fromLatin1(raised));
        }
    }
    EXPECT_TRUE(AcceptDecimalInput("4294967295", 10));
    EXPECT_FALSE(AcceptDecimalInput("12345678901", 10));
    EXPECT_FALSE(AcceptDecimalInput("1e3", 10));
    // The partner fields.
    EXPECT_EQ(HexToDecimalText("FFFFFFFF"), "4294967295");
    EXPECT_EQ(DecimalToHexText("496"), "000001F0");
    EXPECT_EQ(DecimalToHexText("4294967296"), "") << "past eight hex digits";
    EXPECT_EQ(HexToDecimalText(""), "");
}

TEST(LoadDialog, ChoosingAFileSelectsItOrPushesANewEntry) {
    CLoadDialogModel model(listOf(10), 0x200);
    model.Choose("/f7.bin");
    EXPECT_EQ(model.Selected(), 7) << "a listed path is chosen where it stands";
    EXPECT_EQ(model.List()[7]->FileName, "/f7.bin");

    model.Choose("/new/image.S19");
    EXPECT_EQ(model.Selected(), 0);
    EXPECT_EQ(model.Count(), 10) << "the tenth entry went";
    EXPECT_EQ(model.List()[0]->Type, FmtSRecord);
    EXPECT_EQ(model.List()[1]->FileName, "/f0.bin");
    EXPECT_EQ(model.List()[9]->FileName, "/f8.bin");
    EXPECT_EQ(model.Fields.FillValue, "FF");
    EXPECT_TRUE(model.Fields.ChecksumAfter);

    CLoadDialogModel assign(listOf(0), 0);
    EXPECT_EQ(assign.Caption(), "Assign file");
    assign.Choose("/a/design.jed");
    EXPECT_EQ(assign.List()[0]->Type, FmtBinary) << "assigned files are not guessed";
    EXPECT_FALSE(assign.States().Format);
    const Result r = assign.Accept();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.message, "File assigned.");
    EXPECT_EQ(assign.CancelMessage(), "File assigning cancelled.");
}

TEST(LoadDialog, OkMovesACopyOfTheEntryToTheFrontWithTheFieldsValues) {
    const RecentList original = listOf(4);
    CLoadDialogModel model(original, 0x200);
    EXPECT_FALSE(model.Accept().ok) << "nothing chosen";
    model.Select(2);
    model.Fields.BufferOffsetDecimal = "512";
    const Result tooLarge = model.Accept();
    EXPECT_FALSE(tooLarge.ok);
    EXPECT_EQ(tooLarge.message, "Buffer offset too large.");
    EXPECT_EQ(model.List()[2]->FileName, "/f2.bin") << "the list is unchanged";

    model.Fields.BufferOffsetDecimal = "511";
    model.Fields.FileOffsetDecimal = "16";
    model.Fields.FillValue = ""; // empty: 255
    model.SetFormat(FmtIntelHex);
    model.Fields.ChecksumAfter = false;
    ASSERT_TRUE(model.Accept().ok);
    const FileEntryPtr first = model.First();
    EXPECT_EQ(first->FileName, "/f2.bin");
    EXPECT_EQ(first->BufferOffset, 511);
    EXPECT_EQ(first->FileOffset, 16);
    EXPECT_EQ(first->Type, FmtIntelHex);
    EXPECT_EQ(first->FillWith, 0xFF);
    EXPECT_EQ(first->ChecksumAfter, 0);
    EXPECT_EQ(model.List()[1]->FileName, "/f0.bin");
    EXPECT_EQ(model.List()[2]->FileName, "/f1.bin");
    // The memory's own entry is untouched until the load succeeds and the list is handed over.
    EXPECT_NE(first, original[2]);
    EXPECT_EQ(original[2]->BufferOffset, 0);
    EXPECT_EQ(original[2]->Type, FmtBinary);

    // Options the format leaves out are off for the file.
    CLoadDialogModel jedec(listOf(1), 0x200);
    jedec.Select(0);
    jedec.SetFormat(FmtJedec);
    ASSERT_TRUE(jedec.Accept().ok);
    EXPECT_EQ(jedec.First()->FillBefore, 0);
    EXPECT_EQ(jedec.First()->ChecksumAfter, 0);
    EXPECT_EQ(jedec.First()->BufferOffset, 0);
}

} // namespace
} // namespace zelmo::formats
