#pragma once

// Test access to the simulated hardware library: loads libhardware.so from ZELMO_BIN_DIR,
// resolves every entry point by name, and gives each test a private configuration, state
// folder and catalogue.

#include "abi/hardware_api.h"
#include "common/temp_dir.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zelmo::test {

struct HardwareLibrary {
#define ZM_MEMBER(base) base##_fn _##base = nullptr;
    ZM_ENTRY_POINTS(ZM_MEMBER)
#undef ZM_MEMBER
    void* handle = nullptr;
    std::vector<std::string> missing; // entry points the library does not export

    // The library of the build's application directory, loaded once per process.
    static HardwareLibrary& get();
    static std::filesystem::path binDir();
};

std::u16string wide(const std::string& text);
std::string narrow(const char16_t* text);

// Every message of a context as "text" lines, and whether any carries an error.
struct Messages {
    std::vector<std::string> texts;
    std::vector<int> errors;
    std::vector<int> classes;
    std::string joined() const;
};
Messages messages(int context);

// A data set of a device: a swap file with memories A-D and area E back to back.
class DataSet {
public:
    DataSet(const TempDir& dir, const DeviceDescriptor& device, const std::string& name = "swap");
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    const ZmDataSetStorage& storage() const { return storage_; }
    std::vector<std::uint8_t> read(int m) const;
    void write(int m, const std::vector<std::uint8_t>& bytes);

private:
    int fd_ = -1;
    ZmDataSetStorage storage_{};
};

// A fresh simulator for one test: writes the configuration text (empty = no file), points the
// library at a private state folder, and loads the shipped catalogue (or the given text).
class Simulator {
public:
    enum class Catalogue { Expected, Unchecked };
    explicit Simulator(const std::string& config, const std::string& catalogue = {},
                       Catalogue check = Catalogue::Expected);
    ~Simulator();

    HardwareLibrary& hw;
    TempDir dir;

    DeviceDescriptor device(const std::string& vendor, const std::string& name,
                            const std::string& package);
    std::u16string libraryPath(const DeviceDescriptor& device) const;
    OperationBlock block(const DeviceDescriptor& device, std::uint8_t mode, std::uint32_t ops,
                         std::uint8_t memSelect = 0x0F) const;
    // InitLib + MakeCode + RunCode + ProcessOps on the calling thread; returns the status.
    int run(int port, const DeviceDescriptor& device, const DataSet& data, std::uint32_t ops,
            std::uint8_t memSelect = 0x0F, std::uint8_t mode = OPMODE_RUN);
    // Opens every configured programmer; returns their ports.
    std::vector<int> openAll();
    // Replaces programmer `port`'s control file in one step, as an editor saving it would.
    void control(int port, const std::string& text) const;
    std::filesystem::path portDir(int port) const;
    // InitLib + MakeCode; false with a test failure when either refuses.
    bool prepare(int port, const DeviceDescriptor& device, const OperationBlock& block,
                 const DataSet* data, const void* fileEntry = nullptr);
};

std::vector<std::uint8_t> pattern(std::size_t size, std::uint32_t seed);

} // namespace zelmo::test
