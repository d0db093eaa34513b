#pragma once

// The main window's commands that change the project's structure, with their questions,
// messages and log lines: adding devices (disk space, adapter file, memory descriptions),
// removing them, adding, renaming, selecting and removing data sets, moving devices, memory
// enables, the description and "Create new project". Every message box, question, log line and
// the device selection dialog go through the host, so the commands run the same under the main
// window and in tests; the views follow the project notifier and the host's refresh.

#include "app/log_kind.h"
#include "catalogue/selection_model.h"
#include "platform/progress.h"
#include "project/commands/device_library.h"
#include "project/project.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace zelmo {

struct ProjectCommandHost {
    std::function<void(LogKind kind, const QString& text)> Log;
    std::function<void(const QString& text)> SetStatus;
    // The message dialog with the warning icon and OK.
    std::function<void(const QString& text)> ShowMessage;
    // The message dialog with the question icon, Yes and No; true for Yes.
    std::function<bool(const QString& question)> Confirm;
    // The system error box titled "Error".
    std::function<void(const QString& text)> ErrorBox;
    // Runs the device selection dialog; none when it was cancelled.
    std::function<std::optional<DeviceSelection>()> SelectDevice;
    // Bytes free to the user on the volume of a folder, -1 when unknown; empty asks the system.
    std::function<std::int64_t(const QString& folder)> FreeBytes;
    // Brings every view that depends on the project's structure up to date.
    std::function<void()> Refresh;
    // Shown while a new swap file is filled with 0xFF; may be null.
    Progress* FillProgress = nullptr;
};

class CProjectCommands {
public:
    CProjectCommands(TProject& project, CDeviceLibrary library, ProjectCommandHost host);

    // "Add device": refuses a 17th device before the dialog opens, checks the free space for all
    // copies at once, then adds each copy with its adapter file, memory descriptions and first
    // data set. A copy that fails leaves no device behind.
    void AddDevice();
    // "Remove device" for a device (the active one for -1), after the question.
    void RemoveDevice(int device = -1);
    // "Add data set" for a device.
    void AddDataSet(int device);
    // "Remove" the active device's shown data set, after the question.
    void RemoveDataSet();
    // The edited label of a data-set node; false (the old name stays) when it is refused.
    bool RenameDataSet(int device, int dataSet, const QString& edited);
    // "Set active": the active device's shown data set becomes its selected one.
    void SetActiveDataSet();
    // A double click on a data-set node selects it for operations, unless the device is busy.
    void DataSetDoubleClicked(int device, int dataSet);
    // "Move up" (-1) and "Move down" (+1); the device keeps its Slot.
    bool MoveDevice(int device, int direction);
    // A memory check box: enables or disables memory m of the active device, or of every linked
    // device while devices are linked. False (nothing changed) for an absent or mandatory memory.
    bool SetMemoryEnabled(int memory, bool enabled);
    // The description box lost the focus: its text goes into the option file of the active
    // device, or of every linked device while devices are linked.
    void StoreDescription(const QString& text);
    // "Create new project", after the question.
    void CreateNewProject();

    // The text the description box shows for a device (CR LF lines as "\n").
    static QString DescriptionOf(const CDevice& device);
    // The description as the option file holds it: 8-bit, CR LF between lines, at most 1015
    // bytes, never ending inside a line break.
    static std::string DescriptionBytes(const QString& text);

private:
    void log(LogKind kind, const QString& text) const;
    void status(const QString& text) const;
    void message(const QString& text) const;
    bool confirm(const QString& question) const;
    void refresh() const;
    void refused() const;
    std::int64_t freeBytes() const;
    QString vendorName(const CDevice& device) const;

    TProject& project_;
    CDeviceLibrary library_;
    ProjectCommandHost host_;
};

} // namespace zelmo
