#include "formats/file_time.h"
#include "formats/format_guess.h"
#include "formats/recent_files.h"
#include "formats/reload_decision.h"

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <thread>

namespace zelmo::formats {
namespace {

TEST(FormatGuess, ByExtension) {
    const std::pair<const char*, std::uint8_t> cases[] = {
        {"/d/noext", FmtBinary},     {"/d/a.jed", FmtJedec},   {"/d/a.JED", FmtJedec},
        {"/d/a.pof", FmtPof},        {"/d/a.txt", FmtTiTxt},   {"/d/a.hex", FmtIntelHex},
        {"/d/a.HeX", FmtIntelHex},   {"/d/a.s19", FmtSRecord}, {"/d/a.S19", FmtSRecord},
        {"/d/a.S28", FmtSRecord},    {"/d/a.s3", FmtSRecord},  {"/d/a.sx", FmtBinary},
        {"/d/a.s", FmtBinary},       {"/d/a.bin", FmtBinary},  {"/d.hex/noext", FmtBinary},
        {"/d/a.hex.bak", FmtBinary}, {"/d/a.", FmtBinary},     {"/d/a.jedx", FmtBinary},
    };
    for (const auto& [name, format] : cases) {
        EXPECT_EQ(GuessFormat(QString::fromLatin1(name)), format) << name;
    }
}

RecentList listOf(int n) {
    RecentList list;
    for (int i = 0; i < n; ++i) {
        list[i] = NewFileEntry(QStringLiteral("/f%1").arg(i), FmtBinary);
    }
    return list;
}

QStringList names(const RecentList& list) {
    QStringList out;
    for (const auto& e : list) {
        out << (e ? e->FileName : QStringLiteral("-"));
    }
    return out;
}

TEST(RecentFiles, MoveAndPush) {
    RecentList list = listOf(10);
    MoveToFront(list, 7); // the eighth entry
    EXPECT_EQ(names(list).join(' '), "/f7 /f0 /f1 /f2 /f3 /f4 /f5 /f6 /f8 /f9");

    std::weak_ptr<CFileEntry> tenth = list[9];
    RecentList working = list; // a dialog's copy keeps what it pushes out alive
    PushFront(working, NewFileEntry("/new", FmtIntelHex));
    EXPECT_EQ(names(working).join(' '), "/new /f7 /f0 /f1 /f2 /f3 /f4 /f5 /f6 /f8");
    EXPECT_FALSE(tenth.expired()) << "still listed by the memory's own list";
    list = working;
    EXPECT_TRUE(tenth.expired()) << "destroyed once no list holds it";

    RecentList partial = listOf(3);
    const FileEntryPtr chosen = ChooseFile(partial, "/dir/image.S19");
    EXPECT_EQ(names(partial).join(' '), "/dir/image.S19 /f0 /f1 /f2 - - - - - -");
    EXPECT_EQ(chosen->Type, FmtSRecord);
    EXPECT_EQ(chosen->FillBefore, 1);
    EXPECT_EQ(chosen->FillWith, 0xFF);
    EXPECT_EQ(chosen->ChecksumAfter, 1);
    EXPECT_EQ(ChooseFile(partial, "/f1"), partial[0]);
    EXPECT_EQ(names(partial).join(' '), "/f1 /dir/image.S19 /f0 /f2 - - - - - -");
}

TEST(RecentFiles, SavingAListedPathMovesItInsteadOfAddingIt) {
    RecentList list = listOf(10);
    const FileEntryPtr fifth = list[4];
    RecordSavedFile(list, "/f4", FmtSRecord, 1, 2);
    EXPECT_EQ(list[0], fifth);
    EXPECT_EQ(names(list).join(' '), "/f4 /f0 /f1 /f2 /f3 /f5 /f6 /f7 /f8 /f9");

    RecordSavedFile(list, "/saved.hex", FmtIntelHex, 0x11, 0x22);
    EXPECT_EQ(list[0]->FileName, "/saved.hex");
    EXPECT_EQ(list[0]->Type, FmtIntelHex);
    EXPECT_EQ(list[0]->TimeLow, 0x11u);
    EXPECT_EQ(list[0]->TimeHigh, 0x22u);
    EXPECT_EQ(list[9]->FileName, "/f8");

    MemoryState state;
    AdoptRecentList(state, list);
    EXPECT_EQ(state.Current, list[0]);
}

TEST(RecentFiles, LinkedDevicesFollowTheActiveOne) {
    MemoryState active;
    active.Recent = listOf(2);
    active.Current = active.Recent[0];
    active.Current->BufferOffset = 0x40;
    active.ChecksumValid = 1;
    active.Checksum = 0x1234;
    active.Modified = 0;

    MemoryState listed; // already knows the path: it moves to the front
    listed.Recent = listOf(5);
    LinkRecentList(listed, active.Current);
    EXPECT_EQ(names(listed.Recent).join(' '), "/f0 /f1 /f2 /f3 /f4 - - - - -");
    EXPECT_EQ(listed.Current, listed.Recent[0]);

    MemoryState other;
    other.Recent[0] = NewFileEntry("/else", FmtBinary);
    other.Modified = 1;
    LinkRecentList(other, active.Current);
    EXPECT_EQ(other.Current->FileName, "/f0");
    EXPECT_NE(other.Current, active.Current) << "a copy, not the same entry";
    EXPECT_EQ(other.Current->BufferOffset, 0x40);
    EXPECT_EQ(other.Recent[1]->FileName, "/else");
    CopyBufferState(other, active);
    EXPECT_EQ(other.ChecksumValid, 1);
    EXPECT_EQ(other.Checksum, 0x1234u);
    EXPECT_EQ(other.Modified, 0);
}

TEST(ReloadDecision, Rules) {
    test::TempDir dir;
    const auto path = dir / "a.bin";
    test::writeFile(path, "abc");
    MemoryState state;
    EXPECT_EQ(DecideReload(2, state).message.toStdString(), "Unknown file name. Reloading failed.");
    EXPECT_EQ(DecideReload(2, state).action, ReloadAction::Failed);

    state.Current = NewFileEntry(QString::fromStdString(path.string()), FmtBinary);
    const FileTime time = LastWriteTime(platform::File::open(path, platform::OpenMode::Read));
    state.Current->TimeLow = time.low;
    state.Current->TimeHigh = time.high;

    const ReloadDecision unchanged = DecideReload(2, state);
    EXPECT_EQ(unchanged.action, ReloadAction::Skip);
    EXPECT_EQ(unchanged.message.toStdString(), "File date/time not changed. Reloading skipped.");
    EXPECT_EQ(DecideReload(1, state).action, ReloadAction::Load) << "1 always reloads";
    state.Modified = 1;
    EXPECT_EQ(DecideReload(2, state).action, ReloadAction::Load) << "a modified buffer reloads";
    state.Modified = 0;

    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    test::writeFile(path, "abcd");
    EXPECT_EQ(DecideReload(2, state).action, ReloadAction::Load) << "the file changed";

    std::filesystem::remove(path);
    const ReloadDecision missing = DecideReload(2, state);
    EXPECT_EQ(missing.action, ReloadAction::Failed);
    EXPECT_TRUE(missing.warning);
    EXPECT_EQ(missing.message.toStdString(), "Couldn't open file. Reloading failed.");
}

} // namespace
} // namespace zelmo::formats
