// Feeds arbitrary text to the JEDEC reader with a small fuse map and vector area, and writes the
// result back out; nothing may land outside the two memories.

#include "formats/jedec.h"
#include "formats/text_output.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelmo::formats;
    if (size < 2) {
        return 0;
    }
    const std::size_t fuses = data[0] * 3u;
    const std::size_t vectors = (data[1] % 5) * kVectorSlot + data[1] / 64;
    std::vector<std::uint8_t> a(fuses + 2, 0xA5), b(vectors + 2, 0xA5);
    const JedecTarget target{std::span(a).subspan(1, fuses), std::span(b).subspan(1, vectors)};
    const JedecLoadResult r =
        readJedec(std::span(reinterpret_cast<const char*>(data + 2), size - 2),
                  std::span(&target, 1), static_cast<std::uint8_t>(data[1] & 0x3F));
    if (a.front() != 0xA5 || a.back() != 0xA5 || b.front() != 0xA5 || b.back() != 0xA5) {
        std::abort();
    }
    if (r.ok) {
        JedecHeader header;
        header.pins = static_cast<std::uint8_t>(data[1] & 0x3F);
        StringOutput out;
        writeJedec(target.fuses, target.vectors, header, out.out());
    }
    return 0;
}
