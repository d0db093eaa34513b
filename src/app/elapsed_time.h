#pragma once

#include <QString>

#include <cstdint>

namespace zelmo {

// The elapsed-time text of an operation lasting `ms` milliseconds: "Elapsed time: h:mm:ss"
// from one hour, "Elapsed time: mm:ss" (minutes padded to two places) from one minute, else
// "Elapsed time: ss.ts" (seconds padded to two places, then tenths).
QString ElapsedTimeText(std::int64_t ms);

} // namespace zelmo
