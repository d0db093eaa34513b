#pragma once

// Runs the operations of a prepared job on the simulated chip: pin check, Check ID, Read,
// Erase, Blank check, Program, Verify, Configure and Test, in that order, taking time in
// proportion to the bytes they move and honouring the cancel request between pieces.

#include "chip_image.h"
#include "programmer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hwsim {

class OperationRunner {
public:
    explicit OperationRunner(Programmer& programmer);

    // Runs every requested operation; returns the final status word.
    int run();

    // The deterministic stand-alone code of a job (header plus a body seeded by the device and
    // the data set's contents); empty when the data set cannot be read.
    static std::vector<std::uint8_t> generateCode(const Programmer::Job& job);

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

    bool selected(int m) const;
    bool writable(int m) const;
    std::string memoryName(int m) const;
    std::uint64_t workUnits(std::uint32_t operations) const;
    // Accounts for `units` of work and waits until the simulated time has caught up; false
    // when the operation was cancelled meanwhile.
    bool advance(std::uint64_t units);
    void beginOperation();
    void note(Message message);
    int failWith(int bit, std::string text);
    bool readDataSet(int m, std::uint64_t offset, std::span<std::uint8_t> out);
    bool writeDataSet(int m, std::uint64_t offset, std::span<const std::uint8_t> bytes);

    Programmer& p_;
    const Programmer::Job& job_;
    const ProgrammerConfig& config_;
    ChipImage chip_;
    std::size_t chunk_ = 65536;
    std::uint64_t total_ = 1;
    std::uint64_t done_ = 0;
    std::int64_t startMs_ = 0;
    std::int64_t overheadMs_ = 0;
};

} // namespace hwsim
