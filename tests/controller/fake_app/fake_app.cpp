// A stand-in for the application behind the real controller server, for the zelmo2-cli tests.
// It prints one line per call the server makes and per answer it sends, so a test can see what
// arrived where:
//   --demo          Run answers 100 at once
//   --run-code N    a run ends with code N (default 0)
//   --run-ms N      a run lasts N milliseconds (default 50); closing is refused meanwhile
//   --no-answer     a run never ends
// "open PATH" succeeds when PATH is an existing file.

#include "operations/controller_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

using namespace zelmo::controller;

namespace {

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

const char* tabName(ControllerTab tab) {
    switch (tab) {
    case ControllerTab::Program:
        return "program";
    case ControllerTab::Read:
        return "read";
    case ControllerTab::Erase:
        break;
    }
    return "erase";
}

class ScriptedHost final : public ControllerHost {
public:
    bool demo = false, neverEnds = false;
    int runCode = 0, runMs = 50;
    CControllerServer* server = nullptr;
    int running = 0;

    bool ControllerOpen(const QString& path) override {
        say(QStringLiteral("open %1").arg(path));
        return QFileInfo(path).isFile();
    }
    std::optional<std::int32_t> ControllerRun(int device, ControllerTab tab) override {
        say(QStringLiteral("run %1 %2").arg(device + 1).arg(QLatin1String(tabName(tab))));
        if (demo) {
            return kAnswerDemoMode;
        }
        ++running;
        if (!neverEnds) {
            QTimer::singleShot(runMs, server, [this, device] {
                --running;
                server->RunEnded(device, runCode);
            });
        }
        return std::nullopt;
    }
    bool ControllerMayClose() override {
        say(QStringLiteral("close check, %1 running").arg(running));
        return running == 0;
    }
    void ControllerClose() override {
        say(QStringLiteral("closing"));
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"demo", "Demo mode."},
                       {"run-code", "Completion code.", "N"},
                       {"run-ms", "Run time.", "N"},
                       {"no-answer", "Runs never end."}});
    parser.process(app);
    ScriptedHost host;
    host.demo = parser.isSet("demo");
    host.neverEnds = parser.isSet("no-answer");
    host.runCode = parser.value("run-code").toInt();
    if (parser.isSet("run-ms")) {
        host.runMs = parser.value("run-ms").toInt();
    }
    CControllerServer server(host);
    host.server = &server;
    QObject::connect(&server, &CControllerServer::answerSent,
                     [](const QString& name, std::int32_t code, bool delivered) {
                         say(QStringLiteral("answer %1 to \"%2\"%3")
                                 .arg(code)
                                 .arg(name, delivered ? QString() : QStringLiteral(" dropped")));
                     });
    QObject::connect(&server, &CControllerServer::requestRejected,
                     [](const QString& reason) { say(QStringLiteral("rejected: ") + reason); });
    const zelmo::Result listening = server.Listen();
    if (!listening.ok) {
        say(QStringLiteral("cannot listen: ") + listening.message);
        return 1;
    }
    say(QStringLiteral("listening"));
    return app.exec();
}
