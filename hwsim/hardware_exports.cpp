// The exported C entry points of the simulated hardware library. Each one validates its
// arguments, finds the programmer of its port and hands the work to it; nothing here throws
// across the interface.

#include "abi/hardware_api.h"

#include "file_entry.h"
#include "library_state.h"
#include "text_util.h"

#include <cstring>
#include <exception>

using hwsim::LibraryState;

namespace {

LibraryState& state() {
    return LibraryState::instance();
}

// Runs a call body, turning any escaping exception into the given failure result.
template <typename R, typename F> R guarded(R onFailure, F&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        state().board().set(0, {hwsim::failure(std::string("Internal error: ") + e.what())});
    } catch (...) {
        state().board().set(0, {hwsim::failure("Internal error.")});
    }
    return onFailure;
}

template <typename F> void guardedVoid(F&& body) noexcept {
    guarded(0, [&] {
        body();
        return 0;
    });
}

std::shared_ptr<hwsim::Programmer> programmer(int32_t port) {
    return state().find(port);
}

void unknownPort(int32_t port) {
    state().board().set(port,
                        {hwsim::failure(hwsim::format("No programmer found at USB#%d.", port))});
}

// Base name of an algorithm library path without folder and extension.
std::string libraryBaseName(const char16_t* path) {
    std::string name = std::filesystem::path(hwsim::toUtf8(path)).filename().string();
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

} // namespace

extern "C" {

void _ZmInit(uint8_t debug) {
    guardedVoid([&] { state().init(debug != 0); });
}

void _ZmSetPath(const char16_t* appDir) {
    guardedVoid([&] { state().setPath(hwsim::toUtf8(appDir)); });
}

void _ZmFree(void) {
    guardedVoid([] { state().release(); });
}

int32_t _ZmDeviceCount(ZmPortListEntry list[16]) {
    return guarded<int32_t>(0, [&] {
        const auto all = state().programmers();
        std::vector<int> ports;
        for (std::size_t i = 0; i < all.size() && i < ZM_MAX_PROGRAMMERS; ++i) {
            const auto& config = all[i]->config();
            ports.push_back(config.port);
            if (list != nullptr) {
                ZmPortListEntry& e = list[i];
                std::memset(&e, 0, sizeof e);
                hwsim::putField(e.Description, sizeof e.Description,
                                config.name + " " + config.serial);
                e.Port = static_cast<uint8_t>(config.port);
            }
        }
        state().rememberList(ports);
        return static_cast<int32_t>(ports.size());
    });
}

uint8_t _ZmOpen(int32_t port) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        if (!p) {
            unknownPort(port);
            const int position = state().listPosition(port);
            if (position >= 0) {
                state().board().set(position, state().board().get(port));
            }
            return uint8_t(0);
        }
        return uint8_t(p->open(state().listPosition(port)));
    });
}

void _ZmClose(int32_t port) {
    guardedVoid([&] {
        if (const auto p = programmer(port)) {
            p->close();
        }
    });
}

uint8_t _ZmIsOpen(int32_t port) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        return uint8_t(p && p->isOpen());
    });
}

uint8_t _ZmGetProgrammerType(int32_t port, uint8_t* model, char name[50], char version[10],
                             char serial[10]) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        if (!p) {
            unknownPort(port);
            return uint8_t(0);
        }
        return uint8_t(p->type(model, name, version, serial));
    });
}

void _ZmSetHardwareType(int32_t port, uint8_t model) {
    guardedVoid([&] {
        if (const auto p = programmer(port)) {
            p->setHardwareType(model);
        }
    });
}

uint8_t _ZmCheckFirmware(int32_t port, const char16_t* imagePath, uint8_t available[4],
                         uint8_t current[4]) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        if (!p) {
            unknownPort(port);
            return uint8_t(0);
        }
        return uint8_t(p->checkFirmware(hwsim::toUtf8(imagePath), available, current));
    });
}

uint8_t _ZmLoadFirmwareFile(int32_t port, const char16_t* imagePath) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        if (!p) {
            unknownPort(port);
            return uint8_t(0);
        }
        return uint8_t(p->loadFirmware(hwsim::toUtf8(imagePath)));
    });
}

uint8_t _ZmUpdateFirmware(int32_t port, const char16_t* updaterPath) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        if (!p) {
            unknownPort(port);
            return uint8_t(0);
        }
        return uint8_t(p->updateFirmware(hwsim::toUtf8(updaterPath)));
    });
}

uint8_t _ZmInitHardware(int32_t port, int32_t /*mode*/) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        if (!p) {
            unknownPort(port);
            return uint8_t(0);
        }
        const bool ok = p->initHardware();
        if (ok) {
            state().rememberInitialised(port);
        }
        return uint8_t(ok);
    });
}

void _ZmCloseHardware(int32_t port) {
    guardedVoid([&] {
        if (const auto p = programmer(port)) {
            p->closeHardware();
        }
    });
}

int32_t _ZmGetHardware(int32_t port) {
    return guarded<int32_t>(1, [&] {
        const auto p = programmer(port);
        return int32_t(!p || p->busy());
    });
}

