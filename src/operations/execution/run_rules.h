#pragma once

// The rules of the operation tabs without widgets: which tab a click on the tab strip picks,
// the single operations with their progress texts and confirmations, and which operation
// buttons, Run and Auto are enabled.

#include <array>
#include <cstdint>

namespace zelmo {

class CProgrammers;
class TProject;

// The tab a click at height y (pixels from the strip's top) selects: Program, Read and Erase
// from the top in rows of 20 pixels, Single anywhere else.
std::uint8_t TabAtHeight(int y);

// One button of the Single tab.
struct SingleOperationInfo {
    int Tag;           // 1 to 8
    std::uint32_t Bit; // its operation bit
    const char* Text;  // status and log text while it runs
    bool Confirm;      // asks "Are you sure?" when SafeMode is on (Erase, Program, Configure)
};
extern const std::array<SingleOperationInfo, 8> kSingleOperations;
// The single operation with this tag, or null.
const SingleOperationInfo* SingleOperationForTag(int tag);

struct OperationButtons {
    // Enabled state of the button of each operation bit 0x01 to 0x80 (index = bit position).
    std::array<bool, 8> Operation{};
    bool Run = false;
    bool Auto = false;

    bool Enabled(std::uint32_t bit) const;
    bool operator==(const OperationButtons&) const = default;
};

// The enabled states for the active device and its selected tab.
OperationButtons ComputeOperationButtons(const TProject& project, const CProgrammers& programmers);

} // namespace zelmo
