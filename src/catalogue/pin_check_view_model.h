#pragma once

// What the two pin contact check views show, from the device's pin check record (kind byte and
// 48 result letters) and, for the socket view, its adapter image: per socket pin the picture,
// the chip pin number written on it and the plug pin label; per in-circuit signal the status
// text and its colours.

#include "catalogue/adapter_file.h"

#include <QString>

#include <array>
#include <cstdint>
#include <span>

namespace zelmo {

inline constexpr std::size_t kPinCheckRecordSize = 49;
inline constexpr int kPinRowHeight = 15;
inline constexpr int kIcpSignals = 6;

// True when the record is for the in-circuit connector (kind "I").
bool IsInCircuitResult(std::span<const std::uint8_t, kPinCheckRecordSize> record);

enum class PinPicture { None, Neutral, Connected, Unconnected, Ground };

struct SocketPinLook {
    int SocketPin = 0;  // 1 to 48
    bool Right = false; // right column (pins 48 down to 25), else left (1 to 24)
    int Row = 0;        // 0 at the top of its column
    PinPicture Picture = PinPicture::None;
    QString Number;  // the chip pin number written on the picture, or empty
    int NumberX = 0; // where the number starts: 4 px in the left column, 30 in the right
    int PlugPin = 0; // the plug pin label; 0 hides it
};

// The 48 socket pins, index s - 1 for socket pin s. `adapterImage` gives the adapter pin count N
// and, per socket pin, the first chip pin of its wiring entry (an image without "ADP" counts as
// no wiring: N = 0, every first pin 0).
std::array<SocketPinLook, kZifPins>
SocketPinLooks(std::span<const std::uint8_t, kPinCheckRecordSize> record,
               std::span<const std::uint8_t, kAdapterImageSize> adapterImage);

struct SignalLook {
    QString Name; // "S0" to "S5"
    QString Text; // "Connected", "Not connected!" or "Not tested"
    int Background[3] = {222, 219, 156};
    bool WhiteBold = false; // white bold text, else black regular
};
std::array<SignalLook, kIcpSignals>
InCircuitLooks(std::span<const std::uint8_t, kPinCheckRecordSize> record);

} // namespace zelmo
