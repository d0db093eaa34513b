#include "sim_config.h"

#include "file_handle.h"
#include "text_util.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>

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

// "A:0x100", "0x100" (memory A) for a verify failure.
std::optional<std::pair<int, std::uint64_t>> parseCell(std::string_view item) {
    int memory = 0;
    if (item.size() > 2 && item[1] == ':') {
        const char m = static_cast<char>(item[0] & ~0x20);
        if (m < 'A' || m > 'D') {
            return std::nullopt;
        }
        memory = m - 'A';
        item.remove_prefix(2);
    }
    const auto address = parseNumber(item);
    if (!address) {
        return std::nullopt;
    }
    return std::pair{memory, *address};
}

// A decimal factor such as "10" or "0.5", within [low, high].
std::optional<double> parseFactor(std::string_view text, double low, double high) {
    text = trim(text);
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    // from_chars, unlike strtod, does not follow the process locale's decimal separator.
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !(v >= low && v <= high)) {
        return std::nullopt;
    }
    return v;
}

bool isOutcomeWord(std::string_view w) {
    static constexpr const char* kWords[] = {"pass",        "verify",  "check_id",  "pin_check",
                                             "slow",        "cancel",  "read",      "erase",
                                             "blank_check", "program", "configure", "test"};
    for (const char* k : kWords) {
        if (equalsNoCase(w, k)) {
            return true;
        }
    }
    return false;
}

// "verify A:0x100 slow 4", "pin_check 14 37", "cancel 30%": items of one outcome. Returns the
// reason when the text is not an outcome.
std::optional<std::string> parseOutcome(std::string_view value, RunOutcome& out) {
    const auto w = words(value);
    if (w.empty()) {
        return "a run needs an outcome";
    }
    for (std::size_t i = 0; i < w.size();) {
        const std::string name = lower(w[i]);
        ++i;
        std::vector<std::string_view> args;
        while (i < w.size() && !isOutcomeWord(w[i])) {
            args.push_back(w[i++]);
        }
        if (name == "pass") {
            if (!args.empty()) {
                return "pass takes nothing";
            }
        } else if (name == "verify") {
            if (args.size() > 1) {
                return "verify takes one cell such as A:0x100";
            }
            const auto cell = args.empty() ? std::optional(std::pair<int, std::uint64_t>{0, 0})
                                           : parseCell(args[0]);
            if (!cell) {
                return "verify takes one cell such as A:0x100";
            }
            out.verifyMemory = cell->first;
            out.verifyAddress = cell->second;
        } else if (name == "pin_check") {
            if (args.empty()) {
                return "pin_check needs socket pins 1 to 48 or signals S0 to S5";
            }
            for (std::string_view a : args) {
                if (a.size() == 2 && (a[0] == 'S' || a[0] == 's') && a[1] >= '0' && a[1] <= '5') {
                    out.noContact.push_back(100 + (a[1] - '0'));
                    continue;
                }
                const auto n = parseNumber(a);
                if (!n || *n < 1 || *n > 48) {
                    return "pin_check needs socket pins 1 to 48 or signals S0 to S5";
                }
                out.noContact.push_back(static_cast<int>(*n));
            }
        } else if (name == "slow") {
            const auto f = args.empty() ? std::optional(10.0) : parseFactor(args[0], 1.0, 1000.0);
            if (!f || args.size() > 1) {
                return "slow takes a factor from 1 to 1000";
            }
            out.slow = *f;
        } else if (name == "cancel") {
            std::string_view at = args.empty() ? "50" : args[0];
            if (!at.empty() && at.back() == '%') {
                at.remove_suffix(1);
            }
            const auto p = parseFactor(at, 0.0, 100.0);
            if (!p || args.size() > 1) {
                return "cancel takes a percentage from 0 to 100";
            }
            out.cancelAtPercent = *p;
        } else {
            if (!args.empty()) {
                return name + " takes nothing";
            }
            out.faults.insert(name);
        }
    }
    return std::nullopt;
}

// "run 2", "run 2-4", "run 3+": the run numbers a rule covers.
std::optional<std::pair<std::uint64_t, std::uint64_t>> parseRunRange(std::string_view text) {
    text = trim(text);
    std::uint64_t first = 0, last = 0;
    if (!text.empty() && text.back() == '+') {
        const auto n = parseNumber(text.substr(0, text.size() - 1));
        if (!n) {
            return std::nullopt;
        }
        first = *n;
        last = UINT64_MAX;
    } else if (const std::size_t dash = text.find('-'); dash != std::string_view::npos) {
        const auto a = parseNumber(text.substr(0, dash));
        const auto b = parseNumber(text.substr(dash + 1));
        if (!a || !b) {
            return std::nullopt;
        }
        first = *a;
        last = *b;
    } else {
        const auto n = parseNumber(text);
        if (!n) {
            return std::nullopt;
        }
        first = last = *n;
    }
    if (first < 1 || last < first) {
        return std::nullopt;
    }
    return std::pair{first, last};
}

