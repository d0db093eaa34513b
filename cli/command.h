#pragma once

// Sub-commands of zelmo2-cli. Each command file registers itself with a static CommandRegistrar.
// A command gets its own arguments (after its name) and returns the process exit code:
// 0 success, 1 the work failed, 2 bad arguments.

#include <QStringList>

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

} // namespace zelmo::cli
