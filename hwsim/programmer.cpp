#include "programmer.h"

#include "file_handle.h"
#include "firmware_image.h"
#include "operation_runner.h"
#include "text_util.h"

#include <cstring>
#include <fstream>

namespace hwsim {

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

std::string versionText(const std::array<std::uint8_t, 4>& v) {
    return format("%d.%02X.%02X.%02X", v[0], v[1], v[2], v[3]);
}

} // namespace

Programmer::Programmer(ProgrammerConfig config, std::filesystem::path stateDir,
                       std::array<std::uint8_t, 4> defaultFirmware, MessageBoard& board)
    : config_(std::move(config)), stateDir_(std::move(stateDir)), board_(board) {
    firmware_ = config_.firmware.value_or(defaultFirmware);
    // A firmware update done earlier stays in the programmer.
    std::ifstream stored(portDir() / "firmware");
    std::string line;
    if (stored && std::getline(stored, line)) {
        if (const auto v = parseVersion(line)) {
            firmware_ = *v;
        }
    }
    model_ = config_.model;
}

std::filesystem::path Programmer::portDir() const {
    return stateDir_ / ("port-" + std::to_string(config_.port));
}

void Programmer::fail(std::vector<Message>& log, std::string text) const {
    log.push_back(failure(std::move(text)));
}

bool Programmer::open(int listPosition) {
    std::lock_guard lock(identityMutex_);
    if (config_.fails("open")) {
        std::vector<Message> log{
            failure(format("Could not open programmer at USB#%d.", config_.port)),
            failure("Device not responding. Reconnect the programmer and try again.")};
        board_.set(config_.port, log);
        if (listPosition >= 0) {
            board_.set(listPosition, log);
        }
        return false;
    }
    board_.clear(config_.port);
    open_ = true;
    return true;
}

void Programmer::close() {
    std::lock_guard lock(identityMutex_);
    open_ = false;
}

bool Programmer::type(std::uint8_t* model, char* name, char* version, char* serial) {
    std::lock_guard lock(identityMutex_);
    if (!open_ || config_.fails("type")) {
        board_.set(config_.port, {failure("Could not read programmer signature.")});
        return false;
    }
    if (model != nullptr) {
        *model = config_.model;
    }
    putField(name, ZM_MODEL_NAME_SIZE, config_.name);
    putField(version, ZM_HW_VERSION_SIZE, config_.hardware);
    putField(serial, ZM_SERIAL_SIZE, config_.serial);
    return true;
}

void Programmer::setHardwareType(std::uint8_t model) {
    std::lock_guard lock(identityMutex_);
    model_ = model;
}

bool Programmer::checkFirmware(const std::filesystem::path& image, std::uint8_t* available,
                               std::uint8_t* current) {
    std::lock_guard lock(identityMutex_);
    const auto version = imageVersion(image, kFirmwareKind);
    if (!open_ || config_.fails("firmware_check") || !version) {
        board_.set(config_.port,
                   {failure(format("Could not check firmware with image '%s'.", image.c_str()))});
        return false;
    }
    if (available != nullptr) {
        std::memcpy(available, version->data(), 4);
    }
    if (current != nullptr) {
        std::memcpy(current, firmware_.data(), 4);
    }
    return true;
}

bool Programmer::loadFirmware(const std::filesystem::path& image) {
    std::lock_guard lock(identityMutex_);
    const auto version = imageVersion(image, kFirmwareKind);
    if (!open_ || config_.fails("firmware_load") || !version) {
        board_.set(config_.port, {failure("Firmware load error.")});
        return false;
    }
    loadedFirmware_ = version;
    board_.set(config_.port, {info("Firmware " + versionText(*version) + " loaded.")});
    return true;
}

bool Programmer::updateFirmware(const std::filesystem::path& updater) {
    std::lock_guard lock(identityMutex_);
    if (!open_ || config_.fails("firmware_update") || !loadedFirmware_ ||
        !imageVersion(updater, kUpdaterKind)) {
        board_.set(config_.port, {failure("Firmware update error.")});
        return false;
    }
    firmware_ = *loadedFirmware_;
    loadedFirmware_.reset();
    std::error_code ec;
    std::filesystem::create_directories(portDir(), ec);
    std::ofstream(portDir() / "firmware") << versionText(firmware_) << "\n";
    board_.set(config_.port, {info("Firmware updated to " + versionText(firmware_) + ".")});
    return true;
}

bool Programmer::initHardware() {
    if (!open_ || config_.fails("init_hardware")) {
        board_.set(config_.port,
                   {failure("Hardware initialization failed."),
                    failure("Check the programmer's power supply and USB connection.")});
        return false;
    }
    return true;
}

void Programmer::closeHardware() {
    std::lock_guard lock(socketMutex_);
    sensing_ = false;
}

