#include "app/configuration.h"

#include "persistence/settings_document.h"
#include "shell_fixture.h"

#include <QFile>

namespace zelmo {
namespace {

using test::qpath;
using test::ShellProjectTest;

// A project with every option away from its default, to see that a restore sets each one.
void Scramble(TProject& p) {
    p.Beep = p.SafeMode = p.GangMode = p.SwapUseTEMP = 7;
    p.ShowOpTime = p.ExtReport = p.ReportFile = p.RemoteCtrl = 7;
    p.ProdModeType = p.ReloadFile = 7;
    p.ProgrammerIndex = 7;
    p.TimerInterval = 7;
    p.HelpFile = "x";
    p.LastSelType = p.LastSelMan = p.LastSelDev = 7;
    p.LastSearchStr = "x";
}

// The keys of a settings document in file order, as "Section/Key" lines.
std::string KeyOrder(const std::filesystem::path& file) {
    QFile f(qpath(file));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data()) + 1,
                                            bytes.size() / 2 - 1);
    std::string order;
    QString section;
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u" <")) {
            order += section.toStdString() + "/" +
                     line.mid(2, line.indexOf(u' ', 2) - 2).toStdString() + " ";
        } else if (line.startsWith(u'<') && !line.startsWith(u"</") && !line.startsWith(u"<?")) {
            section = line.mid(1, line.size() - 2);
        }
    }
    return order;
}

TEST_F(ShellProjectTest, AFreshStartHasTheDefaults) {
    Scramble(project);
    FormPlacement form{10, 20, 600, 800};
    ASSERT_TRUE(RestoreConfigurationFile(qpath(swapDir / "missing.ini"), project, form).ok);
    EXPECT_EQ(form, (FormPlacement{10, 20, 600, 800})); // the window stays where it is
    EXPECT_EQ(project.Beep, 1);
    EXPECT_EQ(project.SafeMode, 1);
    EXPECT_EQ(project.GangMode, 1);
    EXPECT_EQ(project.SwapUseTEMP, 1);
    EXPECT_EQ(project.ShowOpTime + project.ExtReport + project.ReportFile + project.RemoteCtrl +
                  project.ProdModeType + project.ReloadFile,
              0);
    EXPECT_EQ(project.ProgrammerIndex, 0u);
    EXPECT_EQ(project.TimerInterval, 333u);
    EXPECT_EQ(project.HelpFile, "manual_en");
    EXPECT_EQ(project.SwapPath, SystemTempFolder());
    EXPECT_EQ(project.LastSelType + project.LastSelMan + project.LastSelDev, 0);
    EXPECT_TRUE(project.LastSearchStr.empty());

    // The defaults without a document say the same.
    TProject other;
    Scramble(other);
    SetConfigurationDefaults(other);
    EXPECT_EQ(other.Beep, 1);
    EXPECT_EQ(other.TimerInterval, 333u);
    EXPECT_EQ(other.SwapPath, SystemTempFolder());
}

