#include "app/configuration.h"

#include "app/app_paths.h"
#include "persistence/settings_document.h"
#include "project/project.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace zelmo {

namespace {

const QString kForm = QStringLiteral("Form");
const QString kConfig = QStringLiteral("Config");
const QString kSelection = QStringLiteral("SelectionFilter");

std::uint8_t Switch(const CMyIni& document, const char* key, int def) {
    return static_cast<std::uint8_t>(document.ReadInt(kConfig, QLatin1String(key), def));
}

QString WithTrailingSlash(QString folder) {
    if (!folder.endsWith(u'/')) {
        folder += u'/';
    }
    return folder;
}

} // namespace

QString ConfigurationFilePath() {
    const QString folder = UserDataFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1String(kConfigurationFileName);
}

QString SystemTempFolder() {
    const QString temp = QDir::tempPath();
    const QString canonical = QFileInfo(temp).canonicalFilePath();
    return WithTrailingSlash(canonical.isEmpty() ? temp : canonical);
}

QString SwapFolderFor(bool useTemp, const QString& swapPath) {
    if (useTemp || swapPath.isEmpty()) {
        return SystemTempFolder();
    }
    return WithTrailingSlash(swapPath);
}

void SetConfigurationDefaults(TProject& project) {
    project.Beep = 1;
    project.ShowOpTime = 0;
    project.ExtReport = 0;
    project.SafeMode = 1;
    project.ReportFile = 0;
    project.GangMode = 1;
    project.ProgrammerIndex = 0;
    project.ProdModeType = 0;
    project.ReloadFile = 0;
    project.SwapUseTEMP = 1;
    project.SetSwapPath(SystemTempFolder());
    project.TimerInterval = kDefaultTimerInterval;
    project.RemoteCtrl = 0;
    project.HelpFile = kDefaultHelpFile;
    project.LastSelType = 0;
    project.LastSelMan = 0;
    project.LastSelDev = 0;
    project.LastSearchStr.clear();
}

void RestoreConfiguration(const CMyIni& document, TProject& project, FormPlacement& form) {
    form.Height = document.ReadInt(kForm, QStringLiteral("Height"), form.Height);
    form.Width = document.ReadInt(kForm, QStringLiteral("Width"), form.Width);
    form.Top = document.ReadInt(kForm, QStringLiteral("Top"), form.Top);
    form.Left = document.ReadInt(kForm, QStringLiteral("Left"), form.Left);

    project.Beep = Switch(document, "Beep", 1);
    project.ShowOpTime = Switch(document, "ShowOpTime", 0);
    project.ExtReport = Switch(document, "ExtReport", 0);
    project.SafeMode = Switch(document, "SafeMode", 1);
    project.ReportFile = Switch(document, "ReportFile", 0);
    project.GangMode = Switch(document, "GangMode", 1);
    const std::int32_t index = document.ReadInt(kConfig, QStringLiteral("ProgrammerIndex"), 0);
    project.ProgrammerIndex =
        index >= 0 && index < project.ProgrammerCount ? static_cast<std::uint32_t>(index) : 0;
    project.ProdModeType = Switch(document, "ProdModeType", 0);
    project.ReloadFile = Switch(document, "ReloadFile", 0);
    project.SwapUseTEMP = Switch(document, "SwapUseTEMP", 1);
    const QString swapPath = document.ReadText(kConfig, QStringLiteral("SwapPath"), QString());
    project.SetSwapPath(SwapFolderFor(project.SwapUseTEMP != 0, swapPath));
    project.TimerInterval = static_cast<std::uint32_t>(
        document.ReadInt(kConfig, QStringLiteral("TimerInterval"), kDefaultTimerInterval));
    project.RemoteCtrl = Switch(document, "RemoteCtrl", 0);
    project.HelpFile = document.ReadAnsiText(kConfig, QStringLiteral("HelpFile"), kDefaultHelpFile,
                                             kHelpFileBytes);

    project.LastSelType = document.ReadInt(kSelection, QStringLiteral("LastSelType"), 0);
    project.LastSelMan = document.ReadInt(kSelection, QStringLiteral("LastSelMan"), 0);
    project.LastSelDev = document.ReadInt(kSelection, QStringLiteral("LastSelDev"), 0);
    project.LastSearchStr = document.ReadAnsiText(kSelection, QStringLiteral("LastSearchStr"),
                                                  std::string(), kLastSearchStrBytes);
}

Result RestoreConfigurationFile(const QString& file, TProject& project, FormPlacement& form) {
    CMyIni document;
    if (!document.Open(file, QLatin1String(kConfigurationRoot), true)) {
        return Result::failure(QString::fromLatin1(kConfigurationUnreadable));
    }
    RestoreConfiguration(document, project, form);
    return Result::success();
}

void StoreConfiguration(CMyIni& document, const TProject& project, const FormPlacement& form) {
    document.WriteInt(kForm, QStringLiteral("Top"), form.Top);
    document.WriteInt(kForm, QStringLiteral("Left"), form.Left);
    document.WriteInt(kForm, QStringLiteral("Height"), form.Height);
    document.WriteInt(kForm, QStringLiteral("Width"), form.Width);

    const auto writeInt = [&document](const char* key, std::int64_t value) {
        document.WriteInt(kConfig, QLatin1String(key), static_cast<std::int32_t>(value));
    };
    writeInt("Beep", project.Beep);
    writeInt("ShowOpTime", project.ShowOpTime);
    writeInt("ExtReport", project.ExtReport);
    writeInt("SafeMode", project.SafeMode);
    writeInt("ReportFile", project.ReportFile);
    writeInt("GangMode", project.GangMode);
    writeInt("ProgrammerIndex", project.ProgrammerIndex);
    writeInt("ProdModeType", project.ProdModeType);
    writeInt("ReloadFile", project.ReloadFile);
    writeInt("SwapUseTEMP", project.SwapUseTEMP);
    document.WriteText(kConfig, QStringLiteral("SwapPath"),
                       project.SwapUseTEMP != 0 ? QString() : project.SwapPath);
    writeInt("TimerInterval", project.TimerInterval);
    writeInt("RemoteCtrl", project.RemoteCtrl);
    document.WriteAnsiText(kConfig, QStringLiteral("HelpFile"), project.HelpFile);

    document.WriteInt(kSelection, QStringLiteral("LastSelType"), project.LastSelType);
    document.WriteInt(kSelection, QStringLiteral("LastSelMan"), project.LastSelMan);
    document.WriteInt(kSelection, QStringLiteral("LastSelDev"), project.LastSelDev);
    document.WriteAnsiText(kSelection, QStringLiteral("LastSearchStr"), project.LastSearchStr);
}

int EffectiveTimerInterval(std::uint32_t configured) {
    if (configured == 0 ||
        configured > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        return static_cast<int>(kDefaultTimerInterval);
    }
    return static_cast<int>(configured);
}

} // namespace zelmo