int Programmer::progress(double* percent, bool cancel, std::uint8_t* trigger) {
    if (trigger != nullptr) {
        *trigger = 0;
    }
    if (cancel) {
        cancel_ = true;
        if (armed_ && !processing_) {
            // Cancelling a production wait ends it.
            armed_ = false;
            status_ = ZM_STATUS_CANCELLED;
        }
    }
    if (processing_) {
        if (percent != nullptr) {
            *percent = progress_.load();
        }
        return 0;
    }
    if (armed_) {
        if (!triggered_) {
            std::error_code ec;
            const auto file = stateDir_ / ("trigger-" + std::to_string(config_.port));
            const bool byFile = std::filesystem::remove(file, ec);
            const bool byTime =
                config_.triggerMs > 0 && nowMs() - armedAtMs_.load() >= config_.triggerMs;
            if (byFile || byTime) {
                triggered_ = true;
                if (trigger != nullptr) {
                    *trigger = 1;
                }
            }
        }
        return 1;
    }
    return -1;
}

bool Programmer::initLib(const CatalogueDevice& device, const std::string& libraryName,
                         const OperationBlock& block, const ZmDataSetStorage* storage,
                         const std::vector<std::uint8_t>& socketId, bool socketEmpty) {
    std::lock_guard lock(workMutex_);
    std::vector<Message> log;
    const int port = config_.port;
    const auto done = [&](bool ok) {
        board_.set(port, std::move(log));
        return ok;
    };
    if (!open_) {
        fail(log, format("Programmer at USB#%d is not open.", port));
        return done(false);
    }
    if (prepared_) {
        fail(log, format("Programmer at USB#%d is busy.", port));
        return done(false);
    }
    const std::string libName(
        getField(device.descriptor.LibName, sizeof device.descriptor.LibName));
    if (libraryName != libName) {
        fail(log, format("Algorithm library '%s' does not support %s.", libraryName.c_str(),
                         device.key().c_str()));
        return done(false);
    }
    if (config_.fails("init_lib")) {
        fail(log, format("Algorithm library '%s' could not be initialized.", libName.c_str()));
        return done(false);
    }
    bool needsStorage = false;
    for (std::uint32_t size : device.descriptor.MemSize) {
        needsStorage = needsStorage || size != 0;
    }
    if (needsStorage && storage == nullptr) {
        fail(log, "No data set storage given.");
        return done(false);
    }
    if (storage != nullptr) {
        const std::int64_t fileBytes = fileSize(storage->SwapFile);
        for (int m = 0; m < 5; ++m) {
            const std::uint64_t size = device.descriptor.MemSize[m];
            if (size == 0) {
                continue;
            }
            if (storage->MemSize[m] != size || storage->MemStart[m] < 0 || fileBytes < 0 ||
                static_cast<std::uint64_t>(storage->MemStart[m]) + size >
                    static_cast<std::uint64_t>(fileBytes)) {
                fail(log, "Data set storage does not hold the device's memories.");
                return done(false);
            }
        }
    }
    job_ = Job();
    job_.device = device;
    job_.block = block;
    job_.hasStorage = storage != nullptr;
    job_.socketId = socketId;
    job_.socketEmpty = socketEmpty;
    if (storage != nullptr) {
        job_.storage = *storage;
    }
    status_ = 0;
    progress_ = 0.0;
    armed_ = false;
    cancel_ = false;
    std::memset(&pinCheck_, 0, sizeof pinCheck_);
    prepared_ = true;
    return done(true);
}

void Programmer::freeLib() {
    std::lock_guard lock(workMutex_);
    armed_ = false;
    prepared_ = false;
    job_ = Job();
}

std::int32_t Programmer::code(std::uint8_t* buffer) {
    std::lock_guard lock(workMutex_);
    if (buffer != nullptr && !job_.code.empty()) {
        std::memcpy(buffer, job_.code.data(), job_.code.size());
    }
    return static_cast<std::int32_t>(job_.code.size());
}

void Programmer::pinCheckResult(ZmPinCheckResult* out) {
    std::lock_guard lock(workMutex_);
    if (out != nullptr) {
        *out = pinCheck_;
    }
}

void Programmer::runCode() {
    std::lock_guard lock(workMutex_);
    board_.clear(config_.port);
    cancel_ = false;
    triggered_ = false;
    status_ = -1;
    progress_ = 0.0;
    if (prepared_ && (job_.block.Mode == OPMODE_PRODUCTION_OK_BUTTON ||
                      job_.block.Mode == OPMODE_PRODUCTION_INSERTION)) {
        armedAtMs_ = nowMs();
        armed_ = true;
    }
}

bool Programmer::makeCode() {
    std::lock_guard lock(workMutex_);
    std::vector<Message> log;
    bool ok = false;
    if (!prepared_) {
        fail(log, "No device prepared.");
    } else if (config_.fails("make_code")) {
        fail(log, format("Code generation failed for %s.", job_.device.key().c_str()));
        fail(log, "The algorithm library reported an internal error.");
    } else if (job_.block.Mode == OPMODE_CARD_CODE) {
        job_.code = OperationRunner::generateCode(job_);
        ok = !job_.code.empty();
        if (!ok) {
            fail(log, "Code generation failed: the data set could not be read.");
        }
    } else {
        job_.code.clear();
        ok = true;
    }
    board_.set(config_.port, std::move(log));
    return ok;
}

