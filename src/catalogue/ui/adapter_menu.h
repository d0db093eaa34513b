#pragma once

// The device menu's "Edit adapter" and "Change adapter" in the main window: the file dialog or
// the adapter creator, then the project change, the log report and the refresh.

#include <QObject>

#include <functional>

class QWidget;

namespace zelmo {

class TfAdapter;
class TfMain;
struct AdapterDialogContext;
struct DeviceReport;

// Logs a device report under its device's header (after a blank line), one detail per text,
// and shows its status text.
void ReportToWindow(TfMain& window, const DeviceReport& report);

class TAdapterMenu : public QObject {
    Q_OBJECT
public:
    explicit TAdapterMenu(TfMain& window);

    void miEditAdapterClick();
    void miChangeAdapterDevClick();

    // The file-open dialog of "Change adapter" (empty: the platform's dialog); tests set it.
    std::function<QString(QWidget* parent)> ChooseAdapterFile;
    // Called with the creator before it is shown modally (tests drive it from here).
    std::function<void(TfAdapter& creator)> CreatorShown;

    // The creator's context for the active device: programmers, pin count, scan preparation.
    AdapterDialogContext CreatorContext() const;

private:
    TfMain& window_;
};

} // namespace zelmo
