#include "app/elapsed_time.h"

namespace zelmo {

QString ElapsedTimeText(std::int64_t ms) {
    if (ms < 0) {
        ms = 0;
    }
    const auto hours = static_cast<long long>(ms / 3600000);
    ms %= 3600000;
    const auto minutes = static_cast<int>(ms / 60000);
    ms %= 60000;
    const auto seconds = static_cast<int>(ms / 1000);
    const auto tenths = static_cast<int>((ms % 1000) / 100);
    if (hours > 0) {
        return QString::asprintf("Elapsed time: %lld:%02d:%02d", hours, minutes, seconds);
    }
    if (minutes > 0) {
        return QString::asprintf("Elapsed time: %2d:%02d", minutes, seconds);
    }
    return QString::asprintf("Elapsed time: %2d.%1ds", seconds, tenths);
}

} // namespace zelmo
