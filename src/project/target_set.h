#pragma once

// Writing the same bytes into every data set of a load's target set.

#include "project/project.h"

#include <cstdint>
#include <span>

namespace zelmo {

// A target set holding one data set.
TargetSet SingleTarget(CDataSet* dataSet);

// The targets of a load into `dataSet` of the active device: that data set alone, or, while
// devices are linked, the data set with the active device's selected index in every linked
// device that has one.
TargetSet LoadTargets(const TProject& project, CDataSet* dataSet);

// Number of non-null slots.
int TargetCount(const TargetSet& targets);

// Writes `bytes` at `offset` of memory m of every target; false when any write is refused or
// fails (the others are still written).
bool WriteTargets(const TargetSet& targets, int m, std::uint64_t offset,
                  std::span<const std::uint8_t> bytes);

} // namespace zelmo