TEST_F(ShellProjectTest, StoreAndRestoreRoundTripInTheDocumentsOrder) {
    const std::filesystem::path file = swapDir / "Zelmo2.ini";
    project.ProgrammerCount = 3;
    project.ShowOpTime = project.ExtReport = project.ReportFile = project.RemoteCtrl = 1;
    project.Beep = project.SafeMode = project.GangMode = 0;
    project.ProgrammerIndex = 2;
    project.ProdModeType = 1;
    project.ReloadFile = 2;
    project.SwapUseTEMP = 0;
    project.SetSwapPath(qpath(swapDir.path()));
    project.TimerInterval = 1000;
    project.HelpFile = "manual_pl";
    project.LastSelType = 3;
    project.LastSelMan = 4;
    project.LastSelDev = 5;
    project.LastSearchStr = "27c";
    const FormPlacement form{11, 22, 700, 900};
    {
        CMyIni document;
        ASSERT_TRUE(document.Open(qpath(file), kConfigurationRoot, false));
        StoreConfiguration(document, project, form);
        ASSERT_TRUE(document.Save());
    }
    EXPECT_EQ(KeyOrder(file),
              "Form/Top Form/Left Form/Height Form/Width Config/Beep Config/ShowOpTime "
              "Config/ExtReport Config/SafeMode Config/ReportFile Config/GangMode "
              "Config/ProgrammerIndex Config/ProdModeType Config/ReloadFile Config/SwapUseTEMP "
              "Config/SwapPath Config/TimerInterval Config/RemoteCtrl Config/HelpFile "
              "SelectionFilter/LastSelType SelectionFilter/LastSelMan SelectionFilter/LastSelDev "
              "SelectionFilter/LastSearchStr ");

    TProject restored;
    restored.ProgrammerCount = 3;
    FormPlacement back;
    ASSERT_TRUE(RestoreConfigurationFile(qpath(file), restored, back).ok);
    EXPECT_EQ(back, form);
    EXPECT_EQ(restored.ShowOpTime, 1);
    EXPECT_EQ(restored.Beep, 0);
    EXPECT_EQ(restored.GangMode, 0);
    EXPECT_EQ(restored.ProgrammerIndex, 2u);
    EXPECT_EQ(restored.ProdModeType, 1);
    EXPECT_EQ(restored.ReloadFile, 2);
    EXPECT_EQ(restored.SwapUseTEMP, 0);
    EXPECT_EQ(restored.SwapPath, project.SwapPath);
    EXPECT_EQ(restored.TimerInterval, 1000u);
    EXPECT_EQ(restored.RemoteCtrl, 1);
    EXPECT_EQ(restored.HelpFile, "manual_pl");
    EXPECT_EQ(restored.LastSelDev, 5);
    EXPECT_EQ(restored.LastSearchStr, "27c");

    // Fewer programmers than the stored position: the index falls back to the first one.
    restored.ProgrammerCount = 2;
    ASSERT_TRUE(RestoreConfigurationFile(qpath(file), restored, back).ok);
    EXPECT_EQ(restored.ProgrammerIndex, 0u);
}

TEST_F(ShellProjectTest, SwapFolderRule) {
    const QString user = qpath(swapDir.path());
    EXPECT_EQ(SwapFolderFor(true, user), SystemTempFolder());
    EXPECT_EQ(SwapFolderFor(false, QString()), SystemTempFolder());
    EXPECT_EQ(SwapFolderFor(false, user), user + "/");
    EXPECT_TRUE(SystemTempFolder().endsWith(u'/'));

    // The user-defined folder is written only while it is in use.
    const std::filesystem::path file = swapDir / "Zelmo2.ini";
    project.SwapUseTEMP = 1;
    project.SetSwapPath(user);
    {
        CMyIni document;
        ASSERT_TRUE(document.Open(qpath(file), kConfigurationRoot, false));
        StoreConfiguration(document, project, {});
    }
    CMyIni written;
    ASSERT_TRUE(written.Open(qpath(file), kConfigurationRoot, true));
    EXPECT_EQ(written.ReadText("Config", "SwapPath", "unset"), "");
}

TEST_F(ShellProjectTest, UnreadableConfigurationRestoresNothing) {
    const std::filesystem::path file = swapDir / "Zelmo2.ini";
    ASSERT_TRUE(test::writeFile(file, "\xFF\xFEnot a settings document"));
    Scramble(project);
    FormPlacement form{1, 2, 3, 4};
    const Result r = RestoreConfigurationFile(qpath(file), project, form);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Could not restore config.");
    EXPECT_EQ(project.Beep, 7);
    EXPECT_EQ(form, (FormPlacement{1, 2, 3, 4}));
}

TEST(Configuration, TimerIntervalThatWouldNeverPauseGetsTheDefault) {
    EXPECT_EQ(EffectiveTimerInterval(400), 400);
    EXPECT_EQ(EffectiveTimerInterval(0), 333);
    EXPECT_EQ(EffectiveTimerInterval(0xFFFFFFFFu), 333);
}

} // namespace
} // namespace zelmo
