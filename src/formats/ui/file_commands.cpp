#include "formats/ui/file_commands.h"

#include "app/bottom_tabs_model.h"
#include "app/ui/bottom_tabs.h"
#include "app/ui/busy_window.h"
#include "app/ui/main_window.h"
#include "controls/ui/tab_strip.h"
#include "editor/checksum_thread.h"
#include "editor/ui/buffer_view.h"
#include "formats/file_thread.h"
#include "formats/ui/load_file_dialog.h"
#include "formats/ui/save_file_dialog.h"
#include "project/buffer_status.h"
#include "project/device_descriptor.h"
#include "project/executor.h"
#include "project/target_set.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace zelmo::formats {

namespace {

// The engine's message with the system's reason after it, where there is one.
QString failureText(const Result& outcome, const TFile& engine) {
    if (engine.Reason.isEmpty() || outcome.message.isEmpty()) {
        return outcome.message;
    }
    return outcome.message + QLatin1Char('\n') + engine.Reason;
}

} // namespace

TFileCommands::TFileCommands(TfMain& window, editor::TBufferView& view)
    : QObject(&window), window_(window), view_(view) {
    executor_ = new CMainThreadExecutor(this);

    pmFile = new QMenu(&window);
    pmFile->setObjectName(QStringLiteral("pmFile"));
    miFileLoad = pmFile->addAction(tr("Load"));
    miFileLoad->setObjectName(QStringLiteral("miFileLoad"));
    pmLoadRecentFile = pmFile->addMenu(tr("Load recent"));
    pmLoadRecentFile->setObjectName(QStringLiteral("miLoadRecentFile"));
    miFileSave = pmFile->addAction(tr("Save"));
    miFileSave->setObjectName(QStringLiteral("miFileSave"));
    connect(pmFile, &QMenu::aboutToShow, this, &TFileCommands::pmFileShow);
    connect(miFileLoad, &QAction::triggered, this, &TFileCommands::miLoadBufferClick);
    connect(miFileSave, &QAction::triggered, this, &TFileCommands::miSaveBufferClick);

    connect(&view, &editor::TBufferView::loadRequested, this, &TFileCommands::miLoadBufferClick);
    connect(&view, &editor::TBufferView::loadRecentRequested, this,
            &TFileCommands::miLoadRecentClick);
    connect(&view, &editor::TBufferView::saveRequested, this, &TFileCommands::miSaveBufferClick);

    // The file-name field follows the project: one refresh after a burst of changes.
    fileNameLater_ = new QTimer(this);
    fileNameLater_->setSingleShot(true);
    fileNameLater_->setInterval(0);
    connect(fileNameLater_, &QTimer::timeout, this, &TFileCommands::RefreshFileName);
    const auto later = [this] { fileNameLater_->start(); };
    const CProjectNotifier* n = &window.Project().Notifier;
    connect(n, &CProjectNotifier::ModifiedChanged, this, later);
    connect(n, &CProjectNotifier::FileEntryChanged, this, later);
    connect(n, &CProjectNotifier::ActiveDeviceChanged, this, later);
    connect(n, &CProjectNotifier::DataSetShown, this, later);
    connect(n, &CProjectNotifier::DeviceAdded, this, later);
    connect(n, &CProjectNotifier::DeviceRemoved, this, later);
    connect(n, &CProjectNotifier::DevicesMoved, this, later);
    connect(&view, &editor::TBufferView::editableToggled, this, later);
    fileNameField_ = window.pBottom->lFileName;
    fileNameField_->installEventFilter(this);

    window.setAcceptDrops(true);
    windowObject_ = &window;
    windowObject_->installEventFilter(this);
}

TFileCommands::~TFileCommands() = default;

void TFileCommands::report(LogKind kind, const QString& text, bool status) {
    if (text.isEmpty()) {
        return;
    }
    window_.AddLog(kind, text);
    if (status) {
        window_.SetStatusMessage(text);
    }
}

bool TFileCommands::bufferTabShown() const {
    const int tab = window_.pBottom->tceTabs->Current();
    return tab >= btMemoryA && tab < btMemoryA + kMemories;
}

