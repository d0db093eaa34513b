#include "catalogue_lookup.h"

#include "app/device_preparation.h"

#include <QCoreApplication>
#include <QStringList>

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

CatalogueDevice badArgument(const QString& message) {
    CatalogueDevice result;
    result.BadArgument = true;
    result.message = message;
    return result;
}

} // namespace

QString ApplicationDirectory() {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

Result OpenCatalogue(CStartupSession& session, const QString& appDir) {
    const Result started = session.StartLibraries(appDir);
    if (!started.ok) {
        return started;
    }
    const CatalogueLoadResult loaded = session.LoadCatalogue();
    return loaded.ok ? Result::success() : Result::failure(loaded.message);
}

CatalogueDevice LookupCatalogueDevice(const QString& vendorNamePackage) {
    return LookupCatalogueDevice(ApplicationDirectory(), vendorNamePackage);
}

CatalogueDevice LookupCatalogueDevice(const QString& appDir, const QString& vendorNamePackage) {
    const QStringList keys = vendorNamePackage.split(QLatin1Char(':'));
    char vendor[5];
    char name[25];
    char package[10];
    if (keys.size() != 3 || !toField(keys[0], vendor) || !toField(keys[1], name) ||
        !toField(keys[2], package)) {
        return badArgument(QStringLiteral("'%1' is not VENDOR:NAME:PACKAGE (at most 4, 24 and 9 "
                                          "characters).")
                               .arg(vendorNamePackage));
    }
    CStartupSession session;
    const Result opened = OpenCatalogue(session, appDir);
    if (!opened.ok) {
        CatalogueDevice result;
        result.message = opened.message;
        return result;
    }
    const HardwareEntryPoints& api = session.Api();
    CatalogueDevice result;
    if (api.ZmSearchDev(vendor, name, package, &result.Descriptor) == 0) {
        return badArgument(
            QStringLiteral("Device '%1' is not in the catalogue.").arg(vendorNamePackage));
    }
    const PreparedDevice prepared =
        PrepareCatalogueDevice(api, session.AppDir(), result.Descriptor);
    if (!prepared.ok) {
        QStringList why(prepared.LibraryMessages.begin(), prepared.LibraryMessages.end());
        result.message =
            QStringLiteral("Could not read the memories of '%1'.").arg(vendorNamePackage);
        if (!why.isEmpty()) {
            result.message += QLatin1Char(' ') + why.join(QLatin1Char(' '));
        }
        return result;
    }
    result.Buffers = prepared.Buffers;
    result.ok = true;
    return result;
}

} // namespace zelmo::cli
