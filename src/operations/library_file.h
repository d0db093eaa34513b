#pragma once

// A shared library loaded from one folder by its exact file name and unloaded on destruction.
// Every instance holds its own reference from the dynamic loader: the library stays mapped while
// any instance that loaded it is alive, so bindings made for different threads are independent
// of each other. (QLibrary shares one load count per file between its instances, and releasing
// an instance made on another thread can unmap a library another instance still uses, so the
// loader is called directly.)

#include <QString>
#include <QtGlobal>

namespace zelmo {

class LibraryFile {
public:
    enum class Outcome { Loaded, Missing };

    LibraryFile() = default;
    ~LibraryFile();
    LibraryFile(LibraryFile&&) noexcept;
    LibraryFile& operator=(LibraryFile&&) noexcept;
    LibraryFile(const LibraryFile&) = delete;
    LibraryFile& operator=(const LibraryFile&) = delete;

    // Loads folder/fileName; the folder may end with "/" or not. Any earlier library of this
    // instance is unloaded first.
    Outcome load(const QString& folder, const QString& fileName);
    // Address of an exported symbol, or null when the library does not export it.
    QFunctionPointer resolve(const char* symbol) const;
    void unload();

    bool isLoaded() const { return library_ != nullptr; }
    QString errorString() const { return error_; }
    QString filePath() const { return path_; }

private:
    void* library_ = nullptr; // the loader's handle
    QString path_;
    QString error_;
};

} // namespace zelmo
