#pragma once

// Sub-commands of zelmo2-cli. Each command file registers itself with a static CommandRegistrar.
// A command gets its own arguments (after its name) and returns the process exit code:
// 0 success, 1 the work failed, 2 bad arguments.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace zelmo::cli {

struct Command {
    const char* name;
    const char* synopsis; // one line for the command list
    int (*run)(const QStringList& args);
};

const std::vector<Command>& commands();

struct CommandRegistrar {
    explicit CommandRegistrar(const Command& command);
};

// Numbers on the command line, parsed strictly: nothing but the digits (no blanks, no sign), and
// the whole text. ParseNumber takes decimal or "0x"-prefixed hexadecimal; ParseHex takes 1 to
// `maxDigits` hexadecimal digits, optionally after "0x".
std::optional<std::uint64_t> ParseNumber(const QString& text);
std::optional<std::uint64_t> ParseHex(const QString& text, int maxDigits);

// The operating system's reason after a failure message, on a line of its own.
QString WithReason(const QString& message, const QString& reason);

} // namespace zelmo::cli
