#include "operations/library_file.h"

#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

#include <cstring>
#include <utility>

namespace zelmo {

LibraryFile::~LibraryFile() {
    unload();
}

LibraryFile::LibraryFile(LibraryFile&& other) noexcept
    : library_(std::exchange(other.library_, nullptr)), path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

LibraryFile& LibraryFile::operator=(LibraryFile&& other) noexcept {
    if (this != &other) {
        unload();
        library_ = std::exchange(other.library_, nullptr);
        path_ = std::move(other.path_);
        error_ = std::move(other.error_);
    }
    return *this;
}

LibraryFile::Outcome LibraryFile::load(const QString& folder, const QString& fileName) {
    unload();
    path_ = QDir(folder).filePath(fileName);
    error_.clear();
    // An exact, existing path only: a bare name would send the loader through the system's
    // search path, and a library of the same name elsewhere must never stand in for ours.
    const QFileInfo info(path_);
    if (!info.isFile()) {
        error_ = QStringLiteral("%1: no such file").arg(path_);
        return Outcome::Missing;
    }
    const QByteArray file = QFile::encodeName(info.absoluteFilePath());
    // RTLD_LOCAL keeps the library's symbols out of the global namespace, so libraries with
    // the same entry point names (fakes, simulators) never resolve against each other.
    library_ = ::dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) {
        const char* why = ::dlerror();
        error_ = why != nullptr ? QString::fromLocal8Bit(why) : QStringLiteral("cannot load");
        return Outcome::Missing;
    }
    return Outcome::Loaded;
}

QFunctionPointer LibraryFile::resolve(const char* symbol) const {
    if (library_ == nullptr) {
        return nullptr;
    }
    // A function pointer travels through the loader as an object pointer; POSIX guarantees the
    // conversion.
    void* address = ::dlsym(library_, symbol);
    QFunctionPointer function = nullptr;
    static_assert(sizeof(function) == sizeof(address));
    std::memcpy(&function, &address, sizeof function);
    return function;
}

void LibraryFile::unload() {
    if (library_ != nullptr) {
        ::dlclose(library_);
        library_ = nullptr;
    }
}

} // namespace zelmo
