#include "catalogue/ui/select_ic.h"

#include "app/ui/message_dialog.h"
#include "controls/ui/elided_label.h"
#include "project/project.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace zelmo {

namespace {

TfSelectIC::AdapterCreator& creatorHook() {
    static TfSelectIC::AdapterCreator creator;
    return creator;
}

constexpr int kRowHeight = 18;
const QColor kGridBackground(255, 255, 225);

QLabel* valueLabel() {
    auto* label = new QLabel;
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(150);
    return label;
}

std::optional<GridKey> gridKey(int key) {
    switch (key) {
    case Qt::Key_Up:
        return GridKey::Up;
    case Qt::Key_Down:
        return GridKey::Down;
    case Qt::Key_PageUp:
        return GridKey::PageUp;
    case Qt::Key_PageDown:
        return GridKey::PageDown;
    case Qt::Key_Home:
        return GridKey::Home;
    case Qt::Key_End:
        return GridKey::End;
    case Qt::Key_Left:
        return GridKey::Left;
    case Qt::Key_Right:
        return GridKey::Right;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return GridKey::Enter;
    default:
        return std::nullopt;
    }
}

} // namespace

TLogoBox::TLogoBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("iLogo"));
    setFixedSize(100, 100);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Click to open web page"));
}

void TLogoBox::SetPicture(const QString& path) {
    if (path == path_ && loaded_) {
        return;
    }
    path_ = path;
    picture_ = QPixmap();
    const QByteArray bytes = ReadLogoFile(path);
    loaded_ = !bytes.isEmpty() && picture_.loadFromData(bytes, "BMP");
    drawable_ = loaded_ && LogoDrawable(picture_.size());
    update();
}

void TLogoBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!loaded_) {
        painter.fillRect(rect(), Qt::white);
    } else if (drawable_) {
        painter.drawPixmap(0, 0, picture_);
    }
    // A bitmap of any other size leaves the box unpainted.
}

void TLogoBox::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    emit clicked();
}

void TfSelectIC::SetAdapterCreator(AdapterCreator creator) {
    creatorHook() = std::move(creator);
}

TfSelectIC::TfSelectIC(const CCatalogue& catalogue, const QString& appDir,
                       CSelectionModel::VendorNameFn vendorName, const LastSelection& last,
                       QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), model_(catalogue, appDir, std::move(vendorName)),
      last_(last) {
    setObjectName(QStringLiteral("fSelectIC"));
    setWindowTitle(QStringLiteral("Select device"));
    setModal(true);

    auto* top = new QHBoxLayout;
    top->addWidget(TypeButtons());
    auto* vendors = new QGroupBox(QStringLiteral("Vendor"));
    auto* vendorLayout = new QVBoxLayout(vendors);
    lbManuf = new QListWidget;
    lbManuf->setObjectName(QStringLiteral("lbManuf"));
    lbManuf->setMinimumWidth(170);
    vendorLayout->addWidget(lbManuf);
    top->addWidget(vendors, 1);
    top->addWidget(DeviceArea());
    top->addWidget(DetailsArea());

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(AdapterArea(), 1);
    auto* copies = new QGroupBox(QStringLiteral("Add"));
    auto* copiesLayout = new QHBoxLayout(copies);
    cbMultAdd = new QComboBox;
    cbMultAdd->setObjectName(QStringLiteral("cbMultAdd"));
    for (int n = 1; n <= kMaxCopies; ++n) {
        cbMultAdd->addItem(QStringLiteral("%1x").arg(n));
    }
    copiesLayout->addWidget(cbMultAdd);
    bottom->addWidget(copies);

    auto* buttons = new QVBoxLayout;
    bOK = new QPushButton(QStringLiteral("OK"));
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    bCancel = new QPushButton(QStringLiteral("Cancel"));
    bCancel->setObjectName(QStringLiteral("bCancel"));
    buttons->addStretch(1);
    buttons->addWidget(bOK);
    buttons->addWidget(bCancel);
    bottom->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    // Opening: the last selection, the first matching device, the focus in the search field.
    model_.Open(last_);
    Refresh();

    connect(typeGroup_, &QButtonGroup::idClicked, this, [this](int code) {
        if (!updating_) {
            model_.SetType(code);
            Refresh();
        }
    });
    connect(lbManuf, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!updating_) {
            model_.SetVendor(row);
            Refresh();
        }
    });
    connect(eFilter, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!updating_) {
            model_.SetSearchText(text);
            Refresh();
        }
    });
    connect(sgDevices, &QTableWidget::cellPressed, this, [this](int row, int) {
        model_.ClickRow(row);
        Refresh();
    });
    connect(sbDevices, &QScrollBar::valueChanged, this, [this](int value) {
        if (!updating_) {
            model_.SetScrollPosition(value);
            FillGrid();
        }
    });
    connect(rbGenericAdapter, &QRadioButton::clicked, this, [this] {
        model_.ChooseGenericAdapter();
        Refresh();
    });
    connect(rbUserAdapter, &QRadioButton::clicked, this, [this] {
        model_.ChooseUserAdapter();
        Refresh();
    });
    connect(bLoadAdapter, &QPushButton::clicked, this, &TfSelectIC::bLoadAdapterClick);
    connect(bAdapterCreator, &QPushButton::clicked, this, &TfSelectIC::bAdapterCreatorClick);
    connect(cbMultAdd, &QComboBox::currentIndexChanged, this,
            [this](int index) { model_.SetCopiesIndex(index); });
    connect(iLogo, &TLogoBox::clicked, this, &TfSelectIC::iLogoClick);
    connect(bOK, &QPushButton::clicked, this, &TfSelectIC::bOKClick);
    connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);

    eFilter->installEventFilter(this);
    sgDevices->installEventFilter(this);
    eFilter->setFocus();
    eFilter->selectAll();
}

