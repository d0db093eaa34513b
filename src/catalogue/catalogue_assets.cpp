#include "catalogue/catalogue_assets.h"

#include <QDir>
#include <QFileInfo>

namespace zelmo {

namespace {

// A catalogue text used as a single file-name component: no separators, no "." or "..", so a
// malformed catalogue cannot point outside its folder.
bool usableFileComponent(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

QString latin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString GenericAdapterPath(const QString& appDir, const DeviceDescriptor& device) {
    if ((device.Flags & DEV_ADAPTER) == 0) {
        return {};
    }
    const QString package = latin1(FieldText(device.Package));
    if (!usableFileComponent(package)) {
        return {};
    }
    return QDir(appDir).filePath(QStringLiteral("Adapters/") + package + QStringLiteral(".adp"));
}

AdapterChoice AdapterChoiceFor(const QString& appDir, const DeviceDescriptor& device) {
    AdapterChoice choice;
    if ((device.Flags & DEV_ADAPTER) == 0) {
        return choice;
    }
    choice.NeedsAdapter = true;
    choice.GenericPath = GenericAdapterPath(appDir, device);
    choice.GenericAvailable =
        !choice.GenericPath.isEmpty() && QFileInfo(choice.GenericPath).isFile();
    choice.UserSelected = !choice.GenericAvailable;
    choice.DisplayedPath = choice.GenericAvailable ? choice.GenericPath : QString();
    return choice;
}

QString LogoPath(const QString& appDir, std::string_view vendorCode) {
    const QString code = latin1(std::string(vendorCode));
    if (!usableFileComponent(code)) {
        return {};
    }
    return QDir(appDir).filePath(QStringLiteral("Logo/") + code + QStringLiteral(".bmp"));
}

bool LogoDrawable(const QSize& size) {
    return size.width() == 100 && size.height() == 100;
}

QString VendorWebAddress(const CCatalogue& catalogue, std::string_view vendorCode) {
    const ZmVendorRecord* vendor = catalogue.FindVendor(vendorCode);
    return vendor != nullptr ? latin1(FieldText(vendor->Web)) : QString();
}

QString ConfirmSelectionMessage(const DeviceDescriptor* selected, bool userAdapterSelected,
                                const QString& userAdapterPath) {
    if (selected == nullptr) {
        return QStringLiteral("Select device then press OK.");
    }
    if ((selected->Flags & DEV_ADAPTER) != 0 && userAdapterSelected && userAdapterPath.isEmpty()) {
        return QStringLiteral("Select user adapter file.\nIf user adapter file is not created "
                              "please use Adapter Creator tool.");
    }
    return {};
}

} // namespace zelmo
