#include "catalogue/pin_check_view_model.h"

#include <cstring>

namespace zelmo {

bool IsInCircuitResult(std::span<const std::uint8_t, kPinCheckRecordSize> record) {
    return record[0] == 'I';
}

std::array<SocketPinLook, kZifPins>
SocketPinLooks(std::span<const std::uint8_t, kPinCheckRecordSize> record,
               std::span<const std::uint8_t, kAdapterImageSize> adapterImage) {
    AdapterImage adapter{};
    if (hasAdapterSignature(adapterImage)) {
        std::memcpy(&adapter, adapterImage.data(), kAdapterImageSize);
    }
    // The plug pin labels follow the adapter's own count; a count no adapter can have labels
    // nothing rather than numbers outside the socket.
    const int n = adapter.AdapterPinCount <= kZifPins ? adapter.AdapterPinCount : 0;
    const int offset = (kZifPins - n) / 2;

    std::array<SocketPinLook, kZifPins> looks{};
    for (int s = 1; s <= kZifPins; ++s) {
        SocketPinLook& look = looks[static_cast<std::size_t>(s - 1)];
        look.SocketPin = s;
        look.Right = s > kZifPins / 2;
        look.Row = look.Right ? kZifPins - s : s - 1;
        look.NumberX = look.Right ? 30 : 4;
        const int plug = s - offset;
        look.PlugPin = plug >= 1 && plug <= n ? plug : 0;

        const std::uint8_t firstChipPin = adapter.Pins[s - 1][0];
        const char letter = static_cast<char>(record[static_cast<std::size_t>(s)]);
        if (firstChipPin == 0) {
            look.Picture = PinPicture::Neutral;
            continue;
        }
        switch (letter) {
        case 'C':
            look.Picture = PinPicture::Connected;
            break;
        case 'U':
            look.Picture = PinPicture::Unconnected;
            break;
        case 'G':
            look.Picture = PinPicture::Ground;
            break;
        case '.':
            look.Picture = PinPicture::Neutral;
            continue; // without a number
        default:
            look.Picture = PinPicture::None;
            continue;
        }
        look.Number = QString::number(firstChipPin);
    }
    return looks;
}

std::array<SignalLook, kIcpSignals>
InCircuitLooks(std::span<const std::uint8_t, kPinCheckRecordSize> record) {
    std::array<SignalLook, kIcpSignals> looks{};
    for (int i = 0; i < kIcpSignals; ++i) {
        SignalLook& look = looks[static_cast<std::size_t>(i)];
        look.Name = QStringLiteral("S") + QString::number(i);
        const char letter = static_cast<char>(record[static_cast<std::size_t>(i + 1)]);
        if (letter == 'C') {
            look.Text = QStringLiteral("Connected");
            look.Background[0] = 0;
            look.Background[1] = 128;
            look.Background[2] = 0;
            look.WhiteBold = true;
        } else if (letter == 'U') {
            look.Text = QStringLiteral("Not connected!");
            look.Background[0] = 255;
            look.Background[1] = 0;
            look.Background[2] = 0;
            look.WhiteBold = true;
        } else {
            look.Text = QStringLiteral("Not tested");
        }
    }
    return looks;
}

} // namespace zelmo