int32_t _ZmGetStatus(int32_t port) {
    return guarded<int32_t>(ZM_STATUS_NOT_PREPARED, [&] {
        const auto p = programmer(port);
        return p ? int32_t(p->status()) : int32_t(ZM_STATUS_NOT_PREPARED);
    });
}

int32_t _ZmGetProgress(int32_t port, double* percent, uint8_t cancel, uint8_t* trigger) {
    return guarded<int32_t>(-1, [&] {
        const auto p = programmer(port);
        if (!p) {
            if (trigger != nullptr) {
                *trigger = 0;
            }
            return int32_t(-1);
        }
        return int32_t(p->progress(percent, cancel != 0, trigger));
    });
}

uint8_t _ZmGetMessage(int32_t context, int32_t n, ZmMessage* message) {
    return guarded<uint8_t>(0, [&] { return uint8_t(state().board().fetch(context, n, message)); });
}

int32_t _ZmGetVendorsDevices(const char16_t* cataloguePath, ZmDeviceRecord** devices,
                             ZmVendorRecord** vendors) {
    return guarded<int32_t>(0, [&] {
        std::string error;
        state().board().clear(0);
        const auto catalogue = state().loadCatalogue(hwsim::toUtf8(cataloguePath), error);
        if (!catalogue) {
            state().board().set(0, {hwsim::failure(error)});
            if (devices != nullptr) {
                *devices = nullptr;
            }
            if (vendors != nullptr) {
                *vendors = nullptr;
            }
            return int32_t(0);
        }
        const hwsim::CatalogueFile& file = catalogue->file();
        if (file.vendorErrorLine != 0) {
            state().board().add(
                0, hwsim::failure(hwsim::format("Catalogue line %d: %s", file.vendorErrorLine,
                                                file.vendorError.c_str())));
        }
        if (file.deviceErrorLine != 0) {
            state().board().add(
                0, hwsim::failure(hwsim::format("Catalogue line %d: %s", file.deviceErrorLine,
                                                file.deviceError.c_str())));
        }
        if (devices != nullptr) {
            *devices = catalogue->deviceHead();
        }
        if (vendors != nullptr) {
            *vendors = catalogue->vendorHead();
        }
        return int32_t(1);
    });
}

int32_t _ZmGetNoOfVendors(void) {
    return guarded<int32_t>(0, [] {
        const auto c = state().catalogue();
        return int32_t(c ? c->vendorCount() : 0);
    });
}

int32_t _ZmGetNoOfDevices(void) {
    return guarded<int32_t>(0, [] {
        const auto c = state().catalogue();
        return int32_t(c ? c->deviceCount() : 0);
    });
}

ZmVendorRecord* _ZmGetVendors(void) {
    return guarded<ZmVendorRecord*>(nullptr, [] {
        const auto c = state().catalogue();
        return c ? c->vendorHead() : nullptr;
    });
}

ZmDeviceRecord* _ZmGetDevices(void) {
    return guarded<ZmDeviceRecord*>(nullptr, [] {
        const auto c = state().catalogue();
        return c ? c->deviceHead() : nullptr;
    });
}

void _ZmGetVendorName(const char vendor[5], char name[50]) {
    guardedVoid([&] {
        if (name == nullptr) {
            return;
        }
        hwsim::putField(name, ZM_VENDOR_NAME_SIZE, "");
        const auto c = state().catalogue();
        if (!c || vendor == nullptr) {
            return;
        }
        if (const auto* v = c->vendor(hwsim::getField(vendor, 5))) {
            hwsim::putField(name, ZM_VENDOR_NAME_SIZE, v->name);
        }
    });
}

uint8_t _ZmSearchDev(const char vendor[5], const char name[25], const char package[10],
                     DeviceDescriptor* descriptor) {
    return guarded<uint8_t>(0, [&] {
        const auto c = state().catalogue();
        if (!c || vendor == nullptr || name == nullptr || package == nullptr) {
            return uint8_t(0);
        }
        std::string key(hwsim::getField(vendor, 5));
        key += ':';
        key += hwsim::getField(name, 25);
        key += ':';
        key += hwsim::getField(package, 10);
        const hwsim::CatalogueDevice* d = c->device(key);
        if (d == nullptr) {
            return uint8_t(0);
        }
        if (descriptor != nullptr) {
            *descriptor = d->descriptor;
        }
        return uint8_t(1);
    });
}

uint8_t _ZmGetBufferInfo(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                         BufferInfo buffers[4]) {
    return guarded<uint8_t>(0, [&] {
        hwsim::MessageBoard& board = state().board();
        const int context = port;
        board.clear(context);
        const auto c = state().catalogue();
        const std::string key = hwsim::readDeviceParams(params);
        const hwsim::CatalogueDevice* d = c ? c->device(key) : nullptr;
        if (d == nullptr) {
            board.set(context, {hwsim::failure("Unknown device parameters: the device is not in "
                                               "the catalogue.")});
            return uint8_t(0);
        }
        const std::string lib = libraryBaseName(libraryPath);
        const std::string expected(hwsim::getField(d->descriptor.LibName, 20));
        if (lib != expected) {
            board.set(context,
                      {hwsim::failure(hwsim::format("Algorithm library '%s' does not support %s.",
                                                    lib.c_str(), key.c_str()))});
            return uint8_t(0);
        }
        if (buffers != nullptr) {
            std::memcpy(buffers, d->buffers.data(), sizeof(BufferInfo) * 4);
        }
        return uint8_t(1);
    });
}