QWidget* TfSelectIC::TypeButtons() {
    auto* group = new QGroupBox(QStringLiteral("Device type"));
    auto* layout = new QVBoxLayout(group);
    typeGroup_ = new QButtonGroup(this);
    for (const DeviceTypeChoice& choice : DeviceTypeChoices()) {
        auto* button = new QRadioButton(QString::fromLatin1(choice.Caption));
        button->setObjectName(QString::fromLatin1(choice.Button));
        typeGroup_->addButton(button, choice.Code);
        layout->addWidget(button);
        rbTypes.push_back(button);
    }
    layout->addStretch(1);
    return group;
}

QWidget* TfSelectIC::DeviceArea() {
    auto* group = new QGroupBox(QStringLiteral("Device"));
    auto* layout = new QGridLayout(group);
    eFilter = new QLineEdit;
    eFilter->setObjectName(QStringLiteral("eFilter"));
    eFilter->setMaxLength(kSearchTextMax);
    eFilter->setPlaceholderText(QStringLiteral("Search device name"));
    eFilter->setClearButtonEnabled(true);
    layout->addWidget(eFilter, 0, 0, 1, 2);

    sgDevices = new QTableWidget(kGridRows, 2);
    sgDevices->setObjectName(QStringLiteral("sgDevices"));
    sgDevices->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Package")});
    sgDevices->verticalHeader()->hide();
    sgDevices->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgDevices->verticalHeader()->setDefaultSectionSize(kRowHeight);
    sgDevices->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgDevices->horizontalHeader()->setHighlightSections(false);
    sgDevices->setColumnWidth(0, 170);
    sgDevices->setColumnWidth(1, 71);
    sgDevices->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgDevices->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgDevices->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgDevices->setSelectionMode(QAbstractItemView::NoSelection);
    sgDevices->setShowGrid(false);
    sgDevices->setFocusPolicy(Qt::StrongFocus);
    sgDevices->setStyleSheet(QStringLiteral("QTableWidget::item { padding-left: 3px; }"));
    const int frame = 2 * sgDevices->frameWidth();
    sgDevices->setFixedSize(170 + 71 + frame,
                            kGridRows * kRowHeight +
                                sgDevices->horizontalHeader()->sizeHint().height() + frame);
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < 2; ++c) {
            sgDevices->setItem(r, c, new QTableWidgetItem);
        }
    }
    layout->addWidget(sgDevices, 1, 0);
    sbDevices = new QScrollBar(Qt::Vertical);
    sbDevices->setObjectName(QStringLiteral("sbDevices"));
    layout->addWidget(sbDevices, 1, 1);
    lDevCount = new QLabel;
    lDevCount->setObjectName(QStringLiteral("lDevCount"));
    layout->addWidget(lDevCount, 2, 0, 1, 2);
    return group;
}

