#include "project/buffer_status.h"

#include "project/byte_size_text.h"
#include "project/device_descriptor.h"

#include <QFileInfo>

namespace zelmo {

namespace {
QString none() {
    return QStringLiteral("none");
}

int shownMemory(const CDevice& device) {
    return device.CurrentMemory < kMemories ? device.CurrentMemory : 0;
}
} // namespace

StatusField MemorySizeText(std::uint64_t size) {
    StatusField field;
    field.Text = size <= 1023 ? QString::number(size) + QStringLiteral(" B") : ByteSizeText(size);
    field.Hint = QString::number(size) + QStringLiteral(" bytes");
    return field;
}

StatusField MemorySizeField(const CDevice* device) {
    if (device == nullptr) {
        StatusField field;
        field.Text = none();
        return field;
    }
    const int m = shownMemory(*device);
    const std::uint32_t size = device->Descriptor.MemSize[m];
    if (!IsProgrammableLogic(device->Descriptor)) {
        return MemorySizeText(size);
    }
    StatusField field;
    if (device->Buffers[m].Organization != ORG_FUSE_MAP) {
        field.Visible = false;
        return field;
    }
    field.Text = QString::number(size);
    field.Hint = field.Text + QStringLiteral(" fuses");
    return field;
}

StatusField FileNameField(const CDevice* device) {
    StatusField field;
    const CDataSet* dataSet =
        device != nullptr && device->ShownDataSet >= 0 && device->ShownDataSet < kMaxDataSets
            ? device->Shown()
            : nullptr;
    if (dataSet == nullptr) {
        field.Text = none();
        return field;
    }
    const int shown = shownMemory(*device);
    const int m = IsProgrammableLogic(device->Descriptor) ? 0 : shown;
    const MemoryState& state = dataSet->Memories[m];
    if ((device->Buffers[shown].Flags & BUF_READ_ONLY) != 0) {
        field.Text = QStringLiteral("none (read-only buffer)");
    } else if (state.Current) {
        field.Text = state.Current->FileName;
        if (!QFileInfo::exists(field.Text)) {
            field.Colour = StatusColour::Red;
            field.Hint = QStringLiteral("File doesn't exist.");
        }
    } else {
        field.Text = none();
    }
    if (state.Modified != 0) {
        field.Colour = StatusColour::Blue;
        field.Hint = QStringLiteral("Buffer modified.");
    }
    return field;
}

StatusField ProjectNameField(const QString& projectFileName) {
    StatusField field;
    field.Text = projectFileName.isEmpty() ? none() : projectFileName;
    return field;
}

} // namespace zelmo
