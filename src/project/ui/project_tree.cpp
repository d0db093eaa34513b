#include "project/ui/project_tree.h"

#include "project/commands/project_commands.h"
#include "project/project.h"
#include "project/project_tree.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QValidator>

namespace zelmo {

namespace {

QColor rgb(std::uint32_t value) {
    return QColor::fromRgb(static_cast<QRgb>(value));
}

// Refuses every character that a data-set name cannot hold, typed or pasted.
class DataSetNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const char32_t c : input.toUcs4()) {
            if (!DataSetNameCharAccepted(c)) {
                return Invalid;
            }
        }
        return Acceptable;
    }
};

} // namespace

// Paints every node from the tree rules; nothing is left to the style's default drawing.
class TProjectTreeDelegate : public QStyledItemDelegate {
public:
    explicit TProjectTreeDelegate(TProjectTree& tree) : QStyledItemDelegate(&tree), tree_(tree) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool dataSetNode = index.parent().isValid();
        const int device = dataSetNode ? index.parent().row() : index.row();
        const QRect rect = option.rect;
        painter->save();
        painter->setClipRect(rect);
        QFont font = option.font;
        const QFontMetrics metrics(font);
        const int textY = rect.top() + (rect.height() - metrics.height()) / 2 + metrics.ascent();
        if (!dataSetNode) {
            const DeviceNodeLook look = DeviceNodeLookFor(tree_.project_, device);
            painter->fillRect(rect, rgb(look.Background));
            // The expander: a grey box with a minus, and a bar across it while collapsed.
            const QRect box(rect.left() + 4, rect.top() + (rect.height() - 9) / 2, 8, 8);
            painter->setPen(rgb(tree_colour::Grey));
            painter->setBrush(Qt::white);
            painter->drawRect(box);
            painter->setPen(Qt::black);
            const int cy = box.top() + 4;
            const int cx = box.left() + 4;
            painter->drawLine(box.left() + 2, cy, box.right() - 2, cy);
            if (!tree_.isExpanded(index)) {
                painter->drawLine(cx, box.top() + 2, cx, box.bottom() - 2);
            }
            QFont bold = font;
            bold.setBold(true);
            const QFontMetrics boldMetrics(bold);
            const int positionWidth = boldMetrics.horizontalAdvance(QStringLiteral("00:")) + 2;
            const int positionLeft = rect.left() + TProjectTree::kIndentWidth;
            painter->setFont(bold);
            painter->setPen(rgb(look.PositionColour));
            painter->drawText(QRect(positionLeft, rect.top(), positionWidth, rect.height()),
                              Qt::AlignRight | Qt::AlignVCenter, look.Position);
            painter->setFont(font);
            painter->setPen(rgb(look.LabelColour));
            painter->drawText(positionLeft + positionWidth + 4, textY, look.Label);
        } else {
            const DataSetNodeLook look = DataSetNodeLookFor(tree_.project_, device, index.row());
            painter->fillRect(rect, rgb(look.Background));
            if (look.Triangle) {
                const int cy = rect.top() + rect.height() / 2;
                QPainterPath triangle;
                triangle.moveTo(rect.left() + 3, cy - 4);
                triangle.lineTo(rect.left() + 7, cy);
                triangle.lineTo(rect.left() + 3, cy + 4);
                triangle.closeSubpath();
                painter->setRenderHint(QPainter::Antialiasing);
                painter->fillPath(triangle, rgb(look.TriangleColour));
            }
            painter->setPen(rgb(look.LabelColour));
            painter->drawText(rect.left() + 12, textY, look.Label);
        }
        if ((option.state & QStyle::State_HasFocus) != 0 && tree_.hasFocus()) {
            painter->setPen(QPen(rgb(tree_colour::Grey), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(rect.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QFontMetrics metrics(option.font);
        size.setHeight(std::max(18, metrics.height() + 4));
        size.setWidth(size.width() + TProjectTree::kIndentWidth +
                      metrics.horizontalAdvance("00: "));
        return size;
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        editor->setValidator(new DataSetNameValidator(editor));
        editor->setFrame(false);
        return editor;
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex&) const override {
        editor->setGeometry(option.rect.adjusted(10, 0, 0, 0));
    }

    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        const auto* line = static_cast<QLineEdit*>(editor);
        const int device = index.parent().row();
        const int dataSet = index.row();
        const QString text = line->text();
        // The rename may ask the user; it runs once the editor has closed.
        QTimer::singleShot(0, &tree_, [tree = &tree_, device, dataSet, text] {
            tree->RenameEdited(device, dataSet, text);
        });
    }

private:
    TProjectTree& tree_;
};

TProjectTree::TProjectTree(TProject& project, CProjectCommands& commands, QWidget* parent)
    : QTreeWidget(parent), project_(project), commands_(commands) {
    setObjectName(QStringLiteral("tvDevices"));
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(kIndentWidth);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Dragging may start; nothing accepts a drop.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setItemDelegate(new TProjectTreeDelegate(*this));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, rgb(tree_colour::Plain));
    setPalette(colours);
    CreateMenus();
    ConnectNotifier();
    Rebuild();
}

void TProjectTree::CreateMenus() {
    pmDevice = new QMenu(this);
    pmDevice->setObjectName(QStringLiteral("pmDevice"));
    miAddDataSet = pmDevice->addAction(tr("Add data set"));
    miRemoveDevice = pmDevice->addAction(tr("Remove device"));
    miAssignProgrammer = pmDevice->addMenu(tr("Assign Programmer"));
    miMoveDeviceUp = pmDevice->addAction(tr("Move up"));
    miMoveDeviceDown = pmDevice->addAction(tr("Move down"));

    pmDataSet = new QMenu(this);
    pmDataSet->setObjectName(QStringLiteral("pmDataSet"));
    miSetActiveDataSet = pmDataSet->addAction(tr("Set active"));
    miRenameDataSet = pmDataSet->addAction(tr("Rename"));
    miRemoveDataSet = pmDataSet->addAction(tr("Remove"));

    pmTreeView = new QMenu(this);
    pmTreeView->setObjectName(QStringLiteral("pmTreeView"));
    miCollapseAll = pmTreeView->addAction(tr("Collapse all"));
    miExpandAll = pmTreeView->addAction(tr("Expand all"));

    pmDeviceOut = new QMenu(this);
    pmDeviceOut->setObjectName(QStringLiteral("pmDeviceOut"));
    miAddDevice = pmDeviceOut->addAction(tr("Add device"));

    connect(miAddDataSet, &QAction::triggered, this, [this] { commands_.AddDataSet(menuDevice_); });
    connect(miRemoveDevice, &QAction::triggered, this,
            [this] { commands_.RemoveDevice(menuDevice_); });
    connect(miMoveDeviceUp, &QAction::triggered, this,
            [this] { commands_.MoveDevice(menuDevice_, -1); });
    connect(miMoveDeviceDown, &QAction::triggered, this,
            [this] { commands_.MoveDevice(menuDevice_, +1); });
    connect(miSetActiveDataSet, &QAction::triggered, this,
            [this] { commands_.SetActiveDataSet(); });
    connect(miRenameDataSet, &QAction::triggered, this, [this] {
        if (QTreeWidgetItem* item = currentItem(); item != nullptr && item->parent() != nullptr) {
            editItem(item);
        }
    });
    connect(miRemoveDataSet, &QAction::triggered, this, [this] { commands_.RemoveDataSet(); });
    connect(miCollapseAll, &QAction::triggered, this, &QTreeView::collapseAll);
    connect(miExpandAll, &QAction::triggered, this, &QTreeView::expandAll);
    connect(miAddDevice, &QAction::triggered, this, [this] { commands_.AddDevice(); });
}

void TProjectTree::ConnectNotifier() {
    CProjectNotifier* n = &project_.Notifier;
    connect(n, &CProjectNotifier::DeviceAdded, this, [this](int device) {
        if (topLevelItemCount() < project_.DeviceCount && device <= topLevelItemCount()) {
            auto* item = new QTreeWidgetItem;
            insertTopLevelItem(device, item);
            item->setExpanded(true);
        }
        SyncCounts();
    });
    connect(n, &CProjectNotifier::DeviceRemoved, this, [this](int device) {
        if (device >= 0 && device < topLevelItemCount() &&
            topLevelItemCount() > project_.DeviceCount) {
            delete takeTopLevelItem(device);
        }
        SyncCounts();
    });
    connect(n, &CProjectNotifier::DevicesMoved, this, [this](int a, int b) {
        QTreeWidgetItem* first = topLevelItem(a);
        QTreeWidgetItem* second = topLevelItem(b);
        if (first != nullptr && second != nullptr) {
            const bool expanded = first->isExpanded();
            first->setExpanded(second->isExpanded());
            second->setExpanded(expanded);
        }
        SyncCounts();
    });
    connect(n, &CProjectNotifier::DataSetAdded, this, [this](int device, int dataSet) {
        QTreeWidgetItem* parent = topLevelItem(device);
        const CDevice* entry = project_.DeviceAt(device);
        // A data-set node is added only when the device node has fewer children than data sets.
        if (parent != nullptr && entry != nullptr && parent->childCount() < entry->DataSetCount &&
            dataSet <= parent->childCount()) {
            parent->insertChild(dataSet, new QTreeWidgetItem);
        }
        SyncCounts();
    });
    connect(n, &CProjectNotifier::DataSetRemoved, this, [this](int device, int dataSet) {
        QTreeWidgetItem* parent = topLevelItem(device);
        const CDevice* entry = project_.DeviceAt(device);
        if (parent != nullptr && entry != nullptr && dataSet < parent->childCount() &&
            parent->childCount() > entry->DataSetCount) {
            delete parent->takeChild(dataSet);
        }
        SyncCounts();
    });
    for (auto signal : {&CProjectNotifier::DataSetRenamed, &CProjectNotifier::DataSetSelected,
                        &CProjectNotifier::DataSetShown}) {
        connect(n, signal, this, [this] {
            UpdateLabels();
            FollowSelection();
        });
    }
    connect(n, &CProjectNotifier::ActiveDeviceChanged, this, [this] {
        UpdateLabels();
        FollowSelection();
    });
    connect(n, &CProjectNotifier::DeviceLinked, this, [this] { viewport()->update(); });
}

void TProjectTree::Rebuild() {
    clear();
    SyncCounts();
    expandAll();
}

void TProjectTree::SyncCounts() {
    while (topLevelItemCount() > project_.DeviceCount) {
        delete takeTopLevelItem(topLevelItemCount() - 1);
    }
    while (topLevelItemCount() < project_.DeviceCount) {
        auto* item = new QTreeWidgetItem;
        addTopLevelItem(item);
        item->setExpanded(true);
    }
    for (int d = 0; d < project_.DeviceCount; ++d) {
        QTreeWidgetItem* parent = topLevelItem(d);
        const int count = project_.Devices[static_cast<std::size_t>(d)]->DataSetCount;
        while (parent->childCount() > count) {
            delete parent->takeChild(parent->childCount() - 1);
        }
        while (parent->childCount() < count) {
            parent->addChild(new QTreeWidgetItem);
        }
    }
    UpdateLabels();
    FollowSelection();
}

void TProjectTree::UpdateLabels() {
    for (int d = 0; d < topLevelItemCount(); ++d) {
        QTreeWidgetItem* parent = topLevelItem(d);
        const CDevice* device = project_.DeviceAt(d);
        if (device == nullptr) {
            continue;
        }
        parent->setText(0, DeviceNodeText(*device));
        parent->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        for (int s = 0; s < parent->childCount(); ++s) {
            QTreeWidgetItem* child = parent->child(s);
            const CDataSet* dataSet = device->DataSetAt(s);
            child->setText(0, dataSet != nullptr ? QString::fromLatin1(dataSet->Name.c_str())
                                                 : QString());
            // Only data-set nodes can be edited in place.
            child->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
                            Qt::ItemIsDragEnabled);
        }
    }
    viewport()->update();
}

