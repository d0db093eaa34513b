#pragma once

// Where the application keeps the user's files.

#include <QString>

namespace zelmo {

// The "TERVANIK/Zelmo2/" folder in the user's application-data folder, created when missing,
// with a trailing "/"; empty when there is no application-data folder or it cannot be made.
QString UserDataFolder();

} // namespace zelmo
