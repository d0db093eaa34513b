#pragma once

// Adapter files (".adp"): the 2310-byte image that tells, for every pin of the programmer's
// 48-pin ZIF socket, which pins of the chip it is wired to. Reading, validation, building the
// image from the creator's field texts, and writing through a temporary file.

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zelmo {

inline constexpr int kZifPins = 48;
inline constexpr int kAdapterEntryBytes = 48;
inline constexpr std::size_t kAdapterImageSize = 2310;

#pragma pack(push, 1)
struct AdapterImage {
    char Signature[3];                               // "ADP"
    std::uint8_t AdapterPinCount;                    // N: plug pins in the ZIF socket, even, 6..48
    std::uint8_t DevicePinCount;                     // pins of the chip
    std::uint8_t Pins[kZifPins][kAdapterEntryBytes]; // entry s: socket pin s + 1
    std::uint8_t Checksum;                           // sum of bytes 0..2308 modulo 256
};
#pragma pack(pop)

static_assert(sizeof(AdapterImage) == kAdapterImageSize);
static_assert(offsetof(AdapterImage, Signature) == 0);
static_assert(offsetof(AdapterImage, AdapterPinCount) == 3);
static_assert(offsetof(AdapterImage, DevicePinCount) == 4);
static_assert(offsetof(AdapterImage, Pins) == 5);
static_assert(offsetof(AdapterImage, Checksum) == 2309);

enum class AdapterReadResult { Valid, BadChecksum, Unreadable };

// The checksum byte of an image: the sum of bytes 0 to 2308 modulo 256.
std::uint8_t adapterChecksum(std::span<const std::uint8_t, kAdapterImageSize> image);

// Classifies bytes as an adapter file: unreadable unless exactly 2310 bytes starting with
// "ADP"; a bad checksum when the last byte does not match.
AdapterReadResult classifyAdapterBytes(std::span<const std::uint8_t> bytes);

// Reads an adapter file; on Valid and BadChecksum `image` receives its bytes.
AdapterReadResult readAdapterFile(const QString& path,
                                  std::array<std::uint8_t, kAdapterImageSize>& image);

// True when the image starts with "ADP" (an image was handed over).
bool hasAdapterSignature(std::span<const std::uint8_t, kAdapterImageSize> image);

// The chip pins of one socket pin's entry (up to the first 0 byte).
std::vector<std::uint8_t> adapterEntryPins(const AdapterImage& image, int socketIndex);
// An entry as the creator shows it: numbers joined with ",", empty for an unconnected pin.
QString adapterEntryText(const AdapterImage& image, int socketIndex);

// Outcome of the creator's validation over its 48 field texts.
struct AdapterValidation {
    bool Valid = false;
    // Socket pin indexes (0..47) whose field is to be drawn red.
    std::vector<int> BadFields;
};

// Validation used by Save and OK: invalid when every used field is empty, or when a used field
// holds a number above the device pin count, or more pins than its 48-byte entry holds (the
// excess would be lost). Items that are 0 or not numbers pass.
AdapterValidation validateAdapterFields(const std::array<QString, kZifPins>& fields,
                                        int adapterPins, int devicePins);

// Builds the image from the two counts and the 48 field texts: each ","-separated item becomes
// one byte (an item that is not a number becomes 0); an empty field gives 0 in the first byte.
// Items beyond the 48 bytes of an entry are not stored (validation refuses such a field).
std::array<std::uint8_t, kAdapterImageSize>
buildAdapterImage(int adapterPins, int devicePins, const std::array<QString, kZifPins>& fields);

// Writes the image through a temporary file and a rename; false with "Could not write adapter
// file." on failure.
bool writeAdapterFile(const QString& path, std::span<const std::uint8_t, kAdapterImageSize> image,
                      QString* message = nullptr);

// A generic adapter for a package: `plugWiring[k]` lists the chip pins wired to plug pin k + 1
// (at most adapterPins entries, at most 48 pins each). The plug is placed at the bottom of the
// ZIF socket. Returns false with a message for counts or pins that no adapter file can hold.
bool buildGenericAdapter(int adapterPins, int devicePins,
                         std::span<const std::vector<std::uint8_t>> plugWiring,
                         std::array<std::uint8_t, kAdapterImageSize>& image, QString* message);
// Builds it and writes "<folder>/<package>.adp".
bool writeGenericAdapter(const QString& folder, const QString& package, int adapterPins,
                         int devicePins, std::span<const std::vector<std::uint8_t>> plugWiring,
                         QString* message = nullptr);

} // namespace zelmo
