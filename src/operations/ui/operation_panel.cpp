#include "operations/ui/operation_panel.h"

#include "controls/ui/picture_button.h"
#include "controls/ui/pictures.h"
#include "operations/execution/operation_block.h"
#include "operations/execution/operations.h"
#include "operations/execution/run_rules.h"
#include "project/project.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>

namespace zelmo {

namespace {

constexpr int kRow = 20; // one tab's row, as TabAtHeight reads clicks
constexpr int kStripWidth = 78;
constexpr int kPictureSize = 32;
constexpr int kButtonWidth = 92;
constexpr int kButtonHeight = 62;

// Buttons from the top left in rows of four, the free room to the right and below.
QGridLayout* buttonGrid(QWidget* panel) {
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(2, 1);
    return grid;
}

struct OperationLook {
    std::uint32_t bit;
    const char* picture;
    const char* caption;
};
constexpr OperationLook kLooks[] = {
    {OP_CHECK_ID, "op_check_id", "Check ID"}, {OP_READ, "op_read", "Read"},
    {OP_ERASE, "op_erase", "Erase"},          {OP_BLANK_CHECK, "op_blank_check", "Blank check"},
    {OP_PROGRAM, "op_program", "Program"},    {OP_VERIFY, "op_verify", "Verify"},
    {OP_CONFIGURE, "op_configure", "Config"}, {OP_TEST, "op_test", "Test"},
};

const OperationLook* lookOf(std::uint32_t bit) {
    for (const OperationLook& look : kLooks) {
        if (look.bit == bit) {
            return &look;
        }
    }
    return nullptr;
}

// Tab rows from the top: their captions and the tab each selects.
constexpr std::pair<const char*, std::uint8_t> kRows[] = {
    {"Program", TabProgram}, {"Read", TabRead}, {"Erase", TabErase}, {"Single", TabSingle}};

TPictureButton* operationButton(std::uint32_t bit) {
    auto* b = new TPictureButton(OperationPicture(bit), OperationCaption(bit),
                                 TPictureButton::Caption::Below, kPictureSize);
    b->setFixedSize(kButtonWidth, kButtonHeight);
    return b;
}

} // namespace

QString OperationPicture(std::uint32_t bit) {
    const OperationLook* look = lookOf(bit);
    return look != nullptr ? QString::fromLatin1(look->picture) : QString();
}

QString OperationCaption(std::uint32_t bit) {
    const OperationLook* look = lookOf(bit);
    return look != nullptr ? QString::fromLatin1(look->caption) : QString();
}

TOperationTabStrip::TOperationTabStrip(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("iTabs"));
    setFixedWidth(kStripWidth);
    setMinimumHeight(4 * kRow + 2);
    setCursor(Qt::PointingHandCursor);
}

QSize TOperationTabStrip::sizeHint() const {
    return {kStripWidth, 4 * kRow + 2};
}

void TOperationTabStrip::SetSelected(int tab) {
    if (tab != selected_) {
        selected_ = tab;
        update();
    }
}

void TOperationTabStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor frame(57, 100, 70);
    const QColor lit(255, 210, 0);
    QFont bold = font();
    bold.setBold(true);
    // Rows 1-20, 21-40, 41-60 and the Single row below them.
    for (int row = 0; row < 4; ++row) {
        const auto& [caption, tab] = kRows[row];
        const bool selected = selected_ == tab;
        const QRectF r(0.5, 1.5 + row * kRow, width() - 8.0, kRow - 2.0);
        p.setPen(QPen(selected_ < 0 ? palette().mid().color() : frame, 1));
        p.setBrush(selected ? frame : palette().button());
        p.drawRoundedRect(r, 4, 4);
        if (selected) {
            // The selected tab reaches into the panel beside it.
            p.fillRect(QRectF(r.right() - 4, r.top(), 12, r.height()), frame);
        }
        p.setFont(selected ? bold : font());
        p.setPen(selected ? lit
                          : (selected_ < 0 ? palette().mid().color() : palette().text().color()));
        p.drawText(r.adjusted(6, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromLatin1(caption));
    }
}

void TOperationTabStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit tabClicked(TabAtHeight(static_cast<int>(event->position().y())));
    }
}

