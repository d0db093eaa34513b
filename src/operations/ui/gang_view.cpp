#include "operations/ui/gang_view.h"

#include "controls/ui/caption_panel.h"
#include "controls/ui/pictures.h"
#include "operations/execution/gang_panels.h"
#include "operations/execution/operations.h"
#include "project/project.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace zelmo {

namespace {

constexpr QSize kLight(16, 16);

QLabel* picture(const QString& name, QSize size) {
    auto* label = new QLabel;
    label->setFixedSize(size);
    label->setPixmap(PicturePixmap(name, size));
    return label;
}

QLabel* count(const QColor& colour = {}) {
    auto* label = new QLabel(QStringLiteral("0"));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    if (colour.isValid()) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, colour);
        label->setPalette(p);
    }
    return label;
}

void setLight(QLabel* light, const char* lit, bool on) {
    light->setPixmap(PicturePixmap(on ? QString::fromLatin1(lit) : QStringLiteral("light_off"),
                                   kLight, light->devicePixelRatioF()));
}

} // namespace

TGangPanel::TGangPanel(int slot, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pGang%1").arg(slot + 1));
    pePanel = new TCaptionPanel(QString::asprintf("%02d", slot + 1));
    iDevice = picture(QStringLiteral("gang_chip"), QSize(32, 32));
    lSerial = new QLabel(QStringLiteral("none"));
    lSerial->setToolTip(tr("Serial number"));
    lGood = count(QColor(0, 128, 0));
    lBad = count(QColor(200, 0, 0));
    lTotal = count();
    iBusy = picture(QStringLiteral("light_off"), kLight);
    iBusy->setToolTip(tr("Busy"));
    iError = picture(QStringLiteral("light_off"), kLight);
    iError->setToolTip(tr("Error"));
    iGood = picture(QStringLiteral("light_off"), kLight);
    iGood->setToolTip(tr("Good"));
    iSpinner = new QLabel;
    iSpinner->setFixedSize(kLight);
    lProgress = new QLabel;
    lProgress->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lProgress->setMinimumWidth(
        lProgress->fontMetrics().horizontalAdvance(QStringLiteral("100.0%")));
    pbProgress = new QProgressBar;
    pbProgress->setRange(0, 100);
    pbProgress->setValue(0);
    pbProgress->setTextVisible(false);
    pbProgress->setFixedHeight(10);

    // Left: the chip with its serial value below; middle: the counts; right: the lights, each
    // with its name.
    auto* device = new QVBoxLayout;
    device->setSpacing(2);
    device->addWidget(iDevice, 0, Qt::AlignHCenter);
    device->addWidget(lSerial, 0, Qt::AlignHCenter);
    device->addStretch(1);
    lSerial->setMinimumWidth(lSerial->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    lSerial->setAlignment(Qt::AlignCenter);

    auto* stats = new QGridLayout;
    stats->setVerticalSpacing(1);
    stats->setHorizontalSpacing(6);
    const std::pair<QString, QLabel*> rows[] = {
        {tr("Good:"), lGood}, {tr("Bad:"), lBad}, {tr("Total:"), lTotal}};
    const int countWidth = lGood->fontMetrics().horizontalAdvance(QStringLiteral("0000000"));
    for (int r = 0; r < 3; ++r) {
        stats->addWidget(new QLabel(rows[r].first), r, 0);
        rows[r].second->setMinimumWidth(countWidth);
        stats->addWidget(rows[r].second, r, 1);
    }
    stats->setColumnStretch(2, 1);

    auto* lights = new QGridLayout;
    lights->setVerticalSpacing(1);
    lights->setHorizontalSpacing(4);
    const std::pair<QString, QLabel*> named[] = {
        {tr("Busy"), iBusy}, {tr("Error"), iError}, {tr("Good"), iGood}};
    for (int r = 0; r < 3; ++r) {
        lights->addWidget(named[r].second, r, 0);
        auto* name = new QLabel(named[r].first);
        name->setEnabled(false); // a quiet caption beside the light
        lights->addWidget(name, r, 1);
    }

    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    top->addLayout(device);
    top->addLayout(stats, 1);
    top->addLayout(lights);

    auto* progress = new QHBoxLayout;
    progress->setSpacing(6);
    progress->addWidget(iSpinner);
    progress->addWidget(pbProgress, 1);
    progress->addWidget(lProgress);

    auto* body = new QVBoxLayout(pePanel->Body());
    body->setContentsMargins(8, 6, 8, 6);
    body->setSpacing(6);
    body->addLayout(top);
    body->addLayout(progress);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pePanel);
}

