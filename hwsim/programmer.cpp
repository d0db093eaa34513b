#include "programmer.h"

#include "file_handle.h"
#include "firmware_image.h"
#include "operation_runner.h"
#include "platform/file_io.h"
#include "text_util.h"

#include <cstdio>
#include <cstring>

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

bool isNone(std::string_view label) {
    return equalsNoCase(label, "none") || equalsNoCase(label, "empty");
}

bool productionMode(std::uint8_t mode) {
    return mode == OPMODE_PRODUCTION_OK_BUTTON || mode == OPMODE_PRODUCTION_INSERTION;
}

} // namespace

Programmer::Programmer(ProgrammerConfig config, std::filesystem::path stateDir,
                       std::array<std::uint8_t, 4> defaultFirmware, MessageBoard& board)
    : config_(std::move(config)), stateDir_(std::move(stateDir)), board_(board) {
    firmware_ = config_.firmware.value_or(defaultFirmware);
    // A firmware update done earlier stays in the programmer.
    if (const auto stored = readFileHead(portDir() / "firmware", 64)) {
        if (const auto v = parseVersion(stored->substr(0, stored->find('\n')))) {
            firmware_ = *v;
        }
    }
    model_ = config_.model;
    std::lock_guard lock(sceneMutex_);
    refreshLocked(); // the control file as it stands now is the starting point
}

std::filesystem::path Programmer::portDir() const {
    return stateDir_ / ("port-" + std::to_string(config_.port));
}

void Programmer::fail(std::vector<Message>& log, std::string text) const {
    log.push_back(failure(std::move(text)));
}

// ---- Scenario ---------------------------------------------------------------------------

std::shared_ptr<const ProgrammerConfig> Programmer::refresh() {
    std::lock_guard lock(sceneMutex_);
    return refreshLocked();
}

std::shared_ptr<const ProgrammerConfig> Programmer::refreshLocked() {
    const auto file = portDir() / "control.ini";
    std::string text;
    std::vector<std::string> errors;
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        std::string why;
        if (auto read = readTextFile(file, kMaxConfigBytes, &why)) {
            text = std::move(*read);
        } else {
            errors.push_back(why);
        }
    }
    ControlResult control = applyControl(config_, text);
    errors.insert(errors.end(), control.errors.begin(), control.errors.end());
    if (errors != controlErrors_) {
        // Seen at once by whoever edits the file; repeated only when the mistakes change.
        for (const std::string& e : errors) {
            std::fprintf(stderr, "Zelmo simulator: %s, %s\n", file.c_str(), e.c_str());
        }
        controlErrors_ = std::move(errors);
    }
    const ProgrammerConfig& cfg = control.config;
    const std::uint64_t presses = cfg.presses.value_or(pressesSeen_);
    if (!controlRead_) {
        controlRead_ = true;
        socketLabel_ = cfg.socket;
        chipOut_ = isNone(cfg.socket);
        pressesSeen_ = presses;
    } else if (stage_ != Stage::Running) {
        // The socket does not change under a running operation: the change waits for the end.
        if (cfg.socket != socketLabel_) {
            socketLabel_ = cfg.socket;
            if (isNone(cfg.socket)) {
                chipOut_ = true;
            } else if (!cfg.socket.empty()) {
                insertChipLocked();
            }
        }
        if (presses > pressesSeen_) {
            pendingPresses_ += presses - pressesSeen_;
        }
        pressesSeen_ = presses;
        if (productionStartMs_ != 0) {
            const std::int64_t since = nowMs() - productionStartMs_;
            while (timedInsertions_ < cfg.insertMs.size() &&
                   static_cast<std::int64_t>(cfg.insertMs[timedInsertions_]) <= since) {
                insertChipLocked();
                ++timedInsertions_;
            }
        }
    }
    current_ = std::make_shared<const ProgrammerConfig>(std::move(control.config));
    return current_;
}

