#include "app/bottom_tabs_model.h"

#include "project/device_descriptor.h"
#include "project/project.h"

namespace zelmo {

namespace {

bool HasMemory(const CDevice* device, int m) {
    return device != nullptr && MemoryExists(device->Descriptor, m);
}

QString Letter(int m) {
    return QString(QChar(u'A' + m));
}

} // namespace

QString MemoryTabCaption(const CDevice* device, int m) {
    if (!HasMemory(device, m)) {
        return QStringLiteral("-");
    }
    return FieldQString(device->Buffers[static_cast<std::size_t>(m)].Name) + QStringLiteral(" (") +
           Letter(m) + u')';
}

QString MemoryBoxCaption(const CDevice* device, int m) {
    if (!HasMemory(device, m)) {
        return QStringLiteral("Buffer ") + Letter(m);
    }
    return MemoryTabCaption(device, m);
}

BottomPage SelectBottomTab(TProject& project, int tab) {
    CDevice* device = project.Active();
    if (device != nullptr && tab >= 0 && tab < btCount) {
        device->ActiveTab = tab;
    }
    if (tab == btLog) {
        return BottomPage::Log;
    }
    if (tab == btInfo) {
        return BottomPage::Info;
    }
    if (tab == btGang) {
        return BottomPage::Gang;
    }
    const int m = tab - btMemoryA;
    if (m < 0 || m >= kMemories || !HasMemory(device, m)) {
        return BottomPage::NoMemory;
    }
    device->CurrentMemory = static_cast<std::uint8_t>(m);
    return BottomPage::Buffers;
}

int StoredBottomTab(const TProject& project) {
    const CDevice* device = project.Active();
    if (device == nullptr || device->ActiveTab < 0 || device->ActiveTab >= btCount) {
        return btLog;
    }
    return device->ActiveTab;
}

} // namespace zelmo
