#include "editor/ui/buffer_view.h"

#include "controls/ui/picture_button.h"
#include "editor/buffer_cursor.h"
#include "editor/ui/buffer_grids.h"
#include "formats/file_command_rules.h"
#include "project/buffer_status.h"
#include "project/device_descriptor.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace zelmo::editor {

namespace {

constexpr int kFrame = 1;    // the sunken line around the grids
constexpr int kSideGap = 12; // between the scroll bar and the side column
constexpr int kEditableIcon = 16;

QAction* item(QMenu* menu, const QString& caption) {
    return menu->addAction(caption);
}

} // namespace

TBufferView::TBufferView(TProject& project, QWidget* parent)
    : QWidget(parent), project_(project), model_(project) {
    setObjectName(QStringLiteral("peBuffers"));
    grids_ = new TBufferGrids(model_, this);
    sbScroll = new QScrollBar(Qt::Vertical, this);
    sbScroll->setObjectName(QStringLiteral("sbScroll"));
    sbScroll->setSingleStep(1);
    sbScroll->setFocusPolicy(Qt::NoFocus);
    connect(sbScroll, &QScrollBar::valueChanged, this, &TBufferView::sbScrollScroll);

    bBufferEditable = new TPictureButton(QStringLiteral("editable_off"), tr("Read-only"),
                                         TPictureButton::Caption::Beside, kEditableIcon, this);
    bBufferEditable->setObjectName(QStringLiteral("bBufferEditable"));
    connect(bBufferEditable, &QToolButton::clicked, this, &TBufferView::bBufferEditableClick);
    lMemorySize = new QLabel(this);
    lMemorySize->setObjectName(QStringLiteral("lMemorySize"));

    connect(grids_, &TBufferGrids::viewMoved, this, &TBufferView::syncScrollBar);
    connect(grids_, &TBufferGrids::popupRequested, this,
            [this](const QPoint& at) { pmBufferPopup(grids_->mapToGlobal(at)); });

    later_ = new QTimer(this);
    later_->setSingleShot(true);
    later_->setInterval(0);
    connect(later_, &QTimer::timeout, this, [this] {
        if (laterLayout_) {
            laterLayout_ = false;
            RefreshView();
        } else {
            RefreshPage(false);
        }
    });

    buildMenu();
    followNotifier();
    RefreshView();
}

TBufferView::~TBufferView() = default;

void TBufferView::buildMenu() {
    pmBuffer = new QMenu(this);
    pmBuffer->setObjectName(QStringLiteral("pmBuffer"));
    miLoadBuffer = item(pmBuffer, tr("Load"));
    connect(miLoadBuffer, &QAction::triggered, this, &TBufferView::loadRequested);
    pmLoadRecent = pmBuffer->addMenu(tr("Load recent"));
    miSaveBuffer = item(pmBuffer, tr("Save"));
    connect(miSaveBuffer, &QAction::triggered, this, &TBufferView::saveRequested);
    pmBuffer->addSeparator();
    miFillBuffer = item(pmBuffer, tr("Fill"));
    connect(miFillBuffer, &QAction::triggered, this, &TBufferView::fillRequested);
    miClearBuffer = item(pmBuffer, tr("Clear"));
    connect(miClearBuffer, &QAction::triggered, this, &TBufferView::clearRequested);
    pmSwap = pmBuffer->addMenu(tr("Swap"));
    const QString swaps[] = {tr("Bytes"), tr("Words"), tr("Nibbles")};
    for (int kind = 0; kind < 3; ++kind) {
        connect(item(pmSwap, swaps[kind]), &QAction::triggered, this,
                [this, kind] { emit swapRequested(kind); });
    }
    pmBuffer->addSeparator();
    miFind = item(pmBuffer, tr("Find"));
    connect(miFind, &QAction::triggered, this, &TBufferView::findRequested);
    miReplace = item(pmBuffer, tr("Replace"));
    connect(miReplace, &QAction::triggered, this, &TBufferView::replaceRequested);
    miGoToAddress = item(pmBuffer, tr("Go to address"));
    connect(miGoToAddress, &QAction::triggered, this, &TBufferView::goToAddressRequested);
    pmGoToArea = pmBuffer->addMenu(tr("Go to..."));
    pmBuffer->addSeparator();
    pmDisplayMode = pmBuffer->addMenu(tr("Display mode"));
    modes_ = new QActionGroup(this);
    const QString modes[] = {tr("8-bit (bytes)"), tr("16-bit (words)"),
                             tr("32-bit (double words)")};
    for (int tag = 0; tag < 3; ++tag) {
        QAction* mode = item(pmDisplayMode, modes[tag]);
        mode->setCheckable(true);
        mode->setData(tag);
        modes_->addAction(mode);
        connect(mode, &QAction::triggered, this, [this, tag] { miDisplayModeClick(tag); });
    }
    pmCompare = pmBuffer->addMenu(tr("Compare"));
    connect(pmCompare, &QMenu::aboutToShow, this, [this] { emit compareMenuShowing(pmCompare); });
    miChecksumCalc = item(pmBuffer, tr("Checksum calculator"));
    connect(miChecksumCalc, &QAction::triggered, this, &TBufferView::checksumCalculatorRequested);
}