QWidget* TfSelectIC::DetailsArea() {
    auto* group = new QGroupBox(QStringLiteral("Details"));
    auto* layout = new QGridLayout(group);
    int row = 0;
    const auto addRow = [&](const QString& caption, QLabel* value, const char* name) {
        value->setObjectName(QString::fromLatin1(name));
        layout->addWidget(new QLabel(caption), row, 0);
        layout->addWidget(value, row, 1);
        ++row;
    };
    lDeviceName = valueLabel();
    addRow(QStringLiteral("Device:"), lDeviceName, "lDeviceName");
    LabelVendor = valueLabel();
    addRow(QStringLiteral("Vendor:"), LabelVendor, "LabelVendor");
    static const char* const memoryNames[] = {"lMemoryA", "lMemoryB", "lMemoryC", "lMemoryD"};
    for (int m = 0; m < 4; ++m) {
        lMemory[static_cast<std::size_t>(m)] = valueLabel();
        addRow(QStringLiteral("Buffer %1:").arg(QChar(u'A' + m)),
               lMemory[static_cast<std::size_t>(m)], memoryNames[m]);
    }
    LabelLib = valueLabel();
    addRow(QStringLiteral("Library:"), LabelLib, "LabelLib");
    iLogo = new TLogoBox;
    layout->addWidget(iLogo, row, 0, 1, 2, Qt::AlignHCenter | Qt::AlignTop);
    layout->setRowStretch(row + 1, 1);
    return group;
}

QWidget* TfSelectIC::AdapterArea() {
    auto* group = new QGroupBox(QStringLiteral("Adapter"));
    auto* layout = new QGridLayout(group);
    rbGenericAdapter = new QRadioButton(QStringLiteral("Generic"));
    rbGenericAdapter->setObjectName(QStringLiteral("rbGenericAdapter"));
    rbUserAdapter = new QRadioButton(QStringLiteral("User defined"));
    rbUserAdapter->setObjectName(QStringLiteral("rbUserAdapter"));
    pbAdapterFile = new TElidedLabel(Qt::ElideMiddle);
    pbAdapterFile->setObjectName(QStringLiteral("pbAdapterFile"));
    pbAdapterFile->SetField(true);
    pbAdapterFile->setMinimumWidth(260);
    bLoadAdapter = new QPushButton(QStringLiteral("Load adapter file"));
    bLoadAdapter->setObjectName(QStringLiteral("bLoadAdapter"));
    bAdapterCreator = new QPushButton(QStringLiteral("Open Adapter Creator"));
    bAdapterCreator->setObjectName(QStringLiteral("bAdapterCreator"));
    layout->addWidget(rbGenericAdapter, 0, 0);
    layout->addWidget(rbUserAdapter, 0, 1);
    layout->addWidget(pbAdapterFile, 1, 0, 1, 2);
    layout->addWidget(bLoadAdapter, 0, 2);
    layout->addWidget(bAdapterCreator, 1, 2);
    layout->setColumnStretch(1, 1);
    return group;
}

void TfSelectIC::Refresh() {
    updating_ = true;
    const CatalogueFilter& filter = model_.Filter();
    if (QAbstractButton* button = typeGroup_->button(filter.Type)) {
        button->setChecked(true);
    }
    if (lbManuf->count() != static_cast<int>(model_.VendorEntries().size())) {
        lbManuf->clear();
        for (const QString& entry : model_.VendorEntries()) {
            lbManuf->addItem(entry);
        }
    }
    lbManuf->setCurrentRow(filter.VendorPosition);
    const QString search = QString::fromLatin1(filter.SearchText.data(),
                                               static_cast<qsizetype>(filter.SearchText.size()));
    if (eFilter->text() != search) {
        eFilter->setText(search);
    }
    lDevCount->setText(model_.CountText());
    const GridPaging paging = model_.Paging();
    sbDevices->setEnabled(paging.Enabled);
    sbDevices->setRange(0, paging.Maximum);
    sbDevices->setPageStep(paging.PageStep);
    sbDevices->setValue(model_.ScrollPosition());
    FillGrid();

    const DeviceDetails details = model_.Details();
    for (int m = 0; m < 4; ++m) {
        lMemory[static_cast<std::size_t>(m)]->setText(details.Memory[static_cast<std::size_t>(m)]);
    }
    lDeviceName->setText(details.DeviceName);
    LabelLib->setText(details.Library);
    LabelVendor->setText(details.Vendor);

    const AdapterControls adapter = model_.Adapter();
    bLoadAdapter->setEnabled(adapter.LoadEnabled);
    bAdapterCreator->setEnabled(adapter.CreatorEnabled && creatorHook() != nullptr);
    rbUserAdapter->setEnabled(adapter.UserEnabled);
    rbGenericAdapter->setEnabled(adapter.GenericEnabled);
    // Without an adapter neither button is chosen.
    rbGenericAdapter->setAutoExclusive(false);
    rbUserAdapter->setAutoExclusive(false);
    rbUserAdapter->setChecked(adapter.UserSelected);
    rbGenericAdapter->setChecked(adapter.LoadEnabled && !adapter.UserSelected);
    rbGenericAdapter->setAutoExclusive(true);
    rbUserAdapter->setAutoExclusive(true);
    pbAdapterFile->SetFullText(adapter.DisplayedPath.isEmpty() ? QStringLiteral("none")
                                                               : adapter.DisplayedPath);
    iLogo->SetPicture(model_.LogoPath());
    cbMultAdd->setCurrentIndex(model_.CopiesIndex());
    updating_ = false;
}

