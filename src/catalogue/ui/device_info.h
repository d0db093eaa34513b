#pragma once

// TfDeviceInfo, "Device info": the active device's name, type, vendor, package, adapter file,
// pin count and memory sizes, read only. Close, Escape and Enter close it.

#include <QDialog>

#include <array>

class QLabel;
class QPushButton;

namespace zelmo {

class CDevice;
class TElidedLabel;

class TfDeviceInfo : public QDialog {
    Q_OBJECT
public:
    TfDeviceInfo(const CDevice& device, const QString& vendorName, QWidget* parent = nullptr);

    QLabel* lDeviceName = nullptr;
    QLabel* lDeviceType = nullptr;
    QLabel* lDeviceManuf = nullptr;
    QLabel* lDevicePackage = nullptr;
    TElidedLabel* pbAdapterFileName = nullptr;
    QLabel* lDevicePinCount = nullptr;
    std::array<QLabel*, 4> lMemory{}; // lMemoryA to lMemoryD
    QPushButton* bClose = nullptr;
};

} // namespace zelmo
