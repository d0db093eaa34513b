#include "operation_runner.h"

#include "file_handle.h"
#include "platform/file_io.h"
#include "platform/piece_loop.h"
#include "text_util.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace hwsim {

namespace {

constexpr std::uint64_t kSmallOperation = 1024; // work units of an operation without data
constexpr std::uint64_t kPinCheckUnits = 4096;

bool andProgrammed(int type) {
    // Cells of these types only go from the erased to the programmed state.
    return type == DT_EPROM || type == DT_FLASH || type == DT_SERIAL_FLASH || type == DT_NAND_FLASH;
}

std::uint32_t crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    crc = ~crc;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void putLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

using zelmo::platform::forEachPiece;
using zelmo::platform::PieceEnd;

std::int64_t designSize(const std::optional<std::string>& design) {
    if (!design) {
        return 0;
    }
    const FileHandle file = FileHandle::openForReading(*design);
    return file.isOpen() ? std::max<std::int64_t>(file.size(), 0) : 0;
}

} // namespace

OperationRunner::OperationRunner(Programmer& programmer, const ProgrammerConfig& config,
                                 const RunOutcome& outcome)
    : p_(programmer), job_(programmer.job_), config_(config), outcome_(outcome) {
    // The speed factor speeds every operation up; a slow run of the scenario slows it down.
    speed_ = config_.speed * config_.speedFactor / outcome_.slow;
    overhead_ = config_.overheadMs * outcome_.slow / config_.speedFactor;
    // Pieces of about 20 ms, so progress moves smoothly and a cancel is served quickly.
    chunk_ = static_cast<std::size_t>(std::clamp(speed_ / 50.0, 512.0, 1048576.0));
}

bool OperationRunner::fails(std::string_view what) const {
    return config_.fails(what) || outcome_.faults.count(std::string(what)) != 0;
}

bool OperationRunner::fromFile() const {
    return job_.device.descriptor.Type == DT_JTAG;
}

bool OperationRunner::selected(int m) const {
    return job_.device.descriptor.MemSize[m] != 0 && (job_.block.MemSelect >> m & 1) != 0;
}

bool OperationRunner::writable(int m) const {
    return job_.device.descriptor.MemSize[m] != 0 &&
           (job_.device.buffers[m].Flags & BUF_READ_ONLY) == 0;
}

std::string OperationRunner::memoryName(int m) const {
    const BufferInfo& b = job_.device.buffers[m];
    return std::string(getField(b.Name, sizeof b.Name));
}

void OperationRunner::note(Message message) {
    p_.board_.add(config_.port, std::move(message));
}

int OperationRunner::failWith(int bit, std::string text) {
    note(failure(std::move(text)));
    return bit;
}

bool OperationRunner::readDataSet(int m, std::uint64_t offset, std::span<std::uint8_t> out) {
    return job_.hasStorage &&
           readAt(job_.storage.SwapFile,
                  static_cast<std::uint64_t>(job_.storage.MemStart[m]) + offset, out);
}

bool OperationRunner::writeDataSet(int m, std::uint64_t offset,
                                   std::span<const std::uint8_t> bytes) {
    return job_.hasStorage &&
           writeAt(job_.storage.SwapFile,
                   static_cast<std::uint64_t>(job_.storage.MemStart[m]) + offset, bytes);
}

std::filesystem::path OperationRunner::designFile() const {
    std::string file = job_.device.key();
    std::replace(file.begin(), file.end(), ':', '_');
    std::replace(file.begin(), file.end(), '/', '_');
    return p_.portDir() / (file + ".design");
}

