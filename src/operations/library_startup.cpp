#include "operations/library_startup.h"

namespace zelmo {

LibraryStartup StartLibraries(const QString& appDir, std::uint8_t debugMode,
                              HardwareBinding& hardware, RemoteControlBinding& remote) {
    LibraryStartup startup;
    startup.Log.push_back(QStringLiteral("Initializing libraries."));
    const BindResult bound = hardware.bind(appDir);
    if (!bound.ok) {
        startup.Failed = true;
        startup.ErrorBoxText = bound.message;
        return startup;
    }
    const BindResult rc = remote.bind(appDir);
    if (!rc.ok) {
        startup.Failed = true;
        startup.ErrorBoxText = rc.message;
        return startup;
    }
    startup.RemoteLoaded = remote.isLoaded();
    if (startup.RemoteLoaded) {
        startup.Log.push_back(QStringLiteral("Remote control library loaded."));
    }
    // The library takes the folder with its trailing separator.
    const QString dir = appDir.endsWith(QLatin1Char('/')) ? appDir : appDir + QLatin1Char('/');
    hardware.api().ZmInit(debugMode);
    hardware.api().ZmSetPath(reinterpret_cast<const char16_t*>(dir.utf16()));
    return startup;
}

} // namespace zelmo
