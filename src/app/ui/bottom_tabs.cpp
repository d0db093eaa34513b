#include "app/ui/bottom_tabs.h"

#include "app/bottom_tabs_model.h"
#include "app/ui/log_view.h"
#include "app/ui/main_commands.h"
#include "controls/ui/elided_label.h"
#include "controls/ui/picture_button.h"
#include "controls/ui/tab_strip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace zelmo {

namespace {

// Page order of the stack, one per BottomPage value.
constexpr int kPageLog = static_cast<int>(BottomPage::Log);
constexpr int kPageInfo = static_cast<int>(BottomPage::Info);
constexpr int kPageBuffers = static_cast<int>(BottomPage::Buffers);
constexpr int kPageNoMemory = static_cast<int>(BottomPage::NoMemory);
constexpr int kPageGang = static_cast<int>(BottomPage::Gang);

QWidget* PageWith(QVBoxLayout*& place, QWidget*& current, QWidget* first) {
    auto* page = new QWidget;
    place = new QVBoxLayout(page);
    place->setContentsMargins(0, 0, 0, 0);
    current = first;
    place->addWidget(first);
    return page;
}

QLabel* Field(const QString& name) {
    auto* label = new QLabel;
    label->setObjectName(name);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setContentsMargins(4, 1, 4, 1);
    return label;
}

} // namespace

TBottomTabs::TBottomTabs(TMainCommands& commands, QWidget* parent) : QWidget(parent) {
    tceTabs = new TTabStrip;
    tceTabs->setObjectName(QStringLiteral("tceTabs"));
    tceTabs->AddTab(QStringLiteral("Log"));
    tceTabs->AddTab(QStringLiteral("Info"));
    for (int m = 0; m < 4; ++m) {
        tceTabs->AddTab(QStringLiteral("-"));
    }
    tceTabs->AddTab(QStringLiteral("Gang"));

    reLog = new TLogView;

    // The buffer page: file name and checksum above the buffer views.
    lFileName = Field(QStringLiteral("lFileName"));
    lFileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lChecksum = Field(QStringLiteral("lChecksum"));
    lChecksum->setMinimumWidth(
        lChecksum->fontMetrics().horizontalAdvance(QStringLiteral("0000 0000")) + 12);
    auto* bufferHeader = new QHBoxLayout;
    bufferHeader->setContentsMargins(4, 2, 4, 2);
    bufferHeader->addWidget(new QLabel(tr("File:")));
    bufferHeader->addWidget(lFileName, 1);
    bufferHeader->addSpacing(12);
    lChecksumLabel = new QLabel(tr("Checksum:"));
    bufferHeader->addWidget(lChecksumLabel);
    bufferHeader->addWidget(lChecksum);
    auto* buffers = new QWidget;
    auto* bufferLayout = new QVBoxLayout(buffers);
    bufferLayout->setContentsMargins(0, 0, 0, 0);
    bufferLayout->setSpacing(2);
    bufferLayout->addLayout(bufferHeader);
    bufferLayout->addWidget(PageWith(bufferPlace_, buffer_, PlaceholderNote(tr("No buffer view."))),
                            1);

    // The gang page: global statistics above the gang panels.
    lGlobalGood = new QLabel(QStringLiteral("0"));
    lGlobalBad = new QLabel(QStringLiteral("0"));
    lGlobalTotal = new QLabel(QStringLiteral("0"));
    bGlobalStatClear =
        new TPictureButton(QStringLiteral("clear"), {}, TPictureButton::Caption::Beside, 16);
    bGlobalStatClear->SetCommand(commands.miGlobalStatClear);
    auto* globalRow = new QHBoxLayout;
    globalRow->setContentsMargins(6, 2, 6, 2);
    globalRow->addWidget(new QLabel(tr("Global statistics:")));
    for (auto [caption, label] :
         {std::pair{tr("Good:"), lGlobalGood}, std::pair{tr("Bad:"), lGlobalBad},
          std::pair{tr("Total:"), lGlobalTotal}}) {
        globalRow->addSpacing(10);
        globalRow->addWidget(new QLabel(caption));
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
        globalRow->addWidget(label);
    }
    globalRow->addStretch(1);
    globalRow->addWidget(bGlobalStatClear);
    auto* gang = new QWidget;
    auto* gangLayout = new QVBoxLayout(gang);
    gangLayout->setContentsMargins(0, 0, 0, 0);
    gangLayout->addLayout(globalRow);
    gangLayout->addWidget(
        PageWith(gangPlace_, gang_, PlaceholderNote(tr("Gang panels appear here in 'Gang' mode."))),
        1);

    pages = new QStackedWidget;
    pages->insertWidget(kPageLog, reLog);
    pages->insertWidget(kPageInfo,
                        PageWith(infoPlace_, info_, PlaceholderNote(tr("No device information."))));
    pages->insertWidget(kPageBuffers, buffers);
    pages->insertWidget(kPageNoMemory,
                        PlaceholderNote(tr("The active device has no such memory.")));
    pages->insertWidget(kPageGang, gang);

    connect(tceTabs, &TTabStrip::currentChanged, this, [this](int tab) {
        if (!showing_) {
            emit tabSelected(tab);
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tceTabs);
    layout->addWidget(pages, 1);
}

void TBottomTabs::Replace(QVBoxLayout* place, QWidget*& current, QWidget* view) {
    ReplacePlaceholder(place, current, view);
}

void TBottomTabs::SetInfoView(QWidget* view) {
    Replace(infoPlace_, info_, view);
}

void TBottomTabs::SetBufferView(QWidget* view) {
    Replace(bufferPlace_, buffer_, view);
}

void TBottomTabs::SetGangView(QWidget* view) {
    Replace(gangPlace_, gang_, view);
}

void TBottomTabs::SetMemoryCaption(int m, const QString& caption) {
    tceTabs->SetTabCaption(btMemoryA + m, caption);
}

void TBottomTabs::ShowTab(int tab) {
    showing_ = true;
    tceTabs->SetCurrent(tab);
    showing_ = false;
}

void TBottomTabs::ShowPage(int page) {
    pages->setCurrentIndex(page);
}

} // namespace zelmo