std::uint64_t OperationRunner::workUnits(std::uint32_t operations) const {
    std::uint64_t units = 0;
    for (int m = 0; m < 4; ++m) {
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        if (operations & OP_READ && selected(m)) {
            units += size;
        }
        if (operations & OP_ERASE && writable(m)) {
            units += size / 8;
        }
        if (operations & (OP_BLANK_CHECK | OP_PROGRAM) && selected(m) && writable(m)) {
            units +=
                size * (((operations & OP_BLANK_CHECK) != 0) + ((operations & OP_PROGRAM) != 0));
        }
        if (operations & OP_VERIFY && selected(m) && writable(m)) {
            units += size;
        }
        if (operations & OP_TEST && job_.device.descriptor.Type == DT_STATIC_RAM && selected(m)) {
            units += 2 * size;
        }
    }
    if (fromFile()) {
        const auto design = static_cast<std::uint64_t>(designSize(job_.design));
        units += design * (((operations & OP_PROGRAM) != 0) + ((operations & OP_VERIFY) != 0));
    }
    if (operations & OP_PIN_CHECK) {
        units += kPinCheckUnits;
    }
    for (std::uint32_t bit : {OP_CHECK_ID, OP_ERASE, OP_CONFIGURE, OP_TEST}) {
        if (operations & bit) {
            units += kSmallOperation;
        }
    }
    return std::max<std::uint64_t>(units, 1);
}

bool OperationRunner::cancelled() const {
    return p_.cancel_ || cancelledByOutcome_;
}

void OperationRunner::beginOperation() {
    overheadMs_ += static_cast<std::int64_t>(overhead_);
    advance(0);
}

bool OperationRunner::advance(std::uint64_t units) {
    done_ = std::min(done_ + units, total_);
    const double percent = 100.0 * static_cast<double>(done_) / static_cast<double>(total_);
    p_.progress_ = percent;
    if (outcome_.cancelAtPercent >= 0 && percent >= outcome_.cancelAtPercent) {
        cancelledByOutcome_ = true; // the scenario's user presses Escape here
    }
    const std::int64_t due =
        startMs_ + overheadMs_ +
        static_cast<std::int64_t>(static_cast<double>(done_) * 1000.0 / speed_);
    for (;;) {
        if (cancelled()) {
            return false;
        }
        const std::int64_t left = due - nowMs();
        if (left <= 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::int64_t>(left, 10)));
    }
}

bool OperationRunner::takeCode() {
    if (p_.preparing_) {
        const std::int64_t until =
            nowMs() + static_cast<std::int64_t>(config_.prepareMs / config_.speedFactor);
        while (!cancelled() && nowMs() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(
                std::clamp<std::int64_t>(until - nowMs(), std::int64_t(1), std::int64_t(10))));
        }
        p_.preparing_ = false;
    }
    return !cancelled();
}

template <typename Work>
int OperationRunner::pieces(std::uint64_t size, std::size_t piece, Work&& work,
                            std::uint64_t divisor) {
    int status = 0;
    const PieceEnd end = forEachPiece(
        size, piece,
        [&](std::uint64_t at, std::size_t n) {
            status = work(at, n);
            return status == 0 && advance(n / divisor);
        },
        [&] { return cancelled(); });
    if (status != 0) {
        return status;
    }
    return end == PieceEnd::Done && !cancelled() ? 0 : ZM_STATUS_CANCELLED;
}

bool OperationRunner::openChip() {
    const DeviceDescriptor& d = job_.device.descriptor;
    std::array<std::vector<std::uint8_t>, 4> preset;
    for (int m = 0; m < 4; ++m) {
        if (!writable(m) && d.MemSize[m] != 0) {
            // Read-only memories hold factory data: the device ID repeated, then a count.
            preset[m].resize(d.MemSize[m]);
            for (std::size_t i = 0; i < preset[m].size(); ++i) {
                preset[m][i] = job_.device.id.empty() ? static_cast<std::uint8_t>(i)
                                                      : job_.device.id[i % job_.device.id.size()];
            }
        }
    }
    std::string file = job_.device.key();
    std::replace(file.begin(), file.end(), ':', '_');
    std::replace(file.begin(), file.end(), '/', '_');
    if (!chip_.open(p_.portDir() / (file + ".chip"),
                    {d.MemSize[0], d.MemSize[1], d.MemSize[2], d.MemSize[3]}, job_.device.blank,
                    preset, config_.stuck)) {
        return false;
    }
    if (chip_.created() && !config_.content.empty()) {
        // A new chip with the content the scenario gives it: memories A-D back to back.
        std::filesystem::path source(config_.content);
        if (source.is_relative()) {
            source = p_.portDir() / source;
        }
        std::uint64_t total = 0;
        for (int m = 0; m < 4; ++m) {
            total += d.MemSize[m];
        }
        const auto bytes = readFileHead(source, static_cast<std::size_t>(total));
        if (!bytes) {
            note(failure("The content file '" + source.string() + "' cannot be read."));
            return true;
        }
        std::uint64_t at = 0;
        for (int m = 0; m < 4 && at < bytes->size(); ++m) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(d.MemSize[m], bytes->size() - at));
            if (writable(m) &&
                !chip_.write(m, 0,
                             {reinterpret_cast<const std::uint8_t*>(bytes->data()) + at, n})) {
                return false;
            }
            at += d.MemSize[m];
        }
    }
    return true;
}

