#include "app/device_preparation.h"

#include "catalogue/catalogue_list.h"

#include <QDir>

namespace zelmo {

namespace {
// A library that never says "no more" must not hold the caller forever.
constexpr std::int32_t kMaxMessages = 256;
} // namespace

QString AlgorithmLibraryPath(const QString& appDir, const DeviceDescriptor& descriptor) {
    const std::string libName = FieldText(descriptor.LibName);
    return QDir(appDir).filePath(
        QStringLiteral("Dev/") +
        QString::fromLatin1(libName.data(), static_cast<qsizetype>(libName.size())) +
        QStringLiteral(".so"));
}

std::vector<QString> LibraryMessages(const HardwareEntryPoints& api, std::int32_t context) {
    std::vector<QString> texts;
    ZmMessage message{};
    for (std::int32_t n = 0; n < kMaxMessages && api.ZmGetMessage(context, n, &message) != 0; ++n) {
        message.Text[ZM_MESSAGE_TEXT_CHARS - 1] = u'\0';
        texts.push_back(QString::fromUtf16(message.Text));
        message = ZmMessage{};
    }
    return texts;
}

PreparedDevice PrepareCatalogueDevice(const HardwareEntryPoints& api, const QString& appDir,
                                      const DeviceDescriptor& descriptor) {
    PreparedDevice prepared;
    const QString library = AlgorithmLibraryPath(appDir, descriptor);
    if (api.ZmGetBufferInfo(0, reinterpret_cast<const char16_t*>(library.utf16()),
                            descriptor.LibParams, prepared.Buffers.data()) == 0) {
        prepared.message = QStringLiteral("Couldn't add device.");
        prepared.LibraryMessages = LibraryMessages(api, 0);
        return prepared;
    }
    char vendor[ZM_VENDOR_NAME_SIZE] = {};
    api.ZmGetVendorName(descriptor.Vendor, vendor);
    vendor[ZM_VENDOR_NAME_SIZE - 1] = '\0';
    prepared.VendorName = QString::fromLatin1(vendor);
    prepared.ok = true;
    return prepared;
}

void ApplyPreparation(CDevice& device, const PreparedDevice& prepared) {
    device.Buffers = prepared.Buffers;
    for (int m = 0; m < kMemories; ++m) {
        const auto bit = static_cast<std::uint8_t>(1u << m);
        if (device.Descriptor.MemSize[m] != 0 &&
            (prepared.Buffers[static_cast<std::size_t>(m)].Flags & BUF_START_DISABLED) == 0) {
            device.MemSelect = static_cast<std::uint8_t>(device.MemSelect | bit);
        }
    }
}

} // namespace zelmo
