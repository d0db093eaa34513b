// zelmo2-cli checksum: the nine values of the checksum calculator over a byte range of a file.

#include "command.h"
#include "editor/checksum_engine.h"
#include "editor/checksum_thread.h"
#include "platform/file_io.h"

#include <QString>

#include <cstdio>
#include <filesystem>
#include <optional>

namespace zelmo::cli {

namespace {

void usage(FILE* out) {
    std::fputs("Usage: zelmo2-cli checksum --in FILE [--from HEX] [--to HEX]\n"
               "Prints the checksum calculator's nine values over bytes FROM to TO (inclusive)\n"
               "of FILE. A range that does not fit the file is corrected as the calculator\n"
               "does: a bad FROM becomes 0, a bad TO the last byte.\n",
               out);
}

// At most 8 hexadecimal digits, as the calculator's fields accept.
std::optional<std::uint32_t> parseHex(const QString& text) {
    const auto value = ParseHex(text, 8);
    return value ? std::optional(static_cast<std::uint32_t>(*value)) : std::nullopt;
}

int runChecksum(const QStringList& args) {
    QString in;
    std::optional<std::uint32_t> from;
    std::optional<std::uint32_t> to;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage(stdout);
            return 0;
        }
        if (i + 1 >= args.size()) {
            std::fprintf(stderr, "zelmo2-cli checksum: option '%s' needs a value\n", qPrintable(a));
            usage(stderr);
            return 2;
        }
        const QString& value = args[++i];
        if (a == QLatin1String("--in")) {
            in = value;
        } else if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
            const auto parsed = parseHex(value);
            if (!parsed) {
                std::fprintf(stderr, "zelmo2-cli checksum: '%s' is not a hexadecimal address\n",
                             qPrintable(value));
                return 2;
            }
            (a == QLatin1String("--from") ? from : to) = parsed;
        } else {
            std::fprintf(stderr, "zelmo2-cli checksum: unknown option '%s'\n", qPrintable(a));
            usage(stderr);
            return 2;
        }
    }
    if (in.isEmpty()) {
        std::fputs("zelmo2-cli checksum: --in FILE is required\n", stderr);
        usage(stderr);
        return 2;
    }

    // Only a regular file: a pipe would wait for a writer and a device would never end.
    const platform::File file =
        platform::File::open(std::filesystem::path(in.toStdU16String()), platform::OpenMode::Read);
    const std::int64_t size = file.isOpen() ? file.size() : -1;
    if (size < 0) {
        const QString reason = QString::fromStdString(platform::errorText(file.error()));
        std::fprintf(stderr, "%s\n",
                     qPrintable(WithReason(
                         QStringLiteral("zelmo2-cli checksum: cannot read '%1'").arg(in), reason)));
        return 1;
    }
    if (size > 0xFFFFFFFFll) {
        std::fprintf(stderr, "zelmo2-cli checksum: '%s' is larger than a buffer (4 GiB)\n",
                     qPrintable(in));
        return 1;
    }

    std::uint32_t length = 0;
    std::uint32_t start = 0;
    if (size > 0) {
        std::uint32_t f = from.value_or(0);
        std::uint32_t t = to.value_or(static_cast<std::uint32_t>(size - 1));
        editor::correctChecksumRange(f, t, static_cast<std::uint32_t>(size));
        start = f;
        length = t - f + 1;
    }
    const editor::ChecksumValues values = editor::computeFileChecksums(file, start, length, true);
    const auto texts = editor::formatChecksumValues(values);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::printf("%s: %s\n", editor::kChecksumFields[i].Caption, texts[i].c_str());
    }
    return 0;
}

const CommandRegistrar registrar({"checksum",
                                  "the nine checksum calculator values of a file's byte range",
                                  &runChecksum});

} // namespace

} // namespace zelmo::cli