void Programmer::processOps(bool stop) {
    if (stop) {
        // Ends a production wait without running anything.
        std::lock_guard lock(workMutex_);
        if (armed_ || status_ < 0) {
            status_ = ZM_STATUS_CANCELLED;
        }
        armed_ = false;
        return;
    }
    std::lock_guard lock(workMutex_);
    if (!prepared_) {
        board_.set(config_.port, {failure("No device prepared.")});
        status_ = ZM_STATUS_NOT_PREPARED;
        return;
    }
    armed_ = false;
    progress_ = 0.0;
    status_ = -1;
    processing_ = true;
    const int result = OperationRunner(*this).run();
    processing_ = false;
    if (result == ZM_STATUS_OK) {
        progress_ = 100.0;
    }
    const std::uint8_t mode = job_.block.Mode;
    if (mode != OPMODE_PRODUCTION_OK_BUTTON && mode != OPMODE_PRODUCTION_INSERTION) {
        prepared_ = false; // the programmer is free again; the results stay readable
    }
    status_ = result;
}

void Programmer::deviceSetup() {
    std::lock_guard lock(workMutex_);
    std::vector<Message> log;
    const std::uint32_t areaE = job_.device.descriptor.MemSize[4];
    if (!prepared_) {
        fail(log, "No device prepared for setup.");
    } else if (config_.fails("setup")) {
        fail(log, "Device setup failed.");
    } else if (config_.setup.empty()) {
        log.push_back(info("Device setup: nothing changed."));
    } else if (areaE == 0 || !job_.hasStorage) {
        fail(log, "The device has no setup area.");
    } else {
        const std::size_t n = std::min<std::size_t>(config_.setup.size(), areaE);
        if (writeAt(job_.storage.SwapFile, static_cast<std::uint64_t>(job_.storage.MemStart[4]),
                    {config_.setup.data(), n})) {
            log.push_back(info(format("Device setup stored (%zu bytes).", n)));
        } else {
            fail(log, "Could not store the device setup.");
        }
    }
    board_.set(config_.port, std::move(log));
}

bool Programmer::cardInserted() {
    return config_.card;
}

bool Programmer::identifyCard(std::uint8_t* block) {
    std::lock_guard lock(cardMutex_);
    if (!config_.card || config_.fails("card_identify") || block == nullptr) {
        board_.set(config_.port, {failure("Card identification error.")});
        return false;
    }
    if (!card_.isOpen()) {
        const auto file = config_.cardFile.empty()
                              ? stateDir_ / ("card-" + std::to_string(config_.port) + ".img")
                              : stateDir_ / config_.cardFile;
        if (!card_.open(file, config_.cardSectors)) {
            board_.set(config_.port, {failure("Card identification error.")});
            return false;
        }
    }
    const auto id = identifyBlock(config_, card_.sectors());
    std::memcpy(block, id.data(), id.size());
    return true;
}

bool Programmer::cardTransfer(int command, std::uint32_t first, std::uint32_t count,
                              std::uint8_t* read, const std::uint8_t* write) {
    std::lock_guard lock(cardMutex_);
    if (!config_.card) {
        board_.set(config_.port, {failure("Card not inserted.")});
        return false;
    }
    if (command & ZM_CARD_OPEN) {
        const auto file = config_.cardFile.empty()
                              ? stateDir_ / ("card-" + std::to_string(config_.port) + ".img")
                              : stateDir_ / config_.cardFile;
        cardOpen_ = card_.open(file, config_.cardSectors);
        if (!cardOpen_) {
            board_.set(config_.port, {failure("Could not open the card.")});
        }
        return cardOpen_;
    }
    if (command & ZM_CARD_CLOSE) {
        cardOpen_ = false;
        card_.close();
        return true;
    }
    if (!cardOpen_) {
        board_.set(config_.port, {failure("Card access is not open.")});
        return false;
    }
    if (write != nullptr) {
        if (config_.fails("card_write") || !card_.write(first, count, write)) {
            board_.set(config_.port, {failure(format("Card write error at sector %u.", first))});
            return false;
        }
        return true;
    }
    if (config_.fails("card_read") || !card_.read(first, count, read)) {
        board_.set(config_.port, {failure(format("Card read error at sector %u.", first))});
        return false;
    }
    return true;
}

bool Programmer::socket(int command, ZmSocketState* state) {
    std::lock_guard lock(socketMutex_);
    const int what = command & 0x30000;
    if (what == ZM_SOCKET_START) {
        sensing_ = true;
        scanStep_ = 0;
        return true;
    }
    if (what == ZM_SOCKET_STOP) {
        sensing_ = false;
        return true;
    }
    if (!sensing_ || state == nullptr) {
        return false;
    }
    std::memset(state->Pins, 1, sizeof state->Pins);
    state->Key = 0;
    if (scanStep_ < config_.scan.size()) {
        const SocketStep& step = config_.scan[scanStep_++];
        for (int pin : step.pins) {
            state->Pins[pin - 1] = 0;
        }
        state->Key = step.key;
    }
    return true;
}

} // namespace hwsim