void TfSelectIC::FillGrid() {
    const QPalette colours = palette();
    for (int r = 0; r < kGridRows; ++r) {
        const std::optional<CSelectionModel::GridRow> row = model_.RowAt(r);
        const bool selected = row && row->Selected;
        const QColor background = selected ? colours.color(QPalette::Highlight) : kGridBackground;
        const QColor text = selected ? QColor(Qt::white) : QColor(Qt::black);
        for (int c = 0; c < 2; ++c) {
            QTableWidgetItem* item = sgDevices->item(r, c);
            item->setText(row ? (c == 0 ? row->Name : row->Package) : QString());
            item->setBackground(background);
            item->setForeground(text);
        }
    }
    if (model_.Matching() > 0) {
        sgDevices->setCurrentCell(model_.CurrentRow(), 0, QItemSelectionModel::NoUpdate);
    }
}

bool TfSelectIC::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == eFilter) {
        std::optional<SearchKey> searchKey;
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            searchKey = SearchKey::Enter;
        } else if (key == Qt::Key_Down) {
            searchKey = SearchKey::Down;
        } else if (key == Qt::Key_Up) {
            searchKey = SearchKey::Up;
        }
        if (!searchKey) {
            return false;
        }
        sgDevices->setFocus();
        const bool ok = model_.SearchKeyPressed(*searchKey);
        Refresh();
        if (ok) {
            bOKClick();
        }
        return true;
    }
    if (watched == sgDevices) {
        const std::optional<GridKey> move = gridKey(key);
        if (!move) {
            return false;
        }
        const bool ok = model_.GridKeyPressed(*move);
        Refresh();
        if (ok) {
            bOKClick();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfSelectIC::bLoadAdapterClick() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Load adapter file"), QString(),
                                     QStringLiteral("Adapter files (*.adp)"));
    if (!path.isEmpty()) {
        LoadAdapterFile(path);
    }
}

void TfSelectIC::LoadAdapterFile(const QString& path) {
    const Result loaded = model_.LoadUserAdapter(path);
    if (!loaded.ok) {
        ShowMessageDialog(this, miWarning, mbOk, loaded.message);
        return;
    }
    Refresh();
}

void TfSelectIC::bAdapterCreatorClick() {
    if (!creatorHook()) {
        return;
    }
    if (const std::optional<QString> file = creatorHook()(this, model_.CreatorPath())) {
        model_.CreatorClosed(*file);
        Refresh();
    }
}

void TfSelectIC::iLogoClick() {
    const QString address = VendorWebAddress(catalogue_, model_.LogoVendorCode());
    if (!address.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    }
}

void TfSelectIC::bOKClick() {
    const CSelectionModel::OkOutcome outcome = model_.Ok(last_);
    if (!outcome.Confirmed) {
        ShowMessageDialog(this, miWarning, mbOk, outcome.Message);
        return;
    }
    accept();
}

std::optional<DeviceSelection> TfSelectIC::Run(QWidget* parent, const CCatalogue& catalogue,
                                               const QString& appDir,
                                               CSelectionModel::VendorNameFn vendorName,
                                               TProject& project) {
    const LastSelection last{project.LastSelType, project.LastSelMan, project.LastSelDev,
                             project.LastSearchStr};
    TfSelectIC dialog(catalogue, appDir, std::move(vendorName), last, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    project.LastSelType = dialog.Last().Type;
    project.LastSelMan = dialog.Last().VendorPosition;
    project.LastSelDev = dialog.Last().Device;
    project.LastSearchStr = dialog.Last().SearchText;
    return dialog.Model().Selection();
}

} // namespace zelmo
