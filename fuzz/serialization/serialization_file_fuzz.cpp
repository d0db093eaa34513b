// Loads arbitrary bytes as a serialization file, then formats, advances and saves the record.

#include "serialization/serialization.h"

#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace zelmo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("serialization_fuzz_%1.ini").arg(::getpid()));
    FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (f == nullptr) {
        return 0;
    }
    if (size > 0) {
        std::fwrite(data, 1, size, f);
    }
    std::fclose(f);

    CSerialization s;
    s.FileName = path;
    if (s.LoadFromFile()) {
        const std::vector<std::uint8_t> bytes = s.FormatBytes();
        if (bytes.size() != (CSerialization::Digits(s.Length, s.BinaryMode != 0) == 0
                                 ? 0u
                                 : static_cast<std::size_t>(s.Length))) {
            std::abort();
        }
        (void)s.ValueText();
        const std::uint64_t max = s.Maximum();
        s.Advance();
        if (max != 0 && s.Current > max) {
            std::abort();
        }
    }
    return 0;
}
