#pragma once

// The most-recently-used file list of a memory (ten entries, newest first) and the rules the
// load and save commands apply to it. Entries are shared pointers: a dialog's working copy of a
// list keeps an entry it pushed out alive until the dialog is done with it, while the memory's
// own list never refers to anything but live entries.

#include "project/project.h"

#include <QString>

namespace zelmo::formats {

using RecentList = std::array<FileEntryPtr, kRecentFiles>;

// Index of the entry with this path, or -1.
int FindRecent(const RecentList& list, const QString& path);

// Entry k moves to the front; entries 0 to k - 1 move down by one.
void MoveToFront(RecentList& list, int k);

// The tenth entry is dropped, the others move down and `entry` becomes the first.
void PushFront(RecentList& list, FileEntryPtr entry);

// A new entry as "New" and saving create it: the path, fill before loading with 0xFF and a
// checksum after loading.
FileEntryPtr NewFileEntry(const QString& path, FileFormat type);

// A chosen path: an entry already listed moves to the front, otherwise a new entry with the
// guessed format is pushed. Returns the entry now first.
FileEntryPtr ChooseFile(RecentList& list, const QString& path);

// After a successful save: a listed path moves to the front, otherwise a new entry with the save
// type and the file's time is pushed.
void RecordSavedFile(RecentList& list, const QString& path, FileFormat type, std::uint32_t timeLow,
                     std::uint32_t timeHigh);

// A finished load or save hands the working list to the memory: Recent = list, Current = first.
// These three change the memory through its setters, so the project notifier hears of it.
void AdoptRecentList(MemoryState& state, const RecentList& list);

// Link propagation into another device's memory after a load into the active device: the same
// path moves to the front, else a copy of the active device's entry is pushed; Current follows.
void LinkRecentList(MemoryState& linked, const FileEntryPtr& activeCurrent);

// The buffer bookkeeping a linked device takes over from the active device's memory.
void CopyBufferState(MemoryState& to, const MemoryState& from);

} // namespace zelmo::formats
