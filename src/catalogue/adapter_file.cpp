#include "catalogue/adapter_file.h"

#include "catalogue/adapter_layout.h"
#include "catalogue/catalogue_assets.h"
#include "platform/file_io.h"

#include <QDir>
#include <QStringList>

#include <cstring>
#include <limits>

namespace zelmo {

namespace {

// Items of a field: its text trimmed of spaces, split at ",". An empty field has no items.
QStringList fieldItems(const QString& field) {
    const QString text = field.trimmed();
    if (text.isEmpty()) {
        return {};
    }
    return text.split(QLatin1Char(','));
}

// An item's number, or 0 when it is not a (decimal) number. A run of digits too long for any
// pin is still a number: it saturates, so validation sees it above the pin count instead of
// taking it for "not a number" (which would store 0 and silently end the wiring entry).
unsigned itemValue(const QString& item, bool* isNumber = nullptr) {
    const QString text = item.trimmed();
    bool digits = !text.isEmpty();
    unsigned value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            digits = false;
            break;
        }
        const unsigned digit = static_cast<unsigned>(c.unicode() - u'0');
        value = value > (std::numeric_limits<unsigned>::max() - digit) / 10
                    ? std::numeric_limits<unsigned>::max()
                    : value * 10 + digit;
    }
    if (isNumber != nullptr) {
        *isNumber = digits;
    }
    return digits ? value : 0;
}

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

} // namespace

std::uint8_t adapterChecksum(std::span<const std::uint8_t, kAdapterImageSize> image) {
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < kAdapterImageSize; ++i) {
        sum += image[i];
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

bool hasAdapterSignature(std::span<const std::uint8_t, kAdapterImageSize> image) {
    return image[0] == 'A' && image[1] == 'D' && image[2] == 'P';
}

AdapterReadResult classifyAdapterBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kAdapterImageSize) {
        return AdapterReadResult::Unreadable;
    }
    const std::span<const std::uint8_t, kAdapterImageSize> image(bytes.data(), kAdapterImageSize);
    if (!hasAdapterSignature(image)) {
        return AdapterReadResult::Unreadable;
    }
    return adapterChecksum(image) == image[kAdapterImageSize - 1] ? AdapterReadResult::Valid
                                                                  : AdapterReadResult::BadChecksum;
}

AdapterReadResult readAdapterFile(const QString& path,
                                  std::array<std::uint8_t, kAdapterImageSize>& image) {
    // Adapter files come from the application folder or wherever the user points: only a
    // regular file is read, so a FIFO there never blocks.
    const platform::File file = OpenApplicationFile(path);
    if (!file.isOpen() || file.size() != static_cast<std::int64_t>(kAdapterImageSize)) {
        return AdapterReadResult::Unreadable;
    }
    std::array<std::uint8_t, kAdapterImageSize> bytes{};
    if (!file.readAt(0, bytes)) {
        return AdapterReadResult::Unreadable;
    }
    const AdapterReadResult result = classifyAdapterBytes(bytes);
    if (result != AdapterReadResult::Unreadable) {
        image = bytes;
    }
    return result;
}

std::vector<std::uint8_t> adapterEntryPins(const AdapterImage& image, int socketIndex) {
    std::vector<std::uint8_t> pins;
    if (socketIndex < 0 || socketIndex >= kZifPins) {
        return pins;
    }
    for (std::uint8_t b : image.Pins[socketIndex]) {
        if (b == 0) {
            break;
        }
        pins.push_back(b);
    }
    return pins;
}

QString adapterEntryText(const AdapterImage& image, int socketIndex) {
    QStringList items;
    for (std::uint8_t pin : adapterEntryPins(image, socketIndex)) {
        items << QString::number(pin);
    }
    return items.join(QLatin1Char(','));
}

AdapterValidation validateAdapterFields(const std::array<QString, kZifPins>& fields,
                                        int adapterPins, int devicePins) {
    AdapterValidation v;
    const AdapterLayout layout = adapterLayout(adapterPins);
    bool anyUsed = false;
    for (int s = 1; s <= kZifPins; ++s) {
        if (!layout.Used(s)) {
            continue;
        }
        const QStringList items = fieldItems(fields[static_cast<std::size_t>(s - 1)]);
        if (items.isEmpty()) {
            continue;
        }
        anyUsed = true;
        bool bad = items.size() > kAdapterEntryBytes;
        for (const QString& item : items) {
            bool isNumber = false;
            const unsigned value = itemValue(item, &isNumber);
            if (isNumber && value > static_cast<unsigned>(devicePins < 0 ? 0 : devicePins)) {
                bad = true;
            }
        }
        if (bad) {
            v.BadFields.push_back(s - 1);
        }
    }
    v.Valid = anyUsed && v.BadFields.empty();
    return v;
}