TGangView::TGangView(TProject& project, COperations& operations, QWidget* parent)
    : QWidget(parent), project_(project), operations_(operations) {
    setObjectName(QStringLiteral("pGang"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    for (int i = 0; i < kGangPanels; ++i) {
        panels[static_cast<std::size_t>(i)] = new TGangPanel(i);
        grid->addWidget(panels[static_cast<std::size_t>(i)], i / 4, i % 4, Qt::AlignTop);
    }
    for (int c = 0; c < 4; ++c) {
        grid->setColumnStretch(c, 1);
    }
    grid->setRowStretch(2, 1);
    Refresh();
}

void TGangView::showEvent(QShowEvent* event) {
    // The second row depends on the main window's height: follow its resizes.
    QWidget* top = window();
    if (top != nullptr && top != this && watchedWindow_ != top) {
        if (watchedWindow_ != nullptr) {
            watchedWindow_->removeEventFilter(this);
        }
        top->installEventFilter(this);
        watchedWindow_ = top;
    }
    RefreshVisibility();
    QWidget::showEvent(event);
}

bool TGangView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && event->type() == QEvent::Resize) {
        RefreshVisibility();
    }
    return QWidget::eventFilter(watched, event);
}

void TGangView::Refresh() {
    RefreshVisibility();
    for (int i = 0; i < kGangPanels; ++i) {
        RefreshLights(i);
        RefreshProgress(i);
    }
    RefreshStatistics();
    RefreshSerialization();
}

void TGangView::RefreshVisibility() {
    const QWidget* top = window();
    const int height = top != nullptr ? top->height() : 0;
    for (int i = 0; i < kGangPanels; ++i) {
        TGangPanel* panel = panels[static_cast<std::size_t>(i)];
        panel->setVisible(PanelVisible(project_, operations_.Programmers(), i, height));
        if (const CDevice* device = project_.DeviceAt(i)) {
            panel->iDevice->setToolTip(DeviceIconHint(*device, i));
        }
    }
}

void TGangView::RefreshLights(int slot) {
    if (slot < 0 || slot >= kGangPanels) {
        return;
    }
    const GangLights lights = operations_.Lights(slot);
    TGangPanel* panel = panels[static_cast<std::size_t>(slot)];
    setLight(panel->iBusy, "light_busy", lights.Busy);
    setLight(panel->iError, "light_error", lights.Error);
    setLight(panel->iGood, "light_good", lights.Good);
}

void TGangView::RefreshProgress(int slot) {
    if (slot < 0 || slot >= kGangPanels) {
        return;
    }
    TGangPanel* panel = panels[static_cast<std::size_t>(slot)];
    const CDevice* device = project_.DeviceAt(slot);
    panel->lProgress->setText(device != nullptr ? ProgressText(*device) : QString());
    panel->pbProgress->setValue(device != nullptr ? ProgressBarValue(*device) : 0);
}

void TGangView::RefreshStatistics() {
    for (int i = 0; i < kGangPanels; ++i) {
        TGangPanel* panel = panels[static_cast<std::size_t>(i)];
        const CDevice* device = project_.DeviceAt(i);
        const StatisticsCounts counts =
            device != nullptr && i < StatisticsSlots(project_, operations_.Programmers())
                ? DeviceStatistics(*device)
                : StatisticsCounts{};
        panel->lGood->setText(QString::number(counts.Good));
        panel->lBad->setText(QString::number(counts.Bad));
        panel->lTotal->setText(QString::number(counts.Total));
    }
}

void TGangView::RefreshSerialization() {
    for (int i = 0; i < kGangPanels; ++i) {
        const CDevice* device = project_.DeviceAt(i);
        panels[static_cast<std::size_t>(i)]->lSerial->setText(
            device != nullptr ? SerialValueText(*device) : QStringLiteral("none"));
    }
}

void TGangView::SetSpinner(int slot, int picture) {
    if (slot < 0 || slot >= kGangPanels) {
        return;
    }
    QLabel* spinner = panels[static_cast<std::size_t>(slot)]->iSpinner;
    if (picture < 0) {
        spinner->clear();
    } else {
        spinner->setPixmap(PicturePixmap(QStringLiteral("spinner_") + QString::number(picture % 4),
                                         kLight, spinner->devicePixelRatioF()));
    }
}

} // namespace zelmo
