#include "app/configuration.h"
#include "app/main_setup_model.h"

#include "shell_fixture.h"

namespace zelmo {
namespace {

using test::qpath;
using test::ShellProjectTest;

MainSetupContext TwoProgrammers(bool sameModel) {
    return {0,
            {ProgrammerLine("Zelmo 2 USB", "ZS000001"), ProgrammerLine("Zelmo 2 USB", "ZS02")},
            sameModel,
            false};
}

TEST_F(ShellProjectTest, TimerIntervalOutsideTheListShowsNoSelectionAndOkStores333) {
    SetConfigurationDefaults(project);
    project.TimerInterval = 400;
    MainSetupValues values = LoadMainSetup(project);
    EXPECT_EQ(values.TimerInterval, -1);
    StoreMainSetup(values, {}, project);
    EXPECT_EQ(project.TimerInterval, 333u);

    project.TimerInterval = 500;
    values = LoadMainSetup(project);
    EXPECT_EQ(values.TimerInterval, 2);
    EXPECT_STREQ(kTimerIntervalCaptions[2], "0.50s");
    values.TimerInterval = 0;
    StoreMainSetup(values, {}, project);
    EXPECT_EQ(project.TimerInterval, 250u);
}

TEST_F(ShellProjectTest, HelpLanguageOutsideTheListStaysUnchanged) {
    project.HelpFile = "manual_de";
    MainSetupValues values = LoadMainSetup(project);
    EXPECT_EQ(values.HelpLanguage, -1);
    StoreMainSetup(values, {}, project);
    EXPECT_EQ(project.HelpFile, "manual_de");
    values.HelpLanguage = 2;
    StoreMainSetup(values, {}, project);
    EXPECT_EQ(project.HelpFile, "manual_ru");
    EXPECT_EQ(LoadMainSetup(project).HelpLanguage, 2);
}

TEST_F(ShellProjectTest, SwapFolderCannotChangeWhileTheProjectHasDevices) {
    SetConfigurationDefaults(project);
    const QString user = qpath(swapDir.path()) + "/";
    MainSetupValues values = LoadMainSetup(project);
    EXPECT_TRUE(values.SwapTemp);
    EXPECT_TRUE(values.UserSwapFolder.isEmpty());
    values.SwapTemp = false;
    values.UserSwapFolder = user;

    AddTestDevice();
    MainSetupContext context;
    context.DeviceCount = project.DeviceCount;
    EXPECT_FALSE(MainSetupEnablesFor(context, values).SwapChoice);
    StoreMainSetup(values, context, project);
    EXPECT_EQ(project.SwapUseTEMP, 1);
    EXPECT_EQ(project.SwapPath, SystemTempFolder());

    context.DeviceCount = 0;
    EXPECT_TRUE(MainSetupEnablesFor(context, values).SwapChoice);
    StoreMainSetup(values, context, project);
    EXPECT_EQ(project.SwapUseTEMP, 0);
    EXPECT_EQ(project.SwapPath, user);
    EXPECT_EQ(LoadMainSetup(project).UserSwapFolder, user);

    // "User defined:" without a folder is the temporary folder.
    values.UserSwapFolder.clear();
    StoreMainSetup(values, context, project);
    EXPECT_EQ(project.SwapUseTEMP, 1);
    EXPECT_EQ(project.SwapPath, SystemTempFolder());
}

TEST_F(ShellProjectTest, ProductionPageEnablesFollowTheProgrammersFound) {
    MainSetupValues values;
    values.GangMode = true;
    struct Case {
        MainSetupContext context;
        bool gang, single;
    };
    const Case cases[] = {
        {{}, false, false}, // demo mode
        {{0, {"A, SN: 1"}, false, false}, false, false},
        {TwoProgrammers(true), true, true},
        {TwoProgrammers(false), false, true}, // different models: no gang mode
    };
    for (const Case& c : cases) {
        const MainSetupEnables e = MainSetupEnablesFor(c.context, values);
        EXPECT_EQ(e.GangMode, c.gang) << c.context.ProgrammerLines.size();
        EXPECT_EQ(e.SingleMode, c.single) << c.context.ProgrammerLines.size();
        EXPECT_FALSE(e.Programmer); // the list follows "Single mode, use"
        EXPECT_FALSE(e.DetectDeviceInsertion);
    }
    EXPECT_EQ(ProgrammerLine("Zelmo 2 USB", "ZS000001"), "Zelmo 2 USB, SN: ZS000001");
}

TEST_F(ShellProjectTest, ProgrammerIndexIsStoredOnlyFromAnEnabledList) {
    project.ProgrammerCount = 2;
    MainSetupValues values = LoadMainSetup(project);
    values.Programmer = 1;
    values.GangMode = true;
    StoreMainSetup(values, TwoProgrammers(true), project);
    EXPECT_EQ(project.ProgrammerIndex, 0u);
    EXPECT_EQ(project.GangMode, 1);

    values.GangMode = false;
    StoreMainSetup(values, TwoProgrammers(true), project);
    EXPECT_EQ(project.ProgrammerIndex, 1u);
    EXPECT_EQ(project.GangMode, 0);
    EXPECT_EQ(LoadMainSetup(project).Programmer, 1);
}

TEST_F(ShellProjectTest, OkStoresEverySwitch) {
    SetConfigurationDefaults(project);
    MainSetupValues values = LoadMainSetup(project);
    EXPECT_TRUE(values.SafeMode && values.Speaker && !values.ReportFile && !values.ShowOpTime);
    values.ShowOpTime = values.ExtReport = values.ReportFile = values.RemoteCtrl = true;
    values.SafeMode = values.Speaker = false;
    values.ProdModeType = 1;
    values.ReloadFile = 2;
    MainSetupContext context;
    context.RemoteLoaded = true;
    EXPECT_TRUE(MainSetupEnablesFor(context, values).RemoteCtrl);
    StoreMainSetup(values, context, project);
    EXPECT_EQ(project.ShowOpTime + project.ExtReport + project.ReportFile + project.RemoteCtrl, 4);
    EXPECT_EQ(project.SafeMode + project.Beep, 0);
    EXPECT_EQ(project.ProdModeType, 1);
    EXPECT_EQ(project.ReloadFile, 2);
    EXPECT_FALSE(MainSetupEnablesFor({}, values).RemoteCtrl);
    EXPECT_EQ(RemoteControlInfo(true), "Remote control library ('libRemoteCtrl.so') loaded");
    EXPECT_EQ(RemoteControlInfo(false), "Remote control library ('libRemoteCtrl.so') not found");
}

} // namespace
} // namespace zelmo