// The keys of one programmer, shared by the configuration and the control file.
class KeyReader {
public:
    explicit KeyReader(std::vector<std::string>& errors) : errors_(errors) {}

    void setLine(int line) { line_ = line; }
    void error(const std::string& text) {
        errors_.push_back(line_ > 0 ? "line " + std::to_string(line_) + ": " + text : text);
    }
    // Applies one key; `control` refuses what cannot change while the library runs.
    void apply(ProgrammerConfig& p, std::string_view key, std::string_view value, bool control);

private:
    std::vector<std::string>& errors_;
    int line_ = 0;
};

void KeyReader::apply(ProgrammerConfig& p, std::string_view key, std::string_view value,
                      bool control) {
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
    for (const char* identity : {"port", "model", "name", "hardware", "serial", "firmware"}) {
        if (control && equalsNoCase(key, identity)) {
            error(std::string(key) + " cannot change while the library runs");
            return;
        }
    }
    if (!control && (equalsNoCase(key, "socket") || equalsNoCase(key, "press"))) {
        error(std::string(key) + " belongs to a control file");
        return;
    }
    if (key.size() > 4 && equalsNoCase(key.substr(0, 4), "run ")) {
        const auto range = parseRunRange(key.substr(4));
        if (!range) {
            error("runs are numbered 'run 2', 'run 2-4' or 'run 3+'");
            return;
        }
        RunRule rule;
        rule.first = range->first;
        rule.last = range->second;
        if (const auto why = parseOutcome(value, rule.outcome)) {
            error(std::string(key) + ": " + *why);
            return;
        }
        p.runs.push_back(std::move(rule));
    } else if (equalsNoCase(key, "port")) {
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
    } else if (equalsNoCase(key, "speed_factor")) {
        if (const auto f = parseFactor(value, 0.001, 100000.0)) {
            p.speedFactor = *f;
        } else {
            error("speed_factor must be a number from 0.001 to 100000");
        }
    } else if (equalsNoCase(key, "overhead_ms")) {
        if (const auto n = number(0, 600000)) {
            p.overheadMs = static_cast<int>(*n);
        }
    } else if (equalsNoCase(key, "prepare_ms")) {
        if (const auto n = number(0, 600000)) {
            p.prepareMs = static_cast<int>(*n);
        }
    } else if (equalsNoCase(key, "trigger_ms")) {
        if (const auto n = number(0, 3600000)) {
            p.triggerMs = static_cast<int>(*n);
        }
    } else if (equalsNoCase(key, "insert_ms")) {
        std::vector<std::uint64_t> times;
        for (std::string_view w : words(value)) {
            const auto n = parseNumber(w);
            if (!n || *n > 86400000) {
                error("insert_ms is a list of times in milliseconds");
                return;
            }
            times.push_back(*n);
        }
        std::sort(times.begin(), times.end());
        p.insertMs = std::move(times);
    } else if (equalsNoCase(key, "chip")) {
        text(p.chip, 42);
    } else if (equalsNoCase(key, "socket")) {
        text(p.socket, 64);
    } else if (equalsNoCase(key, "press")) {
        if (const auto n = number(0, UINT32_MAX)) {
            p.presses = *n;
        }
    } else if (equalsNoCase(key, "content")) {
        text(p.content, 4096);
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
    } else if (equalsNoCase(key, "card_firmware")) {
        text(p.cardFirmware, 8);
    } else if (equalsNoCase(key, "busy")) {
        flag(p.busy);
    } else if (equalsNoCase(key, "fail")) {
        p.failures.clear();
        for (std::string_view w : words(value)) {
            const std::string name = lower(w);
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
            return;
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
                return;
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
                return;
            }
            p.setup.push_back(*b);
        }
    } else {
        error("unknown key '" + std::string(key) + "'");
    }
}

// One "key = value" line of a file, or a section header.
struct Line {
    int number = 0;
    bool header = false;
    std::string_view key; // the header's inside for a header
    std::string_view value;
};

// Splits the text into its meaningful lines; a line that is neither is reported.
std::vector<Line> readLines(std::string_view text, KeyReader& reader) {
    std::vector<Line> out;
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t eol = text.find('\n');
        const std::string_view s = trim(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (s.empty() || s[0] == '#' || s[0] == ';') {
            continue;
        }
        if (s.front() == '[' && s.back() == ']') {
            out.push_back({number, true, trim(s.substr(1, s.size() - 2)), {}});
            continue;
        }
        const std::size_t eq = s.find('=');
        if (eq == std::string_view::npos) {
            reader.setLine(number);
            reader.error("line without '='");
            continue;
        }
        out.push_back({number, false, trim(s.substr(0, eq)), trim(s.substr(eq + 1))});
    }
    return out;
}

