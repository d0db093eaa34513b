#pragma once

// The search tools bound to data sets: the scans of buffer_search.h over a memory's bytes, with
// the bookkeeping every buffer writer keeps.

#include "editor/buffer_search.h"

#include <cstdint>
#include <optional>

namespace zelmo {
class CDataSet;
}

namespace zelmo::editor {

// Find next difference between memory `memory` of `shown` and of `target`, reading both swap
// files in 64 KiB pieces from the start offset that `cursor` gives. Read errors end the scan.
std::optional<std::uint64_t> findNextDifference(const CDataSet& shown, const CDataSet& target,
                                                int memory, std::uint64_t cursor);

// One Replace press over memory `memory` of `dataSet`, whose bytes are `buffer` (a span inside
// the dialog's mapping). After at least one replacement the memory counts as edited.
ReplaceOutcome replaceInDataSet(CDataSet& dataSet, int memory, std::span<std::uint8_t> buffer,
                                const ReplaceRequest& request, std::size_t cursor, bool& restart);

} // namespace zelmo::editor
