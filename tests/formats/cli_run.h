#pragma once

// Runs the built zelmo2-cli the way scripts do: arguments, exit code, both output streams, with
// a deadline after which the program counts as hung and is killed.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace zelmo::test {

struct CliRun {
    int code = -1;     // exit code; -1 when the program crashed, was killed or hung
    bool hung = false; // still running at the deadline
    std::string out, err;
};

inline QString cliBinDir() {
    const char* binDir = std::getenv("ZELMO_BIN_DIR");
    return QString::fromLocal8Bit(binDir != nullptr ? binDir : ".");
}

inline bool cliBuilt() {
    return std::filesystem::exists((cliBinDir() + "/zelmo2-cli").toStdString());
}

// Messages stay in English whatever the locale. `childSetup` runs in the child before the
// program starts (limits, signal dispositions).
inline CliRun runProgram(const QString& program, const QStringList& args, int deadlineMs = 60000,
                         const std::function<void()>& childSetup = {}) {
    QProcess p;
    if (childSetup) {
        p.setChildProcessModifier(childSetup);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    p.setProcessEnvironment(env);
    p.start(program, args);
    CliRun r;
    if (!p.waitForFinished(deadlineMs)) {
        r.hung = p.state() != QProcess::NotRunning;
        p.kill();
        p.waitForFinished();
    } else if (p.exitStatus() == QProcess::NormalExit) {
        r.code = p.exitCode();
    }
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

// The built zelmo2-cli.
inline CliRun runCli(const QStringList& args, int deadlineMs = 60000,
                     const std::function<void()>& childSetup = {}) {
    return runProgram(cliBinDir() + "/zelmo2-cli", args, deadlineMs, childSetup);
}

inline QString pathText(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

} // namespace zelmo::test
