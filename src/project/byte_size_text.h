#pragma once

// The short byte-size text of the desktop shell: three significant digits, truncated, with a
// binary unit ("1.00 KB", "64.0 KB", "132 MB", "0.97 MB"); below 1024 the count and " bytes".

#include <QString>

#include <cstdint>

namespace zelmo {

QString ByteSizeText(std::uint64_t bytes);

} // namespace zelmo
