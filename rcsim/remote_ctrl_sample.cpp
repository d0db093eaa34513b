// Sample remote-control library: a line controller drives the application through files in one
// folder, so any script or PLC gateway that can create and read files can take part.
//
// Folder: $ZELMO_RC_DIR, else $XDG_RUNTIME_DIR/zelmo2-rc, else /tmp/zelmo2-rc.
//   active         created by "Init", removed by "Free": the application is listening.
//   start<N>       a trigger written by the controller; "CheckStatus" with slot N consumes it
//                  (removes it) and answers 1, so one trigger starts exactly one operation.
//   results.log    "Result" appends one line per finished operation:
//                  <UTC time>\t<slot>\t<status>\t<outcome>
//                  outcome is "good" (0), "pin-check" (0x100), "cancelled" (0x800) or "bad".
//
// Only the C++ standard library is used; every call is safe from several threads at once.

#include "abi/remote_api.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

std::mutex resultsLock;

fs::path controlFolder() {
    if (const char* dir = std::getenv("ZELMO_RC_DIR"); dir != nullptr && *dir != '\0') {
        return fs::path(dir);
    }
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run != nullptr && *run != '\0') {
        return fs::path(run) / "zelmo2-rc";
    }
    return fs::path("/tmp/zelmo2-rc");
}

const char* outcomeOf(std::int32_t status) {
    switch (status) {
    case ZELMO_RC_STATUS_SUCCESS:
        return "good";
    case ZELMO_RC_STATUS_PIN_CHECK:
        return "pin-check";
    case ZELMO_RC_STATUS_CANCELLED:
        return "cancelled";
    default:
        return "bad";
    }
}

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void Init(void) {
    std::error_code ec;
    const fs::path folder = controlFolder();
    fs::create_directories(folder, ec);
    if (std::FILE* f = std::fopen((folder / "active").c_str(), "w")) {
        std::fclose(f);
    }
}

__attribute__((visibility("default"))) void Free(void) {
    std::error_code ec;
    fs::remove(controlFolder() / "active", ec);
}

__attribute__((visibility("default"))) int32_t CheckStatus(int32_t slot) {
    if (slot < 0) {
        return 0;
    }
    // Removing the trigger is the atomic test-and-clear: of two racing callers only one
    // succeeds, and a controller that writes the trigger again later starts one more run.
    std::error_code ec;
    const bool removed = fs::remove(controlFolder() / ("start" + std::to_string(slot)), ec);
    return removed && !ec ? 1 : 0;
}

__attribute__((visibility("default"))) void Result(int32_t slot, int32_t status) {
    const std::string line = utcNow() + "\t" + std::to_string(slot) + "\t" +
                             std::to_string(status) + "\t" + outcomeOf(status) + "\n";
    const std::lock_guard<std::mutex> guard(resultsLock);
    std::error_code ec;
    const fs::path folder = controlFolder();
    fs::create_directories(folder, ec);
    if (std::FILE* f = std::fopen((folder / "results.log").c_str(), "a")) {
        std::fputs(line.c_str(), f);
        std::fclose(f);
    }
}

} // extern "C"
