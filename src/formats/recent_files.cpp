#include "formats/recent_files.h"

#include "formats/format_guess.h"

#include <algorithm>

namespace zelmo::formats {

int FindRecent(const RecentList& list, const QString& path) {
    for (int i = 0; i < kRecentFiles; ++i) {
        if (list[i] && list[i]->FileName == path) {
            return i;
        }
    }
    return -1;
}

void MoveToFront(RecentList& list, int k) {
    if (k > 0 && k < kRecentFiles) {
        std::rotate(list.begin(), list.begin() + k, list.begin() + k + 1);
    }
}

void PushFront(RecentList& list, FileEntryPtr entry) {
    std::move_backward(list.begin(), list.end() - 1, list.end());
    list[0] = std::move(entry);
}

FileEntryPtr NewFileEntry(const QString& path, FileFormat type) {
    auto entry = std::make_shared<CFileEntry>();
    entry->FileName = path;
    entry->Type = type;
    entry->FillBefore = 1;
    entry->FillWith = 0xFF;
    entry->ChecksumAfter = 1;
    return entry;
}

FileEntryPtr ChooseFile(RecentList& list, const QString& path) {
    const int k = FindRecent(list, path);
    if (k >= 0) {
        MoveToFront(list, k);
    } else {
        PushFront(list, NewFileEntry(path, GuessFormat(path)));
    }
    return list[0];
}

void RecordSavedFile(RecentList& list, const QString& path, FileFormat type, std::uint32_t timeLow,
                     std::uint32_t timeHigh) {
    const int k = FindRecent(list, path);
    if (k >= 0) {
        MoveToFront(list, k);
        return;
    }
    FileEntryPtr entry = NewFileEntry(path, type);
    entry->TimeLow = timeLow;
    entry->TimeHigh = timeHigh;
    PushFront(list, std::move(entry));
}

void AdoptRecentList(MemoryState& state, const RecentList& list) {
    state.SetFiles(list);
}

void LinkRecentList(MemoryState& linked, const FileEntryPtr& activeCurrent) {
    if (!activeCurrent) {
        return;
    }
    RecentList list = linked.Recent;
    const int k = FindRecent(list, activeCurrent->FileName);
    if (k >= 0) {
        MoveToFront(list, k);
    } else {
        PushFront(list, std::make_shared<CFileEntry>(*activeCurrent));
    }
    linked.SetFiles(list);
}

void CopyBufferState(MemoryState& to, const MemoryState& from) {
    to.CopyStateFrom(from);
}

} // namespace zelmo::formats