SimConfig parseConfigText(std::string_view text) {
    SimConfig out;
    KeyReader reader(out.errors);
    int count = 1;
    ProgrammerConfig defaults;
    int section = 0; // 0 = [simulator], n = [programmer n], -1 = unknown
    std::vector<std::pair<int, Line>> entries;
    for (const Line& line : readLines(text, reader)) {
        reader.setLine(line.number);
        if (line.header) {
            const auto w = words(line.key);
            if (w.size() == 1 && equalsNoCase(w[0], "simulator")) {
                section = 0;
            } else if (w.size() == 2 && equalsNoCase(w[0], "programmer")) {
                const auto n = parseNumber(w[1]);
                if (!n || *n < 1 || *n > 16) {
                    reader.error("programmer sections are numbered 1 to 16");
                    section = -1;
                } else {
                    section = static_cast<int>(*n);
                }
            } else {
                reader.error("unknown section");
                section = -1;
            }
        } else if (section >= 0) {
            entries.emplace_back(section, line);
        }
    }
    // Global keys first, so that they are the defaults of every programmer.
    for (const auto& [sec, line] : entries) {
        if (sec != 0) {
            continue;
        }
        reader.setLine(line.number);
        if (equalsNoCase(line.key, "programmers")) {
            const auto n = parseNumber(line.value);
            if (!n || *n > 16) {
                reader.error("programmers must be 0 to 16");
            } else {
                count = static_cast<int>(*n);
            }
        } else if (equalsNoCase(line.key, "catalogue")) {
            if (line.value.empty() || line.value.size() > 4096) {
                reader.error("catalogue is unreadable, no_devices or a file");
            } else {
                out.catalogue = std::string(line.value);
            }
        } else if (equalsNoCase(line.key, "port")) {
            reader.error("port belongs to a [programmer N] section");
        } else {
            reader.apply(defaults, line.key, line.value, false);
        }
    }
    for (int i = 1; i <= count; ++i) {
        ProgrammerConfig p = defaults;
        p.port = i;
        char serial[16];
        std::snprintf(serial, sizeof serial, "ZS%06d", i);
        p.serial = serial;
        out.programmers.push_back(std::move(p));
    }
    for (const auto& [sec, line] : entries) {
        if (sec == 0) {
            continue;
        }
        reader.setLine(line.number);
        if (sec > count) {
            reader.error("programmer " + std::to_string(sec) + " is beyond the programmer count");
            continue;
        }
        if (equalsNoCase(line.key, "programmers") || equalsNoCase(line.key, "catalogue")) {
            reader.error(std::string(line.key) + " belongs to the [simulator] section");
            continue;
        }
        reader.apply(out.programmers[static_cast<std::size_t>(sec - 1)], line.key, line.value,
                     false);
    }
    std::set<int> ports;
    for (const ProgrammerConfig& p : out.programmers) {
        if (!ports.insert(p.port).second) {
            reader.setLine(0);
            reader.error("port " + std::to_string(p.port) + " is used twice");
        }
    }
    return out;
}

} // namespace

SimConfig parseSimConfig(std::string_view text) {
    return parseConfigText(text);
}

SimConfig loadSimConfig(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return parseSimConfig("");
    }
    std::string why;
    const auto text = readTextFile(file, kMaxConfigBytes, &why);
    SimConfig config = parseSimConfig(text.value_or(""));
    if (!text) {
        config.errors.insert(config.errors.begin(), why);
    }
    return config;
}

ControlResult applyControl(const ProgrammerConfig& base, std::string_view text) {
    ControlResult out{base, {}};
    out.config.socket.clear();
    out.config.presses.reset();
    KeyReader reader(out.errors);
    for (const Line& line : readLines(text, reader)) {
        reader.setLine(line.number);
        if (line.header) {
            reader.error("a control file has no sections");
            continue;
        }
        reader.apply(out.config, line.key, line.value, true);
    }
    return out;
}

void RunOutcome::merge(const RunOutcome& other) {
    faults.insert(other.faults.begin(), other.faults.end());
    if (other.verifyMemory >= 0) {
        verifyMemory = other.verifyMemory;
        verifyAddress = other.verifyAddress;
    }
    noContact.insert(noContact.end(), other.noContact.begin(), other.noContact.end());
    slow = std::max(slow, other.slow);
    if (other.cancelAtPercent >= 0) {
        cancelAtPercent = other.cancelAtPercent;
    }
}

RunOutcome ProgrammerConfig::outcome(std::uint64_t n) const {
    RunOutcome out;
    for (const RunRule& rule : runs) {
        if (n >= rule.first && n <= rule.last) {
            out.merge(rule.outcome);
        }
    }
    return out;
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
