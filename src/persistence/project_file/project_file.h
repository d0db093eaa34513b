#pragma once

// The working project in the configuration file, and named projects (".zlp" files with a folder
// of option and swap files beside them): the "Project", "Device%02x" and "DataSet%02x%02x"
// sections with their keys in a fixed order, the restore at start-up (with "-p") and after
// "Open from disk", and "Save to disk". Message boxes, log lines, the configuration's own
// sections and the refresh of the views go through the host.

#include "app/log_kind.h"
#include "platform/progress.h"
#include "platform/result.h"
#include "project/commands/device_library.h"
#include "project/project.h"

#include <QString>

#include <functional>
#include <optional>

namespace zelmo {

class CMyIni;

inline constexpr char kProjectFileExtension[] = ".zlp";
inline constexpr char kProjectFileFilter[] = "Zelmo 2 project files (*.zlp)";
inline constexpr char kCouldNotOpenProject[] = "Could not open project.";
inline constexpr char kProjectFileError[] = "Project file error.";
inline constexpr char kProjectSaved[] = "Project saved.";
inline constexpr char kProjectSavingError[] = "Project saving error.";
inline constexpr char kNoDevicesInProject[] = "No devices in project.";

// Writes the project's sections after the configuration's: "Project", then each device's
// "Device%02x" followed by its "DataSet%02x%02x" sections (numbers as lower-case hexadecimal).
void StoreProjectSections(CMyIni& document, const TProject& project);

struct ProjectFileHost {
    std::function<void(LogKind kind, const QString& text)> Log;
    std::function<void(const QString& text)> SetStatus;
    // The message dialog with the warning icon and OK.
    std::function<void(const QString& text)> ShowMessage;
    // The system error box titled "Error".
    std::function<void(const QString& text)> ErrorBox;
    // Writes the configuration's own sections (window, options, selection) into a new document.
    std::function<void(CMyIni& document)> StoreConfiguration;
    // Reads them back from an open document.
    std::function<void(const CMyIni& document)> RestoreConfiguration;
    // After a project was opened from the menu: the progress timer and the production button.
    std::function<void()> ApplyConfiguration;
    // Brings every view up to date.
    std::function<void()> Refresh;
    // Shows the main window's information page (a project that could not be opened).
    std::function<void()> ShowInfoPage;
    // Shown while a restored data set's missing swap file is filled with 0xFF; may be null.
    Progress* FillProgress = nullptr;
};

// What the start-up restore was asked for on the command line.
struct RestoreRequest {
    std::optional<QString> ProjectPath; // "-p PATH"
    bool ProjectMissing = false;        // "-p" as the last argument
};

class CProjectFile {
public:
    // `configFile` is the configuration file that carries the working project.
    CProjectFile(TProject& project, CDeviceLibrary library, ProjectFileHost host,
                 QString configFile);

    // The restore: an optional project first (its swap folder, then its files copied in), then
    // the configuration file with the working project. Every device the catalogue still has is
    // restored with its data sets, file entries, adapter and settings; devices it lacks are
    // skipped with their message. A failure has shown its box or logged the library's messages.
    Result Restore(const RestoreRequest& request = {});

    // "Open from disk" with a chosen path: the current project is closed (its files deleted),
    // the project is copied in and restored.
    Result Open(const QString& path);

    // "Save to disk" and "Save to disk as..." with the target path: the state is stored into the
    // configuration file, which is copied to the path with the option and swap files into the
    // folder beside it. A failed write or copy is reported, never shown as saved.
    Result Save(const QString& path);
    // "Save to disk as..." refuses an empty project with "No devices in project.".
    Result CanSaveAs() const;
    // "Save to disk" asks for a name first while the project has none.
    bool NeedsFileName() const { return project_.ProjectFileName.isEmpty(); }

    // Writes the configuration file: the configuration's sections, then the project's.
    bool StoreState();

private:
    void log(LogKind kind, const QString& text) const;
    void status(const QString& text) const;
    void errorBox(const QString& text) const;
    // The project's swap folder, then its files copied in; on failure the swap folder stays.
    bool takeProject(const QString& path);
    bool applyProjectSwapFolder(const QString& path);
    Result restoreFromConfiguration();
    bool restoreDevice(const CMyIni& document, int number);

    TProject& project_;
    CDeviceLibrary library_;
    ProjectFileHost host_;
    QString configFile_;
};

} // namespace zelmo