void TProjectTree::FollowSelection() {
    QTreeWidgetItem* target = nullptr;
    if (const CDevice* device = project_.Active()) {
        QTreeWidgetItem* parent = topLevelItem(project_.ActiveDevice);
        if (parent != nullptr) {
            target = parent->isExpanded() ? parent->child(device->ShownDataSet) : parent;
            if (target == nullptr) {
                target = parent;
            }
        }
    }
    if (target != nullptr && target != currentItem() &&
        state() != QAbstractItemView::EditingState) {
        setCurrentItem(target);
    }
    viewport()->update();
}

void TProjectTree::IndexesOf(const QTreeWidgetItem* item, int& device, int& dataSet) {
    device = -1;
    dataSet = -1;
    if (item == nullptr) {
        return;
    }
    if (const QTreeWidgetItem* parent = item->parent()) {
        device = parent->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(parent));
        dataSet = parent->indexOfChild(const_cast<QTreeWidgetItem*>(item));
    } else {
        device = item->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    }
}

bool TProjectTree::ClickItem(QTreeWidgetItem* item) {
    int device = -1;
    int dataSet = -1;
    IndexesOf(item, device, dataSet);
    const bool taken = dataSet < 0 ? ClickDeviceNode(project_, device)
                                   : ClickDataSetNode(project_, device, dataSet);
    if (taken) {
        emit selectionChanged();
    }
    FollowSelection();
    return taken;
}

