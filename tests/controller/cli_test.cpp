// zelmo2-cli open, run and close against a stand-in application that answers through the real
// controller server: the exit status follows the answer, and each answer arrives on the socket
// the request names.

#include "common/temp_dir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>

#include <cstdlib>

namespace zelmo {
namespace {

QString cliPath() {
    const char* dir = std::getenv("ZELMO_BIN_DIR");
    return dir != nullptr ? QString::fromLocal8Bit(dir) + "/zelmo2-cli" : QString();
}

struct CliResult {
    int exitCode = -1;
    QString errors;
};

CliResult runCli(const QStringList& args) {
    QProcess cli;
    cli.start(cliPath(), args);
    EXPECT_TRUE(cli.waitForFinished(30000)) << args.join(' ').toStdString();
    return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
            QString::fromLocal8Bit(cli.readAllStandardError())};
}

// The stand-in application; its output lines say what the server did.
class FakeApplication {
public:
    explicit FakeApplication(const QStringList& args) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(ZELMO_FAKE_APP), args);
        EXPECT_TRUE(WaitForLine("listening"));
    }
    ~FakeApplication() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    bool WaitForLine(const QString& line, int ms = 10000) {
        QElapsedTimer clock;
        clock.start();
        while (!lines_.contains(line)) {
            if (clock.elapsed() > ms || process_.state() == QProcess::NotRunning) {
                return false;
            }
            process_.waitForReadyRead(50);
            while (process_.canReadLine()) {
                lines_ << QString::fromUtf8(process_.readLine()).trimmed();
            }
        }
        return true;
    }
    const QStringList& Lines() const { return lines_; }
    bool Running() { return !process_.waitForFinished(300); }

private:
    QProcess process_;
    QStringList lines_;
};

class ZelmoCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (cliPath().isEmpty()) {
            GTEST_SKIP() << "needs ZELMO_BIN_DIR with zelmo2-cli";
        }
    }
};

TEST_F(ZelmoCli, RunExitsWithTheAnswerThatArrivesOnTheDevicesSocket) {
    const struct {
        QStringList app, cli;
        int exitCode;
        QString called, answered;
    } cases[] = {
        {{},
         {"run", "--device", "2", "--tab", "program"},
         0,
         "run 2 program",
         "answer 0 to \"Zelmo 2 CLI 2\""},
        {{"--run-code", "10"},
         {"run", "--device", "5", "--tab", "read"},
         10,
         "run 5 read",
         "answer 10 to \"Zelmo 2 CLI\""},
        {{"--run-code", "11"},
         {"run", "--device", "1", "--tab", "Erase"},
         11,
         "run 1 erase",
         "answer 11 to \"Zelmo 2 CLI 1\""},
        {{"--demo"},
         {"run", "--device", "3", "--tab", "program"},
         100,
         "run 3 program",
         "answer 100 to \"Zelmo 2 CLI 3\""},
    };
    for (const auto& c : cases) {
        FakeApplication app(c.app);
        const CliResult result = runCli(c.cli);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.errors.toStdString();
        EXPECT_TRUE(app.WaitForLine(c.answered)) << app.Lines().join('\n').toStdString();
        EXPECT_TRUE(app.Lines().contains(c.called)) << c.called.toStdString();
    }
}

TEST_F(ZelmoCli, CloseDuringARunIsRefusedAndTheApplicationStaysOpen) {
    FakeApplication app({"--run-ms", "3000"});
    QProcess run;
    run.start(cliPath(), {"run", "--device", "2", "--tab", "program"});
    ASSERT_TRUE(app.WaitForLine("run 2 program"));

    EXPECT_EQ(runCli({"close"}).exitCode, 1);
    EXPECT_TRUE(app.WaitForLine("answer 1 to \"Zelmo 2 CLI\""));
    EXPECT_TRUE(app.Running());
    ASSERT_TRUE(run.waitForFinished(20000));
    EXPECT_EQ(run.exitCode(), 0) << "the run itself still ends and is answered";

    EXPECT_EQ(runCli({"close"}).exitCode, 0);
    EXPECT_TRUE(app.WaitForLine("closing"));
    EXPECT_FALSE(app.Running());
}

TEST_F(ZelmoCli, OpenSendsTheAbsolutePathAndReportsTheOutcome) {
    test::TempDir dir;
    ASSERT_TRUE(test::writeFile(dir / "board.zlp", "x"));
    FakeApplication app({});
    QProcess cli;
    cli.setWorkingDirectory(QString::fromStdString(dir.path().string()));
    cli.start(cliPath(), {"open", "board.zlp"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_TRUE(app.WaitForLine(QStringLiteral("open ") +
                                QString::fromStdString((dir / "board.zlp").string())));
    EXPECT_EQ(runCli({"open", QString::fromStdString((dir / "missing.zlp").string())}).exitCode, 1);
}

TEST_F(ZelmoCli, NoApplicationNoAnswerAndBadArgumentsHaveTheirOwnStatus) {
    EXPECT_EQ(runCli({"close"}).exitCode, 3) << "nobody listens";
    {
        FakeApplication app({"--no-answer"});
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(runCli({"run", "--device", "1", "--tab", "read", "--timeout", "1"}).exitCode, 4);
        EXPECT_LT(clock.elapsed(), 10000);

        // A second zelmo2-cli waiting on the same answer socket must not take it over.
        QProcess first;
        first.start(cliPath(), {"run", "--device", "2", "--tab", "read", "--timeout", "20"});
        ASSERT_TRUE(app.WaitForLine("run 2 read"));
        EXPECT_EQ(runCli({"run", "--device", "2", "--tab", "erase"}).exitCode, 5);
        first.kill();
        first.waitForFinished(5000);
    }
    for (const QStringList& args :
         {QStringList{"run", "--device", "0", "--tab", "read"},
          QStringList{"run", "--device", "17", "--tab", "read"},
          QStringList{"run", "--device", "1", "--tab", "verify"},
          QStringList{"run", "--tab", "read"}, QStringList{"open"}, QStringList{"close", "now"},
          QStringList{"close", "--timeout", "-1"}}) {
        EXPECT_EQ(runCli(args).exitCode, 2) << args.join(' ').toStdString();
    }
}

} // namespace
} // namespace zelmo
