#include "operation_runner.h"

#include "file_handle.h"
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

} // namespace

OperationRunner::OperationRunner(Programmer& programmer)
    : p_(programmer), job_(programmer.job_), config_(programmer.config_) {
    chunk_ = static_cast<std::size_t>(std::clamp(config_.speed / 50.0, 4096.0, 1048576.0));
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

void OperationRunner::beginOperation() {
    overheadMs_ += config_.overheadMs;
    advance(0);
}

bool OperationRunner::advance(std::uint64_t units) {
    done_ = std::min(done_ + units, total_);
    p_.progress_ = 100.0 * static_cast<double>(done_) / static_cast<double>(total_);
    const std::int64_t due =
        startMs_ + overheadMs_ +
        static_cast<std::int64_t>(static_cast<double>(done_) * 1000.0 / config_.speed);
    for (;;) {
        if (p_.cancel_) {
            return false;
        }
        const std::int64_t left = due - nowMs();
        if (left <= 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::int64_t>(left, 10)));
    }
}

int OperationRunner::run() {
    const DeviceDescriptor& d = job_.device.descriptor;
    std::uint32_t supported = d.Flags & 0xFF;
    if (d.Flags & DEV_PIN_CHECK) {
        supported |= OP_PIN_CHECK;
    }
    const std::uint32_t requested = job_.block.Operations & 0x1FF;
    if (const std::uint32_t unsupported = requested & ~supported) {
        for (std::uint32_t bit = 1; bit <= OP_PIN_CHECK; bit <<= 1) {
            if (unsupported & bit) {
                note(failure("Operation not supported by this device."));
                note(statusLine("Operation failed.", true));
                return static_cast<int>(bit);
            }
        }
    }

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
        note(failure("Could not access the simulated chip."));
        note(statusLine("Operation failed.", true));
        return static_cast<int>(requested & -requested);
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
        int status = p_.cancel_ ? ZM_STATUS_CANCELLED : (this->*step)();
        if (p_.cancel_ && status == 0) {
            status = ZM_STATUS_CANCELLED;
        }
        if (status == ZM_STATUS_CANCELLED) {
            note(failure("Operation cancelled by user."));
            note(statusLine("Operation cancelled.", true));
            return status;
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
    if (!advance(kPinCheckUnits)) {
        return ZM_STATUS_CANCELLED;
    }
    { p_.pinCheck_ = result; }
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
    if (config_.fails("check_id")) {
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
    if (config_.fails("read")) {
        return failWith(OP_READ, "Read error: the device does not respond.");
    }
    std::vector<std::uint8_t> buffer(chunk_);
    for (int m = 0; m < 4; ++m) {
        if (!selected(m)) {
            continue;
        }
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        for (std::uint64_t at = 0; at < size; at += chunk_) {
            const std::span<std::uint8_t> piece(
                buffer.data(),
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk_, size - at)));
            if (!chip_.read(m, at, piece)) {
                return failWith(OP_READ,
                                format("Read error at address 0x%08llX in %s.",
                                       static_cast<unsigned long long>(at), memoryName(m).c_str()));
            }
            if (!writeDataSet(m, at, piece)) {
                return failWith(OP_READ, "Could not write the data set.");
            }
            if (!advance(piece.size())) {
                return ZM_STATUS_CANCELLED;
            }
        }
        note(info(format("Read %s: %llu bytes.", memoryName(m).c_str(),
                         static_cast<unsigned long long>(size))));
    }
    return 0;
}

int OperationRunner::erase() {
    if (config_.fails("erase")) {
        return failWith(OP_ERASE, "Erase failed: the device did not confirm the erase.");
    }
    if (!advance(kSmallOperation)) {
        return ZM_STATUS_CANCELLED;
    }
    for (int m = 0; m < 4; ++m) {
        if (!writable(m)) {
            continue;
        }
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        const std::uint64_t step = std::uint64_t(chunk_) * 8;
        for (std::uint64_t at = 0; at < size; at += step) {
            const std::uint64_t n = std::min(step, size - at);
            if (!chip_.erase(m, at, n)) {
                return failWith(OP_ERASE, "Erase failed: the device did not confirm the erase.");
            }
            if (!advance(n / 8)) {
                return ZM_STATUS_CANCELLED;
            }
        }
    }
    note(info("Device erased."));
    return 0;
}

