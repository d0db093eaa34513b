#include "app/ui/operation_area.h"

#include "app/ui/main_commands.h"
#include "controls/ui/caption_panel.h"
#include "controls/ui/elided_label.h"
#include "controls/ui/hover_label.h"
#include "controls/ui/picture_button.h"
#include "controls/ui/pictures.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace zelmo {

namespace {

QWidget* PanelPlaceholder() {
    QLabel* note = PlaceholderNote(QObject::tr("The operations of the active device appear here."));
    note->setObjectName(QStringLiteral("pOperationsPlaceholder"));
    return note;
}

QLabel* Count() {
    auto* label = new QLabel(QStringLiteral("0"));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

} // namespace

TOperationArea::TOperationArea(TMainCommands& commands, QWidget* parent) : QWidget(parent) {
    peOperations = new TCaptionPanel(tr("Operations"));
    lDeviceName = new THoverLabel;
    lDeviceName->setObjectName(QStringLiteral("lDeviceName"));
    lDeviceName->setToolTip(tr("Device info"));
    peOperations->CaptionTools()->addWidget(lDeviceName);
    connect(lDeviceName, &THoverLabel::clicked, commands.miDeviceInfo, &QAction::trigger);

    panelPlace_ = new QVBoxLayout;
    panelPlace_->setContentsMargins(0, 0, 0, 0);
    panel_ = PanelPlaceholder();
    panelPlace_->addWidget(panel_);

    bRun = new TPictureButton(QStringLiteral("run"), {}, TPictureButton::Caption::Beside, 32);
    bRun->SetCommand(commands.miRun);
    bAuto = new TPictureButton(QStringLiteral("auto"), {}, TPictureButton::Caption::Beside, 32);
    bAuto->SetCommand(commands.miAuto);
    for (TPictureButton* b : {bRun, bAuto}) {
        b->setMinimumWidth(96);
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    lProgress = new QLabel;
    lProgress->setObjectName(QStringLiteral("lProgress"));
    lProgress->setAlignment(Qt::AlignCenter);
    iSpinner = new QLabel;
    iSpinner->setFixedSize(16, 16);
    auto* progress = new QHBoxLayout;
    progress->addStretch(1);
    progress->addWidget(iSpinner);
    progress->addWidget(lProgress);
    progress->addStretch(1);
    auto* run = new QVBoxLayout;
    run->addWidget(bRun);
    run->addWidget(bAuto);
    run->addLayout(progress);
    run->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addLayout(panelPlace_, 1);
    top->addLayout(run);

    auto* buffers = new QGroupBox(tr("Buffers"));
    auto* bufferGrid = new QGridLayout(buffers);
    for (int m = 0; m < 4; ++m) {
        auto* box = new QCheckBox(QStringLiteral("Buffer ") + QChar(u'A' + m));
        box->setObjectName(QStringLiteral("cbMemory") + QChar(u'A' + m));
        cbMemory[static_cast<std::size_t>(m)] = box;
        bufferGrid->addWidget(box, m % 2, m / 2);
    }
    cbPinCheck = new QCheckBox(tr("Pin contact check"));
    cbPinCheck->setObjectName(QStringLiteral("cbPinCheck"));
    bufferGrid->addWidget(cbPinCheck, 0, 2);

    auto* statistics = new QGroupBox(tr("Statistics"));
    auto* statGrid = new QGridLayout(statistics);
    lGood = Count();
    lBad = Count();
    lTotal = Count();
    statGrid->addWidget(new QLabel(tr("Good:")), 0, 0);
    statGrid->addWidget(lGood, 0, 1);
    statGrid->addWidget(new QLabel(tr("Bad:")), 1, 0);
    statGrid->addWidget(lBad, 1, 1);
    statGrid->addWidget(new QLabel(tr("Total:")), 0, 2);
    statGrid->addWidget(lTotal, 0, 3);
    bStatClear =
        new TPictureButton(QStringLiteral("clear"), {}, TPictureButton::Caption::Beside, 16);
    bStatClear->SetCommand(commands.miStatClear);
    statGrid->addWidget(bStatClear, 1, 2, 1, 2, Qt::AlignRight);
    QPalette good = lGood->palette();
    good.setColor(QPalette::WindowText, QColor(0, 128, 0));
    lGood->setPalette(good);
    QPalette bad = lBad->palette();
    bad.setColor(QPalette::WindowText, QColor(200, 0, 0));
    lBad->setPalette(bad);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buffers, 3);
    bottom->addWidget(statistics, 2);
    bottom_ = bottom;

    auto* body = new QVBoxLayout(peOperations->Body());
    body->setContentsMargins(6, 6, 6, 6);
    body->addLayout(top, 1);
    body->addLayout(bottom);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(peOperations);

    SetProductionMode(false);
    SetDeviceName(QString());
}

void TOperationArea::SetOperationPanel(QWidget* panel) {
    ReplacePlaceholder(panelPlace_, panel_, panel);
}

void TOperationArea::SetSerializationPanel(QWidget* panel) {
    bottom_->insertWidget(1, panel, 2);
}

void TOperationArea::SetProductionMode(bool remoteControl) {
    QAction* action = bAuto->defaultAction();
    action->setText(remoteControl ? QStringLiteral("RC") : QStringLiteral("Auto"));
    action->setToolTip(remoteControl ? QStringLiteral("Remote control mode")
                                     : QStringLiteral("Auto mode"));
    bAuto->SetPicture(remoteControl ? QStringLiteral("remote") : QStringLiteral("auto"));
    action->setIcon(bAuto->icon());
}

void TOperationArea::SetProgress(const QString& text, int spinner) {
    lProgress->setText(text);
    if (spinner < 0) {
        iSpinner->clear();
    } else {
        iSpinner->setPixmap(PicturePixmap(QStringLiteral("spinner_") + QString::number(spinner % 4),
                                          QSize(16, 16), devicePixelRatioF()));
    }
}

void TOperationArea::SetDeviceName(const QString& text) {
    lDeviceName->setText(text.isEmpty() ? tr("No device") : text);
    lDeviceName->setEnabled(!text.isEmpty());
}

void TOperationArea::SetStatistics(std::uint32_t good, std::uint32_t bad) {
    lGood->setText(QString::number(good));
    lBad->setText(QString::number(bad));
    lTotal->setText(QString::number(static_cast<std::uint64_t>(good) + bad));
}

} // namespace zelmo
