#include "sim_config.h"

#include "text_util.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <tuple>

namespace hwsim {

namespace {

constexpr const char* kFaults[] = {
    "open",          "type",     "firmware_check", "firmware_load", "firmware_update",
    "init_hardware", "init_lib", "make_code",      "card_identify", "card_read",
    "card_write",    "check_id", "read",           "erase",         "blank_check",
    "program",       "verify",   "configure",      "test",          "setup"};

bool knownFault(std::string_view name) {
    for (const char* f : kFaults) {
        if (name == f) {
            return true;
        }
    }
    return false;
}

std::optional<bool> parseBool(std::string_view v) {
    if (equalsNoCase(v, "yes") || equalsNoCase(v, "true") || v == "1" || equalsNoCase(v, "on")) {
        return true;
    }
    if (equalsNoCase(v, "no") || equalsNoCase(v, "false") || v == "0" || equalsNoCase(v, "off")) {
        return false;
    }
    return std::nullopt;
}

// "A:0x100=0x5A"
std::optional<StuckCell> parseStuck(std::string_view item) {
    const std::size_t colon = item.find(':');
    const std::size_t eq = item.find('=');
    if (colon != 1 || eq == std::string_view::npos || eq < colon) {
        return std::nullopt;
    }
    const char m = static_cast<char>(item[0] & ~0x20);
    const auto address = parseNumber(item.substr(2, eq - 2));
    const auto value = parseNumber(item.substr(eq + 1));
    if (m < 'A' || m > 'D' || !address || !value || *value > 0xFF) {
        return std::nullopt;
    }
    return StuckCell{m - 'A', *address, static_cast<std::uint8_t>(*value)};
}

// "21,22:accept"
std::optional<SocketStep> parseStep(std::string_view item) {
    SocketStep step;
    const std::size_t colon = item.find(':');
    std::string_view pins = trim(item.substr(0, colon));
    if (colon != std::string_view::npos) {
        const std::string_view key = trim(item.substr(colon + 1));
        if (equalsNoCase(key, "accept")) {
            step.key = -2;
        } else if (equalsNoCase(key, "next")) {
            step.key = -5;
        } else if (equalsNoCase(key, "prev") || equalsNoCase(key, "previous")) {
            step.key = -9;
        } else {
            return std::nullopt;
        }
    }
    if (pins != "-" && !pins.empty()) {
        for (std::string_view p : words(pins)) {
            const auto n = parseNumber(p);
            if (!n || *n < 1 || *n > 48) {
                return std::nullopt;
            }
            step.pins.push_back(static_cast<int>(*n));
        }
    }
    return step;
}

class ConfigParser {
public:
    SimConfig run(std::string_view text);

private:
    void globalKey(std::string_view key, std::string_view value);
    bool programmerKey(ProgrammerConfig& p, std::string_view key, std::string_view value);
    void error(const std::string& text) {
        out_.errors.push_back("line " + std::to_string(line_) + ": " + text);
    }

