#pragma once

// The bottom tab strip of the main window: "Log", "Info", one tab per memory A to D and "Gang",
// in that order. A memory tab is named after the memory with " (A)" to " (D)", or "-" when the
// active device has no such memory; selecting a tab is remembered by the active device.

#include <QString>

namespace zelmo {

class CDevice;
class TProject;

enum BottomTab : int {
    btLog = 0,
    btInfo = 1,
    btMemoryA = 2, // btMemoryA + m for memory m
    btGang = 6,
    btCount = 7,
};

// What the strip shows below the tabs.
enum class BottomPage { Log, Info, Buffers, NoMemory, Gang };

// Caption of the tab of memory m (0 = A) for a device, or for no device.
QString MemoryTabCaption(const CDevice* device, int m);
// Caption of the memory enable box m: the memory's name and " (A)", or "Buffer A" when absent.
QString MemoryBoxCaption(const CDevice* device, int m);

// Selecting tab `tab`: stored in the active device's ActiveTab; a memory tab whose memory exists
// also becomes the device's CurrentMemory and shows the buffer views.
BottomPage SelectBottomTab(TProject& project, int tab);
// The page for the active device's stored tab (after a change of device or a restore).
int StoredBottomTab(const TProject& project);

} // namespace zelmo
