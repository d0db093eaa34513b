#pragma once

// The library steps of the application's one-shot initialization: bind the hardware library,
// then the optional remote-control library, then start the hardware library with the debug
// flag and the application directory. The caller logs the returned lines (plain entries) and,
// when Failed is set with an ErrorBoxText, shows that text in an error box titled "Error" and
// terminates.

#include "operations/hardware_binding.h"
#include "operations/remote_binding.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace zelmo {

struct LibraryStartup {
    bool Failed = false;       // the application must close
    QString ErrorBoxText;      // "Missing ..." / "Incorrect ..." for the "Error" box
    bool RemoteLoaded = false; // false: the remote-control setting is off for this run
    std::vector<QString> Log;  // plain log entries, in order
};

LibraryStartup StartLibraries(const QString& appDir, std::uint8_t debugMode,
                              HardwareBinding& hardware, RemoteControlBinding& remote);

} // namespace zelmo
