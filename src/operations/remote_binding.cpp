#include "operations/remote_binding.h"

namespace zelmo {

BindResult RemoteControlBinding::bind(const QString& appDir) {
    release();
    BindResult result;
    const QString file = QStringLiteral(ZELMO_REMOTE_LIBRARY_FILE);
    if (library_.load(appDir, file) != LibraryFile::Outcome::Loaded) {
        // Remote control is optional: without the library the mode is simply off.
        result.ok = true;
        result.detail = library_.errorString();
        return result;
    }
    RemoteEntryPoints api;
    QString missing;
#define ZELMO_REMOTE_RESOLVE(name, type, member)                                                   \
    api.member = reinterpret_cast<type>(library_.resolve(#name));                                  \
    if (api.member == nullptr && missing.isEmpty()) {                                              \
        missing = QStringLiteral(#name);                                                           \
    }
    ZELMO_REMOTE_ENTRY_POINTS(ZELMO_REMOTE_RESOLVE)
#undef ZELMO_REMOTE_RESOLVE
    if (!missing.isEmpty()) {
        library_.unload();
        result.terminate = true;
        result.message = QStringLiteral("Incorrect '%1'").arg(file);
        result.detail = QStringLiteral("%1 does not export '%2'").arg(library_.filePath(), missing);
        return result;
    }
    api_ = api;
    result.ok = true;
    return result;
}

void RemoteControlBinding::release() {
    api_ = RemoteEntryPoints{};
    library_.unload();
}

void RemoteControlBinding::Init() const {
    if (api_.init != nullptr) {
        api_.init();
    }
}

void RemoteControlBinding::Free() const {
    if (api_.free != nullptr) {
        api_.free();
    }
}

std::int32_t RemoteControlBinding::CheckStatus(std::int32_t slot) const {
    return api_.checkStatus != nullptr ? api_.checkStatus(slot) : 0;
}

void RemoteControlBinding::Result(std::int32_t slot, std::int32_t status) const {
    if (api_.result != nullptr) {
        api_.result(slot, status);
    }
}

} // namespace zelmo
