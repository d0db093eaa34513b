#pragma once

// One simulated programmer: its identity and firmware, the device prepared for it, the
// operations it runs, its CompactFlash card and its socket sensing. Every call of one port is
// served here; ports share nothing but the message board, so they run in parallel.

#include "card_image.h"
#include "catalogue_file.h"
#include "message_board.h"
#include "sim_config.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
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

    // Operations.
    bool busy() const { return config_.busy || prepared_.load(); }
    int status() const { return status_.load(); }
    int progress(double* percent, bool cancel, std::uint8_t* trigger);
    // socketId: what a Check ID reads from the chip in the socket; socketEmpty: no chip.
    bool initLib(const CatalogueDevice& device, const std::string& libraryName,
                 const OperationBlock& block, const ZmDataSetStorage* storage,
                 const std::vector<std::uint8_t>& socketId, bool socketEmpty);
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

private:
    // Work done by the operations; the runner lives in operation_runner.cpp.
    friend class OperationRunner;

    struct Job {
        CatalogueDevice device;
        OperationBlock block{};
        ZmDataSetStorage storage{};
        bool hasStorage = false;
        std::vector<std::uint8_t> socketId;
        bool socketEmpty = false;
        std::vector<std::uint8_t> code;
    };

    void fail(std::vector<Message>& log, std::string text) const;
    std::filesystem::path portDir() const;

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
    std::atomic<bool> prepared_{false};
    std::atomic<int> status_{0};
    std::atomic<double> progress_{0.0};
    std::atomic<bool> processing_{false};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> armed_{false};     // production mode: waiting for the next device
    std::atomic<bool> triggered_{false}; // the trigger was delivered for this wait
    std::atomic<std::int64_t> armedAtMs_{0};

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
