#pragma once

// The simulator's configuration file (ZELMO_SIM_CONFIG, default Lib/simulator.ini in the
// application directory): how many programmers are attached and how each behaves. Described
// with an example in docs/simulator.md. A missing file means one card-capable programmer.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace hwsim {

// A cell that always reads the same value: memory 0-3 (A-D), byte address, value.
struct StuckCell {
    int memory = 0;
    std::uint64_t address = 0;
    std::uint8_t value = 0;
};

// One poll of the scripted socket sensing: the socket pins (1-48) that sense a connection
// and the key code delivered with it (0 = none).
struct SocketStep {
    std::vector<int> pins;
    std::int8_t key = 0;
};

struct ProgrammerConfig {
    int port = 1;
    std::uint8_t model = 1;
    std::string name = "Zelmo 2 USB";
    std::string hardware = "1.0";
    std::string serial;
    std::optional<std::array<std::uint8_t, 4>> firmware; // none: the version of Lib/cpu.lib
    double speed = 4.0 * 1048576;                        // bytes per second
    int overheadMs = 20;                                 // fixed time of every operation
    int triggerMs = 1500; // production trigger after this long; 0 = only by file
    std::string chip;     // VENDOR:NAME:PACKAGE in the socket; "" = the operated one,
                          // "none" = empty socket
    bool card = true;
    std::string cardFile; // relative to the state folder; "" = card-<port>.img
    std::uint64_t cardSectors = 65536;
    bool cardLba = true;
    std::uint16_t cardFeatures = 0x3000; // ATA word 82 (command sets supported)
    std::string cardModel = "ZELMO SIMULATED CF";
    std::string cardSerial;
    bool busy = false;
    std::set<std::string> failures; // fault names, see docs/simulator.md
    std::vector<StuckCell> stuck;
    std::string pinCheck; // 48 letters, or "I:" + 6 letters; "" = all connected
    std::vector<SocketStep> scan;
    std::vector<std::uint8_t> setup; // bytes the device setup writes into area E

    bool fails(std::string_view what) const { return failures.count(std::string(what)) != 0; }
};

struct SimConfig {
    std::vector<ProgrammerConfig> programmers;
    std::vector<std::string> errors; // "line N: text"
};

// Parses the text of a configuration file.
SimConfig parseSimConfig(std::string_view text);
// Reads the file; a missing file gives the default of one programmer.
SimConfig loadSimConfig(const std::filesystem::path& file);

// "1.02.03.04" style version (first field decimal, the rest hexadecimal).
std::optional<std::array<std::uint8_t, 4>> parseVersion(std::string_view text);

} // namespace hwsim
