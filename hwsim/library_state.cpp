#include "library_state.h"

#include "firmware_image.h"

#include <cstdio>
#include <cstdlib>

namespace hwsim {

LibraryState& LibraryState::instance() {
    static LibraryState state;
    return state;
}

std::filesystem::path stateFolder() {
    if (const char* env = std::getenv("ZELMO_SIM_STATE"); env != nullptr && *env != 0) {
        return env;
    }
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != 0) {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
        data = std::filesystem::path(home) / ".local" / "share";
    } else {
        data = std::filesystem::temp_directory_path();
    }
    return data / "TERVANIK" / "Zelmo2" / "simulator";
}

std::filesystem::path configFile(const std::filesystem::path& appDir) {
    if (const char* env = std::getenv("ZELMO_SIM_CONFIG"); env != nullptr && *env != 0) {
        return env;
    }
    return appDir / "Lib" / "simulator.ini";
}

void LibraryState::init(bool debug) {
    std::lock_guard lock(mutex_);
    debug_ = debug;
}

void LibraryState::setPath(const std::filesystem::path& appDir) {
    std::lock_guard lock(mutex_);
    appDir_ = appDir;
}

void LibraryState::release() {
    std::lock_guard lock(mutex_);
    programmers_.clear();
    listPorts_.clear();
    configured_ = false;
    catalogueChoice_.clear();
    lastInitialised_ = 0;
    catalogue_.reset();
    retired_.clear();
    board_.clearAll();
}

std::filesystem::path LibraryState::appDir() {
    std::lock_guard lock(mutex_);
    return appDir_;
}

void LibraryState::ensureProgrammers() {
    if (configured_) {
        return;
    }
    configured_ = true;
    const std::filesystem::path file = configFile(appDir_);
    const SimConfig config = loadSimConfig(file);
    // Mistakes are seen at once on standard error and stay library messages until read.
    for (const std::string& e : config.errors) {
        std::fprintf(stderr, "Zelmo simulator: %s, %s\n", file.c_str(), e.c_str());
        board_.pin(0, failure("Simulator configuration, " + e));
    }
    catalogueChoice_ = config.catalogue;
    const auto firmware = imageVersion(appDir_ / "Lib" / "cpu.lib", kFirmwareKind)
                              .value_or(std::array<std::uint8_t, 4>{1, 0, 0, 0});
    const std::filesystem::path state = stateFolder();
    std::error_code ec;
    std::filesystem::create_directories(state, ec); // where trigger files are dropped
    for (const ProgrammerConfig& p : config.programmers) {
        programmers_.push_back(std::make_shared<Programmer>(p, state, firmware, board_));
    }
}

std::vector<std::shared_ptr<Programmer>> LibraryState::programmers() {
    std::lock_guard lock(mutex_);
    ensureProgrammers();
    return programmers_;
}

std::shared_ptr<Programmer> LibraryState::find(int port) {
    std::lock_guard lock(mutex_);
    ensureProgrammers();
    for (const auto& p : programmers_) {
        if (p->port() == port) {
            return p;
        }
    }
    return nullptr;
}

int LibraryState::listPosition(int port) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < listPorts_.size(); ++i) {
        if (listPorts_[i] == port) {
            return static_cast<int>(i);
        }
    }
    return listPorts_.empty() ? 0 : -1; // a forced port is the only entry of its list
}

void LibraryState::rememberList(std::vector<int> ports) {
    std::lock_guard lock(mutex_);
    listPorts_ = std::move(ports);
}

void LibraryState::rememberInitialised(int port) {
    std::lock_guard lock(mutex_);
    lastInitialised_ = port;
}

int LibraryState::lastInitialised() {
    std::lock_guard lock(mutex_);
    return lastInitialised_;
}

std::shared_ptr<const Catalogue> LibraryState::loadCatalogue(const std::filesystem::path& file,
                                                             std::string& error) {
    std::string choice;
    std::filesystem::path dir;
    {
        std::lock_guard lock(mutex_);
        ensureProgrammers();
        choice = catalogueChoice_;
        dir = appDir_;
    }
    std::shared_ptr<const Catalogue> loaded;
    if (choice == "unreadable") {
        error = "Could not read catalogue file '" + file.string() +
                "' (the simulator configuration makes it unreadable).";
    } else if (choice == "no_devices") {
        loaded = Catalogue::load(file, error, Catalogue::Content::VendorsOnly);
    } else {
        const std::filesystem::path chosen(choice);
        loaded = Catalogue::load(choice.empty()         ? file
                                 : chosen.is_absolute() ? chosen
                                                        : dir / chosen,
                                 error);
    }
    std::lock_guard lock(mutex_);
    if (catalogue_) {
        retired_.push_back(catalogue_);
    }
    catalogue_ = loaded;
    return loaded;
}

std::shared_ptr<const Catalogue> LibraryState::catalogue() {
    std::filesystem::path dir;
    {
        std::lock_guard lock(mutex_);
        if (catalogue_) {
            return catalogue_;
        }
        dir = appDir_;
    }
    std::string error;
    return loadCatalogue(dir / "Lib" / "ConfigLib.lib", error);
}

} // namespace hwsim
