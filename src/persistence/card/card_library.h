#pragma once

// The hardware library calls the card image and the card commands make, behind a small
// interface so they can run over the bound library (CardLibraryCalls) or over a fake in tests.

#include "abi/hardware_api.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace zelmo::card {

class CardLibrary {
public:
    virtual ~CardLibrary() = default;

    // Whole sectors; `port | ZM_CARD_OPEN` with sector 0, count 0 and no buffer opens access,
    // `port | ZM_CARD_CLOSE` closes it.
    virtual bool WriteCard(std::int32_t port, std::uint32_t first, std::uint32_t count,
                           const std::uint8_t* buffer) = 0;
    virtual bool ReadCard(std::int32_t port, std::uint32_t first, std::uint32_t count,
                          std::uint8_t* buffer) = 0;
    // The card's 512-byte ATA identification block.
    virtual bool IdentifyCard(std::int32_t port, std::uint8_t* block) = 0;

    // The commands' checks before a transfer: the programmer is ready, a card is in its slot.
    virtual bool InitHardware(std::int32_t port) = 0;
    virtual bool CardInserted(std::int32_t port) = 0;
    // The display name of a catalogue vendor code (empty when unknown).
    virtual QString VendorName(const char* vendor) = 0;

    // Code generation for one data set.
    virtual bool InitLib(std::int32_t port, const char16_t* libraryPath, const std::uint8_t* params,
                         const OperationBlock& block, const ZmDataSetStorage& storage) = 0;
    virtual std::int32_t MakeCode(std::int32_t port) = 0;
    // The code's size; with a buffer the code is copied into it as well.
    virtual std::int32_t GetCode(std::int32_t port, std::uint8_t* buffer) = 0;
    virtual void FreeLib(std::int32_t port) = 0;
    virtual bool GetMessage(std::int32_t context, std::int32_t n, ZmMessage& message) = 0;

    // The catalogue, when reading.
    virtual bool SearchDev(const char* vendor, const char* name, const char* package,
                           DeviceDescriptor& descriptor) = 0;
    virtual bool GetBufferInfo(const char16_t* libraryPath, const std::uint8_t* params,
                               BufferInfo* buffers) = 0;

    // Every message the library holds for a context, in order.
    std::vector<QString> Messages(std::int32_t context);
};

// The entry points CardLibraryCalls forwards to.
struct CardEntryPoints {
    ZmWriteCard_fn ZmWriteCard = nullptr;
    ZmReadCard_fn ZmReadCard = nullptr;
    ZmIdentifyCard_fn ZmIdentifyCard = nullptr;
    ZmInitHardware_fn ZmInitHardware = nullptr;
    ZmCardInserted_fn ZmCardInserted = nullptr;
    ZmGetVendorName_fn ZmGetVendorName = nullptr;
    ZmInitLib_fn ZmInitLib = nullptr;
    ZmMakeCode_fn ZmMakeCode = nullptr;
    ZmGetCode_fn ZmGetCode = nullptr;
    ZmFreeLib_fn ZmFreeLib = nullptr;
    ZmGetMessage_fn ZmGetMessage = nullptr;
    ZmSearchDev_fn ZmSearchDev = nullptr;
    ZmGetBufferInfo_fn ZmGetBufferInfo = nullptr;
};

// The card entry points of any table that names them like the library's exports.
template <typename Api> CardEntryPoints CardEntryPointsOf(const Api& api) {
    return {api.ZmWriteCard,    api.ZmReadCard,      api.ZmIdentifyCard, api.ZmInitHardware,
            api.ZmCardInserted, api.ZmGetVendorName, api.ZmInitLib,      api.ZmMakeCode,
            api.ZmGetCode,      api.ZmFreeLib,       api.ZmGetMessage,   api.ZmSearchDev,
            api.ZmGetBufferInfo};
}

// The bound hardware library; a missing entry point makes its calls fail.
class CardLibraryCalls final : public CardLibrary {
public:
    explicit CardLibraryCalls(const CardEntryPoints& api) : api_(api) {}

    bool WriteCard(std::int32_t port, std::uint32_t first, std::uint32_t count,
                   const std::uint8_t* buffer) override;
    bool ReadCard(std::int32_t port, std::uint32_t first, std::uint32_t count,
                  std::uint8_t* buffer) override;
    bool IdentifyCard(std::int32_t port, std::uint8_t* block) override;
    bool InitHardware(std::int32_t port) override;
    bool CardInserted(std::int32_t port) override;
    QString VendorName(const char* vendor) override;
    bool InitLib(std::int32_t port, const char16_t* libraryPath, const std::uint8_t* params,
                 const OperationBlock& block, const ZmDataSetStorage& storage) override;
    std::int32_t MakeCode(std::int32_t port) override;
    std::int32_t GetCode(std::int32_t port, std::uint8_t* buffer) override;
    void FreeLib(std::int32_t port) override;
    bool GetMessage(std::int32_t context, std::int32_t n, ZmMessage& message) override;
    bool SearchDev(const char* vendor, const char* name, const char* package,
                   DeviceDescriptor& descriptor) override;
    bool GetBufferInfo(const char16_t* libraryPath, const std::uint8_t* params,
                       BufferInfo* buffers) override;

private:
    CardEntryPoints api_;
};

} // namespace zelmo::card