uint8_t _ZmInitLib(int32_t port, const char16_t* libraryPath, const uint8_t* params,
                   OperationBlock block, const ZmDataSetStorage* storage, const void* fileEntryA,
                   void* /*logView*/) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        if (!p) {
            unknownPort(port);
            return uint8_t(0);
        }
        const auto c = state().catalogue();
        const std::string key = hwsim::readDeviceParams(params);
        const hwsim::CatalogueDevice* d = c ? c->device(key) : nullptr;
        if (d == nullptr) {
            state().board().set(port, {hwsim::failure("Unknown device parameters: the device is "
                                                      "not in the catalogue.")});
            return uint8_t(0);
        }
        // What a Check ID reads depends on the chip the configuration puts in the socket.
        const std::string chip = p->refresh()->chip;
        const bool empty = hwsim::equalsNoCase(chip, "none");
        std::vector<std::uint8_t> id = d->id;
        if (!chip.empty() && !empty) {
            const hwsim::CatalogueDevice* other = c->device(chip);
            id = other != nullptr ? other->id : std::vector<std::uint8_t>(d->id.size(), 0xFF);
        }
        // Devices programmed from a file read it themselves: memory A's file entry names it.
        std::optional<std::string> design;
        if (d->descriptor.Type == DT_JTAG && fileEntryA != nullptr) {
            hwsim::FileEntryRecord entry{};
            std::memcpy(&entry, fileEntryA, sizeof entry.Size);
            if (entry.Size == sizeof entry) {
                std::memcpy(&entry, fileEntryA, sizeof entry);
            }
            if (entry.Size == sizeof entry && entry.Path != nullptr) {
                design = hwsim::toUtf8(entry.Path);
            }
        }
        return uint8_t(p->initLib(*d, libraryBaseName(libraryPath), block, storage, id, empty,
                                  std::move(design)));
    });
}

int32_t _ZmMakeCode(int32_t port) {
    return guarded<int32_t>(0, [&] {
        const auto p = programmer(port);
        if (!p) {
            unknownPort(port);
            return int32_t(0);
        }
        return int32_t(p->makeCode());
    });
}

void _ZmRunCode(int32_t port) {
    guardedVoid([&] {
        if (const auto p = programmer(port)) {
            p->runCode();
        }
    });
}

void _ZmProcessOps(int32_t port, uint8_t stop) {
    guardedVoid([&] {
        if (const auto p = programmer(port)) {
            p->processOps(stop != 0);
        }
    });
}

int32_t _ZmGetCode(int32_t port, uint8_t* buffer) {
    return guarded<int32_t>(0, [&] {
        const auto p = programmer(port);
        return p ? p->code(buffer) : int32_t(0);
    });
}

void _ZmGetPinCheckRes(int32_t port, ZmPinCheckResult* result) {
    guardedVoid([&] {
        if (const auto p = programmer(port)) {
            p->pinCheckResult(result);
        }
    });
}

void _ZmDeviceSetup(int32_t port, void* /*window*/) {
    guardedVoid([&] {
        if (const auto p = programmer(port)) {
            p->deviceSetup();
        }
    });
}

void _ZmFreeLib(int32_t port) {
    guardedVoid([&] {
        if (const auto p = programmer(port)) {
            p->freeLib();
        }
    });
}

uint8_t _ZmCardInserted(int32_t port) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        return uint8_t(p && p->cardInserted());
    });
}

uint8_t _ZmIdentifyCard(int32_t port, uint8_t block[512]) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port);
        return uint8_t(p && p->identifyCard(block));
    });
}

uint8_t _ZmReadCard(int32_t port, uint32_t firstSector, uint32_t count, uint8_t* buffer) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port & 0xFFFF);
        return uint8_t(p && p->cardTransfer(port & 0x30000, firstSector, count, buffer, nullptr));
    });
}

uint8_t _ZmWriteCard(int32_t port, uint32_t firstSector, uint32_t count, const uint8_t* buffer) {
    return guarded<uint8_t>(0, [&] {
        const auto p = programmer(port & 0xFFFF);
        if (!p) {
            return uint8_t(0);
        }
        const int command = port & 0x30000;
        if (command == 0 && buffer == nullptr) {
            return uint8_t(0);
        }
        return uint8_t(p->cardTransfer(command, firstSector, count, nullptr, buffer));
    });
}

uint8_t _ZmAdapterGetSocket(int32_t command, ZmSocketState* socketState) {
    return guarded<uint8_t>(0, [&] {
        int port = command & 0xFFFF;
        auto p = programmer(port);
        if (!p && port == 0) {
            p = programmer(state().lastInitialised());
        }
        return uint8_t(p && p->socket(command & 0x30000, socketState));
    });
}

} // extern "C"