void Programmer::insertChipLocked() {
    // A new chip replaces the one in the socket: what the old one held is gone with it.
    ++insertions_;
    chipOut_ = false;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(portDir(), ec)) {
        const auto ext = entry.path().extension();
        if (ext == ".chip" || ext == ".design") {
            std::filesystem::remove(entry.path(), ec);
        }
    }
}

bool Programmer::chipPresentLocked() const {
    // A socket the control file holds empty stays empty whatever else inserts.
    return !chipOut_ && !isNone(current_->chip) && !isNone(current_->socket);
}

void Programmer::controlMessages(std::vector<Message>& log) const {
    for (const std::string& e : controlErrors_) {
        log.push_back(failure("Simulator control file, " + e));
    }
}

void Programmer::writeStatusFile(int result) {
    std::string text;
    {
        std::lock_guard lock(sceneMutex_);
        text = format("# Written by the simulator after every run.\nruns = %llu\n"
                      "last_status = 0x%04X\ninsertions = %llu\nsocket = %s\n",
                      static_cast<unsigned long long>(runs_), static_cast<unsigned>(result),
                      static_cast<unsigned long long>(insertions_),
                      chipPresentLocked() ? "chip" : "empty");
    }
    std::error_code ec;
    std::filesystem::create_directories(portDir(), ec);
    zelmo::platform::replaceFileAtomically(
        portDir() / "status", {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// ---- Identity and firmware ---------------------------------------------------------------

bool Programmer::open(int listPosition) {
    const auto cfg = refresh();
    std::lock_guard lock(identityMutex_);
    if (cfg->fails("open")) {
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
    const auto cfg = refresh();
    std::lock_guard lock(identityMutex_);
    if (!open_ || cfg->fails("type")) {
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
    const auto cfg = refresh();
    std::lock_guard lock(identityMutex_);
    const auto version = imageVersion(image, kFirmwareKind);
    if (!open_ || cfg->fails("firmware_check") || !version) {
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
    const auto cfg = refresh();
    std::lock_guard lock(identityMutex_);
    const auto version = imageVersion(image, kFirmwareKind);
    if (!open_ || cfg->fails("firmware_load") || !version) {
        board_.set(config_.port, {failure("Firmware load error.")});
        return false;
    }
    loadedFirmware_ = version;
    board_.set(config_.port, {info("Firmware " + versionText(*version) + " loaded.")});
    return true;
}

bool Programmer::updateFirmware(const std::filesystem::path& updater) {
    const auto cfg = refresh();
    std::lock_guard lock(identityMutex_);
    if (!open_ || cfg->fails("firmware_update") || !loadedFirmware_ ||
        !imageVersion(updater, kUpdaterKind)) {
        board_.set(config_.port, {failure("Firmware update error.")});
        return false;
    }
    firmware_ = *loadedFirmware_;
    loadedFirmware_.reset();
    std::error_code ec;
    std::filesystem::create_directories(portDir(), ec);
    const std::string text = versionText(firmware_) + "\n";
    zelmo::platform::replaceFileAtomically(
        portDir() / "firmware", {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    board_.set(config_.port, {info("Firmware updated to " + versionText(firmware_) + ".")});
    return true;
}

bool Programmer::initHardware() {
    const auto cfg = refresh();
    if (!open_ || cfg->fails("init_hardware")) {
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

// ---- Operations --------------------------------------------------------------------------

bool Programmer::production() const {
    return productionMode(job_.block.Mode);
}

void Programmer::orderError(const char* text) {
    board_.set(config_.port, {failure(text), statusLine("Operation failed.", true)});
}

bool Programmer::busy() {
    const Stage stage = stage_;
    const bool working = stage != Stage::Idle && stage != Stage::Done;
    return refresh()->busy || working;
}

int Programmer::progress(double* percent, bool cancel, std::uint8_t* trigger) {
    if (trigger != nullptr) {
        *trigger = 0;
    }
    if (cancel) {
        cancel_ = true;
    }
    std::lock_guard lock(sceneMutex_);
    const Stage stage = stage_;
    if (stage == Stage::Running) {
        if (preparing_) {
            return 1; // the programmer takes the code: no percentage yet
        }
        if (percent != nullptr) {
            *percent = progress_.load();
        }
        return 0;
    }
    if (stage != Stage::Armed) {
        return -1;
    }
    const bool waiting = productionMode(job_.block.Mode);
    if (!waiting) {
        return 1; // armed, the operations are about to start
    }
    if (cancel) {
        // Cancelling a production wait ends it.
        stage_ = Stage::Coded;
        status_ = ZM_STATUS_CANCELLED;
        return -1;
    }
    const auto cfg = refreshLocked();
    if (!triggered_) {
        // The operator's cycle (a timed one or the trigger file): a new chip and, with the OK
        // button, a press.
        bool cycle = false;
        if (cfg->triggerMs > 0 && !cycled_ && nowMs() - armedAtMs_ >= cfg->triggerMs) {
            cycled_ = true;
            cycle = true;
        }
        std::error_code ec;
        if (std::filesystem::remove(stateDir_ / ("trigger-" + std::to_string(config_.port)), ec)) {
            cycle = true;
        }
        const bool okButton = job_.block.Mode == OPMODE_PRODUCTION_OK_BUTTON;
        if (cycle) {
            insertChipLocked();
            if (okButton) {
                ++pendingPresses_;
            }
        }
        // Socket detection starts only for a new chip in the socket; the OK button starts
        // whenever it is pressed.
        const bool fire =
            okButton ? pendingPresses_ > 0 : chipPresentLocked() && insertions_ > runInsertion_;
        if (fire) {
            if (okButton) {
                --pendingPresses_;
            }
            triggered_ = true;
            if (trigger != nullptr) {
                *trigger = 1;
            }
        }
    }
    return 1;
}

bool Programmer::initLib(const CatalogueDevice& device, const std::string& libraryName,
                         const OperationBlock& block, const ZmDataSetStorage* storage,
                         const std::vector<std::uint8_t>& socketId, bool socketEmpty,
                         std::optional<std::string> design) {
    std::lock_guard lock(workMutex_);
    const auto cfg = refresh();
    std::vector<Message> log;
    {
        std::lock_guard scene(sceneMutex_);
        controlMessages(log);
    }
    const int port = config_.port;
    const auto done = [&](bool ok) {
        board_.set(port, std::move(log));
        return ok;
    };
    if (!open_) {
        fail(log, format("Programmer at USB#%d is not open.", port));
        return done(false);
    }
    const Stage stage = stage_;
    if ((stage != Stage::Idle && stage != Stage::Done) || cfg->busy) {
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
    if (cfg->fails("init_lib")) {
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
    job_.chipNone = socketEmpty;
    job_.design = std::move(design);
    if (storage != nullptr) {
        job_.storage = *storage;
    }
    status_ = 0;
    progress_ = 0.0;
    cancel_ = false;
    std::memset(&pinCheck_, 0, sizeof pinCheck_);
    {
        std::lock_guard scene(sceneMutex_);
        if (productionMode(block.Mode)) {
            // Production starts with the chip now in the socket counted as done: only a chip
            // inserted from here on is a new device.
            productionStartMs_ = nowMs();
            timedInsertions_ = 0;
            runInsertion_ = insertions_;
        }
        stage_ = Stage::Prepared;
    }
    return done(true);
}

void Programmer::freeLib() {
    std::lock_guard lock(workMutex_);
    std::lock_guard scene(sceneMutex_);
    stage_ = Stage::Idle;
    productionStartMs_ = 0;
    job_ = Job();
}

std::int32_t Programmer::code(std::uint8_t* buffer) {
    std::lock_guard lock(workMutex_);
    if (stage_ != Stage::Coded) {
        orderError("_ZmGetCode called before _ZmMakeCode.");
        return 0;
    }
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

bool Programmer::makeCode() {
    std::lock_guard lock(workMutex_);
    const auto cfg = refresh();
    std::vector<Message> log;
    bool ok = false;
    const Stage stage = stage_;
    if (stage == Stage::Idle || stage == Stage::Done) {
        fail(log, "_ZmMakeCode called before _ZmInitLib.");
    } else if (stage != Stage::Prepared) {
        fail(log, "_ZmMakeCode called twice for one preparation.");
    } else if (cfg->fails("make_code")) {
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
    if (ok) {
        stage_ = Stage::Coded;
    }
    board_.set(config_.port, std::move(log));
    return ok;
}

void Programmer::runCode() {
    std::lock_guard lock(workMutex_);
    const Stage stage = stage_;
    if (stage != Stage::Coded || job_.block.Mode == OPMODE_CARD_CODE) {
        orderError(stage == Stage::Prepared ? "_ZmRunCode called before _ZmMakeCode."
                   : stage == Stage::Coded  ? "_ZmRunCode is not used for stand-alone card code."
                   : stage == Stage::Armed  ? "_ZmRunCode called twice without _ZmProcessOps."
                                            : "_ZmRunCode called before _ZmInitLib.");
        status_ = ZM_STATUS_NOT_PREPARED;
        return;
    }
    board_.clear(config_.port);
    cancel_ = false;
    status_ = -1;
    progress_ = 0.0;
    std::lock_guard scene(sceneMutex_);
    refreshLocked();
    armedAtMs_ = nowMs();
    cycled_ = false;
    triggered_ = false;
    pendingPresses_ = 0; // a press counts only while the programmer waits for it
    stage_ = Stage::Armed;
}

void Programmer::processOps(bool stop) {
    std::lock_guard lock(workMutex_);
    if (stop) {
        // Ends a production wait (or an armed run) without running anything.
        std::lock_guard scene(sceneMutex_);
        const Stage stage = stage_;
        if (stage == Stage::Armed || (stage == Stage::Coded && production())) {
            status_ = ZM_STATUS_CANCELLED;
            stage_ = production() ? Stage::Coded : Stage::Done;
        } else {
            orderError("_ZmProcessOps(stop) called without a run to stop.");
        }
        return;
    }
    std::shared_ptr<const ProgrammerConfig> cfg;
    RunOutcome outcome;
    std::vector<Message> log;
    {
        std::lock_guard scene(sceneMutex_);
        const Stage stage = stage_;
        if (stage != Stage::Armed) {
            orderError(stage == Stage::Idle || stage == Stage::Done
                           ? "_ZmProcessOps called before _ZmInitLib."
                           : "_ZmProcessOps called before _ZmRunCode.");
            status_ = ZM_STATUS_NOT_PREPARED;
            return;
        }
        cfg = refreshLocked();
        controlMessages(log);
        ++runs_;
        outcome = cfg->outcome(runs_);
        runInsertion_ = insertions_;
        job_.socketEmpty = job_.chipNone || !chipPresentLocked();
        preparing_ = !job_.codeTaken && cfg->prepareMs > 0;
        stage_ = Stage::Running;
    }
    for (Message& m : log) {
        board_.add(config_.port, std::move(m));
    }
    progress_ = 0.0;
    status_ = -1;
    const int result = OperationRunner(*this, *cfg, outcome).run();
    job_.codeTaken = true;
    preparing_ = false;
    if (result == ZM_STATUS_OK) {
        progress_ = 100.0;
    }
    {
        std::lock_guard scene(sceneMutex_);
        // Production keeps the code for the next device; a single run frees the programmer
        // and keeps its results readable.
        stage_ = production() ? Stage::Coded : Stage::Done;
    }
    status_ = result;
    writeStatusFile(result);
}

void Programmer::deviceSetup() {
    std::lock_guard lock(workMutex_);
    const auto cfg = refresh();
    std::vector<Message> log;
    const std::uint32_t areaE = job_.device.descriptor.MemSize[4];
    const Stage stage = stage_;
    if (stage != Stage::Prepared && stage != Stage::Coded) {
        fail(log, "No device prepared for setup.");
    } else if (cfg->fails("setup")) {
        fail(log, "Device setup failed.");
    } else if (cfg->setup.empty()) {
        log.push_back(info("Device setup: nothing changed."));
    } else if (areaE == 0 || !job_.hasStorage) {
        fail(log, "The device has no setup area.");
    } else {
        const std::size_t n = std::min<std::size_t>(cfg->setup.size(), areaE);
        if (writeAt(job_.storage.SwapFile, static_cast<std::uint64_t>(job_.storage.MemStart[4]),
                    {cfg->setup.data(), n})) {
            log.push_back(info(format("Device setup stored (%zu bytes).", n)));
        } else {
            fail(log, "Could not store the device setup.");
        }
    }
    board_.set(config_.port, std::move(log));
}

// ---- CompactFlash card -------------------------------------------------------------------

std::filesystem::path Programmer::cardPath(const ProgrammerConfig& config) const {
    return config.cardFile.empty() ? stateDir_ / ("card-" + std::to_string(config_.port) + ".img")
                                   : stateDir_ / config.cardFile;
}

bool Programmer::cardAvailable(const ProgrammerConfig& config, std::string& why) const {
    if (!config.cardCapable()) {
        why = format("The programmer at USB#%d has no card slot.", config_.port);
        return false;
    }
    if (!config.card) {
        why = "Card not inserted.";
        return false;
    }
    return true;
}

bool Programmer::cardInserted() {
    const auto cfg = refresh();
    std::string why;
    if (!cardAvailable(*cfg, why)) {
        board_.set(config_.port, {failure(why)});
        return false;
    }
    return true;
}

bool Programmer::identifyCard(std::uint8_t* block) {
    const auto cfg = refresh();
    std::lock_guard lock(cardMutex_);
    std::string why;
    if (!cardAvailable(*cfg, why)) {
        card_.close();
        cardOpen_ = false;
        board_.set(config_.port, {failure(why), failure("Card identification error.")});
        return false;
    }
    if (cfg->fails("card_identify") || block == nullptr) {
        board_.set(config_.port, {failure("Card identification error.")});
        return false;
    }
    if (!card_.isOpen() && !card_.open(cardPath(*cfg), cfg->cardSectors)) {
        board_.set(config_.port, {failure("Card identification error.")});
        return false;
    }
    const auto id = identifyBlock(*cfg, card_.sectors());
    std::memcpy(block, id.data(), id.size());
    return true;
}

bool Programmer::cardTransfer(int command, std::uint32_t first, std::uint32_t count,
                              std::uint8_t* read, const std::uint8_t* write) {
    const auto cfg = refresh();
    std::lock_guard lock(cardMutex_);
    std::string why;
    if (!cardAvailable(*cfg, why)) {
        // A card taken out ends any access to it.
        card_.close();
        cardOpen_ = false;
        board_.set(config_.port, {failure(why)});
        return false;
    }
    if (command & ZM_CARD_OPEN) {
        cardOpen_ = card_.open(cardPath(*cfg), cfg->cardSectors);
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
        if (cfg->fails("card_write") || !card_.write(first, count, write)) {
            board_.set(config_.port, {failure(format("Card write error at sector %u.", first))});
            return false;
        }
        return true;
    }
    if (cfg->fails("card_read") || !card_.read(first, count, read)) {
        board_.set(config_.port, {failure(format("Card read error at sector %u.", first))});
        return false;
    }
    return true;
}

// ---- Socket sensing ----------------------------------------------------------------------

bool Programmer::socket(int command, ZmSocketState* state) {
    const auto cfg = refresh();
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
    if (scanStep_ < cfg->scan.size()) {
        const SocketStep& step = cfg->scan[scanStep_++];
        for (int pin : step.pins) {
            state->Pins[pin - 1] = 0;
        }
        state->Key = step.key;
    }
    return true;
}

} // namespace hwsim
