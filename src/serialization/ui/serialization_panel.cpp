#include "serialization/ui/serialization_panel.h"

#include "app/log_kind.h"
#include "app/refresh_plan.h"
#include "app/ui/main_commands.h"
#include "app/ui/main_window.h"
#include "app/ui/operation_area.h"
#include "controls/ui/elided_label.h"
#include "serialization/serialization.h"
#include "serialization/serialization_setup.h"
#include "serialization/ui/serialization_dialog.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>

namespace zelmo {

TSerializationPanel::TSerializationPanel(QWidget* parent) : QGroupBox(tr("Serialization"), parent) {
    setObjectName(QStringLiteral("peSerialization"));
    lMode = new QLabel;
    lMode->setObjectName(QStringLiteral("lSerialMode"));
    lValue = new QLabel;
    lValue->setObjectName(QStringLiteral("lSerialValue"));
    QFont bold = lValue->font();
    bold.setBold(true);
    lMode->setFont(bold);
    lValue->setFont(bold);
    lFile = new TElidedLabel;
    lFile->setObjectName(QStringLiteral("lSerialFile"));
    lFile->setMinimumWidth(90);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("Mode:")), 0, 0);
    grid->addWidget(lMode, 0, 1);
    grid->addWidget(new QLabel(tr("Value:")), 1, 0);
    grid->addWidget(lValue, 1, 1);
    grid->addWidget(new QLabel(tr("File:")), 2, 0);
    grid->addWidget(lFile, 2, 1);
    grid->setColumnStretch(1, 1);
    Show(nullptr);
}

void TSerializationPanel::Show(const CSerialization* record) {
    const SerializationPanelTexts texts = SerializationPanel(record);
    lMode->setText(texts.Mode);
    lValue->setText(texts.Value);
    lFile->SetFullText(texts.File);
}

TSerializationCommands::TSerializationCommands(TfMain& window) : QObject(&window), window_(window) {
    panel_ = new TSerializationPanel;
    window_.pOperation->SetSerializationPanel(panel_);
    window_.RefreshPlan().Add(RefreshStep::Serialization, [this] { Refresh(); });
    connect(window_.Commands().miSerialization, &QAction::triggered, this,
            &TSerializationCommands::miSerializationClick);
    connect(&window_.Project().Notifier, &CProjectNotifier::ActiveDeviceChanged, this,
            &TSerializationCommands::Refresh);
    connect(&window_.Project().Notifier, &CProjectNotifier::DeviceRemoved, this,
            &TSerializationCommands::Refresh);
}

void TSerializationCommands::Refresh() {
    const CDevice* device = window_.Project().Active();
    panel_->Show(device != nullptr ? device->Serialization.get() : nullptr);
}

void TSerializationCommands::miSerializationClick() {
    TProject& project = window_.Project();
    CDevice* device = project.Active();
    if (device == nullptr || !device->Serialization) {
        return;
    }
    SerializationDialogContext context;
    const CDataSet* shown = device->Shown();
    context.MemorySizeA = shown != nullptr ? shown->MemSize(0) : device->Descriptor.MemSize[0];
    context.ProjectHasDevices = project.DeviceCount > 0;
    {
        TfSerialization dialog(*device->Serialization, context, &window_);
        dialog.exec();
    }
    Refresh();
    const std::vector<QString> report = SerializationReport(*device->Serialization);
    window_.AddLog(lkDeviceHeaderAfterBlank(project.ActiveDevice));
    for (const QString& line : report) {
        window_.AddLog(lkDetail, line);
    }
    window_.SetStatusMessage(report.front());
}

} // namespace zelmo
