#pragma once

// The settings dialog "Main program setup": pages "General", "Production mode", "Remote control"
// and "Other". It edits a copy of the options; OK stores them into the project (the file is
// written later, at exit or before a project save), Cancel and the close button drop them.

#include "app/main_setup_model.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace zelmo {

class TElidedLabel;

class TfMainSetup : public QDialog {
    Q_OBJECT
public:
    TfMainSetup(TProject& project, MainSetupContext context, QWidget* parent = nullptr);

    // The controls' state as the model sees it.
    MainSetupValues Values() const;
    void SetUserSwapFolder(const QString& folder);

    void bChangeSwapDirClick();
    void bAssociateClick();

    QTabWidget* tcPages = nullptr;
    // General
    QCheckBox* cbShowOpTime = nullptr;
    QCheckBox* cbExtReport = nullptr;
    QCheckBox* cbSafeMode = nullptr;
    QCheckBox* cbSpeaker = nullptr;
    QCheckBox* cbReportFile = nullptr;
    QRadioButton* rbSwapTemp = nullptr;
    QRadioButton* rbSwapUserDefined = nullptr;
    QToolButton* bChangeSwapDir = nullptr;
    TElidedLabel* pbSwapPath = nullptr;
    // Production mode
    QRadioButton* rbGangMode = nullptr;
    QRadioButton* rbSingleMode = nullptr;
    QComboBox* cbProgrammerSel = nullptr;
    QRadioButton* rbAutoRunButton = nullptr;
    QRadioButton* rbDetectDeviceInsertion = nullptr;
    QRadioButton* rbReloadDisabled = nullptr;
    QRadioButton* rbReloadAlways = nullptr;
    QRadioButton* rbReloadIfChanged = nullptr;
    // Remote control
    QCheckBox* cbRemoteCtrl = nullptr;
    QLabel* lRemoteCtrlInfo = nullptr;
    // Other
    QComboBox* cbTimerInterval = nullptr;
    QComboBox* cbHelpLang = nullptr;
    QPushButton* bAssociate = nullptr;
    QPushButton* bOK = nullptr;
    QPushButton* bCancel = nullptr;

protected:
    void accept() override;

private:
    QWidget* GeneralPage();
    QWidget* ProductionPage();
    QWidget* RemotePage();
    QWidget* OtherPage();
    void Load(const MainSetupValues& values);
    void ApplyEnables();
    void ShowSwapPath();

    TProject& project_;
    MainSetupContext context_;
    QString userSwapFolder_;
};

} // namespace zelmo
