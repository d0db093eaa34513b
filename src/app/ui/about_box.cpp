#include "app/ui/about_box.h"

#include "app/about_info.h"
#include "app/release.h"
#include "app/ui/message_dialog.h"
#include "controls/ui/hover_label.h"
#include "controls/ui/pictures.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace zelmo {

namespace {

QToolButton* StepButton(const QString& picture, const QString& hint) {
    auto* b = new QToolButton;
    b->setIcon(Picture(picture));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

THoverLabel* Link(const QString& text) {
    auto* label = new THoverLabel;
    label->setText(text);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    label->setPalette(p);
    return label;
}

} // namespace

TfAbout::TfAbout(std::span<const ProgrammerInfo> programmers, const BuildDayBytes& buildDay,
                 QWidget* parent)
    : QDialog(parent), programmers_(programmers) {
    setWindowTitle(QStringLiteral("About Zelmo"));
    setModal(true);

    auto* logo = new QLabel;
    logo->setPixmap(
        PicturePixmap(QStringLiteral("logo_product"), QSize(234, 72), devicePixelRatioF()));
    logo->setAlignment(Qt::AlignCenter);
    lSoftwareVersion = new QLabel(QStringLiteral("Software version: ") + ReleaseText(buildDay));
    lSoftwareVersion->setAlignment(Qt::AlignCenter);

    auto* programmer = new QFrame;
    programmer->setFrameShape(QFrame::StyledPanel);
    lModel = new QLabel;
    QFont bold = lModel->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    lModel->setFont(bold);
    lHardwareVersion = new QLabel;
    lFirmwareVersion = new QLabel;
    lSerialNumber = new QLabel;
    lDevice = new QLabel;
    bPrevious = StepButton(QStringLiteral("previous"), tr("Previous programmer"));
    bNext = StepButton(QStringLiteral("next"), tr("Next programmer"));
    connect(bPrevious, &QToolButton::clicked, this, &TfAbout::bPreviousClick);
    connect(bNext, &QToolButton::clicked, this, &TfAbout::bNextClick);

    auto* header = new QHBoxLayout;
    header->addWidget(lModel, 1);
    header->addWidget(bPrevious);
    header->addWidget(lDevice);
    header->addWidget(bNext);
    auto* fields = new QFormLayout;
    fields->setLabelAlignment(Qt::AlignLeft);
    fields->setHorizontalSpacing(18);
    fields->addRow(QStringLiteral("Hardware version:"), lHardwareVersion);
    fields->addRow(QStringLiteral("Firmware version:"), lFirmwareVersion);
    fields->addRow(QStringLiteral("Serial number:"), lSerialNumber);
    auto* programmerLayout = new QVBoxLayout(programmer);
    programmerLayout->setContentsMargins(14, 10, 14, 12);
    programmerLayout->addLayout(header);
    programmerLayout->addLayout(fields);

    lWeb = Link(QString::fromLatin1(kMakerWebSite));
    lUpdate = Link(QStringLiteral("Check for Update"));
    connect(lWeb, &THoverLabel::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerWebSite))); });
    connect(lUpdate, &THoverLabel::clicked, this, &TfAbout::lUpdateClick);
    auto* links = new QHBoxLayout;
    links->addWidget(lWeb);
    links->addStretch(1);
    links->addWidget(lUpdate);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* maker = new QLabel;
    maker->setPixmap(
        PicturePixmap(QStringLiteral("logo_maker"), QSize(130, 40), devicePixelRatioF()));
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(maker);
    bottom->addStretch(1);
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(12);
    layout->addWidget(logo);
    layout->addWidget(lSoftwareVersion);
    layout->addWidget(programmer);
    layout->addLayout(links);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(420);

    ShowProgrammer();
}

void TfAbout::ShowProgrammer() {
    const AboutPage page = AboutPageFor(programmers_, position_);
    lModel->setText(page.Model);
    lHardwareVersion->setText(page.HardwareVersion);
    lFirmwareVersion->setText(page.FirmwareVersion);
    lSerialNumber->setText(page.SerialNumber);
    lDevice->setText(page.Position);
    bPrevious->setEnabled(page.CanStep);
    bNext->setEnabled(page.CanStep);
}

void TfAbout::bPreviousClick() {
    position_ = StepPosition(position_, -1, static_cast<int>(programmers_.size()));
    ShowProgrammer();
}

void TfAbout::bNextClick() {
    position_ = StepPosition(position_, +1, static_cast<int>(programmers_.size()));
    ShowProgrammer();
}

void TfAbout::lUpdateClick() {
    const QString updater = UpdaterProgram();
    if (updater.isEmpty()) {
        QMessageBox::critical(this, QStringLiteral("Error"), QString::fromLatin1(kUpdaterNotFound));
        return;
    }
    if (!QProcess::startDetached(updater, {})) {
        ShowMessageDialog(this, miWarning, mbOk, QString::fromLatin1(kUpdaterNotStarted));
    }
}

} // namespace zelmo