    SimConfig out_;
    int line_ = 0;
    int count_ = 1;
    ProgrammerConfig defaults_;
};

SimConfig ConfigParser::run(std::string_view text) {
    int section = 0; // 0 = [simulator], n = [programmer n], -1 = unknown
    std::vector<std::tuple<int, int, std::string, std::string>> entries;
    while (!text.empty()) {
        ++line_;
        const std::size_t eol = text.find('\n');
        const std::string_view s = trim(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (s.empty() || s[0] == '#' || s[0] == ';') {
            continue;
        }
        if (s.front() == '[' && s.back() == ']') {
            const std::string_view inside = trim(s.substr(1, s.size() - 2));
            const auto w = words(inside);
            if (w.size() == 1 && equalsNoCase(w[0], "simulator")) {
                section = 0;
            } else if (w.size() == 2 && equalsNoCase(w[0], "programmer")) {
                const auto n = parseNumber(w[1]);
                if (!n || *n < 1 || *n > 16) {
                    error("programmer sections are numbered 1 to 16");
                    section = -1;
                } else {
                    section = static_cast<int>(*n);
                }
            } else {
                error("unknown section");
                section = -1;
            }
            continue;
        }
        const std::size_t eq = s.find('=');
        if (eq == std::string_view::npos) {
            error("line without '='");
            continue;
        }
        if (section >= 0) {
            entries.emplace_back(line_, section, std::string(trim(s.substr(0, eq))),
                                 std::string(trim(s.substr(eq + 1))));
        }
    }
    // Global keys first, so that they are the defaults of every programmer.
    for (const auto& [line, sec, key, value] : entries) {
        if (sec == 0) {
            line_ = line;
            globalKey(key, value);
        }
    }
    for (int i = 1; i <= count_; ++i) {
        ProgrammerConfig p = defaults_;
        p.port = i;
        char serial[16];
        std::snprintf(serial, sizeof serial, "ZS%06d", i);
        p.serial = serial;
        out_.programmers.push_back(std::move(p));
    }
    for (const auto& [line, sec, key, value] : entries) {
        if (sec == 0) {
            continue;
        }
        line_ = line;
        if (sec > count_) {
            error("programmer " + std::to_string(sec) + " is beyond the programmer count");
            continue;
        }
        programmerKey(out_.programmers[sec - 1], key, value);
    }
    std::set<int> ports;
    for (const ProgrammerConfig& p : out_.programmers) {
        if (!ports.insert(p.port).second) {
            line_ = 0;
            error("port " + std::to_string(p.port) + " is used twice");
        }
    }
    return std::move(out_);
}

void ConfigParser::globalKey(std::string_view key, std::string_view value) {
    if (equalsNoCase(key, "programmers")) {
        const auto n = parseNumber(value);
        if (!n || *n > 16) {
            error("programmers must be 0 to 16");
            return;
        }
        count_ = static_cast<int>(*n);
        return;
    }
    if (equalsNoCase(key, "port")) {
        error("port belongs to a [programmer N] section");
        return;
    }
    programmerKey(defaults_, key, value);
}

bool ConfigParser::programmerKey(ProgrammerConfig& p, std::string_view key,
                                 std::string_view value) {
    const auto number = [&](std::uint64_t low, std::uint64_t high) -> std::optional<std::uint64_t> {
        const auto n = parseNumber(value);
        if (!n || *n < low || *n > high) {
            error(std::string(key) + " must be " + std::to_string(low) + " to " +
                  std::to_string(high));
            return std::nullopt;
        }
        return n;
    };
    const auto flag = [&](bool& target) {
        const auto b = parseBool(value);
        if (!b) {
            error(std::string(key) + " must be yes or no");
            return;
        }
        target = *b;
    };
    const auto text = [&](std::string& target, std::size_t max) {
        if (value.size() > max) {
            error(std::string(key) + " is longer than " + std::to_string(max) + " characters");
            return;
        }
        target = std::string(value);
    };
    if (equalsNoCase(key, "port")) {
        if (const auto n = number(1, 255)) {
            p.port = static_cast<int>(*n);
        }
    } else if (equalsNoCase(key, "model")) {
        if (const auto n = number(0, 255)) {
            p.model = static_cast<std::uint8_t>(*n);
        }
    } else if (equalsNoCase(key, "name")) {
        text(p.name, 49);
    } else if (equalsNoCase(key, "hardware")) {
        text(p.hardware, 9);
    } else if (equalsNoCase(key, "serial")) {
        text(p.serial, 9);
    } else if (equalsNoCase(key, "firmware")) {
        const auto v = parseVersion(value);
        if (!v) {
            error("firmware must look like 1.02.03.04");
        } else {
            p.firmware = v;
        }
    } else if (equalsNoCase(key, "speed")) {
        if (const auto n = number(1, 1ull << 40)) {
            p.speed = static_cast<double>(*n);
        }
    } else if (equalsNoCase(key, "overhead_ms")) {
        if (const auto n = number(0, 600000)) {
            p.overheadMs = static_cast<int>(*n);
        }
    } else if (equalsNoCase(key, "trigger_ms")) {
        if (const auto n = number(0, 3600000)) {
            p.triggerMs = static_cast<int>(*n);
        }
    } else if (equalsNoCase(key, "chip")) {
        text(p.chip, 42);
    } else if (equalsNoCase(key, "card")) {
        flag(p.card);
    } else if (equalsNoCase(key, "card_file")) {
        text(p.cardFile, 4096);
    } else if (equalsNoCase(key, "card_size")) {
        if (const auto n = number(512, 1ull << 40)) {
            p.cardSectors = *n / 512;
        }
    } else if (equalsNoCase(key, "card_lba")) {
        flag(p.cardLba);
    } else if (equalsNoCase(key, "card_features")) {
        if (const auto n = number(0, 0xFFFF)) {
            p.cardFeatures = static_cast<std::uint16_t>(*n);
        }
    } else if (equalsNoCase(key, "card_model")) {
        text(p.cardModel, 40);
    } else if (equalsNoCase(key, "card_serial")) {
        text(p.cardSerial, 20);
    } else if (equalsNoCase(key, "busy")) {
        flag(p.busy);
    } else if (equalsNoCase(key, "fail")) {
        p.failures.clear();
        for (std::string_view w : words(value)) {
            const std::string name = [&] {
                std::string s(w);
                for (char& c : s) {
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                }
                return s;
            }();
            if (!knownFault(name)) {
                error("unknown fault '" + name + "'");
                continue;
            }
            p.failures.insert(name);
        }
    } else if (equalsNoCase(key, "stuck")) {
        p.stuck.clear();
        for (std::string_view w : words(value)) {
            const auto cell = parseStuck(w);
            if (!cell) {
                error("stuck cells look like A:0x100=0x5A");
                continue;
            }
            p.stuck.push_back(*cell);
        }
    } else if (equalsNoCase(key, "pincheck")) {
        const bool icp =
            value.size() >= 2 && (value[0] == 'I' || value[0] == 'i') && value[1] == ':';
        const std::size_t letters = icp ? value.size() - 2 : value.size();
        if (letters > 48) {
            error("pincheck has at most 48 letters");
            return false;
        }
        p.pinCheck = std::string(value);
    } else if (equalsNoCase(key, "scan")) {
        p.scan.clear();
        for (std::string_view item : split(value, ';')) {
            if (item.empty()) {
                continue;
            }
            const auto step = parseStep(item);
            if (!step) {
                error("scan steps look like 21,22:accept; -; 23:next");
                p.scan.clear();
                return false;
            }
            p.scan.push_back(*step);
        }
    } else if (equalsNoCase(key, "setup")) {
        p.setup.clear();
        for (std::string_view w : words(value)) {
            const auto b = parseHexByte(w);
            if (!b) {
                error("setup is a list of hexadecimal bytes");
                p.setup.clear();
                return false;
            }
            p.setup.push_back(*b);
        }
    } else {
        error("unknown key '" + std::string(key) + "'");
        return false;
    }
    return true;
}

} // namespace

SimConfig parseSimConfig(std::string_view text) {
    return ConfigParser().run(text);
}

SimConfig loadSimConfig(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return parseSimConfig("");
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parseSimConfig(text.str());
}

std::optional<std::array<std::uint8_t, 4>> parseVersion(std::string_view text) {
    const auto parts = split(trim(text), '.');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 4> v{};
    const auto major = parseNumber(parts[0]);
    if (!major || *major > 255) {
        return std::nullopt;
    }
    v[0] = static_cast<std::uint8_t>(*major);
    for (int i = 1; i < 4; ++i) {
        const auto b = parseHexByte(parts[i]);
        if (!b || parts[i].size() != 2) {
            return std::nullopt;
        }
        v[i] = *b;
    }
    return v;
}

} // namespace hwsim
