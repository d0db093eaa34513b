// The two texts of the application shell that come from outside: the command line (split into
// arguments at NUL bytes) and the desktop's mimeapps.list that the file association rewrites.
// The rewrite must keep every line it did not change and be stable when applied again.
#include "app/command_line.h"
#include "app/file_association.h"

#include <QByteArray>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QStringList arguments{QStringLiteral("zelmo2")};
    for (const QByteArray& part : bytes.split('\0')) {
        arguments << QString::fromUtf8(part);
    }
    const zelmo::CommandLine line = zelmo::ParseCommandLine(arguments);
    if (line.ProjectMissing && line.ProjectPath) {
        std::abort(); // "-p" either names a path or is reported as missing
    }
    if (line.ForcedPort && *line.ForcedPort < 0) {
        std::abort();
    }

    const QByteArray once = zelmo::WithDefaultApplication(bytes);
    if (zelmo::WithDefaultApplication(once) != once) {
        std::abort();
    }
    for (const QByteArray& kept : bytes.split('\n')) {
        if (!kept.trimmed().startsWith("application/x-zelmo2-project=") && !once.contains(kept)) {
            std::abort();
        }
    }
    return 0;
}
