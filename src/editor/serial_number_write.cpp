#include "editor/serial_number_write.h"

#include "editor/checksum_engine.h"
#include "platform/piece_loop.h"
#include "project/project.h"
#include "serialization/serialization.h"

#include <vector>

namespace zelmo::editor {

namespace {

constexpr int kMemoryA = 0;

// The byte sum of memory A as the swap file holds it; false when a piece cannot be read.
bool sumMemory(const CDataSet& dataSet, int memory, std::uint32_t& sum) {
    std::vector<std::uint8_t> piece(kPieceSize);
    std::uint32_t total = 0;
    const platform::PieceEnd end = platform::forEachPiece(
        dataSet.MemSize(memory), kPieceSize, [&](std::uint64_t offset, std::size_t length) {
            const std::span<std::uint8_t> bytes(piece.data(), length);
            if (!dataSet.Read(memory, offset, bytes)) {
                return false;
            }
            total = byteSum(bytes, total);
            return true;
        });
    if (end != platform::PieceEnd::Done) {
        return false;
    }
    sum = total;
    return true;
}

} // namespace

Result WriteSerialNumber(CDevice& device) {
    const CSerialization* serial = device.Serialization.get();
    if (serial == nullptr || serial->Enabled == 0) {
        return Result::success();
    }
    if (device.ShownDataSet < 0 || device.ShownDataSet >= device.DataSetCount ||
        device.Shown() == nullptr) {
        return Result::failure(QStringLiteral("Couldn't write swap file."));
    }
    CDataSet& dataSet = *device.Shown();
    const std::vector<std::uint8_t> bytes = serial->FormatBytes();
    // A file written elsewhere may name an address past memory A (the dialog alone keeps it in
    // range), and a length no mode knows formats to nothing: either would write outside the
    // serial number's place, so nothing is written.
    const std::uint64_t size = dataSet.MemSize(kMemoryA);
    if (bytes.empty() || serial->Address > size || bytes.size() > size - serial->Address) {
        return Result::failure(QStringLiteral("Serial number does not fit into buffer A."));
    }
    if (!dataSet.Write(kMemoryA, serial->Address, bytes)) {
        dataSet.Memories[kMemoryA].OnChecksumUnknown();
        return Result::failure(QStringLiteral("Couldn't write swap file."));
    }
    std::uint32_t sum = 0;
    if (!sumMemory(dataSet, kMemoryA, sum)) {
        dataSet.Memories[kMemoryA].OnChecksumUnknown();
        return Result::failure(QStringLiteral("Couldn't read swap file."));
    }
    dataSet.Memories[kMemoryA].OnChecksum(sum);
    return Result::success();
}

} // namespace zelmo::editor
