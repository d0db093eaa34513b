#include "editor/ui/buffer_tools_commands.h"

#include "app/ui/bottom_tabs.h"
#include "app/ui/busy_window.h"
#include "app/ui/main_window.h"
#include "editor/ui/checksum_dialog.h"
#include "editor/ui/fill_dialog.h"
#include "editor/ui/goto_dialog.h"
#include "editor/ui/replace_dialog.h"
#include "editor/ui/search_dialog.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

namespace zelmo::editor {

TBufferTools::TBufferTools(TfMain& window)
    : QObject(&window), window_(window), ownView_(window.Project()) {
    setObjectName(QStringLiteral("BufferTools"));
    BufferToolHost host;
    host.Log = [this](LogKind kind, const QString& text) { window_.AddLog(kind, text); };
    host.SetStatus = [this](const QString& text) { window_.SetStatusMessage(text); };
    host.Warn = [this](const QString& text) { window_.ShowMessageDialog(miWarning, mbOk, text); };
    host.Inform = [this](const QString& text) {
        window_.ShowMessageDialog(miInformation, mbOk, text);
    };
    host.Confirm = [this](const QString& question) {
        return window_.ShowMessageDialog(miQuestion, mbYesNo, question) == mrYes;
    };
    host.RunWorker = [this](QThread& worker, Progress* progress, const QString& text) {
        window_.Busy().SetInfo(text);
        window_.Busy().Execute(worker, progress);
    };
    host.FillDialog = [this](const FillDialogInput& input) {
        TfFillBuff dialog(input, &window_);
        return dialog.Execute();
    };
    host.GoToAddress = [this](std::uint64_t address) { goTo(address); };
    host.Refresh = [this] {
        refreshPage();
        window_.RefreshPlan().Run(RefreshStep::MemorySize);
        window_.RefreshPlan().Run(RefreshStep::FileName);
        RefreshChecksum();
    };
    commands_ = std::make_unique<CBufferToolCommands>(window.Project(), executor_, host);
}

TBufferTools::~TBufferTools() = default;

void TBufferTools::goTo(std::uint64_t address) {
    if (seam_.GoToAddress) {
        seam_.GoToAddress(address);
    } else {
        ownView_.GoToAddress(address);
    }
}

void TBufferTools::refreshPage() {
    if (seam_.RefreshPage) {
        seam_.RefreshPage();
    }
}

void TBufferTools::miFillBufferClick() {
    commands_->Fill();
}

void TBufferTools::miClearBufferClick() {
    commands_->Clear();
}

void TBufferTools::miSwapClick(int kind) {
    commands_->Swap(kind);
}

void TBufferTools::openSearch(bool replace) {
    const std::optional<ShownBuffer> shown = shownBuffer(window_.Project());
    if (!shown || shown->Size == 0) {
        return;
    }
    CBufferSearch search(*shown->DataSet, shown->Memory, shown->Mode);
    if (!search.Mapped()) {
        window_.ShowMessageDialog(miWarning, mbOk, QStringLiteral("Couldn't open swap file."));
        return;
    }
    BufferViewState* state = shown->State;
    SearchView view{.Cursor = [state] { return static_cast<std::size_t>(state->Cursor); },
                    .GoToAddress = [this](std::uint64_t a) { goTo(a); },
                    .Changed = [this] { commands_->Host().Refresh(); }};
    if (replace) {
        TfReplace dialog(search, view, &window_);
        dialog.exec();
    } else {
        TfSearch dialog(search, view, &window_);
        dialog.exec();
    }
}

void TBufferTools::miFindClick() {
    openSearch(false);
}

void TBufferTools::miReplaceClick() {
    openSearch(true);
}

void TBufferTools::miGoToAddressClick() {
    const std::optional<ShownBuffer> shown = shownBuffer(window_.Project());
    if (!shown) {
        return;
    }
    TfGoToAddress dialog({.Mode = shown->Mode,
                          .Cursor = shown->State->Cursor,
                          .Size = shown->Size,
                          .GoToAddress = [this](std::uint64_t a) { goTo(a); }},
                         &window_);
    dialog.exec();
}

void TBufferTools::miChecksumCalcClick() {
    const std::optional<ShownBuffer> shown = shownBuffer(window_.Project());
    if (!shown || shown->Size == 0) {
        return;
    }
    TfChecksum dialog(
        {.Size = shown->Size,
         .Range = selectionOrBuffer(*shown->State, shown->Size),
         .Calculate = [this](std::uint32_t from,
                             std::uint32_t to) { return commands_->Calculate(from, to); }},
        &window_);
    dialog.exec();
}

void TBufferTools::miFindNextDiffClick() {
    commands_->FindNextDifference();
}

void TBufferTools::miFindPreviousDiffClick() {
    commands_->FindPreviousDifference();
}

void TBufferTools::miCompareItemClick(int tag) {
    commands_->SetCompareTo(tag);
}

void TBufferTools::FillCompareMenu(QMenu* menu) {
    menu->clear();
    const CompareMenu model = commands_->CompareMenuNow();
    if (!model.Offered) {
        return;
    }
    QAction* next = menu->addAction(QStringLiteral("Find next difference"));
    next->setEnabled(model.FindEnabled);
    connect(next, &QAction::triggered, this, &TBufferTools::miFindNextDiffClick);
    QAction* previous = menu->addAction(QStringLiteral("Find previous difference"));
    previous->setEnabled(model.FindEnabled);
    connect(previous, &QAction::triggered, this, &TBufferTools::miFindPreviousDiffClick);
    menu->addSeparator();
    auto* group = new QActionGroup(menu);
    for (const CompareItem& item : model.Items) {
        QAction* action = menu->addAction(item.Caption);
        action->setCheckable(true);
        action->setChecked(item.Checked);
        action->setData(item.Tag);
        group->addAction(action);
        const int tag = item.Tag;
        connect(action, &QAction::triggered, this, [this, tag] { miCompareItemClick(tag); });
    }
}

void TBufferTools::lChecksumClick() {
    if (lChecksum_ != nullptr && !lChecksum_->isEnabled()) {
        return;
    }
    commands_->ChecksumFieldClick();
}

void TBufferTools::RefreshChecksum() {
    if (lChecksum_ == nullptr) {
        return;
    }
    const ChecksumFieldLook look = checksumFieldLook(window_.Project().Active());
    lChecksum_->setVisible(look.Visible);
    window_.pBottom->lChecksumLabel->setVisible(look.Visible);
    lChecksum_->setText(look.Text);
    lChecksum_->setToolTip(look.Hint);
    lChecksum_->setStyleSheet(look.Grey ? QStringLiteral("color: rgb(128, 128, 128);")
                                        : QStringLiteral("color: black;"));
}

bool TBufferTools::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lChecksum_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lChecksumClick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

TBufferTools* InstallBufferTools(TfMain& window) {
    auto* tools = new TBufferTools(window);
    tools->lChecksum_ = window.pBottom->lChecksum;
    tools->lChecksum_->setCursor(Qt::PointingHandCursor);
    tools->lChecksum_->installEventFilter(tools);
    window.RefreshPlan().Add(RefreshStep::FileName, [tools] { tools->RefreshChecksum(); });
    CProjectNotifier& notifier = window.Project().Notifier;
    const auto refresh = [tools] { tools->RefreshChecksum(); };
    QObject::connect(&notifier, &CProjectNotifier::ChecksumChanged, tools, refresh);
    QObject::connect(&notifier, &CProjectNotifier::ActiveDeviceChanged, tools, refresh);
    QObject::connect(&notifier, &CProjectNotifier::DataSetShown, tools, refresh);
    QObject::connect(&notifier, &CProjectNotifier::DataSetAdded, tools, refresh);
    QObject::connect(&notifier, &CProjectNotifier::DataSetRemoved, tools, refresh);
    QObject::connect(&notifier, &CProjectNotifier::DeviceRemoved, tools, refresh);
    QObject::connect(window.pBottom, &TBottomTabs::tabSelected, tools, refresh);
    tools->RefreshChecksum();
    return tools;
}

} // namespace zelmo::editor
