// zelmo2-cli: the companion command-line program. Every sub-command lives in its own file and
// registers itself; this file only dispatches.

#include "command.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <charconv>
#include <csignal>
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

namespace {
std::optional<std::uint64_t> parseDigits(QStringView text, int base) {
    const QByteArray bytes = text.toLatin1();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    for (const char* p = first; p < last; ++p) {
        const bool digit = (*p >= '0' && *p <= '9') ||
                           (base == 16 && ((*p >= 'a' && *p <= 'f') || (*p >= 'A' && *p <= 'F')));
        if (!digit) {
            return std::nullopt; // from_chars alone would take a leading '-'
        }
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value, base);
    if (bytes.isEmpty() || error != std::errc() || end != last) {
        return std::nullopt;
    }
    return value;
}

bool hexPrefix(const QString& text) {
    return text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X"));
}
} // namespace

std::optional<std::uint64_t> ParseNumber(const QString& text) {
    return hexPrefix(text) ? parseDigits(QStringView(text).mid(2), 16) : parseDigits(text, 10);
}

std::optional<std::uint64_t> ParseHex(const QString& text, int maxDigits) {
    const QStringView digits = hexPrefix(text) ? QStringView(text).mid(2) : QStringView(text);
    if (digits.size() > maxDigits) {
        return std::nullopt;
    }
    return parseDigits(digits, 16);
}

QString WithReason(const QString& message, const QString& reason) {
    return reason.isEmpty() ? message : message + QLatin1Char('\n') + reason;
}

const std::vector<Command>& commands() {
    return registry();
}

CommandRegistrar::CommandRegistrar(const Command& command) {
    registry().push_back(command);
}

} // namespace zelmo::cli

int main(int argc, char** argv) {
    // A file-size limit makes a write fail with its own reason instead of ending the program
    // half-way through a file.
    std::signal(SIGXFSZ, SIG_IGN);
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
