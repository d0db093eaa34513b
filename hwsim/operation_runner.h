#pragma once

// Runs the operations of a prepared job on the simulated chip: pin check, Check ID, Read,
// Erase, Blank check, Program, Verify, Configure and Test, in that order, taking time in
// proportion to the bytes they move and honouring the cancel request between pieces. The
// run's outcome (from the scenario) adds its faults, a slower pace or a cancel on top of the
// programmer's configuration.

#include "chip_image.h"
#include "programmer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hwsim {

class OperationRunner {
public:
    OperationRunner(Programmer& programmer, const ProgrammerConfig& config,
                    const RunOutcome& outcome);

    // Runs every requested operation; returns the final status word.
    int run();

    // The deterministic stand-alone code of a job (header plus a body seeded by the device and
    // the data set's contents); empty when the data set cannot be read.
    static std::vector<std::uint8_t> generateCode(const Programmer::Job& job);

    // Status of a pin check asked of a device that cannot check its pins: a failure that is
    // not the contact failure 0x100.
    static constexpr int kPinCheckUnsupported = 0x1000;

private:
    int pinCheck();
    int checkId();
    int read();
    int erase();
    int blankCheck();
    int program();
    int verify();
    int configure();
    int test();
    // Devices programmed from their assigned file keep only the design's size and checksum.
    int programDesign();
    int verifyDesign();
    // Reads the assigned file in pieces into its design record "size crc"; 0, or `bit` with
    // the message "<failed>: ..." when there is no readable file, or ZM_STATUS_CANCELLED.
    int readDesign(int bit, const std::string& failed, std::string& record);

    bool fails(std::string_view what) const;
    bool fromFile() const;
    bool selected(int m) const;
    bool writable(int m) const;
    std::string memoryName(int m) const;
    std::uint64_t workUnits(std::uint32_t operations) const;
    // Accounts for `units` of work and waits until the simulated time has caught up; false
    // when the operation was cancelled meanwhile.
    bool advance(std::uint64_t units);
    bool cancelled() const;
    // The programmer takes the code before the first run: time passes without a percentage.
    bool takeCode();
    void beginOperation();
    // Walks `size` bytes in pieces: `work(at, n)` returns 0 or a failure status; every piece
    // counts size/divisor work units. Returns 0, the failure or ZM_STATUS_CANCELLED.
    template <typename Work>
    int pieces(std::uint64_t size, std::size_t piece, Work&& work, std::uint64_t divisor = 1);
    void note(Message message);
    int failWith(int bit, std::string text);
    bool readDataSet(int m, std::uint64_t offset, std::span<std::uint8_t> out);
    bool writeDataSet(int m, std::uint64_t offset, std::span<const std::uint8_t> bytes);
    bool openChip();
    std::filesystem::path designFile() const;

    Programmer& p_;
    const Programmer::Job& job_;
    const ProgrammerConfig& config_;
    const RunOutcome& outcome_;
    ChipImage chip_;
    double speed_ = 1.0;  // bytes per second of this run
    double overhead_ = 0; // milliseconds per operation of this run
    std::size_t chunk_ = 65536;
    std::uint64_t total_ = 1;
    std::uint64_t done_ = 0;
    std::int64_t startMs_ = 0;
    std::int64_t overheadMs_ = 0;
    bool cancelledByOutcome_ = false;
};

} // namespace hwsim