int OperationRunner::run() {
    const DeviceDescriptor& d = job_.device.descriptor;
    const std::uint32_t requested = job_.block.Operations & 0x1FF;
    const std::uint32_t unsupported = requested & ~(d.Flags & 0xFF) & 0xFF;
    if (unsupported != 0) {
        note(failure("Operation not supported by this device."));
        note(statusLine("Operation failed.", true));
        return static_cast<int>(unsupported & (0u - unsupported)); // its lowest bit
    }
    if ((requested & OP_PIN_CHECK) && !(d.Flags & DEV_PIN_CHECK)) {
        note(failure("Pin check is not supported by " + job_.device.key() + "."));
        note(statusLine("Operation failed.", true));
        return kPinCheckUnsupported;
    }
    const auto cancelledRun = [&] {
        note(failure("Operation cancelled by user."));
        note(statusLine("Operation cancelled.", true));
        return ZM_STATUS_CANCELLED;
    };
    if (!takeCode()) {
        return cancelledRun();
    }
    if (!openChip()) {
        note(failure("Could not access the simulated chip."));
        note(statusLine("Operation failed.", true));
        return static_cast<int>(requested & (0u - requested));
    }

    total_ = workUnits(requested);
    startMs_ = nowMs();
    using Step = int (OperationRunner::*)();
    const std::pair<std::uint32_t, Step> steps[] = {
        {OP_PIN_CHECK, &OperationRunner::pinCheck},
        {OP_CHECK_ID, &OperationRunner::checkId},
        {OP_READ, &OperationRunner::read},
        {OP_ERASE, &OperationRunner::erase},
        {OP_BLANK_CHECK, &OperationRunner::blankCheck},
        {OP_PROGRAM, &OperationRunner::program},
        {OP_VERIFY, &OperationRunner::verify},
        {OP_CONFIGURE, &OperationRunner::configure},
        {OP_TEST, &OperationRunner::test},
    };
    for (const auto& [bit, step] : steps) {
        if ((requested & bit) == 0) {
            continue;
        }
        beginOperation();
        int status = cancelled() ? ZM_STATUS_CANCELLED : (this->*step)();
        if (cancelled() && status == 0) {
            status = ZM_STATUS_CANCELLED;
        }
        if (status == ZM_STATUS_CANCELLED) {
            return cancelledRun();
        }
        if (status != 0) {
            note(statusLine("Operation failed.", true));
            return status;
        }
    }
    note(statusLine("Operation successful.", false));
    return ZM_STATUS_OK;
}

