#pragma once

// The rules of the main window's file commands ("Load", "Load recent", "Save", dropping a file)
// without widgets: which memory they address, their status and log texts, the state of the file
// menu, the data sets a load writes into, the save dialog's formats and filters, and the
// bookkeeping after a successful load or save, including the linked devices.

#include "formats/recent_files.h"
#include "project/project.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace zelmo::formats {

// The memory the file commands address: memory A for a programmable logic device (a JEDEC
// file holds its fuse map and its vectors), the memory shown otherwise.
int FileMemory(const CDevice& device);

enum class LoadKind { Load, Recent, Drop };

// "Loading file. Target buffer: %S...", "Loading recent file. Target buffer: %S...",
// "File dropped. Target buffer: %S..."; "Assigning file..." and "Assigning recent file..." when
// the memory does not exist.
QString LoadStartText(const CDevice& device, int memory, LoadKind kind);
// "Saving file. Source buffer: %S...".
QString SaveStartText(const CDevice& device, int memory);
// "Buffer checksum: %08X.".
QString ChecksumReportText(std::uint32_t checksum);

// The file menu (and the file entries of the buffer view's popup menu) as it opens.
struct FileMenuState {
    bool Load = false;
    bool LoadRecent = false;
    bool Save = false;
    QString LoadCaption = QStringLiteral("Load");              // or "Assign"
    QString LoadRecentCaption = QStringLiteral("Load recent"); // or "Assign recent"
    QStringList RecentPaths; // the "Load recent" submenu: full paths in list order
};
// `bufferTabShown`: the main tab strip shows a memory tab.
FileMenuState FileMenu(const TProject& project, bool bufferTabShown);

// The data sets a load into the active device writes: its shown data set, and while devices
// are linked the data set with the same index in every other linked device that has one. The
// file is recorded in the same data sets, so a linked device never holds data of one file while
// naming another. Devices running an operation are left out: their swap file belongs to the
// operation.
TargetSet LoadTargetsFor(const TProject& project);

// After a successful load or assignment into memory `memory` of the active device's shown data
// set: the working list becomes the memory's recent list (Current = its first entry) and,
// while devices are linked, every other linked target records the same file in the same memory
// and, when the memory exists, takes over the checksum and modified state.
void FinishLoad(TProject& project, int memory, const RecentList& list);

// The save dialog's formats, in list order, with their names and file-dialog filters.
struct SaveFormat {
    FileFormat Type;
    QString Name;   // "Binary", "Intel HEX", "Motorola S-Record", "Jedec"
    QString Filter; // "Binary (*.bin)", ...
    QString Suffix; // added to a name typed without one
};
const std::vector<SaveFormat>& SaveFormats();
// Index in SaveFormats() of the format a save starts with: Jedec for a programmable logic
// device, Binary otherwise.
int InitialSaveFormat(const CDevice& device);
// "Optimize" is offered for every format but Jedec.
bool OptimizeEnabled(FileFormat type);
// The filters of the system's save dialog for a format: its own, then "All files (*.*)".
QStringList SaveFileFilters(FileFormat type);

// After a successful save of memory `memory` of the shown data set to `path`: a listed path
// moves to the front, else a new entry with the save type and the file's time is pushed; the
// list becomes the memory's recent list.
void FinishSave(CDataSet& dataSet, int memory, const QString& path, FileFormat type,
                std::uint32_t timeLow, std::uint32_t timeHigh);

} // namespace zelmo::formats
