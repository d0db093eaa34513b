#pragma once

// The device catalogue through the hardware library, for zelmo2-cli: the library next to the
// program is bound, started with the program's folder and asked to read Lib/ConfigLib.lib.

#include "catalogue/catalogue_list.h"
#include "operations/hardware_binding.h"
#include "abi/device_records.h"

#include <QString>

#include <array>

namespace zelmo::cli {

// The folder of the running program, with a trailing "/".
QString ApplicationDirectory();

// One started library with its catalogue loaded; the library is freed and released on
// destruction.
class CatalogueSession {
public:
    CatalogueSession() = default;
    ~CatalogueSession();
    CatalogueSession(const CatalogueSession&) = delete;
    CatalogueSession& operator=(const CatalogueSession&) = delete;

    // Binds appDir/libhardware.so, calls _ZmInit and _ZmSetPath, loads the catalogue. On
    // failure `error` holds the binding message or the catalogue message.
    bool open(const QString& appDir, QString& error);

    const CCatalogue& catalogue() const { return catalogue_; }
    const HardwareEntryPoints& api() const { return binding_.api(); }
    const QString& appDir() const { return appDir_; }

private:
    HardwareBinding binding_;
    CCatalogue catalogue_;
    QString appDir_;
    bool started_ = false;
};

// Finds the catalogue device "VENDOR:NAME:PACKAGE" (each part at most the width of its field)
// with _ZmSearchDev and describes its four memories with _ZmGetBufferInfo and the device's
// algorithm library Dev/<LibName>.so. On failure `error` says why.
bool LookupCatalogueDevice(const QString& vendorNamePackage, DeviceDescriptor& out,
                           std::array<BufferInfo, 4>& buffers, QString& error);
// The same with the library of another application directory.
bool LookupCatalogueDevice(const QString& appDir, const QString& vendorNamePackage,
                           DeviceDescriptor& out, std::array<BufferInfo, 4>& buffers,
                           QString& error);

} // namespace zelmo::cli
