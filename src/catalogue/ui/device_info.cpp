#include "catalogue/ui/device_info.h"

#include "catalogue/device_info.h"
#include "controls/ui/elided_label.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelmo {

TfDeviceInfo::TfDeviceInfo(const CDevice& device, const QString& vendorName, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("fDeviceInfo"));
    setWindowTitle(QStringLiteral("Device info"));
    setModal(true);
    const DeviceInfoTexts texts = DeviceInfoFor(device, vendorName);

    const auto value = [](const QString& text, const char* name) {
        auto* label = new QLabel(text);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    auto* deviceGroup = new QGroupBox(QStringLiteral("Device"));
    auto* deviceForm = new QFormLayout(deviceGroup);
    lDeviceName = value(texts.Name, "lDeviceName");
    lDeviceType = value(texts.Type, "lDeviceType");
    lDeviceManuf = value(texts.Vendor, "lDeviceManuf");
    lDevicePackage = value(texts.Package, "lDevicePackage");
    pbAdapterFileName = new TElidedLabel(Qt::ElideMiddle);
    pbAdapterFileName->setObjectName(QStringLiteral("pbAdapterFileName"));
    pbAdapterFileName->SetField(true);
    pbAdapterFileName->setMinimumWidth(280);
    pbAdapterFileName->SetFullText(texts.Adapter);
    lDevicePinCount = value(texts.PinCount, "lDevicePinCount");
    deviceForm->addRow(QStringLiteral("Name:"), lDeviceName);
    deviceForm->addRow(QStringLiteral("Type:"), lDeviceType);
    deviceForm->addRow(QStringLiteral("Vendor:"), lDeviceManuf);
    deviceForm->addRow(QStringLiteral("Package:"), lDevicePackage);
    deviceForm->addRow(QStringLiteral("Adapter:"), pbAdapterFileName);
    deviceForm->addRow(QStringLiteral("Pin count:"), lDevicePinCount);

    auto* memoryGroup = new QGroupBox(QStringLiteral("Buffers"));
    auto* memoryForm = new QFormLayout(memoryGroup);
    static const char* const names[] = {"lMemoryA", "lMemoryB", "lMemoryC", "lMemoryD"};
    for (int m = 0; m < 4; ++m) {
        QLabel* label = value(texts.Memory[static_cast<std::size_t>(m)], names[m]);
        lMemory[static_cast<std::size_t>(m)] = label;
        memoryForm->addRow(QStringLiteral("Buffer %1:").arg(QChar(u'A' + m)), label);
    }

    bClose = new QPushButton(QStringLiteral("Close"));
    bClose->setObjectName(QStringLiteral("bClose"));
    bClose->setDefault(true); // Enter closes, as Escape does
    connect(bClose, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(deviceGroup);
    layout->addWidget(memoryGroup);
    layout->addLayout(buttons);
}

} // namespace zelmo
