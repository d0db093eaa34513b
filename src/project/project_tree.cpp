#include "project/project_tree.h"

#include "project/device_descriptor.h"

namespace zelmo {

namespace {

// Gang mode serves at most this many devices at once.
constexpr int kGangDevices = 8;

} // namespace

bool DeviceBusy(const CDevice& device) {
    return device.Busy != 0 || device.AutoActive != 0;
}

bool AnyDeviceBusy(const TProject& project) {
    for (int d = 0; d < project.DeviceCount; ++d) {
        if (const CDevice* device = project.DeviceAt(d); device != nullptr && DeviceBusy(*device)) {
            return true;
        }
    }
    return false;
}

bool DeviceServed(const TProject& project, int device) {
    if (project.ProgrammerCount < 2 || project.GangMode == 0) {
        return true;
    }
    return device < project.ProgrammerCount && device < kGangDevices;
}

bool DataSetServed(const TProject& project, int device) {
    return DeviceServed(project, device);
}

QString DeviceNodeText(const CDevice& device) {
    return FieldQString(device.Descriptor.Name) + QStringLiteral(" / ") +
           FieldQString(device.Descriptor.Package) + QStringLiteral(" - ") +
           QString::number(device.Slot);
}

DeviceNodeLook DeviceNodeLookFor(const TProject& project, int device) {
    DeviceNodeLook look;
    const CDevice* entry = project.DeviceAt(device);
    if (entry == nullptr) {
        return look;
    }
    const bool served = DeviceServed(project, device);
    const bool active = device == project.ActiveDevice;
    if (entry->Busy != 0) {
        look.Background = tree_colour::Busy;
    } else if (entry->AutoActive != 0) {
        look.Background = tree_colour::Auto;
    } else if ((project.LinkDevices != 0 && entry->Linked != 0) || active) {
        look.Background = tree_colour::Highlight;
    }
    look.Position = QStringLiteral("%1:").arg(device + 1, 2, 10, QLatin1Char('0'));
    look.PositionColour = served ? tree_colour::Grey : tree_colour::LightGrey;
    look.Label = DeviceNodeText(*entry);
    if (active) {
        look.LabelColour = served ? tree_colour::Blue : tree_colour::Grey;
    } else {
        look.LabelColour = served ? tree_colour::Black : tree_colour::LightGrey;
    }
    return look;
}

DataSetNodeLook DataSetNodeLookFor(const TProject& project, int device, int dataSet) {
    DataSetNodeLook look;
    const CDevice* entry = project.DeviceAt(device);
    const CDataSet* set = entry != nullptr ? entry->DataSetAt(dataSet) : nullptr;
    if (set == nullptr) {
        return look;
    }
    const bool served = DataSetServed(project, device);
    const bool shownOfActive = device == project.ActiveDevice && dataSet == entry->ShownDataSet;
    const bool selected = dataSet == entry->SelectedDataSet;
    if (shownOfActive || (project.LinkDevices != 0 && selected)) {
        look.Background = tree_colour::DataSetLight;
    }
    look.Triangle = selected;
    look.TriangleColour = served ? tree_colour::Black : tree_colour::LightGrey;
    look.Label = QString::fromLatin1(set->Name.data(), static_cast<qsizetype>(set->Name.size()));
    if (shownOfActive) {
        look.LabelColour = served ? tree_colour::Blue : tree_colour::Grey;
    } else {
        look.LabelColour = served ? tree_colour::Black : tree_colour::LightGrey;
    }
    return look;
}

bool DevicesMayChange(const TProject& project) {
    return !AnyDeviceBusy(project) && project.LinkDevices == 0;
}

DeviceMenuState DeviceMenuFor(const TProject& project, int device) {
    DeviceMenuState menu;
    const CDevice* entry = project.DeviceAt(device);
    menu.AssignProgrammer = project.ProgrammerCount != 1;
    if (entry == nullptr) {
        return menu;
    }
    const bool mayChange = DevicesMayChange(project);
    menu.AddDataSet = mayChange && entry->DataSetCount < kMaxDataSets;
    menu.RemoveDevice = mayChange;
    const bool idle = !AnyDeviceBusy(project);
    menu.MoveUp = idle && device > 0;
    menu.MoveDown = idle && device + 1 < project.DeviceCount;
    return menu;
}

DataSetMenuState DataSetMenuFor(const TProject& project, int device, int dataSet) {
    DataSetMenuState menu;
    const CDevice* entry = project.DeviceAt(device);
    if (entry == nullptr || entry->DataSetAt(dataSet) == nullptr) {
        return menu;
    }
    // The selected data set is what a running operation works on.
    menu.SetActive = !DeviceBusy(*entry);
    menu.Rename = true;
    menu.Remove = entry->DataSetCount > 1 && DevicesMayChange(project);
    return menu;
}

bool ClickDeviceNode(TProject& project, int device) {
    CDevice* entry = project.DeviceAt(device);
    if (entry == nullptr) {
        return false;
    }
    project.SetActiveDevice(device);
    project.ShowDataSet(device, entry->SelectedDataSet);
    return true;
}

bool ClickDataSetNode(TProject& project, int device, int dataSet) {
    CDevice* entry = project.DeviceAt(device);
    if (entry == nullptr || entry->Busy != 0 || entry->DataSetAt(dataSet) == nullptr) {
        return false;
    }
    project.SetActiveDevice(device);
    project.ShowDataSet(device, dataSet);
    return true;
}

std::optional<QString> SelectionStatusText(const TProject& project, const QString& vendorName) {
    const CDevice* device = project.Active();
    if (device == nullptr || device->Busy != 0) {
        return std::nullopt;
    }
    const CDataSet* shown = device->Shown();
    const QString dataSet =
        shown != nullptr
            ? QString::fromLatin1(shown->Name.data(), static_cast<qsizetype>(shown->Name.size()))
            : QString();
    return QStringLiteral("%1: %2, %3 / %4, %5")
        .arg(project.ActiveDevice + 1, 2, 10, QLatin1Char('0'))
        .arg(vendorName, FieldQString(device->Descriptor.Name),
             FieldQString(device->Descriptor.Package), dataSet);
}

bool DataSetNameCharAccepted(char32_t c) {
    return c < 128 && c != U'"';
}

QString FilterDataSetName(const QString& text) {
    QString out;
    for (const char32_t c : text.toUcs4()) {
        if (DataSetNameCharAccepted(c)) {
            out.append(QChar(static_cast<char16_t>(c)));
        }
    }
    return out;
}

DataSetNameCheck CheckDataSetName(const QString& edited) {
    DataSetNameCheck check;
    const QString name = FilterDataSetName(edited).left(kDataSetNameMax);
    if (name.size() < kDataSetNameMin) {
        check.Message = QString::fromLatin1(kDataSetNameTooShort);
        return check;
    }
    check.Ok = true;
    check.Name = name.toLatin1().toStdString();
    return check;
}

} // namespace zelmo
