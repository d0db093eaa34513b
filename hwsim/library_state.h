#pragma once

// The process-wide state of the simulated hardware library: the application directory, the
// configuration and its programmers, the loaded catalogue and the message board. Programmers
// and catalogues are shared pointers, so a call that found one keeps it alive even when
// another thread releases the library meanwhile.

#include "catalogue.h"
#include "message_board.h"
#include "programmer.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

namespace hwsim {

class LibraryState {
public:
    static LibraryState& instance();

    void init(bool debug);
    void setPath(const std::filesystem::path& appDir);
    void release();

    MessageBoard& board() { return board_; }
    std::filesystem::path appDir();

    // The programmers of the configuration, read on first use.
    std::vector<std::shared_ptr<Programmer>> programmers();
    std::shared_ptr<Programmer> find(int port);
    int listPosition(int port);
    void rememberList(std::vector<int> ports);
    void rememberInitialised(int port);
    int lastInitialised();

    // Loads a catalogue file, or what the configuration serves instead of it; the previous
    // catalogue stays allocated until release().
    std::shared_ptr<const Catalogue> loadCatalogue(const std::filesystem::path& file,
                                                   std::string& error);
    // The current catalogue; loads Lib/ConfigLib.lib of the application directory when none
    // was loaded yet.
    std::shared_ptr<const Catalogue> catalogue();

private:
    void ensureProgrammers();

    std::mutex mutex_;
    MessageBoard board_;
    bool debug_ = false;
    std::filesystem::path appDir_;
    bool configured_ = false;
    std::string catalogueChoice_; // the configuration's `catalogue` key
    std::vector<std::shared_ptr<Programmer>> programmers_;
    std::vector<int> listPorts_;
    int lastInitialised_ = 0;
    std::shared_ptr<const Catalogue> catalogue_;
    std::vector<std::shared_ptr<const Catalogue>> retired_;
};

// The state folder of the simulated chips and cards (ZELMO_SIM_STATE, else a folder under the
// user's data directory).
std::filesystem::path stateFolder();
// The configuration file (ZELMO_SIM_CONFIG, else Lib/simulator.ini of the application
// directory).
std::filesystem::path configFile(const std::filesystem::path& appDir);

} // namespace hwsim
