#include "app/log_header.h"

#include "project/device_descriptor.h"
#include "project/project.h"

namespace zelmo {

LogHeaderNames HeaderNamesFor(const TProject& project, int slot) {
    LogHeaderNames names;
    names.linkDevices = project.LinkDevices != 0;
    if (slot < 0 || slot >= project.DeviceCount || slot >= kMaxDevices) {
        return names;
    }
    const CDevice* device = project.Devices[static_cast<std::size_t>(slot)].get();
    if (device == nullptr) {
        return names;
    }
    names.deviceName = FieldQString(device->Descriptor.Name);
    names.package = FieldQString(device->Descriptor.Package);
    const int index = slot == project.ActiveDevice ? device->ShownDataSet : device->SelectedDataSet;
    if (index >= 0 && index < device->DataSetCount && index < kMaxDataSets) {
        if (const CDataSet* dataSet = device->DataSets[static_cast<std::size_t>(index)].get()) {
            names.dataSetName = QString::fromLatin1(dataSet->Name);
        }
    }
    return names;
}

} // namespace zelmo