std::array<std::uint8_t, kAdapterImageSize>
buildAdapterImage(int adapterPins, int devicePins, const std::array<QString, kZifPins>& fields) {
    AdapterImage image{};
    std::memcpy(image.Signature, "ADP", 3);
    image.AdapterPinCount = static_cast<std::uint8_t>(adapterPins);
    image.DevicePinCount = static_cast<std::uint8_t>(devicePins);
    for (int s = 0; s < kZifPins; ++s) {
        const QStringList items = fieldItems(fields[static_cast<std::size_t>(s)]);
        for (int i = 0; i < items.size() && i < kAdapterEntryBytes; ++i) {
            image.Pins[s][i] = static_cast<std::uint8_t>(itemValue(items[i]) & 0xFF);
        }
    }
    std::array<std::uint8_t, kAdapterImageSize> bytes{};
    std::memcpy(bytes.data(), &image, kAdapterImageSize);
    bytes[kAdapterImageSize - 1] = adapterChecksum(bytes);
    return bytes;
}

bool writeAdapterFile(const QString& path, std::span<const std::uint8_t, kAdapterImageSize> image,
                      QString* message) {
    if (path.isEmpty() || !platform::replaceFileAtomically(toPath(path), image)) {
        if (message != nullptr) {
            *message = QStringLiteral("Could not write adapter file.");
        }
        return false;
    }
    return true;
}

bool buildGenericAdapter(int adapterPins, int devicePins,
                         std::span<const std::vector<std::uint8_t>> plugWiring,
                         std::array<std::uint8_t, kAdapterImageSize>& image, QString* message) {
    auto fail = [message](const QString& text) {
        if (message != nullptr) {
            *message = text;
        }
        return false;
    };
    if (!validAdapterPinCount(adapterPins)) {
        return fail(QStringLiteral("Incorrect adapter pin count."));
    }
    if (devicePins < 1 || devicePins > 255) {
        return fail(QStringLiteral("Incorrect device pin count."));
    }
    if (plugWiring.size() > static_cast<std::size_t>(adapterPins)) {
        return fail(QStringLiteral("More plug pins wired than the adapter has."));
    }
    const AdapterLayout layout = adapterLayout(adapterPins);
    std::array<QString, kZifPins> fields;
    for (std::size_t k = 0; k < plugWiring.size(); ++k) {
        const std::vector<std::uint8_t>& pins = plugWiring[k];
        if (pins.size() > static_cast<std::size_t>(kAdapterEntryBytes)) {
            return fail(QStringLiteral("Too many chip pins on plug pin %1.").arg(k + 1));
        }
        QStringList items;
        for (std::uint8_t pin : pins) {
            if (pin == 0 || pin > devicePins) {
                return fail(QStringLiteral("Chip pin %1 on plug pin %2 is out of range.")
                                .arg(pin)
                                .arg(k + 1));
            }
            items << QString::number(pin);
        }
        fields[static_cast<std::size_t>(layout.SocketPin(static_cast<int>(k) + 1) - 1)] =
            items.join(QLatin1Char(','));
    }
    if (!validateAdapterFields(fields, adapterPins, devicePins).Valid) {
        return fail(QStringLiteral("This adapter seems to be invalid."));
    }
    image = buildAdapterImage(adapterPins, devicePins, fields);
    return true;
}

bool writeGenericAdapter(const QString& folder, const QString& package, int adapterPins,
                         int devicePins, std::span<const std::vector<std::uint8_t>> plugWiring,
                         QString* message) {
    std::array<std::uint8_t, kAdapterImageSize> image{};
    if (package.isEmpty() || package.contains(QLatin1Char('/'))) {
        if (message != nullptr) {
            *message = QStringLiteral("Incorrect package name.");
        }
        return false;
    }
    if (!buildGenericAdapter(adapterPins, devicePins, plugWiring, image, message)) {
        return false;
    }
    return writeAdapterFile(QDir(folder).filePath(package + QStringLiteral(".adp")), image,
                            message);
}

} // namespace zelmo
