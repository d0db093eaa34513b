#include "project/option_file.h"
#include "project/project.h"

namespace zelmo {

bool CStatistics::Read() {
    return OptFile != nullptr && ReadCounter(*OptFile, kGoodOffset, Good) &&
           ReadCounter(*OptFile, kBadOffset, Bad);
}

bool CStatistics::Count(bool success) {
    if (success) {
        ++Good;
    } else {
        ++Bad;
    }
    return OptFile != nullptr && WriteCounter(*OptFile, kGoodOffset, Good) &&
           WriteCounter(*OptFile, kBadOffset, Bad);
}

bool CStatistics::Clear() {
    Good = 0;
    Bad = 0;
    return OptFile != nullptr && WriteCounter(*OptFile, kGoodOffset, Good) &&
           WriteCounter(*OptFile, kBadOffset, Bad);
}

} // namespace zelmo
