#include "catalogue_lookup.h"

#include <QCoreApplication>
#include <QDir>

#include <cstring>

namespace zelmo::cli {

namespace {

// Copies 8-bit text into a fixed, NUL-padded field; false when it does not fit with its NUL
// or is not Latin-1.
template <std::size_t N> bool toField(const QString& text, char (&field)[N]) {
    std::memset(field, 0, N);
    const QByteArray bytes = text.toLatin1();
    if (bytes.size() >= static_cast<qsizetype>(N) || QString::fromLatin1(bytes) != text) {
        return false;
    }
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

QString libraryMessages(const HardwareEntryPoints& api, std::int32_t context) {
    QStringList texts;
    ZmMessage message{};
    for (std::int32_t n = 0; n < 64 && api.ZmGetMessage(context, n, &message) != 0; ++n) {
        message.Text[ZM_MESSAGE_TEXT_CHARS - 1] = u'\0';
        texts << QString::fromUtf16(message.Text);
    }
    return texts.join(QLatin1Char(' '));
}

} // namespace

QString ApplicationDirectory() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

CatalogueSession::~CatalogueSession() {
    if (started_) {
        binding_.api().ZmFree();
    }
    binding_.release();
}

bool CatalogueSession::open(const QString& appDir, QString& error) {
    appDir_ = appDir.endsWith(QLatin1Char('/')) ? appDir : appDir + QLatin1Char('/');
    const BindResult bound = binding_.bind(appDir_);
    if (!bound.ok) {
        error = bound.message;
        return false;
    }
    const HardwareEntryPoints& api = binding_.api();
    api.ZmInit(0);
    started_ = true;
    api.ZmSetPath(reinterpret_cast<const char16_t*>(appDir_.utf16()));
    const CatalogueCalls calls{api.ZmGetVendorsDevices, api.ZmGetNoOfVendors, api.ZmGetNoOfDevices};
    const CatalogueLoadResult loaded = LoadCatalogue(calls, CataloguePath(appDir_), catalogue_);
    if (!loaded.Loaded || catalogue_.DeviceCount < 0) {
        QStringList messages(loaded.Messages.begin(), loaded.Messages.end());
        error = messages.join(QLatin1Char(' '));
        return false;
    }
    return true;
}

bool LookupCatalogueDevice(const QString& vendorNamePackage, DeviceDescriptor& out,
                           std::array<BufferInfo, 4>& buffers, QString& error) {
    return LookupCatalogueDevice(ApplicationDirectory(), vendorNamePackage, out, buffers, error);
}

bool LookupCatalogueDevice(const QString& appDir, const QString& vendorNamePackage,
                           DeviceDescriptor& out, std::array<BufferInfo, 4>& buffers,
                           QString& error) {
    const QStringList keys = vendorNamePackage.split(QLatin1Char(':'));
    char vendor[5];
    char name[25];
    char package[10];
    if (keys.size() != 3 || !toField(keys[0], vendor) || !toField(keys[1], name) ||
        !toField(keys[2], package)) {
        error = QStringLiteral("'%1' is not VENDOR:NAME:PACKAGE (at most 4, 24 and 9 "
                               "characters).")
                    .arg(vendorNamePackage);
        return false;
    }
    CatalogueSession session;
    if (!session.open(appDir, error)) {
        return false;
    }
    const HardwareEntryPoints& api = session.api();
    DeviceDescriptor found{};
    if (api.ZmSearchDev(vendor, name, package, &found) == 0) {
        error = QStringLiteral("Device '%1' is not in the catalogue.").arg(vendorNamePackage);
        return false;
    }
    const QString libName = QString::fromLatin1(FieldText(found.LibName).c_str());
    const QString libraryPath =
        QDir(session.appDir()).filePath(QStringLiteral("Dev/") + libName + QStringLiteral(".so"));
    std::array<BufferInfo, 4> info{};
    if (api.ZmGetBufferInfo(0, reinterpret_cast<const char16_t*>(libraryPath.utf16()),
                            found.LibParams, info.data()) == 0) {
        const QString why = libraryMessages(api, 0);
        error = QStringLiteral("Could not read the memories of '%1'.").arg(vendorNamePackage);
        if (!why.isEmpty()) {
            error += QLatin1Char(' ') + why;
        }
        return false;
    }
    out = found;
    buffers = info;
    return true;
}

} // namespace zelmo::cli