void TProjectTree::RenameEdited(int device, int dataSet, const QString& text) {
    commands_.RenameDataSet(device, dataSet, text);
    UpdateLabels(); // a refused name shows the old one again
}

void TProjectTree::mousePressEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item == nullptr) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    const bool deviceNode = item->parent() == nullptr;
    const bool inIndent = event->position().x() < visualItemRect(item).left() + kIndentWidth;
    if (event->button() == Qt::LeftButton) {
        if (deviceNode && inIndent) {
            item->setExpanded(!item->isExpanded());
            FollowSelection();
            return;
        }
        QTreeWidget::mousePressEvent(event); // lets a drag start
        ClickItem(item);
        return;
    }
    // Right clicks are answered by the context menu.
    event->accept();
}

void TProjectTree::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item == nullptr || event->button() != Qt::LeftButton) {
        return;
    }
    int device = -1;
    int dataSet = -1;
    IndexesOf(item, device, dataSet);
    if (dataSet >= 0) {
        commands_.DataSetDoubleClicked(device, dataSet);
        emit selectionChanged();
    } else if (event->position().x() >= visualItemRect(item).left() + kIndentWidth) {
        item->setExpanded(!item->isExpanded());
    }
    FollowSelection();
}

QMenu* TProjectTree::MenuAt(const QPoint& viewportPos) {
    QTreeWidgetItem* item = itemAt(viewportPos);
    if (item == nullptr) {
        miAddDevice->setEnabled(DevicesMayChange(project_));
        return pmDeviceOut;
    }
    int device = -1;
    int dataSet = -1;
    IndexesOf(item, device, dataSet);
    if (dataSet < 0 && viewportPos.x() < visualItemRect(item).left() + kIndentWidth) {
        return pmTreeView;
    }
    ClickItem(item);
    menuDevice_ = device;
    if (dataSet < 0) {
        const DeviceMenuState state = DeviceMenuFor(project_, device);
        miAddDataSet->setEnabled(state.AddDataSet);
        miRemoveDevice->setEnabled(state.RemoveDevice);
        miMoveDeviceUp->setEnabled(state.MoveUp);
        miMoveDeviceDown->setEnabled(state.MoveDown);
        miAssignProgrammer->menuAction()->setVisible(state.AssignProgrammer);
        miAssignProgrammer->clear();
        if (assignFiller_) {
            assignFiller_(miAssignProgrammer, device);
        }
        miAssignProgrammer->setEnabled(!miAssignProgrammer->isEmpty());
        return pmDevice;
    }
    const DataSetMenuState state = DataSetMenuFor(project_, device, dataSet);
    miSetActiveDataSet->setEnabled(state.SetActive);
    miRenameDataSet->setEnabled(state.Rename);
    miRemoveDataSet->setEnabled(state.Remove);
    // Rename works on the node that was clicked, even when a busy device kept its selection.
    setCurrentItem(item);
    return pmDataSet;
}

void TProjectTree::contextMenuEvent(QContextMenuEvent* event) {
    if (QMenu* menu = MenuAt(event->pos())) {
        menu->exec(event->globalPos());
    }
}

void TProjectTree::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    QTreeWidgetItem* after = currentItem();
    if (after != nullptr && after != before && state() != QAbstractItemView::EditingState) {
        ClickItem(after);
    }
}

void TProjectTree::scrollContentsBy(int dx, int dy) {
    QTreeWidget::scrollContentsBy(dx, dy);
    viewport()->update();
}

} // namespace zelmo
