#include "catalogue/adapter_creator_model.h"

#include "catalogue/adapter_layout.h"

#include <cstring>

namespace zelmo {

namespace {

int countValue(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

bool countTextAllowed(const QString& text, int digits, int maximum) {
    if (text.size() > digits) {
        return false;
    }
    for (QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return text.isEmpty() || text.toInt() <= maximum;
}

} // namespace

Rgb PinFieldRgb(PinFieldColour colour) {
    switch (colour) {
    case PinFieldColour::Used:
        return {255, 255, 225};
    case PinFieldColour::Free:
        return {192, 192, 192};
    case PinFieldColour::Invalid:
        return {255, 0, 0};
    case PinFieldColour::SensedUsed:
        return {255, 128, 128};
    case PinFieldColour::SensedFree:
        return {128, 128, 128};
    }
    return {192, 192, 192};
}

CAdapterCreator::CAdapterCreator(bool programmersAttached, std::optional<int> devicePinCount)
    : programmers_(programmersAttached), activeDevicePins_(devicePinCount) {}

Result CAdapterCreator::Open(const QString& path,
                             const std::array<std::uint8_t, kAdapterImageSize>& image) {
    Path = path;
    Result result = Result::success();
    if (path.isEmpty() && hasAdapterSignature(image)) {
        // An image edited earlier and never saved has no file; it is shown all the same, so a
        // second edit starts from it instead of an empty creator.
        fill(image);
    } else if (path.isEmpty()) {
        AdapterPinsText = QStringLiteral("48");
        DevicePinsText = QStringLiteral("48");
        for (AdapterPinField& field : Fields) {
            field = AdapterPinField{};
        }
    } else {
        std::array<std::uint8_t, kAdapterImageSize> shown = image;
        if (!hasAdapterSignature(shown) &&
            readAdapterFile(path, shown) != AdapterReadResult::Valid) {
            // The creator stays empty and not ready: nothing typed counts as a change.
            return Result::failure(QString::fromLatin1(kAdapterOpenFailed));
        }
        fill(shown);
    }
    Ready = true;
    return result;
}

void CAdapterCreator::fill(const std::array<std::uint8_t, kAdapterImageSize>& image) {
    AdapterImage record;
    std::memcpy(&record, image.data(), kAdapterImageSize);
    const int adapterPins = record.AdapterPinCount;
    const int devicePins = record.DevicePinCount;
    image_ = image;
    devicePinsInUse_ = devicePins;
    AdapterPinsText = QString::number(adapterPins);
    DevicePinsText = QString::number(devicePins);
    LayOut(adapterPins);
    for (int s = 0; s < kZifPins; ++s) {
        SetPinText(s, adapterEntryText(record, s));
    }
    offerSave();
}

void CAdapterCreator::offerSave() {
    saveEnabled_ = true;
}

void CAdapterCreator::LayOut(int adapterPins) {
    const AdapterLayout layout = adapterLayout(adapterPins);
    laidOut_ = layout.AdapterPins;
    for (int s = 1; s <= kZifPins; ++s) {
        AdapterPinField& field = Fields[static_cast<std::size_t>(s - 1)];
        field.Enabled = true;
        SetPinText(s - 1, QString());
        field.Used = layout.Used(s);
        field.Colour = field.Used ? PinFieldColour::Used : PinFieldColour::Free;
        field.PlugPin = layout.PlugPin(s);
    }
}

Result CAdapterCreator::New() {
    const int adapterPins = countValue(AdapterPinsText);
    if (adapterPins % 2 != 0 || adapterPins < 6) {
        return Result::failure(QString::fromLatin1(kAdapterPinCountBad));
    }
    Path.clear();
    image_.fill(0);
    devicePinsInUse_ = countValue(DevicePinsText);
    offerSave();
    LayOut(adapterPins);
    return Result::success();
}

CAdapterCreator::FileOutcome
CAdapterCreator::OpenFile(const QString& path, const std::function<bool()>& loadBadChecksum) {
    std::array<std::uint8_t, kAdapterImageSize> image{};
    const AdapterReadResult read = readAdapterFile(path, image);
    if (read == AdapterReadResult::Unreadable) {
        return FileOutcome::Unreadable;
    }
    if (read == AdapterReadResult::BadChecksum && !(loadBadChecksum && loadBadChecksum())) {
        return FileOutcome::Declined;
    }
    AdapterImage record;
    std::memcpy(&record, image.data(), kAdapterImageSize);
    if (activeDevicePins_ && record.DevicePinCount != (*activeDevicePins_ & 0xFF)) {
        return FileOutcome::PinMismatch;
    }
    fill(image);
    Opened = true;
    Path = path;
    return read == AdapterReadResult::Valid ? FileOutcome::Loaded : FileOutcome::BadChecksum;
}

std::optional<QChar> CAdapterCreator::FilterPinKey(QChar typed) {
    if ((typed >= u'0' && typed <= u'9') || typed == u',') {
        return typed;
    }
    if (typed == u'.') {
        return QChar(u',');
    }
    return std::nullopt;
}

bool CAdapterCreator::AdapterPinsTextAllowed(const QString& text) {
    return countTextAllowed(text, 2, kZifPins);
}

bool CAdapterCreator::DevicePinsTextAllowed(const QString& text) {
    return countTextAllowed(text, 3, 255);
}

void CAdapterCreator::SetPinText(int socketIndex, const QString& text) {
    if (socketIndex < 0 || socketIndex >= kZifPins) {
        return;
    }
    AdapterPinField& field = Fields[static_cast<std::size_t>(socketIndex)];
    if (field.Text == text) {
        return;
    }
    field.Text = text;
    if (Ready) {
        Modified = true;
    }
}

QString CAdapterCreator::Caption() const {
    return Modified ? QStringLiteral("Adapter [Modified]") : QStringLiteral("Adapter");
}

std::array<QString, kZifPins> CAdapterCreator::texts() const {
    std::array<QString, kZifPins> out;
    for (int s = 0; s < kZifPins; ++s) {
        out[static_cast<std::size_t>(s)] = Fields[static_cast<std::size_t>(s)].Text;
    }
    return out;
}

bool CAdapterCreator::Validate() {
    return validateWith(countValue(DevicePinsText));
}

bool CAdapterCreator::validateWith(int devicePins) {
    const AdapterValidation v = validateAdapterFields(texts(), laidOut_, devicePins);
    for (int s = 0; s < kZifPins; ++s) {
        AdapterPinField& field = Fields[static_cast<std::size_t>(s)];
        if (field.Colour == PinFieldColour::Invalid) {
            field.Colour = field.Used ? PinFieldColour::Used : PinFieldColour::Free;
        }
    }
    for (int bad : v.BadFields) {
        Fields[static_cast<std::size_t>(bad)].Colour = PinFieldColour::Invalid;
    }
    return v.Valid;
}

CAdapterCreator::SaveImage CAdapterCreator::PrepareSave(const std::function<bool()>& keepNewCount) {
    SaveImage out;
    if (!Validate()) {
        out.message = QString::fromLatin1(kAdapterInvalid);
        return out;
    }
    int devicePins = countValue(DevicePinsText);
    if (devicePins != devicePinsInUse_) {
        if (keepNewCount && keepNewCount()) {
            devicePinsInUse_ = devicePins;
        } else {
            devicePins = devicePinsInUse_;
            DevicePinsText = QString::number(devicePins);
            // The fields were checked against the count that is no longer used.
            if (!validateWith(devicePins)) {
                out.message = QString::fromLatin1(kAdapterInvalid);
                return out;
            }
        }
    }
    out.Image = buildAdapterImage(laidOut_, devicePins, texts());
    out.ok = true;
    return out;
}

void CAdapterCreator::Saved(const QString& path,
                            const std::array<std::uint8_t, kAdapterImageSize>& image) {
    Path = path;
    image_ = image;
    Modified = false;
}

bool CAdapterCreator::Ok(const std::function<bool()>& closeUnsaved) {
    if (Scanning) {
        return false;
    }
    if (Modified) {
        if (!Validate()) {
            return false;
        }
        image_ = buildAdapterImage(laidOut_, countValue(DevicePinsText), texts());
        if (!Opened && !(closeUnsaved && closeUnsaved())) {
            return false;
        }
    }
    saveEnabled_ = false;
    for (AdapterPinField& field : Fields) {
        field.Text.clear();
        field.Enabled = false;
    }
    return true;
}

void CAdapterCreator::Cancel() {
    Modified = false;
    Cancelled = true;
}

Result CAdapterCreator::BeginScan() {
    const int devicePins = countValue(DevicePinsText);
    if (devicePins % 2 != 0 || devicePins <= 0) {
        return Result::failure(QString::fromLatin1(kAdapterScanPinCountBad));
    }
    scanDevicePins_ = devicePins;
    chipPin_ = 1;
    Scanning = true;
    return Result::success();
}

bool CAdapterCreator::ScanCycle(const ZmSocketState& state, ScanRequests requests) {
    if (!Scanning) {
        return true;
    }
    bool anySensed = false;
    for (int s = 0; s < kZifPins; ++s) {
        AdapterPinField& field = Fields[static_cast<std::size_t>(s)];
        const bool sensed = state.Pins[s] == 0;
        anySensed = anySensed || sensed;
        if (sensed) {
            field.Colour = field.Used ? PinFieldColour::SensedUsed : PinFieldColour::SensedFree;
        } else {
            field.Colour = field.Used ? PinFieldColour::Used : PinFieldColour::Free;
        }
    }
    if (requests.Accept && anySensed) {
        const QString pin = QString::number(chipPin_);
        for (int s = 0; s < kZifPins; ++s) {
            if (state.Pins[s] != 0) {
                continue;
            }
            const QString& text = Fields[static_cast<std::size_t>(s)].Text;
            SetPinText(s, text.isEmpty() ? pin : text + QLatin1Char(',') + pin);
        }
        if (chipPin_ >= scanDevicePins_) {
            return true;
        }
        ++chipPin_;
    }
    if (requests.Previous) {
        chipPin_ = chipPin_ <= 1 ? scanDevicePins_ : chipPin_ - 1;
    } else if (requests.Next) {
        chipPin_ = chipPin_ >= scanDevicePins_ ? 1 : chipPin_ + 1;
    }
    return false;
}

void CAdapterCreator::EndScan() {
    Scanning = false;
    chipPin_ = 0;
    for (AdapterPinField& field : Fields) {
        if (field.Colour == PinFieldColour::SensedUsed ||
            field.Colour == PinFieldColour::SensedFree) {
            field.Colour = field.Used ? PinFieldColour::Used : PinFieldColour::Free;
        }
    }
}

QString CAdapterCreator::ChipPinText() const {
    return Scanning ? QString::number(chipPin_) : QString();
}

AdapterCreatorControls CAdapterCreator::Controls() const {
    AdapterCreatorControls c;
    if (Scanning) {
        c.New = c.Open = c.Save = c.AdapterPins = c.Start = c.Ok = c.Cancel = false;
        c.Stop = c.Accept = c.Previous = c.Next = true;
        c.PinsReadOnly = true;
        return c;
    }
    c.Save = saveEnabled_;
    c.Start = saveEnabled_ && programmers_;
    return c;
}

} // namespace zelmo
