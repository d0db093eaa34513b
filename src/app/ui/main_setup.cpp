#include "app/ui/main_setup.h"

#include "app/file_association.h"
#include "app/ui/message_dialog.h"
#include "controls/ui/elided_label.h"
#include "controls/ui/pictures.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace zelmo {

namespace {

QWidget* Page(QLayout* layout) {
    auto* page = new QWidget;
    layout->setContentsMargins(14, 14, 14, 14);
    page->setLayout(layout);
    return page;
}

QGroupBox* Group(const QString& caption, QLayout* layout) {
    auto* group = new QGroupBox(caption);
    group->setLayout(layout);
    return group;
}

} // namespace

TfMainSetup::TfMainSetup(TProject& project, MainSetupContext context, QWidget* parent)
    : QDialog(parent), project_(project), context_(std::move(context)) {
    setWindowTitle(QStringLiteral("Main program setup"));
    setModal(true);

    tcPages = new QTabWidget;
    tcPages->addTab(GeneralPage(), QStringLiteral("General"));
    tcPages->addTab(ProductionPage(), QStringLiteral("Production mode"));
    tcPages->addTab(RemotePage(), QStringLiteral("Remote control"));
    tcPages->addTab(OtherPage(), QStringLiteral("Other"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    bOK = buttons->button(QDialogButtonBox::Ok);
    bCancel = buttons->button(QDialogButtonBox::Cancel);
    bOK->setDefault(true); // Enter acts as OK, Escape as Cancel
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(tcPages);
    layout->addWidget(buttons);

    Load(LoadMainSetup(project_));
    resize(sizeHint().expandedTo(QSize(520, 0)));
}

QWidget* TfMainSetup::GeneralPage() {
    cbShowOpTime = new QCheckBox(QStringLiteral("Show operation time"));
    cbExtReport = new QCheckBox(QStringLiteral("Auto && Run mode extended report (Log)"));
    cbSafeMode =
        new QCheckBox(QStringLiteral("Safe mode (confirm Program, Erase, Config operations)"));
    cbSpeaker = new QCheckBox(QStringLiteral("Enable internal speaker"));
    cbReportFile = new QCheckBox(QStringLiteral("Enable report file autosave"));
    auto* options = new QVBoxLayout;
    for (QCheckBox* box : {cbShowOpTime, cbExtReport, cbSafeMode, cbSpeaker, cbReportFile}) {
        options->addWidget(box);
    }

    rbSwapTemp = new QRadioButton(QStringLiteral("Use system temporary directory"));
    rbSwapUserDefined = new QRadioButton(QStringLiteral("User defined:"));
    auto* swapGroup = new QButtonGroup(this);
    swapGroup->addButton(rbSwapTemp);
    swapGroup->addButton(rbSwapUserDefined);
    bChangeSwapDir = new QToolButton;
    bChangeSwapDir->setIcon(Picture(QStringLiteral("change_folder")));
    bChangeSwapDir->setIconSize(QSize(18, 18));
    bChangeSwapDir->setToolTip(QStringLiteral("Change"));
    pbSwapPath = new TElidedLabel(Qt::ElideMiddle);
    pbSwapPath->setObjectName(QStringLiteral("pbSwapPath"));
    pbSwapPath->SetField(true);
    pbSwapPath->setMinimumWidth(200);
    connect(bChangeSwapDir, &QToolButton::clicked, this, &TfMainSetup::bChangeSwapDirClick);
    connect(rbSwapTemp, &QRadioButton::toggled, this, [this] { ShowSwapPath(); });

    auto* userRow = new QHBoxLayout;
    userRow->addWidget(rbSwapUserDefined);
    userRow->addWidget(pbSwapPath, 1);
    userRow->addWidget(bChangeSwapDir);
    auto* swap = new QVBoxLayout;
    swap->addWidget(rbSwapTemp);
    swap->addLayout(userRow);

    auto* layout = new QVBoxLayout;
    layout->addWidget(Group(tr("Options"), options));
    layout->addWidget(Group(tr("Swap directory"), swap));
    layout->addStretch(1);
    return Page(layout);
}

QWidget* TfMainSetup::ProductionPage() {
    rbGangMode = new QRadioButton(QStringLiteral("'Gang' mode"));
    rbSingleMode = new QRadioButton(QStringLiteral("Single mode, use"));
    auto* modeGroup = new QButtonGroup(this);
    modeGroup->addButton(rbGangMode);
    modeGroup->addButton(rbSingleMode);
    cbProgrammerSel = new QComboBox;
    cbProgrammerSel->addItems(context_.ProgrammerLines);
    cbProgrammerSel->setMinimumContentsLength(24);
    connect(rbGangMode, &QRadioButton::toggled, this, [this] { ApplyEnables(); });
    auto* singleRow = new QHBoxLayout;
    singleRow->addWidget(rbSingleMode);
    singleRow->addWidget(cbProgrammerSel, 1);
    auto* mode = new QVBoxLayout;
    mode->addWidget(rbGangMode);
    mode->addLayout(singleRow);

    rbAutoRunButton = new QRadioButton(QStringLiteral("Use OK button"));
    rbDetectDeviceInsertion = new QRadioButton(QStringLiteral("Detect device insertion"));
    auto* prodGroup = new QButtonGroup(this);
    prodGroup->addButton(rbAutoRunButton);
    prodGroup->addButton(rbDetectDeviceInsertion);
    auto* trigger = new QVBoxLayout;
    trigger->addWidget(rbAutoRunButton);
    trigger->addWidget(rbDetectDeviceInsertion);

    rbReloadDisabled = new QRadioButton(QStringLiteral("Disabled"));
    rbReloadAlways = new QRadioButton(QStringLiteral("Always"));
    rbReloadIfChanged = new QRadioButton(QStringLiteral("If date/time of the file changes"));
    auto* reloadGroup = new QButtonGroup(this);
    auto* reload = new QVBoxLayout;
    for (QRadioButton* b : {rbReloadDisabled, rbReloadAlways, rbReloadIfChanged}) {
        reloadGroup->addButton(b);
        reload->addWidget(b);
    }

    auto* layout = new QVBoxLayout;
    layout->addWidget(Group(tr("Programmers"), mode));
    layout->addWidget(Group(tr("Production mode start"), trigger));
    layout->addWidget(Group(
        QStringLiteral("Reload file before programming (Auto && Run mode, Program tab)"), reload));
    layout->addStretch(1);
    return Page(layout);
}

QWidget* TfMainSetup::RemotePage() {
    cbRemoteCtrl = new QCheckBox(QStringLiteral("Enabled"));
    lRemoteCtrlInfo = new QLabel(RemoteControlInfo(context_.RemoteLoaded));
    lRemoteCtrlInfo->setObjectName(QStringLiteral("lRemoteCtrlInfo"));
    lRemoteCtrlInfo->setWordWrap(true);
    auto* remote = new QVBoxLayout;
    remote->addWidget(cbRemoteCtrl);
    remote->addSpacing(6);
    remote->addWidget(lRemoteCtrlInfo);
    auto* layout = new QVBoxLayout;
    layout->addWidget(Group(tr("Remote control"), remote));
    layout->addStretch(1);
    return Page(layout);
}

QWidget* TfMainSetup::OtherPage() {
    cbTimerInterval = new QComboBox;
    for (const char* caption : kTimerIntervalCaptions) {
        cbTimerInterval->addItem(QString::fromLatin1(caption));
    }
    cbHelpLang = new QComboBox;
    for (const char* language : kHelpLanguages) {
        cbHelpLang->addItem(QString::fromLatin1(language));
    }
    auto* lists = new QFormLayout;
    lists->addRow(QStringLiteral("Timer interval"), cbTimerInterval);
    lists->addRow(QStringLiteral("Help language"), cbHelpLang);

    bAssociate = new QPushButton(QStringLiteral("Associate"));
    bAssociate->setAutoDefault(false); // Enter stays with OK on every page
    bAssociate->setToolTip(QStringLiteral("Associate .zlp extension to Zelmo application"));
    connect(bAssociate, &QPushButton::clicked, this, &TfMainSetup::bAssociateClick);
    auto* association = new QHBoxLayout;
    association->addWidget(new QLabel(QStringLiteral("Project file extension: .zlp")), 1);
    association->addWidget(bAssociate);

    auto* layout = new QVBoxLayout;
    layout->addWidget(Group(tr("Interface"), lists));
    layout->addWidget(Group(QStringLiteral("Project file association"), association));
    layout->addStretch(1);
    return Page(layout);
}

void TfMainSetup::Load(const MainSetupValues& v) {
    cbShowOpTime->setChecked(v.ShowOpTime);
    cbExtReport->setChecked(v.ExtReport);
    cbSafeMode->setChecked(v.SafeMode);
    cbSpeaker->setChecked(v.Speaker);
    cbReportFile->setChecked(v.ReportFile);
    userSwapFolder_ = v.UserSwapFolder;
    (v.SwapTemp ? rbSwapTemp : rbSwapUserDefined)->setChecked(true);
    (v.GangMode ? rbGangMode : rbSingleMode)->setChecked(true);
    cbProgrammerSel->setCurrentIndex(v.Programmer < cbProgrammerSel->count() ? v.Programmer : -1);
    (v.ProdModeType == 1 ? rbDetectDeviceInsertion : rbAutoRunButton)->setChecked(true);
    const std::array<QRadioButton*, 3> reload{rbReloadDisabled, rbReloadAlways, rbReloadIfChanged};
    reload[static_cast<std::size_t>(std::clamp(v.ReloadFile, 0, 2))]->setChecked(true);
    cbTimerInterval->setCurrentIndex(v.TimerInterval);
    cbRemoteCtrl->setChecked(v.RemoteCtrl);
    cbHelpLang->setCurrentIndex(v.HelpLanguage);
    ShowSwapPath();
    ApplyEnables();
}

MainSetupValues TfMainSetup::Values() const {
    MainSetupValues v;
    v.ShowOpTime = cbShowOpTime->isChecked();
    v.ExtReport = cbExtReport->isChecked();
    v.SafeMode = cbSafeMode->isChecked();
    v.Speaker = cbSpeaker->isChecked();
    v.ReportFile = cbReportFile->isChecked();
    v.SwapTemp = rbSwapTemp->isChecked();
    v.UserSwapFolder = userSwapFolder_;
    v.GangMode = rbGangMode->isChecked();
    v.Programmer = cbProgrammerSel->currentIndex();
    v.ProdModeType = rbDetectDeviceInsertion->isChecked() ? 1 : 0;
    v.ReloadFile = rbReloadAlways->isChecked() ? 1 : (rbReloadIfChanged->isChecked() ? 2 : 0);
    v.TimerInterval = cbTimerInterval->currentIndex();
    v.RemoteCtrl = cbRemoteCtrl->isChecked();
    v.HelpLanguage = cbHelpLang->currentIndex();
    return v;
}

void TfMainSetup::ApplyEnables() {
    const MainSetupEnables e = MainSetupEnablesFor(context_, Values());
    rbSwapTemp->setEnabled(e.SwapChoice);
    rbSwapUserDefined->setEnabled(e.SwapChoice);
    bChangeSwapDir->setEnabled(e.SwapChoice);
    rbGangMode->setEnabled(e.GangMode);
    rbSingleMode->setEnabled(e.SingleMode);
    cbProgrammerSel->setEnabled(e.Programmer);
    rbDetectDeviceInsertion->setEnabled(e.DetectDeviceInsertion);
    cbRemoteCtrl->setEnabled(e.RemoteCtrl);
}

void TfMainSetup::ShowSwapPath() {
    // The box shows the user-defined folder only while it is the chosen one.
    pbSwapPath->SetFullText(rbSwapUserDefined->isChecked() ? userSwapFolder_ : QString());
}

void TfMainSetup::SetUserSwapFolder(const QString& folder) {
    userSwapFolder_ = folder.endsWith(u'/') ? folder : folder + u'/';
    rbSwapUserDefined->setChecked(true);
    ShowSwapPath();
}

void TfMainSetup::bChangeSwapDirClick() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Swap directory"), userSwapFolder_, QFileDialog::ShowDirsOnly);
    if (!folder.isEmpty()) {
        SetUserSwapFolder(folder);
    }
}

void TfMainSetup::bAssociateClick() {
    const QString appDir = QCoreApplication::applicationDirPath() + u'/';
    const Result r = AssociateProjectFiles(QCoreApplication::applicationFilePath(),
                                           appDir + QStringLiteral("Help/zelmo2.svg"));
    ShowMessageDialog(this, r.ok ? miInformation : miWarning, mbOk, r.message);
}

void TfMainSetup::accept() {
    StoreMainSetup(Values(), context_, project_);
    QDialog::accept();
}

} // namespace zelmo
