#include "operations/hardware_binding.h"

namespace zelmo {

namespace {

QString missingMessage() {
    return QStringLiteral("Missing '%1'").arg(QLatin1String(kHardwareLibraryFile));
}

QString incorrectMessage() {
    return QStringLiteral("Incorrect '%1'").arg(QLatin1String(kHardwareLibraryFile));
}

// Resolves one entry point into `slot`; remembers the first one that is missing.
template <typename Fn>
void resolveInto(const LibraryFile& library, const char* symbol, Fn& slot, QString& firstMissing,
                 bool required) {
    slot = reinterpret_cast<Fn>(library.resolve(symbol));
    if (slot == nullptr && required && firstMissing.isEmpty()) {
        firstMissing = QString::fromLatin1(symbol);
    }
}

BindResult loadFailure(const LibraryFile& library, bool terminate) {
    BindResult result;
    result.terminate = terminate;
    result.message = missingMessage();
    result.detail = library.errorString();
    return result;
}

BindResult symbolFailure(const LibraryFile& library, const QString& symbol, bool terminate) {
    BindResult result;
    result.terminate = terminate;
    result.message = incorrectMessage();
    result.detail = QStringLiteral("%1 does not export '%2'").arg(library.filePath(), symbol);
    return result;
}

// Loads the hardware library and fills a table of entry points through `resolveAll`, which
// names the first missing required one; the library is unloaded again when one is missing.
template <typename Api, typename ResolveAll>
BindResult bindTable(LibraryFile& library, const QString& appDir, bool terminate, Api& api,
                     ResolveAll resolveAll) {
    if (library.load(appDir, QLatin1String(kHardwareLibraryFile)) != LibraryFile::Outcome::Loaded) {
        return loadFailure(library, terminate);
    }
    Api resolved;
    QString missing;
    resolveAll(resolved, missing);
    if (!missing.isEmpty()) {
        BindResult result = symbolFailure(library, missing, terminate);
        library.unload();
        return result;
    }
    api = resolved;
    BindResult result;
    result.ok = true;
    return result;
}

} // namespace

BindResult HardwareBinding::bind(const QString& appDir) {
    release();
    const BindResult result =
        bindTable(library_, appDir, true, api_, [this](HardwareEntryPoints& api, QString& missing) {
#define ZELMO_HW_REQUIRED(base) resolveInto(library_, ZM_SYMBOL(base), api.base, missing, true);
#define ZELMO_HW_OPTIONAL(base) resolveInto(library_, ZM_SYMBOL(base), api.base, missing, false);
            ZM_STARTUP_ENTRY_POINTS(ZELMO_HW_REQUIRED)
            ZM_SCAN_ENTRY_POINTS(ZELMO_HW_OPTIONAL)
            ZM_OPTIONAL_ENTRY_POINTS(ZELMO_HW_OPTIONAL)
#undef ZELMO_HW_REQUIRED
#undef ZELMO_HW_OPTIONAL
        });
    bound_ = result.ok;
    return result;
}

void HardwareBinding::release() {
    api_ = HardwareEntryPoints{};
    bound_ = false;
    library_.unload();
}

BindResult OperationBinding::bind(const QString& appDir) {
    release();
    const BindResult result = bindTable(library_, appDir, false, api_,
                                        [this](OperationEntryPoints& api, QString& missing) {
#define ZELMO_HW_REQUIRED(base) resolveInto(library_, ZM_SYMBOL(base), api.base, missing, true);
                                            ZM_OPERATION_ENTRY_POINTS(ZELMO_HW_REQUIRED)
#undef ZELMO_HW_REQUIRED
                                        });
    bound_ = result.ok;
    return result;
}

void OperationBinding::release() {
    api_ = OperationEntryPoints{};
    bound_ = false;
    library_.unload();
}

} // namespace zelmo
