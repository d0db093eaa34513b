#pragma once

// The adapter creator without its widgets: the 48 pin fields with their layout and colours, the
// two count fields and their key rules, the ready/modified/opened/cancelled/scanning flags, the
// New, Open, Save and OK rules and the scan's chip-pin stepping. The dialog copies texts in and
// out, shows the file dialogs and the questions, and paints what this model says.

#include "abi/hardware_api.h"
#include "catalogue/adapter_file.h"
#include "platform/result.h"

#include <QChar>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace zelmo {

// The colours of a pin field.
enum class PinFieldColour {
    Used,       // pale yellow (255, 255, 225)
    Free,       // grey (192, 192, 192)
    Invalid,    // pure red: a number above the device pin count
    SensedUsed, // light red (255, 128, 128): the scan senses a connection on a used pin
    SensedFree, // dark grey (128, 128, 128): the scan senses a connection on a free pin
};
struct Rgb {
    int Red = 0;
    int Green = 0;
    int Blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
Rgb PinFieldRgb(PinFieldColour colour);

struct AdapterPinField {
    QString Text;
    bool Used = false;
    bool Enabled = false;
    PinFieldColour Colour = PinFieldColour::Free;
    int PlugPin = 0; // the label's number; 0 hides the label
};

// Which controls the creator enables.
struct AdapterCreatorControls {
    bool New = true;
    bool Open = true;
    bool Save = false;
    bool AdapterPins = true; // the adapter pin count field
    bool Start = false;
    bool Stop = false;
    bool Accept = false;
    bool Previous = false;
    bool Next = false;
    bool Ok = true;
    bool Cancel = true;
    bool PinsReadOnly = false;
};

// The texts of the creator's messages and questions.
inline constexpr char kAdapterOpenFailed[] = "Couldn't open adapter file.";
inline constexpr char kAdapterPinCountBad[] = "Incorrect adapter pin count.";
inline constexpr char kAdapterDevicePinMismatch[] =
    "Incorrect adapter file. Device pin count mismatch.";
inline constexpr char kAdapterChecksumQuestion[] = "Incorrect file checksum, load anyway?.";
inline constexpr char kAdapterInvalid[] = "This adapter seems to be invalid.";
inline constexpr char kAdapterPinCountQuestion[] = "Change device pin count?";
inline constexpr char kAdapterCloseQuestion[] =
    "Adapter modified and not saved.\nDo you want to close without saving?";
inline constexpr char kAdapterScanPinCountBad[] = "Incorrect device pin count.";

class CAdapterCreator {
public:
    // `programmersAttached`: Start is offered only with a programmer. `devicePinCount` is the
    // active device's pin count when the creator was opened from the main window with devices
    // in the project (Open then checks it), none otherwise.
    CAdapterCreator(bool programmersAttached, std::optional<int> devicePinCount);

    // Opening: with a path and an image (it starts with "ADP") the image is shown; with a path
    // alone the file is read (failure: "Couldn't open adapter file." and the creator stays
    // empty and not ready); an image without a path (edited and never saved) is shown as well;
    // with neither every field is grey and disabled. Sets ready.
    Result Open(const QString& path, const std::array<std::uint8_t, kAdapterImageSize>& image);

    // Laying out for N pins: every field enabled and emptied; used ones pale yellow with their
    // plug pin number, free ones grey without.
    void LayOut(int adapterPins);

    // New: both counts from their fields; an odd count or one below 6 is refused.
    Result New();

    // Open: reads the file. A bad checksum asks first (`loadBadChecksum` answers the question
    // "Incorrect file checksum, load anyway?."); a file for another device pin count than the
    // active device's is refused.
    enum class FileOutcome { Loaded, Unreadable, BadChecksum, PinMismatch, Declined };
    FileOutcome OpenFile(const QString& path, const std::function<bool()>& loadBadChecksum);

    // Typing. A pin field keeps digits and ","; "." becomes ","; anything else is dropped.
    static std::optional<QChar> FilterPinKey(QChar typed);
    // The count fields: a text is accepted while it is a number of at most two (adapter, up to
    // 48) or three (device, up to 255) digits within its limit.
    static bool AdapterPinsTextAllowed(const QString& text);
    static bool DevicePinsTextAllowed(const QString& text);
    // A pin field's text changed (by the user, a fill or the scan); counts as a modification
    // once the creator is ready.
    void SetPinText(int socketIndex, const QString& text);
    void SetAdapterPinsText(const QString& text) { AdapterPinsText = text; }
    void SetDevicePinsText(const QString& text) { DevicePinsText = text; }
    QString Caption() const;

    // Save and OK's validation over the fields: colours the bad fields red.
    bool Validate();
    // Save: validation first (false with "This adapter seems to be invalid."). `keepNewCount`
    // answers "Change device pin count?" when the field differs from the count in use: true takes
    // the field, false puts the old count back. Then the image that the file gets.
    struct SaveImage : Result {
        std::array<std::uint8_t, kAdapterImageSize> Image{};
    };
    SaveImage PrepareSave(const std::function<bool()>& keepNewCount);
    // The file was written.
    void Saved(const QString& path, const std::array<std::uint8_t, kAdapterImageSize>& image);

    // OK: when modified, the validation (false keeps the dialog open) and the rebuilt image, and
    // when no file was opened the question "Adapter modified and not saved." (`closeUnsaved`
    // false keeps it open). On true the fields are emptied and disabled and the dialog closes.
    bool Ok(const std::function<bool()>& closeUnsaved);
    void Cancel();

    // Scanning.
    // Refused with "Incorrect device pin count." for an odd count (0 pins included, as there is
    // nothing to scan).
    Result BeginScan();
    // One cycle of the scan thread: colours every field by the sensed state, then serves the
    // requests (accept first, then previous or next). True when the scan has ended (the last
    // chip pin was accepted).
    struct ScanRequests {
        bool Accept = false;
        bool Next = false;
        bool Previous = false;
    };
    bool ScanCycle(const ZmSocketState& state, ScanRequests requests);
    void EndScan();
    int ChipPin() const { return chipPin_; }
    // The text of `stDevicePin`: the current chip pin while scanning, else empty.
    QString ChipPinText() const;
    int ScanDevicePins() const { return scanDevicePins_; }

    AdapterCreatorControls Controls() const;
    // The image, built from the fields on OK (or as handed over/opened/saved).
    const std::array<std::uint8_t, kAdapterImageSize>& Image() const { return image_; }
    int DevicePinsInUse() const { return devicePinsInUse_; }

    std::array<AdapterPinField, kZifPins> Fields{};
    QString AdapterPinsText = QStringLiteral("48");
    QString DevicePinsText = QStringLiteral("48");
    QString Path;
    bool Ready = false;
    bool Modified = false;
    bool Opened = false;
    bool Cancelled = false;
    bool Scanning = false;

private:
    std::array<QString, kZifPins> texts() const;
    void fill(const std::array<std::uint8_t, kAdapterImageSize>& image);
    void offerSave();
    bool validateWith(int devicePins);

    bool programmers_ = false;
    std::optional<int> activeDevicePins_;
    std::array<std::uint8_t, kAdapterImageSize> image_{};
    int devicePinsInUse_ = 0;
    int laidOut_ = 0; // N of the last layout: the used fields and the image's adapter pin count
    bool saveEnabled_ = false;
    int chipPin_ = 0;
    int scanDevicePins_ = 0;
};

} // namespace zelmo
