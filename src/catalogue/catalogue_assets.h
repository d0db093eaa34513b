#pragma once

// Files the selection dialog finds beside the catalogue: the generic adapter file of a device
// that needs one, the vendor logo, and the vendor's web address; plus the checks of its OK
// button.

#include "catalogue/catalogue_list.h"
#include "platform/file_io.h"

#include <QByteArray>
#include <QSize>
#include <QString>

namespace zelmo {

// The adapter choice for a highlighted device.
struct AdapterChoice {
    bool NeedsAdapter = false;     // DEV_ADAPTER: the adapter buttons and "User defined" enabled
    QString GenericPath;           // <appDir>/Adapters/<Package>.adp, empty without DEV_ADAPTER
    bool GenericAvailable = false; // the generic file exists: "Generic" enabled and selected
    bool UserSelected = false;     // "User defined" selected
    QString DisplayedPath;         // generic path when it exists, else empty
};

// The generic adapter path of a device, or empty when it needs no adapter file or its package
// is not usable as a file name.
QString GenericAdapterPath(const QString& appDir, const DeviceDescriptor& device);
AdapterChoice AdapterChoiceFor(const QString& appDir, const DeviceDescriptor& device);

// Opens a file that sits in the application folder (adapter files, logos, the runtime file)
// for reading when it is a regular file or a link to one. Anything else (a FIFO, a device, a
// folder) gives a closed file at once: opening never waits for a writer.
platform::File OpenApplicationFile(const QString& path);

// <appDir>/Logo/<vendor code>.bmp, or empty for a code that is not usable as a file name.
QString LogoPath(const QString& appDir, std::string_view vendorCode);
// The bytes of a logo file for the picture loader; empty when the file is missing, is not a
// regular file or is larger than any 100 x 100 bitmap needs.
QByteArray ReadLogoFile(const QString& path);
// A logo is drawn only when it is exactly 100 x 100 pixels.
bool LogoDrawable(const QSize& size);

// The web address of the vendor with this code, empty when no vendor matches.
QString VendorWebAddress(const CCatalogue& catalogue, std::string_view vendorCode);

// What OK answers, or empty when the selection may be confirmed. A device without DEV_ADAPTER
// is confirmed whatever the adapter controls show.
QString ConfirmSelectionMessage(const DeviceDescriptor* selected, bool userAdapterSelected,
                                const QString& userAdapterPath);

} // namespace zelmo
