#include "project/project.h"

#include "serialization/serialization.h"

namespace zelmo {

namespace {
// Background of a memory's cells until the hardware library describes the memory; the buffer
// views use the same pale yellow beyond a memory's end.
constexpr std::uint32_t kUndescribedColour = 0x00E1FFFF;
} // namespace

CDevice::CDevice() {
    for (BufferInfo& buffer : Buffers) {
        buffer.Color = kUndescribedColour;
    }
}

CDevice::~CDevice() = default;

} // namespace zelmo
