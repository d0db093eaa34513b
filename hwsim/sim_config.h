#pragma once

// The simulator's configuration file (ZELMO_SIM_CONFIG, default Lib/simulator.ini in the
// application directory): how many programmers are attached and how each behaves, and the
// control file of each programmer, which changes that behaviour while the library runs.
// Both are described with examples in docs/simulator.md. A missing configuration file means
// one card-capable programmer.

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

// What one run (one _ZmProcessOps that runs operations) does differently from a clean run.
struct RunOutcome {
    std::set<std::string> faults; // operation faults, the names of `fail`
    int verifyMemory = -1;        // verify fails at this cell of memory 0-3 (-1 = none)
    std::uint64_t verifyAddress = 0;
    std::vector<int> noContact;    // pin check: socket pins 1-48, or in-circuit signals S0-S5
                                   // as 100 + n
    double slow = 1.0;             // the run takes this many times as long
    double cancelAtPercent = -1.0; // the run is cancelled at this progress (-1 = not)

    // Adds what another matching rule asks for.
    void merge(const RunOutcome& other);
};

// "run N = ...", "run N-M = ..." or "run N+ = ...": the outcome of the runs first to last.
struct RunRule {
    std::uint64_t first = 1;
    std::uint64_t last = 1; // UINT64_MAX for "N+"
    RunOutcome outcome;
};

struct ProgrammerConfig {
    int port = 1;
    std::uint8_t model = 1;
    std::string name = "Zelmo 2 USB";
    std::string hardware = "1.0";
    std::string serial;
    std::optional<std::array<std::uint8_t, 4>> firmware; // none: the version of Lib/cpu.lib
    double speed = 256.0 * 1024;                         // bytes per second
    double speedFactor = 1.0;                            // divides every operation time
    int overheadMs = 20;                                 // fixed time of every operation
    int prepareMs = 150;  // the programmer takes the code before the first run (spinner only)
    int triggerMs = 1500; // production: a new chip (and in mode 2 a press) this long after
                          // each wait begins; 0 = only by the control file or trigger file
    std::vector<std::uint64_t> insertMs; // production: new chips this long after its start
    std::string chip;   // VENDOR:NAME:PACKAGE in the socket; "" = the operated one,
                        // "none" = empty socket
    std::string socket; // control file: label of the chip in the socket; a new label is a
                        // new chip, "none" takes it out; "" = not given
    std::optional<std::uint64_t> presses; // control file: OK-button presses so far
    std::string content; // file whose bytes every new chip holds (memories A-D back to back)
    std::vector<RunRule> runs;
    bool card = true;
    std::string cardFile; // relative to the state folder; "" = card-<port>.img
    std::uint64_t cardSectors = 65536;
    bool cardLba = true;
    std::uint16_t cardFeatures = 0x3000; // ATA word 82 (command sets supported)
    std::string cardModel = "ZELMO SIMULATED CF";
    std::string cardSerial;
    std::string cardFirmware = "ZS1.00"; // firmware revision of the identification block
    bool busy = false;
    std::set<std::string> failures; // fault names, see docs/simulator.md
    std::vector<StuckCell> stuck;
    std::string pinCheck; // 48 letters, or "I:" + 6 letters; "" = all connected
    std::vector<SocketStep> scan;
    std::vector<std::uint8_t> setup; // bytes the device setup writes into area E

    bool fails(std::string_view what) const { return failures.count(std::string(what)) != 0; }
    bool cardCapable() const { return model == kCardModel; }
    // The merged outcome of every rule that matches run number n (1-based).
    RunOutcome outcome(std::uint64_t n) const;

    static constexpr std::uint8_t kCardModel = 1;
};

struct SimConfig {
    std::vector<ProgrammerConfig> programmers;
    // Catalogue served instead of the file the application names: "" = that file,
    // "unreadable", "no_devices", or another file (relative to the application directory).
    std::string catalogue;
    std::vector<std::string> errors; // "line N: text"
};

// Parses the text of a configuration file.
SimConfig parseSimConfig(std::string_view text);
// Reads the file; a missing file gives the default of one programmer. A file that is not a
// regular file or is too large is reported in `errors` and read as empty.
SimConfig loadSimConfig(const std::filesystem::path& file);

// The behaviour of one programmer with its control file applied over its configuration.
struct ControlResult {
    ProgrammerConfig config;
    std::vector<std::string> errors; // "line N: text"
};
// Applies the text of a control file: the keys of a [programmer N] section that describe
// behaviour, plus socket, press and run rules. Identity keys cannot change at run time.
ControlResult applyControl(const ProgrammerConfig& base, std::string_view text);

// "1.02.03.04" style version (first field decimal, the rest hexadecimal).
std::optional<std::array<std::uint8_t, 4>> parseVersion(std::string_view text);

} // namespace hwsim
