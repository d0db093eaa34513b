// zelmo2-cli: the companion command-line program. Every sub-command lives in its own file and
// registers itself; this file only dispatches.

#include "command.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace zelmo::cli {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> list;
    return list;
}

void printUsage(FILE* out) {
    QTextStream s(out);
    s << "Usage: zelmo2-cli COMMAND [OPTIONS]\n"
         "Companion program of Zelmo 2, the control application of the device programmer.\n\n"
         "Commands:\n";
    std::vector<Command> sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return qstrcmp(a.name, b.name) < 0; });
    for (const Command& c : sorted) {
        s << "  " << QString::fromLatin1(c.name).leftJustified(10) << " " << c.synopsis << "\n";
    }
    s << "\n'zelmo2-cli COMMAND --help' describes one command.\n";
}
} // namespace

const std::vector<Command>& commands() {
    return registry();
}

CommandRegistrar::CommandRegistrar(const Command& command) {
    registry().push_back(command);
}

} // namespace zelmo::cli

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("zelmo2-cli");
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        zelmo::cli::printUsage(stderr);
        return 2;
    }
    const QString name = args.takeFirst();
    if (name == "--help" || name == "-h" || name == "help") {
        zelmo::cli::printUsage(stdout);
        return 0;
    }
    for (const auto& c : zelmo::cli::commands()) {
        if (name == QLatin1String(c.name)) {
            return c.run(args);
        }
    }
    std::fprintf(stderr, "zelmo2-cli: unknown command '%s'\n", qPrintable(name));
    zelmo::cli::printUsage(stderr);
    return 2;
}
