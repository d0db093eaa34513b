#pragma once

// The project tells its views what changed. Every mutator of TProject, CDevice, CDataSet and
// MemoryState reports here, on the main thread, so the tree, the buffer views, the status line
// and the gang panels listen instead of polling. Devices and data sets are named by their
// current index; memory-level changes by the data set (a stable address while it exists) and
// the memory 0 to 3. The "...Changed" signals are sent only when the value really changed.

#include <QObject>

#include <cstdint>

namespace zelmo {

class CDataSet;

class CProjectNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void DeviceAdded(int device);
    void DeviceRemoved(int device);             // later devices have moved down one index
    void DevicesMoved(int first, int second);   // the two devices exchanged their indexes
    void DeviceLinked(int device, bool linked); // the device's Linked mark changed
    void ActiveDeviceChanged(int device);

    void DataSetAdded(int device, int dataSet);
    void DataSetRemoved(int device, int dataSet); // later data sets have moved down one index
    void DataSetRenamed(int device, int dataSet);
    void DataSetSelected(int device, int dataSet); // SelectedDataSet changed
    void DataSetShown(int device, int dataSet);    // ShownDataSet changed

    // Bytes [offset, offset + length) of memory `memory` were written.
    void BytesChanged(const zelmo::CDataSet* dataSet, int memory, quint64 offset, quint64 length);
    void ModifiedChanged(const zelmo::CDataSet* dataSet, int memory);
    void ChecksumChanged(const zelmo::CDataSet* dataSet, int memory); // value or valid flag
    void FileEntryChanged(const zelmo::CDataSet* dataSet,
                          int memory); // Current, Recent or an entry
};

} // namespace zelmo