void TFileCommands::pmFileShow() {
    const FileMenuState menu = FileMenu(window_.Project(), bufferTabShown());
    miFileLoad->setText(menu.LoadCaption);
    miFileLoad->setEnabled(menu.Load);
    pmLoadRecentFile->setTitle(menu.LoadRecentCaption);
    pmLoadRecentFile->menuAction()->setEnabled(menu.LoadRecent);
    miFileSave->setEnabled(menu.Save);
    pmLoadRecentFile->clear();
    for (int k = 0; k < menu.RecentPaths.size(); ++k) {
        connect(pmLoadRecentFile->addAction(menu.RecentPaths[k]), &QAction::triggered, this,
                [this, k] { miLoadRecentClick(k); });
    }
}

void TFileCommands::prepare(TFile& engine, int memory) const {
    const TProject& project = window_.Project();
    const CDevice& device = *project.Active();
    engine.Device = project.ActiveDevice;
    engine.Memory = static_cast<std::uint8_t>(memory);
    engine.Descriptor = device.Descriptor;
    engine.BuildDay = project.BuildDay;
}

Result TFileCommands::runLoad(TFile& engine) {
    return runWorker(engine, TFileThread::Load, tr("Loading file..."));
}

Result TFileCommands::runSave(TFile& engine) {
    return runWorker(engine, TFileThread::Save, tr("Saving file..."));
}

Result TFileCommands::runWorker(TFile& engine, TFileThread::Mode mode, const QString& info) {
    TFileThread worker(*executor_, engine, mode);
    window_.Busy().SetInfo(info);
    window_.Busy().Execute(worker, &engine.Busy);
    const Result outcome = worker.Outcome();
    if (!outcome.ok) {
        const QString text = failureText(outcome, engine);
        if (!text.isEmpty()) {
            window_.ShowMessageDialog(miWarning, mbOk, text);
        }
        report(lkDetail, outcome.message, true);
    }
    return outcome;
}

void TFileCommands::computeChecksum(CDataSet& dataSet, int memory) {
    Progress progress;
    editor::TChecksumThread worker(
        *executor_, dataSet, memory,
        static_cast<std::uint64_t>(dataSet.MemStart[static_cast<std::size_t>(memory)]),
        static_cast<std::uint32_t>(dataSet.MemSize(memory)), false, &progress);
    window_.Busy().SetInfo(tr("Calculating checksum..."));
    window_.Busy().Execute(worker, &progress);
}

void TFileCommands::miLoadBufferClick() {
    load(LoadKind::Load, {}, -1);
}

void TFileCommands::miLoadRecentClick(int index) {
    load(LoadKind::Recent, {}, index);
}

void TFileCommands::DropFiles(const QStringList& paths) {
    const CDevice* device = window_.Project().Active();
    if (device == nullptr || (device->Descriptor.Flags & DEV_FILES) == 0 || paths.isEmpty()) {
        return;
    }
    if (paths.size() > 1) {
        window_.ShowMessageDialog(miWarning, mbOk, QStringLiteral("Only one file can be dropped."));
        return;
    }
    load(LoadKind::Drop, paths.constFirst(), -1);
}

std::optional<TFileCommands::FileTarget> TFileCommands::fileTarget() {
    CDevice* device = window_.Project().Active();
    if (device == nullptr) {
        window_.ShowMessageDialog(miWarning, mbOk, QStringLiteral("Select device first."));
        return std::nullopt;
    }
    CDataSet* shown = device->Shown();
    if ((device->Descriptor.Flags & DEV_FILES) == 0 || shown == nullptr) {
        return std::nullopt;
    }
    return FileTarget{device, shown, FileMemory(*device)};
}