int OperationRunner::pinCheck() {
    ZmPinCheckResult result;
    result.Kind = 'S';
    std::memset(result.Pins, '.', sizeof result.Pins);
    const DeviceDescriptor& d = job_.device.descriptor;
    if (!config_.pinCheck.empty()) {
        std::string_view letters = config_.pinCheck;
        if (letters.size() >= 2 && (letters[0] == 'I' || letters[0] == 'i') && letters[1] == ':') {
            result.Kind = 'I';
            letters.remove_prefix(2);
        }
        std::memcpy(result.Pins, letters.data(), std::min<std::size_t>(letters.size(), 48));
    } else {
        const std::uint8_t* adapter = job_.block.AdapterData;
        if ((d.Flags & DEV_ADAPTER) && std::memcmp(adapter, "ADP", 3) == 0) {
            for (int s = 0; s < 48; ++s) {
                if (adapter[5 + 48 * s] != 0) {
                    result.Pins[s] = 'C';
                }
            }
        } else {
            const int n = static_cast<int>(d.PinCount & 0xFF);
            if (n > 0 && n <= 48) {
                const int first = (48 - n) / 2;
                std::memset(result.Pins + first, 'C', static_cast<std::size_t>(n));
            }
        }
        if (job_.socketEmpty) {
            std::replace(std::begin(result.Pins), std::end(result.Pins), 'C', 'U');
        }
    }
    // The scenario's pins without contact in this run.
    for (int pin : outcome_.noContact) {
        if (pin >= 100 && result.Kind == 'I') {
            result.Pins[pin - 100] = 'U';
        } else if (pin <= 48 && result.Kind != 'I') {
            result.Pins[pin - 1] = 'U';
        }
    }
    if (!advance(kPinCheckUnits)) {
        return ZM_STATUS_CANCELLED;
    }
    p_.pinCheck_ = result;
    std::string bad;
    for (int i = 0; i < 48; ++i) {
        if (result.Pins[i] == 'U') {
            bad += bad.empty() ? "" : ", ";
            bad += result.Kind == 'I' ? format("S%d", i) : std::to_string(i + 1);
        }
    }
    if (!bad.empty()) {
        note(failure("Pin contact check failed."));
        note(failure(
            (result.Kind == 'I' ? "No contact on signal(s): " : "No contact on socket pin(s): ") +
            bad + "."));
        return ZM_STATUS_PIN_CHECK;
    }
    note(info("Pin contact check passed."));
    return 0;
}

int OperationRunner::checkId() {
    if (!advance(kSmallOperation)) {
        return ZM_STATUS_CANCELLED;
    }
    const std::vector<std::uint8_t>& expected = job_.device.id;
    std::vector<std::uint8_t> found =
        job_.socketEmpty ? std::vector<std::uint8_t>(expected.size(), 0xFF) : job_.socketId;
    if (fails("check_id")) {
        found.assign(expected.size(), 0x00);
    }
    if (found != expected) {
        return failWith(OP_CHECK_ID, "Device ID mismatch. Read: " + hexBytes(found) +
                                         ", expected: " + hexBytes(expected) + ".");
    }
    note(info("Device ID read: " + (expected.empty() ? std::string("none") : hexBytes(found)) +
              "."));
    return 0;
}

int OperationRunner::read() {
    if (fails("read")) {
        return failWith(OP_READ, "Read error: the device does not respond.");
    }
    std::vector<std::uint8_t> buffer(chunk_);
    for (int m = 0; m < 4; ++m) {
        if (!selected(m)) {
            continue;
        }
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        const int status = pieces(size, chunk_, [&](std::uint64_t at, std::size_t n) {
            const std::span<std::uint8_t> piece(buffer.data(), n);
            if (!chip_.read(m, at, piece)) {
                return failWith(OP_READ,
                                format("Read error at address 0x%08llX in %s.",
                                       static_cast<unsigned long long>(at), memoryName(m).c_str()));
            }
            if (!writeDataSet(m, at, piece)) {
                return failWith(OP_READ, "Could not write the data set.");
            }
            return 0;
        });
        if (status != 0) {
            return status;
        }
        note(info(format("Read %s: %llu bytes.", memoryName(m).c_str(),
                         static_cast<unsigned long long>(size))));
    }
    return 0;
}

