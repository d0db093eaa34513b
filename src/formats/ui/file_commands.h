#pragma once

// The file commands of the main window: "Load", "Load recent" and "Save" of the "Buffer
// options" menu and of the buffer view's popup menu, dropping a file on the window and the
// file-name field above the buffer views. Every load and save runs
// the file engine on its worker while the busy window shows its progress, so the window stays
// responsive whatever the size of the file.

#include "app/log_kind.h"
#include "formats/file_command_rules.h"
#include "formats/file_engine.h"
#include "formats/file_thread.h"
#include "platform/result.h"

#include <QObject>

#include <optional>

class QAction;
class QMenu;
class QTimer;

namespace zelmo {
class CMainThreadExecutor;
class TfMain;
namespace editor {
class TBufferView;
}
} // namespace zelmo

namespace zelmo::formats {

class TFileCommands : public QObject {
    Q_OBJECT
public:
    TFileCommands(TfMain& window, editor::TBufferView& view);
    ~TFileCommands() override;

    // The file menu of the "Buffer options" button.
    QMenu* pmFile = nullptr;
    QAction* miFileLoad = nullptr;
    QMenu* pmLoadRecentFile = nullptr;
    QAction* miFileSave = nullptr;

    void miLoadBufferClick();
    // "Load recent": entry `index` of the memory's recent list, loaded without the dialog.
    void miLoadRecentClick(int index);
    void miSaveBufferClick();
    // Files dropped on the main window: one is loaded into the shown memory through the load
    // dialog; more are refused.
    void DropFiles(const QStringList& paths);
    // The file-name field above the buffer views.
    void RefreshFileName();
    // Sets the file menu's entries for the state the project is in now.
    void pmFileShow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What Load and Save work on: the active device, its shown data set and the memory of the
    // file tab. Without a device the user is told to select one; a device without files or a
    // shown data set gives nothing.
    struct FileTarget {
        CDevice* Device;
        CDataSet* Shown;
        int Memory;
    };
    std::optional<FileTarget> fileTarget();
    void load(LoadKind kind, const QString& dropped, int recent);
    // Runs the engine on the file worker under the busy window; a failure is shown in the
    // message dialog and logged.
    Result runLoad(TFile& engine);
    Result runSave(TFile& engine);
    Result runWorker(TFile& engine, TFileThread::Mode mode, const QString& info);
    void computeChecksum(CDataSet& dataSet, int memory);
    void prepare(TFile& engine, int memory) const;
    void report(LogKind kind, const QString& text, bool status);
    bool bufferTabShown() const;

    TfMain& window_;
    editor::TBufferView& view_;
    CMainThreadExecutor* executor_ = nullptr;
    QTimer* fileNameLater_ = nullptr;
    // What the event filter watches: the file-name field of the bottom tabs and the window.
    QObject* fileNameField_ = nullptr;
    QObject* windowObject_ = nullptr;
};

} // namespace zelmo::formats
