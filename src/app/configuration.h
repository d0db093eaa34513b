#pragma once

// The application configuration "Zelmo2.ini" (a settings document with root "Settings" in the
// user's TERVANIK/Zelmo2 data folder): the main window's placement, the options and the last
// device selection. In memory the options live in the project object; this file reads them
// from and writes them to a document. A project file is a configuration file too, so the
// project's own sections follow these in the same document.

#include "platform/result.h"

#include <QString>

#include <cstdint>

namespace zelmo {

class CMyIni;
class TProject;

inline constexpr char kConfigurationFileName[] = "Zelmo2.ini";
inline constexpr char kConfigurationRoot[] = "Settings";
inline constexpr char kConfigurationUnreadable[] = "Could not restore config.";
inline constexpr std::uint32_t kDefaultTimerInterval = 333;
inline constexpr char kDefaultHelpFile[] = "manual_en";
inline constexpr std::size_t kHelpFileBytes = 20;      // with its terminator
inline constexpr std::size_t kLastSearchStrBytes = 32; // with its terminator

// Section "Form": the main window's edges in pixels.
struct FormPlacement {
    int Top = 0;
    int Left = 0;
    int Height = 0;
    int Width = 0;
    bool operator==(const FormPlacement&) const = default;
};

// "Zelmo2.ini" in the user's data folder (created when missing); empty when there is none.
QString ConfigurationFilePath();

// The system's temporary folder in its long (canonical) form, with a trailing "/".
QString SystemTempFolder();
// The swap folder rule: the temporary folder when the user-defined folder is empty or the
// temporary folder is chosen, else the user-defined folder (with a trailing "/").
QString SwapFolderFor(bool useTemp, const QString& swapPath);

// Every option and selection key at its default; the swap folder by the rule.
void SetConfigurationDefaults(TProject& project);

// Reads "Form" ("Height", "Width", "Top", "Left"; a missing key keeps the value `form` holds),
// "Config" and "SelectionFilter" from an open document; a missing key takes its default. A
// "ProgrammerIndex" not below the number of programmers found becomes 0.
void RestoreConfiguration(const CMyIni& document, TProject& project, FormPlacement& form);
// Opens `file` and restores from it: a missing file gives every default; a file that is not a
// settings document restores nothing and fails with "Could not restore config.".
Result RestoreConfigurationFile(const QString& file, TProject& project, FormPlacement& form);

// Writes "Form", "Config" and "SelectionFilter", in that order, into a document opened without
// loading. The caller adds the project sections and saves.
void StoreConfiguration(CMyIni& document, const TProject& project, const FormPlacement& form);

// The progress timer's interval for a configured value: a value that would make the timer fire
// without pause (0, or negative as stored) gives the default.
int EffectiveTimerInterval(std::uint32_t configured);

} // namespace zelmo