TOperationPanel::TOperationPanel(TProject& project, COperations& operations, QWidget* parent)
    : QWidget(parent), project_(project), operations_(operations) {
    setObjectName(QStringLiteral("pOperationTabs"));
    iTabs = new TOperationTabStrip;
    connect(iTabs, &TOperationTabStrip::tabClicked, this, [this](std::uint8_t tab) {
        operations_.SelectTab(tab);
        Refresh();
    });

    pSingle = new QWidget;
    pSingle->setObjectName(QStringLiteral("pSingle"));
    QGridLayout* single = buttonGrid(pSingle);
    for (const SingleOperationInfo& op : kSingleOperations) {
        TPictureButton* b = operationButton(op.Bit);
        const int tag = op.Tag;
        connect(b, &QToolButton::clicked, this, [this, tag] {
            operations_.SingleOperation(tag);
            Refresh();
        });
        bSingle[static_cast<std::size_t>(tag - 1)] = b;
        single->addWidget(b, (tag - 1) / 4, (tag - 1) % 4);
    }
    static const char* const singleNames[] = {"bCheckIDS", "bReadS",   "bEraseS",  "bBlankCheckS",
                                              "bProgramS", "bVerifyS", "bConfigS", "bTestS"};
    for (std::size_t i = 0; i < bSingle.size(); ++i) {
        bSingle[i]->setObjectName(QString::fromLatin1(singleNames[i]));
    }

    pErase = MakeTabPanel(
        TabErase,
        {{&bCheckIDE, OP_CHECK_ID}, {&bEraseE, OP_ERASE}, {&bBlankCheckE, OP_BLANK_CHECK}});
    pRead = MakeTabPanel(TabRead,
                         {{&bCheckIDR, OP_CHECK_ID}, {&bReadR, OP_READ}, {&bVerifyR, OP_VERIFY}});
    pProgram = MakeTabPanel(TabProgram, {{&bCheckIDP, OP_CHECK_ID},
                                         {&bBlankCheckP, OP_BLANK_CHECK},
                                         {&bEraseP, OP_ERASE},
                                         {&bProgramP, OP_PROGRAM},
                                         {&bVerifyP, OP_VERIFY},
                                         {&bConfigP, OP_CONFIGURE},
                                         {&bTestP, OP_TEST}});
    pErase->setObjectName(QStringLiteral("pErase"));
    pRead->setObjectName(QStringLiteral("pRead"));
    pProgram->setObjectName(QStringLiteral("pProgram"));
    const std::pair<TPictureButton**, const char*> names[] = {{&bCheckIDE, "bCheckIDE"},
                                                              {&bEraseE, "bEraseE"},
                                                              {&bBlankCheckE, "bBlankCheckE"},
                                                              {&bCheckIDR, "bCheckIDR"},
                                                              {&bReadR, "bReadR"},
                                                              {&bVerifyR, "bVerifyR"},
                                                              {&bCheckIDP, "bCheckIDP"},
                                                              {&bBlankCheckP, "bBlankCheckP"},
                                                              {&bEraseP, "bEraseP"},
                                                              {&bProgramP, "bProgramP"},
                                                              {&bVerifyP, "bVerifyP"},
                                                              {&bConfigP, "bConfigP"},
                                                              {&bTestP, "bTestP"}};
    for (const auto& [button, name] : names) {
        (*button)->setObjectName(QString::fromLatin1(name));
    }

    pPanels = new QStackedWidget;
    pPanels->addWidget(pSingle);  // TabSingle
    pPanels->addWidget(pErase);   // TabErase
    pPanels->addWidget(pRead);    // TabRead
    pPanels->addWidget(pProgram); // TabProgram
    pPanels->setFrameShape(QFrame::StyledPanel);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(iTabs, 0, Qt::AlignTop);
    layout->addWidget(pPanels, 1);
    Refresh();
}

QWidget* TOperationPanel::MakeTabPanel(
    std::uint8_t tab, std::initializer_list<std::pair<TPictureButton**, std::uint32_t>> buttons) {
    auto* panel = new QWidget;
    QGridLayout* grid = buttonGrid(panel);
    int i = 0;
    for (const auto& [slot, bit] : buttons) {
        TPictureButton* b = operationButton(bit);
        // Pressed in while its operation belongs to the tab's set.
        b->setCheckable(true);
        *slot = b;
        const std::uint32_t operation = bit;
        connect(b, &QToolButton::clicked, this, [this, operation] {
            operations_.ToggleOperation(operation);
            Refresh();
        });
        tabButtons_.push_back({b, tab, bit});
        grid->addWidget(b, i / 4, i % 4);
        ++i;
    }
    return panel;
}

void TOperationPanel::Refresh() {
    const CDevice* active = project_.Active();
    const std::uint8_t tab =
        active != nullptr ? active->OpTabsSelected : static_cast<std::uint8_t>(TabSingle);
    iTabs->SetSelected(active != nullptr ? tab : -1);
    pPanels->setCurrentIndex(std::min<int>(tab, TabProgram));
    const OperationButtons states = operations_.Buttons();
    for (const TabButton& t : tabButtons_) {
        const bool selected = active != nullptr && (active->OpTabs[t.tab] & t.bit) != 0;
        t.button->setIcon(selected ? Picture(OperationPicture(t.bit))
                                   : DimmedPicture(OperationPicture(t.bit)));
        t.button->setChecked(selected);
        t.button->setEnabled(states.Enabled(t.bit));
    }
    for (const SingleOperationInfo& op : kSingleOperations) {
        bSingle[static_cast<std::size_t>(op.Tag - 1)]->setEnabled(states.Enabled(op.Bit));
    }
}

} // namespace zelmo
