#pragma once

// The rules of the project tree as plain values: the text and look of every device and data-set
// node (backgrounds, the bold position, the label colours, the selected-data-set triangle), which
// entries of its three pop-up menus are enabled, what a click on a node selects, and the filter
// of in-place renaming. The tree widget paints these values and forwards its events here.

#include "project/project.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace zelmo {

// Colours as 0xRRGGBB.
namespace tree_colour {
inline constexpr std::uint32_t Busy = 0xFFFF00;         // yellow: an operation runs
inline constexpr std::uint32_t Auto = 0xFEF4C4;         // pale orange: production mode is on
inline constexpr std::uint32_t Highlight = 0xEEEED0;    // the active device, or a linked one
inline constexpr std::uint32_t Plain = 0xFFFFE1;        // pale yellow
inline constexpr std::uint32_t DataSetLight = 0xF7F7D7; // the shown (or linked-selected) data set
inline constexpr std::uint32_t Grey = 0x808080;
inline constexpr std::uint32_t LightGrey = 0xC0C0C0;
inline constexpr std::uint32_t Blue = 0x0000FF;
inline constexpr std::uint32_t Black = 0x000000;
} // namespace tree_colour

// Some device runs an operation or waits in production mode.
bool AnyDeviceBusy(const TProject& project);
// The device runs an operation or waits in production mode.
bool DeviceBusy(const CDevice& device);

// A device is served when it has a programmer to work with: always with fewer than two
// programmers or outside gang mode; in gang mode when its index is below the number of
// programmers and below 8.
bool DeviceServed(const TProject& project, int device);
// A data set is served exactly when its device is, so a device's data sets are never drawn in
// another state than the device itself.
bool DataSetServed(const TProject& project, int device);

// "<Name> / <Package> - <Slot>".
QString DeviceNodeText(const CDevice& device);

struct DeviceNodeLook {
    std::uint32_t Background = tree_colour::Plain;
    QString Position; // "%02d:" with index + 1, drawn bold and right-aligned before the label
    std::uint32_t PositionColour = tree_colour::Grey;
    QString Label;
    std::uint32_t LabelColour = tree_colour::Black;
};
DeviceNodeLook DeviceNodeLookFor(const TProject& project, int device);

struct DataSetNodeLook {
    std::uint32_t Background = tree_colour::Plain;
    bool Triangle = false; // the selected data set (the one operations use)
    std::uint32_t TriangleColour = tree_colour::Black;
    QString Label;
    std::uint32_t LabelColour = tree_colour::Black;
};
DataSetNodeLook DataSetNodeLookFor(const TProject& project, int device, int dataSet);

// "Add device" and "Remove device": the project is not busy and devices are not linked.
bool DevicesMayChange(const TProject& project);

struct DeviceMenuState {
    bool AddDataSet = false;
    bool RemoveDevice = false;
    bool AssignProgrammer = false; // the programmer submenu is shown (not with exactly one)
    bool MoveUp = false;
    bool MoveDown = false;
};
// The device node's menu for `device`. Moving waits while the project is busy: the index of a
// device decides which programmer serves it.
DeviceMenuState DeviceMenuFor(const TProject& project, int device);

struct DataSetMenuState {
    bool SetActive = false;
    bool Rename = false;
    bool Remove = false;
};
DataSetMenuState DataSetMenuFor(const TProject& project, int device, int dataSet);

// A left click on a device node: it becomes the active device and shows its selected data set.
// False for an index outside the project.
bool ClickDeviceNode(TProject& project, int device);
// A left click on a data-set node: the parent becomes the active device and the node the shown
// data set; ignored (false) while the device is busy or for an index outside the project.
bool ClickDataSetNode(TProject& project, int device, int dataSet);

// The status text after a selection: "%02d: %S, %S / %S, %S" (index + 1, vendor display name,
// name, package, shown data-set name); none while the active device is busy or without devices.
std::optional<QString> SelectionStatusText(const TProject& project, const QString& vendorName);

// In-place renaming drops characters with codes 128 and above and the double quote.
bool DataSetNameCharAccepted(char32_t c);
QString FilterDataSetName(const QString& text);

inline constexpr int kDataSetNameMax = 16;
inline constexpr int kDataSetNameMin = 3;
inline constexpr char kDataSetNameTooShort[] =
    "Data set name too short.\nIt should contain minimum 3 chars.";

// The name an edit gives: the accepted characters cut to 16, refused below 3 with the message.
struct DataSetNameCheck {
    bool Ok = false;
    std::string Name; // 8-bit text
    QString Message;
};
DataSetNameCheck CheckDataSetName(const QString& edited);

} // namespace zelmo