int OperationRunner::erase() {
    if (fails("erase")) {
        return failWith(OP_ERASE, "Erase failed: the device did not confirm the erase.");
    }
    if (!advance(kSmallOperation)) {
        return ZM_STATUS_CANCELLED;
    }
    if (fromFile()) {
        std::error_code ec;
        std::filesystem::remove(designFile(), ec);
    }
    for (int m = 0; m < 4; ++m) {
        if (!writable(m)) {
            continue;
        }
        const int status = pieces(
            job_.device.descriptor.MemSize[m], chunk_ * 8,
            [&](std::uint64_t at, std::size_t n) {
                return chip_.erase(m, at, n)
                           ? 0
                           : failWith(OP_ERASE,
                                      "Erase failed: the device did not confirm the erase.");
            },
            8);
        if (status != 0) {
            return status;
        }
    }
    note(info("Device erased."));
    return 0;
}

int OperationRunner::blankCheck() {
    const std::uint8_t blank = job_.device.blank;
    if (fromFile()) {
        std::error_code ec;
        if (fails("blank_check") || std::filesystem::exists(designFile(), ec)) {
            return failWith(OP_BLANK_CHECK, "Blank check failed: the device holds a design.");
        }
    }
    std::vector<std::uint8_t> buffer(chunk_);
    for (int m = 0; m < 4; ++m) {
        if (!selected(m) || !writable(m)) {
            continue;
        }
        if (fails("blank_check")) {
            return failWith(OP_BLANK_CHECK,
                            format("Blank check failed at address 0x%08X in %s: read 0x%02X, "
                                   "expected 0x%02X.",
                                   0u, memoryName(m).c_str(), blank ^ 0xFFu, blank));
        }
        const int status =
            pieces(job_.device.descriptor.MemSize[m], chunk_, [&](std::uint64_t at, std::size_t n) {
                const std::span<std::uint8_t> piece(buffer.data(), n);
                if (!chip_.read(m, at, piece)) {
                    return failWith(OP_BLANK_CHECK, "Read error during blank check.");
                }
                const auto it = std::find_if(piece.begin(), piece.end(),
                                             [blank](std::uint8_t b) { return b != blank; });
                if (it != piece.end()) {
                    return failWith(
                        OP_BLANK_CHECK,
                        format("Blank check failed at address 0x%08llX in %s: read 0x%02X, "
                               "expected 0x%02X.",
                               static_cast<unsigned long long>(at + (it - piece.begin())),
                               memoryName(m).c_str(), *it, blank));
                }
                return 0;
            });
        if (status != 0) {
            return status;
        }
    }
    note(info("Device is blank."));
    return 0;
}

int OperationRunner::program() {
    if (fromFile()) {
        return programDesign();
    }
    std::vector<std::uint8_t> data(chunk_);
    std::vector<std::uint8_t> cells(chunk_);
    const bool andOnly = andProgrammed(job_.device.descriptor.Type);
    bool any = false;
    for (int m = 0; m < 4; ++m) {
        if (!selected(m) || !writable(m)) {
            continue;
        }
        if (fails("program")) {
            return failWith(OP_PROGRAM, format("Programming failed at address 0x%08X in %s: the "
                                               "device does not accept data.",
                                               0u, memoryName(m).c_str()));
        }
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        const int status = pieces(size, chunk_, [&](std::uint64_t at, std::size_t n) {
            if (!readDataSet(m, at, {data.data(), n})) {
                return failWith(OP_PROGRAM, "Could not read the data set.");
            }
            if (andOnly) {
                if (!chip_.read(m, at, {cells.data(), n})) {
                    return failWith(OP_PROGRAM, "Read error during programming.");
                }
                for (std::size_t i = 0; i < n; ++i) {
                    data[i] &= cells[i];
                }
            }
            if (!chip_.write(m, at, {data.data(), n})) {
                return failWith(OP_PROGRAM, "Write error during programming.");
            }
            return 0;
        });
        if (status != 0) {
            return status;
        }
        note(info(format("Programmed %s: %llu bytes.", memoryName(m).c_str(),
                         static_cast<unsigned long long>(size))));
        any = true;
    }
    if (!any) {
        note(info("Device programmed."));
    }
    return 0;
}

