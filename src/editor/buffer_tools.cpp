#include "editor/buffer_tools.h"

#include "project/project.h"

#include <algorithm>

namespace zelmo::editor {

namespace {
PieceReader readerOf(const CDataSet& dataSet, int memory) {
    return [&dataSet, memory](std::uint64_t offset, std::span<std::uint8_t> bytes) -> std::size_t {
        const std::uint64_t size = dataSet.MemSize(memory);
        if (offset >= size) {
            return 0;
        }
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), size - offset));
        return dataSet.Read(memory, offset, bytes.first(n)) ? n : 0;
    };
}
} // namespace

std::optional<std::uint64_t> findNextDifference(const CDataSet& shown, const CDataSet& target,
                                                int memory, std::uint64_t cursor) {
    // Both data sets belong to one device, so the memory has one size in both.
    const std::uint64_t size = std::min(shown.MemSize(memory), target.MemSize(memory));
    return findNextDifference(readerOf(shown, memory), readerOf(target, memory), cursor, size);
}

ReplaceOutcome replaceInDataSet(CDataSet& dataSet, int memory, std::span<std::uint8_t> buffer,
                                const ReplaceRequest& request, std::size_t cursor, bool& restart) {
    ReplaceOutcome outcome = replaceInBuffer(buffer, request, cursor, restart);
    if (outcome.Count > 0 && memory >= 0 && memory < kMemories) {
        dataSet.Memories[static_cast<std::size_t>(memory)].OnEdited();
    }
    return outcome;
}

} // namespace zelmo::editor
