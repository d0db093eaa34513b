// zelmo2-cli open, run and close: requests to the running application over its local socket.
// Each listens on its answer socket, sends the request, waits for the answer and exits with a
// status derived from it (see the README's zelmo2-cli section).

#include "command.h"
#include "operations/controller_client.h"
#include "operations/controller_frame.h"
#include "operations/controller_socket.h"
#include "project/project.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace zelmo::cli {

namespace {

using namespace zelmo::controller;

constexpr int kDefaultTimeoutSeconds = 600;
constexpr std::uint64_t kMaxTimeoutSeconds = 24 * 3600;

// The options every controller command shares, with exactly `positionalCount` plain arguments;
// nothing when the arguments are wrong (the message has been printed) or help was asked for
// (`status` tells which).
struct Parsed {
    QStringList positional;
    QString device, tab;
    int timeoutMs = 0;
};

std::optional<Parsed> parse(const char* name, const char* description, const QStringList& args,
                            bool runOptions, qsizetype positionalCount, int& status) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(description));
    parser.addHelpOption();
    parser.addOption({"timeout",
                      QStringLiteral("Seconds to wait for the answer (default %1; 0 waits "
                                     "without limit).")
                          .arg(kDefaultTimeoutSeconds),
                      "SECONDS"});
    if (runOptions) {
        parser.addOption({"device",
                          QStringLiteral("Device number in the project, 1 to %1.").arg(kMaxDevices),
                          "N"});
        parser.addOption({"tab", "Operation tab to run: program, read or erase.", "TAB"});
    }
    QStringList argv = args;
    argv.prepend(QStringLiteral("zelmo2-cli ") + QLatin1String(name));
    QTextStream err(stderr);
    status = 2;
    if (!parser.parse(argv)) {
        err << "zelmo2-cli " << name << ": " << parser.errorText() << "\n";
        return std::nullopt;
    }
    if (parser.isSet("help")) {
        QTextStream(stdout) << parser.helpText();
        status = 0;
        return std::nullopt;
    }
    Parsed parsed;
    parsed.positional = parser.positionalArguments();
    if (parsed.positional.size() > positionalCount) {
        err << "zelmo2-cli " << name << ": unexpected argument '"
            << parsed.positional.at(positionalCount) << "'\n";
        return std::nullopt;
    }
    if (parsed.positional.size() < positionalCount) {
        err << "zelmo2-cli " << name << ": missing argument\n";
        return std::nullopt;
    }
    int seconds = kDefaultTimeoutSeconds;
    if (parser.isSet("timeout")) {
        const std::optional<std::uint64_t> value = ParseNumber(parser.value("timeout"));
        if (!value || *value > kMaxTimeoutSeconds) {
            err << "zelmo2-cli " << name << ": --timeout takes a number of seconds from 0 to "
                << kMaxTimeoutSeconds << "\n";
            return std::nullopt;
        }
        seconds = static_cast<int>(*value);
    }
    parsed.timeoutMs = seconds * 1000;
    if (runOptions) {
        parsed.device = parser.value("device");
        parsed.tab = parser.value("tab");
    }
    return parsed;
}

int ask(const char* name, const QByteArray& request, const QString& answerSocket, int timeoutMs) {
    const ControllerReply reply = AskApplication(request, answerSocket, timeoutMs);
    const int status = ExitStatus(reply);
    if (status != 0) {
        QTextStream(stderr) << "zelmo2-cli " << name << ": " << Describe(reply) << "\n";
    }
    return status;
}

int runOpen(const QStringList& args) {
    int status = 0;
    const std::optional<Parsed> parsed =
        parse("open",
              "Asks the running Zelmo 2 to open the project file PROJECT and waits for the "
              "answer.",
              args, false, 1, status);
    if (!parsed) {
        return status;
    }
    // The application does not share this program's working folder.
    const QString path = QFileInfo(parsed->positional.first()).absoluteFilePath();
    if (path.size() >= static_cast<qsizetype>(kMaxPathChars)) {
        QTextStream(stderr) << "zelmo2-cli open: the path is longer than " << kMaxPathChars - 1
                            << " characters\n";
        return 2;
    }
    return ask("open", OpenProjectFrame(path), QLatin1String(kAnswerSocket), parsed->timeoutMs);
}

int runRun(const QStringList& args) {
    int status = 0;
    const std::optional<Parsed> parsed =
        parse("run",
              "Asks the running Zelmo 2 to make device N active, select its operation tab and "
              "run it without confirmation, then waits for the run's result.",
              args, true, 0, status);
    if (!parsed) {
        return status;
    }
    QTextStream err(stderr);
    const std::optional<std::uint64_t> number = ParseNumber(parsed->device);
    if (!number || *number < 1 || *number > static_cast<std::uint64_t>(kMaxDevices)) {
        err << "zelmo2-cli run: --device takes a device number from 1 to " << kMaxDevices << "\n";
        return 2;
    }
    const auto device = static_cast<std::int32_t>(*number);
    std::optional<ControllerTab> tab;
    const QString tabName = parsed->tab.toLower();
    if (tabName == QLatin1String("program")) {
        tab = ControllerTab::Program;
    } else if (tabName == QLatin1String("read")) {
        tab = ControllerTab::Read;
    } else if (tabName == QLatin1String("erase")) {
        tab = ControllerTab::Erase;
    }
    if (!tab) {
        err << "zelmo2-cli run: --tab takes program, read or erase\n";
        return 2;
    }
    return ask("run", RunFrame(*tab, device), AnswerSocketName(device), parsed->timeoutMs);
}

int runClose(const QStringList& args) {
    int status = 0;
    const std::optional<Parsed> parsed =
        parse("close",
              "Asks the running Zelmo 2 to close, which it does unless an operation runs or a "
              "loaded file is modified, and waits for the answer.",
              args, false, 0, status);
    if (!parsed) {
        return status;
    }
    return ask("close", CloseFrame(), QLatin1String(kAnswerSocket), parsed->timeoutMs);
}

const CommandRegistrar openRegistrar({"open", "ask the running application to open PROJECT",
                                      &runOpen});
const CommandRegistrar runRegistrar({"run",
                                     "ask the running application to run --device N "
                                     "--tab program|read|erase",
                                     &runRun});
const CommandRegistrar closeRegistrar({"close", "ask the running application to close", &runClose});

} // namespace

} // namespace zelmo::cli