int OperationRunner::verify() {
    if (fromFile()) {
        return verifyDesign();
    }
    std::vector<std::uint8_t> data(chunk_);
    std::vector<std::uint8_t> cells(chunk_);
    for (int m = 0; m < 4; ++m) {
        if (!selected(m) || !writable(m)) {
            continue;
        }
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        const int status = pieces(size, chunk_, [&](std::uint64_t at, std::size_t n) {
            if (!readDataSet(m, at, {data.data(), n})) {
                return failWith(OP_VERIFY, "Could not read the data set.");
            }
            if (!chip_.read(m, at, {cells.data(), n})) {
                return failWith(OP_VERIFY, "Read error during verify.");
            }
            if (fails("verify") && at == 0) {
                cells[0] = static_cast<std::uint8_t>(~data[0]);
            }
            // The scenario's weak cell of this run reads the inverse of what was written.
            if (outcome_.verifyMemory == m && outcome_.verifyAddress >= at &&
                outcome_.verifyAddress - at < n) {
                const auto i = static_cast<std::size_t>(outcome_.verifyAddress - at);
                cells[i] = static_cast<std::uint8_t>(~data[i]);
            }
            const auto diff = std::mismatch(cells.begin(), cells.begin() + n, data.begin());
            if (diff.first != cells.begin() + n) {
                return failWith(
                    OP_VERIFY,
                    format("Verify error at address 0x%08llX in %s: device 0x%02X, "
                           "buffer 0x%02X.",
                           static_cast<unsigned long long>(at + (diff.first - cells.begin())),
                           memoryName(m).c_str(), *diff.first, *diff.second));
            }
            return 0;
        });
        if (status != 0) {
            return status;
        }
    }
    note(info("Verify passed."));
    return 0;
}

int OperationRunner::readDesign(int bit, const std::string& failed, std::string& record) {
    if (!job_.design) {
        return failWith(bit, failed + ": no file is assigned to the device.");
    }
    const FileHandle file = FileHandle::openForReading(*job_.design);
    const std::int64_t size = file.isOpen() ? file.size() : -1;
    if (size <= 0) {
        return failWith(bit, failed + ": the assigned file '" + *job_.design + "' cannot be read.");
    }
    std::vector<std::uint8_t> buffer(chunk_);
    std::uint32_t crc = 0;
    const int status =
        pieces(static_cast<std::uint64_t>(size), chunk_, [&](std::uint64_t at, std::size_t n) {
            if (!file.readAt(at, {buffer.data(), n})) {
                return failWith(bit, failed + ": the assigned file cannot be read.");
            }
            crc = crc32(crc, {buffer.data(), n});
            return 0;
        });
    record =
        format("%llu %08X\n", static_cast<unsigned long long>(size), static_cast<unsigned>(crc));
    return status;
}

int OperationRunner::programDesign() {
    if (fails("program")) {
        return failWith(OP_PROGRAM, "Programming failed: the device does not accept the design.");
    }
    std::string record;
    if (const int status = readDesign(OP_PROGRAM, "Programming failed", record); status != 0) {
        return status;
    }
    std::error_code ec;
    std::filesystem::create_directories(p_.portDir(), ec);
    if (!zelmo::platform::replaceFileAtomically(
            designFile(), {reinterpret_cast<const std::uint8_t*>(record.data()), record.size()})) {
        return failWith(OP_PROGRAM, "Write error during programming.");
    }
    note(info("Programmed the design from '" +
              std::filesystem::path(*job_.design).filename().string() + "' (" +
              record.substr(0, record.find(' ')) + " bytes)."));
    return 0;
}

int OperationRunner::verifyDesign() {
    const auto stored = readFileHead(designFile(), 64);
    if (!stored || stored->empty()) {
        return failWith(OP_VERIFY, "Verify error: the device holds no design.");
    }
    std::string record;
    if (const int status = readDesign(OP_VERIFY, "Verify failed", record); status != 0) {
        return status;
    }
    if (fails("verify") || *stored != record) {
        return failWith(OP_VERIFY, "Verify error: the device holds another design than '" +
                                       std::filesystem::path(*job_.design).filename().string() +
                                       "'.");
    }
    note(info("Verify passed."));
    return 0;
}