void TBufferView::followNotifier() {
    const CProjectNotifier* n = &project_.Notifier;
    const auto relayout = [this] { refreshLater(true); };
    connect(n, &CProjectNotifier::DeviceAdded, this, relayout);
    connect(n, &CProjectNotifier::DeviceRemoved, this, relayout);
    connect(n, &CProjectNotifier::DevicesMoved, this, relayout);
    connect(n, &CProjectNotifier::ActiveDeviceChanged, this, relayout);
    connect(n, &CProjectNotifier::DataSetAdded, this, relayout);
    connect(n, &CProjectNotifier::DataSetRemoved, this, relayout);
    connect(n, &CProjectNotifier::DataSetShown, this, relayout);
    connect(n, &CProjectNotifier::BytesChanged, this,
            [this](const CDataSet* dataSet, int memory, quint64 offset, quint64 length) {
                if (grids_->Typing() || memory != model_.memory()) {
                    return;
                }
                const CDataSet* shown = model_.dataSet();
                const CDataSet* compare = shown != nullptr && model_.device() != nullptr
                                              ? model_.device()->DataSetAt(shown->CompareTo)
                                              : nullptr;
                if (dataSet != shown && dataSet != compare) {
                    return;
                }
                // Only writes that touch the rows on screen change what is drawn.
                const ViewLayout view = model_.layout();
                const BufferViewState* s = model_.state();
                const std::uint64_t first =
                    s != nullptr ? std::uint64_t{s->TopRow} * view.bytesPerRow() : 0;
                const std::uint64_t last = first + view.mode().PageSize;
                if (offset < last && offset + length > first) {
                    refreshLater(false);
                }
            });
}

void TBufferView::refreshLater(bool layout) {
    laterLayout_ = laterLayout_ || layout;
    later_->start();
}

int TBufferView::gridsHeight() const {
    return height();
}

void TBufferView::RefreshView() {
    model_.LayoutGrids(gridsHeight());
    // A half-typed cell is forgotten when another memory comes on screen; refreshes of the same
    // memory keep it.
    const Shown now{
        model_.device(), model_.dataSet(), model_.memory(),
        model_.device() != nullptr
            ? model_.device()->Buffers[static_cast<std::size_t>(model_.memory())].Organization
            : 0};
    if (now != shown_) {
        shown_ = now;
        model_.ShowCurrent();
    } else {
        model_.RefreshPage(false);
    }
    grids_->Relayout();
    place();
    syncScrollBar();
    RefreshEditLock();
}

void TBufferView::RefreshPage(bool force) {
    model_.RefreshPage(force);
    syncScrollBar();
    grids_->update();
}

void TBufferView::RefreshEditLock() {
    const CDevice* device = model_.device();
    const bool editable = device != nullptr && device->Editable != 0;
    bBufferEditable->SetPicture(editable ? QStringLiteral("editable_on")
                                         : QStringLiteral("editable_off"));
    bBufferEditable->setText(editable ? tr("Editable") : tr("Read-only"));
    bBufferEditable->setToolTip(editable ? tr("Buffer editable: click to lock it")
                                         : tr("Buffer read-only: click to allow editing"));
    bBufferEditable->setVisible(device != nullptr);
    const StatusField size = MemorySizeField(device);
    lMemorySize->setText(tr("Size: %1").arg(size.Text));
    lMemorySize->setToolTip(size.Hint);
    lMemorySize->setVisible(device != nullptr && size.Visible);
    place();
}

void TBufferView::GoToAddress(std::uint64_t address) {
    model_.GoToAddress(address);
    syncScrollBar();
    grids_->update();
}

int TBufferView::ActiveMemory() const {
    return model_.dataSet() != nullptr ? model_.memory() : -1;
}

std::optional<TBufferView::ByteRange> TBufferView::SelectionRange() const {
    const BufferViewState* s = model_.dataSet() != nullptr ? model_.state() : nullptr;
    if (s == nullptr || !hasSelection(*s)) {
        return std::nullopt;
    }
    return ByteRange{s->SelStart, s->SelEnd};
}

std::uint64_t TBufferView::CursorAddress() const {
    const BufferViewState* s = model_.state();
    return s != nullptr ? s->Cursor : 0;
}

void TBufferView::MoveCursor(std::uint64_t address) {
    GoToAddress(address);
}

void TBufferView::SelectRange(ByteRange range) {
    const std::uint64_t size = model_.bufferSize();
    BufferViewState* s = model_.state();
    if (s == nullptr || size == 0) {
        return;
    }
    const std::uint64_t first = std::min(range.First, range.Last);
    const std::uint64_t last = std::min(std::max(range.First, range.Last), size - 1);
    model_.GoToAddress(std::min(first, size - 1));
    s->Anchor = s->Cursor;
    s->SelStart = static_cast<std::uint32_t>(std::min(first, size - 1));
    s->SelEnd = static_cast<std::uint32_t>(last);
    syncScrollBar();
    grids_->update();
}

