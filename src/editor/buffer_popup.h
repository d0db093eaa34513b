#pragma once

// The buffer view's popup menu: which entries are enabled when it opens, the display mode that
// carries the check mark and the items of "Go to...".

#include "abi/device_records.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace zelmo::editor {

struct PopupArea {
    QString Name;
    std::uint32_t Start = 0;
};

struct BufferPopup {
    bool LoadBuffer = false;   // "Load"
    bool LoadRecent = false;   // "Load recent"
    bool SaveBuffer = false;   // "Save"
    bool FillBuffer = false;   // "Fill"
    bool ClearBuffer = false;  // "Clear"
    bool Swap = false;         // "Swap"
    bool Find = false;         // "Find"
    bool Replace = false;      // "Replace"
    bool GoToAddress = false;  // "Go to address"
    bool GoToArea = false;     // "Go to..."
    bool DisplayMode = false;  // "Display mode"
    bool Compare = false;      // "Compare"
    bool ChecksumCalc = false; // "Checksum calculator"
    int CheckedMode = -1;      // menu tag (0, 1, 2) of the current display mode; -1 in modes 5, 6
    std::vector<PopupArea> Areas; // one "Go to..." item per named area, in area order
};

// The menu for a memory described by `info`; `recentFiles` and `dataSets` count the memory's
// recent files and the device's data sets.
BufferPopup bufferPopup(const BufferInfo& info, bool linkDevices, int recentFiles, int dataSets);

} // namespace zelmo::editor