int OperationRunner::configure() {
    if (fails("configure")) {
        return failWith(OP_CONFIGURE, "Configuration failed: the device rejected the settings.");
    }
    if (!advance(kSmallOperation)) {
        return ZM_STATUS_CANCELLED;
    }
    note(info("Device configured."));
    return 0;
}

int OperationRunner::test() {
    if (fails("test")) {
        return failWith(OP_TEST, "Device test failed.");
    }
    if (!advance(kSmallOperation)) {
        return ZM_STATUS_CANCELLED;
    }
    if (job_.device.descriptor.Type != DT_STATIC_RAM) {
        note(info(job_.device.descriptor.Type == DT_PLD ? "Test vectors passed."
                                                        : "Device test passed."));
        return 0;
    }
    // A RAM test writes two patterns through every selected memory and reads them back.
    std::vector<std::uint8_t> pattern(chunk_);
    std::vector<std::uint8_t> back(chunk_);
    for (int m = 0; m < 4; ++m) {
        if (!selected(m)) {
            continue;
        }
        for (const std::uint8_t value : {std::uint8_t(0x55), std::uint8_t(0xAA)}) {
            std::fill(pattern.begin(), pattern.end(), value);
            const int status = pieces(
                job_.device.descriptor.MemSize[m], chunk_, [&](std::uint64_t at, std::size_t n) {
                    if (!chip_.write(m, at, {pattern.data(), n}) ||
                        !chip_.read(m, at, {back.data(), n})) {
                        return failWith(OP_TEST, "Memory test could not access the device.");
                    }
                    const auto bad = std::find_if(back.begin(), back.begin() + n,
                                                  [value](std::uint8_t b) { return b != value; });
                    if (bad != back.begin() + n) {
                        return failWith(
                            OP_TEST,
                            format("Memory test failed at address 0x%08llX in %s: wrote "
                                   "0x%02X, read 0x%02X.",
                                   static_cast<unsigned long long>(at + (bad - back.begin())),
                                   memoryName(m).c_str(), value, *bad));
                    }
                    return 0;
                });
            if (status != 0) {
                return status;
            }
        }
    }
    note(info("Memory test passed."));
    return 0;
}

std::vector<std::uint8_t> OperationRunner::generateCode(const Programmer::Job& job) {
    const DeviceDescriptor& d = job.device.descriptor;
    std::vector<std::uint8_t> code{'Z', 'S', 'C', 'O', 'D', 'E', 1, job.block.Mode};
    std::string key = job.device.key();
    key.resize(48, '\0');
    code.insert(code.end(), key.begin(), key.end());
    for (std::uint32_t size : d.MemSize) {
        putLe32(code, size);
    }
    code.push_back(job.block.MemSelect);
    putLe32(code, job.block.Operations);
    std::vector<std::uint8_t> buffer(1 << 20);
    for (int m = 0; m < 5; ++m) {
        std::uint32_t crc = 0;
        const PieceEnd end =
            forEachPiece(d.MemSize[m], buffer.size(), [&](std::uint64_t at, std::size_t n) {
                if (!job.hasStorage ||
                    !readAt(job.storage.SwapFile,
                            static_cast<std::uint64_t>(job.storage.MemStart[m]) + at,
                            {buffer.data(), n})) {
                    return false;
                }
                crc = crc32(crc, {buffer.data(), n});
                return true;
            });
        if (end != PieceEnd::Done) {
            return {};
        }
        putLe32(code, crc);
    }
    // The body stands for the device algorithm compiled for this data set.
    std::uint64_t seed = 1469598103934665603ull;
    for (std::uint8_t b : code) {
        seed = (seed ^ b) * 1099511628211ull;
    }
    const std::size_t body = 512 + static_cast<std::size_t>(seed % 1536);
    for (std::size_t i = 0; i < body; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 7;
        seed ^= seed << 17;
        code.push_back(static_cast<std::uint8_t>(seed >> 24));
    }
    return code;
}

} // namespace hwsim
