#pragma once

// The start-up of the hardware side, without widgets: bind the hardware library (and the
// optional remote-control library), start it with the debug flag and the application
// directory, find and open the programmers and check their firmware, and have the library read
// the device catalogue. The main window and zelmo2-cli both run it; every log line goes to the
// caller's log sink, and the message dialogs and the firmware question go to the caller's
// callbacks, so the steps read the same wherever they run. The session owns the bindings and
// frees the library when it ends.

#include "app/log_kind.h"
#include "catalogue/catalogue_list.h"
#include "operations/hardware_binding.h"
#include "operations/remote_binding.h"
#include "platform/result.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace zelmo {

// Where the session's reports go. Every member may be empty: lines are then dropped, messages
// are not shown and questions are answered "Cancel".
struct StartupHost {
    std::function<void(LogKind kind, const QString& text)> Log;
    // The message dialog with the warning icon and OK.
    std::function<void(const QString& text)> ShowMessage;
    // The message dialog with the question icon, OK and Cancel; true for OK.
    std::function<bool(const QString& question)> Confirm;
};

class CStartupSession {
public:
    explicit CStartupSession(StartupHost host = {});
    ~CStartupSession();
    CStartupSession(const CStartupSession&) = delete;
    CStartupSession& operator=(const CStartupSession&) = delete;

    // Logs "Initializing libraries.", binds both libraries from `appDir` and starts the hardware
    // library (_ZmInit, _ZmSetPath). A failure carries the text of the "Error" box; the
    // application then terminates.
    Result StartLibraries(const QString& appDir, std::uint8_t debugMode = 0);

    // Finds the programmers (only `forcedPort` when it is 0 or more), opens each, reads its
    // type, checks its firmware (offering the update) and prepares it; with two or more, sorts
    // them by serial number and decides whether gang mode is possible. False when the
    // application must close (InitFailed); no programmers is demo mode, not a failure.
    bool FindProgrammers(int forcedPort = -1);

    // Logs "Reading configuration files." and has the library read "Lib/ConfigLib.lib" of the
    // application directory, logging the outcome as details. ok only with at least one device.
    CatalogueLoadResult LoadCatalogue();

    // Closes the opened programmers and frees the library; the destructor does it too.
    void Close();

    bool Started() const { return started_; }
    const QString& AppDir() const { return appDir_; }
    const HardwareEntryPoints& Api() const { return hardware_.api(); }
    const RemoteControlBinding& Remote() const { return remote_; }
    bool RemoteLoaded() const { return remote_.isLoaded(); }
    const CCatalogue& Catalogue() const { return catalogue_; }
    const std::vector<ProgrammerInfo>& Programmers() const { return programmers_; }
    bool GangCapable() const { return gangCapable_; }
    // Port of each programmer (two or more attached) to its assigned device, -1 for none.
    const std::map<std::uint8_t, std::int32_t>& Assignment() const { return assignment_; }

private:
    void log(LogKind kind, const QString& text) const;
    void show(const QString& text) const;
    bool updateFirmware();

    StartupHost host_;
    HardwareBinding hardware_;
    RemoteControlBinding remote_;
    CCatalogue catalogue_;
    QString appDir_;
    bool started_ = false;
    std::vector<ProgrammerInfo> programmers_;
    std::vector<std::int32_t> opened_;
    bool gangCapable_ = false;
    std::map<std::uint8_t, std::int32_t> assignment_;
};

} // namespace zelmo
