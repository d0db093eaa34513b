#pragma once

// An in-memory card and hardware library for the card image: sectors in a byte vector, a small
// catalogue, code of a chosen size, and switches that make single calls fail. Every call is
// recorded so tests can see what was written where and that access was closed.

#include "persistence/card/card_layout.h"
#include "persistence/card/card_library.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace zelmo::test {

// Reproducible bytes for memory contents.
inline std::vector<std::uint8_t> bytePattern(std::size_t size, std::uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(generator());
    }
    return bytes;
}

class MemoryCard final : public card::CardLibrary {
public:
    explicit MemoryCard(std::uint32_t sectors, std::uint8_t fill = 0x00)
        : image(static_cast<std::size_t>(sectors) * card::kSectorSize, fill), sectors_(sectors) {}

    struct Transfer {
        std::uint32_t first, count;
    };

    std::vector<std::uint8_t> image;
    std::vector<Transfer> writes; // sector transfers in call order (not open/close)
    std::vector<Transfer> reads;
    bool writeOpen = false, readOpen = false;
    int writeCalls = 0;
    int failWriteCall = -1; // the nth sector write (0-based) fails
    bool initLibOk = true, makeCodeOk = true, identifyOk = true, readOk = true;
    std::vector<std::uint8_t> code = std::vector<std::uint8_t>(700, 0xC0);
    std::vector<QString> libraryMessages;
    std::vector<DeviceDescriptor> catalogue;
    std::vector<OperationBlock> blocks; // every InitLib's block
    int initCount = 0, freeCount = 0;
    bool unterminatedSearch = false; // SearchDev got a text without its terminator

    std::span<std::uint8_t, card::kSectorSize> sector(std::uint32_t n) {
        return std::span<std::uint8_t, card::kSectorSize>(image.data() + n * card::kSectorSize,
                                                          card::kSectorSize);
    }

    bool WriteCard(std::int32_t port, std::uint32_t first, std::uint32_t count,
                   const std::uint8_t* buffer) override {
        if (accessCall(port, writeOpen)) {
            return true;
        }
        if (!writeOpen || first > sectors_ || count > sectors_ - first ||
            writeCalls++ == failWriteCall) {
            return false;
        }
        writes.push_back({first, count});
        std::memcpy(image.data() + std::size_t{first} * card::kSectorSize, buffer,
                    std::size_t{count} * card::kSectorSize);
        return true;
    }

    bool ReadCard(std::int32_t port, std::uint32_t first, std::uint32_t count,
                  std::uint8_t* buffer) override {
        if (accessCall(port, readOpen)) {
            return true;
        }
        if (!readOpen || !readOk || first > sectors_ || count > sectors_ - first) {
            return false;
        }
        reads.push_back({first, count});
        std::memcpy(buffer, image.data() + std::size_t{first} * card::kSectorSize,
                    std::size_t{count} * card::kSectorSize);
        return true;
    }

    bool IdentifyCard(std::int32_t, std::uint8_t* block) override {
        std::memset(block, 0, card::kSectorSize);
        block[120] = static_cast<std::uint8_t>(sectors_); // words 60 and 61, little-endian
        block[121] = static_cast<std::uint8_t>(sectors_ >> 8);
        block[122] = static_cast<std::uint8_t>(sectors_ >> 16);
        block[123] = static_cast<std::uint8_t>(sectors_ >> 24);
        return identifyOk;
    }

    bool InitHardware(std::int32_t) override { return hardwareOk; }
    bool CardInserted(std::int32_t) override { return inserted; }
    QString VendorName(const char* vendor) override {
        return QStringLiteral("Vendor ") + QString::fromLatin1(vendor);
    }
    bool hardwareOk = true, inserted = true;

    bool InitLib(std::int32_t, const char16_t*, const std::uint8_t*, const OperationBlock& block,
                 const ZmDataSetStorage&) override {
        blocks.push_back(block);
        initCount += initLibOk ? 1 : 0;
        return initLibOk;
    }
    std::int32_t MakeCode(std::int32_t) override { return makeCodeOk ? 1 : 0; }
    std::int32_t GetCode(std::int32_t, std::uint8_t* buffer) override {
        if (buffer != nullptr) {
            std::copy(code.begin(), code.end(), buffer);
        }
        return static_cast<std::int32_t>(code.size());
    }
    void FreeLib(std::int32_t) override { ++freeCount; }
    bool GetMessage(std::int32_t, std::int32_t n, ZmMessage& message) override {
        if (n < 0 || static_cast<std::size_t>(n) >= libraryMessages.size()) {
            return false;
        }
        message = ZmMessage{};
        const QString& text = libraryMessages[static_cast<std::size_t>(n)];
        std::copy_n(text.utf16(), std::min<qsizetype>(text.size(), ZM_MESSAGE_TEXT_CHARS - 1),
                    message.Text);
        return true;
    }
    bool SearchDev(const char* vendor, const char* name, const char* package,
                   DeviceDescriptor& descriptor) override {
        // A real library reads these as C strings: each must end inside its field.
        if (std::memchr(vendor, 0, sizeof descriptor.Vendor) == nullptr ||
            std::memchr(name, 0, sizeof descriptor.Name) == nullptr ||
            std::memchr(package, 0, sizeof descriptor.Package) == nullptr) {
            unterminatedSearch = true;
        }
        for (const DeviceDescriptor& d : catalogue) {
            if (std::strncmp(d.Vendor, vendor, sizeof d.Vendor) == 0 &&
                std::strncmp(d.Name, name, sizeof d.Name) == 0 &&
                std::strncmp(d.Package, package, sizeof d.Package) == 0) {
                descriptor = d;
                return true;
            }
        }
        return false;
    }
    bool GetBufferInfo(const char16_t*, const std::uint8_t*, BufferInfo* buffers) override {
        for (int m = 0; m < 4; ++m) {
            buffers[m] = BufferInfo{};
            std::snprintf(buffers[m].Name, sizeof buffers[m].Name, "Memory %c", 'A' + m);
        }
        return bufferInfoOk;
    }
    bool bufferInfoOk = true;

private:
    // An open or close call: records the access state and answers true.
    static bool accessCall(std::int32_t port, bool& open) {
        if ((port & (ZM_CARD_OPEN | ZM_CARD_CLOSE)) == 0) {
            return false;
        }
        open = (port & ZM_CARD_OPEN) != 0;
        return true;
    }

    std::uint32_t sectors_;
};

} // namespace zelmo::test
