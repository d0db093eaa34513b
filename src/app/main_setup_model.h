#pragma once

// The rules of the settings dialog "Main program setup", apart from its widgets: the values its
// controls show (read from the project's options), which controls are enabled, and what OK
// stores back. Cancel simply drops the values.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace zelmo {

class TProject;

// What the dialog needs besides the options.
struct MainSetupContext {
    int DeviceCount = 0;         // the swap folder can be changed only while this is 0
    QStringList ProgrammerLines; // one per programmer found: "name, SN: serial"
    bool GangCapable = false;    // more than one programmer, all of the same model
    bool RemoteLoaded = false;   // the remote-control library was loaded at start-up
};

// The state of the dialog's controls. -1 in a list index means no selection.
struct MainSetupValues {
    bool ShowOpTime = false;
    bool ExtReport = false;
    bool SafeMode = false;
    bool Speaker = false;
    bool ReportFile = false;
    bool SwapTemp = true;    // rbSwapTemp, else rbSwapUserDefined
    QString UserSwapFolder;  // the user-defined folder, with a trailing "/"
    bool GangMode = true;    // rbGangMode, else rbSingleMode
    int Programmer = 0;      // cbProgrammerSel
    int ProdModeType = 0;    // 0 rbAutoRunButton, 1 rbDetectDeviceInsertion
    int ReloadFile = 0;      // 0 Disabled, 1 Always, 2 If date/time of the file changes
    int TimerInterval = 1;   // cbTimerInterval
    bool RemoteCtrl = false; // cbRemoteCtrl
    int HelpLanguage = 0;    // cbHelpLang
};

struct MainSetupEnables {
    bool SwapChoice = false; // rbSwapTemp, rbSwapUserDefined, bChangeSwapDir
    bool GangMode = false;   // rbGangMode
    bool SingleMode = false; // rbSingleMode
    bool Programmer = false; // cbProgrammerSel
    bool DetectDeviceInsertion = false;
    bool RemoteCtrl = false; // cbRemoteCtrl
};

// The lists of the "Other" page: captions and the values they stand for.
inline constexpr std::array<std::uint32_t, 4> kTimerIntervals{250, 333, 500, 1000};
inline constexpr std::array<const char*, 4> kTimerIntervalCaptions{"0.25s", "0.33s", "0.50s",
                                                                   "1.00s"};
inline constexpr std::array<const char*, 3> kHelpFiles{"manual_en", "manual_pl", "manual_ru"};
inline constexpr std::array<const char*, 3> kHelpLanguages{"English", "Polski", "Russkij"};

// "name, SN: serial".
QString ProgrammerLine(const QString& modelName, const QString& serialNumber);
// "Remote control library ('libRemoteCtrl.so') loaded" / "... not found".
QString RemoteControlInfo(bool loaded);

MainSetupValues LoadMainSetup(const TProject& project);
MainSetupEnables MainSetupEnablesFor(const MainSetupContext& context,
                                     const MainSetupValues& values);
// OK: every control into the project's options. "ProgrammerIndex" from the list while it is
// enabled, otherwise 0; the swap folder by the swap folder rule; no timer selection stores 333;
// no help-language selection keeps the help name.
void StoreMainSetup(const MainSetupValues& values, const MainSetupContext& context,
                    TProject& project);

} // namespace zelmo
