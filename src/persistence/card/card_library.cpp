#include "persistence/card/card_library.h"

namespace zelmo::card {

namespace {
// A library that keeps answering "one more message" must not hold the caller forever.
constexpr std::int32_t kMaxMessages = 256;
} // namespace

std::vector<QString> CardLibrary::Messages(std::int32_t context) {
    std::vector<QString> texts;
    for (std::int32_t n = 0; n < kMaxMessages; ++n) {
        ZmMessage message{};
        if (!GetMessage(context, n, message)) {
            break;
        }
        message.Text[ZM_MESSAGE_TEXT_CHARS - 1] = u'\0';
        texts.push_back(QString::fromUtf16(message.Text));
    }
    return texts;
}

bool CardLibraryCalls::WriteCard(std::int32_t port, std::uint32_t first, std::uint32_t count,
                                 const std::uint8_t* buffer) {
    return api_.ZmWriteCard != nullptr && api_.ZmWriteCard(port, first, count, buffer) != 0;
}

bool CardLibraryCalls::ReadCard(std::int32_t port, std::uint32_t first, std::uint32_t count,
                                std::uint8_t* buffer) {
    return api_.ZmReadCard != nullptr && api_.ZmReadCard(port, first, count, buffer) != 0;
}

bool CardLibraryCalls::IdentifyCard(std::int32_t port, std::uint8_t* block) {
    return api_.ZmIdentifyCard != nullptr && api_.ZmIdentifyCard(port, block) != 0;
}

bool CardLibraryCalls::InitHardware(std::int32_t port) {
    return api_.ZmInitHardware != nullptr && api_.ZmInitHardware(port, 0) != 0;
}

bool CardLibraryCalls::CardInserted(std::int32_t port) {
    return api_.ZmCardInserted != nullptr && api_.ZmCardInserted(port) != 0;
}

QString CardLibraryCalls::VendorName(const char* vendor) {
    char name[ZM_VENDOR_NAME_SIZE] = {};
    char code[5] = {};
    // The library reads a 5-byte field: hand it one that ends inside it whatever the caller had.
    for (std::size_t i = 0; i + 1 < sizeof code && vendor[i] != '\0'; ++i) {
        code[i] = vendor[i];
    }
    if (api_.ZmGetVendorName != nullptr) {
        api_.ZmGetVendorName(code, name);
    }
    name[sizeof name - 1] = '\0';
    return QString::fromLatin1(name);
}

bool CardLibraryCalls::InitLib(std::int32_t port, const char16_t* libraryPath,
                               const std::uint8_t* params, const OperationBlock& block,
                               const ZmDataSetStorage& storage) {
    return api_.ZmInitLib != nullptr &&
           api_.ZmInitLib(port, libraryPath, params, block, &storage, nullptr, nullptr) != 0;
}

std::int32_t CardLibraryCalls::MakeCode(std::int32_t port) {
    return api_.ZmMakeCode != nullptr ? api_.ZmMakeCode(port) : 0;
}

std::int32_t CardLibraryCalls::GetCode(std::int32_t port, std::uint8_t* buffer) {
    return api_.ZmGetCode != nullptr ? api_.ZmGetCode(port, buffer) : -1;
}

void CardLibraryCalls::FreeLib(std::int32_t port) {
    if (api_.ZmFreeLib != nullptr) {
        api_.ZmFreeLib(port);
    }
}

bool CardLibraryCalls::GetMessage(std::int32_t context, std::int32_t n, ZmMessage& message) {
    return api_.ZmGetMessage != nullptr && api_.ZmGetMessage(context, n, &message) != 0;
}

bool CardLibraryCalls::SearchDev(const char* vendor, const char* name, const char* package,
                                 DeviceDescriptor& descriptor) {
    return api_.ZmSearchDev != nullptr && api_.ZmSearchDev(vendor, name, package, &descriptor) != 0;
}

bool CardLibraryCalls::GetBufferInfo(const char16_t* libraryPath, const std::uint8_t* params,
                                     BufferInfo* buffers) {
    return api_.ZmGetBufferInfo != nullptr &&
           api_.ZmGetBufferInfo(0, libraryPath, params, buffers) != 0;
}

} // namespace zelmo::card
