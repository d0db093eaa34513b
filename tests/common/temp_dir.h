#pragma once

#include <filesystem>
#include <string>

namespace zelmo::test {

// A fresh folder below the run's temporary home, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The private home the test main made for this run (XDG_* and TMPDIR point below it).
const std::filesystem::path& testHome();

// Writes bytes to a file, replacing it; returns false on failure.
bool writeFile(const std::filesystem::path& file, std::string_view bytes);
// Reads a whole file; an unreadable file gives an empty string.
std::string readFile(const std::filesystem::path& file);

} // namespace zelmo::test
