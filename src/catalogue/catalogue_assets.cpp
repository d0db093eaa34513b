#include "catalogue/catalogue_assets.h"

#include "platform/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zelmo {

namespace {

// A 100 x 100 bitmap at 32 bits per pixel with every optional header part is far below this.
constexpr std::int64_t kMaxLogoBytes = 1 << 20;

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

platform::File OpenApplicationFile(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    return platform::File::open(std::filesystem::path(QFile::encodeName(path).toStdString()),
                                platform::OpenMode::Read);
}

QByteArray ReadLogoFile(const QString& path) {
    const platform::File file = OpenApplicationFile(path);
    const std::int64_t size = file.size();
    if (!file.isOpen() || size <= 0 || size > kMaxLogoBytes) {
        return {};
    }
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (!file.readAt(0, std::span(reinterpret_cast<std::uint8_t*>(bytes.data()),
                                  static_cast<std::size_t>(size)))) {
        return {};
    }
    return bytes;
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
