#pragma once

// The installation record that the maker's other tools read to find the application: values
// "Location" (the application directory) and "Signature" ("zelmo2u") in the settings record
// "Zelmo 2 (USB)" of organisation "TERVANIK". Each value is written only when it differs.

#include "platform/result.h"

#include <QString>

namespace zelmo {

inline constexpr char kRegistryWarning[] =
    "Could not access registry.\nExecute the software with administrative rights.";
inline constexpr char kInstallationSignature[] = "zelmo2u";

// Brings the record up to date for `appDir`; the failure carries the warning text.
Result RecordInstallation(const QString& appDir);

} // namespace zelmo
