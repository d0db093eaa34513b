#include "app/main_setup_model.h"

#include "app/configuration.h"
#include "project/project.h"

#include <algorithm>

namespace zelmo {

namespace {

template <typename List, typename Value> int IndexOf(const List& list, const Value& value) {
    const auto it = std::find(list.begin(), list.end(), value);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

} // namespace

QString ProgrammerLine(const QString& modelName, const QString& serialNumber) {
    return modelName + QStringLiteral(", SN: ") + serialNumber;
}

QString RemoteControlInfo(bool loaded) {
    return loaded ? QStringLiteral("Remote control library ('libRemoteCtrl.so') loaded")
                  : QStringLiteral("Remote control library ('libRemoteCtrl.so') not found");
}

MainSetupValues LoadMainSetup(const TProject& project) {
    MainSetupValues v;
    v.ShowOpTime = project.ShowOpTime != 0;
    v.ExtReport = project.ExtReport != 0;
    v.SafeMode = project.SafeMode != 0;
    v.Speaker = project.Beep != 0;
    v.ReportFile = project.ReportFile != 0;
    v.SwapTemp = project.SwapUseTEMP != 0;
    v.UserSwapFolder = v.SwapTemp ? QString() : project.SwapPath;
    v.GangMode = project.GangMode != 0;
    v.Programmer = static_cast<int>(project.ProgrammerIndex);
    v.ProdModeType = project.ProdModeType == 1 ? 1 : 0;
    v.ReloadFile = project.ReloadFile <= 2 ? project.ReloadFile : 0;
    v.TimerInterval = IndexOf(kTimerIntervals, project.TimerInterval);
    v.RemoteCtrl = project.RemoteCtrl != 0;
    v.HelpLanguage = -1;
    for (std::size_t i = 0; i < kHelpFiles.size(); ++i) {
        if (project.HelpFile == kHelpFiles[i]) {
            v.HelpLanguage = static_cast<int>(i);
        }
    }
    return v;
}

MainSetupEnables MainSetupEnablesFor(const MainSetupContext& context,
                                     const MainSetupValues& values) {
    MainSetupEnables e;
    e.SwapChoice = context.DeviceCount == 0;
    const bool several = context.ProgrammerLines.size() > 1;
    e.GangMode = several && context.GangCapable;
    e.SingleMode = several;
    e.Programmer = !values.GangMode;
    e.DetectDeviceInsertion = false;
    e.RemoteCtrl = context.RemoteLoaded;
    return e;
}

void StoreMainSetup(const MainSetupValues& values, const MainSetupContext& context,
                    TProject& project) {
    project.ShowOpTime = values.ShowOpTime ? 1 : 0;
    project.ExtReport = values.ExtReport ? 1 : 0;
    project.SafeMode = values.SafeMode ? 1 : 0;
    project.Beep = values.Speaker ? 1 : 0;
    project.ReportFile = values.ReportFile ? 1 : 0;
    project.GangMode = values.GangMode ? 1 : 0;

    const MainSetupEnables enables = MainSetupEnablesFor(context, values);
    const bool listed =
        values.Programmer >= 0 && values.Programmer < context.ProgrammerLines.size();
    project.ProgrammerIndex =
        enables.Programmer && listed ? static_cast<std::uint32_t>(values.Programmer) : 0;

    // The swap folder cannot move under the swap files of devices in the project.
    if (enables.SwapChoice) {
        const bool useTemp = values.SwapTemp || values.UserSwapFolder.isEmpty();
        project.SwapUseTEMP = useTemp ? 1 : 0;
        project.SetSwapPath(SwapFolderFor(useTemp, values.UserSwapFolder));
    }
    project.ProdModeType = values.ProdModeType == 1 ? 1 : 0;
    project.ReloadFile = static_cast<std::uint8_t>(std::clamp(values.ReloadFile, 0, 2));
    project.TimerInterval =
        values.TimerInterval >= 0 && values.TimerInterval < static_cast<int>(kTimerIntervals.size())
            ? kTimerIntervals[static_cast<std::size_t>(values.TimerInterval)]
            : kDefaultTimerInterval;
    project.RemoteCtrl = values.RemoteCtrl ? 1 : 0;
    if (values.HelpLanguage >= 0 && values.HelpLanguage < static_cast<int>(kHelpFiles.size())) {
        project.HelpFile = kHelpFiles[static_cast<std::size_t>(values.HelpLanguage)];
    }
}

} // namespace zelmo
