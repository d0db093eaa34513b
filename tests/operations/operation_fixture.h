#pragma once

// The device operations end to end: a project with devices from the shipped catalogue, the
// simulated programmers opened by the start-up session, and COperations running its threads
// with a main-thread executor under the test's QCoreApplication. Each test configures the
// simulator for itself and gets its own state folder, so chips never carry over.

#include "app/device_preparation.h"
#include "app/startup_session.h"
#include "common/temp_dir.h"
#include "operations/execution/operations.h"
#include "project/executor.h"
#include "project/project.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>
#include <string>
#include <vector>

namespace zelmo::test {

#define REQUIRE_SIMULATOR()                                                                        \
    if (appDir().isEmpty()) {                                                                      \
        GTEST_SKIP() << "needs ZELMO_BIN_DIR with libhardware.so";                                 \
    }

// The device most tests program: 8 KiB of EEPROM, and the name of its chip file.
inline constexpr char kEeprom[] = "ATM:AT28C64B:DIP28";
inline constexpr char kEepromFile[] = "ATM_AT28C64B_DIP28";
inline constexpr std::uint32_t kEepromSize = 8192;
// Where Serialize() puts the serial number in memory A.
inline constexpr std::uint32_t kSerialAt = 0x10;

// The simulator as fast as it goes: no preparation time, no operator cycle.
inline constexpr char kFastSimulator[] =
    "speed = 64M\noverhead_ms = 0\nprepare_ms = 0\ntrigger_ms = 0\n";

class OperationTest : public ::testing::Test {
protected:
    OperationTest();
    ~OperationTest() override;

    // The build's application directory, or empty when the simulator is not built.
    static QString appDir();
    // Writes the simulator configuration ("[simulator]" with `programmers` and the fast keys,
    // then `extra`), starts the libraries, opens the programmers and reads the catalogue.
    // False with a test failure when any step fails.
    bool Start(int programmers, const std::string& extra = {});
    // Adds a catalogue device ("VENDOR:NAME:PACKAGE") with one data set; its index, -1 on
    // failure.
    int AddDevice(const std::string& key);
    // Adds an EEPROM whose Program tab, selected, programs and verifies; in gang mode it is
    // served by the programmer at `programmer`.
    int AddEeprom(int programmer = -1);
    // Serial numbers of two bytes, binary, MSB first, at kSerialAt of memory A, kept in a file.
    void Serialize(int device, std::uint64_t first);
    // Assigns a binary file holding `bytes` to memory A of the device's selected data set.
    void AssignFile(int device, const std::vector<std::uint8_t>& bytes);
    // Devices counted good or bad.
    std::uint32_t Counted(int device) const;
    // Runs events until no operation thread is left (production threads excepted) and no
    // device is busy; false after `ms`.
    bool WaitIdle(int ms = 30000);
    // Runs events until `done` holds; false after `ms`.
    bool WaitFor(const std::function<bool()>& done, int ms = 30000);

    // The programmer at list position `position` and its simulator files.
    int Port(int position) const;
    std::filesystem::path PortDir(int position) const;
    // Replaces the programmer's control file in one step.
    void Control(int position, const std::string& text) const;
    // Memory A of the chip in the programmer's socket, as the simulator stores it.
    std::vector<std::uint8_t> ChipMemoryA(int position, const std::string& fileKey,
                                          std::uint32_t size) const;

    // Memory m of a device's selected data set.
    std::vector<std::uint8_t> Memory(int device, int m) const;
    void SetMemory(int device, int m, const std::vector<std::uint8_t>& bytes);

    // Log lines as "KIND text" with the kind in hexadecimal; headers as "KIND" alone.
    QStringList log;
    QStringList statusMessages;
    QStringList shownMessages;
    QStringList errors;
    QStringList questions;
    bool answer = true;
    std::vector<int> pinCheckViews;
    std::vector<std::pair<int, int>> completions; // (device number, code)

    TempDir home;
    TProject project;
    CMainThreadExecutor executor;
    CStartupSession session;
    COperations ops;
};

// Bytes of a recognisable pattern.
std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed);

} // namespace zelmo::test