int OperationRunner::blankCheck() {
    std::vector<std::uint8_t> buffer(chunk_);
    const std::uint8_t blank = job_.device.blank;
    for (int m = 0; m < 4; ++m) {
        if (!selected(m) || !writable(m)) {
            continue;
        }
        if (config_.fails("blank_check")) {
            return failWith(OP_BLANK_CHECK,
                            format("Blank check failed at address 0x%08X in %s: read 0x%02X, "
                                   "expected 0x%02X.",
                                   0u, memoryName(m).c_str(), blank ^ 0xFFu, blank));
        }
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        for (std::uint64_t at = 0; at < size; at += chunk_) {
            const std::span<std::uint8_t> piece(
                buffer.data(),
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk_, size - at)));
            if (!chip_.read(m, at, piece)) {
                return failWith(OP_BLANK_CHECK, "Read error during blank check.");
            }
            const auto it = std::find_if(piece.begin(), piece.end(),
                                         [blank](std::uint8_t b) { return b != blank; });
            if (it != piece.end()) {
                return failWith(OP_BLANK_CHECK,
                                format("Blank check failed at address 0x%08llX in %s: read 0x%02X, "
                                       "expected 0x%02X.",
                                       static_cast<unsigned long long>(at + (it - piece.begin())),
                                       memoryName(m).c_str(), *it, blank));
            }
            if (!advance(piece.size())) {
                return ZM_STATUS_CANCELLED;
            }
        }
    }
    note(info("Device is blank."));
    return 0;
}

int OperationRunner::program() {
    std::vector<std::uint8_t> data(chunk_);
    std::vector<std::uint8_t> cells(chunk_);
    const bool andOnly = andProgrammed(job_.device.descriptor.Type);
    bool any = false;
    for (int m = 0; m < 4; ++m) {
        if (!selected(m) || !writable(m)) {
            continue;
        }
        if (config_.fails("program")) {
            return failWith(OP_PROGRAM, format("Programming failed at address 0x%08X in %s: the "
                                               "device does not accept data.",
                                               0u, memoryName(m).c_str()));
        }
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        for (std::uint64_t at = 0; at < size; at += chunk_) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk_, size - at));
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
            if (!advance(n)) {
                return ZM_STATUS_CANCELLED;
            }
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
    std::vector<std::uint8_t> data(chunk_);
    std::vector<std::uint8_t> cells(chunk_);
    for (int m = 0; m < 4; ++m) {
        if (!selected(m) || !writable(m)) {
            continue;
        }
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        for (std::uint64_t at = 0; at < size; at += chunk_) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk_, size - at));
            if (!readDataSet(m, at, {data.data(), n})) {
                return failWith(OP_VERIFY, "Could not read the data set.");
            }
            if (!chip_.read(m, at, {cells.data(), n})) {
                return failWith(OP_VERIFY, "Read error during verify.");
            }
            if (config_.fails("verify") && at == 0) {
                cells[0] = static_cast<std::uint8_t>(~data[0]);
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
            if (!advance(n)) {
                return ZM_STATUS_CANCELLED;
            }
        }
    }
    note(info("Verify passed."));
    return 0;
}

int OperationRunner::configure() {
    if (config_.fails("configure")) {
        return failWith(OP_CONFIGURE, "Configuration failed: the device rejected the settings.");
    }
    if (!advance(kSmallOperation)) {
        return ZM_STATUS_CANCELLED;
    }
    note(info("Device configured."));
    return 0;
}

int OperationRunner::test() {
    if (config_.fails("test")) {
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
        const std::uint64_t size = job_.device.descriptor.MemSize[m];
        for (const std::uint8_t value : {std::uint8_t(0x55), std::uint8_t(0xAA)}) {
            std::fill(pattern.begin(), pattern.end(), value);
            for (std::uint64_t at = 0; at < size; at += chunk_) {
                const std::size_t n =
                    static_cast<std::size_t>(std::min<std::uint64_t>(chunk_, size - at));
                if (!chip_.write(m, at, {pattern.data(), n}) ||
                    !chip_.read(m, at, {back.data(), n})) {
                    return failWith(OP_TEST, "Memory test could not access the device.");
                }
                const auto bad = std::find_if(back.begin(), back.begin() + n,
                                              [value](std::uint8_t b) { return b != value; });
                if (bad != back.begin() + n) {
                    return failWith(
                        OP_TEST, format("Memory test failed at address 0x%08llX in %s: wrote "
                                        "0x%02X, read 0x%02X.",
                                        static_cast<unsigned long long>(at + (bad - back.begin())),
                                        memoryName(m).c_str(), value, *bad));
                }
                if (!advance(n)) {
                    return ZM_STATUS_CANCELLED;
                }
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
        const std::uint64_t size = d.MemSize[m];
        for (std::uint64_t at = 0; at < size; at += buffer.size()) {
            const std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
            if (!job.hasStorage || !readAt(job.storage.SwapFile,
                                           static_cast<std::uint64_t>(job.storage.MemStart[m]) + at,
                                           {buffer.data(), n})) {
                return {};
            }
            crc = crc32(crc, {buffer.data(), n});
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