void TBufferView::syncScrollBar() {
    const ScrollBarState bar = model_.UpdateScrollBar();
    settingBar_ = true;
    sbScroll->setRange(0, bar.Enabled ? static_cast<int>(bar.Maximum) : 0);
    sbScroll->setPageStep(std::max<int>(1, static_cast<int>(bar.PageStep)));
    sbScroll->setValue(static_cast<int>(bar.Position));
    sbScroll->setEnabled(bar.Enabled);
    settingBar_ = false;
    place();
}

void TBufferView::sbScrollScroll(int position) {
    if (settingBar_ || position < 0) {
        return;
    }
    model_.ScrollTo(static_cast<std::uint32_t>(position));
    grids_->update();
}

void TBufferView::place() {
    const ViewLayout view = model_.layout();
    grids_->setGeometry(kFrame, kFrame, view.panelWidth(), view.gridHeight());
    const int barLeft = kFrame + view.panelWidth() + kFrame;
    const int barWidth = sbScroll->sizeHint().width();
    sbScroll->setGeometry(barLeft, kFrame + kRowHeight, barWidth,
                          std::max(0, view.gridHeight() - kRowHeight));
    const int side = barLeft + barWidth + kSideGap;
    const QSize button = bBufferEditable->sizeHint();
    bBufferEditable->setGeometry(side, kFrame, button.width(), button.height());
    const QSize label = lMemorySize->sizeHint();
    lMemorySize->setGeometry(side + 4, kFrame + button.height() + 6, label.width(), label.height());
    update();
}

void TBufferView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int rows = model_.RowCount;
    model_.LayoutGrids(gridsHeight());
    if (model_.RowCount != rows) {
        model_.RefreshPage(false); // more rows may need bytes the page does not hold yet
    }
    grids_->Relayout();
    place();
    syncScrollBar();
}

void TBufferView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const ViewLayout view = model_.layout();
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(0, 0, view.panelWidth() + 2 * kFrame - 1, view.gridHeight() + 2 * kFrame - 1);
}

void TBufferView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::EnabledChange) {
        return;
    }
    // The grids are disabled while the device runs an operation; once it is free again the
    // page is read at once, so that what the operation wrote (a Read) is on screen.
    const bool enabled = isEnabled();
    if (enabled && !wasEnabled_) {
        model_.RefreshPage(true);
    }
    wasEnabled_ = enabled;
    syncScrollBar();
    grids_->update();
}

void TBufferView::logChange(const QString& text) {
    if (host_.Log) {
        host_.Log(lkDataSetHeaderAfterBlank(project_.ActiveDevice), {});
        host_.Log(lkDetail, text);
    }
    if (host_.Status) {
        host_.Status(text);
    }
}

void TBufferView::miDisplayModeClick(int tag) {
    const std::optional<QString> text = model_.SetDisplayMode(tag);
    if (!text) {
        return;
    }
    RefreshView();
    logChange(*text);
}

void TBufferView::bBufferEditableClick() {
    if (model_.device() == nullptr) {
        return;
    }
    const QString text = model_.ToggleEditable();
    RefreshEditLock();
    grids_->update();
    logChange(text);
    emit editableToggled();
}

void TBufferView::pmBufferPopup(const QPoint& global) {
    const CDevice* device = model_.device();
    if (device == nullptr) {
        return;
    }
    const BufferPopup menu = model_.Popup();
    miLoadBuffer->setEnabled(menu.LoadBuffer);
    pmLoadRecent->menuAction()->setEnabled(menu.LoadRecent);
    miSaveBuffer->setEnabled(menu.SaveBuffer);
    miFillBuffer->setEnabled(menu.FillBuffer);
    miClearBuffer->setEnabled(menu.ClearBuffer);
    pmSwap->menuAction()->setEnabled(menu.Swap);
    miFind->setEnabled(menu.Find);
    miReplace->setEnabled(menu.Replace);
    miGoToAddress->setEnabled(menu.GoToAddress);
    pmGoToArea->menuAction()->setEnabled(menu.GoToArea);
    pmDisplayMode->menuAction()->setEnabled(menu.DisplayMode);
    pmCompare->menuAction()->setEnabled(menu.Compare);
    miChecksumCalc->setEnabled(menu.ChecksumCalc);
    for (QAction* mode : modes_->actions()) {
        mode->setChecked(mode->data().toInt() == menu.CheckedMode);
    }

    pmLoadRecent->clear();
    const formats::FileMenuState files = formats::FileMenu(project_, true);
    for (int k = 0; k < files.RecentPaths.size(); ++k) {
        connect(pmLoadRecent->addAction(files.RecentPaths[k]), &QAction::triggered, this,
                [this, k] { emit loadRecentRequested(k); });
    }
    pmGoToArea->clear();
    for (const PopupArea& area : menu.Areas) {
        const std::uint32_t start = area.Start;
        connect(pmGoToArea->addAction(area.Name), &QAction::triggered, this,
                [this, start] { GoToAddress(start); });
    }
    pmBuffer->popup(global);
}

} // namespace zelmo::editor
