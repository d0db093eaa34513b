#include "hardware_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace zelmo::test {

std::filesystem::path HardwareLibrary::binDir() {
    const char* dir = std::getenv("ZELMO_BIN_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::current_path();
}

HardwareLibrary& HardwareLibrary::get() {
    static HardwareLibrary lib = [] {
        HardwareLibrary l;
        const auto path = binDir() / "libhardware.so";
        l.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (l.handle == nullptr) {
            ADD_FAILURE() << "cannot load " << path << ": " << ::dlerror();
            return l;
        }
#define ZM_RESOLVE(base)                                                                           \
    l._##base = reinterpret_cast<base##_fn>(::dlsym(l.handle, ZM_SYMBOL(base)));                   \
    if (l._##base == nullptr) {                                                                    \
        l.missing.push_back(ZM_SYMBOL(base));                                                      \
    }
        ZM_ENTRY_POINTS(ZM_RESOLVE)
#undef ZM_RESOLVE
        return l;
    }();
    return lib;
}

std::u16string wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::string narrow(const char16_t* text) {
    std::string out;
    for (; *text != 0; ++text) {
        out += static_cast<char>(*text < 0x80 ? *text : '?');
    }
    return out;
}

std::string Messages::joined() const {
    std::string out;
    for (const auto& t : texts) {
        out += t + "\n";
    }
    return out;
}

Messages messages(int context) {
    Messages out;
    ZmMessage m;
    for (int n = 0; HardwareLibrary::get()._ZmGetMessage(context, n, &m); ++n) {
        out.texts.push_back(narrow(m.Text));
        out.errors.push_back(m.Error);
        out.classes.push_back(m.Class);
    }
    return out;
}

DataSet::DataSet(const TempDir& dir, const DeviceDescriptor& device, const std::string& name) {
    const auto path = dir / (name + ".swp");
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::int64_t at = 0;
    storage_.SwapFile = fd_;
    for (int m = 0; m < 5; ++m) {
        storage_.MemStart[m] = at;
        storage_.MemSize[m] = device.MemSize[m];
        at += device.MemSize[m];
    }
    EXPECT_EQ(::ftruncate(fd_, at), 0);
    for (int m = 0; m < 5; ++m) {
        write(m, std::vector<std::uint8_t>(device.MemSize[m], 0xFF));
    }
}

DataSet::~DataSet() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::vector<std::uint8_t> DataSet::read(int m) const {
    std::vector<std::uint8_t> bytes(storage_.MemSize[m]);
    EXPECT_EQ(::pread(fd_, bytes.data(), bytes.size(), storage_.MemStart[m]),
              static_cast<ssize_t>(bytes.size()));
    return bytes;
}

void DataSet::write(int m, const std::vector<std::uint8_t>& bytes) {
    ASSERT_LE(bytes.size(), +storage_.MemSize[m]);
    ASSERT_EQ(::pwrite(fd_, bytes.data(), bytes.size(), storage_.MemStart[m]),
              static_cast<ssize_t>(bytes.size()));
}

Simulator::Simulator(const std::string& config, const std::string& catalogue, Catalogue check)
    : hw(HardwareLibrary::get()) {
    const auto configPath = dir / "simulator.ini";
    if (!config.empty()) {
        EXPECT_TRUE(writeFile(configPath, config));
    }
    ::setenv("ZELMO_SIM_CONFIG", configPath.c_str(), 1);
    ::setenv("ZELMO_SIM_STATE", (dir / "state").c_str(), 1);
    hw._ZmFree();
    hw._ZmInit(0);
    hw._ZmSetPath(wide(HardwareLibrary::binDir().string() + "/").c_str());
    std::filesystem::path cataloguePath = HardwareLibrary::binDir() / "Lib" / "ConfigLib.lib";
    if (!catalogue.empty()) {
        cataloguePath = dir / "ConfigLib.lib";
        EXPECT_TRUE(writeFile(cataloguePath, catalogue));
    }
    ZmDeviceRecord* devices = nullptr;
    ZmVendorRecord* vendors = nullptr;
    const int loaded =
        hw._ZmGetVendorsDevices(wide(cataloguePath.string()).c_str(), &devices, &vendors);
    if (check == Catalogue::Expected) {
        EXPECT_EQ(loaded, 1);
    }
}

Simulator::~Simulator() {
    hw._ZmFree();
}

DeviceDescriptor Simulator::device(const std::string& vendor, const std::string& name,
                                   const std::string& package) {
    char v[5] = {}, n[25] = {}, p[10] = {};
    std::strncpy(v, vendor.c_str(), sizeof v - 1);
    std::strncpy(n, name.c_str(), sizeof n - 1);
    std::strncpy(p, package.c_str(), sizeof p - 1);
    DeviceDescriptor d{};
    EXPECT_TRUE(hw._ZmSearchDev(v, n, p, &d)) << vendor << ":" << name << ":" << package;
    return d;
}

std::u16string Simulator::libraryPath(const DeviceDescriptor& device) const {
    return wide(HardwareLibrary::binDir().string() + "/Dev/" + device.LibName + ".so");
}

OperationBlock Simulator::block(const DeviceDescriptor& /*device*/, std::uint8_t mode,
                                std::uint32_t ops, std::uint8_t memSelect) const {
    OperationBlock b{};
    b.Mode = mode;
    b.One = 1;
    b.Operations = ops;
    b.MemSelect = memSelect;
    return b;
}

int Simulator::run(int port, const DeviceDescriptor& device, const DataSet& data, std::uint32_t ops,
                   std::uint8_t memSelect, std::uint8_t mode) {
    const auto path = libraryPath(device);
    if (!hw._ZmInitLib(port, path.c_str(), device.LibParams, block(device, mode, ops, memSelect),
                       &data.storage(), nullptr, nullptr)) {
        ADD_FAILURE() << "InitLib failed: " << messages(port).joined();
        return -1;
    }
    EXPECT_NE(hw._ZmMakeCode(port), 0) << messages(port).joined();
    hw._ZmRunCode(port);
    EXPECT_LT(hw._ZmGetStatus(port), 0);
    hw._ZmProcessOps(port, 0);
    const int status = hw._ZmGetStatus(port);
    hw._ZmFreeLib(port);
    return status;
}

std::vector<int> Simulator::openAll() {
    ZmPortListEntry list[16];
    const int count = hw._ZmDeviceCount(list);
    std::vector<int> ports;
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(hw._ZmOpen(list[i].Port)) << messages(list[i].Port).joined();
        ports.push_back(list[i].Port);
    }
    return ports;
}

std::filesystem::path Simulator::portDir(int port) const {
    return dir / "state" / ("port-" + std::to_string(port));
}

void Simulator::control(int port, const std::string& text) const {
    std::filesystem::create_directories(portDir(port));
    const auto temporary = portDir(port) / "control.ini.new";
    ASSERT_TRUE(writeFile(temporary, text));
    std::filesystem::rename(temporary, portDir(port) / "control.ini");
}

bool Simulator::prepare(int port, const DeviceDescriptor& device, const OperationBlock& block,
                        const DataSet* data, const void* fileEntry) {
    const auto path = libraryPath(device);
    if (!hw._ZmInitLib(port, path.c_str(), device.LibParams, block,
                       data != nullptr ? &data->storage() : nullptr, fileEntry, nullptr)) {
        ADD_FAILURE() << "InitLib failed: " << messages(port).joined();
        return false;
    }
    if (hw._ZmMakeCode(port) == 0) {
        ADD_FAILURE() << "MakeCode failed: " << messages(port).joined();
        return false;
    }
    return true;
}

std::vector<std::uint8_t> pattern(std::size_t size, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(gen());
    }
    return bytes;
}

} // namespace zelmo::test
