#pragma once

// One simulated programmer: its identity and firmware, the device prepared for it, the
// operations it runs, the chip in its socket, its CompactFlash card and its socket sensing.
// Every call of one port is served here; ports share nothing but the message board, so they
// run in parallel.
//
// What the programmer does is its configuration with its control file (<port folder>/
// control.ini) applied over it. The control file is read again at every operation start,
// every trigger poll of a production wait, every busy query and every card call, so a test
// or a person can change the scenario while the application runs.

#include "card_image.h"
#include "catalogue_file.h"
#include "message_board.h"
#include "sim_config.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace hwsim {

class Programmer {
public:
    Programmer(ProgrammerConfig config, std::filesystem::path stateDir,
               std::array<std::uint8_t, 4> defaultFirmware, MessageBoard& board);

    int port() const { return config_.port; }
    const ProgrammerConfig& config() const { return config_; }
    // The folder of this programmer's chips, firmware, control and status files.
    std::filesystem::path portDir() const;

    // Identity and firmware.
    bool open(int listPosition);
    void close();
    bool isOpen() const { return open_.load(); }
    bool type(std::uint8_t* model, char* name, char* version, char* serial);
    void setHardwareType(std::uint8_t model);
    bool checkFirmware(const std::filesystem::path& image, std::uint8_t* available,
                       std::uint8_t* current);
    bool loadFirmware(const std::filesystem::path& image);
    bool updateFirmware(const std::filesystem::path& updater);
    bool initHardware();
    void closeHardware();

    // Operations, in the order a real programmer needs them: initLib, makeCode, runCode,
    // processOps (again runCode and processOps per device in production mode), freeLib.
    bool busy();
    int status() const { return status_.load(); }
    int progress(double* percent, bool cancel, std::uint8_t* trigger);
    // socketId: what a Check ID reads from the chip in the socket; socketEmpty: no chip.
    // design: the assigned file of a device programmed from a file ("" = none).
    bool initLib(const CatalogueDevice& device, const std::string& libraryName,
                 const OperationBlock& block, const ZmDataSetStorage* storage,
                 const std::vector<std::uint8_t>& socketId, bool socketEmpty,
                 std::optional<std::string> design);
    bool makeCode();
    void runCode();
    void processOps(bool stop);
    std::int32_t code(std::uint8_t* buffer);
    void pinCheckResult(ZmPinCheckResult* out);
    void deviceSetup();
    void freeLib();

    // CompactFlash card.
    bool cardInserted();
    bool identifyCard(std::uint8_t* block);
    bool cardTransfer(int command, std::uint32_t first, std::uint32_t count, std::uint8_t* read,
                      const std::uint8_t* write);

    // Socket sensing for the adapter scan.
    bool socket(int command, ZmSocketState* state);

    // The behaviour in force, with the control file read again.
    std::shared_ptr<const ProgrammerConfig> refresh();

private:
    // Work done by the operations; the runner lives in operation_runner.cpp.
    friend class OperationRunner;

    // Where the prepared job stands. Calls out of this order fail with a message.
    enum class Stage {
        Idle,     // nothing prepared
        Prepared, // _ZmInitLib done
        Coded,    // _ZmMakeCode done (production: also between devices)
        Armed,    // _ZmRunCode done: running for the application, waiting in production
        Running,  // _ZmProcessOps runs the operations
        Done,     // the operations of a single run ended; the programmer is free
    };

    struct Job {
        CatalogueDevice device;
        OperationBlock block{};
        ZmDataSetStorage storage{};
        bool hasStorage = false;
        std::vector<std::uint8_t> socketId;
        bool chipNone = false;             // the configuration's socket holds no chip
        bool socketEmpty = false;          // no chip in the socket for the current run
        std::optional<std::string> design; // assigned file; none = no entry handed over
        std::vector<std::uint8_t> code;
        bool codeTaken = false; // the programmer has taken the code (first run done)
    };

    bool production() const;
    void fail(std::vector<Message>& log, std::string text) const;
    void orderError(const char* text);
    std::filesystem::path cardPath(const ProgrammerConfig& config) const;
    bool cardAvailable(const ProgrammerConfig& config, std::string& why) const;
    void writeStatusFile(int result);

    // Scenario state; all under sceneMutex_.
    std::shared_ptr<const ProgrammerConfig> refreshLocked();
    void insertChipLocked();
    bool chipPresentLocked() const;
    void controlMessages(std::vector<Message>& log) const;

    ProgrammerConfig config_;
    std::filesystem::path stateDir_;
    MessageBoard& board_;

    std::mutex identityMutex_; // open, type, firmware
    std::atomic<bool> open_{false};
    std::array<std::uint8_t, 4> firmware_{};
    std::optional<std::array<std::uint8_t, 4>> loadedFirmware_;
    std::uint8_t model_ = 0;

    std::mutex workMutex_; // the prepared job and the running operations
    Job job_;
    ZmPinCheckResult pinCheck_{};
    std::atomic<Stage> stage_{Stage::Idle};
    std::atomic<int> status_{0};
    std::atomic<double> progress_{0.0};
    std::atomic<bool> preparing_{false}; // the programmer takes the code: spinner only
    std::atomic<bool> cancel_{false};

    mutable std::mutex sceneMutex_; // taken after workMutex_ where both are needed
    std::shared_ptr<const ProgrammerConfig> current_;
    std::vector<std::string> controlErrors_;
    bool controlRead_ = false;
    std::string socketLabel_;        // the control file's socket label last seen
    std::uint64_t pressesSeen_ = 0;  // the control file's press count last seen
    bool chipOut_ = false;           // the control file took the chip out
    std::uint64_t insertions_ = 0;   // chips inserted since the library started
    std::uint64_t runInsertion_ = 0; // insertions_ at the last run or the production start
    std::uint64_t pendingPresses_ = 0;
    std::size_t timedInsertions_ = 0; // insert_ms entries already done
    std::int64_t productionStartMs_ = 0;
    std::int64_t armedAtMs_ = 0;
    bool cycled_ = false;    // the timed cycle of this production wait happened
    bool triggered_ = false; // the trigger was delivered for this wait
    std::uint64_t runs_ = 0; // runs since the library started

    std::mutex cardMutex_;
    CardImage card_;
    bool cardOpen_ = false;

    std::mutex socketMutex_;
    bool sensing_ = false;
    std::size_t scanStep_ = 0;
};

// Milliseconds of the steady clock.
std::int64_t nowMs();

} // namespace hwsim
