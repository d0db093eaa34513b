#pragma once

// The two "Pin contact check" views: the 48-pin socket view, drawn from the device's adapter
// image and the result letters, and the in-circuit connector view with a status field per
// signal S0 to S5. ShowPinCheckView opens the one the record's kind asks for.

#include "catalogue/pin_check_view_model.h"

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace zelmo {

class CDevice;

class TfPinCheck48 : public QDialog {
    Q_OBJECT
public:
    TfPinCheck48(std::span<const std::uint8_t, kPinCheckRecordSize> record,
                 std::span<const std::uint8_t, kAdapterImageSize> adapterImage,
                 QWidget* parent = nullptr);

    const std::array<SocketPinLook, kZifPins>& Looks() const { return looks_; }
    // The plug pin labels beside socket pins 1 to 48.
    std::array<QLabel*, kZifPins> lPlugPin{};
    QPushButton* bCancel = nullptr;

private:
    std::array<SocketPinLook, kZifPins> looks_{};
};

class TfPinCheckICP : public QDialog {
    Q_OBJECT
public:
    explicit TfPinCheckICP(std::span<const std::uint8_t, kPinCheckRecordSize> record,
                           QWidget* parent = nullptr);

    // The status fields of S0 to S5.
    std::array<QLabel*, kIcpSignals> lSignal{};
    QPushButton* bCancel = nullptr;
};

// Shows the pin check result of a device modally: the in-circuit view for a record of kind "I",
// otherwise the socket view with the device's adapter image.
void ShowPinCheckView(QWidget* parent, const CDevice& device);

} // namespace zelmo
