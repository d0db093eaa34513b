// Feeds arbitrary bytes to the adapter-file reader, and arbitrary field texts to validation and
// image building; every built image must read back as valid.

#include "catalogue/adapter_file.h"

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <cstring>

using namespace zelmo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const AdapterReadResult result = classifyAdapterBytes(bytes);
    if (result != AdapterReadResult::Unreadable) {
        AdapterImage image;
        std::memcpy(&image, data, sizeof image);
        std::array<QString, kZifPins> fields;
        for (int s = 0; s < kZifPins; ++s) {
            fields[static_cast<std::size_t>(s)] = adapterEntryText(image, s);
        }
        validateAdapterFields(fields, image.AdapterPinCount, image.DevicePinCount);
        const auto rebuilt = buildAdapterImage(image.AdapterPinCount, image.DevicePinCount, fields);
        if (classifyAdapterBytes(rebuilt) != AdapterReadResult::Valid) {
            std::abort();
        }
        return 0;
    }

    // Otherwise the bytes are creator input: two counts, then 48 field texts split at '\n'.
    if (size < 2) {
        return 0;
    }
    const QStringList texts = QString::fromLatin1(reinterpret_cast<const char*>(data + 2),
                                                  static_cast<qsizetype>(size - 2))
                                  .split(QLatin1Char('\n'));
    std::array<QString, kZifPins> fields;
    for (int s = 0; s < kZifPins && s < texts.size(); ++s) {
        fields[static_cast<std::size_t>(s)] = texts[s];
    }
    validateAdapterFields(fields, data[0], data[1]);
    const auto image = buildAdapterImage(data[0], data[1], fields);
    if (classifyAdapterBytes(image) != AdapterReadResult::Valid) {
        std::abort();
    }
    return 0;
}