void TFileCommands::load(LoadKind kind, const QString& dropped, int recent) {
    TProject& project = window_.Project();
    const std::optional<FileTarget> target = fileTarget();
    if (!target) {
        return;
    }
    const auto [device, shown, m] = *target;
    const bool exists = MemoryExists(device->Descriptor, m);
    MemoryState& state = shown->Memories[static_cast<std::size_t>(m)];
    if (kind == LoadKind::Recent &&
        (recent < 0 || recent >= kRecentFiles || !state.Recent[static_cast<std::size_t>(recent)])) {
        return;
    }
    window_.AddLog(lkDataSetHeaderAfterBlank(project.ActiveDevice));
    report(lkDetail, LoadStartText(*device, m, kind), true);

    TFile engine;
    prepare(engine, m);
    engine.Targets = LoadTargetsFor(project);
    RecentList list;
    Result outcome;
    if (kind == LoadKind::Recent) {
        list = state.Recent;
        MoveToFront(list, recent);
        // The load works on a copy, so a failed one leaves the memory's entry as it was.
        list[0] = std::make_shared<CFileEntry>(*list[0]);
        if (exists) {
            engine.CurrentEntry = list[0];
            outcome = runLoad(engine);
        } else {
            outcome = Result::success(QStringLiteral("File assigned."));
        }
    } else {
        TfLoadFile dialog(
            state.Recent, exists ? shown->MemSize(m) : 0,
            [this, &engine](const FileEntryPtr& entry) {
                engine.CurrentEntry = entry;
                return runLoad(engine);
            },
            &window_);
        if (kind == LoadKind::Drop) {
            dialog.HandOver(dropped);
        }
        const bool ok = dialog.Execute();
        outcome = ok ? Result::success(dialog.Message()) : Result::failure(dialog.Message());
        list = dialog.Model().List();
        if (!ok) {
            // A failed attempt was reported when it happened; what is left is the cancel.
            report(lkDetail, outcome.message, true);
            return;
        }
    }
    if (!outcome.ok) {
        return; // reported by runLoad
    }
    const FileEntryPtr entry = list[0];
    const bool checksum = exists && entry && entry->ChecksumAfter != 0;
    if (checksum) {
        computeChecksum(*shown, m);
    }
    // The memory takes the list, then the linked devices take the file and the state.
    FinishLoad(project, m, list);
    report(lkDetail, outcome.message, true);
    if (entry) {
        report(lkDetail, entry->FileName, false);
    }
    if (checksum) {
        report(lkDetail, ChecksumReportText(state.Checksum), false);
    }
    view_.RefreshPage(false);
    RefreshFileName();
}

void TFileCommands::miSaveBufferClick() {
    TProject& project = window_.Project();
    const std::optional<FileTarget> target = fileTarget();
    if (!target) {
        return;
    }
    const auto [device, shown, m] = *target;
    window_.AddLog(lkDataSetHeaderAfterBlank(project.ActiveDevice));
    report(lkDetail, SaveStartText(*device, m), true);

    TFile engine;
    prepare(engine, m);
    engine.Targets = SingleTarget(shown);
    const FileEntryPtr& current = shown->Memories[static_cast<std::size_t>(m)].Current;
    TfSaveFile dialog(
        engine, InitialSaveFormat(*device),
        current ? QFileInfo(current->FileName).absolutePath() : QString(),
        [this](TFile& e) { return runSave(e); }, &window_);
    if (!dialog.Execute()) {
        report(lkDetail, dialog.Message(), true);
        return;
    }
    FinishSave(*shown, m, engine.SaveName, engine.SaveType, engine.SaveTime[0], engine.SaveTime[1]);
    report(lkDetail, dialog.Message(), true);
    report(lkDetail, engine.SaveName, false);
    RefreshFileName();
}

void TFileCommands::RefreshFileName() {
    QLabel* label = window_.pBottom->lFileName;
    const StatusField field = FileNameField(window_.Project().Active());
    const QColor colour = field.Colour == StatusColour::Red    ? QColor(255, 0, 0)
                          : field.Colour == StatusColour::Blue ? QColor(0, 0, 255)
                                                               : QColor();
    QPalette palette = label->palette();
    palette.setColor(
        QPalette::WindowText,
        colour.isValid() ? colour : label->parentWidget()->palette().color(QPalette::WindowText));
    label->setPalette(palette);
    const int width = std::max(40, label->contentsRect().width());
    label->setText(label->fontMetrics().elidedText(field.Text, Qt::ElideMiddle, width));
    label->setToolTip(field.Hint.isEmpty() ? field.Text : field.Hint + u'\n' + field.Text);
}

bool TFileCommands::eventFilter(QObject* watched, QEvent* event) {
    // Compared by address only: while the window is destroyed its children still send events
    // here, and the window itself may no longer be a TfMain.
    if (watched == fileNameField_) {
        if (event->type() == QEvent::Resize) {
            fileNameLater_->start(); // the path is shortened to the field's new width
        }
        return false;
    }
    if (watched != windowObject_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->mimeData()->hasUrls()) {
            drag->acceptProposedAction();
            return true;
        }
        return false;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        QStringList paths;
        for (const QUrl& url : drop->mimeData()->urls()) {
            paths << (url.isLocalFile() ? url.toLocalFile() : url.toString());
        }
        drop->acceptProposedAction();
        // The dialogs open after the drop has finished, so the source is not kept waiting.
        QTimer::singleShot(0, this, [this, paths] { DropFiles(paths); });
        return true;
    }
    default:
        return false;
    }
}

} // namespace zelmo::formats
