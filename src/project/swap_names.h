#pragma once

// Names of the files a project keeps in its swap directory, and the conversion of the
// program's paths to file-system paths.

#include <QString>

#include <cstdint>
#include <filesystem>

namespace zelmo {

// "opt%04X.swp": a device's option file (statistics and description).
QString OptionFileName(std::uint16_t optId);
// "buf%04X.swp": a data set's buffer swap file.
QString SwapFileName(std::uint16_t swapId);
// The folder with a trailing "/" (an empty folder stays empty).
QString WithTrailingSlash(const QString& folder);
// A path in the file system's encoding.
std::filesystem::path LocalPath(const QString& path);

} // namespace zelmo
