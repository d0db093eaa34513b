// Loads arbitrary bytes as a settings document and reads a few keys of every kind; a document
// that loads is rewritten and loaded again, which must give the same values.
#include "persistence/settings_document.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

std::string TempName(const char* suffix) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/zelmo_fuzz_settings_" +
           std::to_string(::getpid()) + suffix;
}

bool WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

struct Values {
    std::int32_t i;
    std::int64_t i64;
    QString text;
    std::string ansi;
    bool operator==(const Values&) const = default;
};

Values ReadSome(const zelmo::CMyIni& ini, const QString& section, const QString& key) {
    return {ini.ReadInt(section, key, 7), ini.ReadInt64(section, key, -7),
            ini.ReadText(section, key, "d", 100), ini.ReadAnsiText(section, key, "d", 50)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string input = TempName(".ini");
    static const std::string copy = TempName("_copy.ini");
    if (!WriteAll(input, data, size)) {
        return 0;
    }
    const QString names[] = {"Config", "S", "A", "K", "Key", "TimerInterval", ""};
    const QString missing = QStringLiteral("\x01missing");
    zelmo::CMyIni ini;
    if (!ini.Open(QString::fromStdString(input), "Settings", true)) {
        return 0;
    }
    // Copy every value the probe names reach into a fresh document; reading it back must give
    // the same values, except where the write was refused as unreadable.
    bool written[7][7] = {};
    {
        zelmo::CMyIni out;
        out.Open(QString::fromStdString(copy), "Settings", false);
        for (int s = 0; s < 7; ++s) {
            for (int k = 0; k < 7; ++k) {
                const QString value = ini.ReadText(names[s], names[k], missing);
                written[s][k] = value != missing && out.WriteText(names[s], names[k], value);
            }
        }
    }
    zelmo::CMyIni back;
    if (!back.Open(QString::fromStdString(copy), "Settings", true)) {
        std::abort();
    }
    for (int s = 0; s < 7; ++s) {
        for (int k = 0; k < 7; ++k) {
            if (written[s][k] &&
                !(ReadSome(ini, names[s], names[k]) == ReadSome(back, names[s], names[k]))) {
                std::abort();
            }
        }
    }
    std::remove(copy.c_str());
    return 0;
}
